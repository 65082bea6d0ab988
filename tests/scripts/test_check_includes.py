"""The include-direction check on small source trees: it accepts includes that
point down the layers of the README's Layout table and names the file and
line of every one that points up or out of the table."""
import contextlib
import io
import pathlib
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "scripts"))
import check_includes  # noqa: E402

README = """# Project

## Layout

| folder | what |
|---|---|
| `src/base` | ground floor |
| `src/board` | board |
| `src/search` | search |
| `tests` | tests |

## Other

| `src/tools` | not part of the layout |
"""


def run_check(files):
    """Builds a tree with the README above and `files`; returns (status, output)."""
    with tempfile.TemporaryDirectory() as root:
        root = pathlib.Path(root)
        (root / "README.md").write_text(README)
        for name, text in files.items():
            path = root / "src" / name
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text)
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            status = check_includes.main(["check_includes.py", str(root)])
        return status, out.getvalue()


class IncludeDirection(unittest.TestCase):
    def test_cases(self):
        downward = {
            "base/log.h": '#pragma once\n#include <cstdio>\n',
            "board/board.h": '#pragma once\n#include "base/log.h"\n#include "board/move.h"\n',
            "search/engine.cpp": '#include "search/engine.h"\n#include "board/board.h"\n#include "base/log.h"\n',
        }
        cases = [
            ("downward and same-folder includes", downward, 0, []),
            ("ground floor reaches up",
             {**downward, "base/log.cpp": '#include "base/log.h"\n\n#include "search/engine.h"\n'}, 1,
             ['src/base/log.cpp:3: src/base includes "search/engine.h" from src/search']),
            ("board reaches up, with spaces after the hash",
             {**downward, "board/fen.cpp": '// fen\n#  include "search/engine.h"\n'}, 1,
             ["src/board/fen.cpp:2:"]),
            ("folder missing from the table",
             {**downward, "tools/perft.cpp": '#include "board/board.h"\n'}, 1,
             ["src/tools/perft.cpp: folder src/tools is not in the README's Layout table"]),
            ("include of a folder missing from the table",
             {**downward, "search/x.cpp": '#include "tools/perft.h"\n'}, 1,
             ['src/search/x.cpp:1: includes "tools/perft.h" from src/tools']),
            ("commented-out and system includes are not includes of src/",
             {**downward, "base/a.cpp": '// #include "search/engine.h"\n#include <search/engine.h>\n'}, 0, []),
        ]
        for name, files, status, expected in cases:
            with self.subTest(name):
                got_status, output = run_check(files)
                self.assertEqual(got_status, status, output)
                for text in expected:
                    self.assertIn(text, output)


if __name__ == "__main__":
    unittest.main()
