"""The search-based developer tools: -testsuite, -benchmark, -evalsuite,
-checkfensuite, -testsee and -buildbook, and the bench signature."""

import re
import struct
import unittest

from talvik_session import SANITIZED, run_tool

# Easy tactics every search finds at a modest depth (SAN without check signs
# is matched as a substring of the expected moves).
TACTICS = """\
6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - bm Rd8#; id "back rank";
r1bqkbnr/pppp1ppp/2n5/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - bm Qxf7#; id "scholar";
r5k1/5ppp/8/8/8/8/1Q3PPP/1R4K1 w - - bm Qb8+; id "mate in two";
q3k3/8/8/3N4/8/8/8/4K3 w - - bm Nc7+; id "knight fork";
4k3/8/8/2n1n3/8/3P4/8/4K3 w - - bm d4; id "pawn fork";
4rkr1/4p1p1/8/8/8/8/8/4K2R w K - bm 0-0 Rf1; id "mate by castling or rook";
"""

# One line found by its long form, one avoid-move that the engine does play
# (so it counts as bad), one line without an operation (counted, not searched).
EDGE_CASES = """\
q3k3/8/8/3N4/8/8/8/4K3 w - - bm Nd5-c7; id "long form";
6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - am Rd8; id "avoid the mate";
8/8/8/8/8/8/8/8 w - - c0 "no operation";
"""

# The bench signature: the node count of this command is the same on every run
# and every machine for the same code. A change to search or evaluation
# behaviour changes it; update it in the same commit and say why.
BENCH_ARGS = ["-benchmark", "16", "1", "depth", "10"]
BENCH_NODES = 13056486


class TestSuiteTool(unittest.TestCase):
    def test_easy_tactics_are_all_solved(self):
        run = run_tool(["-testsuite", "16", "1", "depth", "6", "tactics.epd"], files={"tactics.epd": TACTICS})
        self.assertIn("Score = 6 / 6", run.stdout)
        self.assertEqual(run.stdout.count(" : ok"), 6, run.stdout)
        self.assertRegex(run.stdout, r"Talvik version 2\.2\n\nTest suite : tactics\.epd\n")
        self.assertRegex(run.stdout, r"\nDepth min = \d+, max = \d+, average = \d+\n")

    def test_long_form_avoid_move_and_plain_lines(self):
        run = run_tool(["-testsuite", "16", "1", "depth", "4", "edge.epd"], files={"edge.epd": EDGE_CASES})
        self.assertIn("result => 'Nc7' : ok", run.stdout)
        self.assertIn("result => 'Rd8' : bad", run.stdout)
        self.assertIn("Score = 1 / 3", run.stdout)
        bad = run.stdout.split("Bad results : \n\n", 1)[1]
        self.assertIn('am Rd8; id "avoid the mate";', bad)
        self.assertNotIn("long form", bad)

    def test_missing_file(self):
        run = run_tool(["-testsuite", "16", "1", "depth", "4", "missing.epd"])
        self.assertNotIn("Score", run.stdout)
        self.assertEqual(run.returncode, 1)


class BenchmarkTool(unittest.TestCase):
    REPORT = [r"Time : \d+\.\d\d s \(\d\d:\d\d:\d\d\.\d\d\d\)", r"Nodes : \d+", r"Average speed : \d+ nodes/s"]

    def test_missing_file_falls_back_to_the_built_in_positions(self):
        run = run_tool(["-benchmark", "8", "1", "depth", "3", "missing.epd"])
        self.assertEqual(run.returncode, 0)
        lines = run.stdout.splitlines()
        self.assertEqual([line for line in lines if line.startswith("position")],
                         [f"position {i} / 24" for i in range(1, 25)])
        tail = lines[24:]
        for line, pattern in zip(tail, self.REPORT + [r"Hash table size : 8 Mb", r"Search depth : 3",
                                                     r"Number of threads : 1"]):
            self.assertRegex(line, "^" + pattern + "$")
        self.assertEqual(len(tail), 6)

    def test_time_mode_report(self):
        positions = "4k3/8/8/8/8/8/8/R3K3 w - -\n4k3/8/8/8/8/8/4P3/4K3 w - -\n"
        run = run_tool(["-benchmark", "8", "1", "time", "1", "two.epd"], files={"two.epd": positions})
        tail = run.stdout.splitlines()[2:]
        patterns = self.REPORT + [r"Average depth = \d+, min = \d+, max = \d+", r"Hash table size : 8 Mb",
                                  r"Search time : 1 s", r"Number of threads : 1"]
        self.assertEqual(len(tail), len(patterns), run.stdout)
        for line, pattern in zip(tail, patterns):
            self.assertRegex(line, "^" + pattern + "$")

    @unittest.skipIf(SANITIZED, "the signature is checked on the release build")
    def test_bench_signature(self):
        first = run_tool(BENCH_ARGS)
        nodes = re.search(r"^Nodes : (\d+)$", first.stdout, re.M)
        self.assertIsNotNone(nodes, first.stdout)
        self.assertEqual(int(nodes.group(1)), BENCH_NODES)


class EvalAndFenTools(unittest.TestCase):
    def test_eval_suite_prints_one_line_per_valid_fen(self):
        fens = ("4k3/8/8/8/8/8/8/R3K3 w - - 0 1\n"
                "not a fen\n"
                "4k3/8/8/8/8/8/8/R3K3 b - - 0 1\n")
        run = run_tool(["-evalsuite", "positions.fen"], files={"positions.fen": fens})
        evals = [line for line in run.stdout.splitlines() if " ; eval " in line]
        self.assertEqual(len(evals), 2, run.stdout)
        white, black = (int(line.rsplit(" ", 1)[1]) for line in evals)
        self.assertGreater(white, 400)
        self.assertEqual(black, -white)  # the side to move's view
        self.assertRegex(run.stdout, r"\nTime : \d\d:\d\d:\d\d\.\d\d\d\nSpeed : \d+ eval/s\n")

    def test_fen_check(self):
        lines = ("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\n"
                 "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - bm Bb5;\n"
                 "4k2P/8/8/8/8/8/8/4K3 w - - 0 1\n"
                 "4k3/8/8/8/8/8/8/3KK3 w - - 0 1\n"
                 "4k3/44P/8/8/8/8/8/4K3 w - - 0 1\n")
        run = run_tool(["-checkfensuite", "check.fen"], files={"check.fen": lines})
        self.assertTrue(run.stdout.startswith("Check FEN suite : 'check.fen'\n"))
        self.assertEqual(run.stdout.count("Invalid FEN String : '"), 3)
        self.assertIn("Checked 2 / 5 valid FEN string", run.stdout)

    def test_see_test(self):
        run = run_tool(["-testsee", "see.epd"], files={"see.epd": TACTICS})
        self.assertIn("Count positions = 6\n", run.stdout)
        self.assertRegex(run.stdout, r"Count SEE = \d+\nTime = \d\d:\d\d:\d\d\.\d\d\d\nSpeed : \d+ SEE/s\n")


class BuildBookTool(unittest.TestCase):
    def test_book_file_from_pgn(self):
        pgn = '[Result "1-0"]\n\n1. e4 e5 2. Nf3 Nc6 1-0\n\n[Result "0-1"]\n\n1. d4 d5 0-1\n'
        run = run_tool(["-buildbook", "games.pgn", "book.bin", "2", "1"], files={"games.pgn": pgn})
        self.assertEqual(run.returncode, 0)
        book = run.raw_files["book.bin"]
        self.assertEqual(book[:4], b"BOOK")
        version, count = struct.unpack("<II", book[4:12])
        self.assertEqual((version, count), (0x00020000, 5))
        self.assertEqual(len(book), 12 + 16 * count)
        keys = [struct.unpack("<Q", book[12 + 16 * i:20 + 16 * i])[0] for i in range(count)]
        self.assertEqual(keys, sorted(keys))


if __name__ == "__main__":
    unittest.main()
