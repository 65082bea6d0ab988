"""Sessions recorded in the GUIs Debian ships (tests/data/gui-traffic),
replayed in both input modes: what a user of each GUI would see."""

import os
import re
import unittest

from gui_traffic import TRAFFIC_DIR, read_session, replay
from protocol_session import INPUT_MODES, engine, finish

PV_INFO = re.compile(r"^info (?:multipv (\d+) )?depth (\d+) seldepth (\d+) .* pv (.+)$")
THINKING = re.compile(r"^\d+ -?\d+ \d+ \d+ [a-h][1-8][a-h][1-8]")


def searches(transcript):
    """(position line, go line, engine lines up to the answer, lines asked for)
    of each UCI search."""
    position, lines_asked, found, current = None, 1, [], None
    for line in transcript:
        multipv = re.match(r"^> setoption name multipv value (\d+)", line, re.IGNORECASE)
        if multipv:
            lines_asked = int(multipv.group(1))
        elif line.startswith("> position"):
            position = line
        elif line.startswith("> go"):
            current = (position, line, [], lines_asked)
            found.append(current)
        elif current is not None and not line.startswith("> "):
            current[2].append(line)
            if line.startswith("bestmove"):
                current = None
    return found


class RecordedSessions(unittest.TestCase):
    def check_uci(self, transcript):
        infos = [PV_INFO.match(line) for line in transcript if PV_INFO.match(line)]
        self.assertTrue(infos)
        for info in infos:
            self.assertGreaterEqual(int(info.group(3)), int(info.group(2)), info.group(0))
            self.assertIn(" hashfull ", info.group(0))
        # A position searched again gets whole lines, not the one move the
        # table's answer at the root used to leave (a line's last plies can
        # still be missing where the table has lost them), and "Lines" set
        # to N shows N lines for each iteration completed.
        seen = set()
        for position, go, lines, asked in searches(transcript):
            numbers = {}
            for line in lines:
                info = PV_INFO.match(line)
                if not info:
                    continue
                numbers.setdefault(int(info.group(2)), set()).add(int(info.group(1) or 0))
                if position in seen:
                    self.assertGreaterEqual(2 * len(info.group(4).split()), int(info.group(2)), (position, line))
            if asked > 1 and numbers:
                self.assertIn(set(range(1, asked + 1)), numbers.values(), go)
            seen.add(position)

    def check_xboard(self, transcript):
        # No thinking output before "post" or "protover 2": a version 1 GUI
        # would read it as moves.
        for line in transcript:
            if line.startswith(("> post", "> protover")):
                break
            self.assertIsNone(THINKING.match(line), line)

    def test_every_recorded_session(self):
        names = sorted(name for name in os.listdir(TRAFFIC_DIR) if name.endswith(".log"))
        self.assertTrue(names)
        for name in names:
            recorded = read_session(name)
            uci = any(direction == ">" and text == "uci" for direction, text in recorded)
            for mode in INPUT_MODES:
                with self.subTest(session=name, mode=mode), engine(mode, Hash=16) as session:
                    transcript = replay(session, recorded)
                    finish(self, session)
                    (self.check_uci if uci else self.check_xboard)(transcript)


if __name__ == "__main__":
    unittest.main()
