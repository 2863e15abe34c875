#!/usr/bin/env python3
"""Measures how many planted faults the test suite catches.

Each fault of the table is one exact text replacement in one file of src/.
For every fault in turn the tool copies the working tree's sources and tests
into a scratch tree (once; later faults reuse its build), applies the fault
there, builds the linux preset and runs ctest until the first failure, then
puts the file back (also on Ctrl-C or SIGTERM). With --scratch naming the
working tree itself the faults are applied there, in place, and undone the
same way.

    python3 scripts/planted_faults.py                 # every fault
    python3 scripts/planted_faults.py fsync backup    # faults whose name holds a word
    python3 scripts/planted_faults.py --list

The ctest selection defaults to -LE 'rendering|gui|slow|html5|package'
(--labels-excluded changes it). Prints one line per fault: caught or MISSED,
and the first failing test. Exit status 1 when a fault was missed.
"""

import argparse
import os
import pathlib
import re
import shutil
import signal
import subprocess
import sys
import time

# name, file under src/, text as it is, text with the fault.
FAULTS = [
    # rewriter
    ("file-input-flag-kept", "rewriter/form_rules.cpp",
     "begin_copied_tag(d, text);\n    d.forms.is_file_input = false;",
     "begin_copied_tag(d, text);"),
    ("border-zero-css-dropped", "rewriter/form_rules.cpp",
     '            add_css(d, "border:0;");\n', ""),
    ("name-to-id-warning-lost", "rewriter/rule_actions.cpp",
     "d.diagnostics.warning_name_to_id(element);", ";"),
    ("charset-warning-lost", "rewriter/head_rules.cpp",
     "d.diagnostics.warning_charset(name);", ";"),
    ("transparent-colour-kept", "rewriter/attribute_values.cpp",
     'if (equal_ignoring_case(value, "transparent")) return std::nullopt;', ";"),
    ("font-size-not-relative-to-three", "rewriter/attribute_values.cpp",
     "sign == '+' ? 3 + *number", "sign == '+' ? *number"),
    ("hr-size-borders-not-taken-off", "rewriter/table_rules.cpp",
     "std::to_string(size - 2)", "std::to_string(size)"),
    ("borderless-table-hidden-again", "rewriter/table_rules.cpp",
     "} else if (t.rules_seen && !visible_border) {", "} else if (!visible_border) {"),
    ("content-language-lang-lost", "rewriter/head_rules.cpp",
     "if (!language.empty() && !d.head_tags.html_lang_given) {", "if (false) {"),
    ("generated-class-name-unchecked", "rewriter/rule_actions.cpp",
     "    if (name.empty()) return;\n", "    return;\n"),
    # styles
    ("author-rules-not-zero-specificity", "styles/style_registry.cpp",
     'style_text_ += ":where(";', 'style_text_ += ":is(";'),
    ("class-number-off-by-one", "styles/style_registry.cpp",
     "class_name_ += std::to_string(class_counter_);",
     "class_name_ += std::to_string(class_counter_ + 1);"),
    ("class-limit-off-by-one", "styles/style_registry.cpp",
     "if (class_counter_ >= class_limit)", "if (class_counter_ > class_limit)"),
    ("nobr-declaration-dropped", "rewriter/element_rules.cpp",
     '"nobr", "white-space:nowrap;"', '"nobr", ""'),
    # output
    ("viewport-dropped-without-charset", "output/final_write.cpp",
     "if ((head.charset_declaration || head.viewport_element) && out.head_position() != 0)",
     "if (head.charset_declaration && out.head_position() != 0)"),
    ("table-footer-not-moved", "converter/pipeline.cpp",
     "document.table_footer_seen ? table_pass : nullptr", "nullptr"),
    # converter
    ("fsync-before-rename-missing", "converter/pipeline.cpp",
     "(sync_output && !output_file.sync())", "(false && !output_file.sync())"),
    ("temporary-file-leaked", "converter/pipeline.cpp",
     "        file_.close();\n        platform::remove_file(name_);\n", "        file_.close();\n"),
    ("backup-skipped", "converter/pipeline.cpp",
     "!platform::make_backup(names.target, names.backup)) {", "false) {"),
    ("old-backup-not-removed", "converter/pipeline.cpp",
     "same_content(names.backup, names.target)) {\n        platform::remove_file(names.backup);",
     "same_content(names.backup, names.target)) {\n        ;"),
    ("directory-message-text", "base/messages.h",
     '" is a directory, not a page"', '" is a directory"'),
    ("skipped-exit-status", "converter/converter_entry.cpp",
     ": result == conversion_skipped ? exit_skipped", ": result == conversion_skipped ? exit_converted"),
    # supervisor
    ("log-lines-out-of-order", "supervisor/ordered_log.cpp",
     "if (owner_.entries_.front().get() == this) {\n        owner_.log_.write(text);",
     "if (true) {\n        owner_.log_.write(text);"),
    ("failure-counted-as-skip", "supervisor/conversion_run.cpp",
     "            } else {\n                ++counts_.failed;",
     "            } else {\n                ++counts_.skipped;"),
    ("excluded-directory-walked", "supervisor/conversion_run.cpp",
     "if (is_excluded_directory(sub, job_.excluded_dirs)) {", "if (false) {"),
    ("unable-to-map-handle-lost", "supervisor/converter_launch.cpp",
     "block.redirect_result() != 0", "block.redirect_result() > 0"),
    # shell/cli
    ("unreadable-file-list-status", "shell/cli/main.cpp",
     "std::strerror(errno));\n        return 2;", "std::strerror(errno));\n        return 1;"),
    ("failures-exit-zero", "shell/cli/main.cpp",
     "!counts.stopped && counts.failed == 0;", "!counts.stopped;"),
    # platform
    ("c1-bytes-refused", "platform/posix/transcode_posix.cpp",
     "if (error == EILSEQ && undefined_bytes_are_c1(encoding)", "if (false"),
    ("copy-backup-never-tried", "platform/posix/replace_posix.cpp",
     "if (errno == EEXIST) return false;", "return false;"),
    ("partial-copy-left", "platform/posix/replace_posix.cpp",
     "    out.close();\n    ::unlink(path.c_str());\n    return false;", "    out.close();\n    return false;"),
    ("file-mode-not-set", "platform/posix/platform_posix.cpp",
     "return ::chmod(path.c_str(), static_cast<mode_t>(mode)) == 0;", "return true;"),
    # settings_block
    ("charset-before-http-equiv-ignored", "rewriter/head_rules.cpp",
     "if (!name.empty()) meta_charset_name(d, name);", ";"),
    ("charset-scan-needs-http-equiv-first", "converter/declared_charset.cpp",
     'if (name == "content" && !content) content = value;',
     'if (name == "content" && !content && content_type) content = value;'),
    ("status-line-held-for-log-elsewhere", "shell/cli/main.cpp",
     "progress_line.emplace(progress, total, quorlix::platform::is_terminal(stdout));",
     "progress_line.emplace(progress, total, true);"),
    ("viewport-switch-offset", "settings_block/settings_block.cpp",
     "{at::move_viewport_meta, &ConversionOptions::move_viewport_meta},",
     "{at::delete_td_scope, &ConversionOptions::move_viewport_meta},"),
    ("handle-sign-swapped", "settings_block/settings_block.cpp",
     "negative = text[i++] == '-';", "negative = text[i++] == '+';"),
]

EXCLUDED_LABELS = "rendering|gui|slow|html5|package"


def run(command, cwd, log):
    with open(log, "w") as out:
        return subprocess.run(command, cwd=cwd, stdout=out, stderr=subprocess.STDOUT).returncode


def first_failure(log):
    text = pathlib.Path(log).read_text(errors="replace")
    names = re.findall(r"^\s+\d+ - (\S+) \(", text, re.MULTILINE)
    return names[0] if names else "?"


def copy_tree(root, scratch):
    """The files git knows of (as they are now, changed or not) into scratch."""
    listed = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                            cwd=root, check=True, capture_output=True).stdout.decode()
    for name in filter(None, listed.split("\0")):
        source = root / name
        if not source.is_file():
            continue
        target = scratch / name
        if target.is_file() and target.read_bytes() == source.read_bytes():
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(source, target)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("words", nargs="*", help="run only faults whose name holds one of these")
    parser.add_argument("--scratch", default="/tmp/quorlix-planted-faults",
                        help="scratch tree, kept between runs (default %(default)s)")
    parser.add_argument("--labels-excluded", default=EXCLUDED_LABELS)
    parser.add_argument("--list", action="store_true", help="list the faults and stop")
    args = parser.parse_args()

    faults = [f for f in FAULTS if not args.words or any(w in f[0] for w in args.words)]
    if args.list:
        for name, path, _, _ in faults:
            print(f"{name:36} src/{path}")
        return 0

    root = pathlib.Path(__file__).resolve().parent.parent
    scratch = pathlib.Path(args.scratch)
    scratch.mkdir(parents=True, exist_ok=True)
    if scratch.resolve() != root:
        copy_tree(root, scratch)
    logs = scratch / "build" / "fault-logs"
    logs.mkdir(parents=True, exist_ok=True)
    # SIGTERM undoes the fault like Ctrl-C does.
    signal.signal(signal.SIGTERM, lambda *_: (_ for _ in ()).throw(KeyboardInterrupt))

    # Every fault must apply to the sources as they are.
    for name, path, old, _ in faults:
        count = (scratch / "src" / path).read_text().count(old)
        if count != 1:
            print(f"{name}: the text occurs {count} times in src/{path}", file=sys.stderr)
            return 2

    if run(["cmake", "--preset", "linux"], scratch, logs / "configure.log") != 0 or \
       run(["cmake", "--build", "--preset", "linux", "-j2"], scratch, logs / "build.log") != 0:
        print(f"the unfaulted tree does not build: {logs}", file=sys.stderr)
        return 2
    # A fault is only caught if the suite passes without it.
    if run(["ctest", "--preset", "linux", "-j2", "-LE", args.labels_excluded],
           scratch, logs / "unfaulted.test.log") != 0:
        print(f"the suite fails without a fault: {logs / 'unfaulted.test.log'}", file=sys.stderr)
        return 2

    missed = 0
    print(f"{'fault':36} {'result':8} {'first failing test'}")
    for name, path, old, new in faults:
        source = scratch / "src" / path
        original = source.read_text()
        started = time.monotonic()
        try:
            source.write_text(original.replace(old, new))
            build_log, test_log = logs / f"{name}.build.log", logs / f"{name}.test.log"
            if run(["cmake", "--build", "--preset", "linux", "-j2"], scratch, build_log) != 0:
                result, by = "caught", "(does not build)"
            elif run(["ctest", "--preset", "linux", "-j2", "-LE", args.labels_excluded,
                      "--stop-on-failure"], scratch, test_log) != 0:
                result, by = "caught", first_failure(test_log)
            else:
                result, by = "MISSED", "-"
                missed += 1
        finally:
            source.write_text(original)
            # The restored file must look new to the build again.
            os.utime(source)
        print(f"{name:36} {result:8} {by}  ({time.monotonic() - started:.0f} s)", flush=True)
    print(f"{len(faults) - missed} of {len(faults)} faults caught")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
