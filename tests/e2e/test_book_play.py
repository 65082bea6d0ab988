"""The opening book in play: a book built from PGN answers at once in both
protocols (with a ponder move when pondering is on), and is no longer asked
once the game has twenty moves."""

import os
import unittest

from talvik_session import TalvikSession, run_tool

# Unusual moves that no search of the start position would choose, so a reply
# of b2b3 can only come from the book.
LINE = ("1. b3 e5 2. Bb2 Nc6 3. e3 d5 4. Bb5 Bd6 5. Nf3 Qe7 6. O-O Nf6 7. d4 e4 8. Ne5 O-O "
        "9. Nxc6 bxc6 10. Be2 Nd7 11. c4 Qh4 12. g3 Qh3")
COORDINATES = ("b2b3 e7e5 c1b2 b8c6 e2e3 d7d5 f1b5 f8d6 g1f3 d8e7 e1g1 g8f6 d2d4 e5e4 f3e5 e8g8 "
               "e5c6 b7c6 b5e2 f6d7 c2c4 e7h4 g2g3 h4h3").split()
PGN = "".join(f'[Event "{i}"]\n[Result "1-0"]\n\n{LINE} 1-0\n\n' for i in range(3))


def build_book(workdir):
    run = run_tool(["-buildbook", "games.pgn", "book.bin", "15", "1"], files={"games.pgn": PGN})
    with open(os.path.join(workdir, "book.bin"), "wb") as f:
        f.write(run.raw_files["book.bin"])


def answer(session, go):
    """The bestmove line of one search, and whether the search reported lines."""
    session.send(go)
    searched = False
    while True:
        line = session.read_line()
        if line.startswith("info depth") and " pv " in line:
            searched = True
        if line.startswith("bestmove"):
            return line, searched


class BookInPlay(unittest.TestCase):
    def session(self, ini):
        session = TalvikSession(ini=ini)
        self.addCleanup(session.close)
        build_book(session.workdir)
        return session

    def test_uci_book_moves_with_ponder_and_the_twenty_move_limit(self):
        session = self.session({"Book": 1, "BookFile": "book.bin"})
        session.send("uci")
        session.wait_for("^uciok$")
        session.send("position startpos")
        self.assertEqual(answer(session, "go depth 6"), ("bestmove b2b3", False))
        session.send("setoption name Ponder value true")
        session.send("position startpos moves b2b3")
        line, searched = answer(session, "go depth 6")
        self.assertFalse(searched)
        self.assertRegex(line, r"^bestmove e7e5 ponder [a-h][1-8][a-h][1-8]$")
        # Twenty moves played: the book is no longer asked, though it knows the position.
        session.send("position startpos moves " + " ".join(COORDINATES[:20]))
        line, searched = answer(session, "go depth 3")
        self.assertTrue(searched, line)
        session.send("position startpos moves " + " ".join(COORDINATES[:19]))
        self.assertEqual(answer(session, "go depth 3")[1], False)
        session.send("setoption name OwnBook value false")
        session.send("position startpos")
        self.assertTrue(answer(session, "go depth 3")[1])
        session.send("quit")
        self.assertEqual(session.wait_exit(), 0)

    def test_xboard_plays_from_the_book(self):
        session = self.session({"Book": 1, "BookFile": "book.bin"})
        for line in ("xboard", "protover 2", "new", "sd 4", "go"):
            session.send(line)
        session.wait_for("^move b2b3$")
        session.send("e7e5")
        session.wait_for("^move c1b2$")
        session.send("quit")
        self.assertEqual(session.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
