"""The UCI protocol against the real binary, in both input modes: the "uci"
reply, the command table, "go" limits, positions, pondering, the info and
bestmove lines, options and the debug commands."""

import re
import unittest

from protocol_session import (INPUT_MODES, START_FEN, ProtocolCase, fen_of, finish, logged_budgets, read_through,
                              uci_engine, uci_sync)

BESTMOVE = r"^bestmove (\S+)(?: ponder (\S+))?$"
INFO = re.compile(r"^info (?:multipv (\d+) )?depth (\d+) seldepth \d+ score (cp|mate) (-?\d+) "
                  r"(?:upperbound |lowerbound )?time \d+ nodes \d+ nps \d+ hashfull \d+ pv (.+)$")
# 52 legal moves, more than the 32 lines multi-PV can show.
MANY_MOVES = "1k6/8/8/8/3Q4/8/8/R3K2R w KQ - 0 1"
MATE_IN_1 = "7k/5Q2/6K1/8/8/8/8/8 w - - 0 1"
STALEMATE = "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"
ONE_MOVE = "k7/8/1K6/8/8/8/8/7R b - - 0 1"  # 1... Kb8 2. Rh8#
MATE_IN_2 = "k7/8/2K5/8/8/8/8/7R w - - 0 1"


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
                    "option name Book type string default talvikbook-20.bin",
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
                    "option name SyzygyPath type string default <empty>",
                    "option name SyzygyProbeDepth type spin default 1 min 1 max 100",
                    "option name Syzygy50MoveRule type check default true",
                    "option name SyzygyProbeLimit type spin default 7 min 0 max 7",
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

    def test_every_limit_named_applies_and_the_first_one_reached_ends_the_search(self):
        # (go, deepest iteration allowed, node count the info lines stay below)
        cases = [
            ("go wtime 100000 btime 100000 depth 3", 3, None),
            ("go wtime 300 btime 300 depth 60", 59, None),  # the clock ends it
            ("go movetime 100000 depth 2", 2, None),
            ("go movetime 200 depth 63", 62, None),  # what polyglot's epd-test sends
            ("go wtime 100000 btime 100000 nodes 3000", None, 6000),
            ("go depth 60 nodes 3000", None, 6000),
            ("go nodes 3000 depth 2", 2, 6000),
        ]

        def body(session):
            for go, depth, nodes in cases:
                with self.subTest(go=go):
                    session.send("position startpos moves e2e4")
                    session.send(go)
                    lines = read_through(session, "^bestmove")
                    infos = [line for line in lines if INFO.match(line)]
                    if depth is not None:
                        self.assertLessEqual(max(int(INFO.match(i).group(2)) for i in infos), depth)
                    if nodes is not None:
                        self.assertLess(max(int(re.search(r" nodes (\d+)", i).group(1)) for i in infos), nodes)

        self.each_mode(body)

    def test_searchmoves_and_go_mate(self):
        # (position, go, multipv, moves the answer may be, score words seen last)
        cases = [
            ("startpos", "go depth 3 searchmoves a2a3", 2, {"a2a3"}, None),
            ("startpos", "go depth 3 searchmoves a2a3 h2h3", 3, {"a2a3", "h2h3"}, None),
            ("startpos", "go depth 2 searchmoves e2e5 e7e5 a1a1", 1, None, None),  # none legal: all moves
            ("startpos", "go searchmoves zz 12 depth 1", 1, None, None),
            (f"fen {MATE_IN_2}", "go mate 2", 1, {"c6b6", "c6c7"}, ("mate", "2")),
            ("startpos", "go mate 2 depth 3", 1, None, None),  # no mate: the depth ends it
            ("startpos", "go mate", 1, None, None),  # no number: the earlier limits
            ("startpos", "go mate 999999999999 depth 2", 1, None, None),
        ]

        def body(session):
            session.send("position startpos")
            search(session, "go depth 1")
            for position, go, multipv, moves, score in cases:
                with self.subTest(go=go):
                    session.send(f"setoption name MultiPV value {multipv}")
                    session.send(f"position {position}")
                    infos, best = search(session, go)
                    if moves:
                        self.assertIn(best.group(1), moves)
                        self.assertIn(infos[-1].group(5).split()[0], moves)
                    if multipv > 1:  # no more lines than moves allowed
                        self.assertEqual({i.group(1) for i in infos}, {"1", "2"} if len(moves) > 1 else {None})
                    if score:
                        self.assertEqual(infos[-1].group(3, 4), score)

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
        # With the Ponder option off too: the option only says whether the
        # GUI may ask; a GUI that sends "go ponder" waits for its answer.
        def body(session):
            for option, release in (("true", "ponderhit"), ("true", "stop"), ("false", "ponderhit"), ("false", "stop")):
                session.send(f"setoption name Ponder value {option}")
                session.send("position startpos moves e2e4")
                session.send("go ponder depth 3")
                lines = read_through(session, r"^info depth 3 ")
                pv = INFO.match(lines[-1]).group(5).split()
                session.send("isready")
                lines += read_through(session, "^readyok$")
                self.assertFalse([l for l in lines if l.startswith("bestmove")], option)
                session.send(release)
                best = re.match(BESTMOVE, session.read_line())
                self.assertEqual(best.group(1), pv[0])
                self.assertEqual(best.group(2) is not None, option == "true")
                self.assertFalse([l for l in uci_sync(session) if l.startswith("bestmove")])

        self.each_mode(body)


class Clocks(UciCase):
    def test_budgets_keep_a_share_for_the_moves_to_go_and_start_at_the_ponderhit(self):
        # (lines after the position, the last budget: when set, clock ms, at most ms); Ponder is off.
        cases = [
            (["go wtime 3000 btime 3000 movestogo 2"], ("at the start", 3000), 1500),
            (["go wtime 3000 btime 3000 movestogo 3"], ("at the start", 3000), 1000),
            (["go ponder wtime 60000 btime 900 movestogo 2", "ponderhit"], ("from the ponder hit", 900), 450),
            (["setoption name Move Overhead value 200", "setoption name Move Overhead value abc",
              "position fen 8/8/8/8/8/8/8/8 w - - 0 1", "go movetime 1000"], ("at the start", None), 800),
        ]
        def body(session):
            for lines, start, most in cases:
                session.send("position startpos moves e2e4")
                for line in lines:
                    session.send(line)
                session.wait_for("^bestmove")
                uci_sync(session)
                self.assertEqual(logged_budgets(session)[-1][0::2], start, lines)
                self.assertLessEqual(logged_budgets(session)[-1][1], most, lines)
            self.assertIn("info string Illegal position: each side needs exactly one king", session.seen)
            self.assertIn("'abc' is not a number, the value is kept", session.read_file("logfile.txt"))

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
            # A new game ends the search, which still answers, and resets the game.
            session.send("position startpos moves e2e4")
            session.send("go infinite")
            session.send("ucinewgame")
            session.send("printFEN")
            lines = read_through(session, "^rnbq")
            self.assertEqual(lines[-1], START_FEN)
            self.assertEqual(len([l for l in lines if l.startswith("bestmove")]), 1)
            # "quit" ends an infinite search at once.
            session.send("go infinite")
            session.send("quit")
            session.close_stdin()
            self.assertLessEqual(len([l for l in session.remaining_output() if l.startswith("bestmove")]), 1)

        self.each_mode(body)

class Analysis(UciCase):
    def test_go_infinite_answers_only_after_stop(self):
        # (position, a line the search ends with on its own, the answer)
        cases = [
            (f"fen {MATE_IN_1}", r"^info depth 127 .* pv f7g7$", "f7g7"),
            (f"fen {STALEMATE}", None, "0000"),
            (f"fen {ONE_MOVE}", r"^info depth 127 .* pv a8b8 h1h8$", "a8b8"),
            ("startpos moves e2e4 e7e5", None, None),
        ]

        def body(session):
            for position, last_info, answer in cases:
                with self.subTest(position=position):
                    session.send(f"position {position}")
                    session.send("go infinite")
                    lines = read_through(session, last_info) if last_info else []
                    session.send("isready")
                    lines += read_through(session, "^readyok$")
                    self.assertFalse([l for l in lines if l.startswith("bestmove")], lines)
                    session.send("stop")
                    best = re.match(BESTMOVE, session.wait_for("^bestmove").string)
                    if answer:
                        self.assertEqual(best.group(1), answer)
                    self.assertFalse([l for l in uci_sync(session) if l.startswith("bestmove")])

        self.each_mode(body)

    def test_stop_then_at_once_another_command_is_answered_once(self):
        followers = [["ucinewgame"], ["position startpos"], ["isready"], ["ucinewgame", "isready"],
                     ["setoption name Clear Hash"], ["go depth 1"]]

        def body(session):
            for follow in followers:
                with self.subTest(follow=follow):
                    session.send("position startpos")
                    session.send("go movetime 1000 depth 63")
                    session.send("stop")
                    for line in follow:
                        session.send(line)
                    answers = 2 if follow == ["go depth 1"] else 1
                    session.send("position startpos")
                    session.send("isready")
                    lines = []
                    for _ in range(follow.count("isready") + 1):
                        lines += read_through(session, "^readyok$")
                    self.assertEqual(len([l for l in lines if l.startswith("bestmove")]), answers, lines)

        self.each_mode(body)

    def test_settings_during_a_search_wait_for_its_end(self):
        def body(session):
            session.send(f"position fen {MANY_MOVES}")
            session.send("go infinite")
            for line in ("setoption name Clear Hash", "setoption name MultiPV value 2", "setoption name Threads value 2",
                         "setoption name Move Overhead value 99999", "printFEN"):
                session.send(line)
            session.send("isready")
            lines = read_through(session, "^readyok$")
            self.assertFalse([l for l in lines if l.startswith("bestmove") or l == MANY_MOVES], lines)
            session.send("stop")
            lines = read_through(session, "^bestmove")
            lines += read_through(session, f"^{re.escape(MANY_MOVES)}$")
            infos, _ = search(session, "go depth 2")
            self.assertEqual({i.group(1) for i in infos}, {"1", "2"})
            finish(self, session)
            self.assertIn("Using 2 threads", session.read_file("logfile.txt"))

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

class RepeatedGo(UciCase):
    def test_a_go_without_position_searches_the_position_set_last(self):
        # How the first search ends; the second "go" must search the start
        # position again, as ChessX expects when it changes its "Lines".
        cases = [("go depth 6", None), ("go movetime 200", None), ("go infinite", "stop"), ("go depth 40", "stop")]

        def body(session):
            for first, then in cases:
                with self.subTest(first=first):
                    session.send("position startpos")
                    session.send(first)
                    if then:
                        session.wait_for("^info depth 3 ")
                        session.send(then)
                    answers = [read_through(session, "^bestmove")[-1]]
                    answers.append(search(session, "go depth 6")[1].group(0))
                    for answer in answers:
                        self.assertRegex(answer, "^bestmove [a-h][12][a-h][34]", answers)
                    self.assertEqual(fen_of(session, True), START_FEN)

        self.each_mode(body)


class OptionNames(UciCase):
    def test_names_in_any_case_and_unknown_names(self):
        # (setoption line, the info string it gets, if any)
        cases = [
            ("setoption name multipv value 3", None),
            ("setoption name MultiPv value 2   ", None),
            ("setoption name ponder value True", None),
            ("setoption name CLEAR HASH", None),
            ("setoption name Foo value 1", "info string unknown option Foo"),
            ("setoption name MultiPVs value 4", "info string unknown option MultiPVs"),
            ("setoption name", "info string setoption without an option name"),
        ]

        def body(session):
            for line, answer in cases:
                with self.subTest(line=line):
                    session.send(line)
                    self.assertEqual(uci_sync(session), [answer] if answer else [])
            infos, best = search(session, "go depth 4")
            self.assertEqual([int(i.group(1)) for i in infos if i.group(2) == "4"], [1, 2])
            self.assertIsNotNone(best.group(2), "Ponder True gives a ponder move")

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
