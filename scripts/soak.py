#!/usr/bin/env python3
"""Soak test: Talvik plays several hundred fast games under a real GUI
(xboard, headless under Xvfb, as match manager), against itself and against
Debian engines, in both protocols, on one and two threads, with pondering on
and off. It counts crashes, hangs, illegal moves and time forfeits (all must
be zero) and reports the engine's peak memory.

Not part of CI (it runs for about an hour). Usage:

    scripts/soak.py [--games N] [--tc M:SS] [--binary build/release/talvik]

Needs xboard, polyglot, xvfb, fairymax and stockfish (scripts/setup.sh test
installs all but stockfish: apt-get install stockfish). Exit status 0 when
every game ended by the rules."""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

GAMES_DIR = "/usr/games"
LAWFUL = re.compile(r"mates|[Cc]heckmate|[Ss]talemate|repetition|fifty|50-move|[Ii]nsufficient|resigns|adjudicat",
                    re.I)
FORFEIT = re.compile(r"on time|time forfeit|flag", re.I)
ILLEGAL = re.compile(r"illegal", re.I)
CRASH = re.compile(r"crash|exit|disconnect|terminat|died|killed|abort", re.I)


def pgn_games(text):
    games = []
    for game in re.split(r"\n(?=\[Event )", text.strip()):
        if not game.startswith("[Event "):
            continue
        result = re.search(r'^\[Result "([^"]*)"\]', game, re.M)
        ending = re.search(r"\{([^{}]*)\}\s*(?:1-0|0-1|1/2-1/2|\*)\s*$", game)
        white = re.search(r'^\[White "([^"]*)"\]', game, re.M)
        games.append((result.group(1) if result else "*", ending.group(1) if ending else "",
                      white.group(1) if white else ""))
    return games


def classify(result, ending):
    if result not in ("1-0", "0-1", "1/2-1/2"):
        return "unfinished"
    if FORFEIT.search(ending):
        return "time forfeit"
    if ILLEGAL.search(ending):
        return "illegal move"
    if LAWFUL.search(ending):
        return "lawful"
    if CRASH.search(ending):
        return "crash"
    return "other: " + ending


def run_xboard_match(scratch, name, first, second, games, tc, inc, options):
    """Plays `games` games under xboard, headless under Xvfb, and returns the
    (result, ending, White player) triples of the saved games, xboard's debug traffic and
    whether the match had to be killed. first/second: (command, working
    directory or None, is_uci); tc is M:SS, inc seconds (text)."""
    pgn = os.path.join(scratch, f"{name}.pgn")
    debug = os.path.join(scratch, f"{name}.debug")
    home = os.path.join(scratch, "home")
    os.makedirs(home, exist_ok=True)
    os.makedirs(os.path.join(scratch, "tmp"), exist_ok=True)
    command = ["xvfb-run", "-a", "xboard", "-fcp", first[0], "-scp", second[0],
               "-matchGames", str(games), "-tc", tc, "-inc", inc, "-defaultHashSize", "32",
               "-matchPause", "300", "-saveGameFile", pgn, "-xexit", "-saveSettingsOnExit", "false",
               "-debugMode", "true", "-nameOfDebugFile", debug, *options]
    for flag_dir, flag_uci, engine in (("-fd", "-fUCI", first), ("-sd", "-sUCI", second)):
        if engine[1]:
            command += [flag_dir, engine[1]]
        if engine[2]:
            command.append(flag_uci)
    environment = dict(os.environ, HOME=home, TMPDIR=os.path.join(scratch, "tmp"),
                       PATH=os.environ.get("PATH", "") + os.pathsep + GAMES_DIR)
    minutes, seconds = tc.split(":")
    seconds_per_game = 2 * int(minutes) * 60 + 2 * int(seconds) + 200 * float(inc) + 30
    hung = False
    try:
        subprocess.run(command, cwd=home, env=environment, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=120 + seconds_per_game * games)
    except subprocess.TimeoutExpired:
        hung = True
    played = []
    if os.path.exists(pgn):
        with open(pgn, encoding="utf-8", errors="replace") as f:
            played = pgn_games(f.read())
    traffic = ""
    if os.path.exists(debug):
        with open(debug, encoding="utf-8", errors="replace") as f:
            traffic = f.read()
    return played, traffic, hung


class Soak:
    def __init__(self, binary, games, tc):
        self.binary = os.path.abspath(binary)
        self.games = games
        self.tc = tc
        self.scratch = tempfile.mkdtemp(prefix="talvik-soak-")
        self.memory_file = os.path.join(self.scratch, "peak-rss-kb")
        self.totals = {}

    def engine_dir(self, name, threads, uci_ponder=False):
        path = os.path.join(self.scratch, name)
        os.makedirs(path, exist_ok=True)
        with open(os.path.join(path, "talvik.ini"), "w") as f:
            f.write(f"Hash=32\nMaxThreads={threads}\nLogLevel=0\n")
        return path

    def talvik_command(self):
        # /usr/bin/time records each engine process's peak resident memory.
        return f"/usr/bin/time -f %M -a -o {self.memory_file} {self.binary}"

    def match(self, name, first, second, options):
        """first/second: (command, directory or None, is_uci)."""
        started = time.time()
        played, traffic, hung = run_xboard_match(self.scratch, name, first, second, self.games, self.tc, "0",
                                                 options)
        counts = {}
        for result, ending, _ in played:
            kind = classify(result, ending)
            counts[kind] = counts.get(kind, 0) + 1
        counts["missing games"] = self.games - len(played)
        counts["hung match"] = int(hung)
        counts["illegal-move lines"] = len(re.findall(r"Illegal move", traffic))
        print(f"{name:32s} {len(played):4d} games in {time.time() - started:6.0f} s  " +
              ", ".join(f"{k} {v}" for k, v in sorted(counts.items()) if v), flush=True)
        for kind, value in counts.items():
            self.totals[kind] = self.totals.get(kind, 0) + value
        self.totals["games"] = self.totals.get("games", 0) + len(played)

    def run(self):
        talvik = self.talvik_command()
        one = self.engine_dir("talvik-1t", 1)
        two = self.engine_dir("talvik-2t", 2)
        other = self.engine_dir("talvik-other", 1)
        fairymax = ("fairymax", None, False)
        stockfish = ("stockfish", None, True)
        self.match("xboard-1t-vs-fairymax", (talvik, one, False), fairymax, ["-xponder"])
        self.match("xboard-2t-ponder-vs-fairymax", (talvik, two, False), fairymax, ["-ponder"])
        self.match("uci-1t-ponder-vs-xboard-2t", (talvik, one, True), (talvik, two, False), ["-ponder"])
        self.match("uci-2t-vs-stockfish", (talvik, two, True), stockfish, ["-xponder"])
        self.match("chess960-uci-vs-xboard", (talvik, one, True), (talvik, other, False),
                   ["-variant", "fischerandom", "-xponder"])
        peak = 0
        if os.path.exists(self.memory_file):
            with open(self.memory_file) as f:
                values = [int(line) for line in f if line.strip().isdigit()]
            peak = max(values, default=0)
        bad = sum(self.totals.get(k, 0) for k in self.totals if k not in ("games", "lawful"))
        print(f"\nTotal: {self.totals.get('games', 0)} games, {self.totals.get('lawful', 0)} ended by the rules")
        for kind in ("crash", "hung match", "illegal move", "illegal-move lines", "time forfeit", "unfinished",
                     "missing games"):
            print(f"  {kind:20s} {self.totals.get(kind, 0)}")
        others = {k: v for k, v in self.totals.items() if k.startswith("other")}
        for kind, value in others.items():
            print(f"  {kind} {value}")
        print(f"Peak resident memory of one engine process: {peak / 1024:.1f} MB")
        shutil.rmtree(self.scratch, ignore_errors=True)
        return 0 if bad == 0 else 1


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--games", type=int, default=60, help="games per match (five matches)")
    parser.add_argument("--tc", default="0:06", help="time per game and side, M:SS")
    parser.add_argument("--binary", default=os.path.join(os.path.dirname(__file__), "..", "build", "release", "talvik"))
    arguments = parser.parse_args()
    for tool in ("xvfb-run", "xboard", "polyglot", "fairymax", "stockfish", "/usr/bin/time"):
        if not shutil.which(tool, path=os.environ.get("PATH", "") + os.pathsep + GAMES_DIR):
            sys.exit(f"the soak test needs {tool}")
    sys.exit(Soak(arguments.binary, arguments.games, arguments.tc).run())


if __name__ == "__main__":
    main()
