#!/usr/bin/env python3
"""Checks that converted pages look exactly like their originals.

Each case is rendered twice by headless Chromium, once as the page was and
once as the converter wrote it, and the two screenshots are compared by
ImageMagick's `compare -metric AE`: not one pixel may differ.

The cases:
  - every golden of tests/golden/pages/;
  - every golden whose input holds a frameset and that has an expected page
    (the frames' pages are made beside it: each src gets a small page of its
    own colour, so that a frame drawn at another place or size shows);
  - every other golden whose case.txt has a "rendering:" key;
  - examples/site/frames.html with the site's style sheet and frame pages,
    converted by the converter under test (its key: site-frames/case.txt).

The original is rendered as HTML with its DOCTYPE replaced by
<!DOCTYPE html> (a page without one gets it), and so is the conversion, so
that both are in standards mode. The "rendering:" key of case.txt says:
  check              compare as above (the default of pages and framesets);
  xhtml              render the original as XHTML (application/xhtml+xml),
                     the appearance that its markup means, which HTML5 reads
                     differently (empty-element tags, CDATA sections, ...);
  differs: REASON    the conversion is meant to look different; the case is
                     not compared and the reason is printed.

usage: render_check.py --chromium BIN --compare BIN --quorlix BIN
                       --golden DIR --site DIR [--jobs N]
Exits 1 when a case differs or cannot be rendered. Standard library only.
"""

import argparse
import concurrent.futures
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

DOCTYPE = re.compile(rb"<!DOCTYPE[^>]*>", re.IGNORECASE)
FRAME_SRC = re.compile(rb"<(?:i?frame)\b[^>]*?\ssrc\s*=\s*[\"']([^\"']+)[\"']", re.IGNORECASE)
FRAME_COLOURS = ["#c8e6c9", "#bbdefb", "#ffe0b2", "#f8bbd0", "#d1c4e9", "#fff9c4", "#b2dfdb", "#ffccbc"]


def standards_mode(page: bytes) -> bytes:
    """The page with <!DOCTYPE html> in place of its DOCTYPE, or in front of
    it when it has none (after an XML declaration, which HTML reads as a
    comment either way)."""
    if DOCTYPE.search(page):
        return DOCTYPE.sub(b"<!DOCTYPE html>", page, count=1)
    return b"<!DOCTYPE html>\n" + page


def read_case_keys(folder: pathlib.Path) -> dict:
    keys = {}
    case = folder / "case.txt"
    if case.exists():
        for line in case.read_text(encoding="utf-8").splitlines():
            name, colon, value = line.partition(":")
            if colon:
                keys[name.strip()] = value.strip()
    return keys


def make_frame_pages(page: bytes, folder: pathlib.Path) -> None:
    """A page for each frame source that is not there yet."""
    for number, match in enumerate(FRAME_SRC.finditer(page)):
        name = match.group(1).decode("utf-8", "replace")
        if "://" in name or name.startswith("/"):
            continue
        target = folder / name
        if target.exists():
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        colour = FRAME_COLOURS[number % len(FRAME_COLOURS)]
        target.write_text(
            "<!DOCTYPE html>\n<html><head><title>%s</title></head>"
            '<body style="margin:0;background:%s;font:16px/1.2 monospace">'
            "<p>%s</p></body></html>\n" % (name, colour, name),
            encoding="utf-8")


class Renderer:
    def __init__(self, chromium: str, compare: str, scratch: pathlib.Path):
        self.chromium = chromium
        self.compare = compare
        self.scratch = scratch

    def screenshot(self, page: pathlib.Path, picture: pathlib.Path) -> str:
        """Renders the page into picture; an error text, or "" on success."""
        profile = tempfile.mkdtemp(prefix="profile-", dir=self.scratch)
        command = [
            self.chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
            "--no-first-run", "--disable-background-networking", "--disable-component-update",
            "--disable-sync", "--user-data-dir=" + profile, "--window-size=1024,1600",
            "--hide-scrollbars", "--screenshot=" + str(picture), page.resolve().as_uri(),
        ]
        try:
            result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                    timeout=60)
        except subprocess.TimeoutExpired:
            return "chromium timed out on %s" % page
        finally:
            shutil.rmtree(profile, ignore_errors=True)
        if result.returncode != 0 or not picture.exists():
            return "chromium failed on %s:\n%s" % (page, result.stdout.decode("utf-8", "replace"))
        return ""

    def differing_pixels(self, first: pathlib.Path, second: pathlib.Path):
        """The number of differing pixels, or an error text."""
        result = subprocess.run([self.compare, "-metric", "AE", str(first), str(second), "null:"],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        text = result.stderr.decode("utf-8", "replace").strip()
        if result.returncode not in (0, 1):
            return "compare failed: " + text
        try:
            return int(float(text.split()[0]))
        except (ValueError, IndexError):
            return "compare said: " + text


def check_case(renderer: Renderer, name: str, folder: pathlib.Path, original: bytes,
               converted: bytes, as_xhtml: bool) -> str:
    """Renders both sides in folder; "" when they are the same, else why not."""
    original_page = folder / ("original.xhtml" if as_xhtml else "original.html")
    original_page.write_bytes(original if as_xhtml else standards_mode(original))
    converted_page = folder / "converted.html"
    converted_page.write_bytes(standards_mode(converted))
    make_frame_pages(original, folder)
    pictures = []
    for page in (original_page, converted_page):
        picture = folder / (page.stem + ".png")
        error = renderer.screenshot(page, picture)
        if error:
            return "%s: %s" % (name, error)
        pictures.append(picture)
    pixels = renderer.differing_pixels(*pictures)
    if isinstance(pixels, str):
        return "%s: %s" % (name, pixels)
    if pixels != 0:
        kept = pathlib.Path(tempfile.gettempdir()) / ("quorlix-rendering-" + name.replace("/", "-"))
        shutil.rmtree(kept, ignore_errors=True)
        shutil.copytree(folder, kept)
        return "%s: %d pixels differ (pages and screenshots kept in %s)" % (name, pixels, kept)
    return ""


def golden_cases(golden: pathlib.Path):
    """(name, folder, mode) of the goldens to render; mode is "check",
    "xhtml" or a reason why the case looks different."""
    for folder in sorted(golden.glob("*/*/")):
        expected = folder / "expected.html"
        if not expected.exists():
            continue
        keys = read_case_keys(folder)
        mode = keys.get("rendering")
        is_page = folder.parent.name == "pages"
        is_frameset = b"<frameset" in (folder / "input.html").read_bytes()
        if mode is None and not (is_page or is_frameset):
            continue
        yield "%s/%s" % (folder.parent.name, folder.name), folder, mode or "check"


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--chromium", required=True)
    parser.add_argument("--compare", required=True)
    parser.add_argument("--quorlix", required=True)
    parser.add_argument("--golden", required=True, type=pathlib.Path)
    parser.add_argument("--site", required=True, type=pathlib.Path)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--only", default="", help="only the cases whose name holds this text")
    arguments = parser.parse_args()
    for tool, package in ((arguments.chromium, "chromium"), (arguments.compare, "imagemagick"),
                          (arguments.quorlix, "the build")):
        if not (os.path.isfile(tool) and os.access(tool, os.X_OK)):
            print("%s is not there: install %s (bash scripts/setup.sh)" % (tool, package))
            return 1

    scratch_root = pathlib.Path(tempfile.mkdtemp(prefix="quorlix-rendering-"))
    scratch = scratch_root / "cases"
    scratch.mkdir()
    renderer = Renderer(arguments.chromium, arguments.compare, scratch)
    renderer.jobs = max(1, arguments.jobs)
    jobs = []
    skipped = []

    for name, folder, mode in golden_cases(arguments.golden):
        if arguments.only not in name:
            continue
        if mode.startswith("differs:"):
            skipped.append("%s: %s" % (name, mode[len("differs:"):].strip()))
            continue
        if mode not in ("check", "xhtml"):
            print("%s: unknown rendering key %r" % (name, mode))
            return 1
        work = scratch / name.replace("/", "-")
        work.mkdir()
        jobs.append((name, work, (folder / "input.html").read_bytes(),
                     (folder / "expected.html").read_bytes(), mode == "xhtml"))

    # The example site's frameset page, with its style sheet and frames; its
    # rendering key is in site-frames/case.txt beside this script.
    site_mode = read_case_keys(pathlib.Path(__file__).resolve().parent / "site-frames").get(
        "rendering", "check")
    if arguments.only not in "examples/site/frames.html":
        return report(jobs, skipped, scratch_root, renderer)
    if site_mode.startswith("differs:"):
        skipped.append("examples/site/frames.html: " + site_mode[len("differs:"):].strip())
        return report(jobs, skipped, scratch_root, renderer)
    site_copy = scratch / "site"
    shutil.copytree(arguments.site, site_copy)
    frames_page = (site_copy / "frames.html").read_bytes()
    conversion = subprocess.run([arguments.quorlix, "-"], input=frames_page,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if conversion.returncode != 0:
        print("examples/site/frames.html: the conversion failed:",
              conversion.stderr.decode("utf-8", "replace"))
        return 1
    jobs.append(("examples/site/frames.html", site_copy, frames_page, conversion.stdout, False))
    return report(jobs, skipped, scratch_root, renderer)


def report(jobs, skipped, scratch_root, renderer) -> int:
    """Renders the cases, prints what it saw; the exit status."""
    failures = []
    with concurrent.futures.ThreadPoolExecutor(max_workers=renderer.jobs) as pool:
        results = pool.map(lambda job: check_case(renderer, *job), jobs)
        for (name, *_), failure in zip(jobs, results):
            if failure:
                failures.append(failure)
                print("DIFFERENT " + failure, flush=True)
            else:
                print("same      " + name, flush=True)
    for reason in skipped:
        print("not compared (meant to look different) " + reason)
    shutil.rmtree(scratch_root, ignore_errors=True)
    print("%d cases rendered alike, %d differ, %d not compared" %
          (len(jobs) - len(failures), len(failures), len(skipped)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
