"""Fuzzed command lines for both protocols in both input modes: command words
with random tokens, missing and huge numbers, garbage FENs and move lists,
and raw bytes. The engine must keep answering, end cleanly on "quit", and
(in the sanitizer build) report no error.

Two kinds of request are kept within bounds, because they are honoured, not
refused: deep perft counts (a depth of 9 runs for hours) and big tables
(Hash 2048 allocates 2 GB, Threads 64 starts 64 threads)."""

import random
import unittest

from protocol_session import INPUT_MODES, engine, read_through

SEEDS = (20240612, 7, 99)
LINES = 400

UCI_WORDS = ["go", "position", "isready", "ponderhit", "setoption", "ucinewgame", "stop", "debug",
             "printBoard", "eval", "printHashKey", "printFEN", "uci", "goes", "positionfen", "stopping"]
GO_WORDS = ["ponder", "wtime", "btime", "winc", "binc", "movetime", "movestogo", "infinite", "nodes", "depth",
            "searchmoves"]
OPTIONS = ["Ponder", "OwnBook", "UsePersonality", "PersonalityFile", "UCI_Chess960", "MultiPV", "NullMovePruning",
           "LateMoveReduction", "UCI_LimitStrength", "UCI_Elo", "DrawScore", "Book", "PawnValue", "BishopPair",
           "Unknown"]
XBOARD_WORDS = ["time", "otim", "go", "undo", "force", "result", "analyze", "exit", "setboard", "?", "new", "easy",
                "hard", "post", "nopost", "accepted", "refused", "protover", "st", "sd", "level", "#", ".",
                "computer", "cores", "option", "variant", "printBoard", "eval", "printHashKey", "printFEN", "xboard",
                "remove", "usermove", "white", "black", "draw", "name", "rating"]
FENS = ["rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "8/8/8/8/8/8/8/8 w - - 0 1",
        "7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1",
        "1r1k2r1/pppppppp/8/8/8/8/PPPPPPPP/1R1K2R1 w GBgb - 0 1", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR",
        "kkkk/8/8 w", "9/9/9/9/9/9/9/9 w - - 0 1", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq z9 -5 0",
        "K7/8/8/8/8/8/8/7k w - - 999999999999 999999999999", "/" * 40]
NUMBERS = ["0", "1", "2", "-1", "-5", "7", "40", "0:30", "5:", ":", "2.5", "-0", "+3", "1e9", "nan", "inf",
           "9" * 63, "-" + "9" * 70, "2147483648", "-2147483649", "18446744073709551616", "x12", "0x10"]


OPENING_MOVES = ["e2e4", "d2d4", "g1f3", "b1c3", "c2c4", "e7e5", "d7d5", "g8f6", "b8c6", "c7c5", "e7e6", "f1c4"]


def random_move(rng):
    if rng.random() < 0.4:
        return rng.choice(OPENING_MOVES)  # often legal, so that searches follow
    if rng.random() < 0.1:
        return rng.choice(["O-O", "O-O-O", "0000", "e1g1", "e8c8", "a7a8q", "h2h1n", "e2e4e"])
    squares = [f + r for f in "abcdefgh" for r in "12345678"]
    return rng.choice(squares) + rng.choice(squares) + (rng.choice("qrbnkx") if rng.random() < 0.1 else "")


def random_token(rng):
    roll = rng.random()
    if roll < 0.3:
        return rng.choice(NUMBERS)
    if roll < 0.5:
        return random_move(rng)
    if roll < 0.6:
        return "".join(chr(rng.randrange(33, 127)) for _ in range(rng.randint(1, 12)))
    if roll < 0.63:
        return "z" * rng.randint(200, 5000)
    return rng.choice(GO_WORDS + OPTIONS + ["moves", "fen", "startpos", "name", "value", "Clear", "Hash"])


def tokens(rng, count):
    return " ".join(random_token(rng) for _ in range(count))


def uci_line(rng):
    word = rng.choice(UCI_WORDS + ["go"] * 4 + ["position"] * 4 + ["setoption"] * 3 + ["perft", "divide", "perftd"])
    if word in ("perft", "divide", "perftd"):
        return f"{word} {rng.randint(-2, 3)}"
    if word == "position":
        head = rng.choice(["startpos", "fen " + rng.choice(FENS), "fen", "", tokens(rng, 2)])
        tail = rng.choice(["", "moves " + " ".join(random_move(rng) for _ in range(rng.randint(0, 8))),
                           "moves e2e4 e7e5 g1f3 b8c6", tokens(rng, 3)])
        return f"position {head} {tail}"
    if word == "setoption":
        name = rng.choice(OPTIONS + ["Clear Hash", "Hash", "Threads"])
        value = rng.choice(NUMBERS + ["true", "false", "", "no such file.txt"])
        if name in ("Hash", "Threads"):
            value = str(rng.randint(-1, 4))
        return rng.choice([f"setoption name {name} value {value}", f"setoption name {name}",
                           f"setoption {tokens(rng, 3)}", f"setoption name {name} value"])
    if word == "go":
        words = [rng.choice(GO_WORDS) + " " + rng.choice(NUMBERS + ["1", "2", "50"]) for _ in range(rng.randint(0, 4))]
        return "go " + " ".join(words) + rng.choice(["", " depth 2", " movetime 20", " infinite"])
    return f"{word} {tokens(rng, rng.randint(0, 4))}"


def xboard_line(rng):
    roll = rng.random()
    if roll < 0.25:
        return random_move(rng) + rng.choice(["", " " + tokens(rng, 1)])
    if roll < 0.3:
        return f"{rng.choice(['perft', 'divide', 'perftd'])} {rng.randint(-2, 3)}"
    word = rng.choice(XBOARD_WORDS + ["go", "new", "hard", "?", "sd", "st"] * 2)
    if word == "setboard":
        return "setboard " + rng.choice(FENS + [tokens(rng, 4)])
    if word == "level":
        return "level " + " ".join(rng.choice(NUMBERS) for _ in range(rng.randint(0, 4)))
    if word in ("time", "otim", "st", "sd", "protover", "cores"):
        return f"{word} {rng.choice(NUMBERS + ['1', '2'])}"
    return f"{word} {tokens(rng, rng.randint(0, 3))}"


def garbage(rng):
    data = bytes(rng.randrange(256) for _ in range(rng.randint(1, 300)))
    return data.replace(b"\n", b" ")


class Fuzz(unittest.TestCase):
    def run_fuzz(self, first, make_line, probe, answer):
        for seed, mode in [(seed, mode) for seed in SEEDS for mode in INPUT_MODES]:
            rng = random.Random(seed)
            with self.subTest(seed=seed, mode=mode), engine(mode) as session:
                session.send(first)
                probes = 0
                for number in range(LINES):
                    if number % 25 == 0:
                        # Still listening?
                        session.send(probe.format(n=probes))
                        probes += 1
                    session.send(garbage(rng) if rng.random() < 0.05 else make_line(rng))
                session.send(probe.format(n=probes))
                for n in range(probes + 1):
                    read_through(session, answer.format(n=n))
                session.send("quit")
                session.close_stdin()
                session.remaining_output()
                self.assertEqual(session.wait_exit(), 0, session.stderr[-3000:])
                self.assertNotIn("Sanitizer", session.stderr)
                self.assertNotIn("runtime error", session.stderr)

    def test_uci(self):
        self.run_fuzz("uci", uci_line, "isready", "^readyok$")

    def test_xboard(self):
        self.run_fuzz("xboard", xboard_line, "ping {n}", "^pong {n}$")


if __name__ == "__main__":
    unittest.main()
