#!/usr/bin/env python3
"""Plays won endings: Talvik takes the side to move of each position (which
must be winning) against a UCI engine that defends, each with its own clock,
and counts the wins. Stockfish (Debian's package) serves as the referee of
the rules: legal move count, check, the FEN's fifty-move counter.

    scripts/endings_match.py --positions endings.fen --tc 10 --inc 0.1 \\
        --talvik build/release/talvik --talvik-option SyzygyPath=../shared/syzygy \\
        --defender stockfish --defender-option SyzygyPath=../shared/syzygy

A positions file has one FEN per line (text after a tab is ignored). Each
game ends with a mate, a stalemate, the fifty-move rule, a threefold
repetition or a fall of a flag. Not part of CI."""

import argparse
import subprocess
import sys
import time


class Uci:
    def __init__(self, command, options):
        self.proc = subprocess.Popen([command], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True, bufsize=1)
        self.send("uci")
        self.until("uciok")
        for option in options:
            name, _, value = option.partition("=")
            self.send(f"setoption name {name} value {value}")
        self.send("ucinewgame", "isready")
        self.until("readyok")

    def send(self, *lines):
        for line in lines:
            self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()

    def until(self, prefix):
        lines = []
        while True:
            line = self.proc.stdout.readline()
            if not line:
                raise RuntimeError("engine exited")
            lines.append(line.rstrip("\n"))
            if line.startswith(prefix):
                return lines

    def close(self):
        self.send("quit")
        self.proc.wait(timeout=10)


def referee_state(referee, start, moves):
    """(FEN, in check, number of legal moves) after the moves."""
    position = f"position fen {start}" + (" moves " + " ".join(moves) if moves else "")
    referee.send(position, "d")
    lines = referee.until("Checkers:")
    fen = next(line[5:] for line in lines if line.startswith("Fen: "))
    in_check = lines[-1].strip() != "Checkers:"
    referee.send(position, "go perft 1")
    count = int(next(line for line in referee.until("Nodes searched") if line.startswith("Nodes searched")).split()[-1])
    return fen, in_check, count


def play(start, arguments, with_options):
    talvik = Uci(arguments.talvik, with_options)
    defender = Uci(arguments.defender, arguments.defender_option)
    referee = Uci(arguments.defender, [])
    talvik_side = start.split()[1]
    clock = {"w": arguments.tc * 1000.0, "b": arguments.tc * 1000.0}
    increment = arguments.inc * 1000.0
    moves, seen = [], {}
    try:
        while True:
            fen, in_check, count = referee_state(referee, start, moves)
            side = fen.split()[1]
            if count == 0:
                return ("win" if side != talvik_side else "loss") if in_check else "stalemate"
            if int(fen.split()[4]) >= 100:
                return "fifty-move rule"
            key = " ".join(fen.split()[:4])
            seen[key] = seen.get(key, 0) + 1
            if seen[key] >= 3:
                return "repetition"
            engine = talvik if side == talvik_side else defender
            engine.send(f"position fen {start}" + (" moves " + " ".join(moves) if moves else ""),
                        f"go wtime {int(clock['w'])} btime {int(clock['b'])} "
                        f"winc {int(increment)} binc {int(increment)}")
            began = time.monotonic()
            best = engine.until("bestmove")[-1].split()[1]
            clock[side] -= (time.monotonic() - began) * 1000.0
            if clock[side] < 0:
                return "time forfeit " + ("Talvik" if side == talvik_side else "defender")
            clock[side] += increment
            moves.append(best)
    finally:
        for engine in (talvik, defender, referee):
            engine.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--positions", required=True)
    parser.add_argument("--tc", type=float, default=10.0, help="seconds per game and side")
    parser.add_argument("--inc", type=float, default=0.1, help="increment per move in seconds")
    parser.add_argument("--talvik", default="build/release/talvik")
    parser.add_argument("--talvik-option", action="append", default=[], help="NAME=VALUE, for the games with options")
    parser.add_argument("--defender", default="/usr/games/stockfish")
    parser.add_argument("--defender-option", action="append", default=[])
    parser.add_argument("--also-without", action="store_true", help="play every position also without --talvik-option")
    arguments = parser.parse_args()
    with open(arguments.positions, encoding="utf-8") as f:
        positions = [line.split("\t")[0].strip() for line in f if line.strip()]
    modes = [("with options", arguments.talvik_option)]
    if arguments.also_without:
        modes.append(("without", []))
    for label, options in modes:
        wins = 0
        for start in positions:
            result = play(start, arguments, options)
            wins += result == "win"
            print(f"{label}: {start}: {result}", flush=True)
        print(f"{label}: Talvik won {wins} of {len(positions)}", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
