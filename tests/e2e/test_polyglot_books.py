"""Opening books in the Polyglot format, with Debian's polyglot tool as the
independent producer and reader: Talvik plays from a book polyglot made, in
both protocols, and polyglot reads the books "-buildbook ... polyglot" writes.
Files that are no book are refused with the reason in the log.

The tests that need polyglot skip without it, except on CI (or with
TALVIK_REQUIRE_REAL_CLIENTS set), where they must run."""

import os
import random
import re
import shutil
import struct
import subprocess
import unittest

from talvik_session import TalvikSession, ini_text, make_workdir, require_tools, run_tool
from test_book_play import answer

POLYGLOT = next((p for p in ("/usr/games/polyglot", "/usr/bin/polyglot") if os.access(p, os.X_OK)),
                shutil.which("polyglot"))

# (SAN, coordinates): five openings, castling and an en-passant chance among them.
OPENINGS = [
    ("1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7",
     "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6 e1g1 f8e7"),
    ("1. e4 e5 2. Nf3 Nc6 3. Bc4 Bc5 4. O-O Nf6 5. d3 O-O",
     "e2e4 e7e5 g1f3 b8c6 f1c4 f8c5 e1g1 g8f6 d2d3 e8g8"),
    ("1. d4 Nf6 2. c4 e6 3. Nc3 Bb4 4. e3 O-O 5. Bd3 d5",
     "d2d4 g8f6 c2c4 e7e6 b1c3 f8b4 e2e3 e8g8 f1d3 d7d5"),
    ("1. e4 c5 2. Nf3 d6 3. d4 cxd4 4. Nxd4 Nf6 5. Nc3 a6",
     "e2e4 c7c5 g1f3 d7d6 d2d4 c5d4 f3d4 g8f6 b1c3 a7a6"),
    ("1. e4 Nf6 2. e5 d5 3. exd6 exd6 4. Nf3 Be7 5. Be2 O-O",
     "e2e4 g8f6 e4e5 d7d5 e5d6 e7d6 g1f3 f8e7 f1e2 e8g8"),
]
# Every opening once drawn, so that each move scores for its side; decisive
# repeats spread the weights. After 1. e4, Nf6 and c5 weigh the same and
# Nf6 comes first: polyglot keeps moves of equal weight in the games' order.
RESULTS = [(0, "1/2-1/2"), (1, "1/2-1/2"), (2, "1/2-1/2"), (4, "1/2-1/2"), (3, "1/2-1/2"),
           (0, "1-0"), (0, "1-0"), (2, "0-1"), (3, "1-0")]
PGN = "".join(f'[Event "{i}"]\n[Result "{result}"]\n\n{OPENINGS[opening][0]} {result}\n\n'
              for i, (opening, result) in enumerate(RESULTS))
DEPTH = 5          # -buildbook depth: White's first 5 moves, Black's first 4
PLIES = 2 * DEPTH - 1


def san_moves(text):
    return [word for word in text.split() if not word.endswith(".")]


def coordinates(text):
    return text.split()


def polyglot(workdir, *args):
    done = subprocess.run([POLYGLOT, *args], cwd=workdir, capture_output=True, text=True, timeout=120)
    return done.returncode, done.stdout + done.stderr


def dump_lines(workdir, book, colour):
    """The dump's lines as lists of (SAN, share in per cent or None)."""
    status, output = polyglot(workdir, "dump-book", "-bin", book, "-color", colour, "-out", f"{colour}.txt")
    assert status == 0, output
    lines = []
    with open(os.path.join(workdir, f"{colour}.txt")) as f:
        for line in f:
            if re.match(r"^\d+:", line):
                moves = []
                for word in line.split()[1:]:
                    if word.startswith("{"):
                        break  # a remark: "{trans: line=7, ply=4}"
                    if word.endswith("."):
                        continue
                    found = re.match(r"^([^{]+)(?:\{(\d+)%\})?$", word)
                    moves.append((found.group(1), int(found.group(2)) if found.group(2) else None))
                lines.append(moves)
    return lines


def listed_moves(workdir, book):
    """Book moves by position, the position being its SAN move sequence."""
    listed = {}
    for colour in ("white", "black"):
        for line in dump_lines(workdir, book, colour):
            for ply, (san, share) in enumerate(line):
                if share is not None:
                    listed.setdefault(tuple(m for m, _ in line[:ply]), {})[san] = share
    return listed


def book_move(text):
    """A Polyglot move from coordinate text (e2e4)."""
    square = lambda s: (ord(s[0]) - ord("a"), int(s[1]) - 1)
    (from_file, from_rank), (to_file, to_rank) = square(text[:2]), square(text[2:4])
    return to_file | to_rank << 3 | from_file << 6 | from_rank << 9


def session_in(workdir, ini):
    """An engine started in `workdir` with this talvik.ini."""
    with open(os.path.join(workdir, "talvik.ini"), "w") as f:
        f.write(ini_text(ini))
    return TalvikSession(workdir=workdir)


def book_entries(path):
    with open(path, "rb") as f:
        data = f.read()
    return [struct.unpack(">QHHI", data[i:i + 16]) for i in range(0, len(data), 16)]


class PolyglotTool(unittest.TestCase):
    def setUp(self):
        require_tools(self, [] if POLYGLOT else ["polyglot"], "Polyglot book test", "TALVIK_REQUIRE_REAL_CLIENTS")
        self.workdir = make_workdir(files={"games.pgn": PGN})
        self.addCleanup(shutil.rmtree, self.workdir, ignore_errors=True)
        status, output = polyglot(self.workdir, "make-book", "-pgn", "games.pgn", "-bin", "polyglot.bin",
                                  "-max-ply", str(PLIES), "-min-game", "1")
        self.assertEqual(status, 0, output)

    def talvik_book(self):
        run = run_tool(["-buildbook", "games.pgn", "talvik.bin", str(DEPTH), "1", "polyglot"], files={"games.pgn": PGN})
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(os.path.join(self.workdir, "talvik.bin"), "wb") as f:
            f.write(run.raw_files["talvik.bin"])

    def test_polyglot_reads_the_book_talvik_writes(self):
        self.talvik_book()
        status, output = polyglot(self.workdir, "info-book", "-bin", "talvik.bin")
        self.assertEqual(status, 0, output)
        self.assertNotRegex(output.lower(), "error|illegal")
        self.assertRegex(output, r"Lines for white\s*:\s*[1-9]")
        # Every opening, as far as the book goes, is a line of the dumps.
        for colour, plies in (("white", PLIES), ("black", PLIES - 1)):
            lines = [[san for san, _ in line] for line in dump_lines(self.workdir, "talvik.bin", colour)]
            for san, _ in OPENINGS:
                self.assertIn(san_moves(san)[:plies], [line[:plies] for line in lines], colour)
        # Weights from the same points as polyglot's own books: the same entries,
        # in the same order (moves of equal weight as the games first played them).
        self.assertEqual(book_entries(os.path.join(self.workdir, "talvik.bin")),
                         book_entries(os.path.join(self.workdir, "polyglot.bin")))

    def play(self, session, moves):
        """The engine's move, and whether it searched for it."""
        session.send("position startpos" + (" moves " + " ".join(moves) if moves else ""))
        line, searched = answer(session, "go depth 4")
        return line.split()[1], searched

    def test_uci_plays_the_heaviest_listed_move_and_only_listed_moves(self):
        listed = listed_moves(self.workdir, "polyglot.bin")
        session = session_in(self.workdir, {"Hash": 1, "Book": 1, "BookFile": "polyglot.bin"})
        self.addCleanup(session.close)
        session.send("uci")
        session.wait_for("^uciok$")
        for san_text, coordinate_text in OPENINGS:
            san, coords = san_moves(san_text), coordinates(coordinate_text)
            for ply in range(PLIES):
                shares = listed.get(tuple(san[:ply]), {})
                # The openings' moves where they share a position name the listed SAN.
                names = {san[ply]: coords[ply]}
                for other_san, other_coords in OPENINGS:
                    other = san_moves(other_san)
                    if other[:ply] == san[:ply]:
                        names[other[ply]] = coordinates(other_coords)[ply]
                move, searched = self.play(session, coords[:ply])
                self.assertFalse(searched, (san[:ply], move))
                best = max(shares.values())
                self.assertIn(move, [names[m] for m, share in shares.items() if share == best], san[:ply])
        # The book knows no move after the openings' last book ply: a search.
        self.assertTrue(self.play(session, coordinates(OPENINGS[0][1]))[1])
        # Never consulted in Chess960.
        session.send("setoption name UCI_Chess960 value true")
        self.assertTrue(self.play(session, [])[1])
        session.send("quit")
        self.assertEqual(session.wait_exit(), 0)

    def test_low_selectivity_plays_several_listed_moves(self):
        listed = listed_moves(self.workdir, "polyglot.bin")[()]
        names = {san_moves(s)[0]: coordinates(c)[0] for s, c in OPENINGS}
        session = session_in(self.workdir, {"Hash": 1, "Book": 1, "BookFile": "polyglot.bin", "BookSelectivity": 1})
        self.addCleanup(session.close)
        session.send("uci")
        session.wait_for("^uciok$")
        played = set()
        for _ in range(60):
            move, searched = self.play(session, [])
            self.assertFalse(searched)
            played.add(move)
        self.assertLessEqual(played, {names[m] for m in listed})
        self.assertGreater(len(played), 1)
        session.send("quit")
        self.assertEqual(session.wait_exit(), 0)

    def test_xboard_announces_the_book_and_takes_a_new_one(self):
        # The configured book is missing; the GUI names one that exists.
        session = session_in(self.workdir, {"Hash": 1, "Book": 1, "BookFile": "missing.bin"})
        self.addCleanup(session.close)
        for line in ("xboard", "protover 2"):
            session.send(line)
        session.wait_for('^feature option="Book -file missing.bin"$')
        session.wait_for("^feature done=1$")
        for line in ("option Book=polyglot.bin", "new", "sd 8", "go"):
            session.send(line)
        session.wait_for("^move e2e4$")  # 10 of the 11 points of the start position's moves
        session.send("quit")
        self.assertEqual(session.wait_exit(), 0)


class BadBookFiles(unittest.TestCase):
    def test_files_that_are_no_book_are_refused_with_a_reason(self):
        rng = random.Random(19)
        start = 0x463B96181691FC9C
        files = {
            "empty.bin": (b"", "the file is empty"),
            "short.bin": (bytes(15), "15 bytes, less than one 16-byte Polyglot entry"),
            "unsorted.bin": (struct.pack(">QHHI", start, book_move("e2e4"), 1, 0) +
                             struct.pack(">QHHI", start - 1, book_move("e2e4"), 1, 0), "entry 1 is out of key order"),
            "random.bin": (bytes(rng.randrange(256) for _ in range(4096)), "out of key order"),
        }
        workdir = make_workdir()
        self.addCleanup(shutil.rmtree, workdir, ignore_errors=True)
        for name, (data, _) in files.items():
            with open(os.path.join(workdir, name), "wb") as f:
                f.write(data)
        # An illegal move and a weight-0 move: skipped, the legal one is played.
        with open(os.path.join(workdir, "illegal.bin"), "wb") as f:
            for move, weight in (("e2e5", 9), ("e2e4", 0), ("d2d4", 1)):
                f.write(struct.pack(">QHHI", start, book_move(move), weight, 0))
        with session_in(workdir, {"Hash": 1, "LogLevel": 127}) as session:
            session.send("uci")
            session.send("setoption name OwnBook value true")
            session.wait_for("^info string book file not found$")
            for name in files:
                session.send(f"setoption name Book value {name}")
                session.wait_for("^info string book file not found$")
            session.send("setoption name Book value illegal.bin")
            session.send("position startpos")
            session.send("go depth 6")
            self.assertEqual(session.wait_for("^bestmove (\\S+)").group(1), "d2d4")
            session.send("quit")
            self.assertEqual(session.wait_exit(), 0)
            log = session.read_file("logfile.txt")
        for name, (_, reason) in files.items():
            self.assertRegex(log, f"book file {name} is not an opening book: .*{re.escape(reason)}")


if __name__ == "__main__":
    unittest.main()
