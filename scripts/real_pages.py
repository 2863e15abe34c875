#!/usr/bin/env python3
"""Converts real XHTML 1.0 pages from Debian documentation packages and
reports how faithful the conversion is (not a test: it downloads).

  python3 scripts/real_pages.py --quorlix build/linux/quorlix [--render 40]

For each package (apt-get download, then dpkg-deb -x into a scratch folder):
every .html page whose start declares XHTML 1.0 is converted in place in a
copy of the package's tree, then the figures:

  pages, converted, refused (with the reasons, as the log gives them);
  text identical: the text of the page (what a reader sees: text nodes
    outside script and style, references decoded, runs of white space as
    one blank) is the same before and after;
  checker errors (the Nu Html Checker that tests/validator pins): errors
    of the original and of the converted page, and the obsolete-feature
    messages left;
  rendering identical: a sample of pages rendered by headless Chromium, the
    original with its DOCTYPE swapped to <!DOCTYPE html> (standards mode)
    against the conversion, 0 differing pixels (ImageMagick).

The packages are chosen outside the thirteen held out for measurements by
others; they ship XHTML 1.0 Transitional reference pages.
"""

import argparse
import collections
import html.parser
import json
import os
import pathlib
import random
import re
import shutil
import subprocess
import sys
import tempfile
import urllib.parse

ROOT = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "rendering"))
import render_check  # noqa: E402  (the renderer of the rendering check)

PACKAGES = ["libsigc++-2.0-doc", "libcppunit-doc", "libglibmm-2.4-doc", "libxerces-c-doc"]
VNU = ROOT / "tests" / "validator" / "node_modules" / "vnu-jar" / "build" / "dist" / "vnu.jar"
XHTML = re.compile(rb"<!DOCTYPE[^>]*XHTML 1\.0", re.IGNORECASE)
REASON = re.compile(r"^(?:Error|Internal error): (.*?)\.?$")


class TextOf(html.parser.HTMLParser):
    """The text a reader sees."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.parts = []
        self.hidden = 0

    def handle_starttag(self, tag, attrs):
        if tag in ("script", "style", "title"):
            self.hidden += 1

    def handle_endtag(self, tag):
        if tag in ("script", "style", "title") and self.hidden:
            self.hidden -= 1

    def handle_data(self, data):
        if not self.hidden:
            self.parts.append(data)

    def text(self):
        return " ".join("".join(self.parts).split())


def text_of(path):
    parser = TextOf()
    parser.feed(path.read_bytes().decode("utf-8", "replace"))
    parser.close()
    return parser.text()


def checker_messages(pages, scratch):
    """{page: (errors, obsolete messages)} from one run of the checker."""
    if not pages:
        return {}
    listing = scratch / "vnu-list.txt"
    result = subprocess.run(["java", "-jar", str(VNU), "--format", "json", "--exit-zero-always",
                             "--also-check-css"] + [str(p) for p in pages],
                            capture_output=True)
    report = json.loads(result.stderr.decode("utf-8", "replace") or "{}")
    # The checker names pages "file:/path".
    counts = {str(p.resolve()): [0, 0] for p in pages}
    for message in report.get("messages", []):
        url = urllib.parse.unquote(re.sub(r"^file:(//)?", "", message.get("url", "")))
        entry = counts.setdefault(url, [0, 0])
        if message.get("type") == "error":
            entry[0] += 1
        if "obsolete" in message.get("message", "").lower():
            entry[1] += 1
    listing.unlink(missing_ok=True)
    return {p: tuple(counts[str(p.resolve())]) for p in pages}


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--quorlix", required=True)
    ap.add_argument("--packages", nargs="*", default=PACKAGES)
    ap.add_argument("--render", type=int, default=40, help="pages to render (a sample)")
    ap.add_argument("--workdir", help="keep everything in this folder")
    args = ap.parse_args()
    quorlix = os.path.abspath(args.quorlix)
    scratch = pathlib.Path(args.workdir or tempfile.mkdtemp(prefix="quorlix-real-"))
    scratch.mkdir(parents=True, exist_ok=True)

    originals, converted_tree = scratch / "originals", scratch / "converted"
    for package in args.packages:
        subprocess.run(["apt-get", "download", package], cwd=scratch, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for deb in sorted(scratch.glob("*.deb")):
        subprocess.run(["dpkg-deb", "-x", str(deb), str(originals)], check=True)
    shutil.rmtree(converted_tree, ignore_errors=True)
    shutil.copytree(originals, converted_tree, symlinks=True)

    pages = sorted(p.relative_to(originals) for p in originals.rglob("*.html")
                   if p.is_file() and not p.is_symlink() and XHTML.search(p.read_bytes()[:2048]))
    listing = b"".join(bytes(converted_tree / p) + b"\0" for p in pages)
    run = subprocess.run([quorlix, "--files-from", "-", "-0"], input=listing, capture_output=True)
    log = run.stdout.decode("utf-8", "replace")

    reasons = collections.Counter()
    for line in log.splitlines():
        match = REASON.match(line)
        if match:
            reasons[match.group(1)] += 1
    converted = [p for p in pages if (converted_tree / (str(p) + ".bak")).exists()]
    refused = len(pages) - len(converted)

    same_text = sum(1 for p in converted if text_of(originals / p) == text_of(converted_tree / p))
    before = checker_messages([originals / p for p in converted], scratch)
    after = checker_messages([converted_tree / p for p in converted], scratch)
    errors_before = sum(before[originals / p][0] for p in converted)
    errors_after = sum(after[converted_tree / p][0] for p in converted)
    obsolete_before = sum(before[originals / p][1] for p in converted)
    obsolete_after = sum(after[converted_tree / p][1] for p in converted)
    pages_with_new_errors = sum(1 for p in converted
                                if after[converted_tree / p][0] > before[originals / p][0])

    renderer = render_check.Renderer(shutil.which("chromium") or "chromium",
                                     shutil.which("compare") or "compare", scratch)
    sample = random.Random(20261207).sample(converted, min(args.render, len(converted)))
    identical, rendered, differing = 0, 0, []
    for page in sample:
        standards = originals / page
        standards = standards.with_name(standards.stem + ".standards.html")
        standards.write_bytes(render_check.standards_mode((originals / page).read_bytes()))
        first, second = scratch / "a.png", scratch / "b.png"
        if renderer.screenshot(standards, first) or renderer.screenshot(converted_tree / page, second):
            continue
        rendered += 1
        difference = renderer.differing_pixels(first, second)
        if difference == 0:
            identical += 1
        else:
            differing.append("%s: %s" % (page, difference))
        standards.unlink()

    print("packages: %s" % ", ".join(args.packages))
    print("XHTML 1.0 pages: %d; converted: %d; refused: %d" % (len(pages), len(converted), refused))
    for reason, count in reasons.most_common():
        print("  refused: %d x %s" % (count, reason))
    print("text identical: %d of %d converted pages" % (same_text, len(converted)))
    print("checker errors: %d in the originals, %d after the conversion; messages on obsolete "
          "features: %d before, %d after; pages with more errors than before: %d"
          % (errors_before, errors_after, obsolete_before, obsolete_after, pages_with_new_errors))
    print("rendering identical: %d of %d rendered (a sample of %d)" % (identical, rendered, len(sample)))
    for line in differing:
        print("  differs: " + line)
    if not args.workdir:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
