"""Every search gets exactly one answer ("bestmove", or "move" in XBoard;
in XBoard none where an abort asks for none), also when "stop",
"ponderhit", a move, a takeback, a setting or a new game arrive at the
awkward moments: while the search is handed to the main thread, while it
reports, or just after it has ended on its own.

Short searches and commands sent back to back hit those moments; each
scenario runs a few hundred times in each input mode. A lost answer shows as
a wait that never ends, a doubled one in the final count."""

import random
import time
import unittest

from protocol_session import INPUT_MODES, read_through, uci_engine, uci_sync, xboard_engine, xboard_sync
from talvik_session import SANITIZED

ROUNDS = 500
# Sometimes the second command waits a little, so that it also arrives while
# the search runs or just as it ends, not only while it is handed over.
PAUSE_S = 0.01 if SANITIZED else 0.002


def maybe_pause(rng):
    if rng.random() < 0.3:
        time.sleep(rng.uniform(0, PAUSE_S))


def count(lines, prefix):
    return len([line for line in lines if line.startswith(prefix)])


class Races(unittest.TestCase):
    def test_uci(self):
        # (commands, answers): None means none or one, by timing.
        scenarios = [
            (["go depth {d}"], 1),
            (["go depth {d}", "stop"], 1),
            (["go infinite", "stop"], 1),
            (["go ponder depth {d}", "ponderhit"], 1),
            (["go ponder depth {d}", "stop"], 1),
            (["go ponder depth {d}", "position startpos moves e2e4"], 1),
            (["go depth {d}", "go depth 1"], 2),
            (["go depth {d}", "ucinewgame"], 1),
            (["go ponder depth {d}", "ucinewgame"], 1),
            (["go depth {d}", "stop", "ucinewgame"], 1),
            (["go infinite", "stop", "position startpos"], 1),
            (["go infinite", "ucinewgame"], 1),
            (["go depth {d}", "setoption name Clear Hash"], 1),
            (["go infinite", "setoption name MultiPV value 1", "stop"], 1),
            (["go wtime 50 btime 50 depth {d}"], 1),
        ]
        rng = random.Random(8)
        for mode in INPUT_MODES:
            with self.subTest(mode=mode), uci_engine(mode) as session:
                session.send("setoption name Ponder value true")
                expected = 0
                for _ in range(ROUNDS):
                    commands, answers = rng.choice(scenarios)
                    session.send("position startpos")
                    for number, command in enumerate(commands):
                        if number:
                            maybe_pause(rng)
                        session.send(command.format(d=rng.randint(1, 3)))
                    if answers is None:
                        found = count(uci_sync(session), "bestmove")
                        self.assertLessEqual(found, 1, commands)
                        expected += found
                    else:
                        for _ in range(answers):
                            session.wait_for("^bestmove")
                        expected += answers
                self.assertEqual(count(uci_sync(session), "bestmove"), 0)
                self.assertEqual(count(session.seen, "bestmove"), expected)
                session.send("quit")
                self.assertEqual(session.wait_exit(), 0, session.stderr)

    def test_xboard(self):
        scenarios = ["go", "go and move now", "ponder hit", "ponder miss", "force while pondering",
                     "remove while pondering", "new while thinking", "result while thinking",
                     "remove while thinking", "option Clear Hash while thinking"]
        rng = random.Random(9)
        for mode in INPUT_MODES:
            with self.subTest(mode=mode), xboard_engine(mode) as session:
                expected = 0
                for number in range(ROUNDS):
                    scenario = rng.choice(scenarios)
                    ponder = scenario.endswith("pondering") or scenario.startswith("ponder")
                    for line in ("new", "hard" if ponder else "easy", "nopost", f"sd {rng.randint(1, 3)}"):
                        session.send(line)
                    # Past the Hint after the last move; no answer too many.
                    self.assertEqual(count(xboard_sync(session, -number), "move "), 0)
                    if scenario.startswith("go"):
                        session.send("go")
                        if scenario.endswith("now"):
                            maybe_pause(rng)
                            session.send("?")
                        session.wait_for("^move ")
                        expected += 1
                    elif ponder:
                        # The engine plays Black; after its move it ponders on
                        # White's reply. 2. a3 is legal after any first reply.
                        session.send("e2e4")
                        hint = read_through(session, "^Hint: ")[-1].split()[1]
                        expected += 1
                        maybe_pause(rng)
                        if scenario == "ponder hit":
                            session.send(hint)
                        elif scenario == "ponder miss":
                            session.send("a2a3" if hint != "a2a3" else "h2h3")
                        else:
                            session.send(scenario.split(" while")[0])
                            continue
                        session.wait_for("^move ")
                        expected += 1
                    elif scenario.startswith("option"):
                        # A setting does not end the search.
                        session.send("e2e4")
                        maybe_pause(rng)
                        session.send(scenario.split(" while")[0])
                        session.wait_for("^move ")
                        expected += 1
                    else:
                        session.send("e2e4")
                        maybe_pause(rng)
                        session.send(scenario.split()[0])
                        found = count(xboard_sync(session, number), "move ")
                        self.assertLessEqual(found, 1, scenario)
                        expected += found
                session.send("new")
                self.assertEqual(count(xboard_sync(session, ROUNDS), "move "), 0)
                self.assertEqual(count(session.seen, "move "), expected)
                session.send("quit")
                self.assertEqual(session.wait_exit(), 0, session.stderr)


if __name__ == "__main__":
    unittest.main()
