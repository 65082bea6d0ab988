"""A user at xboard's board, for tests that need a person on one side:
run under an X server (xvfb-run -a python3 xboard_user.py ...), it starts
xboard with Talvik as engine, pondering on, and plays White through the
keyboard with xdotool. It types 1. e4, then 2. d4, and while the engine
ponders on its answer retracts that with xboard's "Retract Move" (Ctrl-X,
which makes xboard send "remove"), plays 2. d3 instead and
hands the rest of the game to Fairy-Max with "Two Machines" (Ctrl-T). The
game ends by the rules or after a minute; then it quits xboard (Ctrl-Q).

2. d3 is legal only when the engine's board is the one xboard has after the
takeback: an engine that took back nothing, or one move, answers it with
"Illegal move".

Usage: xboard_user.py SCRATCH ENGINE. SCRATCH holds home/, tmp/ and first/
(the engine's working directory); xboard's debug file and the saved game land
there as xboard.debug and game.pgn.

With "relay ENGINE" instead, it stands between xboard and the engine and
adds "printFEN" after each "remove" or "undo" from xboard, so that the debug
file shows the engine's board right after the takeback."""

import os
import re
import subprocess
import sys
import time

MOVES_BEFORE = ("e2e4", "d2d4")
MOVE_AFTER = "d2d3"
GAME_SECONDS = 60


def relay(engine):
    child = subprocess.Popen([engine], stdin=subprocess.PIPE, text=True)
    for line in sys.stdin:
        child.stdin.write(line)
        if line.split()[:1] in (["remove"], ["undo"]):
            child.stdin.write("printFEN\n")
        child.stdin.flush()
    child.stdin.close()
    child.wait()


def xdotool(*args):
    return subprocess.run(["xdotool", *args], stdout=subprocess.PIPE, text=True, check=True).stdout.split()


class Xboard:
    def __init__(self, scratch, engine):
        self.debug = os.path.join(scratch, "xboard.debug")
        environment = dict(os.environ, HOME=os.path.join(scratch, "home"), TMPDIR=os.path.join(scratch, "tmp"))
        relay_command = f"{sys.executable} {os.path.abspath(__file__)} relay {engine}"
        self.proc = subprocess.Popen(
            ["xboard", "-fcp", relay_command, "-fd", os.path.join(scratch, "first"), "-scp", "fairymax",
             "-tc", "0:10", "-inc", "0", "-ponder", "-defaultHashSize", "16", "-smpCores", "1",
             "-saveGameFile", os.path.join(scratch, "game.pgn"), "-saveSettingsOnExit", "false",
             "-debugMode", "true", "-nameOfDebugFile", self.debug],
            cwd=os.path.join(scratch, "home"), env=environment,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def traffic(self):
        if not os.path.exists(self.debug):
            return ""
        with open(self.debug, encoding="utf-8", errors="replace") as f:
            return f.read()

    def wait_for(self, pattern, count=1, seconds=30):
        """Waits until the debug file matches `pattern` `count` times."""
        deadline = time.monotonic() + seconds
        while len(re.findall(pattern, self.traffic(), re.M)) < count:
            if "Illegal move" in self.traffic():
                sys.exit("xboard_user: an illegal move")
            if time.monotonic() > deadline or self.proc.poll() is not None:
                sys.exit(f"xboard_user: no '{pattern}' (x{count}) in xboard's debug file")
            time.sleep(0.1)

    def board_window(self):
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid),
                                    "--name", "^xboard: "], stdout=subprocess.PIPE, text=True).stdout.split()
            if found:
                return found[0]
            time.sleep(0.1)
        sys.exit("xboard_user: xboard's board window did not appear")

    def type_move(self, move, answers):
        """Types `move` into xboard's type-in box, then waits for the engine's
        answer (its `answers`th move of the game)."""
        xdotool("type", "--delay", "50", move)
        xdotool("key", "Return")
        self.wait_for(rf"^\d+ >first : {move}$")
        self.wait_for(r"^\d+ <first : move ", answers)


def play(scratch, engine):
    xboard = Xboard(scratch, engine)
    try:
        xboard.wait_for(r">first : ping 1$")
        # With no window manager the keyboard goes to the window under the pointer.
        xdotool("mousemove", "--window", xboard.board_window(), "200", "250")
        answers = 0
        for move in MOVES_BEFORE:
            answers += 1
            xboard.type_move(move, answers)
        xboard.wait_for(r"<first : Hint: ", answers)  # the engine ponders
        xdotool("key", "ctrl+x")
        xboard.wait_for(r">first : remove$")
        answers += 1
        xboard.type_move(MOVE_AFTER, answers)
        xdotool("key", "ctrl+t")
        xboard.wait_for(r"^GameEnds\(\d+, [^(]", seconds=GAME_SECONDS)
    finally:
        subprocess.run(["xdotool", "key", "ctrl+q"])
        try:
            xboard.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            xboard.proc.kill()


if __name__ == "__main__":
    if sys.argv[1] == "relay":
        relay(sys.argv[2])
    else:
        play(sys.argv[1], sys.argv[2])
