"""The perft tools of the command line: -perft, -divide, -perftd, -perftsuite."""

import os
import re
import unittest

from talvik_session import DATA_DIR, TalvikSession, run_tool

KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
TIME_LINE = r"Time = \d\d+:\d\d:\d\d\.\d\d\d"
SPEED_LINE = r"Speed = \d+"
SUITE = os.path.join(DATA_DIR, "perft", "standard.epd")


def suite_line_count(path):
    with open(path) as f:
        return sum(1 for line in f if line.strip())


class PerftReports(unittest.TestCase):
    def assert_lines(self, lines, patterns):
        self.assertEqual(len(lines), len(patterns), lines)
        for line, pattern in zip(lines, patterns):
            self.assertRegex(line, "^" + pattern + "$")

    def test_perft_report(self):
        cases = [
            (["-perft", "3"], 3, 8902),
            (["-perft", "2", "-fen", KIWIPETE], 2, 2039),
            (["-perft", "0"], 0, 1),  # a tree of depth 0 is its root
            (["-perft", "-3"], 0, 1),  # negative depths count as 0
        ]
        for args, depth, nodes in cases:
            with self.subTest(args=args):
                run = run_tool(args)
                self.assertEqual(run.returncode, 0, run.stderr)
                self.assert_lines(run.lines, [f"Depth {depth}", f"Nodes = {nodes}", TIME_LINE, SPEED_LINE])

    def test_perftd_report(self):
        run = run_tool(["-perftd", "3", "-fen", KIWIPETE])
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assert_lines(
            run.lines,
            [
                "Depth 3",
                "Nodes = 97862",
                "Nodes captures = 17102",
                r"Nodes e\.p = 45",
                "Nodes check = 993",
                "Nodes mate = 1",
                "Nodes promotion = 0",
                "Nodes castle = 3162",
                TIME_LINE,
                SPEED_LINE,
            ],
        )

    def test_divide_report(self):
        run = run_tool(["-divide", "2"])
        self.assertEqual(run.returncode, 0, run.stderr)
        moves, tail = run.lines[:20], run.lines[20:]
        self.assertIn("    Nb1-a3 : 20", moves)
        self.assertIn("     e2-e4 : 20", moves)
        for line in moves:
            self.assertRegex(line, r"^ *[NBRQK]?[a-h][1-8][-x][a-h][1-8] : \d+$")
            self.assertEqual(line.index(" : "), 10)  # move text right-aligned in 10 columns
        self.assert_lines(tail, ["", "     total : 400", "", TIME_LINE, SPEED_LINE])

    def test_divide_below_depth_two_lists_each_move_once(self):
        for depth in ("1", "0", "-2"):
            with self.subTest(depth=depth):
                run = run_tool(["-divide", depth, "-fen", KIWIPETE])
                self.assertEqual(run.returncode, 0)
                moves = run.lines[:-5]
                self.assertEqual(len(moves), 48)
                self.assertTrue(all(line.endswith(" : 1") for line in moves))
                self.assertIn("       O-O : 1", moves)
                self.assertIn("     O-O-O : 1", moves)
                self.assertEqual(run.lines[-4], "     total : 48")

    def test_reports_are_protocol_lines(self):
        run = run_tool(["-perft", "1"], ini={"LogLevel": 64})
        log = run.files["logfile.txt"]
        for text in ("Depth 1", "Nodes = 20"):
            self.assertRegex(log, r"GUI        >> " + re.escape(text) + "\n")

    def test_bad_fen(self):
        for fen in ("not a fen", "", "8/8/8/8/8/8/8/8 w - - 0 1", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x"):
            for tool in ("-perft", "-divide", "-perftd"):
                with self.subTest(tool=tool, fen=fen):
                    run = run_tool([tool, "2", "-fen", fen], ini={"LogLevel": 31})
                    self.assertEqual(run.returncode, 1)
                    self.assertEqual(run.stdout, "Bad FEN string !\n")
                    log = run.files["logfile.txt"]
                    self.assertIn("ERROR      Invalid FEN string", log)
                    self.assertRegex(log, r"INFO       End\.\n")

    def test_argument_counts_that_do_not_fit_start_protocol_mode(self):
        for args in (["-perft"], ["-divide", "2", "-fen"], ["-perftsuite", SUITE, "1", "x"], ["-perftd", "1", "x", "y"]):
            with self.subTest(args=args):
                with TalvikSession(args) as engine:
                    engine.wait_for(r"^Talvik ")
                    engine.send("uci")
                    engine.wait_for("^uciok$")
                    engine.send("quit")
                    self.assertEqual(engine.wait_exit(), 0)


class PerftSuite(unittest.TestCase):
    def test_standard_suite_passes_at_depth_4(self):
        lines = suite_line_count(SUITE)
        run = run_tool(["-perftsuite", SUITE, "4"], ini={"LogLevel": 127, "Hash": 1})
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout, f"score = {lines} / {lines}\n")
        # The score goes to standard output only.
        self.assertNotIn("score", run.files["logfile.txt"])

    def test_default_and_negative_depths(self):
        # No depth means 1, a negative one 5.
        suite = (
            "8/8/8/8/k2Pp2Q/8/8/3K4 b - d3 0 1 ;D1 6 ;D5 117741\n"
            "8/8/4k3/8/2p5/8/B2P2K1/8 w - - 0 1 ;D1 13 ;D5 135655\n"
            "8/8/4k3/8/2p5/8/B2P2K1/8 w - - 0 1 ;D1 12 ;D5 135656\n"
        )
        for args, score in ((["-perftsuite", "mini.epd"], "2 / 3"), (["-perftsuite", "mini.epd", "-1"], "2 / 3"),
                            (["-perftsuite", "mini.epd", "3"], "0 / 3")):
            with self.subTest(args=args):
                run = run_tool(args, files={"mini.epd": suite})
                self.assertEqual(run.returncode, 0)
                self.assertEqual(run.stdout, f"score = {score}\n")

    def test_missing_file(self):
        run = run_tool(["-perftsuite", "no-such-file.epd", "2"], ini={"LogLevel": 16})
        self.assertEqual(run.returncode, 0)
        self.assertEqual(run.stdout, "")
        self.assertIn("ERROR      file not found : no-such-file.epd\n", run.files["logfile.txt"])


if __name__ == "__main__":
    unittest.main()
