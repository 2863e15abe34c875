#!/usr/bin/env python3
"""Checks that two builds of the converter give the same results.

For speed work: the converter must not change a byte of its output. This
converts every input with a reference build (OLD) and with the build under
test (NEW), each in a scratch directory of its own under the same file name,
and compares the converted file, the standard output, the standard error and
the exit status. Besides the inputs as they are, it can convert random
mutations of them (bytes flipped, removed or duplicated, markup snippets
inserted, the text cut short), which reach the corners that the inputs miss.

usage: same_output.py OLD NEW [--mutations N] [--seed S] [--options "..."]
                      INPUT_OR_DIR...

A directory stands for every *.html file below it. Exits 1 on the first
difference, after printing it and keeping the input that shows it.
Standard library only. Linux.
"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile

SNIPPETS = [
    b"<table>", b"</table>", b"<tfoot>", b"</tfoot>", b"<tbody>", b"<tr><td>x</td></tr>",
    b"<table border=\"1\" cellpadding=\"2\">", b"  <tfoot>\n", b"</tfoot>  \n",
    b"<!--", b"-->", b"<!--#include virtual=\"a\" -->", b"<?php echo 1; ?>", b"<?", b"?>",
    b"<script>", b"</script>", b"<script type=\"text/javascript\">", b"<![CDATA[", b"]]>",
    b"<font color=\"red\" size=\"2\">", b"</font>", b"<center>", b"<a name=\"n\">",
    b"<p align=\"center\">", b"<td align=\"left\" bgcolor=\"#fff\" nowrap=\"nowrap\">",
    b"<img src=\"i.png\" border=\"0\" alt=\"\" />", b"<br clear=\"all\" />",
    b"\r\n", b"\n", b"\t", b" ", b"\"", b"'", b">", b"<", b"/", b"=", b"\x00", b"\x1a",
    b"\xc3\xa9", b"<TABLE>", b"<TFOOT>", b"</ table>", b"</table >",
]


def mutate(data, rng):
    data = bytearray(data)
    for _ in range(rng.randint(1, 4)):
        kind = rng.random()
        at = rng.randint(0, len(data))
        if kind < 0.45:
            data[at:at] = rng.choice(SNIPPETS)
        elif kind < 0.6 and data:
            del data[at:at + rng.randint(1, 16)]
        elif kind < 0.75 and data:
            end = min(len(data), at + rng.randint(1, 64))
            data[at:at] = data[at:end]
        elif kind < 0.9 and at < len(data):
            data[at] = rng.randrange(256)
        else:
            del data[at:]
    return bytes(data)


def inputs(paths):
    for path in paths:
        if os.path.isdir(path):
            for directory, _, files in sorted(os.walk(path)):
                for name in sorted(files):
                    if name.endswith(".html"):
                        yield os.path.join(directory, name)
        else:
            yield path


def convert(program, options, data, workdir):
    if os.path.isdir(workdir):
        shutil.rmtree(workdir)
    os.makedirs(workdir)
    with open(os.path.join(workdir, "page.html"), "wb") as f:
        f.write(data)
    run = subprocess.run([program, "--no-backup", *options, "page.html"], cwd=workdir,
                         capture_output=True, timeout=600)
    with open(os.path.join(workdir, "page.html"), "rb") as f:
        result = f.read()
    return result, run.stdout, run.stderr, run.returncode


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("old")
    ap.add_argument("new")
    ap.add_argument("paths", nargs="+")
    ap.add_argument("--mutations", type=int, default=0)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--options", default="")
    args = ap.parse_args()
    old, new = os.path.abspath(args.old), os.path.abspath(args.new)
    options = args.options.split()
    rng = random.Random(args.seed)
    scratch = tempfile.mkdtemp(prefix="same-output-")
    compared = 0
    try:
        for path in inputs(args.paths):
            with open(path, "rb") as f:
                original = f.read()
            variants = [original] + [mutate(original, rng) for _ in range(args.mutations)]
            for n, data in enumerate(variants):
                a = convert(old, options, data, os.path.join(scratch, "old"))
                b = convert(new, options, data, os.path.join(scratch, "new"))
                compared += 1
                if a != b:
                    kept = os.path.join(tempfile.gettempdir(), "same-output-difference.html")
                    with open(kept, "wb") as f:
                        f.write(data)
                    parts = [name for name, x, y in zip(("converted file", "standard output",
                                                         "standard error", "exit status"), a, b)
                             if x != y]
                    print("DIFFERENT: %s (variant %d): %s; input kept as %s"
                          % (path, n, ", ".join(parts), kept))
                    return 1
    finally:
        shutil.rmtree(scratch)
    print("same output: %d inputs converted by both builds" % compared)
    return 0


if __name__ == "__main__":
    sys.exit(main())
