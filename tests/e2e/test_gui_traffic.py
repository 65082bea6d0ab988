"""The sessions recorded in the GUIs Debian ships (tests/data/gui-traffic,
recorded by scripts/gui_relay.py), replayed in both input modes: what a user
of each GUI would see.

The replay sends the GUI's (`>`) lines in order. Before each it waits for as
many answers (bestmove, readyok, uciok, pong, move, an illegal-move reply)
as the recording had by then, and a line that reached the engine during a
search waits until the search has reported a few iterations, as a user
watching would. Clock and move-time figures are cut down, and an XBoard
session without a time control (Knights, gnome-chess), where each move
would take the engine's default five seconds, gets "sd 8" after "xboard".
"""

import os
import re
import unittest

from protocol_session import INPUT_MODES, engine, finish

TRAFFIC_DIR = os.path.join(os.path.dirname(__file__), "..", "data", "gui-traffic")
ANSWER = re.compile(r"^(bestmove |readyok$|uciok$|pong |move |Illegal move)")
TIMES = re.compile(r"\b(wtime|btime|winc|binc|movetime) (\d+)")
DEPTH = re.compile(r"^(?:info (?:multipv \d+ )?depth (\d+) seldepth|(\d+) -?\d+ \d+ \d+ )")
PV_INFO = re.compile(r"^info (?:multipv (\d+) )?depth (\d+) seldepth (\d+) .* hashfull \d+ pv (.+)$")
THINKING = re.compile(r"^\d+ -?\d+ \d+ \d+ [a-h][1-8][a-h][1-8]")


def replay(session, recorded):
    """The engine's lines of the replay, with the sent lines as '> TEXT'."""
    sent = [text for direction, text in recorded if direction == ">"]
    untimed_xboard = sent[:1] == ["xboard"] and not any(re.match(r"(level|st|sd|time) ", t) for t in sent)
    transcript, due, seen, deepest, searching = [], 0, 0, 0, False
    for direction, text in recorded + [(">", None)]:
        if direction == "<":
            due += bool(ANSWER.match(text))
            continue
        while seen < due or (searching and deepest < 8 and text is not None):
            line = session.read_line()
            transcript.append(line)
            depth = DEPTH.match(line or "")
            deepest = max(deepest, int(depth.group(1) or depth.group(2))) if depth else deepest
            if ANSWER.match(line or ""):
                seen += 1
                searching = searching and not line.startswith(("bestmove", "move "))
        if direction != ">" or text is None:
            continue
        line = TIMES.sub(lambda m: f"{m.group(1)} {max(int(m.group(2)) // 20, 1)}", text)
        for command in [line] + (["sd 8"] if line == "xboard" and untimed_xboard else []):
            session.send(command)
            transcript.append("> " + command)
        if re.match(r"(go|analyze)\b", line):
            searching, deepest = True, 0
    return transcript


class RecordedSessions(unittest.TestCase):
    def check_uci(self, transcript):
        position, lines_asked, searched, search = None, 1, set(), None
        for line in transcript + ["> go"]:
            asked = re.match(r"^> setoption name multipv value (\d+)", line, re.IGNORECASE)
            lines_asked = int(asked.group(1)) if asked else lines_asked
            if line.startswith("> go"):
                if search and search[2] > 1 and search[3]:
                    # "Lines" set to N: N lines for some iteration completed.
                    self.assertIn(set(range(1, search[2] + 1)), search[3].values(), search[0])
                searched.add(search[0] if search else None)
                search = (position, position in searched, lines_asked, {})
            position = line if line.startswith("> position") else position
            info = PV_INFO.match(line)
            self.assertFalse(line.startswith("info depth") and " pv " in line and not info, line)
            if info and search:
                depth = int(info.group(2))
                self.assertGreaterEqual(int(info.group(3)), depth, line)
                search[3].setdefault(depth, set()).add(int(info.group(1) or 0))
                if search[1]:
                    # A position searched again: whole lines, not the one move
                    # a table answer at the root used to leave (the last plies
                    # can be missing where the table has lost them).
                    self.assertGreaterEqual(2 * len(info.group(4).split()), depth, line)

    def check_xboard(self, transcript):
        # No thinking before "post" or "protover 2": version 1 GUIs read it as moves.
        for line in transcript:
            if line.startswith(("> post", "> protover")):
                break
            self.assertIsNone(THINKING.match(line), line)

    def test_every_recorded_session(self):
        for name in sorted(n for n in os.listdir(TRAFFIC_DIR) if n.endswith(".log")):
            with open(os.path.join(TRAFFIC_DIR, name), encoding="utf-8") as f:
                recorded = [tuple((line.rstrip("\n").split(" ", 2) + [""])[1:3]) for line in f]
            for mode in INPUT_MODES:
                with self.subTest(session=name, mode=mode), engine(mode, Hash=16) as session:
                    transcript = replay(session, recorded)
                    finish(self, session)
                    (self.check_uci if (">", "uci") in recorded else self.check_xboard)(transcript)
