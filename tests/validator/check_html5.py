#!/usr/bin/env python3
"""Validates pages as HTML5 with the Nu Html Checker (vnu.jar).

    check_html5.py [PATH...]

Each PATH is a file, or a folder in which every expected.html is checked
(default: tests/golden/pages). One run of the checker (one JVM) with
--errors-only; its JSON report is split per file: "OK  file" or "ERR file"
and one line per error. Exit status 0 when every file was checked and none
has an error; 1 on an error, when nothing was checked, or when the report
cannot be understood; 2 when Java ($JAVA or java) or vnu.jar ($VNU_JAR or
the one that scripts/setup.sh puts in node_modules here) is missing.
"""

import json
import os
import shutil
import subprocess
import sys
import urllib.parse
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
DEFAULT_JAR = os.path.join(HERE, "node_modules", "vnu-jar", "build", "dist", "vnu.jar")
TIMEOUT_SECONDS = 240    # below the ctest timeout


def collect(paths):
    """The files to check, as absolute paths, and the problems met."""
    files, problems = [], []
    for path in paths:
        if os.path.isdir(path):
            found = sorted(os.path.join(folder, "expected.html") for folder, _, names in os.walk(path)
                           if "expected.html" in names)
            if not found:
                problems.append(f"no expected.html under {path}")
            files += found
        elif os.path.isfile(path):
            files.append(path)
        else:
            problems.append(f"no such file or folder: {path}")
    return list(dict.fromkeys(os.path.realpath(f) for f in files)), problems


def main(argv):
    files, problems = collect(argv[1:] or [os.path.join(ROOT, "tests", "golden", "pages")])
    for problem in problems:
        print(f"check_html5: {problem}")
    if not files:
        print("check_html5: FAILED: no file was checked")
        return 1
    java = os.environ.get("JAVA") or shutil.which("java")
    jar = os.environ.get("VNU_JAR") or DEFAULT_JAR
    if not java or not os.path.isfile(jar):
        print(f"check_html5: Java ({java}) or vnu.jar ({jar}) is missing; "
              "run `bash scripts/setup.sh`", file=sys.stderr)
        return 2
    command = [java, "-jar", jar, "--errors-only", "--format", "json", "--stdout", *files]
    try:
        run = subprocess.run(command, capture_output=True, timeout=TIMEOUT_SECONDS)
    except subprocess.TimeoutExpired:
        print(f"check_html5: FAILED: the checker ran longer than {TIMEOUT_SECONDS} s")
        return 1
    try:
        messages = json.loads(run.stdout.decode("utf-8", "replace"))["messages"]
    except (ValueError, KeyError, TypeError):
        print(f"check_html5: FAILED: the checker (exit status {run.returncode}) gave no JSON report")
        print((run.stdout + run.stderr).decode("utf-8", "replace")[-4000:])
        return 1

    per_file = {f: [] for f in files}
    stray = []
    for message in messages:
        if message.get("type") not in ("error", "non-document-error"):
            continue
        url = urllib.parse.urlparse(message.get("url") or "")
        where = os.path.realpath(urllib.request.url2pathname(url.path)) if url.scheme == "file" else None
        line = message.get("lastLine", message.get("firstLine"))
        text = (f"{line}:{message.get('firstColumn')}: " if line is not None else "") + \
            ("" if message["type"] == "error" else "[cannot check] ") + message.get("message", "(no text)")
        (per_file[where] if where in per_file else stray).append(text)

    for f in files:
        print("\n    ".join([("ERR " if per_file[f] else "OK  ") + os.path.relpath(f, ROOT), *per_file[f]]))
    for text in stray:
        print(f"ERR (not one of the checked files) {text}")
    errors = sum(map(len, per_file.values())) + len(stray)
    if run.returncode != 0 and errors == 0:
        print(f"check_html5: FAILED: the checker exited with status {run.returncode} but reported no error")
        return 1
    bad = sum(1 for f in files if per_file[f])
    print(f"check_html5: {len(files)} checked, {len(files) - bad} valid, {bad} with errors")
    return 1 if errors or problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
