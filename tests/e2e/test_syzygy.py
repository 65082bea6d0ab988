"""Syzygy endgame tables through both protocols, with the shared tables of
every ending of up to four pieces: the moves and scores they decide, the
positions they must not see, and paths or files that hold no usable tables."""

import os
import re
import shutil
import tempfile
import unittest

from protocol_session import read_through, uci_engine, xboard_engine, xboard_sync
from talvik_session import SOURCE_DIR

TABLES = os.path.abspath(os.path.join(SOURCE_DIR, "..", "shared", "syzygy"))
TABLE_WIN = 31489  # above every evaluation, below the mate scores
INFO = re.compile(r"^info depth \d+ .*score (cp|mate) (-?\d+) .*tbhits (\d+) pv")

# (FEN, go arguments, best moves allowed, score of the last line or None, table hits expected)
SEARCHES = [
    ("7k/8/8/8/8/8/4r3/3K4 w - - 0 1", "depth 6", {"d1e2"}, 0, True),  # the rook hangs: take it, a draw
    ("4k3/8/4K3/4P3/8/8/8/8 w - - 0 1", "depth 6", {"e6d6", "e6f6"}, TABLE_WIN, True),  # not Kd5/Kf5
    ("8/8/8/8/3pP3/8/8/K6k b - e3 0 1", "depth 4", {"d4e3"}, TABLE_WIN, True),  # en passant
    ("8/8/4k3/8/8/3K4/8/Q5r1 w - - 0 1", "depth 6", {"a1g1"}, TABLE_WIN, True),
    ("8/8/8/4k3/8/8/8/3QK3 w - - 0 1", "depth 4 searchmoves d1d4", {"d1d4"}, 0, True),  # drawn by the listed move
    ("r3k3/8/8/8/8/8/8/4K3 w q - 0 1", "depth 1", None, None, False),  # castling rights
    ("4k3/8/8/8/8/8/PPP5/4K3 w - - 0 1", "depth 1", None, None, False),  # five pieces
    ("k7/1Q6/1K6/8/8/8/8/8 b - - 0 1", "depth 3", {"0000"}, None, False),  # mated
    ("k7/2Q5/1K6/8/8/8/8/8 b - - 0 1", "depth 3", {"0000"}, None, False),  # stalemated
]


def search(session, fen, go):
    session.send(f"position fen {fen}")
    session.send(f"go {go}")
    lines = read_through(session, "^bestmove")
    infos = [INFO.match(line) for line in lines if INFO.match(line)]
    return infos, lines[-1].split()[1]


@unittest.skipUnless(os.path.exists(os.path.join(TABLES, "KQvK.rtbw")), "no shared tables")
class SyzygyTables(unittest.TestCase):
    def test_uci_searches_with_tables(self):
        with uci_engine(1) as session:
            session.send(f"setoption name SyzygyPath value {TABLES}")
            session.wait_for(r"^info string Syzygy: 35 tables found \(35 with DTZ\), up to 4 pieces$")
            for fen, go, moves, score, hits in SEARCHES:
                with self.subTest(fen=fen):
                    infos, best = search(session, fen, go)
                    if moves is not None:
                        self.assertIn(best, moves)
                    if score is not None:
                        self.assertEqual((infos[-1].group(1), int(infos[-1].group(2))), ("cp", score))
                    self.assertEqual(any(int(info.group(3)) > 0 for info in infos), hits)
            # A late win: drawn by the fifty-move rule unless it is switched off.
            for rule, score in (("true", 0), ("false", TABLE_WIN)):
                session.send(f"setoption name Syzygy50MoveRule value {rule}")
                infos, _ = search(session, "8/8/8/4k3/8/8/8/KBN5 w - - 60 1", "depth 3")
                self.assertEqual(int(infos[-1].group(2)), score, rule)
            self.assertIn(f'Syzygy path "{TABLES}": 35 tables (35 WDL, 35 DTZ) of up to 4 pieces',
                          session.read_file("logfile.txt"))

    def test_paths_and_files_without_usable_tables(self):
        scratch = tempfile.mkdtemp(prefix="talvik-syzygy-")
        self.addCleanup(shutil.rmtree, scratch)
        damaged = {"garbage": lambda data: os.urandom(len(data)), "truncated": lambda data: data[: len(data) // 2]}
        for name, damage in damaged.items():
            os.makedirs(os.path.join(scratch, name))
            for table in ("KQvKR.rtbw", "KQvKR.rtbz"):
                with open(os.path.join(TABLES, table), "rb") as f:
                    data = f.read()
                with open(os.path.join(scratch, name, table), "wb") as f:
                    f.write(damage(data) if table.endswith("rtbw") else data)
        os.makedirs(os.path.join(scratch, "empty"))
        # Without distance-to-zero tables the win/draw/loss tables rank the root.
        os.makedirs(os.path.join(scratch, "wdl"))
        for table in os.listdir(TABLES):
            if table.endswith(".rtbw"):
                shutil.copy(os.path.join(TABLES, table), os.path.join(scratch, "wdl"))
        paths = [(os.path.join(scratch, name), "0 tables") for name in ("missing", "empty", "garbage", "truncated")]
        paths += [("/" + "x" * 9999, "0 tables"), ("<empty>", "0 tables"),
                  (os.path.join(scratch, "wdl"), r"35 tables found \(0 with DTZ\)")]
        with uci_engine(1) as session:
            for path, found in paths:
                with self.subTest(path=path[:60]):
                    session.send(f"setoption name SyzygyPath value {path}")
                    session.wait_for(r"^info string Syzygy: " + found)
                    infos, best = search(session, "8/8/4k3/8/8/3K4/8/Q5r1 w - - 0 1", "depth 5")
                    self.assertEqual(best, "a1g1")
                    self.assertEqual(bool(infos), path.endswith("wdl"))  # tbhits only while tables are open
                    if infos:
                        self.assertEqual(int(infos[-1].group(2)), TABLE_WIN)

    def test_xboard_egtpath(self):
        with xboard_engine(1) as session:
            self.assertIn('feature egt="syzygy"', session.seen)
            session.send("egtpath gaviota /usr/share/games/gaviota")  # a kind of tables Talvik does not read
            session.send(f"egtpath syzygy {TABLES}")
            session.send("new")
            session.send("force")
            session.send("setboard 8/8/4k3/8/8/3K4/8/Q5r1 w - - 0 1")
            session.send("sd 5")
            session.send("post")
            session.send("go")
            lines = read_through(session, "^move ")
            self.assertEqual(lines[-1], "move a1g1")
            thinking = [line.split() for line in lines if re.match(r"^\d+ -?\d+ \d+ \d+ ", line)]
            self.assertEqual(int(thinking[-1][1]), TABLE_WIN)
            xboard_sync(session)


if __name__ == "__main__":
    unittest.main()
