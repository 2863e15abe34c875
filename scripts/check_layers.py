#!/usr/bin/env python3
"""Checks the layering of src/ and prints the size of the tests beside it.

Each folder of src/ says in its README.md which folders it may include
("May include: a, b"). An #include "x/..." of any other folder is an error,
and so is a cycle among the declared dependencies. Then the non-blank lines
of C++ test code (tests/) are set against those of the C++ source (src/,
scanner rules left out): more than --max-test-ratio (default 0.5) is an
error too. The ratio with the scanner rules and the Python and shell
harnesses of tests/ counted as well is printed beside it.

Exit status 0 when all holds, 1 otherwise; the errors go to standard error.
"""

import argparse
import pathlib
import re
import sys

CPP_SUFFIXES = {".cpp", ".h"}
CODE_SUFFIXES = {".cpp", ".h", ".l"}
TEST_SUFFIXES = {".cpp", ".h", ".l", ".py", ".sh"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]+"', re.MULTILINE)
MAY_INCLUDE = re.compile(r"^May include:\s*(.*)$", re.MULTILINE)


def declared_layers(src):
    """folder -> set of folders it may include, from each folder's README.md."""
    layers, errors = {}, []
    for folder in sorted(p for p in src.iterdir() if p.is_dir()):
        readme = folder / "README.md"
        match = MAY_INCLUDE.search(readme.read_text()) if readme.is_file() else None
        if not match:
            errors.append(f"{readme}: no 'May include:' line")
            layers[folder.name] = set()
            continue
        words = re.findall(r"[A-Za-z_]+", match.group(1).split("(")[0])
        layers[folder.name] = {w for w in words if w != "nothing"}
    for name, allowed in layers.items():
        for other in sorted(allowed - layers.keys()):
            errors.append(f"src/{name}/README.md: '{other}' is not a folder of src/")
    return layers, errors


def find_cycle(graph):
    """A list of folders forming a cycle, or None."""
    state = {}

    def visit(node, path):
        state[node] = "open"
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == "open":
                return path[path.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt, path + [nxt])
                if found:
                    return found
        state[node] = "done"
        return None

    for node in sorted(graph):
        if node not in state:
            found = visit(node, [node])
            if found:
                return found
    return None


def include_errors(src, layers):
    errors, used = [], {name: set() for name in layers}
    for path in sorted(src.rglob("*")):
        if path.suffix not in CODE_SUFFIXES or not path.is_file():
            continue
        folder = path.relative_to(src).parts[0]
        text = path.read_text(errors="replace")
        for match in INCLUDE.finditer(text):
            target = match.group(1)
            if target == folder or target not in layers:
                continue
            used.setdefault(folder, set()).add(target)
            if target not in layers.get(folder, set()):
                line = text.count("\n", 0, match.start()) + 1
                errors.append(f"{path}:{line}: {folder}/ includes {target}/, "
                              f"which src/{folder}/README.md does not allow")
    return errors, used


def non_blank_lines(root, suffixes):
    total = 0
    for path in root.rglob("*"):
        if path.suffix in suffixes and path.is_file() and "node_modules" not in path.parts:
            total += sum(1 for line in path.read_text(errors="replace").splitlines() if line.strip())
    return total


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=pathlib.Path(__file__).resolve().parent.parent,
                        type=pathlib.Path)
    parser.add_argument("--max-test-ratio", type=float, default=0.5)
    args = parser.parse_args()
    src = args.root / "src"

    layers, errors = declared_layers(src)
    cycle = find_cycle(layers)
    if cycle:
        errors.append("declared layers form a cycle: " + " -> ".join(cycle))
    found, used = include_errors(src, layers)
    errors += found
    cycle = find_cycle(used)
    if cycle:
        errors.append("includes form a cycle: " + " -> ".join(cycle))

    source = non_blank_lines(src, CPP_SUFFIXES)
    tests = non_blank_lines(args.root / "tests", CPP_SUFFIXES)
    ratio = tests / source if source else 0.0
    all_source = non_blank_lines(src, CODE_SUFFIXES)
    all_tests = non_blank_lines(args.root / "tests", TEST_SUFFIXES)
    print(f"layers: {len(layers)} folders, no include above its layer" if not found
          else f"layers: {len(found)} include(s) above their layer")
    print(f"test code: {tests} lines of C++ against {source} of source ({ratio:.0%}); "
          f"with the scanner rules and the Python and shell tests, {all_tests} against "
          f"{all_source} ({all_tests / all_source:.0%})")
    if ratio > args.max_test_ratio:
        errors.append(f"test code is {ratio:.0%} of the source, more than "
                      f"{args.max_test_ratio:.0%}")
    for error in errors:
        print(error, file=sys.stderr)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
