#!/usr/bin/env python3
"""Site runs with several converters at a time.

Builds a site of small pages (the example site's pages, copied into
directories of 50), then converts fresh copies of it with `-j 1`, `-j 2` and
`-j` (one converter per processor), and `-j 1 --dry-run` (no page written:
what the sync and the replacement cost) in alternating rounds, and reports for
each the median time, the milliseconds a page, the speed-up over `-j 1`, and
what a page costs beyond a bare process start (`quorlix --version` started
as often, with site_timing). The copy of the site is not timed.

usage: parallel_site.py --quorlix PATH [--pages N] [--runs R] [--keep DIR]

Targets on a 2-core machine: -j 2 takes at most 0.6 of the time of -j 1;
a page costs at most 0.5 ms beyond a bare process start. A measurement, not
a test: it fails only when a run fails.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.join(os.path.dirname(HERE), "examples", "site")


def build_site(root, pages):
    sources = []
    for directory, _, files in os.walk(EXAMPLES):
        for name in sorted(files):
            if name.endswith(".html"):
                with open(os.path.join(directory, name), "rb") as f:
                    sources.append(f.read())
    for i in range(pages):
        directory = os.path.join(root, "part%03d" % (i // 50))
        os.makedirs(directory, exist_ok=True)
        with open(os.path.join(directory, "page%04d.html" % i), "wb") as f:
            f.write(sources[i % len(sources)])


def timed_run(quorlix, pristine, scratch, jobs, extra=()):
    site = os.path.join(scratch, "site")
    shutil.rmtree(site, ignore_errors=True)
    shutil.copytree(pristine, site)
    command = [quorlix, "-q", *extra, "--site", site]
    if jobs is not None:
        command[1:1] = ["-j", str(jobs)]
    t0 = time.monotonic()
    done = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    seconds = time.monotonic() - t0
    if done.returncode not in (0, 1):
        sys.exit("quorlix %s ended with %d: %s" % (" ".join(command[1:]), done.returncode,
                                                 done.stderr.decode(errors="replace")))
    return seconds


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--quorlix", required=True)
    ap.add_argument("--pages", type=int, default=2000)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--site-timing", help="the helper (default: bench/site_timing beside the program)")
    ap.add_argument("--keep", metavar="DIR", help="work in DIR and keep it")
    args = ap.parse_args()
    quorlix = os.path.abspath(args.quorlix)
    helper = args.site_timing or os.path.join(os.path.dirname(quorlix), "bench", "site_timing")

    scratch = args.keep or tempfile.mkdtemp(prefix="quorlix-parallel-")
    os.makedirs(scratch, exist_ok=True)
    try:
        pristine = os.path.join(scratch, "pristine")
        shutil.rmtree(pristine, ignore_errors=True)
        build_site(pristine, args.pages)
        processors = len(os.sched_getaffinity(0))
        # The dry run writes nothing: it shows what the sync to the disk and
        # the replacement of each page cost.
        settings = [("-j 1", 1, ()), ("-j 2", 2, ()), ("-j (%d)" % processors, None, ()),
                    ("-j 1 dry", 1, ("--dry-run",))]
        times = {label: [] for label, _, _ in settings}
        for _ in range(args.runs):
            for label, jobs, extra in settings:
                times[label].append(timed_run(quorlix, pristine, scratch, jobs, extra))

        spawn = subprocess.run([helper, "spawn", str(args.pages), quorlix, "--version"],
                               capture_output=True, text=True, check=True)
        bare = float(spawn.stdout.split()[1]) / args.pages

        print("site of %d pages, %d processors, median of %d runs" % (args.pages, processors, args.runs))
        print("bare process start (quorlix --version): %.3f ms" % (bare * 1000))
        base = statistics.median(times["-j 1"])
        for label, _, _ in settings:
            median = statistics.median(times[label])
            per_page = median / args.pages
            print("%-8s %7.3f s  %6.3f ms a page  speed-up %.2f  (ratio %.2f)  runs: %s"
                  % (label, median, per_page * 1000, base / median, median / base,
                     " ".join("%.3f" % t for t in times[label])))
        per_page = base / args.pages
        print("-j 1: a page beyond a bare process start: %.3f ms (target at most 0.5); "
              "in a dry run: %.3f ms"
              % ((per_page - bare) * 1000,
                 (statistics.median(times["-j 1 dry"]) / args.pages - bare) * 1000))
        print("-j 2 / -j 1: %.2f (target at most 0.6)" % (statistics.median(times["-j 2"]) / base))
    finally:
        if not args.keep:
            shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
