"""Engine sessions for the protocol tests: an engine that has finished the UCI
handshake or the XBoard feature exchange, in either input mode, and helpers
that read up to a reply."""

import re
import unittest

from talvik_session import TalvikSession

INPUT_MODES = (1, 0)  # UseInputThread: an input thread, or polling from the search
START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"


def engine(mode, **settings):
    ini = {"Hash": 1, "LogLevel": 127, "UseInputThread": mode}
    ini.update(settings)
    return TalvikSession(ini=ini)


def uci_engine(mode, **settings):
    session = engine(mode, **settings)
    session.send("uci")
    session.wait_for("^uciok$")
    return session


def xboard_engine(mode, **settings):
    session = engine(mode, **settings)
    session.send("xboard")
    session.send("protover 2")
    session.wait_for("^feature done=1$")
    return session


def read_through(session, pattern):
    """The lines read up to and including the first one matching `pattern`."""
    start = len(session.seen)
    session.wait_for(pattern)
    return session.seen[start:]


def uci_sync(session):
    """Lines up to "readyok", sent after a command that waits for the search
    (so every answer of earlier searches comes before it)."""
    session.send("position startpos")
    session.send("isready")
    return read_through(session, "^readyok$")[:-1]


def xboard_sync(session, number=1):
    """Lines up to the pong of a ping sent now."""
    session.send(f"ping {number}")
    return read_through(session, f"^pong {number}$")[:-1]


BUDGET = re.compile(r"time budget (at the start|from the ponder hit): (\d+) ms \((?:clock (\d+) ms|fixed time)")


def logged_budgets(session):
    """The time budgets of the searches so far, from the log (LogLevel 127):
    (when it was set, milliseconds, the clock it came from or None)."""
    found = BUDGET.findall(session.read_file("logfile.txt"))
    return [(when, int(budget), int(clock) if clock else None) for when, budget, clock in found]


def fen_of(session, uci):
    """The engine's game position."""
    session.send("printFEN")
    line = session.read_line()
    if uci:
        while line.startswith("info "):
            line = session.read_line()
    return line


def finish(test, session):
    """Sends quit (unless the input is already closed); the engine must end
    cleanly. Returns the output not read yet."""
    if not session.proc.stdin.closed:
        session.send("quit")
        session.close_stdin()
    rest = session.remaining_output()
    test.assertEqual(session.wait_exit(), 0, session.stderr)
    return rest


class ProtocolCase(unittest.TestCase):
    """Runs each test in both input modes on a fresh engine set up by `start`."""

    start = None

    def each_mode(self, body, **settings):
        """Runs body(session) in each input mode; the engine must then end cleanly."""
        for mode in INPUT_MODES:
            with self.subTest(mode=mode), type(self).start(mode, **settings) as session:
                body(session)
                finish(self, session)
