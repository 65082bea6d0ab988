#!/usr/bin/env python3
"""Checks that every #include "folder/file" under src/ points down the layers.

The order of the folders is the order of the src/ rows in the Layout table of
README.md, ground floor first: a file may include files of its own folder and
of the folders listed before it, never of one listed after it. Each offending
line is printed as file:line; the exit status is 1 when there is any.

Usage: scripts/check_includes.py [ROOT]   (ROOT defaults to the repository)
"""
import pathlib
import re
import sys

ROW = re.compile(r"^\|\s*`src/([^`/]+)/?`\s*\|")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def layer_order(readme):
    """The src/ folders of the Layout table, ground floor first."""
    order, in_layout = [], False
    for line in readme.read_text(encoding="utf-8").splitlines():
        if line.startswith("#"):
            in_layout = line.strip() == "## Layout"
            continue
        match = ROW.match(line) if in_layout else None
        if match:
            order.append(match.group(1))
    return order


def problems(root):
    order = layer_order(root / "README.md")
    if not order:
        return ["README.md: no src/ folders in the Layout table"]
    rank = {folder: i for i, folder in enumerate(order)}
    found = []
    src = root / "src"
    for path in sorted(p for p in src.rglob("*") if p.suffix in (".h", ".cpp")):
        relative = path.relative_to(root)
        folder = path.relative_to(src).parts[0]
        if folder not in rank:
            found.append(f"{relative}: folder src/{folder} is not in the README's Layout table")
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = match.group(1).split("/")[0]
            if target == folder or "/" not in match.group(1):
                continue
            if target not in rank:
                found.append(f"{relative}:{number}: includes \"{match.group(1)}\" from src/{target}, "
                             "which is not in the README's Layout table")
            elif rank[target] > rank[folder]:
                found.append(f"{relative}:{number}: src/{folder} includes \"{match.group(1)}\" "
                             f"from src/{target}, a layer above it")
    return found


def main(argv):
    root = pathlib.Path(argv[1]) if len(argv) > 1 else pathlib.Path(__file__).resolve().parent.parent
    found = problems(root)
    for problem in found:
        print(problem)
    if found:
        print(f"{len(found)} include(s) against the layer order (see README.md, Layout)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
