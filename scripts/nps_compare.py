#!/usr/bin/env python3
"""Nodes per second of Talvik against another UCI engine, side by side.

Both engines search the same middlegame positions for the same time, one
thread each, with a 16 MB hash table and no book, taking turns position by
position (the order swaps every round so that neither engine always runs on
a machine that the other just warmed up or left busy). Prints each search, the
totals and the ratio Talvik / other.

Two figures per engine:
  nps      nodes / search time, both from the engine's own last "info" line
           that carries them;
  cpu_nps  the same nodes per second of processor time the engine process got
           (from /proc), which stays fair when other programs share the
           machine. The ratio of cpu_nps is the one to quote on a busy machine.

    scripts/nps_compare.py [--talvik build/release/talvik] [--other /usr/games/glaurung]
                           [--movetime 5000] [--rounds 1]
"""

import argparse
import os
import re
import subprocess
import sys
import time

# Middlegames with both sides' pieces still on the board.
POSITIONS = [
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N2N2/PP2BPPP/R2QKB1R w KQ - 0 9",
    "r2q1rk1/1b2bppp/p2ppn2/1p6/3NP3/1BN1B3/PPP2PPP/R2Q1RK1 w - - 0 12",
    "r1b2rk1/2q1bppp/p2ppn2/1p6/3NPP2/2N1B3/PPP1B1PP/R2Q1RK1 w - - 0 12",
    "2rq1rk1/pb1nbppp/1p2pn2/2pp4/2PP4/1PN1PN2/PB2BPPP/2RQ1RK1 w - - 0 12",
    "r4rk1/pp1qbppp/2n1bn2/3p4/3P4/2NBBN2/PP3PPP/R2Q1RK1 w - - 0 13",
    "r1bqr1k1/pp3pbp/2np1np1/2p1p3/2P1P3/2NP1NP1/PP3PBP/R1BQR1K1 w - - 0 10",
]


def cpu_seconds(pid):
    """User plus system time of a process so far, in seconds."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


class Engine:
    def __init__(self, path):
        self.name = os.path.basename(path)
        self.proc = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True, bufsize=1,
                                     cwd="/tmp")
        self.send("uci")
        self.options = set()
        for line in self.read_until("uciok"):
            m = re.match(r"option name (.+?) type ", line)
            if m:
                self.options.add(m.group(1))
            m = re.match(r"id name (.+)", line)
            if m:
                self.name = m.group(1).strip()
        for name, value in (("Threads", 1), ("OwnBook", "false"), ("Hash", 16), ("Ponder", "false")):
            if name in self.options:
                self.send(f"setoption name {name} value {value}")
        self.send("isready")
        self.read_until("readyok")

    def send(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()

    def read_until(self, prefix):
        lines = []
        while True:
            line = self.proc.stdout.readline()
            if not line:
                raise RuntimeError(f"{self.name} exited")
            line = line.strip()
            lines.append(line)
            if line.startswith(prefix):
                return lines

    def search(self, fen, movetime_ms):
        """(nodes, engine-reported ms, processor seconds, wall seconds) of one search."""
        self.send("ucinewgame")
        self.send(f"position fen {fen}")
        self.send("isready")
        self.read_until("readyok")
        cpu0, wall0 = cpu_seconds(self.proc.pid), time.monotonic()
        self.send(f"go movetime {movetime_ms}")
        lines = self.read_until("bestmove")
        cpu1, wall1 = cpu_seconds(self.proc.pid), time.monotonic()
        nodes = ms = 0
        for line in lines:
            n = re.search(r"\bnodes (\d+)", line)
            t = re.search(r"\btime (\d+)", line)
            if n and t and int(t.group(1)) >= ms:
                nodes, ms = int(n.group(1)), int(t.group(1))
        return nodes, ms, cpu1 - cpu0, wall1 - wall0

    def close(self):
        try:
            self.send("quit")
            self.proc.wait(timeout=10)
        except Exception:
            self.proc.kill()


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--talvik", default=os.path.join(here, "..", "build", "release", "talvik"))
    parser.add_argument("--other", default="/usr/games/glaurung")
    parser.add_argument("--movetime", type=int, default=5000, help="milliseconds per search")
    parser.add_argument("--rounds", type=int, default=1, help="times every position is searched by each")
    parser.add_argument("--positions", type=int, default=len(POSITIONS), help="use the first N positions")
    args = parser.parse_args()

    engines = [Engine(os.path.abspath(args.talvik)), Engine(args.other)]
    totals = {id(e): [0, 0, 0.0, 0.0] for e in engines}  # nodes, reported ms, cpu s, nodes counted for cpu
    print(f"{'engine':<16} {'pos':>3} {'nodes':>10} {'ms':>6} {'cpu_s':>6} {'nps':>9} {'cpu_nps':>9}")
    try:
        for rnd in range(args.rounds):
            for index, fen in enumerate(POSITIONS[:args.positions]):
                order = engines if (rnd + index) % 2 == 0 else engines[::-1]
                for engine in order:
                    nodes, ms, cpu, wall = engine.search(fen, args.movetime)
                    # The last info line is at most a little older than the
                    # end of the search: scale its nodes to the whole search
                    # for the processor-time figure.
                    nodes_whole = nodes * wall * 1000 / ms if ms else 0
                    t = totals[id(engine)]
                    t[0] += nodes
                    t[1] += ms
                    t[2] += cpu
                    t[3] += nodes_whole
                    nps = nodes * 1000 // ms if ms else 0
                    cpu_nps = int(nodes_whole / cpu) if cpu else 0
                    print(f"{engine.name[:16]:<16} {index + 1:>3} {nodes:>10} {ms:>6} {cpu:>6.2f} {nps:>9} {cpu_nps:>9}",
                          flush=True)
    finally:
        for engine in engines:
            engine.close()

    summary = []
    for engine in engines:
        nodes, ms, cpu, nodes_whole = totals[id(engine)]
        summary.append((nodes * 1000 / ms if ms else 0, nodes_whole / cpu if cpu else 0))
        print(f"{engine.name}: {summary[-1][0]:.0f} nodes/s, {summary[-1][1]:.0f} nodes per cpu second")
    if summary[1][0] and summary[1][1]:
        print(f"ratio {engines[0].name} / {engines[1].name}: nps {summary[0][0] / summary[1][0]:.2f}, "
              f"cpu_nps {summary[0][1] / summary[1][1]:.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
