"""The command line of the real binary: the help text, unknown switches and
switches without their arguments, which fall back to protocol mode."""

import os
import re
import subprocess
import tempfile
import unittest

BINARY = os.environ.get("TALVIK_BINARY", "talvik")

USAGE = [
    'Talvik -testsuite<htsize> <nbthreads> [depth|time] <value> <filename.epd>',
    'Talvik -perftsuite <filename.epd> <depth>',
    'Talvik -perft <depth>',
    'Talvik -perft <depth> -fen "<fen-string>"',
    'Talvik -perftd <depth>',
    'Talvik -perftd <depth> -fen "<fen-string>"',
    'Talvik -divide <depth>',
    'Talvik -divide <depth> -fen "<fen-string>"',
    'Talvik -buildbook <file.pgn> <file.bin> <depth> <count>',
    'Talvik -buildbook <file.pgn> <file.bin> <depth> <count> polyglot',
    'Talvik -benchmark <htsize> <nbthreads> [depth|time] <value> <filename.epd>',
]
MONTHS = "Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec"


def run(args, stdin="", cwd=None):
    # The timeout only stops a hung engine from blocking the suite.
    return subprocess.run([BINARY] + args, input=stdin, capture_output=True, text=True, timeout=120, cwd=cwd)


class HelpText(unittest.TestCase):
    def test_help_prints_the_usage_and_exits_with_0(self):
        result = run(["-help"])
        self.assertEqual(result.returncode, 0, result.stderr)
        lines = result.stdout.split("\n")
        self.assertRegex(lines[0], r"^Talvik 2\.2 \((32|64) bits\) by Verenko$")
        self.assertRegex(lines[1], r"^Built on (%s) [ 0-3]\d \d{4} at \d\d:\d\d:\d\d$" % MONTHS)
        self.assertIn(lines[2], ("Using software popcount", "Using hardware popcount"))
        self.assertEqual(lines[3], "")
        self.assertEqual(lines[4:], USAGE + [""])

    def test_help_ignores_further_arguments(self):
        self.assertEqual(run(["-help", "extra"]).stdout, run(["-help"]).stdout)


class ProtocolFallback(unittest.TestCase):
    def assert_protocol_mode(self, args, stdin):
        result = run(args, stdin)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertRegex(result.stdout, r"^Talvik 2\.2 \((32|64) bits\) by Verenko\n")
        return result

    def test_unknown_switch_starts_protocol_mode_and_quits(self):
        self.assert_protocol_mode(["-unknownswitch"], "quit\n")

    def test_end_of_input_ends_protocol_mode(self):
        self.assert_protocol_mode([], "")
        self.assert_protocol_mode(["-unknownswitch"], "")

    def test_switch_without_its_arguments_starts_protocol_mode(self):
        for args in (["-perft"], ["-perftsuite", "a", "b", "c"], ["-buildbook", "x"]):
            with self.subTest(args=args):
                self.assert_protocol_mode(args, "quit\n")

    def test_unknown_switch_is_logged(self):
        with tempfile.TemporaryDirectory() as directory:
            with open(os.path.join(directory, "talvik.ini"), "w") as ini:
                ini.write("LogLevel=127\n")
            result = run(["-unknownswitch"], "quit\n", cwd=directory)
            self.assertEqual(result.returncode, 0, result.stderr)
            with open(os.path.join(directory, "logfile.txt")) as log:
                text = log.read()
            self.assertIn("Unknown command line parameter '-unknownswitch'", text)


if __name__ == "__main__":
    unittest.main()
