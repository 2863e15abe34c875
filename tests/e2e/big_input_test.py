#!/usr/bin/env python3
"""A big document through the real command line, warnings off, each within
3 times its size in peak resident memory (wait4 of the command):
  converts   the benchmark's mix for its first --mixed-mb MB, then blocks that
             need no numbered CSS class: status 0, the .bak the original, a
             whole document with one style element, no temporary file left.
  refused    the benchmark's mix all the way, more than the 1,048,575
             numbered classes a document may have: refused with "Too many CSS
             classes had to be generated", untouched, no temporary file left.

usage: big_input_test.py QUORLIX [--size-mib N] [--mixed-mb M] [--workdir DIR]
"""

import argparse
import hashlib
import os
import random
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
import bench  # noqa: E402  the document generator of the benchmark

MIB = 1 << 20
MEMORY_LIMIT = 3.0
REFUSAL = b"Error: Too many CSS classes had to be generated."


# Markup that the converter rewrites without numbered classes (named anchors,
# comments and a table with a tfoot for the table section pass among it);
# each is filled from a run of words w and i, the block's number.
PLAIN = [
    lambda w, i: "<p>%s <tt>%s</tt> <big>%s</big> <strike>%s</strike> caf&#233; "
                 "&amp; <acronym title=\"%s\">ABC</acronym></p>\n"
                 % (w, bench.WORDS[i % 50], bench.WORDS[(i + 1) % 50], bench.WORDS[(i + 2) % 50], w[:20]),
    lambda w, i: "<center>%s</center>\n<!-- %s -->\n" % (w, w[:30]),
    lambda w, i: "<p><a name=\"big%s\">%s</a> <nobr>%s</nobr> <b>%s</b></p>\n"
                 % (bench.MARK, w[:25], w[25:50], w[50:]),
    lambda w, i: "<ul>\n<li>%s</li>\n<li>%s</li>\n</ul>\n<pre>  %s\n</pre>\n" % (w, w[::-1], w[:40]),
    lambda w, i: "<table>\n<tfoot><tr><td>%s</td></tr></tfoot>\n"
                 "<tbody><tr><td>%s</td><td>%s</td></tr></tbody>\n</table>\n" % (w[:20], w[20:40], w[40:]),
    lambda w, i: "<p>%s &lt;tag&gt; &#x20AC; “%s”</p>\n" % (w, w[:15]),
]


def plain_blocks(rng, count):
    words = (" ".join(rng.choice(bench.WORDS) for _ in range(rng.randint(8, 30))) for _ in range(count))
    return [PLAIN[i % len(PLAIN)](w, i).encode("utf-8") for i, w in enumerate(words)]


def write_document(path, size, mixed_bytes):
    """The benchmark's mix up to mixed_bytes, then plain blocks to size."""
    pool = bench.build_pool()
    plain = plain_blocks(random.Random(bench.SEED + 7), 600)
    pick = random.Random(bench.SEED + 1)
    head, tail = bench.prologue(), bench.epilogue()
    mark = bench.MARK.encode()
    total, n = len(head), 0
    with open(path, "wb") as f:
        f.write(head)
        chunk = []
        while total < size - len(tail):
            source = pool if total < mixed_bytes else plain
            block = source[pick.randrange(len(source))]
            if mark in block:
                n += 1
                block = block.replace(mark, str(n).encode())
            chunk.append(block)
            total += len(block)
            if len(chunk) >= 4096:
                f.write(b"".join(chunk))
                chunk = []
        f.write(b"".join(chunk))
        f.write(tail)
    return total + len(tail)


def digest(path):
    with open(path, "rb") as f:
        return hashlib.file_digest(f, "sha256").hexdigest()


def run_case(name, quorlix, directory, size, mixed_bytes, expect_converted):
    os.makedirs(directory)
    page = os.path.join(directory, "page.html")
    t0 = time.perf_counter()
    written = write_document(page, size, mixed_bytes)
    generated = time.perf_counter() - t0
    original = digest(page)
    m = bench.measure([quorlix, "-q", "--no-warn", "all", page], directory)
    failures = []
    log = m.stdout.encode("utf-8", "replace")
    if expect_converted:
        if m.code != 0:
            failures.append("the conversion %s:\n%s" % (bench.describe_exit(m.code), m.stdout[-2000:]))
        if digest(page + ".bak") != original:
            failures.append("the backup is not the original")
        with open(page, "rb") as f:
            start = f.read(4096)
            f.seek(-64, os.SEEK_END)
            end = f.read()
        if not start.startswith(b"<!DOCTYPE html>\r\n") or start.count(b"<style>") != 1 or \
                not end.endswith(b"</html>\r\n"):
            failures.append("the converted page does not look whole")
        outcome = "converted, %.2f MB written" % (os.path.getsize(page) / 1e6)
    else:
        if m.code != 1 or REFUSAL not in log:
            failures.append("expected the refusal %r, got status %d and:\n%s"
                            % (REFUSAL.decode(), m.code, m.stdout[-2000:]))
        if digest(page) != original or os.path.exists(page + ".bak"):
            failures.append("the refused page was touched")
        outcome = "refused: %s" % REFUSAL.decode()
    left = sorted(n for n in os.listdir(directory) if n.startswith("qlx"))
    if left:
        failures.append("temporary files left: %s" % left)
    ratio = m.maxrss / written
    if ratio > MEMORY_LIMIT:
        failures.append("peak memory %.2f times the document (at most %.1f)" % (ratio, MEMORY_LIMIT))
    speed = " (%.1f MB/s)" % (written / 1e6 / m.wall) if expect_converted else ""
    print("%-9s %.1f MiB (%d bytes, generated in %.1f s): %s in %.2f s%s; "
          "peak memory %.1f MiB = %.2f x the document"
          % (name, written / MIB, written, generated, outcome, m.wall, speed,
             m.maxrss / MIB, ratio))
    for f in failures:
        print("FAIL %s: %s" % (name, f))
    shutil.rmtree(directory, ignore_errors=True)
    return not failures


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("quorlix")
    ap.add_argument("--size-mib", type=float, default=1024)
    ap.add_argument("--mixed-mb", type=float, default=60,
                    help="MB of the benchmark's mix at the start of the document that converts")
    ap.add_argument("--workdir", help="where the documents go (default: a temporary directory)")
    args = ap.parse_args()
    quorlix = os.path.abspath(args.quorlix)
    size = int(args.size_mib * MIB)
    scratch = tempfile.mkdtemp(prefix="quorlix-big-", dir=args.workdir)
    try:
        ok = run_case("converts", quorlix, os.path.join(scratch, "converts"), size,
                      int(args.mixed_mb * 1e6), True)
        ok = run_case("refused", quorlix, os.path.join(scratch, "refused"), size, size, False) and ok
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print("big input: %s" % ("both documents as expected" if ok else "FAILED"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
