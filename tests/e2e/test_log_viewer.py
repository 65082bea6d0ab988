"""The HTML log in a real browser: headless Chromium, driven by Playwright,
opens a log written by the engine and clicks the count table's level links.

CI installs Chromium, Node.js and the Playwright client (scripts/setup.sh)
and must run this test; a developer without them sees it skipped."""

import os
import shutil
import subprocess
import unittest

from talvik_session import DEADLINE, TalvikSession, require_tools

BROWSER_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "browser")
CHROMIUM = os.environ.get("CHROMIUM", "/usr/bin/chromium")


def missing_tools():
    missing = []
    if not shutil.which("node"):
        missing.append("node")
    if not os.access(CHROMIUM, os.X_OK):
        missing.append(CHROMIUM)
    if not os.path.isdir(os.path.join(BROWSER_DIR, "node_modules", "playwright-core")):
        missing.append("playwright-core (npm ci in tests/e2e/browser)")
    return missing


class LogViewer(unittest.TestCase):
    def setUp(self):
        require_tools(self, missing_tools(), "browser test", "TALVIK_REQUIRE_BROWSER_TEST")

    def test_level_links_filter_the_rows(self):
        with TalvikSession(ini={"LogLevel": 127, "LogFormat": 1, "Hash": 1}, html=True) as engine:
            engine.send("uci")
            engine.wait_for("^uciok$")
            engine.send("isready")
            engine.wait_for("^readyok$")
            engine.send("quit")
            self.assertEqual(engine.wait_exit(), 0)
            done = subprocess.run(
                ["node", os.path.join(BROWSER_DIR, "log_viewer_check.mjs"), engine.file_path("logfile.html")],
                cwd=BROWSER_DIR,
                capture_output=True,
                text=True,
                timeout=DEADLINE * 4,
            )
            self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
            self.assertEqual(done.stdout.strip(), "ok")


if __name__ == "__main__":
    unittest.main()
