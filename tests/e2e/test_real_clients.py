"""Talvik under real chess clients. xboard, headless under Xvfb, runs short
matches as match manager: Talvik in XBoard mode plays Fairy-Max; Talvik in
UCI mode (through polyglot, which xboard starts for -fUCI) plays Talvik in
XBoard mode with pondering on; and one Chess960 game between the two.
xboard also steps through a game in analysis mode, a user at xboard's board
(xboard_user.py, typing through xdotool) retracts a move in a game against
Talvik, and polyglot's epd-test
drives Talvik through a small suite of easy tactics as analysis GUIs do
("go movetime ... depth 63", "stop", at once "ucinewgame").

Every game must end by the rules (mate, stalemate, a draw rule, an
adjudication of dead material, or Fairy-Max resigning): not by an illegal
move, a time forfeit, a crash or a hang. The saved PGN must hold all games.

CI installs the tools (scripts/setup.sh test) and must run this test; a
developer without them sees it skipped."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

from protocol_session import fen_of, xboard_engine
from talvik_session import BINARY, SANITIZED, require_tools

GAMES_DIR = "/usr/games"
TOOLS = ("xvfb-run", "xboard", "polyglot", "fairymax")
# How a game may end: the text of xboard's result comment.
LAWFUL_ENDS = re.compile(r"mates|[Cc]heckmate|[Ss]talemate|repetition|fifty|50-move|[Ii]nsufficient")
# Only Fairy-Max resigns; Talvik plays on.
RESIGNS = re.compile(r"^(White|Black) resigns")
GAMES = 1 if SANITIZED else 2


def tool_path():
    return os.environ.get("PATH", "") + os.pathsep + GAMES_DIR


def missing_tools(tools=TOOLS):
    return [tool for tool in tools if not shutil.which(tool, path=tool_path())]


def pgn_games(text):
    """(result, result comment, players) of every game in a PGN file."""
    games = []
    for game in re.split(r"\n(?=\[Event )", text.strip()):
        if not game.startswith("[Event "):
            continue
        tag = lambda name: re.search(rf'^\[{name} "([^"]*)"\]', game, re.M).group(1)
        ending = re.search(r"\{([^{}]*)\}\s*(?:1-0|0-1|1/2-1/2|\*)\s*$", game)
        games.append((tag("Result"), ending.group(1) if ending else "", {"White": tag("White"), "Black": tag("Black")}))
    return games


class RealClients(unittest.TestCase):
    def setUp(self):
        require_tools(self, missing_tools(), "real-client test", "TALVIK_REQUIRE_REAL_CLIENTS")
        self.scratch = tempfile.mkdtemp(prefix="talvik-xboard-")
        self.addCleanup(shutil.rmtree, self.scratch, ignore_errors=True)
        for name in ("home", "tmp", "first", "second"):
            os.mkdir(os.path.join(self.scratch, name))
        for engine_dir in ("first", "second"):
            with open(os.path.join(self.scratch, engine_dir, "talvik.ini"), "w") as f:
                f.write("Hash=16\nLogLevel=127\n")

    def match(self, name, games, first_uci, second, *options):
        """Runs a match, first engine Talvik; returns the games of its PGN file
        and the debug file (the whole engine traffic)."""
        pgn = os.path.join(self.scratch, f"{name}.pgn")
        debug = os.path.join(self.scratch, f"{name}.debug")
        command = ["xvfb-run", "-a", "xboard",
                   "-fcp", BINARY, "-fd", os.path.join(self.scratch, "first"),
                   "-scp", second, "-sd", os.path.join(self.scratch, "second"),
                   "-matchGames", str(games), "-tc", "0:10", "-inc", "0", "-defaultHashSize", "16",
                   "-smpCores", "1", "-matchPause", "500", "-saveGameFile", pgn, "-xexit",
                   "-saveSettingsOnExit", "false", "-debugMode", "true", "-nameOfDebugFile", debug, *options]
        if first_uci:
            command.insert(command.index("-fd"), "-fUCI")
        environment = dict(os.environ, HOME=os.path.join(self.scratch, "home"),
                           TMPDIR=os.path.join(self.scratch, "tmp"), PATH=tool_path())
        done = subprocess.run(command, cwd=os.path.join(self.scratch, "home"), env=environment,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120 + 60 * games)
        output = done.stdout.decode("utf-8", "replace")
        self.assertEqual(done.returncode, 0, output[-2000:])
        with open(pgn, encoding="utf-8", errors="replace") as f:
            played = pgn_games(f.read())
        with open(debug, encoding="utf-8", errors="replace") as f:
            traffic = f.read()
        return played, traffic

    def check(self, name, games, played, traffic):
        self.assertEqual(len(played), games, f"{name}: games in the PGN")
        for result, ending, players in played:
            self.assertIn(result, ("1-0", "0-1", "1/2-1/2"), f"{name}: {ending}")
            resigned = RESIGNS.match(ending)
            if resigned:
                self.assertIn("Fairy-Max", players[resigned.group(1)], f"{name}: {ending}")
                continue
            self.assertRegex(ending, LAWFUL_ENDS, f"{name}: game ended by '{ending}'")
        # Neither side may have found the other's moves illegal.
        self.assertNotRegex(traffic, r"Illegal move", name)

    def test_matches(self):
        talvik = BINARY
        matches = [
            ("fairymax", GAMES, False, "fairymax", ["-xponder"]),
            ("uci-against-xboard", GAMES, True, talvik, []),
            ("chess960", 1, True, talvik, ["-variant", "fischerandom", "-xponder"]),
        ]
        for name, games, first_uci, second, options in matches:
            with self.subTest(match=name):
                played, traffic = self.match(name, games, first_uci, second, *options)
                self.check(name, games, played, traffic)
                if name == "chess960":
                    # Castling travels as O-O / O-O-O from xboard and polyglot,
                    # and as king-takes-rook from the XBoard engine.
                    self.assertIn("variant fischerandom", traffic)
                    self.assertRegex(traffic, r">second: setboard \S+ [wb] [A-Za-z-]+ ")


    def analysis(self, first_uci):
        """xboard analyses a short game move by move; returns its debug file."""
        game = os.path.join(self.scratch, "game.pgn")
        with open(game, "w") as f:
            f.write('[Event "analysis"]\n[White "a"]\n[Black "b"]\n[Result "*"]\n\n'
                    "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 *\n")
        debug = os.path.join(self.scratch, "analysis.debug")
        command = ["timeout", "-s", "INT", "12", "xvfb-run", "-a", "xboard",
                   "-fcp", BINARY, "-fd", os.path.join(self.scratch, "first"),
                   "-initialMode", "AnalyzeFile", "-loadGameFile", game, "-timeDelay", "0.5",
                   "-saveSettingsOnExit", "false", "-debugMode", "true", "-nameOfDebugFile", debug]
        if first_uci:
            command.insert(command.index("-fd"), "-fUCI")
        environment = dict(os.environ, HOME=os.path.join(self.scratch, "home"),
                           TMPDIR=os.path.join(self.scratch, "tmp"), PATH=tool_path())
        # xboard stays open after the last move: the timeout ends it.
        subprocess.run(command, cwd=os.path.join(self.scratch, "home"), env=environment,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
        with open(debug, encoding="utf-8", errors="replace") as f:
            return f.read()

    def test_analysis_mode(self):
        for first_uci in (False, True):
            with self.subTest(uci=first_uci):
                traffic = self.analysis(first_uci)
                self.assertIn(">first : analyze", traffic)
                self.assertNotRegex(traffic, r"Illegal move|exited unexpectedly")
                # The engine analyses each position it is given: thinking
                # output comes after the last moves of the game too.
                self.assertRegex(traffic, r">first : a7a6[\s\S]*<first : +\d+ [-+\d]+ \d+ \d+ ")

    def test_retract_move_in_a_game_against_a_user(self):
        require_tools(self, missing_tools(("xdotool",)), "real-client test", "TALVIK_REQUIRE_REAL_CLIENTS")
        user = os.path.join(os.path.dirname(os.path.abspath(__file__)), "xboard_user.py")
        done = subprocess.run(["xvfb-run", "-a", sys.executable, user, self.scratch, BINARY],
                              env=dict(os.environ, PATH=tool_path()), stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, timeout=180)
        with open(os.path.join(self.scratch, "xboard.debug"), encoding="utf-8", errors="replace") as f:
            traffic = f.read()
        self.assertEqual(done.returncode, 0, done.stdout.decode("utf-8", "replace")[-2000:] + traffic[-3000:])
        with open(os.path.join(self.scratch, "game.pgn"), encoding="utf-8", errors="replace") as f:
            pgn = f.read()
        self.check("retract", 1, pgn_games(pgn), traffic)
        # xboard's record: 1. e4, the engine's answer, 2. d3 (the takeback replaced 2. d4).
        self.assertRegex(pgn, r"\n1\. e4 \S+ (\{[^}]*\} )?2\. d3 ")
        # Right after "remove", which ended the search on the expected reply
        # without a move, the engine's board is the position after 1. e4 and
        # its answer, as xboard handed that game to Fairy-Max.
        self.assertEqual(re.findall(r">first : (remove|undo)$", traffic, re.M), ["remove"])
        takeback = re.search(r">first : remove\n((?:.*\n)*?)\d+ >first : d2d3\n", traffic).group(1)
        self.assertNotIn("<first : move ", takeback)
        after_remove = re.search(r"<first : (\S+ [wb] .*)", takeback).group(1)
        record = re.findall(r">second: ([a-h][1-8][a-h][1-8]\w?)$", traffic, re.M)
        with xboard_engine(1) as session:
            for line in ("new", "force", *record[:2]):
                session.send(line)
            self.assertEqual(after_remove, fen_of(session, False))

    def test_epd_test(self):
        suite = os.path.join(self.scratch, "suite.epd")
        with open(suite, "w") as f:
            f.write("\n".join([
                '7k/5Q2/6K1/8/8/8/8/8 w - - bm Qg7#; id "queen mate";',
                'k7/8/1K6/8/8/8/8/7R w - - bm Rh8#; id "rook mate";',
                '6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - bm Rd8#; id "back rank";',
                '4k3/8/8/3q4/8/8/3R4/4K3 w - - bm Rxd5; id "hanging queen";',
                'r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - bm Qxf7#; id "scholar";',
            ]) + "\n")
        log = os.path.join(self.scratch, "pg.log")
        with open(os.path.join(self.scratch, "pg.ini"), "w") as f:
            f.write(f"[PolyGlot]\nEngineCommand = {BINARY}\nEngineDir = {os.path.join(self.scratch, 'first')}\n"
                    f"Log = true\nLogFile = {log}\n[Engine]\nHash = 16\n")
        done = subprocess.run(["polyglot", os.path.join(self.scratch, "pg.ini"), "epd-test", "-epd", suite,
                               "-max-time", "1", "-min-time", "0.5"],
                              cwd=self.scratch, env=dict(os.environ, PATH=tool_path()), stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, timeout=120)
        output = done.stdout.decode("utf-8", "replace")
        self.assertEqual(done.returncode, 0, output)
        self.assertIn("score=5/5", output)
        with open(log, encoding="utf-8", errors="replace") as f:
            traffic = f.read()
        # One answer per "go", each before the next "go".
        exchange = re.findall(r"Adapter->Engine: go |Engine->Adapter: bestmove ", traffic)
        self.assertEqual(exchange, ["Adapter->Engine: go ", "Engine->Adapter: bestmove "] * 5, traffic[-3000:])


if __name__ == "__main__":
    unittest.main()
