"""The XBoard protocol against the real binary, in both input modes: feature
negotiation, received moves, force mode, limits, thinking output, pondering
with the Hint line, analysis, and the commands that act on a running search."""

import re
import unittest

from protocol_session import (INPUT_MODES, START_FEN, ProtocolCase, engine, fen_of, finish, logged_budgets,
                              read_through, xboard_engine, xboard_sync)
from talvik_session import SANITIZED

AFTER_E4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"
THINKING = re.compile(r"^\d+ -?\d+ \d+ \d+ [a-h][1-8][a-h][1-8]")
STAT01 = re.compile(r"^stat01: \d+ \d+ \d+ \d+ \d+ [a-h][1-8][a-h][1-8]")


def moves_in(lines):
    return [line for line in lines if line.startswith("move ")]


class XboardCase(ProtocolCase):
    start = staticmethod(xboard_engine)


class Features(unittest.TestCase):
    def test_feature_lines_and_a_second_xboard_is_ignored(self):
        for mode in INPUT_MODES:
            with self.subTest(mode=mode), engine(mode) as session:
                bits = re.match(r"^Talvik 2\.2 \((\d\d) bits\)", session.read_line()).group(1)
                for line in ("xboard", "xboard", "protover 2", "ping 7"):
                    session.send(line)
                self.assertEqual(read_through(session, "^pong 7$"), [
                    f'feature myname="Talvik 2.2 {bits} bits"',
                    "feature setboard=1",
                    "feature analyze=1",
                    "feature ping=1",
                    "feature draw=0",
                    "feature sigint=0",
                    "feature sigterm=0",
                    "feature colors=0",
                    "feature smp=1",
                    'feature variants="normal,fischerandom"',
                    'feature option="Clear Hash -button"',
                    'feature option="Book -file talvikbook-20.bin"',
                    'feature option="Move Overhead -spin 50 0 5000"',
                    'feature option="MultiPV -spin 1 1 32"',
                    'feature option="UCI_LimitStrength -check 0"',
                    'feature option="UCI_Elo -spin 3200 1000 3200"',
                    'feature option="DrawScore -spin 0 -100 100"',
                    'feature option="UsePersonality -check 0"',
                    'feature option="PersonalityFile -file "',
                    'feature option="NullMovePruning -check 1"',
                    'feature option="LateMoveReduction -check 1"',
                    "feature memory=1",
                    'feature egt="syzygy"',
                    "feature done=1",
                    "pong 7",
                ])
                finish(self, session)


class ThinkingOutput(unittest.TestCase):
    def test_thinking_lines_need_post_or_protover_2(self):
        # (lines after "xboard", whether thinking comes): Knights sends neither
        # and reads thinking lines as moves.
        cases = [((), False), (("post",), True), (("protover 2",), True), (("protover 2", "nopost"), False),
                 (("nopost", "protover 2"), False)]
        for mode in INPUT_MODES:
            for before, shown in cases:
                with self.subTest(mode=mode, before=before), engine(mode) as session:
                    for line in ("xboard", *before, "sd 3", "e2e4"):
                        session.send(line)
                    lines = read_through(session, "^move ")
                    self.assertEqual(any(THINKING.match(line) for line in lines), shown, lines)
                    finish(self, session)


class Options(XboardCase):
    def test_memory_and_the_options_uci_offers(self):
        clamped, refused = "# {} outside {}: {}", "Error (bad {}): {}"
        cases = [  # (command, the line it gets, if any)
            ("memory 0", "# memory outside 1..2048 MB: the hash table gets 1 MB"),
            ("memory 99999999", "# memory outside 1..2048 MB: the hash table gets 2048 MB"),
            ("memory abc", refused.format("number", "memory abc")), ("memory 8", None),
            ("option MultiPV=0", clamped.format("MultiPV", "1..32", 1)),
            ("option MultiPV=1000", clamped.format("MultiPV", "1..32", 32)),
            ("option MultiPV=x", refused.format("value", "option MultiPV=x")),
            ("option NullMovePruning=2", refused.format("value", "option NullMovePruning=2")),
            ("option LateMoveReduction=0", None), ("option UCI_Elo=1500", None),
            ("option UCI_LimitStrength=1", None), ("option DrawScore=-20", None), ("option MultiPV=3", None)]
        if SANITIZED:  # clearing 2 GB of table through a sanitizer's shadow memory can take minutes
            cases = [case for case in cases if case[0] != "memory 99999999"]

        def body(session):
            session.send("new")
            for number, (command, answer) in enumerate(cases):
                session.send(command)
                self.assertEqual(xboard_sync(session, number), [answer] if answer else [], command)
            # The game goes on; an analysis shows a thinking line per PV.
            for line in ("post", "analyze"):
                session.send(line)
            lines = read_through(session, "^4 ")
            self.assertEqual(len([line for line in lines if line.startswith("3 ")]), 3, lines)
            for line in ("exit", "option MultiPV=1", "sd 3", "e2e4"):
                session.send(line)
            read_through(session, "^move ")
            finish(self, session)
            log = session.read_file("logfile.txt")
            self.assertIn("Init main hash table : 8 Mb", log)
            self.assertIn("set engine strength to 1500 ELO", log)

        self.each_mode(body)


class Moves(XboardCase):
    def test_force_then_go_and_thinking_output(self):
        def body(session):
            for line in ("new", "force", "e2e4", "e7e5", "sd 2"):
                session.send(line)
            self.assertEqual(xboard_sync(session), [])
            self.assertEqual(fen_of(session, False), "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2")
            session.send("go")
            lines = read_through(session, "^move ")
            self.assertTrue(lines[:-1] and all(THINKING.match(line) for line in lines[:-1]), lines)
            self.assertEqual([int(line.split()[0]) for line in lines[:-1]][-1], 2)
            # The engine plays White now: each received move gets one reply.
            session.send("nopost")
            session.send("b8c6")
            self.assertEqual(len(read_through(session, "^move ")), 1)
            self.assertEqual(xboard_sync(session), [])

        self.each_mode(body)

    def test_moves_that_end_the_game_or_are_illegal_start_no_search(self):
        cases = [
            ("7k/8/6K1/8/8/8/8/1Q6 w - - 0 1", "b1b8", None),  # mate
            ("7k/4Q3/6K1/8/8/8/8/8 w - - 0 1", "e7f7", None),  # stalemate
            (START_FEN, "e2e5", "Illegal move: e2e5"),
            (START_FEN, "a1a1zzz", "Illegal move: a1a1z"),
            (START_FEN, "e7e5", "Illegal move: e7e5"),  # not White's move
        ]

        def body(session):
            for fen, move, message in cases:
                session.send(f"setboard {fen}")
                session.send(move)
                lines = xboard_sync(session)
                self.assertEqual(lines, [message] if message else [], move)
                if message:
                    self.assertEqual(fen_of(session, False), fen)

        self.each_mode(body)

    def test_undo_and_setboard(self):
        def body(session):
            for line in ("force", "e2e4", "undo"):
                session.send(line)
            self.assertEqual(fen_of(session, False), START_FEN)
            session.send("setboard 8/8/8/8/8/8/8/8 w - - 0 1")  # no kings: refused
            self.assertEqual(session.read_line(), "tellusererror Illegal position")
            self.assertEqual(fen_of(session, False), START_FEN)
            # Chess960 castling arrives as O-O / O-O-O.
            session.send("variant fischerandom")
            session.send("setboard 1r1k2r1/pppppppp/8/8/8/8/PPPPPPPP/1R1K2R1 w GBgb - 0 1")
            session.send("O-O")
            session.send("O-O-O")
            self.assertEqual(fen_of(session, False), "2kr2r1/pppppppp/8/8/8/8/PPPPPPPP/1R3RK1 w - - 2 2")

        self.each_mode(body)


class Limits(XboardCase):
    def test_levels_and_limits_lead_to_moves(self):
        def body(session):
            for setup in (["level 40 0:05 0", "time 500", "otim 500"], ["level 0 0:02 0"], ["st 1"], ["sd 1"]):
                session.send("new")
                for line in setup:
                    session.send(line)
                session.send("go")
                self.assertEqual(len(moves_in(read_through(session, "^move "))), 1, setup)
            session.send("option Clear Hash")
            session.send("new")
            session.send("perft 2")
            self.assertEqual(read_through(session, "^Speed")[:2], ["Depth 2", "Nodes = 400"])

        self.each_mode(body)


class SearchControl(XboardCase):
    def test_move_now_new_and_result_during_a_search(self):
        def body(session):
            session.send("new")
            session.send("st 1000")
            session.send("go")
            session.send("?")
            self.assertEqual(len(moves_in(read_through(session, "^move "))), 1)
            for interrupt in ("new", "result 1-0 {White mates}", "force"):
                session.send("new")
                session.send("st 1000")
                session.send("e2e4")  # the engine thinks on its reply
                session.send(interrupt)
                self.assertEqual(moves_in(xboard_sync(session)), [], interrupt)
            self.assertEqual(fen_of(session, False), AFTER_E4)

        self.each_mode(body)

    def test_analyze(self):
        def body(session):
            session.send("new")
            session.send("sd 2")
            session.send("post")
            session.send("analyze")
            session.wait_for(THINKING.pattern)
            session.send("e2e4")  # the analysis goes on from the new position
            session.send("exit")
            lines = xboard_sync(session)
            self.assertEqual(fen_of(session, False), AFTER_E4)
            session.send("go")  # the depth limit from before the analysis holds again
            lines += read_through(session, "^move ")
            self.assertEqual(len(moves_in(lines)), 1, lines)

        self.each_mode(body)


class Takebacks(XboardCase):
    def test_remove_takes_back_two_moves_whatever_runs(self):
        # (set-up lines, the lines that lead up to "remove", position after it, moves announced)
        cases = [
            ("force mode", ["force", "e2e4", "e7e5", "g1f3"], AFTER_E4, 0),
            ("at the start", ["remove", "undo", "remove"], START_FEN, 0),
            ("thinking", ["force", "e2e4", "e7e5", "g1f3", "st 1000", "go"], AFTER_E4, 0),
            ("pondering", ["hard", "sd 2", "e2e4"], START_FEN, 1),
            ("analyzing", ["force", "e2e4", "e7e5", "g1f3", "post", "analyze"], AFTER_E4, 0),
        ]

        def body(session):
            for name, lines, fen, moves in cases:
                with self.subTest(name=name):
                    start = len(session.seen)
                    session.send("new")
                    for line in lines:
                        session.send(line)
                    if name == "pondering":
                        read_through(session, "^Hint: ")
                    session.send("remove")
                    if name == "analyzing":
                        session.wait_for(THINKING.pattern)  # the analysis goes on after the takeback
                        session.send("exit")
                    xboard_sync(session)
                    self.assertEqual(fen_of(session, False), fen)
                    self.assertEqual(len(moves_in(session.seen[start:])), moves)
                    session.send("force")
                    self.assertEqual(moves_in(xboard_sync(session)), [])

        self.each_mode(body)


class Output(XboardCase):
    def test_mate_scores_hint_and_stat01(self):
        def body(session):
            # Mate in N moves is 100000 + N, being mated in N is -100000 - N.
            for fen, score in (("7k/5Q2/6K1/8/8/8/8/8 w - - 0 1", 100001), ("k7/8/1K6/8/8/8/8/7R b - - 0 1", -100001)):
                for line in ("new", "force", f"setboard {fen}", "sd 3", "post", "go"):
                    session.send(line)
                lines = read_through(session, "^move ")
                self.assertEqual(int(lines[-2].split()[1]), score, lines)
            # No hint without a search; after a move, the reply the engine expects.
            session.send("new")
            session.send("hint")
            self.assertEqual(xboard_sync(session), [])
            for line in ("force", "e2e4", "sd 3", "go"):
                session.send(line)
            pv = read_through(session, "^move ")[-2].split()[4:]
            session.send("hint")
            self.assertEqual(xboard_sync(session), [f"Hint: {pv[1]}"])
            # "." while analysing: one stat01 line; otherwise nothing.
            session.send(".")
            session.send("analyze")
            session.wait_for(THINKING.pattern)
            session.send(".")
            self.assertRegex(session.wait_for(STAT01.pattern).string, STAT01)
            session.send("exit")
            self.assertEqual([l for l in xboard_sync(session) if l.startswith("stat01")], [])

        self.each_mode(body)


class Settings(XboardCase):
    def test_settings_during_a_search_do_not_end_it(self):
        def body(session):
            for line in ("new", "post", "st 1000", "e2e4"):
                session.send(line)
            session.wait_for(THINKING.pattern)
            for line in ("option Clear Hash", "option Move Overhead=100000", "cores 2", "sd 3", "level 40 5 0",
                         "st 2", "printFEN"):
                session.send(line)
            lines = xboard_sync(session)
            self.assertFalse(moves_in(lines) or [l for l in lines if "/" in l], lines)
            session.send("?")
            # The move first, then what waited for the end of the search.
            lines = read_through(session, r"^[1-8a-zA-Z]+/\S+ w ")
            self.assertEqual(len(moves_in(lines)), 1, lines)
            self.assertTrue(lines[-1].endswith(" w KQkq - 1 2") or lines[-1].endswith(" 0 2"), lines)
            # sd with a clock: the depth caps the timed search.
            session.send("go")
            self.assertEqual(max(int(l.split()[0]) for l in read_through(session, "^move ")[:-1]), 3)
            finish(self, session)
            self.assertIn("Using 2 threads", session.read_file("logfile.txt"))

        self.each_mode(body)

    def test_sd_and_a_time_control_apply_together(self):
        def body(session):
            for setup in (["level 40 5 0", "sd 2"], ["sd 2", "level 40 5 0"], ["st 60", "sd 2"], ["sd 2", "st 60"]):
                with self.subTest(setup=setup):
                    for line in ("new", "post", *setup, "e2e4"):
                        session.send(line)
                    lines = read_through(session, "^move ")
                    self.assertEqual(max(int(l.split()[0]) for l in lines if THINKING.match(l)), 2)

        self.each_mode(body)


class Clocks(XboardCase):
    def test_budgets_come_from_the_clock_just_sent(self):
        # Lines after "new"; "!" marks those the engine answers with a move,
        # HINT the reply it ponders on (a ponder hit). Then the last budget:
        # when it was set, the clock it came from, and at most how many ms.
        knights = ["g1f3", "g8f6", "f3g1", "f6g8"] * 19  # 76 plies: two moves to the control of 40
        cases = [
            (["level 3 0:03 0", "hard", "time 300", "otim 300", "go!", "time 142", "otim 300", "HINT!",
              "time 20", "otim 300", "HINT!"], ("from the ponder hit", 200), 150),
            (["level 0 0:10 0", "easy", "e2e4!"], ("at the start", 10000), 3333),  # no "time" for Black
            (["level 40 0:10 0", "force", *knights, "time 1000", "otim 1000", "go!"], ("at the start", 10000), 5000),
            (["option Move Overhead=200", "option Move Overhead=abc", "st 1", "e2e4!"], ("at the start", None), 800),
            (["level 0 0:20 0", "time 2000", "time abc", "otim 1000", "go!"], ("at the start", 20000), 1000),
        ]
        def body(session):
            for lines, start, most in cases:
                session.send("new")
                hint = None
                for line in lines:
                    session.send(line.rstrip("!").replace("HINT", hint or ""))
                    if line.endswith("!"):
                        hint = read_through(session, "^Hint: " if "hard" in lines else "^move ")[-1].split()[-1]
                xboard_sync(session)
                self.assertEqual(logged_budgets(session)[-1][0::2], start, lines[:3])
                self.assertLessEqual(logged_budgets(session)[-1][1], most, lines[:3])
            self.assertIn("'abc' is not a number, the value is kept", session.read_file("logfile.txt"))

        self.each_mode(body)


class Pondering(XboardCase):
    def test_hard_sends_a_hint_and_ponders(self):
        def body(session):
            for line in ("new", "hard", "nopost", "sd 3", "e2e4"):
                session.send(line)
            # Each round: the engine's move and its Hint, then the opponent's
            # move: another one first (a miss; 2. a3 is legal after any
            # 1... reply), then the expected ones (hits).
            for expected in (False, True, True):
                lines = read_through(session, "^Hint: ")
                self.assertEqual(len(moves_in(lines)), 1, lines)
                hint = lines[-1].split()[1]
                session.send(hint if expected else ("a2a3" if hint != "a2a3" else "h2h3"))
            read_through(session, "^Hint: ")
            session.send("force")
            self.assertEqual(moves_in(xboard_sync(session)), [])
            self.assertEqual(len(moves_in(session.seen)), 4)

        self.each_mode(body)


if __name__ == "__main__":
    unittest.main()
