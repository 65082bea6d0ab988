"""The Debian packages and tarballs that scripts/package.sh builds: their
metadata and files, lintian's verdict, the ARM package's engine under
qemu-arm -cpu arm1176 (the host's node counts, its shared files found), and,
on a throw-away machine as root (CI, or TALVIK_INSTALL_PACKAGE=1), the host
package installed: `talvik` on the search path, xboard playing it by that
name (natively and as a UCI engine through polyglot), and every file gone
after dpkg -r.

Run by scripts/test.sh after scripts/package.sh, with TALVIK_PACKAGE_DIR
(its output folder) and TALVIK_BINARY (the host's release build)."""

import os
import re
import shutil
import subprocess
import tarfile
import tempfile
import unittest

from talvik_session import BINARY, SOURCE_DIR, TalvikSession, make_workdir, require_tools

PACKAGE_DIR = os.environ.get("TALVIK_PACKAGE_DIR", "")
QEMU = ["qemu-arm", "-cpu", "arm1176"]
SEARCH_PATH = "/usr/local/bin:/usr/bin:/bin:/usr/games"
SHARED = ["share/talvik/talvik.ini", "share/talvik/html/style.css", "share/talvik/html/logchess.js",
          "share/talvik/personalities/default.ini", "share/talvik/personalities/attacking.ini"]


def version():
    with open(os.path.join(SOURCE_DIR, "src/base/build_info.h"), encoding="utf-8") as f:
        return re.search(r'ProgramVersion = "([^"]+)"', f.read()).group(1)


def host_arch():
    return subprocess.run(["dpkg", "--print-architecture"], capture_output=True, text=True).stdout.strip()


def deb(arch):
    return os.path.join(PACKAGE_DIR, f"talvik_{version()}_{arch}.deb")


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, timeout=600, **kwargs)


def bench_nodes(command, workdir):
    out = run([*command, "-benchmark", "16", "1", "depth", "7"], cwd=workdir).stdout
    return int(re.search(r"^Nodes : (\d+)$", out, re.M).group(1))


@unittest.skipUnless(PACKAGE_DIR, "TALVIK_PACKAGE_DIR is not set")
class Packages(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="talvik-package-")
        self.addCleanup(shutil.rmtree, self.scratch, ignore_errors=True)

    def test_metadata_and_files(self):
        files = ["usr/games/talvik", "usr/share/man/man6/talvik.6.gz", "usr/share/doc/talvik/copyright",
                 "usr/share/doc/talvik/changelog.gz", *("usr/" + name for name in SHARED)]
        cases = [  # architecture, Depends, files beyond the common ones
            (host_arch(), r"^libc6 .*libstdc\+\+6", []),
            ("armel", None, ["usr/share/lintian/overrides/talvik"]),
        ]
        for arch, depends, extra in cases:
            with self.subTest(arch=arch):
                fields = dict(re.findall(r"^ ([\w-]+): (.*)$", run(["dpkg-deb", "-I", deb(arch)]).stdout, re.M))
                self.assertEqual((fields["Package"], fields["Version"], fields["Architecture"]),
                                 ("talvik", version(), arch))
                self.assertEqual((fields["Section"], fields["Priority"]), ("games", "optional"))
                self.assertTrue(fields["Description"].startswith("chess engine"))
                if depends:
                    self.assertRegex(fields["Depends"], depends)
                else:
                    self.assertNotIn("Depends", fields)
                listed = run(["dpkg-deb", "-c", deb(arch)]).stdout.splitlines()
                found = {line.split()[-1][2:] for line in listed if not line.startswith("d")}
                self.assertEqual(found, set(files + extra))
                self.assertTrue(all(" root/root " in line for line in listed))
                tarball = os.path.join(PACKAGE_DIR, f"talvik-{version()}-{arch}.tar.gz")
                with tarfile.open(tarball) as tar:
                    found = {member.name for member in tar.getmembers() if member.isfile()}
                top = f"talvik-{version()}-{arch}/"
                self.assertEqual(found, {top + name for name in ["games/talvik", "share/man/man6/talvik.6", *SHARED]})

    def test_lintian_reports_no_errors(self):
        require_tools(self, [] if shutil.which("lintian") else ["lintian"], "the package check",
                      "TALVIK_REQUIRE_PACKAGE_TOOLS")
        done = run(["lintian", deb(host_arch()), deb("armel")])
        self.assertNotRegex(done.stdout, r"(?m)^E:", done.stdout)

    def test_arm_package_engine_under_emulation(self):
        require_tools(self, [] if shutil.which("qemu-arm") else ["qemu-arm"], "the ARM package check",
                      "TALVIK_REQUIRE_PACKAGE_TOOLS")
        root = os.path.join(self.scratch, "root")
        run(["dpkg-deb", "-x", deb("armel"), root])
        engine = QEMU + [os.path.join(root, "usr/games/talvik")]
        self.assertEqual(bench_nodes(engine, self.scratch), bench_nodes([BINARY], self.scratch))
        # Started elsewhere, it finds the personality files installed with it.
        workdir = make_workdir(ini="LogLevel=1\nUsePersonality=1\nPersonalityFile=personalities/default.ini\n")
        self.addCleanup(shutil.rmtree, workdir, ignore_errors=True)
        with TalvikSession(command=engine, workdir=workdir) as session:
            session.send("uci")
            session.wait_for(r"^uciok$")
            session.send("quit")
            self.assertEqual(session.wait_exit(), 0)
            self.assertIn(f"load personality {root}/usr/share/talvik/personalities/default.ini",
                          session.read_file("logfile.txt"))


def may_install():
    allowed = os.environ.get("CI") or os.environ.get("TALVIK_INSTALL_PACKAGE")
    installed = run(["dpkg-query", "-W", "talvik"]).returncode == 0
    return PACKAGE_DIR and allowed and os.geteuid() == 0 and not installed


@unittest.skipUnless(may_install(), "installs only as root on a throw-away machine (CI or TALVIK_INSTALL_PACKAGE=1)")
class InstalledPackage(unittest.TestCase):
    def test_install_play_and_remove(self):
        done = run(["dpkg", "-i", deb(host_arch())])
        self.addCleanup(run, ["dpkg", "--purge", "talvik"])
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        owned = run(["dpkg", "-L", "talvik"]).stdout.split()
        self.assertEqual(shutil.which("talvik", path=SEARCH_PATH), "/usr/games/talvik")
        if shutil.which("xvfb-run") and shutil.which("xboard") and shutil.which("polyglot"):
            for uci in (False, True):
                with self.subTest(uci=uci):
                    self.xboard_game(uci)
        done = run(["dpkg", "-r", "talvik"])
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        self.assertEqual([path for path in owned if os.path.isfile(path)], [])
        self.assertFalse(os.path.exists("/usr/share/talvik"))

    def xboard_game(self, uci):
        """One short game Talvik against Fairy-Max, xboard naming Talvik by
        its bare command."""
        scratch = tempfile.mkdtemp(prefix="talvik-xboard-")
        self.addCleanup(shutil.rmtree, scratch, ignore_errors=True)
        pgn, debug = os.path.join(scratch, "game.pgn"), os.path.join(scratch, "debug")
        command = ["xvfb-run", "-a", "xboard", "-fcp", "talvik", "-fd", scratch, "-scp", "fairymax",
                   "-matchGames", "1", "-tc", "0:05", "-inc", "0", "-saveGameFile", pgn, "-xexit",
                   "-saveSettingsOnExit", "false", "-debugMode", "true", "-nameOfDebugFile", debug]
        if uci:
            command.insert(command.index("-fd"), "-fUCI")
        env = dict(os.environ, HOME=scratch, PATH=SEARCH_PATH)
        done = run(command, cwd=scratch, env=env)
        self.assertEqual(done.returncode, 0, done.stdout[-2000:] + done.stderr[-2000:])
        with open(debug, encoding="utf-8", errors="replace") as f:
            self.assertIn("Talvik", f.read())
        with open(pgn, encoding="utf-8", errors="replace") as f:
            self.assertRegex(f.read(), r'\[Result "(1-0|0-1|1/2-1/2)"\]')


if __name__ == "__main__":
    unittest.main()
