#!/usr/bin/env python3
"""Quorlix benchmark: one large generated XHTML 1.0 document, and a site of
many small pages.

This is a measurement command, not a test. It writes one large, realistic
XHTML 1.0 Transitional document (deterministic for a given size), then times
`quorlix --no-backup -q FILE` on fresh copies of it, HTML Tidy
(`tidy -q -clean --doctype html5 FILE`, its diagnostics discarded) on the
same document and `cp` of the same file, and reports the three speeds, the
ratios against the targets and the converter's peak memory. Then it converts
a site of small pages with `quorlix -q --site DIR` and, with the helper
bench/site_timing.cpp, the same pages in one process, and reports the time
per file beyond the conversion itself.

Standard library only (and the helper, built with the Linux preset). See
bench/README.md for the method.
"""

import argparse
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

MB = 1_000_000  # all sizes and speeds here are in decimal megabytes

SEED = 20100401  # fixed: the document depends only on the requested size
POOL_SIZE = 2500  # distinct body blocks drawn once, then picked from

# A marker replaced by a running number in each emitted block, so that every
# id / anchor name in the document stays unique.
MARK = "\x00"

# ---------------------------------------------------------------------------
# Document generator
# ---------------------------------------------------------------------------

WORDS = (
    "the of and a to in is was for on that with as by at from it this be are "
    "bread loaf oven flour trail summit ridge valley river bridge market "
    "village morning evening weather route map members meeting season club "
    "walk climb path forest lake harbour station festival recipe butter "
    "sugar honey rye spelt sourdough weekend report minutes notice agenda "
    "committee newsletter photos gallery archive contact history prices "
    "timetable holiday winter summer spring autumn north south east west "
    "old new small large early late quiet busy open closed local annual"
).split()

NON_ASCII_WORDS = [
    "café", "naïve", "Zürich", "São Paulo", "smørrebrød", "façade",
    "crème brûlée", "Kraków", "Ærøskøbing", "jalapeño", "Málaga", "€12,50",
    "–", "“quoted”", "‘single’", "…", "½ kg", "±2 °C", "Straße",
    "日本語", "Ελληνικά", "Привет", "Ünterhaus", "coöperate", "🥐",
]

ENTITY_BITS = [
    "&amp;", "&lt;b&gt;", "&quot;fine&quot;", "&#233;", "&#x20AC;",
    "&nbsp;", "&copy;", "&mdash;", "&eacute;",
]

COLORS = ["#ffffff", "#f5deb3", "#fff8dc", "#e0e0e0", "#ccddee", "red",
          "navy", "#336699", "#993300", "silver"]
FACES = ["Arial, Helvetica, sans-serif", "Verdana", "Georgia, serif",
         "Courier New, monospace", "Times New Roman"]
ALIGNS = ["left", "center", "right"]
VALIGNS = ["top", "middle", "bottom", "baseline"]


def _words(rng, lo, hi):
    n = rng.randint(lo, hi)
    out = []
    for _ in range(n):
        r = rng.random()
        if r < 0.06:
            out.append(rng.choice(NON_ASCII_WORDS))
        elif r < 0.08:
            out.append(rng.choice(ENTITY_BITS))
        else:
            out.append(rng.choice(WORDS))
    return " ".join(out)


def _plain(rng, lo, hi):
    """Words without character references, for attribute values."""
    return " ".join(rng.choice(WORDS) if rng.random() < 0.95
                    else rng.choice(NON_ASCII_WORDS)
                    for _ in range(rng.randint(lo, hi)))


def _title(rng):
    return _words(rng, 2, 6).capitalize()


def _inline(rng, lo=12, hi=60):
    """Text with a sprinkle of inline markup (always well-formed)."""
    parts = []
    for _ in range(rng.randint(2, 6)):
        parts.append(_words(rng, lo // 3, hi // 3))
        k = rng.randrange(12)
        w = _words(rng, 1, 4)
        if k == 0:
            parts.append("<b>%s</b>" % w)
        elif k == 1:
            parts.append("<i>%s</i>" % w)
        elif k == 2:
            parts.append("<em>%s</em>" % w)
        elif k == 3:
            parts.append("<strong>%s</strong>" % w)
        elif k == 4:
            parts.append('<a href="/archive/%d.html">%s</a>'
                         % (rng.randint(1, 999), w))
        elif k == 5:
            parts.append("<code>%s</code>" % w)
        elif k == 6:
            parts.append('<span class="note">%s</span>' % w)
        elif k == 7:
            parts.append("<br />")
        elif k == 8:
            parts.append('<font color="%s">%s</font>' % (rng.choice(COLORS), w))
        elif k == 9:
            parts.append('<span lang="fr" xml:lang="fr">%s</span>' % w)
        elif k == 10:
            parts.append("<u>%s</u>" % w)
        else:
            parts.append('<abbr title="%s">%s</abbr>'
                         % (_plain(rng, 2, 4),
                            rng.choice(WORDS)))
    return " ".join(parts)


def _wrap(text, width=76):
    """Break text into lines of about `width` columns, never inside a tag."""
    lines, cur, in_tag = [], "", False
    for tok in text.split(" "):
        if cur and not in_tag and len(cur) + 1 + len(tok) > width:
            lines.append(cur)
            cur = tok
        else:
            cur = tok if not cur else cur + " " + tok
        lt, gt = tok.rfind("<"), tok.rfind(">")
        if lt > gt:
            in_tag = True
        elif gt > lt:
            in_tag = False
    lines.append(cur)
    return "\n".join(lines)


def _b_paragraph(rng):
    align = rng.choice(["", "", "", ' align="%s"' % rng.choice(ALIGNS)])
    return "<p%s>%s</p>\n" % (align, _wrap(_inline(rng)))


def _b_long_line(rng):
    # one very long line: several kilobytes without a line break
    body = " ".join(_inline(rng, 30, 90).replace("\n", " ")
                    for _ in range(rng.randint(6, 20)))
    return "<p>%s</p>\n" % body


def _b_comment(rng):
    k = rng.randrange(4)
    if k == 0:
        return "<!-- %s -->\n" % _words(rng, 3, 12).replace("-", " ")
    if k == 1:
        return ("<!--\n  layout note: the old page had a <table> with a <tfoot>"
                " here;\n  %s\n-->\n" % _words(rng, 4, 14).replace("-", " "))
    if k == 2:
        return '<!--#include virtual="/footer.html" -->\n'
    return "<!-- begin section %s -->\n" % MARK


def _b_font_center(rng):
    return ('<center>\n  <font color="%s" size="%d" face="%s">%s</font>\n'
            "</center>\n" % (rng.choice(COLORS), rng.randint(1, 7),
                             rng.choice(FACES), _words(rng, 3, 12)))


def _b_tt_big(rng):
    return ("<p><tt>%s</tt> %s <big>%s</big> <small>%s</small> "
            "<strike>%s</strike> <s>%s</s></p>\n"
            % (_words(rng, 1, 3), _words(rng, 5, 20), _words(rng, 1, 4),
               _words(rng, 1, 4), _words(rng, 1, 3), _words(rng, 1, 2)))


def _b_heading_anchor(rng):
    lvl = rng.randint(2, 4)
    if rng.random() < 0.5:
        return ('<a name="n%s"></a>\n<h%d>%s</h%d>\n'
                % (MARK, lvl, _title(rng), lvl))
    return ('<h%d><a name="s%s" id="s%s">%s</a></h%d>\n'
            % (lvl, MARK, MARK, _title(rng), lvl))


def _b_table(rng):
    rows = rng.randint(2, 12)
    cols = rng.randint(2, 6)
    out = ['<table border="%d" cellpadding="%d" cellspacing="%d" width="%s"'
           ' bgcolor="%s" summary="%s">\n'
           % (rng.randint(0, 2), rng.randint(0, 6), rng.randint(0, 3),
              rng.choice(["100%", "80%", "600", "75%"]), rng.choice(COLORS),
              _plain(rng, 2, 5))]
    if rng.random() < 0.4:
        out.append("  <caption>%s</caption>\n" % _title(rng))
    out.append('  <thead>\n    <tr bgcolor="%s">' % rng.choice(COLORS))
    for _ in range(cols):
        out.append('<th align="%s">%s</th>' % (rng.choice(ALIGNS),
                                                _words(rng, 1, 2)))
    out.append("</tr>\n  </thead>\n")
    if rng.random() < 0.3:
        out.append('  <tfoot>\n    <tr><td colspan="%d" align="center">'
                   "%s</td></tr>\n  </tfoot>\n" % (cols, _words(rng, 2, 6)))
    out.append("  <tbody>\n")
    for r in range(rows):
        attrs = ' valign="%s"' % rng.choice(VALIGNS)
        if r % 2:
            attrs += ' bgcolor="%s"' % rng.choice(COLORS)
        if rng.random() < 0.3:
            attrs += ' align="%s"' % rng.choice(ALIGNS)
        out.append("    <tr%s>\n" % attrs)
        for c in range(cols):
            ca = ""
            if rng.random() < 0.3:
                ca += ' align="%s"' % rng.choice(ALIGNS)
            if rng.random() < 0.15:
                ca += ' valign="%s"' % rng.choice(VALIGNS)
            if rng.random() < 0.1:
                ca += ' nowrap="nowrap"'
            if rng.random() < 0.1:
                ca += ' width="%d"' % rng.randint(20, 200)
            if rng.random() < 0.1:
                ca += ' bgcolor="%s"' % rng.choice(COLORS)
            out.append("      <td%s>%s</td>\n" % (ca, _words(rng, 1, 6)))
        out.append("    </tr>\n")
    out.append("  </tbody>\n</table>\n")
    return "".join(out)


def _b_list(rng):
    items = rng.randint(2, 9)
    k = rng.randrange(3)
    if k == 0:
        t = rng.choice(["disc", "circle", "square"])
        out = ['<ul type="%s">\n' % t]
        end = "</ul>\n"
    elif k == 1:
        t = rng.choice(["1", "a", "A", "i", "I"])
        out = ['<ol type="%s" start="%d">\n' % (t, rng.randint(1, 9))]
        end = "</ol>\n"
    else:
        out = ["<dl>\n"]
        for _ in range(items):
            out.append("  <dt>%s</dt>\n  <dd>%s</dd>\n"
                       % (_title(rng), _inline(rng, 6, 20)))
        out.append("</dl>\n")
        return "".join(out)
    for _ in range(items):
        extra = ""
        if rng.random() < 0.1:
            extra = ' value="%d"' % rng.randint(1, 50) if k == 1 else \
                ' type="%s"' % rng.choice(["disc", "circle", "square"])
        out.append("  <li%s>%s</li>\n" % (extra, _inline(rng, 3, 15)))
    out.append(end)
    return "".join(out)


def _b_image(rng):
    out = ('<p><img src="/images/photo%04d.jpg" alt="%s" width="%d" '
           'height="%d" border="0" align="%s" hspace="%d" vspace="%d" />\n%s</p>\n'
           % (rng.randint(1, 9999), _plain(rng, 2, 5),
              rng.randint(40, 640), rng.randint(40, 480),
              rng.choice(["left", "right", "middle", "top"]),
              rng.randint(0, 10), rng.randint(0, 10), _inline(rng, 6, 24)))
    if rng.random() < 0.5:
        out += '<br clear="%s" />\n' % rng.choice(["all", "left", "right"])
    return out


def _b_form(rng):
    return (
        '<form action="/search" method="%s">\n'
        "  <fieldset>\n"
        "    <legend>%s</legend>\n"
        '    <label for="q%s">Search:</label>\n'
        '    <input type="text" name="q" id="q%s" size="%d" maxlength="80" '
        'value="%s" />\n'
        '    <input type="checkbox" name="all" id="all%s" value="1"%s />'
        ' <label for="all%s">all years</label>\n'
        '    <select name="year">\n'
        '      <option value="2009">2009</option>\n'
        '      <option value="2010" selected="selected">2010</option>\n'
        "    </select>\n"
        '    <textarea name="note" rows="2" cols="30"%s>%s</textarea>\n'
        '    <input type="submit" value="Go" />%s\n'
        "  </fieldset>\n"
        "</form>\n"
        % (rng.choice(["get", "post"]), _title(rng), MARK, MARK,
           rng.randint(10, 40), rng.choice(WORDS), MARK,
           rng.choice(["", ' checked="checked"']), MARK,
           rng.choice(["", ' readonly="readonly"']), _words(rng, 0, 5),
           rng.choice(["", ' <input type="reset" value="Clear" disabled="disabled" />'])))


def _b_php(rng):
    k = rng.randrange(3)
    if k == 0:
        return "<p>Updated: <?php echo $x; ?></p>\n"
    if k == 1:
        return "<?php echo $x; ?>\n"
    return "<div><?php include 'sidebar.php'; ?>%s</div>\n" % _words(rng, 2, 8)


def _b_misc(rng):
    k = rng.randrange(6)
    if k == 0:
        return '<hr size="%d" noshade="noshade" />\n' % rng.randint(1, 4)
    if k == 1:
        return ('<div align="%s">%s</div>\n'
                % (rng.choice(ALIGNS), _inline(rng, 4, 20)))
    if k == 2:
        return "<blockquote>\n  <p>%s</p>\n</blockquote>\n" % _inline(rng, 8, 30)
    if k == 3:
        return ("<pre>\n  %s\n    %s\n</pre>\n"
                % (_words(rng, 3, 8), _words(rng, 3, 8)))
    if k == 4:
        return ('<script type="text/javascript">\n//<![CDATA[\n'
                "if (a < b && c > d) { document.title = \"%s\"; }\n"
                "//]]>\n</script>\n" % rng.choice(WORDS))
    return ('<p><acronym title="%s">%s</acronym> %s</p>\n'
            % (_plain(rng, 2, 4),
               rng.choice(["NASA", "HTML", "WWW", "EU", "UTC"]),
               _words(rng, 4, 14)))


# (weight, builder)
BLOCKS = [
    (30, _b_paragraph),
    (3, _b_long_line),
    (6, _b_comment),
    (5, _b_font_center),
    (6, _b_tt_big),
    (8, _b_heading_anchor),
    (7, _b_table),
    (7, _b_list),
    (5, _b_image),
    (3, _b_form),
    (3, _b_php),
    (8, _b_misc),
]


def prologue():
    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        '<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN"\n'
        '  "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">\n'
        '<html xmlns="http://www.w3.org/1999/xhtml" xml:lang="en" lang="en">\n'
        "<head>\n"
        '<meta http-equiv="Content-Type" content="text/html; charset=utf-8" />\n'
        "<title>Club archive – every report since 1998</title>\n"
        '<link rel="stylesheet" type="text/css" href="/css/archive.css" />\n'
        "</head>\n"
        '<body bgcolor="#ffffff" text="#000000" link="#336699" vlink="#663399">\n'
        '<a name="top"></a>\n'
    ).encode("utf-8")


def epilogue():
    return ('<p align="center"><a href="#top">Back to top</a></p>\n'
            "</body>\n</html>\n").encode("utf-8")


def build_pool():
    rng = random.Random(SEED)
    builders = [b for _, b in BLOCKS]
    weights = [w for w, _ in BLOCKS]
    pool = []
    for _ in range(POOL_SIZE):
        b = rng.choices(builders, weights)[0]
        pool.append(b(rng).encode("utf-8"))
    return pool


def generate(path, size_bytes):
    """Write the document to `path`; return its size in bytes."""
    pool = build_pool()
    pick = random.Random(SEED + 1)
    head, tail = prologue(), epilogue()
    limit = max(size_bytes - len(tail), 0)
    mark = MARK.encode()
    total = 0
    n = 0
    with open(path, "wb") as f:
        f.write(head)
        total += len(head)
        chunk = []
        chunk_len = 0
        while total < limit:
            block = pool[pick.randrange(POOL_SIZE)]
            if mark in block:
                n += 1
                block = block.replace(mark, str(n).encode())
            chunk.append(block)
            chunk_len += len(block)
            total += len(block)
            if chunk_len >= 1 << 20:
                f.write(b"".join(chunk))
                chunk, chunk_len = [], 0
        f.write(b"".join(chunk))
        f.write(tail)
        total += len(tail)
    return total


# ---------------------------------------------------------------------------
# Runner
# ---------------------------------------------------------------------------

# Run by a fresh `python3 -I -S` process. It forks and execs the measured
# command, waits for it with wait4(), and prints
# "exit_code wall_ns maxrss user_s sys_s". wait4() returns the resource use
# of that one child, so the peak memory belongs to the measured process.
# Exec records the pre-exec image's peak as well, so the figure has a floor
# (this small launcher's size, a few MB); see bench/README.md.
WRAPPER = r"""
import os, sys, time
out_path, err_path = sys.argv[1], sys.argv[2]
cmd = sys.argv[3:]
fin = os.open(os.devnull, os.O_RDONLY)
fout = os.open(out_path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
ferr = os.open(err_path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
t0 = time.perf_counter_ns()
pid = os.fork()
if pid == 0:
    try:
        os.dup2(fin, 0)
        os.dup2(fout, 1)
        os.dup2(ferr, 2)
        os.execv(cmd[0], cmd)
    except BaseException as e:
        os.write(2, ("cannot run %r: %s\n" % (cmd[0], e)).encode())
    os._exit(127)
_, status, ru = os.wait4(pid, 0)
t1 = time.perf_counter_ns()
sys.stdout.write("%d %d %d %.6f %.6f\n" % (
    os.waitstatus_to_exitcode(status), t1 - t0, ru.ru_maxrss,
    ru.ru_utime, ru.ru_stime))
"""


class Measurement:
    def __init__(self, code, wall, maxrss_bytes, user, system, stdout, stderr):
        self.code = code
        self.wall = wall
        self.maxrss = maxrss_bytes
        self.user = user
        self.system = system
        self.stdout = stdout
        self.stderr = stderr


def measure(cmd, scratch, discard_stdout=False, stdout_path=None,
            discard_stderr=False):
    out_path = stdout_path or (os.devnull if discard_stdout
                               else os.path.join(scratch, "run.out"))
    err_path = os.devnull if discard_stderr else os.path.join(scratch, "run.err")
    proc = subprocess.run(
        [sys.executable, "-I", "-S", "-c", WRAPPER, out_path, err_path] + cmd,
        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
        stderr=subprocess.PIPE, check=False)
    if proc.returncode != 0:
        sys.exit("bench: the measuring wrapper failed:\n"
                 + proc.stderr.decode("utf-8", "replace"))
    code, wall_ns, maxrss, user, system = proc.stdout.split()
    maxrss = int(maxrss)
    # ru_maxrss is in kilobytes on Linux and in bytes on macOS
    maxrss_bytes = maxrss if sys.platform == "darwin" else maxrss * 1024

    def slurp(p):
        if p == os.devnull or p == stdout_path:
            return ""
        with open(p, "rb") as f:
            return f.read().decode("utf-8", "replace")

    return Measurement(int(code), int(wall_ns) / 1e9, maxrss_bytes,
                       float(user), float(system), slurp(out_path),
                       slurp(err_path))


def find_program(p):
    if os.sep in p:
        full = os.path.abspath(p)
    else:
        full = shutil.which(p)
    if not full or not os.path.isfile(full) or not os.access(full, os.X_OK):
        sys.exit("bench: %r not found or not executable" % p)
    return full


def describe_exit(code):
    if code < 0:
        return "was killed by signal %d" % -code
    return "exited with status %d" % code


def fmt_runs(values, unit="s"):
    return " ".join("%.3f" % v for v in values) + " " + unit


def main(argv=None):
    ap = argparse.ArgumentParser(
        description="Benchmark Quorlix on one large generated XHTML 1.0 "
                    "Transitional document against HTML Tidy and `cp`, and "
                    "on a site of many small pages.")
    ap.add_argument("--quorlix", metavar="PATH",
                    help="the quorlix binary to measure (required unless "
                         "--generate-only)")
    ap.add_argument("--size-mb", type=float, default=40.0, metavar="N",
                    help="document size in MB (1 MB = 10^6 bytes; default 40)")
    ap.add_argument("--runs", type=int, default=3, metavar="R",
                    help="number of timed runs of each command (default 3)")
    ap.add_argument("--workdir", metavar="DIR",
                    help="scratch directory to use (default: a fresh "
                         "temporary directory)")
    ap.add_argument("--keep", action="store_true",
                    help="keep the scratch directory and its files")
    ap.add_argument("--generate-only", action="store_true",
                    help="only write the document (to the scratch "
                         "directory) and print its path; implies --keep")
    ap.add_argument("--no-tidy", action="store_true",
                    help="leave HTML Tidy out (when it is not installed)")
    ap.add_argument("--site-pages", type=int, default=2000, metavar="N",
                    help="pages of the site run (default 2000; 0 leaves the "
                         "site run out)")
    ap.add_argument("--site-timing", metavar="PATH",
                    help="the helper built from bench/site_timing.cpp "
                         "(default: bench/site_timing in the converter's "
                         "build directory)")
    args = ap.parse_args(argv)

    if args.size_mb <= 0:
        ap.error("--size-mb must be positive")
    if args.runs < 1:
        ap.error("--runs must be at least 1")
    if not args.generate_only and not args.quorlix:
        ap.error("--quorlix PATH is required (or use --generate-only)")
    if args.site_pages < 0:
        ap.error("--site-pages must not be negative")

    tools = {}
    if not args.generate_only:
        tools["quorlix"] = find_program(args.quorlix)
        tools["cp"] = shutil.which("cp") or sys.exit("bench: `cp` not found on PATH")
        if not args.no_tidy:
            tools["tidy"] = shutil.which("tidy") or sys.exit(
                "bench: `tidy` not found (Debian package tidy; scripts/setup.sh "
                "installs it), or use --no-tidy")
        if args.site_pages:
            tools["site_timing"] = find_program(
                args.site_timing or os.path.join(os.path.dirname(tools["quorlix"]),
                                                 "bench", "site_timing"))

    if args.workdir:
        os.makedirs(args.workdir, exist_ok=True)
        scratch = os.path.abspath(args.workdir)
    else:
        scratch = tempfile.mkdtemp(prefix="quorlix-bench-")
    keep = args.keep or args.generate_only or bool(args.workdir)

    try:
        status = run(args, tools, scratch)
        if status == 0 and not args.generate_only and args.site_pages:
            status = run_site(args, tools, scratch)
        return status
    finally:
        if not keep:
            shutil.rmtree(scratch, ignore_errors=True)


def median_of(values):
    return statistics.median(values) if values else float("nan")


def verdict(ok):
    return "met" if ok else "NOT met"


def run(args, tools, scratch):
    doc = os.path.join(scratch, "document.html")
    t0 = time.perf_counter()
    size = generate(doc, int(args.size_mb * MB))
    gen_time = time.perf_counter() - t0
    size_mb = size / MB

    if args.generate_only:
        print("wrote %s: %.2f MB (%d bytes) in %.2f s"
              % (doc, size_mb, size, gen_time))
        return 0

    quorlix = tools["quorlix"]
    print("Quorlix benchmark")
    print("  converter       %s" % quorlix)
    print("  document        %.2f MB (%d bytes), XHTML 1.0 Transitional, "
          "generated in %.2f s" % (size_mb, size, gen_time))
    sys.stdout.flush()

    conv, tidies, copies = [], [], []
    work = os.path.join(scratch, "convert-me.html")
    tidy_out = os.path.join(scratch, "tidy-out.html")
    copy = os.path.join(scratch, "copy.html")
    for i in range(args.runs):
        # a fresh copy each run: the converter rewrites its input in place
        shutil.copyfile(doc, work)
        m = measure([quorlix, "--no-backup", "-q", work], scratch)
        if m.code != 0:
            print("  run %d: the converter %s" % (i + 1, describe_exit(m.code)))
            if m.stdout:
                print("---- converter stdout ----")
                print(m.stdout.rstrip("\n"))
            if m.stderr:
                print("---- converter stderr ----")
                print(m.stderr.rstrip("\n"))
            print("bench: FAILED: `%s --no-backup -q FILE` %s"
                  % (quorlix, describe_exit(m.code)), file=sys.stderr)
            return 1
        if i == 0:
            out_size = os.path.getsize(work)
        conv.append(m)
        if "tidy" in tools:
            # Tidy writes the cleaned document to its standard output (a file
            # here, as the converter writes one) and its diagnostics to
            # standard error, which are discarded. Its status is 1 or 2 when
            # it had warnings or errors to report.
            t = measure([tools["tidy"], "-q", "-clean", "--doctype", "html5", doc],
                        scratch, stdout_path=tidy_out, discard_stderr=True)
            if t.code not in (0, 1, 2) or os.path.getsize(tidy_out) == 0:
                print("bench: FAILED: tidy %s, %d bytes of output"
                      % (describe_exit(t.code), os.path.getsize(tidy_out)),
                      file=sys.stderr)
                return 1
            tidies.append(t)
        if os.path.exists(copy):
            os.remove(copy)
        k = measure([tools["cp"], doc, copy], scratch)
        if k.code != 0:
            print("bench: FAILED: `cp FILE COPY` %s:\n%s"
                  % (describe_exit(k.code), k.stderr.rstrip("\n")),
                  file=sys.stderr)
            return 1
        copies.append(k)

    c_time = median_of([m.wall for m in conv])
    c_cpu = median_of([m.user + m.system for m in conv])
    c_peak = max(m.maxrss for m in conv)
    k_time = median_of([m.wall for m in copies])
    k_peak = max(m.maxrss for m in copies)
    c_speed = size_mb / c_time
    k_speed = size_mb / k_time

    print("  output          %.2f MB (%d bytes) after run 1"
          % (out_size / MB, out_size))
    print("  runs            %d of each command" % args.runs)
    print("  converter       median %.3f s -> %.1f MB/s   (runs: %s; "
          "median user+sys %.3f s)"
          % (c_time, c_speed, fmt_runs([m.wall for m in conv]), c_cpu))
    if tidies:
        t_time = median_of([m.wall for m in tidies])
        t_speed = size_mb / t_time
        print("  HTML Tidy       median %.3f s -> %.1f MB/s   (runs: %s; "
              "peak memory %.1f MB)"
              % (t_time, t_speed, fmt_runs([m.wall for m in tidies]),
                 max(m.maxrss for m in tidies) / MB))
    print("  cp              median %.3f s -> %.1f MB/s   (runs: %s)"
          % (k_time, k_speed, fmt_runs([m.wall for m in copies])))
    note = ""
    if c_peak <= k_peak * 1.05:
        note = "  <- at the floor: the converter's true peak is at most this"
    print("  peak memory     %.1f MB = %.3f x document size   (runs: %s)%s"
          % (c_peak / MB, c_peak / size,
             fmt_runs([m.maxrss / MB for m in conv], "MB"), note))
    print("  memory floor    %.1f MB (peak reported for cp, same method)"
          % (k_peak / MB))
    print("  targets")
    if tidies:
        print("    converter / Tidy   %7.2f   (at least 25: %s)"
              % (c_speed / t_speed, verdict(c_speed >= 25 * t_speed)))
    print("    converter / cp     %7.4f   (at least 0.25: %s)"
          % (c_speed / k_speed, verdict(c_speed >= 0.25 * k_speed)))
    print("    peak / document    %7.3f   (at most 3: %s)"
          % (c_peak / size, verdict(c_peak <= 3 * size)))
    print("  method          median wall time of %d runs each (fresh copy per "
          "converter run, file in page cache); peak RSS via wait4() of the "
          "measured process, max over runs; 1 MB = 10^6 bytes" % args.runs)
    sys.stdout.flush()
    return 0


# ---------------------------------------------------------------------------
# Site run
# ---------------------------------------------------------------------------

SITE_DIRS = 40  # the pages are spread over this many directories (and the top)


def generate_site(root, pages):
    """Writes `pages` small pages (about 2 to 15 KB each) below root; returns
    their paths in the order of the site walk and their total size."""
    pool = build_pool()
    pick = random.Random(SEED + 2)
    head, tail = prologue(), epilogue()
    mark = MARK.encode()
    n = 0
    total = 0
    for i in range(pages):
        directory = root if i % (SITE_DIRS + 1) == 0 else \
            os.path.join(root, "section%02d" % (i % (SITE_DIRS + 1)))
        os.makedirs(directory, exist_ok=True)
        blocks = []
        for _ in range(pick.randint(2, 10)):
            block = pool[pick.randrange(POOL_SIZE)]
            if mark in block:
                n += 1
                block = block.replace(mark, str(n).encode())
            blocks.append(block)
        data = head + b"".join(blocks) + tail
        with open(os.path.join(directory, "page%04d.html" % i), "wb") as f:
            f.write(data)
        total += len(data)
    return walk_order(root), total


def walk_order(root):
    """The pages in the order of the site walk: a directory's own pages by
    name, then its subdirectories by name."""
    names = sorted(os.listdir(root))
    out = [os.path.join(root, n) for n in names
           if n.endswith(".html") and os.path.isfile(os.path.join(root, n))]
    for n in names:
        if os.path.isdir(os.path.join(root, n)):
            out += walk_order(os.path.join(root, n))
    return out


def run_site(args, tools, scratch):
    quorlix, timing = tools["quorlix"], tools["site_timing"]
    pristine = os.path.join(scratch, "site")
    pages, total = generate_site(pristine, args.site_pages)
    count = len(pages)
    print("Site run")
    print("  site            %d pages, %.2f MB in all (%.1f KB a page), "
          "%d directories" % (count, total / MB, total / count / 1000,
                              SITE_DIRS + 1))
    sys.stdout.flush()

    # Every run works on fresh copies in directories of their own, removed
    # only at the end: on ext4 a file created soon after many were removed
    # waits for the allocator to pass over their inodes, which would weigh
    # on both sides of the comparison.
    runs, in_process, starts = [], [], []
    for i in range(args.runs):
        # The real run.
        site = os.path.join(scratch, "site-run%d" % i)
        shutil.copytree(pristine, site)
        m = measure([quorlix, "-q", "--site", site], scratch)
        converted = sum(1 for p in walk_order(site)
                        if os.path.exists(p + ".bak"))
        if m.code != 0 or converted != count:
            print("bench: FAILED: the site run %s and converted %d of %d pages"
                  % (describe_exit(m.code), converted, count), file=sys.stderr)
            return 1
        runs.append(m.wall)
        # The same pages converted in one process.
        site = os.path.join(scratch, "site-in-process%d" % i)
        shutil.copytree(pristine, site)
        listing = os.path.join(scratch, "pages.txt")
        with open(listing, "w") as f:
            f.write("".join(p.replace(pristine, site, 1) + "\n" for p in pages))
        t = measure([timing, "convert", listing, os.path.join(scratch, "in-process.log")],
                    scratch)
        fields = t.stdout.split()
        if t.code != 0 or len(fields) != 3 or int(fields[1]) != count:
            print("bench: FAILED: site_timing convert: %s %s"
                  % (t.stdout.strip(), t.stderr.strip()), file=sys.stderr)
            return 1
        in_process.append(float(fields[2]))
        # Starting and ending the program as often, doing nothing else.
        s = measure([timing, "spawn", str(count), quorlix, "--version"], scratch)
        if s.code != 0:
            print("bench: FAILED: site_timing spawn: %s" % s.stderr.strip(),
                  file=sys.stderr)
            return 1
        starts.append(float(s.stdout.split()[1]))

    run_time, conv_time, start_time = (median_of(runs), median_of(in_process),
                                       median_of(starts))
    # Each run's difference is taken with the in-process conversion measured
    # right after it, under the same conditions of the machine.
    overhead = median_of([r - c for r, c in zip(runs, in_process)]) / count
    start = start_time / count
    print("  site run        median %.3f s = %.3f ms a page   (runs: %s)"
          % (run_time, run_time / count * 1000, fmt_runs(runs)))
    print("  in one process  median %.3f s = %.3f ms a page   (runs: %s)"
          % (conv_time, conv_time / count * 1000, fmt_runs(in_process)))
    print("  beyond the conversion  %.3f ms a page   (at most 2 ms: %s; "
          "median of the runs' differences)"
          % (overhead * 1000, verdict(overhead <= 0.002)))
    print("    of which a process start and end  %.3f ms   "
          "(`quorlix --version`, %d times: %s)"
          % (start * 1000, count, fmt_runs(starts)))
    print("    the rest (block, pipe, walk, log, a converter's own start-up)"
          "  %.3f ms" % ((overhead - start) * 1000))
    print("  method          median of %d runs each: `quorlix -q --site DIR` "
          "on a fresh copy, wall time; the same pages in the same order "
          "converted by convert_file() in one process (site_timing convert), "
          "its own timer; the difference per page is the time beyond the "
          "conversion itself; 1 KB = 1000 bytes" % args.runs)
    return 0


if __name__ == "__main__":
    sys.exit(main())
