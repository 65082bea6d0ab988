#!/usr/bin/env python3
"""Match between two engines under xboard (headless under Xvfb, the same
runner as the soak test), reporting the first engine's wins, draws and losses,
its score, and the Elo difference with its 95 % error.

    scripts/match.py --games 100 --tc 0:10 --inc 0.1 \\
        --first  'cmd=build/release/talvik,ini=MaxThreads=2' \\
        --second 'cmd=/path/to/other/talvik,ini=MaxThreads=2'

    scripts/match.py --games 30 --tc 0:10 --inc 0.1 \\
        --first  'cmd=build/release/talvik,ini=UseStrength=1;StrengthELO=1500' \\
        --second 'cmd=stockfish,uci,options=UCI_LimitStrength=1;UCI_Elo=1500'

An engine is described by comma-separated fields: cmd= the program; ini=
lines (separated by ';') written to talvik.ini in the engine's own working
directory; options= xboard option settings (separated by ';') sent at start;
uci when it speaks UCI (polyglot adapts it). Games start from the positions
of --openings, each played twice with the colours swapped. Not part of CI."""

import argparse
import math
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from soak import GAMES_DIR, classify, run_xboard_match  # noqa: E402


def parse_engine(text, scratch, label):
    fields = {}
    for part in text.split(","):
        key, _, value = part.partition("=")
        fields[key.strip()] = value
    if "cmd" not in fields:
        sys.exit(f"--{label}: cmd= is missing")
    command = fields["cmd"]
    if os.path.exists(command):
        command = os.path.abspath(command)
    directory = os.path.join(scratch, label)
    os.makedirs(directory, exist_ok=True)
    if fields.get("ini"):
        with open(os.path.join(directory, "talvik.ini"), "w") as f:
            f.write("\n".join(fields["ini"].split(";")) + "\n")
    options = fields.get("options", "").replace(";", ",")
    return (command, directory, "uci" in fields), options


def elo(score):
    score = min(max(score, 1e-6), 1 - 1e-6)
    return -400 * math.log10(1 / score - 1)


def summary(wins, draws, losses):
    """Score and Elo difference with the half-width of its 95 % interval,
    from the per-game variance of the result carried through the slope of
    the Elo curve at the score (which stays finite for lopsided scores of
    a few games, where the interval's ends would leave the curve)."""
    games = wins + draws + losses
    score = (wins + draws / 2) / games
    variance = (wins * (1 - score) ** 2 + draws * (0.5 - score) ** 2 + losses * score ** 2) / games
    margin = 1.96 * math.sqrt(variance / games)
    clamped = min(max(score, 1e-6), 1 - 1e-6)
    slope = 400 / (math.log(10) * clamped * (1 - clamped))
    return score, elo(score), margin * slope


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--first", required=True)
    parser.add_argument("--second", required=True)
    parser.add_argument("--games", type=int, default=100)
    parser.add_argument("--tc", default="0:10", help="time per game and side, M:SS")
    parser.add_argument("--inc", default="0.1", help="increment per move in seconds")
    parser.add_argument("--mps", type=int, default=0,
                        help="moves per session: --tc is then the time of each session, without increment")
    parser.add_argument("--ponder", action="store_true", help="both engines ponder")
    parser.add_argument("--openings", default=os.path.join(os.path.dirname(__file__), "match_openings.fen"))
    parser.add_argument("--name", default="match")
    arguments = parser.parse_args()
    for tool in ("xvfb-run", "xboard", "polyglot"):
        if not shutil.which(tool, path=os.environ.get("PATH", "") + os.pathsep + GAMES_DIR):
            sys.exit(f"the match needs {tool}")

    scratch = tempfile.mkdtemp(prefix=f"talvik-{arguments.name}-")
    first, first_options = parse_engine(arguments.first, scratch, "first")
    second, second_options = parse_engine(arguments.second, scratch, "second")
    options = ["-ponder" if arguments.ponder else "-xponder", "-lpf", os.path.abspath(arguments.openings),
               "-lpi", "-2"]
    if first_options:
        options += ["-firstOptions", first_options]
    if second_options:
        options += ["-secondOptions", second_options]
    played, traffic, hung = run_xboard_match(scratch, arguments.name, first, second, arguments.games, arguments.tc,
                                             arguments.inc, options, arguments.mps)

    # xboard alternates the colours, the first engine taking White first.
    wins = draws = losses = 0
    endings = {}
    for index, (result, ending, _) in enumerate(played):
        kind = classify(result, ending)
        endings[kind] = endings.get(kind, 0) + 1
        if result not in ("1-0", "0-1", "1/2-1/2"):
            continue
        first_white = index % 2 == 0
        if result == "1/2-1/2":
            draws += 1
        elif (result == "1-0") == first_white:
            wins += 1
        else:
            losses += 1
    forfeits = {"first": 0, "second": 0}
    for index, (result, ending, _) in enumerate(played):
        if classify(result, ending) == "time forfeit":
            loser_white = result == "0-1"
            forfeits["first" if loser_white == (index % 2 == 0) else "second"] += 1

    print(f"games played {len(played)} of {arguments.games}{' (match killed: hung)' if hung else ''}")
    print("endings: " + ", ".join(f"{k} {v}" for k, v in sorted(endings.items())))
    print(f"time forfeits: first {forfeits['first']}, second {forfeits['second']}")
    if wins + draws + losses:
        score, difference, error = summary(wins, draws, losses)
        print(f"first engine: +{wins} ={draws} -{losses}  score {100 * score:.1f} %  "
              f"Elo {difference:+.0f} +/- {error:.0f}")
    print(f"games and xboard's debug file: {scratch}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
