"""The UCI protocol against the real binary, in both input modes: the "uci"
reply, the command table, "go" limits, positions, pondering, the info and
bestmove lines, options and the debug commands."""

import re
import unittest

from protocol_session import INPUT_MODES, START_FEN, ProtocolCase, fen_of, finish, read_through, uci_engine, uci_sync

BESTMOVE = r"^bestmove (\S+)(?: ponder (\S+))?$"
INFO = re.compile(r"^info (?:multipv (\d+) )?depth (\d+) seldepth \d+ score (cp|mate) (-?\d+) "
                  r"(?:upperbound |lowerbound )?time \d+ nodes \d+ nps \d+ pv (.+)$")
# 52 legal moves, more than the 32 lines multi-PV can show.
MANY_MOVES = "1k6/8/8/8/3Q4/8/8/R3K2R w KQ - 0 1"


def search(session, go):
    """Sends a go command; returns the info lines (parsed) and the bestmove match."""
    session.send(go)
    lines = read_through(session, "^bestmove")
    infos = [INFO.match(line) for line in lines if INFO.match(line)]
    return infos, re.match(BESTMOVE, lines[-1])


class UciCase(ProtocolCase):
    start = staticmethod(uci_engine)


class Handshake(UciCase):
    def test_uci_reply_and_a_second_uci_is_ignored(self):
        settings = {"Hash": 4, "MaxThreads": 1, "DrawScore": -7, "UseNullMovePruning": 0, "UseStrength": 1,
                    "StrengthELO": 1800, "PersonalityFile": "calm.txt", "Book": 0}
        for mode in INPUT_MODES:
            with self.subTest(mode=mode), uci_engine(mode, **settings) as session:
                reply = session.seen[1:]
                bits = re.match(r"^Talvik 2\.2 \((\d\d) bits\)", session.seen[0]).group(1)
                self.assertEqual(reply, [
                    f"id name Talvik 2.2 {bits} bits",
                    "id author Verenko",
                    "option name Hash type spin default 4 min 1 max 2048",
                    "option name Ponder type check default false",
                    "option name OwnBook type check default false",
                    "option name Clear Hash type button",
                    "option name UsePersonality type check default false",
                    "option name PersonalityFile type string default calm.txt",
                    "option name UCI_Chess960 type check default false",
                    "option name MultiPV type spin default 1 min 1 max 32",
                    "option name NullMovePruning type check default false",
                    "option name LateMoveReduction type check default true",
                    "option name Threads type spin default 1 min 1 max 64",
                    "option name UCI_LimitStrength type check default true",
                    "option name UCI_Elo type spin default 1800 min 1000 max 3200",
                    "option name DrawScore type spin default -7 min -100 max 100",
                    "option name Move Overhead type spin default 50 min 0 max 5000",
                    "uciok",
                ])
                session.send("uci")
                session.send("isready")
                self.assertEqual(session.read_line(), "readyok")
                finish(self, session)


class Go(UciCase):
    def test_limits(self):
        def body(session):
            session.send("position startpos")
            infos, best = search(session, "go depth 0")
            self.assertEqual([int(i.group(2)) for i in infos], [1])
            self.assertRegex(best.group(1), "^[a-h][1-8][a-h][1-8]$")
            for go in ("go movetime -5", "go nodes 1", "go wtime 1000", "go", "go searchmoves e2e4 depth 2",
                       "go depth"):
                with self.subTest(go=go):
                    session.send("position startpos")  # White to move: wtime is the clock used
                    search(session, go)

        self.each_mode(body)

    def test_multipv_is_clamped(self):
        def body(session):
            session.send(f"position fen {MANY_MOVES}")
            session.send("setoption name MultiPV value 40")
            infos, _ = search(session, "go depth 1")
            numbers = {int(i.group(1)) for i in infos}
            self.assertEqual(numbers, set(range(1, 33)))
            session.send("setoption name MultiPV value 0")
            infos, _ = search(session, "go depth 1")
            self.assertEqual([i.group(1) for i in infos], [None])

        self.each_mode(body)

    def test_mate_scores_and_no_legal_move(self):
        cases = [
            ("7k/8/6K1/8/8/8/8/1Q6 w - - 0 1", "mate", 1),  # Qb8 mates
            ("k7/8/1K6/8/8/8/8/7R b - - 0 1", "mate", -1),  # Kb8, Rh8 mate
        ]
        def body(session):
            for fen, word, value in cases:
                session.send(f"position fen {fen}")
                infos, _ = search(session, "go depth 4")
                self.assertEqual((infos[-1].group(3), int(infos[-1].group(4))), (word, value), fen)
            session.send("setoption name Ponder value true")
            for fen in ("7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"):  # mate, stalemate
                session.send(f"position fen {fen}")
                _, best = search(session, "go depth 3")
                self.assertEqual(best.group(0), "bestmove 0000", fen)

        self.each_mode(body)

class Position(UciCase):
    def test_position_commands(self):
        after_e4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"
        some = "4k3/8/8/8/8/8/4P3/4K3 w - - 3 40"
        cases = [
            ("position startpos moves e2e4 e7e5", "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2"),
            ("position startpos", START_FEN),
            (f"position fen {some}", some),
            (f"position fen {some} moves e2e4 e8d7", "8/3k4/8/8/4P3/8/8/4K3 w - - 1 41"),
            ("position startpos e2e4", START_FEN),  # only "moves" brings moves
            ("position fen not a fen moves e2e4", START_FEN),  # rejected: nothing changes
            ("position", START_FEN),
            ("position fen", START_FEN),
            ("position startpos moves e2e4 e2e5 d7d5", after_e4),  # stops at the illegal move
        ]
        def body(session):
            for command, fen in cases:
                session.send(command)
                self.assertEqual(fen_of(session, True), fen, command)
            self.assertIn("info string Illegal move: e2e5", session.seen)

        self.each_mode(body)

    def test_chess960_castling_text(self):
        castled = "r3k2r/8/8/8/8/8/8/R4RK1 b kq - 1 1"
        def body(session):
            for chess960, move in (("true", "e1h1"), ("false", "e1g1")):
                session.send(f"setoption name UCI_Chess960 value {chess960}")
                session.send(f"position fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 moves {move}")
                self.assertEqual(fen_of(session, True), castled)

        self.each_mode(body)

class Ponder(UciCase):
    def test_ponderhit_turns_the_ponder_search_into_the_answer(self):
        def body(session):
            session.send("setoption name Ponder value true")
            session.send("position startpos moves e2e4")
            session.send("go ponder movetime 50")  # the budget counts only after ponderhit
            session.send("isready")
            self.assertFalse([l for l in read_through(session, "^readyok$") if l.startswith("bestmove")])
            session.send("ponderhit")
            session.wait_for("^bestmove")
            best = re.match(BESTMOVE, session.seen[-1])
            self.assertIsNotNone(best.group(2))
            self.assertFalse([l for l in uci_sync(session) if l.startswith("bestmove")])

        self.each_mode(body)

    def test_ponder_search_that_ends_first_waits_for_ponderhit_or_stop(self):
        def body(session):
            session.send("setoption name Ponder value true")
            for release in ("ponderhit", "stop"):
                session.send("position startpos moves e2e4")
                session.send("go ponder depth 3")
                lines = read_through(session, r"^info depth 3 ")
                pv = INFO.match(lines[-1]).group(5).split()
                session.send("isready")
                lines += read_through(session, "^readyok$")
                self.assertFalse([l for l in lines if l.startswith("bestmove")])
                session.send(release)
                best = re.match(BESTMOVE, session.read_line())
                self.assertEqual(best.group(1), pv[0])
                self.assertIsNotNone(best.group(2))
                self.assertFalse([l for l in uci_sync(session) if l.startswith("bestmove")])

        self.each_mode(body)

    def test_without_the_ponder_option_go_ponder_is_a_normal_search(self):
        def body(session):
            _, best = search(session, "go ponder depth 2")
            self.assertIsNone(best.group(2))

        self.each_mode(body)

class SearchControl(UciCase):
    def test_commands_during_a_search(self):
        def body(session):
            session.send("position startpos moves e2e4")
            session.send("stop")
            session.send("ponderhit")  # nothing runs: no answer
            self.assertEqual(uci_sync(session), [])
            # "stop" answers; a new position first ends the search it interrupts.
            for interrupt in ("stop", "position startpos moves d2d4"):
                session.send("go infinite")
                session.send(interrupt)
                session.wait_for("^bestmove")
                self.assertFalse([l for l in uci_sync(session) if l.startswith("bestmove")])
            # A new game aborts without an answer and resets the game.
            session.send("position startpos moves e2e4")
            session.send("go infinite")
            session.send("ucinewgame")
            session.send("printFEN")
            lines = read_through(session, "^rnbq")
            self.assertEqual(lines[-1], START_FEN)
            self.assertFalse([l for l in lines if l.startswith("bestmove")])
            # "quit" ends an infinite search at once.
            session.send("go infinite")
            session.send("quit")
            session.close_stdin()
            self.assertLessEqual(len([l for l in session.remaining_output() if l.startswith("bestmove")]), 1)

        self.each_mode(body)

class Options(UciCase):
    def test_options(self):
        pawn_up = "4k3/8/8/8/8/8/4PP2/4K3 w - - 0 1"
        def body(session):
            session.send("setoption name OwnBook value true")
            self.assertEqual(session.read_line(), "info string book file not found")
            session.send(f"position fen {pawn_up}")
            session.send("eval")
            before = float(session.wait_for(r"^eval = (-?\d+\.\d\d)$").group(1))
            session.send("setoption name PawnValue value 300")  # not an option: an evaluation parameter
            session.send(f"position fen {pawn_up}")
            session.send("eval")
            after = float(session.wait_for(r"^eval = (-?\d+\.\d\d)$").group(1))
            self.assertGreater(after, before + 1.5)
            for line in ("setoption name Hash value 4", "setoption name Threads value 2",
                         "setoption name UCI_Elo value 1500", "setoption name UCI_LimitStrength value true",
                         "setoption name Clear Hash", "setoption name Hash"):
                session.send(line)
            search(session, "go depth 2")
            finish(self, session)
            log = session.read_file("logfile.txt")
            self.assertIn("Init main hash table : 4 Mb", log)
            self.assertIn("Using 2 threads", log)
            self.assertIn("set engine strength to 1500 ELO", log)

        self.each_mode(body)

class DebugCommands(UciCase):
    def test_debug_commands(self):
        def body(session):
            session.send("perft 3")
            self.assertEqual(read_through(session, "^Speed")[:2], ["Depth 3", "Nodes = 8902"])
            session.send("divide 1")
            lines = read_through(session, "^Speed")
            self.assertEqual(len([l for l in lines if re.match(r"^ +\S+ : 1$", l)]), 20)
            self.assertIn("     total : 20", lines)
            session.send("perftd 2")
            self.assertIn("Nodes = 400", read_through(session, "^Speed"))
            session.send("perft")  # no depth: nothing
            session.send("printHashKey")
            self.assertRegex(session.read_line(), "^[0-9a-f]+$")
            session.send("eval")
            self.assertRegex(session.read_line(), r"^eval = -?\d+\.\d\d$")
            session.send("printBoard")
            self.assertEqual(read_through(session, "^White to play$")[1], "| r | n | b | q | k | b | n | r |")

        self.each_mode(body)

if __name__ == "__main__":
    unittest.main()
