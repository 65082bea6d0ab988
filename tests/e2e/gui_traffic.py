"""Replays recorded GUI sessions (tests/data/gui-traffic, written by
scripts/gui_relay.py) against the engine.

A recorded line is `SECONDS DIRECTION TEXT`: `>` the GUI sent it, `<` the
engine answered, `#` a note of the relay. The replay sends the GUI's lines in
order. Before each one it waits until the engine has given as many answers
(bestmove, readyok, uciok, pong, move, an illegal-move reply) as it had given
in the recording at that point, and a line that reached the engine during a
search waits until the search has reported some iterations, as a user
watching the analysis would. Clock and move-time figures are cut down, and
an XBoard session that sets no time control (Knights, gnome-chess), where
the engine would take its default five seconds a move, gets a fixed depth
right after "xboard", so that a session of minutes replays in seconds; the
order of what happens is the recording's.
"""

import os
import re

ANSWER = re.compile(r"^(bestmove |readyok$|uciok$|pong |move |Illegal move)")
GO = re.compile(r"^(go|analyze)\b")
TIMES = re.compile(r"\b(wtime|btime|winc|binc|movetime) (\d+)")
INFO_DEPTH = re.compile(r"^info (?:multipv \d+ )?depth (\d+) seldepth")
THINKING_DEPTH = re.compile(r"^(\d+) -?\d+ \d+ \d+ ")
TIME_SCALE = 20
DEPTH_BEFORE_INTERRUPT = 8
XBOARD_TIME_CONTROL = re.compile(r"^(level|st|sd|time) ")
XBOARD_DEPTH = "sd 8"

TRAFFIC_DIR = os.path.join(os.path.dirname(__file__), "..", "data", "gui-traffic")


def read_session(name):
    """The recorded lines of one session as (direction, text) pairs."""
    lines = []
    with open(os.path.join(TRAFFIC_DIR, name), encoding="utf-8") as f:
        for raw in f:
            parts = raw.rstrip("\n").split(" ", 2)
            if len(parts) >= 2 and parts[1] in "<>#":
                lines.append((parts[1], parts[2] if len(parts) > 2 else ""))
    return lines


def shorter_times(line):
    return TIMES.sub(lambda m: f"{m.group(1)} {max(int(m.group(2)) // TIME_SCALE, 1)}", line)


def replay(session, recorded):
    """Sends the GUI's lines of `recorded` to `session`; returns the engine's
    lines, the sent lines marked with a leading '> '."""
    transcript = []
    answers_due = 0
    answers_seen = 0
    searching = False
    deepest = 0

    def read():
        nonlocal answers_seen, searching, deepest
        line = session.read_line()
        if line is None:
            raise AssertionError(f"the engine's output ended; last lines: {transcript[-10:]}")
        transcript.append(line)
        depth = INFO_DEPTH.match(line) or THINKING_DEPTH.match(line)
        if depth:
            deepest = max(deepest, int(depth.group(1)))
        if ANSWER.match(line):
            answers_seen += 1
            if line.startswith(("bestmove ", "move ")):
                searching = False

    sent = [text for direction, text in recorded if direction == ">"]
    untimed_xboard = sent[:1] == ["xboard"] and not any(XBOARD_TIME_CONTROL.match(text) for text in sent)
    for direction, text in recorded:
        if direction == "<":
            if ANSWER.match(text):
                answers_due += 1
            continue
        if direction != ">":
            continue
        while answers_seen < answers_due:
            read()
        while searching and deepest < DEPTH_BEFORE_INTERRUPT:
            read()
        line = shorter_times(text)
        session.send(line)
        transcript.append("> " + line)
        if GO.match(line):
            searching = True
            deepest = 0
        if line == "xboard" and untimed_xboard:
            session.send(XBOARD_DEPTH)
            transcript.append("> " + XBOARD_DEPTH)
    while answers_seen < answers_due:
        read()
    return transcript
