#!/usr/bin/env bash
# Ordinary ways of running the command that must never cost a page: runs
# run again, output trees, closed or full streams, dry runs and the undo of
# a run. (A page behind a link, a FIFO and the owner are the unit tests'
# business: Pipeline.*; links planted in a site: SiteWalk.*)
set -u
quorlix=$1
# shellcheck source=tests/e2e/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
enter_scratch

xhtml() {  # xhtml TEXT: a small XHTML 1.0 page holding TEXT
    printf '<?xml version="1.0" encoding="UTF-8"?>\n<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">\n<html><head><title>%s</title></head>\n<body><center>%s</center></body></html>\n' "$1" "$1"
}
make_site() {  # make_site DIR: index.html, news/index.html, news/2010.html
    mkdir -p "$1/news"
    xhtml home > "$1/index.html"
    xhtml news > "$1/news/index.html"
    xhtml 2010 > "$1/news/2010.html"
}
tree_state() {  # every file below DIR with its type, mode, owner and checksum
    (cd "$1" && find . -printf '%p %y %m %u:%g\n' | sort && find . -type f -exec md5sum {} + | sort)
}

# --- A run that is run again leaves every original in its backup.
make_site rerun
cp -r rerun rerun.orig
"$quorlix" --site rerun > first.txt 2>&1
check "the first run converts every page" grep -qx 'Converted: 3 of 3.' first.txt
cp -r rerun rerun.after-first
"$quorlix" --site rerun > second.txt 2> err.txt
check "a second run is status 0" test $? -eq 0
check "a second run skips every page" grep -qx 'Converted: 0. Skipped: 3. Total: 3' second.txt
check "a skipped page is named" grep -qxF "$scratch/rerun/news/2010.html... Skipped, already HTML5." second.txt
check "a second run changes nothing" diff -r rerun rerun.after-first
for page in index.html news/index.html news/2010.html; do
    check "the backup of $page is still the original" cmp -s "rerun/$page.bak" "rerun.orig/$page"
done
xhtml twice > twice.html
cp twice.html twice.orig
"$quorlix" twice.html twice.html > out.txt 2>&1
check "a page named twice is converted once" grep -qx 'Converted: 1. Skipped: 1. Total: 2' out.txt
check "... and its backup is the original" cmp -s twice.html.bak twice.orig
# --- -o with a site keeps the tree; the output directory is never walked.
make_site tree
"$quorlix" --site tree -o tree-out > out.txt 2>&1
check "a site into an output directory is status 0" test $? -eq 0
check "news/2010.html keeps its place" cmp -s tree-out/news/2010.html rerun/news/2010.html
check "news/index.html does not take the place of index.html" cmp -s tree-out/index.html rerun/index.html
check "... nor the other way round" cmp -s tree-out/news/index.html rerun/news/index.html
check "the site itself is untouched" cmp -s tree/news/2010.html rerun.orig/news/2010.html
make_site inside
"$quorlix" --site inside -o inside/converted > out.txt 2>&1
check "an output directory inside the site is status 0" test $? -eq 0
check "... and is not walked" grep -qx 'Converted: 3 of 3.' out.txt
check "... and holds the tree" test -f inside/converted/news/2010.html -a ! -e inside/converted/converted
printf 'not a directory\n' > plain-file
"$quorlix" --site tree -o plain-file > out.txt 2> err.txt
check "an output path that is a file is a usage error" test $? -eq 2
check "... said once" test "$(grep -c 'exists and is not a directory' err.txt)" -eq 1
check "... before anything is converted" test ! -s out.txt
# --- Closed standard streams.
make_site closed
"$quorlix" --site closed >&- 2> err.txt
check "a run with standard output closed is status 0" test $? -eq 0
check "... converts every page" test -f closed/news/2010.html.bak -a -f closed/index.html.bak
check "... writes no log into a page" test -z "$(grep -l 'Quorlix 1.0.0' -r closed)"
make_site closed-log
"$quorlix" --site closed-log --log closed.log >&- 2> err.txt
check "a run with standard output closed and a log is status 0" test $? -eq 0
check "... writes each line once" test "$(grep -c '^Converted: 3 of 3\.$' closed.log)" -eq 1
"$quorlix" --help <&- >help.txt 2>&-
check "--help with the other streams closed" test $? -eq 0 -a -s help.txt

# --- Output that cannot be written.
if [ -w /dev/full ]; then
    make_site full
    "$quorlix" --site full > /dev/full 2> err.txt
    check "a log on a full device is not a success" test $? -ne 0
    check "... and says so on standard error" grep -q 'cannot write the log to standard output' err.txt
    "$quorlix" --help > /dev/full 2> err.txt
    check "--help on a full device is not a success" test $? -ne 0
    "$quorlix" --version > /dev/full 2> err.txt
    check "--version on a full device is not a success" test $? -ne 0
fi
make_site broken-pipe
# A pipe whose reader is gone before the first write.
python3 - "$quorlix" <<'EOF' > pipe.txt 2>&1
import os, subprocess, sys
read_end, write_end = os.pipe()
os.close(read_end)
run = subprocess.run([sys.argv[1], "--site", "broken-pipe"], stdout=write_end,
                     stderr=subprocess.PIPE)
print(run.returncode)
print(run.stderr.decode())
EOF
check "a log into a closed pipe is not a success" test "$(head -n 1 pipe.txt)" -ne 0
check "... and says so" grep -q 'cannot write the log to standard output' pipe.txt

# --- A dry run prints what a real run would and changes nothing.
make_site dry-a
make_site dry-b
printf 'GIF89a' > dry-a/news/broken.html
printf 'GIF89a' > dry-b/news/broken.html
xhtml html5 | sed -e '/^<?xml/d' -e 's/<!DOCTYPE[^>]*>/<!DOCTYPE html>/' > dry-a/done.html
cp dry-a/done.html dry-b/done.html
before=$(tree_state dry-a)
(cd dry-a && "$quorlix" --dry-run --site . -o ../dry-out > ../dry.txt 2>&1; echo $? > ../dry.status)
(cd dry-b && "$quorlix" --site . -o ../real-out > ../real.txt 2>&1; echo $? > ../real.status)
check "a dry run changes nothing" test "$(tree_state dry-a)" = "$before"
check "a dry run makes no output directory" test ! -e dry-out
check "a dry run has the status of a real one" test "$(cat dry.status)" = "$(cat real.status)"
check "a dry run prints what a real run prints" \
    diff <(sed -e 's/dry-out/OUT/g' -e 's/dry-a/SITE/g' dry.txt) <(sed -e 's/real-out/OUT/g' -e 's/dry-b/SITE/g' real.txt)
check "... with a skipped page among them" grep -q 'done.html... Skipped, already HTML5.' dry.txt

# --- --restore undoes a run.
make_site undo
cp -r undo undo.orig
"$quorlix" --site undo > /dev/null 2>&1
xhtml new > undo/news/new.html
"$quorlix" --restore --site undo > out.txt 2>&1
check "a restore is status 0" test $? -eq 0
for page in index.html news/index.html news/2010.html; do
    check "$page is the original again" cmp -s "undo/$page" "undo.orig/$page"
    check "$page has no backup left" test ! -e "undo/$page.bak"
done
check "a page without a backup is reported" grep -qxF "$scratch/undo/news/new.html... No backup, left as it is." out.txt
check "the restore's summary" grep -qx 'Restored: 3. Skipped: 1. Total: 4' out.txt

checks_done "safety checks"
