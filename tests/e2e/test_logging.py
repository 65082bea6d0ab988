"""The log file: its exact plain-text and HTML forms, level bits, file names,
and the talvik.ini keys that shape it."""

import os
import re
import unittest

from talvik_session import TalvikSession, mask_time_stamps, run_tool

# A session whose log does not depend on any protocol: an unknown switch (a
# WARNING), blank lines, a setvalue, then an unknown first word (an ERROR)
# that ends the program. The word carries markup and per-cent signs.
SESSION_ARGS = ["-bogus"]
SESSION_LINES = ["", "   ", "setvalue PawnValue 100", '<i>&"%s%n"</i> more']
WORD = '<i>&"%s%n"</i>'


def run_scripted_session(ini):
    with TalvikSession(SESSION_ARGS, ini=ini) as engine:
        banner = engine.read_line()
        for line in SESSION_LINES:
            engine.send(line)
        status = engine.wait_exit()
        files = {name: engine.read_file(name) for name in os.listdir(engine.workdir) if name.startswith("logfile")}
        return banner, status, files, engine.proc.pid


def word_size(banner):
    return re.match(r"^Talvik 2\.2 \((\d\d bits)\) by Verenko$", banner).group(1)


def mask_compile_line(text):
    return re.sub(r"Compiled on [A-Z][a-z]{2} [ \d]\d \d{4} at \d\d:\d\d:\d\d", "Compiled on STAMP", text)


class LogFormats(unittest.TestCase):
    def test_plain_text_byte_for_byte(self):
        banner, status, files, _ = run_scripted_session({"LogLevel": 127, "LogFormat": 0})
        self.assertEqual(status, 0)
        bits = word_size(banner)
        expected = (
            f"TS INFO       Talvik 2.2 {bits}\n"
            "TS INFO       Compiled on STAMP\n"
            "TS WARNING    Unknown command line parameter '-bogus'\n"
            f"TS GUI        >> Talvik 2.2 ({bits}) by Verenko\n"
            "TS GUI        << \n"
            "TS GUI        <<    \n"
            "TS GUI        << setvalue PawnValue 100\n"
            f"TS GUI        << {WORD} more\n"
            f"TS ERROR      unknown protocol '{WORD}'\n"
            "TS INFO       End.\n"
            "\n"
            "INFO = 3\n"
            "DEBUG = 0\n"
            "TRACE = 0\n"
            "WARNING = 1\n"
            "ERROR = 1\n"
            "CRITICAL = 0\n"
            "GUI = 5\n"
        )
        self.assertEqual(list(files), ["logfile.txt"])
        self.assertEqual(mask_compile_line(mask_time_stamps(files["logfile.txt"])), expected)

    def test_html_byte_for_byte(self):
        banner, status, files, _ = run_scripted_session({"LogLevel": 127, "LogFormat": 1})
        self.assertEqual(status, 0)
        bits = word_size(banner)
        escaped = "&lt;i&gt;&amp;&quot;%s%n&quot;&lt;/i&gt;"

        def row(level, message):
            return f'<tr class="{level.lower()}"><th>TS</th><td>{level}</td><td>{message}</td></tr>\n'

        def count(level, n):
            return (
                f"<tr><th><a href=\"#\" onclick=\"return showLevel('tablelog', '{level.lower()}')\">{level}</a>"
                f"</th><td>{n}</td></tr>\n"
            )

        expected = (
            "<!DOCTYPE HTML>\n<html>\n<head>\n<title>logfile.html</title>\n"
            '<link href="html/style.css" media="screen" rel="stylesheet" type="text/css" />\n'
            '<script type="text/javascript" src="html/logchess.js"></script>\n'
            '</head>\n<body>\n<table id="tablelog">\n'
            + row("INFO", f"Talvik 2.2 {bits}")
            + row("INFO", "Compiled on STAMP")
            + row("WARNING", "Unknown command line parameter '-bogus'")
            + row("GUI", f"&gt;&gt; Talvik 2.2 ({bits}) by Verenko")
            + row("GUI", "&lt;&lt; ")
            + row("GUI", "&lt;&lt;    ")
            + row("GUI", "&lt;&lt; setvalue PawnValue 100")
            + row("GUI", f"&lt;&lt; {escaped} more")
            + row("ERROR", f"unknown protocol '{escaped}'")
            + row("INFO", "End.")
            + "</table>\n<table id=\"logcount\">\n"
            + count("INFO", 3)
            + count("DEBUG", 0)
            + count("TRACE", 0)
            + count("WARNING", 1)
            + count("ERROR", 1)
            + count("CRITICAL", 0)
            + count("GUI", 5)
            + "</table>\n</body>\n</html>\n"
        )
        html = re.sub(r"<th>\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\.\d{3}</th>", "<th>TS</th>", files["logfile.html"])
        self.assertEqual(list(files), ["logfile.html"])
        self.assertEqual(mask_compile_line(html), expected)

    def test_level_bits_choose_the_lines(self):
        # Switched-off levels keep their row in the count table, with 0.
        cases = [
            (64, {"GUI": 5}),
            (73, {"INFO": 3, "WARNING": 1, "GUI": 5}),
            (16, {"ERROR": 1}),
            (1, {"INFO": 3}),
        ]
        for mask, counts in cases:
            with self.subTest(mask=mask):
                _, status, files, _ = run_scripted_session({"LogLevel": mask})
                self.assertEqual(status, 0)
                lines, table = files["logfile.txt"].split("\n\n")
                written = [re.match(r"^\S+ \S+ (\S+) ", line).group(1) for line in lines.split("\n")]
                self.assertEqual(sorted(set(written)), sorted(counts))
                for level in ("INFO", "DEBUG", "TRACE", "WARNING", "ERROR", "CRITICAL", "GUI"):
                    self.assertIn(f"{level} = {counts.get(level, 0)}\n", table)
                    self.assertEqual(written.count(level), counts.get(level, 0))

    def test_file_names(self):
        cases = [
            ({"LogLevel": 1, "LogPID": 1, "LogFormat": 1}, "logfile_{pid}.html"),
            ({"LogLevel": 1, "LogPID": 1}, "logfile_{pid}.txt"),
            ({"LogLevel": 1, "LogFormat": 7}, "logfile.html"),
            ({"LogLevel": 0, "LogPID": 1, "LogFormat": 1}, None),
            ({"LogLevel": 0}, None),
            ({"LogLevel ": 127}, None),  # "LogLevel " is another key
            ({}, None),
        ]
        for ini, name in cases:
            with self.subTest(ini=ini):
                _, status, files, pid = run_scripted_session(ini)
                self.assertEqual(status, 0)
                self.assertEqual(list(files), [name.format(pid=pid)] if name else [])


class ConfigurationFile(unittest.TestCase):
    """talvik.ini as the engine reads it, seen through the hash size it logs."""

    def hash_size_logged(self, ini_text):
        run = run_tool(["-perft", "1"], ini=ini_text)
        self.assertEqual(run.returncode, 0)
        return int(re.search(r"Init main hash table : (\d+) Mb", run.files["logfile.txt"]).group(1))

    def test_hash_size(self):
        cases = [
            ("LogLevel=1\nHash=64\n", 64),
            ("LogLevel=1\nHash = 64\n", 1),  # key "Hash ": Hash absent, 0 clamped to 1
            ("LogLevel=1\n", 1),
            ("LogLevel=1\nHash=16\nHash=16\nHash=8\n", 16),
            ("LogLevel=1\n# Hash=64\n;Hash=64\nHash=8\n", 8),
            ("LogLevel=1\nHash=4\tfour megabytes\n", 4),
            ("[Talvik]\r\nLogLevel=1\r\nHash=2\r\n", 2),
            ("LogLevel=1\nHash=-3\n", 1),
        ]
        for ini, megabytes in cases:
            with self.subTest(ini=ini):
                self.assertEqual(self.hash_size_logged(ini), megabytes)

    def test_missing_file_is_not_an_error(self):
        run = run_tool(["-perft", "1"])
        self.assertEqual(run.returncode, 0)
        self.assertEqual(run.lines[1], "Nodes = 20")
        self.assertEqual(list(run.files), [])


if __name__ == "__main__":
    unittest.main()
