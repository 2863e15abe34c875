#!/usr/bin/env python3
"""kill -9 at random moments of a site run (Linux).

A site of golden pages (some refused) and a few big generated pages is
converted once untouched: the reference. Each trial converts a fresh copy
and, once a random number of pages has been taken up and up to 3 ms later,
SIGKILLs either the supervisor and its converter or only the converter (the
run goes on; the only kind with --jobs above 1). Every page must then be as
it was or the reference conversion with its .bak the original; at most one
temporary file and one qlxbak link may be left, beside the page in progress;
the log must agree with the disk and report a killed converter.

usage: kill_test.py QUORLIX [--trials N] [--pages N] [--seed S] [--jobs N]
"""

import argparse
import ctypes
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

GOLDEN = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "golden")
CONVERTING = ["pages/" + name + "/input.html" for name in (
    "form-document", "frameset-document", "pottery-shop",
    "rowing-club-newsletter", "table-heavy-document", "tool-user-guide")]
REFUSED = ["frames/frameset-rows-twice-error/input.html",
           "frames/frame-outside-frameset-error/input.html",
           "screening/gif/input.html"]
ABNORMAL = "Error: the converter process ended abnormally, status 137"
NOT_STARTED = "Error: unable to create process"
PROGRESS = re.compile(r"^(/.*?)\.\.\. ")
STOPPED = ("T", "t")


def big_page(n):
    """About 2 MB, so that a kill may land in the middle of its write."""
    rows = "".join('<p align="center">Row %d of page %d with <font color="red">red</font>'
                   ' and <tt>code</tt>.</p>\n' % (i, n) for i in range(25000))
    return ("<html>\n<head>\n<title>Big %d</title>\n</head>\n<body>\n%s</body>\n</html>\n"
            % (n, rows)).encode()


def build_site(root, count):
    """Writes the pages; returns {relative path: bytes}."""
    inputs = [read(os.path.join(GOLDEN, name)) for name in CONVERTING + REFUSED]
    pages = {}
    for i in range(count):
        directory = "part%d" % (i % 6) if i % 7 else "part%d/deeper" % (i % 3)
        name = ("news %03d.html" if i % 5 == 0 else "page-%03d.html") % i
        pages[os.path.join(directory, name)] = inputs[i % len(inputs)]
    for n in range(3):
        pages["big/big-%d.html" % n] = big_page(n)
    for rel, data in pages.items():
        os.makedirs(os.path.join(root, os.path.dirname(rel)), exist_ok=True)
        with open(os.path.join(root, rel), "wb") as f:
            f.write(data)
    return pages


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:  # gone, also a process of /proc
        return None


def logged_pages(log, site):
    """The pages that the log names in progress lines, in order, relative."""
    matches = (PROGRESS.match(line) for line in log.splitlines())
    return [os.path.relpath(m.group(1), site) for m in matches
            if m and m.group(1).startswith(site + "/")]


def wait_for_pages(run, log_path, site, wanted):
    """Waits until the log has taken up `wanted` pages (progress lines start
    with the site's path) or the run has ended; reads only what is new."""
    mark = b"\n" + site.encode() + b"/"
    seen, tail = 0, b"\n"
    with open(log_path, "rb") as f:
        while seen < wanted and run.poll() is None:
            new = f.read()
            if not new:
                time.sleep(0.0002)
                continue
            data = tail + new
            seen += data.count(mark)
            tail = data[-(len(mark) - 1):]


def children_of(pid):
    """The children of every thread of the process (a converter is the child
    of the thread that started it)."""
    try:
        tasks = os.listdir("/proc/%d/task" % pid)
    except OSError:
        return []
    return [int(x) for task in tasks
            for x in (read("/proc/%d/task/%s/children" % (pid, task)) or b"").split()]


def state_of(pid):
    stat = read("/proc/%d/stat" % pid)
    return stat.rsplit(b")", 1)[1].split()[0].decode() if stat else "gone"


def wait_for_state(pid, wanted, seconds=5.0):
    deadline = time.monotonic() + seconds
    while state_of(pid) not in wanted and time.monotonic() < deadline:
        time.sleep(0.001)
    return state_of(pid)


def stop(pid):
    os.kill(pid, signal.SIGSTOP)
    return wait_for_state(pid, STOPPED + ("Z", "gone"))


def kill_everything(run):
    """Stops the supervisor, kills its converter, then its group."""
    stop(run.pid)
    converters = children_of(run.pid)
    for c in converters:
        os.kill(c, signal.SIGKILL)
        try:
            os.killpg(c, signal.SIGKILL)
        except ProcessLookupError:
            pass  # not yet in a group of its own
    os.killpg(run.pid, signal.SIGKILL)
    run.wait()
    for c in converters:
        try:  # adopted by this process as their subreaper
            os.waitpid(c, 0)
        except ChildProcessError:
            wait_for_state(c, ("Z", "gone"))
    return "%d converter(s) killed with the run" % len(converters)


def kill_converter(run):
    """Kills the running converter once one is caught alive; the run goes on."""
    while run.poll() is None:
        stop(run.pid)
        for c in children_of(run.pid):
            # A stopped converter cannot exit on its own any more, so the
            # SIGKILL that follows is what ends it.
            if stop(c) in STOPPED:
                os.kill(c, signal.SIGKILL)
                os.kill(run.pid, signal.SIGCONT)
                return "a converter killed"
        os.kill(run.pid, signal.SIGCONT)
        time.sleep(0.0005)
    return "no converter caught"


def check_trial(fail, site, pristine, reference, order, log, killed_all):
    """reference: {rel: converted bytes or None (refused)}. Returns the
    numbers of converted and intact pages and the stray files."""
    logged = logged_pages(log, site)
    # The page in progress at the kill: the last one named before it, or
    # the next one in walk order, whose converter may have been too
    # quick for a supervisor about to die to copy its progress line.
    before_kill = logged if killed_all else \
        logged_pages(re.split(ABNORMAL + "|" + NOT_STARTED, log)[0], site)
    k = order.index(before_kill[-1]) if before_kill else -1
    in_progress = {order[i] for i in (k, k + 1) if 0 <= i < len(order)}
    converted, intact, backed_up_intact, deviations = 0, 0, 0, []
    for rel, original in pristine.items():
        page, backup = read(os.path.join(site, rel)), read(os.path.join(site, rel + ".bak"))
        conversion = reference[rel]
        if page == original and backup in (None, original):
            intact += 1
            backed_up_intact += backup is not None
            state = "intact"
        elif conversion is not None and page == conversion and backup == original:
            converted += 1
            state = "converted"
        else:
            fail("%s is neither as it was nor converted with its backup" % rel)
            continue
        if rel in in_progress:
            continue
        if rel not in logged and (state != "intact" or backup is not None):
            fail("%s was touched but the log does not name it" % rel)
        if rel in logged and state != ("converted" if conversion is not None else "intact"):
            deviations.append(rel)
    for rel in deviations:
        fail("the log took %s up before the kill, but it is %s"
             % (rel, "not converted" if reference[rel] else "changed"))
    if backed_up_intact > 1:
        fail("%d intact pages have a backup (one page is in progress at most)" % backed_up_intact)

    # Files that are neither pages nor backups: orphaned temporary files.
    known = set(pristine) | {rel + ".bak" for rel in pristine}
    strays = [rel for directory, _, files in os.walk(site) for name in files
              if (rel := os.path.relpath(os.path.join(directory, name), site)) not in known]
    beside = {os.path.dirname(rel) for rel in in_progress}
    for rel in strays:
        temporary = re.fullmatch(r"qlx\d{5}[a-z0-9_-]|qlxbak\d+", os.path.basename(rel))
        if not temporary:
            fail("unexpected file %s" % rel)
        elif os.path.dirname(rel) not in beside:
            fail("orphan %s is not beside the page in progress" % rel)
        elif temporary.group().startswith("qlxbak") and \
                read(os.path.join(site, rel)) not in [pristine[p] for p in in_progress]:
            fail("orphan %s is not a copy of the page in progress" % rel)
    # One converter runs at a time: at most its output file and its
    # backup's link can be left.
    links = [s for s in strays if os.path.basename(s).startswith("qlxbak")]
    if len(links) > 1 or len(strays) - len(links) > 1:
        fail("orphans %s: more than one converter's temporary files" % ", ".join(strays))
    return converted, intact, strays


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("quorlix")
    for option, default in (("--trials", 12), ("--pages", 300), ("--seed", 20240611), ("--jobs", 1)):
        ap.add_argument(option, type=int, default=default)
    args = ap.parse_args()
    quorlix = os.path.abspath(args.quorlix)
    failures = []
    label = "reference"

    def fail(text):
        failures.append(text)
        print("FAIL %s: %s" % (label, text))

    # Converters orphaned by the death of their supervisor come to this
    # process, which can then see them dead.
    ctypes.CDLL(None, use_errno=True).prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER

    scratch = tempfile.mkdtemp(prefix="quorlix-kill-")
    try:
        pristine_dir, reference_dir, site, log_path = (
            os.path.join(scratch, name) for name in ("pristine", "reference", "site", "log.txt"))
        pristine = build_site(pristine_dir, args.pages)
        shutil.copytree(pristine_dir, reference_dir)
        t0 = time.monotonic()
        done = subprocess.run([quorlix, "-j", "1", "--site", reference_dir], capture_output=True)
        full_run = time.monotonic() - t0
        reference = {rel: read(os.path.join(reference_dir, rel))
                     if read(os.path.join(reference_dir, rel + ".bak")) == original else None
                     for rel, original in pristine.items()}
        order = logged_pages(done.stdout.decode("utf-8", "replace"), reference_dir)
        refused = list(reference.values()).count(None)
        print("reference run: %d pages, %d converted, %d refused, %.2f s"
              % (len(pristine), len(pristine) - refused, refused, full_run))
        if sorted(order) != sorted(pristine) or refused in (0, len(pristine)):
            fail("the reference run did not take up every page once, "
                 "or did not both convert and refuse")

        rng = random.Random(args.seed)
        orphans = 0
        for trial in range(1, args.trials + 1):
            kill_all = trial % 3 != 0 and args.jobs == 1
            label = "trial %d (%s)" % (trial, "kill everything" if kill_all else "kill the converter")
            shutil.rmtree(site, ignore_errors=True)
            shutil.copytree(pristine_dir, site)
            pages_before = rng.randrange(1, len(pristine))
            delay = rng.uniform(0, 0.003)
            with open(log_path, "wb") as log_file:
                run = subprocess.Popen([quorlix, "-j", str(args.jobs), "--site", site], stdout=log_file,
                                       stderr=subprocess.STDOUT, start_new_session=True)
                wait_for_pages(run, log_path, site, pages_before)
                time.sleep(delay)
                if run.poll() is not None:
                    what = "the run had ended"
                else:
                    what = (kill_everything if kill_all else kill_converter)(run)
                    run.wait()
            log = read(log_path).decode("utf-8", "replace")
            converted, intact, strays = check_trial(fail, site, pristine, reference, order, log,
                                                    kill_all)
            orphans += len(strays)
            if what == "a converter killed":
                # A converter caught before its exec never started, which the
                # supervisor reports as such.
                if log.count(ABNORMAL) + log.count(NOT_STARTED) != 1:
                    fail("the log does not report the killed converter once")
                summary = re.search(r"^Converted: (\d+)\. Failed: (\d+)\. Total: (\d+)$", log, re.M)
                if not summary or int(summary.group(3)) != len(pristine) or \
                        int(summary.group(2)) not in (refused, refused + 1):
                    fail("the run did not go on to its summary")
            print("%s after page %d and %.1f ms: %s; %d pages checked: %d converted, "
                  "%d as they were; orphans: %s"
                  % (label, pages_before, delay * 1000, what, len(pristine), converted, intact,
                     ", ".join(strays) or "none"))

        print("kill -9: %d trials, %d pages checked, %d orphaned temporary file(s) "
              "beside the page in progress" % (args.trials, args.trials * len(pristine), orphans))
        print("kill -9 checks: %s" % ("%d failed" % len(failures) if failures else "all passed"))
        return 1 if failures else 0
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
