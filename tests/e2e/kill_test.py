#!/usr/bin/env python3
"""kill -9 at random moments of a site run (Linux).

A site of a few hundred pages (golden inputs, some refused, and a few big
generated pages) is converted once untouched: the reference. Then, in trials
with a fixed seed, a fresh copy is converted and SIGKILL arrives once a
random number of pages has been taken up, after a further random delay of up
to 3 ms: either the supervisor and its converter (the run ends) or only the
converter (the run goes on; the only kind with --jobs above 1). Every page
must then be as it was (a backup equal to it may exist for the page in
progress) or equal to the reference conversion with its .bak the original.
At most one temporary file and one qlxbak link may be left, beside the page
in progress. The log must agree with the disk, and a killed converter is
reported when the supervisor lives on.

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

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = os.path.join(os.path.dirname(HERE), "golden")
# Inputs that convert, and inputs that the converter refuses.
CONVERTING = ["pages/" + name + "/input.html" for name in (
    "form-document", "frameset-document", "pottery-shop",
    "rowing-club-newsletter", "table-heavy-document", "tool-user-guide")]
REFUSED = ["frames/frameset-rows-twice-error/input.html",
           "frames/frame-outside-frameset-error/input.html",
           "screening/gif/input.html"]
ABNORMAL = "Error: the converter process ended abnormally, status 137"
NOT_STARTED = "Error: unable to create process"
PROGRESS = re.compile(r"^(/.*?)\.\.\. ")


def big_page(n):
    """About 2 MB, so that a kill may land in the middle of its write."""
    rows = "".join('<p align="center">Row %d of page %d with <font color="red">red</font>'
                   ' and <tt>code</tt>.</p>\n' % (i, n) for i in range(25000))
    return ("<html>\n<head>\n<title>Big %d</title>\n</head>\n<body>\n%s</body>\n</html>\n"
            % (n, rows)).encode()


def build_site(root, count):
    """Writes the pages; returns {relative path: bytes}."""
    inputs = []
    for name in CONVERTING + REFUSED:
        with open(os.path.join(GOLDEN, name), "rb") as f:
            inputs.append(f.read())
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
    except FileNotFoundError:
        return None


def logged_pages(log, site):
    """The pages that the log names in progress lines, in order, relative."""
    out = []
    for line in log.splitlines():
        m = PROGRESS.match(line)
        if m and m.group(1).startswith(site + "/"):
            out.append(os.path.relpath(m.group(1), site))
    return out


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
    children = []
    try:
        tasks = os.listdir("/proc/%d/task" % pid)
    except OSError:
        return children
    for task in tasks:
        try:
            with open("/proc/%d/task/%s/children" % (pid, task)) as f:
                children += [int(x) for x in f.read().split()]
        except OSError:
            pass
    return children


def state_of(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0]
    except OSError:
        return "gone"


def wait_for_state(pid, wanted, seconds=5.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        s = state_of(pid)
        if s in wanted:
            return s
        time.sleep(0.001)
    return state_of(pid)


def reap(pid):
    """Waits for a killed process that this one adopted (subreaper)."""
    try:
        os.waitpid(pid, 0)
    except ChildProcessError:
        wait_for_state(pid, ("Z", "gone"))


def kill_everything(run):
    """Stops the supervisor, kills its converter, then its group."""
    os.kill(run.pid, signal.SIGSTOP)
    wait_for_state(run.pid, ("T", "t", "Z", "gone"))
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
        reap(c)
    return len(converters)


def kill_converter(run):
    """Kills the running converter once one is caught alive; the run goes on.
    True when one was killed."""
    while run.poll() is None:
        os.kill(run.pid, signal.SIGSTOP)
        wait_for_state(run.pid, ("T", "t", "Z", "gone"))
        for c in children_of(run.pid):
            # A stopped converter cannot exit on its own any more, so the
            # SIGKILL that follows is what ends it.
            os.kill(c, signal.SIGSTOP)
            if wait_for_state(c, ("T", "t", "Z")) in ("T", "t"):
                os.kill(c, signal.SIGKILL)
                os.kill(run.pid, signal.SIGCONT)
                return True
        os.kill(run.pid, signal.SIGCONT)
        time.sleep(0.0005)
    return False


class Checker:
    def __init__(self):
        self.failures = 0
        self.pages = 0
        self.orphans = []

    def fail(self, text):
        self.failures += 1
        print("FAIL " + text)

    def check_trial(self, label, site, pristine, reference, order, log, killed_all):
        """reference: {rel: converted bytes or None (refused)}."""
        logged = logged_pages(log, site)
        # The page in progress at the kill: the last one named before it, or
        # the next one in walk order, whose converter may have been too
        # quick for a supervisor about to die to copy its progress line.
        before_kill = logged if killed_all else \
            logged_pages(re.split(ABNORMAL + "|" + NOT_STARTED, log)[0], site)
        k = order.index(before_kill[-1]) if before_kill else -1
        in_progress = {order[i] for i in (k, k + 1) if 0 <= i < len(order)}
        converted = intact = backed_up_intact = 0
        deviations = []
        for rel, original in pristine.items():
            self.pages += 1
            page = read(os.path.join(site, rel))
            backup = read(os.path.join(site, rel + ".bak"))
            conversion = reference[rel]
            if page == original and backup in (None, original):
                intact += 1
                if backup is not None:
                    backed_up_intact += 1
                state = "intact"
            elif conversion is not None and page == conversion and backup == original:
                converted += 1
                state = "converted"
            else:
                self.fail("%s: %s is neither as it was nor converted with its backup"
                          % (label, rel))
                continue
            if rel in in_progress:
                continue
            if rel not in logged and (state != "intact" or backup is not None):
                self.fail("%s: %s was touched but the log does not name it" % (label, rel))
            expected = "converted" if conversion is not None else "intact"
            if rel in logged and state != expected:
                deviations.append(rel)
        for rel in deviations:
            self.fail("%s: the log took %s up before the kill, but it is %s"
                      % (label, rel, "not converted" if reference[rel] else "changed"))
        if backed_up_intact > 1:
            self.fail("%s: %d intact pages have a backup (one page is in progress at most)"
                      % (label, backed_up_intact))

        # Files that are neither pages nor backups: orphaned temporary files.
        known = set(pristine) | {rel + ".bak" for rel in pristine}
        strays = []
        for directory, _, files in os.walk(site):
            for name in files:
                rel = os.path.relpath(os.path.join(directory, name), site)
                if rel not in known:
                    strays.append(rel)
        beside = {os.path.dirname(rel) for rel in in_progress}
        for rel in strays:
            temporary = re.fullmatch(r"qlx\d{5}[a-z0-9_-]|qlxbak\d+",
                                     os.path.basename(rel))
            if not temporary:
                self.fail("%s: unexpected file %s" % (label, rel))
            elif os.path.dirname(rel) not in beside:
                self.fail("%s: orphan %s is not beside the page in progress" % (label, rel))
            elif temporary.group().startswith("qlxbak") and \
                    read(os.path.join(site, rel)) not in [pristine[p] for p in in_progress]:
                self.fail("%s: orphan %s is not a copy of the page in progress" % (label, rel))
        # One converter runs at a time: at most its output file and its
        # backup's link can be left.
        links = [s for s in strays if os.path.basename(s).startswith("qlxbak")]
        if len(links) > 1 or len(strays) - len(links) > 1:
            self.fail("%s: orphans %s: more than one converter's temporary files"
                      % (label, ", ".join(strays)))
        self.orphans += [(label, s) for s in strays]
        return converted, intact, strays


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("quorlix")
    ap.add_argument("--trials", type=int, default=12)
    ap.add_argument("--pages", type=int, default=300)
    ap.add_argument("--seed", type=int, default=20240611)
    ap.add_argument("--jobs", type=int, default=1)
    args = ap.parse_args()
    quorlix = os.path.abspath(args.quorlix)

    # Converters orphaned by the death of their supervisor come to this
    # process, which can then see them dead.
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER

    scratch = tempfile.mkdtemp(prefix="quorlix-kill-")
    try:
        pristine_dir = os.path.join(scratch, "pristine")
        pristine = build_site(pristine_dir, args.pages)

        reference_dir = os.path.join(scratch, "reference")
        shutil.copytree(pristine_dir, reference_dir)
        t0 = time.monotonic()
        done = subprocess.run([quorlix, "-j", "1", "--site", reference_dir], stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE)
        full_run = time.monotonic() - t0
        reference = {}
        for rel, original in pristine.items():
            backup = read(os.path.join(reference_dir, rel + ".bak"))
            reference[rel] = read(os.path.join(reference_dir, rel)) if backup == original else None
        order = logged_pages(done.stdout.decode("utf-8", "replace"), reference_dir)
        refused = sum(1 for v in reference.values() if v is None)
        print("reference run: %d pages, %d converted, %d refused, %.2f s"
              % (len(pristine), len(pristine) - refused, refused, full_run))
        checker = Checker()
        if sorted(order) != sorted(pristine) or refused == 0 or refused == len(pristine):
            checker.fail("the reference run did not take up every page once, "
                         "or did not both convert and refuse")

        rng = random.Random(args.seed)
        site = os.path.join(scratch, "site")
        for trial in range(1, args.trials + 1):
            kill_all = trial % 3 != 0 and args.jobs == 1
            label = "trial %d (%s)" % (trial, "kill everything" if kill_all else "kill the converter")
            shutil.rmtree(site, ignore_errors=True)
            shutil.copytree(pristine_dir, site)
            pages_before = rng.randrange(1, len(pristine))
            delay = rng.uniform(0, 0.003)
            log_path = os.path.join(scratch, "log.txt")
            with open(log_path, "wb") as log_file:
                run = subprocess.Popen([quorlix, "-j", str(args.jobs), "--site", site], stdout=log_file,
                                       stderr=subprocess.STDOUT, start_new_session=True)
                wait_for_pages(run, log_path, site, pages_before)
                time.sleep(delay)
                if run.poll() is not None:
                    what = "the run had ended"
                elif kill_all:
                    what = "%d converter(s) killed with the run" % kill_everything(run)
                else:
                    killed = kill_converter(run)
                    run.wait()
                    what = "a converter killed" if killed else "no converter caught"
            log = read(os.path.join(scratch, "log.txt")).decode("utf-8", "replace")
            converted, intact, strays = checker.check_trial(
                label, site, pristine, reference, order, log, kill_all)
            if not kill_all and what == "a converter killed":
                # A converter caught before its exec never started, which the
                # supervisor reports as such.
                if log.count(ABNORMAL) + log.count(NOT_STARTED) != 1:
                    checker.fail("%s: the log does not report the killed converter once" % label)
                summary = re.search(r"^Converted: (\d+)\. Failed: (\d+)\. Total: (\d+)$", log, re.M)
                if not summary or int(summary.group(3)) != len(pristine) or \
                        int(summary.group(2)) not in (refused, refused + 1):
                    checker.fail("%s: the run did not go on to its summary" % label)
            print("%s after page %d and %.1f ms: %s; %d pages checked: %d converted, "
                  "%d as they were; orphans: %s"
                  % (label, pages_before, delay * 1000, what, len(pristine), converted, intact,
                     ", ".join(strays) or "none"))

        print("kill -9: %d trials, %d pages checked, %d orphaned temporary file(s) "
              "beside the page in progress" % (args.trials, checker.pages, len(checker.orphans)))
        print("kill -9 checks: %s" % ("all passed" if checker.failures == 0
                                      else "%d failed" % checker.failures))
        return 0 if checker.failures == 0 else 1
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
