"""The install target: `cmake --install` into a scratch DESTDIR puts the files
where they belong, the installed engine started from another working folder
(as a GUI starts it) answers UCI and finds the files installed with it, and
the manual page renders without a warning."""

import os
import re
import shutil
import subprocess
import tempfile
import unittest

from talvik_session import BINARY, SOURCE_DIR, TalvikSession, make_workdir, require_tools

BUILD_DIR = os.path.dirname(BINARY)
SHARE = "usr/share/talvik"
INSTALLED = {
    "usr/games/talvik",
    "usr/share/man/man6/talvik.6",
    f"{SHARE}/talvik.ini",
    f"{SHARE}/html/style.css",
    f"{SHARE}/html/logchess.js",
    f"{SHARE}/personalities/default.ini",
    f"{SHARE}/personalities/attacking.ini",
}


def ini_keys(path):
    with open(path, encoding="utf-8") as f:
        return [line.split("=", 1)[0] for line in f if "=" in line and line[0] not in "#;"]


@unittest.skipUnless(os.path.isfile(os.path.join(BUILD_DIR, "CMakeCache.txt")), "the binary is not in a CMake build")
class InstallTree(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.destdir = tempfile.mkdtemp(prefix="talvik-install-")
        subprocess.run(["cmake", "--install", BUILD_DIR, "--prefix", "/usr"], check=True, capture_output=True,
                       env={**os.environ, "DESTDIR": cls.destdir})
        cls.engine = os.path.join(cls.destdir, "usr/games/talvik")
        cls.share = os.path.join(cls.destdir, SHARE)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.destdir, ignore_errors=True)

    def test_file_list(self):
        found = {os.path.relpath(os.path.join(folder, name), self.destdir)
                 for folder, _, names in os.walk(self.destdir) for name in names}
        self.assertEqual(found, INSTALLED)
        self.assertTrue(os.access(self.engine, os.X_OK))

    def test_example_ini_names_every_key_the_engine_reads(self):
        with open(os.path.join(SOURCE_DIR, "src/app/settings.cpp"), encoding="utf-8") as f:
            read = re.findall(r'config(?:Int|String|Real)\(config, "(\w+)"', f.read())
        self.assertEqual(ini_keys(os.path.join(self.share, "talvik.ini")), read)

    def search_nodes(self, ini, html=False):
        """Nodes of a fixed search by the installed engine in a working folder
        of its own (with an html/ folder when `html` is set), and its log."""
        workdir = make_workdir(ini={"LogLevel": 1, "LogFormat": 1, **ini}, html=html)
        with TalvikSession(command=[self.engine], workdir=workdir) as engine:
            for line in ["uci", "isready", "position startpos moves e2e4 e7e5", "go depth 8"]:
                engine.send(line)
            engine.wait_for(r"^uciok$")
            engine.wait_for(r"^bestmove ")
            engine.send("quit")
            self.assertEqual(engine.wait_exit(), 0)
            nodes = [int(m.group(1)) for line in engine.seen if (m := re.search(r" nodes (\d+)", line))]
            log = engine.read_file("logfile.html")
        shutil.rmtree(workdir, ignore_errors=True)
        return nodes[-1], log

    def test_started_elsewhere_it_finds_its_shared_files(self):
        plain, log = self.search_nodes({})
        _, log_beside_html = self.search_nodes({}, html=True)
        # The HTML log refers to the style sheet and script of its own folder,
        # and to the installed ones when its folder has none.
        for attribute, name in (("href", "html/style.css"), ("src", "html/logchess.js")):
            link = rf'{attribute}="([^"]*{re.escape(name)})"'
            self.assertEqual(re.search(link, log).group(1), os.path.join(self.share, name))
            self.assertEqual(re.search(link, log_beside_html).group(1), name)
        # A personality named relative to the shared folder is found there;
        # the built-in weights spelled out play as no personality does.
        results = {}
        for name in ("default", "attacking"):
            nodes, log = self.search_nodes({"UsePersonality": 1, "PersonalityFile": f"personalities/{name}.ini"})
            self.assertIn(f"load personality {self.share}/personalities/{name}.ini", log)
            results[name] = nodes
        self.assertEqual(results["default"], plain)
        self.assertNotEqual(results["attacking"], plain)

    def test_manual_page_names_every_option_and_feature(self):
        with open(os.path.join(self.destdir, "usr/share/man/man6/talvik.6"), encoding="utf-8") as f:
            page = f.read().replace("\\-", "-").replace("\\(dq", '"')
        with TalvikSession(command=[self.engine], ini={}) as engine:
            for line in ["uci", "quit"]:
                engine.send(line)
            uci = engine.remaining_output()
        with TalvikSession(command=[self.engine], ini={}) as engine:
            for line in ["xboard", "protover 2", "quit"]:
                engine.send(line)
            xboard = engine.remaining_output()
        names = [m.group(1) for line in uci if (m := re.match(r"option name (.+?) type ", line))]
        names += [m.group(1) for line in xboard if (m := re.match(r'feature option="(\S+(?: \S+)*?) -', line))]
        names += [m.group(1) for line in xboard if (m := re.match(r"feature (\w+)=", line)) and m.group(1) != "option"]
        self.assertEqual([name for name in names if name not in page], [])

    def test_manual_page_renders_without_warnings(self):
        require_tools(self, [] if shutil.which("groff") else ["groff"], "the manual page check",
                      "TALVIK_REQUIRE_PACKAGE_TOOLS")
        page = os.path.join(self.destdir, "usr/share/man/man6/talvik.6")
        done = subprocess.run(["groff", "-ww", "-z", "-man", page], capture_output=True, text=True)
        self.assertEqual((done.returncode, done.stderr), (0, ""))
        if shutil.which("mandoc"):
            done = subprocess.run(["mandoc", "-T", "lint", page], capture_output=True, text=True)
            self.assertEqual((done.returncode, done.stdout + done.stderr), (0, ""))


if __name__ == "__main__":
    unittest.main()
