#!/usr/bin/env python3
"""Checks that converted pages look exactly like their originals.

Each case is rendered by headless Chromium as the page was and as the
converter wrote it, both in standards mode (their DOCTYPE becomes, or gains,
<!DOCTYPE html>), and ImageMagick's `compare -metric AE` must find not one
differing pixel. The cases (tests/CMakeLists.txt names them) are goldens and
examples/site/frames.html; the frames of a frameset get small pages of their
own colours. The "rendering:" key of a case.txt (site-frames/case.txt for
the site) says:
  check              compare (the default of pages and framesets);
  xhtml              render the original as application/xhtml+xml, as its
                     markup means (empty-element tags, CDATA sections, ...);
  differs: REASON    meant to look different: not compared, reason printed.

usage: render_check.py --chromium BIN --compare BIN --quorlix BIN
                       --golden DIR --site DIR [--jobs N] [--only TEXT]
Exits 1 when a case differs or cannot be rendered.
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
SITE_FRAMES = "examples/site/frames.html"


def standards_mode(page: bytes) -> bytes:
    """The page with <!DOCTYPE html> in place of its DOCTYPE, or in front of
    it when it has none (after an XML declaration, which HTML reads as a
    comment either way)."""
    if DOCTYPE.search(page):
        return DOCTYPE.sub(b"<!DOCTYPE html>", page, count=1)
    return b"<!DOCTYPE html>\n" + page


def rendering_key(folder: pathlib.Path):
    case = folder / "case.txt"
    lines = case.read_text(encoding="utf-8").splitlines() if case.exists() else []
    keys = dict(line.split(":", 1) for line in lines if ":" in line)
    return {name.strip(): value.strip() for name, value in keys.items()}.get("rendering")


def make_frame_pages(page: bytes, folder: pathlib.Path) -> None:
    """A page for each frame source that is not there yet."""
    for number, match in enumerate(FRAME_SRC.finditer(page)):
        name = match.group(1).decode("utf-8", "replace")
        target = folder / name
        if "://" in name or name.startswith("/") or target.exists():
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_text(
            "<!DOCTYPE html>\n<html><head><title>%s</title></head>"
            '<body style="margin:0;background:%s;font:16px/1.2 monospace">'
            "<p>%s</p></body></html>\n" % (name, FRAME_COLOURS[number % len(FRAME_COLOURS)], name),
            encoding="utf-8")


def check_case(tools, name, folder, original, converted, as_xhtml) -> str:
    """Renders both sides in folder; "" when they are the same, else why not."""
    chromium, compare = tools
    original_page = folder / ("original.xhtml" if as_xhtml else "original.html")
    original_page.write_bytes(original if as_xhtml else standards_mode(original))
    converted_page = folder / "converted.html"
    converted_page.write_bytes(standards_mode(converted))
    make_frame_pages(original, folder)
    pictures = []
    for page in (original_page, converted_page):
        picture = folder / (page.stem + ".png")
        profile = tempfile.mkdtemp(prefix="profile-", dir=folder.parent)
        try:
            result = subprocess.run(
                [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                 "--no-first-run", "--disable-background-networking", "--disable-component-update",
                 "--disable-sync", "--user-data-dir=" + profile, "--window-size=1024,1600",
                 "--hide-scrollbars", "--screenshot=" + str(picture), page.resolve().as_uri()],
                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        except subprocess.TimeoutExpired:
            return "%s: chromium timed out on %s" % (name, page)
        finally:
            shutil.rmtree(profile, ignore_errors=True)
        if result.returncode != 0 or not picture.exists():
            return "%s: chromium failed on %s:\n%s" % (name, page, result.stdout.decode("utf-8", "replace"))
        pictures.append(str(picture))
    result = subprocess.run([compare, "-metric", "AE", *pictures, "null:"], capture_output=True)
    text = result.stderr.decode("utf-8", "replace").strip()
    if result.returncode not in (0, 1):
        return "%s: compare failed: %s" % (name, text)
    try:
        pixels = int(float(text.split()[0]))
    except (ValueError, IndexError):
        return "%s: compare said: %s" % (name, text)
    if pixels != 0:
        kept = pathlib.Path(tempfile.gettempdir()) / ("quorlix-rendering-" + name.replace("/", "-"))
        shutil.rmtree(kept, ignore_errors=True)
        shutil.copytree(folder, kept)
        return "%s: %d pixels differ (pages and screenshots kept in %s)" % (name, pixels, kept)
    return ""


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("--chromium", "--compare", "--quorlix"):
        parser.add_argument(option, required=True)
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

    # (name, folder, mode): mode is "check", "xhtml" or "differs: REASON".
    cases = []
    for folder in sorted(arguments.golden.glob("*/*/")):
        mode = rendering_key(folder)
        if (folder / "expected.html").exists() and (
                mode is not None or folder.parent.name == "pages"
                or b"<frameset" in (folder / "input.html").read_bytes()):
            cases.append(("%s/%s" % (folder.parent.name, folder.name), folder, mode or "check"))
    cases.append((SITE_FRAMES, None,
                  rendering_key(pathlib.Path(__file__).resolve().parent / "site-frames") or "check"))

    scratch_root = pathlib.Path(tempfile.mkdtemp(prefix="quorlix-rendering-"))
    scratch = scratch_root / "cases"
    scratch.mkdir()
    jobs, skipped = [], []
    for name, folder, mode in cases:
        if arguments.only not in name:
            continue
        if mode.startswith("differs:"):
            skipped.append("%s: %s" % (name, mode[len("differs:"):].strip()))
            continue
        if mode not in ("check", "xhtml"):
            print("%s: unknown rendering key %r" % (name, mode))
            return 1
        if folder is None:
            # The example site's frameset page, with its style sheet and frames.
            work = scratch / "site"
            shutil.copytree(arguments.site, work)
            original = (work / "frames.html").read_bytes()
            conversion = subprocess.run([arguments.quorlix, "-"], input=original, capture_output=True)
            if conversion.returncode != 0:
                print(name + ": the conversion failed:", conversion.stderr.decode("utf-8", "replace"))
                return 1
            jobs.append((name, work, original, conversion.stdout, mode == "xhtml"))
            continue
        work = scratch / name.replace("/", "-")
        work.mkdir()
        jobs.append((name, work, (folder / "input.html").read_bytes(),
                     (folder / "expected.html").read_bytes(), mode == "xhtml"))

    failures = []
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, arguments.jobs)) as pool:
        tools = (arguments.chromium, arguments.compare)
        for (name, *_), failure in zip(jobs, pool.map(lambda job: check_case(tools, *job), jobs)):
            if failure:
                failures.append(failure)
            print(("DIFFERENT " + failure) if failure else ("same      " + name), flush=True)
    for reason in skipped:
        print("not compared (meant to look different) " + reason)
    shutil.rmtree(scratch_root, ignore_errors=True)
    print("%d cases rendered alike, %d differ, %d not compared" %
          (len(jobs) - len(failures), len(failures), len(skipped)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
