"""The 32-bit ARMv6 build under emulation (qemu-arm -cpu arm1176): it says
32 bits, counts perft right, plays under UCI and XBoard, reads books (its own
format and Polyglot's) built on the host, probes the Syzygy tables as the host
does, and its search is the same node for node as the host's.

Run by scripts/test.sh with TALVIK_ARM_BINARY (the cross-built engine) and
TALVIK_BINARY (the host's release build)."""

import os
import re
import shutil
import subprocess
import tempfile
import unittest

from talvik_session import DATA_DIR, SOURCE_DIR, TalvikSession

ARM_BINARY = os.environ.get("TALVIK_ARM_BINARY", "")
HOST_BINARY = os.environ.get("TALVIK_BINARY", "")
QEMU = ["qemu-arm", "-cpu", "arm1176"]
TABLES = os.path.abspath(os.path.join(SOURCE_DIR, "..", "shared", "syzygy"))
DEADLINE = 600

GAMES = """\
[Result "1-0"]

1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 1-0

[Result "1-0"]

1. e4 c5 2. Nf3 d6 1-0

[Result "0-1"]

1. d4 Nf6 2. c4 e6 0-1
"""

# Polyglot weights are the mover's points: every move below scores somewhere.
POLYGLOT_GAMES = """\
[Result "1/2-1/2"]

1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 1/2-1/2

[Result "1-0"]

1. e4 c5 2. Nf3 d6 1-0

[Result "0-1"]

1. d4 Nf6 2. c4 e6 0-1

[Result "1/2-1/2"]

1. d4 d5 2. c4 e6 1/2-1/2
"""


def run(binary, args, cwd, stdin=b""):
    command = (QEMU if binary == ARM_BINARY else []) + [binary, *args]
    done = subprocess.run(command, cwd=cwd, input=stdin, capture_output=True, timeout=DEADLINE)
    return done.returncode, done.stdout.decode("utf-8", "replace")


@unittest.skipUnless(ARM_BINARY and shutil.which("qemu-arm"), "no ARM build or qemu-arm")
class ArmEmulation(unittest.TestCase):
    def setUp(self):
        self.workdir = tempfile.mkdtemp(prefix="talvik-arm-")

    def tearDown(self):
        shutil.rmtree(self.workdir, ignore_errors=True)

    def test_help_says_32_bits(self):
        status, out = run(ARM_BINARY, ["-help"], self.workdir)
        self.assertEqual(status, 0)
        self.assertTrue(out.startswith("Talvik 2.2 (32 bits) by Verenko\n"), out)
        self.assertIn("Using software popcount", out)

    def test_perft_suite(self):
        suite = os.path.join(DATA_DIR, "perft", "standard.epd")
        with open(suite) as f:
            lines = sum(1 for line in f if line.strip())
        status, out = run(ARM_BINARY, ["-perftsuite", suite, "3"], self.workdir)
        self.assertEqual(status, 0)
        self.assertIn(f"score = {lines} / {lines}", out)

    def test_bench_signature_matches_the_host(self):
        args = ["-benchmark", "16", "1", "depth", "7"]
        nodes = []
        for binary in (HOST_BINARY, ARM_BINARY):
            _, out = run(binary, args, self.workdir)
            found = re.search(r"^Nodes : (\d+)$", out, re.M)
            self.assertIsNotNone(found, out)
            nodes.append(int(found.group(1)))
        self.assertEqual(nodes[0], nodes[1])

    def test_uci_session_answers_bestmove(self):
        stdin = b"uci\nisready\nposition startpos moves e2e4 e7e5\ngo depth 5\n"
        with TalvikSession(command=QEMU + [ARM_BINARY], workdir=self.workdir) as engine:
            for line in stdin.decode().splitlines():
                engine.send(line)
            engine.wait_for(r"^uciok$")
            engine.wait_for(r"^readyok$")
            engine.wait_for(r"^bestmove [a-h][1-8][a-h][1-8][qrbn]?( |$)")
            engine.send("quit")
            self.assertEqual(engine.wait_exit(), 0)

    def test_xboard_session_answers_a_move(self):
        with TalvikSession(command=QEMU + [ARM_BINARY], workdir=self.workdir) as engine:
            for line in ["xboard", "protover 2", "new", "sd 4", "e2e4"]:
                engine.send(line)
            engine.wait_for(r"^feature done=1$")
            engine.wait_for(r"^move [a-h][1-8][a-h][1-8]")
            engine.send("quit")
            self.assertEqual(engine.wait_exit(), 0)

    def test_book_built_on_the_host_reads_the_same(self):
        with open(os.path.join(self.workdir, "games.pgn"), "w") as f:
            f.write(GAMES)
        for binary, name in ((HOST_BINARY, "host.bin"), (ARM_BINARY, "arm.bin")):
            status, _ = run(binary, ["-buildbook", "games.pgn", name, "4", "1"], self.workdir)
            self.assertEqual(status, 0)
        with open(os.path.join(self.workdir, "host.bin"), "rb") as a, open(os.path.join(self.workdir, "arm.bin"), "rb") as b:
            self.assertEqual(a.read(), b.read())
        # The host's book gives the same moves on both machines.
        moves = []
        for binary in (HOST_BINARY, ARM_BINARY):
            session_binary = QEMU + [binary] if binary == ARM_BINARY else [binary]
            with TalvikSession(command=session_binary, workdir=self.workdir) as engine:
                for line in ["uci", "setoption name Book value host.bin", "setoption name OwnBook value true",
                             "isready", "position startpos", "go depth 3", "position startpos moves e2e4", "go depth 3"]:
                    engine.send(line)
                first = engine.wait_for(r"^bestmove (\S+)").group(1)
                second = engine.wait_for(r"^bestmove (\S+)").group(1)
                moves.append((first, second))
                engine.send("quit")
                engine.wait_exit()
        self.assertEqual(moves[0], moves[1])
        self.assertEqual(moves[0][0], "e2e4")  # two wins out of two for 1.e4
        self.assertEqual(moves[0][1], "c7c5")  # the book's move with the most points after 1.e4

    def test_polyglot_book_reads_the_same(self):
        """Polyglot books hold big-endian entries: the ARM build writes the
        host's bytes and plays the host's book moves."""
        with open(os.path.join(self.workdir, "games.pgn"), "w") as f:
            f.write(POLYGLOT_GAMES)
        for binary, name in ((HOST_BINARY, "host.bin"), (ARM_BINARY, "arm.bin")):
            status, _ = run(binary, ["-buildbook", "games.pgn", name, "3", "1", "polyglot"], self.workdir)
            self.assertEqual(status, 0)
        with open(os.path.join(self.workdir, "host.bin"), "rb") as a, open(os.path.join(self.workdir, "arm.bin"), "rb") as b:
            self.assertEqual(a.read(), b.read())
        positions = ["", "e2e4", "e2e4 e7e5", "d2d4"]
        moves = []
        for binary in (HOST_BINARY, ARM_BINARY):
            session_binary = QEMU + [binary] if binary == ARM_BINARY else [binary]
            with TalvikSession(command=session_binary, workdir=self.workdir) as engine:
                for line in ["uci", "setoption name Book value host.bin", "setoption name OwnBook value true"]:
                    engine.send(line)
                played = []
                for position in positions:
                    engine.send("position startpos" + (" moves " + position if position else ""))
                    engine.send("go depth 3")
                    played.append(engine.wait_for(r"^bestmove (\S+)").group(1))
                moves.append(played)
                engine.send("quit")
                engine.wait_exit()
        self.assertEqual(moves[0], ["e2e4", "e7e5", "g1f3", "g8f6"])  # the heaviest move of each position
        self.assertEqual(moves[1], moves[0])

    @unittest.skipUnless(os.path.exists(os.path.join(TABLES, "KQvK.rtbw")), "no shared tables")
    def test_syzygy_tables_probe_as_on_the_host(self):
        positions = ["7k/8/8/8/8/8/4r3/3K4 w - - 0 1", "8/8/4k3/8/8/3K4/8/Q5r1 w - - 0 1",
                     "8/8/8/8/3pP3/8/8/K6k b - e3 0 1", "4k3/8/4K3/4P3/8/8/8/8 w - - 0 1"]
        results = []
        for binary in (HOST_BINARY, ARM_BINARY):
            session_binary = QEMU + [binary] if binary == ARM_BINARY else [binary]
            with TalvikSession(command=session_binary, workdir=self.workdir) as engine:
                engine.send("uci")
                engine.send(f"setoption name SyzygyPath value {TABLES}")
                engine.wait_for(r"^info string Syzygy: 35 tables found \(35 with DTZ\), up to 4 pieces$")
                played = []
                for fen in positions:
                    engine.send(f"position fen {fen}")
                    engine.send("go depth 5")
                    score = engine.wait_for(r"^info depth 5 .*score cp (-?\d+) .*tbhits [1-9]").group(1)
                    played.append((engine.wait_for(r"^bestmove (\S+)").group(1), score))
                results.append(played)
                engine.send("quit")
                engine.wait_exit()
        self.assertEqual(results[1], results[0])
        self.assertEqual([move for move, _ in results[1]][:3], ["d1e2", "a1g1", "d4e3"])


if __name__ == "__main__":
    unittest.main()
