#!/usr/bin/env python3
"""Soak test: Talvik plays several hundred fast games under a real GUI
(xboard, headless under Xvfb, as match manager), against itself and against
Debian engines, in both protocols, on one and two threads, with pondering on
and off. It counts crashes, hangs, illegal moves and time forfeits (all must
be zero) and reports the engine's peak memory.

Then come analysis and takeback sessions: xboard steps through the games
just played in analysis mode, and scripted sessions over pipes (both
protocols, both input modes, one and two threads) mix searches, analyses
stopped at random moments, settings sent during searches and takebacks
("remove"/"undo", or a shorter UCI move list), checking that every search
is answered exactly once and that the engine's board matches after every
takeback.

Not part of CI (it runs for about an hour). Usage:

    scripts/soak.py [--games N] [--tc M:SS] [--sessions N] [--binary build/release/talvik]

Needs xboard, polyglot, xvfb, fairymax and stockfish (scripts/setup.sh test
installs all but stockfish: apt-get install stockfish). Exit status 0 when
every game ended by the rules."""

import argparse
import os
import queue
import random
import re
import shutil
import subprocess
import sys
import tempfile
import threading
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


def run_xboard_match(scratch, name, first, second, games, tc, inc, options, mps=0):
    """Plays `games` games under xboard, headless under Xvfb, and returns the
    (result, ending, White player) triples of the saved games, xboard's debug traffic and
    whether the match had to be killed. first/second: (command, working
    directory or None, is_uci); tc is M:SS, inc seconds (text); with `mps`
    moves per session, tc is the time of each session and there is no
    increment."""
    pgn = os.path.join(scratch, f"{name}.pgn")
    debug = os.path.join(scratch, f"{name}.debug")
    home = os.path.join(scratch, "home")
    os.makedirs(home, exist_ok=True)
    os.makedirs(os.path.join(scratch, "tmp"), exist_ok=True)
    timing = ["-mps", str(mps)] if mps else ["-inc", inc]
    command = ["xvfb-run", "-a", "xboard", "-fcp", first[0], "-scp", second[0],
               "-matchGames", str(games), "-tc", tc, *timing, "-defaultHashSize", "32",
               "-matchPause", "300", "-saveGameFile", pgn, "-xexit", "-saveSettingsOnExit", "false",
               "-debugMode", "true", "-nameOfDebugFile", debug,
               # Without it xboard lets an engine-engine game go on past a fallen flag.
               "-autoCallFlag", "true", *options]
    for flag_dir, flag_uci, engine in (("-fd", "-fUCI", first), ("-sd", "-sUCI", second)):
        if engine[1]:
            command += [flag_dir, engine[1]]
        if engine[2]:
            command.append(flag_uci)
    environment = dict(os.environ, HOME=home, TMPDIR=os.path.join(scratch, "tmp"),
                       PATH=os.environ.get("PATH", "") + os.pathsep + GAMES_DIR)
    minutes, seconds = tc.split(":")
    # A session control gives each side its time again every `mps` moves
    # (games of up to some 150 moves).
    sessions = -(-150 // mps) if mps else 1
    seconds_per_game = sessions * (2 * int(minutes) * 60 + 2 * int(seconds)) + (0 if mps else 200 * float(inc)) + 30
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


class Pipe:
    """One engine process driven over pipes."""

    def __init__(self, binary, workdir):
        self.proc = subprocess.Popen([binary], cwd=workdir, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True, bufsize=1)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            self.lines.put(line.rstrip("\n"))
        self.lines.put(None)

    def send(self, *lines):
        for line in lines:
            self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()

    def until(self, pattern, timeout=60):
        """The lines up to and including the first that matches; raises on a hang or an exit."""
        seen = []
        while True:
            line = self.lines.get(timeout=timeout)
            if line is None:
                raise EOFError("engine ended")
            seen.append(line)
            if re.search(pattern, line):
                return seen

    def close(self):
        try:
            self.send("quit")
            self.proc.stdin.close()
            return self.proc.wait(timeout=30)
        except (OSError, subprocess.TimeoutExpired):
            self.proc.kill()
            return -1


def count(lines, prefix):
    return len([line for line in lines if line.startswith(prefix)])


def xboard_session(pipe, rng, problems):
    """Self-play at depth 2 with takebacks and short analyses; the engine's
    FEN after each takeback must be the one recorded before those moves."""
    pipe.send("xboard", "protover 2")
    pipe.until("^feature done=1")
    pipe.send("new", "force", "nopost", "sd 2")
    fens = []
    number = 0

    def fen():
        nonlocal number
        number += 1
        pipe.send("printFEN", f"ping {number}")
        lines = pipe.until(f"^pong {number}$")
        if count(lines, "move "):
            problems.append(f"xboard: an unasked move {lines}")
        return lines[-2]

    fens.append(fen())
    for _ in range(rng.randint(10, 30)):
        choice = rng.random()
        if choice < 0.2 and len(fens) > 2:
            plies = rng.choice([1, 2, 2])
            pipe.send("remove" if plies == 2 else "undo")
            del fens[-plies:]
            if fen() != fens[-1]:
                problems.append(f"xboard: board differs after taking back {plies}")
            continue
        if choice < 0.35:
            pipe.send("analyze")
            time.sleep(rng.uniform(0, 0.2))
            pipe.send(*rng.sample([".", "hint", "option Clear Hash"], 2))
            if rng.random() < 0.5 and len(fens) > 1:
                pipe.send("undo")
                fens.pop()
            pipe.send("exit", "force")
            if fen() != fens[-1]:
                problems.append("xboard: board differs after an analysis")
            continue
        if len(fens) > 16:
            break
        pipe.send("go")
        if rng.random() < 0.3:
            pipe.send(rng.choice(["option Clear Hash", "st 1", "cores 1", "?"]))
        pipe.until("^move ")
        pipe.send("force")
        fens.append(fen())
    # Take everything back: the start position again.
    while len(fens) > 1:
        plies = 2 if len(fens) > 2 and rng.random() < 0.5 else 1
        pipe.send("remove" if plies == 2 else "undo")
        del fens[-plies:]
        if fen() != fens[-1]:
            problems.append(f"xboard: board differs after taking back {plies}")
            return


def uci_session(pipe, rng, problems):
    """Searches, analyses stopped at random moments and takebacks (a shorter
    move list); one bestmove per go, and the engine's FEN after a takeback
    is the one recorded for that move list."""
    pipe.send("uci")
    pipe.until("^uciok$")
    pipe.send("setoption name Ponder value " + rng.choice(["true", "false"]))
    moves = []
    fens = {}
    gos = answers = 0
    for _ in range(rng.randint(10, 30)):
        position = "position startpos" + (" moves " + " ".join(moves) if moves else "")
        pipe.send(position, "printFEN")
        fen = pipe.until(r"^\S+/\S+ [wb] ")[-1]
        if fens.setdefault(len(moves), fen) != fen:
            problems.append("uci: board differs after a takeback")
        if rng.random() < 0.2 and len(moves) >= 2:
            del moves[-2:]
            for later in [n for n in fens if n > len(moves)]:
                del fens[later]
            continue
        go = rng.choice(["go depth 2", "go movetime 50", "go wtime 2000 btime 2000 depth 3", "go infinite",
                         "go nodes 5000", "go mate 2 depth 3", "go infinite searchmoves e2e4 d2d4 a2a3"])
        pipe.send(go)
        gos += 1
        if rng.random() < 0.3:
            pipe.send(rng.choice(["setoption name Clear Hash", "setoption name MultiPV value 1", "isready"]))
        if "infinite" in go:
            time.sleep(rng.uniform(0, 0.2))
            pipe.send("stop")
            if rng.random() < 0.3:
                pipe.send("ucinewgame")
        best = pipe.until("^bestmove ")[-1].split()[1]
        answers += 1
        pipe.send("isready")
        extra = count(pipe.until("^readyok$"), "bestmove")
        if extra:
            problems.append(f"uci: {extra} answers too many after '{go}'")
        if len(moves) > 16 or best == "0000":
            break
        moves.append(best)
    if gos != answers:
        problems.append(f"uci: {gos} searches, {answers} answers")


class Soak:
    def __init__(self, binary, games, tc, sessions=200):
        self.binary = os.path.abspath(binary)
        self.games = games
        self.tc = tc
        self.sessions = sessions
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

    def analysis(self, name, engine, game_file):
        """xboard steps through the first game of `game_file` in analysis mode."""
        if not os.path.exists(game_file):
            return
        # With several games in the file xboard shows its game list instead
        # of stepping through one: the first game goes into a file of its own.
        with open(game_file, encoding="utf-8", errors="replace") as f:
            first = re.split(r"\n(?=\[Event )", f.read().strip())[0]
        game_file = os.path.join(self.scratch, f"{name}-game.pgn")
        with open(game_file, "w", encoding="utf-8") as f:
            f.write(first + "\n")
        debug = os.path.join(self.scratch, f"{name}.debug")
        home = os.path.join(self.scratch, "home")
        os.makedirs(home, exist_ok=True)
        os.makedirs(os.path.join(self.scratch, "tmp"), exist_ok=True)
        command = ["timeout", "-s", "INT", "60", "xvfb-run", "-a", "xboard", "-fcp", engine[0], "-fd", engine[1],
                   "-initialMode", "AnalyzeFile", "-loadGameFile", game_file, "-timeDelay", "0.3",
                   "-saveSettingsOnExit", "false", "-debugMode", "true", "-nameOfDebugFile", debug]
        if engine[2]:
            command.insert(command.index("-fd"), "-fUCI")
        environment = dict(os.environ, HOME=home, TMPDIR=os.path.join(self.scratch, "tmp"),
                           PATH=os.environ.get("PATH", "") + os.pathsep + GAMES_DIR)
        subprocess.run(command, cwd=home, env=environment, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=120)
        traffic = ""
        if os.path.exists(debug):
            with open(debug, encoding="utf-8", errors="replace") as f:
                traffic = f.read()
        counts = {"analysis sessions": 1,
                  "illegal-move lines": len(re.findall(r"Illegal move", traffic)),
                  "crash": len(re.findall(r"exited unexpectedly", traffic))}
        print(f"{name:32s} {len(re.findall(r'>first *: *[a-h][1-8][a-h][1-8]', traffic)):4d} positions analysed  " +
              ", ".join(f"{k} {v}" for k, v in sorted(counts.items()) if v), flush=True)
        for kind, value in counts.items():
            self.totals[kind] = self.totals.get(kind, 0) + value

    def scripted(self, sessions):
        """Analysis and takeback sessions over pipes (see the module text)."""
        rng = random.Random(17)
        started = time.time()
        problems = []
        for number in range(sessions):
            uci = number % 2 == 0
            workdir = os.path.join(self.scratch, f"session-{number}")
            os.makedirs(workdir, exist_ok=True)
            with open(os.path.join(workdir, "talvik.ini"), "w") as f:
                f.write(f"Hash=8\nMaxThreads={1 + number // 2 % 2}\nUseInputThread={number // 4 % 2}\n")
            pipe = Pipe(self.binary, workdir)
            try:
                (uci_session if uci else xboard_session)(pipe, rng, problems)
            except (queue.Empty, EOFError) as error:
                problems.append(f"session {number}: {'hang' if isinstance(error, queue.Empty) else 'crash'}")
            status = pipe.close()
            if status != 0:
                problems.append(f"session {number}: exit status {status}")
        print(f"{'scripted analysis/takebacks':32s} {sessions:4d} sessions in {time.time() - started:6.0f} s  " +
              (f"problems {len(problems)}" if problems else ""), flush=True)
        for problem in problems[:20]:
            print("   ", problem)
        self.totals["session problems"] = len(problems)
        self.totals["scripted sessions"] = sessions

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
        games = os.path.join(self.scratch, "xboard-1t-vs-fairymax.pgn")
        self.analysis("analysis-xboard", (talvik, one, False), games)
        self.analysis("analysis-uci", (talvik, two, True), games)
        self.scripted(self.sessions)
        peak = 0
        if os.path.exists(self.memory_file):
            with open(self.memory_file) as f:
                values = [int(line) for line in f if line.strip().isdigit()]
            peak = max(values, default=0)
        bad = sum(self.totals.get(k, 0) for k in self.totals
                  if k not in ("games", "lawful", "analysis sessions", "scripted sessions"))
        print(f"\nTotal: {self.totals.get('games', 0)} games, {self.totals.get('lawful', 0)} ended by the rules")
        print(f"  analysis sessions under xboard {self.totals.get('analysis sessions', 0)}, "
              f"scripted sessions {self.totals.get('scripted sessions', 0)}")
        for kind in ("crash", "hung match", "illegal move", "illegal-move lines", "time forfeit", "unfinished",
                     "missing games", "session problems"):
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
    parser.add_argument("--sessions", type=int, default=200, help="scripted analysis and takeback sessions")
    parser.add_argument("--binary", default=os.path.join(os.path.dirname(__file__), "..", "build", "release", "talvik"))
    arguments = parser.parse_args()
    for tool in ("xvfb-run", "xboard", "polyglot", "fairymax", "stockfish", "/usr/bin/time"):
        if not shutil.which(tool, path=os.environ.get("PATH", "") + os.pathsep + GAMES_DIR):
            sys.exit(f"the soak test needs {tool}")
    sys.exit(Soak(arguments.binary, arguments.games, arguments.tc, arguments.sessions).run())


if __name__ == "__main__":
    main()
