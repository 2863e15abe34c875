#!/usr/bin/env python3
"""The manual page and the bash completion against the program itself.

    docs_test.py PROGRAM MANPAGE COMPLETION

The manual page must render without a warning (groff -man -ww, and
man --warnings where man is installed) and describe exactly the options
that --help lists; the completion must offer exactly those options too,
the kinds of --no-warn, and file or directory names where the command line
expects them.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

OPTION = re.compile(r"(?<![\w-])--?[A-Za-z0-9][A-Za-z0-9-]*")


def option_names(lines):
    """The options named at the start of option lines: "  -e, --ext EXT  text"."""
    names = set()
    for line in lines:
        match = re.match(r"^\s+(-\S.*?)(?:\s{2,}|$)", line)
        if match:
            names.update(OPTION.findall(match.group(1)))
    return names


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


def man_options(man_page):
    text = run(["groff", "-man", "-Tascii", "-P-cbou", man_page], check=True).stdout
    section = re.search(r"^OPTIONS\n(.*?)^\S", text, re.S | re.M)
    # The tags of the option paragraphs stand 7 columns in.
    return option_names(line for line in section.group(1).splitlines()
                        if re.match(r"^ {7}-", line)) if section else set()


def complete(completion, directory, words):
    """What the completion offers for the last of words, in directory."""
    script = ('source "$1"; shift; cd "$1"; shift; COMP_WORDS=("$@"); '
              'COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _quorlix; '
              'printf "%s\\n" "${COMPREPLY[@]}"')
    out = run(["bash", "-c", script, "-", completion, directory, *words], check=True).stdout
    return set(out.splitlines()) - {""}


failures = []


def check(name, ok, detail=""):
    print(("ok   " if ok else "FAIL ") + name + ("" if ok else f": {detail}"))
    if not ok:
        failures.append(name)


def main():
    program, man_page, completion = sys.argv[1:4]
    options = option_names(run([program, "--help"], check=True).stdout.splitlines())
    check("--help lists options", len(options) > 10, sorted(options))
    renderers = [("groff renders the manual page without a warning",
                  ["groff", "-man", "-ww", "-z", man_page])]
    if shutil.which("man"):
        renderers.append(("man --warnings renders it without a warning",
                          ["man", "--warnings", "-l", man_page]))
    for what, command in renderers:
        rendered = run(command, env=dict(os.environ, MANWIDTH="80", MANPAGER="cat"))
        check(what, rendered.returncode == 0 and not rendered.stderr, rendered.stderr)

    in_man = man_options(man_page)
    check("the manual page describes every option of --help", options <= in_man,
          f"missing: {sorted(options - in_man)}")
    check("the manual page describes no option that --help lacks", in_man <= options,
          f"extra: {sorted(in_man - options)}")

    with tempfile.TemporaryDirectory() as scratch:
        for name in ("page.html", "-dash.html"):
            open(os.path.join(scratch, name), "w").close()
        for name in ("site", "site2"):
            os.mkdir(os.path.join(scratch, name))
        kinds = {"element-replaced", "name-to-id", "frame-attribute", "center-alignment",
                 "charset", "all"}
        dirs = {"site", "site2"}
        everything = {"page.html", "-dash.html"} | dirs
        cases = [  # (what, words, expected)
            ("every option of --help", ["quorlix", "-"], options),
            ("a long option from its start", ["quorlix", "--no-w"], {"--no-warn"}),
            ("the kinds of --no-warn", ["quorlix", "--no-warn", ""], kinds),
            ("a kind from its start", ["quorlix", "--no-warn", "c"], {"center-alignment", "charset"}),
            ("a kind after --no-warn=", ["quorlix", "--no-warn", "=", "ch"], {"charset"}),
            ("a kind in one word with --no-warn=", ["quorlix", "--no-warn=fr"], {"frame-attribute"}),
            ("directories for --site", ["quorlix", "--site", ""], dirs),
            ("directories for -o", ["quorlix", "-o", "s"], dirs),
            ("directories for --exclude", ["quorlix", "--site", "site", "--exclude", ""], dirs),
            ("directories for -x", ["quorlix", "-x", ""], dirs),
            ("files and directories for --log", ["quorlix", "--log", ""], everything),
            ("files after --log=", ["quorlix", "--log", "=", "p"], {"page.html"}),
            ("files and directories for --files-from", ["quorlix", "--files-from", ""], everything),
            ("nothing for a number of jobs", ["quorlix", "-j", ""], set()),
            ("files and directories as FILE", ["quorlix", "--force", ""], everything),
            ("a FILE from its start", ["quorlix", "pa"], {"page.html"}),
            ("a name starting with a dash after --", ["quorlix", "--", "-"], {"-dash.html"}),
            ("nothing for an extension", ["quorlix", "--ext", ""], set()),
        ]
        for what, words, expected in cases:
            got = complete(completion, scratch, words)
            check("completion: " + what, got == expected,
                  f"{words} gave {sorted(got)}, expected {sorted(expected)}")

    print(f"documentation checks: {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
