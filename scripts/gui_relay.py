#!/usr/bin/env python3
"""Records what a chess GUI and Talvik say to each other.

A GUI is given this script as its engine. The script starts Talvik, passes
every line on in both directions and appends it to a log as
`SECONDS DIRECTION TEXT`: seconds since the start, `>` for a line from the GUI
to the engine, `<` for a line from the engine to the GUI.

    TALVIK_RELAY_LOG=/tmp/scid.log scripts/gui_relay.py [engine arguments]

TALVIK_RELAY_LOG names the log, where %p stands for the relay's process id
(GUIs that run an analyser besides the player start two engines at once:
each gets its own log); the default is gui-relay-%p.log in the working
directory. TALVIK_RELAY_ENGINE names the engine binary (default: the release
build next to this script).
"""

import os
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ENGINE = os.environ.get("TALVIK_RELAY_ENGINE", os.path.join(HERE, "..", "build", "release", "talvik"))
LOG = os.environ.get("TALVIK_RELAY_LOG", "gui-relay-%p.log").replace("%p", str(os.getpid()))


def main():
    start = time.monotonic()
    log = open(LOG, "a", encoding="utf-8", buffering=1)
    lock = threading.Lock()

    def record(direction, line):
        with lock:
            log.write(f"{time.monotonic() - start:.3f} {direction} {line}\n")

    engine = subprocess.Popen([ENGINE, *sys.argv[1:]], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              bufsize=0)

    def engine_to_gui():
        for raw in iter(engine.stdout.readline, b""):
            record("<", raw.decode("utf-8", "replace").rstrip("\r\n"))
            try:
                sys.stdout.buffer.write(raw)
                sys.stdout.buffer.flush()
            except (BrokenPipeError, ValueError):
                break

    reader = threading.Thread(target=engine_to_gui, daemon=True)
    reader.start()
    for raw in iter(sys.stdin.buffer.readline, b""):
        record(">", raw.decode("utf-8", "replace").rstrip("\r\n"))
        try:
            engine.stdin.write(raw)
        except (BrokenPipeError, ValueError):
            break
    # The GUI closed its end (some never send "quit"): so does the relay.
    record("#", "end of GUI input")
    try:
        engine.stdin.close()
    except BrokenPipeError:
        pass
    try:
        engine.wait(timeout=10)
    except subprocess.TimeoutExpired:
        engine.kill()
        engine.wait()
    reader.join(timeout=5)
    record("#", f"engine exit code {engine.returncode}")
    return engine.returncode


if __name__ == "__main__":
    sys.exit(main())
