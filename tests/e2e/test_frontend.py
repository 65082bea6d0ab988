"""Protocol mode: the first line chooses the protocol; odd input never crashes
or hangs the engine; end of input ends it cleanly. Every case runs with the
input thread and in polling mode."""

import random
import re
import unittest

from talvik_session import TalvikSession

BANNER = r"^Talvik 2\.2 \(\d\d bits\) by Verenko$"
INPUT_MODES = (1, 0)  # UseInputThread


def session(mode, args=(), **settings):
    ini = {"LogLevel": 127, "Hash": 1, "UseInputThread": mode}
    ini.update(settings)
    return TalvikSession(args, ini=ini)


class FrontEndCase(unittest.TestCase):
    def finish(self, engine, close_input=False):
        """Waits for the end; checks the exit status and the log's last line.
        Returns the output after the lines already read, and the log."""
        if close_input:
            engine.close_stdin()
        rest = engine.remaining_output()
        self.assertEqual(engine.wait_exit(), 0, engine.stderr)
        log = engine.read_file("logfile.txt")
        self.assertRegex(log, r"INFO       End\.\n\nINFO = \d+\n")
        return rest, log


class FirstLine(FrontEndCase):
    def test_uci_and_ucinewgame_choose_uci(self):
        for mode in INPUT_MODES:
            for first in ("uci", "ucinewgame", "  uci  extra words"):
                with self.subTest(mode=mode, first=first), session(mode) as engine:
                    engine.wait_for(BANNER)
                    engine.send(first)
                    engine.wait_for(r"^id name Talvik 2\.2 \d\d bits$")
                    engine.wait_for("^uciok$")
                    engine.send("isready")
                    engine.wait_for("^readyok$")
                    engine.send("quit")
                    _, log = self.finish(engine)
                    self.assertIn("INFO       using protocol UCI\n", log)
                    self.assertIn(f"GUI        << {first}\n", log)

    def test_xboard(self):
        for mode in INPUT_MODES:
            with self.subTest(mode=mode), session(mode) as engine:
                engine.wait_for(BANNER)
                engine.send("xboard")
                engine.send("quit")
                rest, log = self.finish(engine)
                self.assertEqual(rest, [])
                self.assertIn("INFO       using protocol XBoard\n", log)
                self.assertIn("Init main hash table : 1 Mb", log)

    def test_setvalue_keeps_the_selector(self):
        for mode in INPUT_MODES:
            with self.subTest(mode=mode), session(mode) as engine:
                engine.wait_for(BANNER)
                for line in ("setvalue PawnValue 120", "setvalue", "setvalue KnightValue"):
                    engine.send(line)
                engine.send("uci")
                engine.wait_for("^uciok$")
                engine.send("quit")
                _, log = self.finish(engine)
                self.assertIn("GUI        << setvalue PawnValue 120\n", log)
                self.assertNotIn("ERROR", log.split("\n\n")[0])

    def test_quit_and_unknown_words_end_the_program(self):
        # An unknown first word ends the program by itself, input still open.
        cases = [
            ("quit", None),
            ("quitting", None),
            ("hello world", "hello"),
            ("UCI", "UCI"),
            ("x" * 300 + " uci", "x" * 255),
        ]
        for mode in INPUT_MODES:
            for first, unknown in cases:
                with self.subTest(mode=mode, first=first[:20]), session(mode) as engine:
                    engine.wait_for(BANNER)
                    engine.send(first)
                    rest, log = self.finish(engine)
                    self.assertEqual(rest, [])  # nothing but the banner
                    if unknown is None:
                        self.assertNotIn("unknown protocol", log)
                    else:
                        self.assertIn(f"ERROR      unknown protocol '{unknown}'\n", log)

    def test_empty_and_blank_lines_are_logged_and_ignored(self):
        for mode in INPUT_MODES:
            with self.subTest(mode=mode), session(mode) as engine:
                engine.wait_for(BANNER)
                engine.send("")
                engine.send("     ")
                engine.send("uci")
                engine.wait_for("^uciok$")
                engine.send("")
                engine.send("   ")
                engine.send("isready")
                engine.wait_for("^readyok$")
                engine.send("quit")
                _, log = self.finish(engine)
                self.assertEqual(log.count("GUI        << \n"), 2)
                self.assertEqual(log.count("GUI        <<      \n"), 1)
                self.assertEqual(log.count("GUI        <<    \n"), 1)


class EndOfInput(FrontEndCase):
    def test_end_of_input_is_quit(self):
        # Before any protocol, after UCI, and after XBoard were chosen.
        for mode in INPUT_MODES:
            for lines in ([], ["uci"], ["xboard"], ["uci", "isready"]):
                with self.subTest(mode=mode, lines=lines), session(mode) as engine:
                    engine.wait_for(BANNER)
                    for line in lines:
                        engine.send(line)
                    self.finish(engine, close_input=True)

    def test_last_line_without_line_feed_still_counts(self):
        for mode in INPUT_MODES:
            with self.subTest(mode=mode), session(mode) as engine:
                engine.send("uci")
                engine.send_raw(b"isready")
                engine.close_stdin()
                engine.wait_for("^readyok$")
                self.finish(engine)

    def test_search_is_handed_over_or_run_in_place(self):
        for mode in INPUT_MODES:
            with self.subTest(mode=mode), session(mode) as engine:
                engine.send("uci")
                engine.wait_for("^uciok$")
                engine.send("go")
                engine.wait_for(r"^bestmove [a-h][1-8][a-h][1-8]$")
                engine.send("isready")
                engine.wait_for("^readyok$")
                engine.send("go")
                engine.close_stdin()
                self.finish(engine)


class OddInput(FrontEndCase):
    def test_long_line_is_one_command(self):
        # If the reader split the line, its second piece would begin with
        # "isready" and draw a second "readyok".
        long_line = "a" * 4095 + "isready " + "b" * (100000 - 4103)
        for mode in INPUT_MODES:
            with self.subTest(mode=mode), session(mode) as engine:
                engine.send("uci")
                engine.wait_for("^uciok$")
                engine.send(long_line)
                engine.send("isready")
                engine.send("quit")
                rest, log = self.finish(engine)
                self.assertEqual(rest, ["readyok"])
                # The log line is cut at 4095 characters of message.
                self.assertIn("GUI        << " + "a" * (4095 - 3) + "\n", log)

    def test_long_first_line(self):
        for mode in INPUT_MODES:
            with self.subTest(mode=mode), session(mode) as engine:
                engine.send("uci" + "x" * 99997)
                engine.wait_for("^uciok$")
                engine.send("quit")
                self.finish(engine)

    def test_random_bytes(self):
        rng = random.Random(20240611)
        for mode in INPUT_MODES:
            for before in ([], ["uci"], ["xboard"]):
                data = bytes(rng.randrange(256) for _ in range(3000)).replace(b"\n", b" ")
                with self.subTest(mode=mode, before=before), session(mode) as engine:
                    for line in before:
                        engine.send(line)
                    engine.send(data)
                    engine.send(bytes(rng.randrange(256) for _ in range(3000)))  # may hold line feeds
                    engine.send("quit")
                    self.finish(engine, close_input=True)

    def test_html_log_escapes_gui_input(self):
        with TalvikSession(ini={"LogLevel": 127, "LogFormat": 1}) as engine:
            engine.send('<script>alert("x")</script>&')
            self.assertEqual(engine.wait_exit(), 0)
            log = engine.read_file("logfile.html")
            self.assertNotIn("<script>alert", log)
            self.assertIn("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;&amp;", log)

    def test_unknown_switch_warns_then_plays(self):
        with session(1, args=["-bogus", "2"]) as engine:
            engine.wait_for(BANNER)
            engine.send("uci")
            engine.wait_for("^uciok$")
            engine.send("quit")
            _, log = self.finish(engine)
            self.assertIn("WARNING    Unknown command line parameter '-bogus'\n", log)


if __name__ == "__main__":
    unittest.main()
