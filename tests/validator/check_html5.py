#!/usr/bin/env python3
"""Validates pages as HTML5 with the Nu Html Checker (vnu.jar).

    check_html5.py [PATH...]

Each PATH is a file, checked whatever its name, or a folder, in which every
file named expected.html is checked (at any depth). Without a PATH the
folder is tests/golden/pages. All files go to one run of the checker (one
JVM start), with --errors-only, and its JSON report is split per file:
"OK  file" or "ERR file" followed by one line per error.

Exit status: 0 when every file was checked and none has an error; 1 when an
error is reported, when nothing was checked at all, or when the checker's
report cannot be understood; 2 when Java or vnu.jar is missing.

The Java command is $JAVA or "java" from PATH; vnu.jar is $VNU_JAR or the
one that `npm ci` (run by scripts/setup.sh) puts in node_modules here.
"""

import json
import os
import re
import shutil
import subprocess
import sys
import urllib.parse
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
DEFAULT_FOLDER = os.path.join(ROOT, "tests", "golden", "pages")
DEFAULT_JAR = os.path.join(HERE, "node_modules", "vnu-jar", "build", "dist", "vnu.jar")
PAGE_NAME = "expected.html"
MIN_JAVA = 11            # the oldest Java that vnu.jar runs on
TIMEOUT_SECONDS = 240    # below the 300 s ctest timeout


def fail_setup(message):
    print(f"check_html5: {message}", file=sys.stderr)
    print("check_html5: run `bash scripts/setup.sh` to install Java and vnu.jar", file=sys.stderr)
    sys.exit(2)


def find_java():
    java = os.environ.get("JAVA") or shutil.which("java")
    if not java:
        fail_setup("no Java runtime: `java` is not on PATH (and $JAVA is not set)")
    try:
        probe = subprocess.run([java, "-version"], capture_output=True, text=True, timeout=60)
    except (OSError, subprocess.TimeoutExpired) as error:
        fail_setup(f"cannot run {java}: {error}")
    match = re.search(r'version "(\d+)(?:\.(\d+))?', probe.stderr + probe.stdout)
    if not match:
        fail_setup(f"cannot tell the version of {java}: {probe.stderr.strip()!r}")
    major = int(match.group(1))
    if major == 1 and match.group(2):   # "1.8.0" style
        major = int(match.group(2))
    if major < MIN_JAVA:
        fail_setup(f"{java} is Java {major}; vnu.jar needs Java {MIN_JAVA} or later")
    return java


def find_jar():
    jar = os.environ.get("VNU_JAR") or DEFAULT_JAR
    if not os.path.isfile(jar):
        fail_setup(f"vnu.jar not found at {jar}")
    return jar


def collect(paths):
    """The files to check, as absolute paths, and the problems met."""
    files, problems = [], []
    for path in paths:
        if os.path.isdir(path):
            found = []
            for folder, subfolders, names in os.walk(path):
                subfolders.sort()
                found += [os.path.join(folder, n) for n in names if n == PAGE_NAME]
            if not found:
                problems.append(f"no {PAGE_NAME} under {path}")
            files += sorted(found)
        elif os.path.isfile(path):
            files.append(path)
        else:
            problems.append(f"no such file or folder: {path}")
    unreadable = [f for f in files if not os.access(f, os.R_OK)]
    problems += [f"cannot read {f}" for f in unreadable]
    files = [os.path.realpath(f) for f in files if f not in unreadable]
    return list(dict.fromkeys(files)), problems


def url_to_path(url):
    parts = urllib.parse.urlparse(url or "")
    if parts.scheme != "file":
        return None
    return os.path.realpath(urllib.request.url2pathname(parts.path))


def main(argv):
    paths = argv[1:] or [DEFAULT_FOLDER]
    files, problems = collect(paths)
    for problem in problems:
        print(f"check_html5: {problem}")
    if not files:
        print("check_html5: FAILED: no file was checked")
        return 1

    java, jar = find_java(), find_jar()
    command = [java, "-jar", jar, "--errors-only", "--format", "json", "--stdout", *files]
    try:
        run = subprocess.run(command, capture_output=True, timeout=TIMEOUT_SECONDS)
    except subprocess.TimeoutExpired:
        print(f"check_html5: FAILED: the checker ran longer than {TIMEOUT_SECONDS} s")
        return 1
    output = run.stdout.decode("utf-8", "replace")
    try:
        report = json.loads(output)
        messages = report["messages"]
    except (ValueError, KeyError, TypeError):
        print(f"check_html5: FAILED: the checker (exit status {run.returncode}) gave no JSON report")
        print(output[-4000:] + run.stderr.decode("utf-8", "replace")[-4000:])
        return 1

    per_file = {f: [] for f in files}
    stray = []
    for message in messages:
        if message.get("type") not in ("error", "non-document-error"):
            continue   # --errors-only leaves only errors; anything else is ignored
        where = url_to_path(message.get("url"))
        line = message.get("lastLine", message.get("firstLine"))
        column = message.get("firstColumn")
        at = f"{line}:{column}: " if line is not None else ""
        kind = "" if message["type"] == "error" else "[cannot check] "
        text = f"{at}{kind}{message.get('message', '(no text)')}"
        if where in per_file:
            per_file[where].append(text)
        else:
            stray.append(f"{message.get('url', '(no address)')}: {text}")

    shown = {f: os.path.relpath(f, ROOT) if f.startswith(ROOT + os.sep) else f for f in files}
    bad = 0
    for f in files:
        if per_file[f]:
            bad += 1
            print(f"ERR {shown[f]}")
            for text in per_file[f]:
                print(f"    {text}")
        else:
            print(f"OK  {shown[f]}")
    for text in stray:
        print(f"ERR (not one of the checked files) {text}")

    errors = sum(len(v) for v in per_file.values()) + len(stray)
    if run.returncode != 0 and errors == 0:
        print(f"check_html5: FAILED: the checker exited with status {run.returncode} "
              "but reported no error")
        print(run.stderr.decode("utf-8", "replace")[-4000:])
        return 1
    print(f"check_html5: {len(files)} checked, {len(files) - bad} valid, "
          f"{bad} with errors ({errors} errors in all)"
          + (f"; {len(problems)} path problems" if problems else ""))
    return 1 if errors or problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
