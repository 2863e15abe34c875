#!/usr/bin/env bash
# Ctrl-C during a run: the first SIGINT lets the file being converted finish
# and starts no further file; a second one ends the command at once while
# the converter, in a process group of its own, still finishes its file.
# Either way no temporary file is left and no page is half-written.
set -u
quorlix=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# shellcheck source=tests/e2e/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

# Waits until the file holds the text (a fixed string), at most 60 s.
wait_for_text() {  # wait_for_text FILE TEXT
    local i
    for i in $(seq 1 6000); do
        grep -qF -- "$2" "$1" 2>/dev/null && return 0
        sleep 0.01
    done
    return 1
}

cd "$scratch"
# A page large enough (about 70 MB) to take a moment to convert.
{
    printf '<html>\n<head>\n<title>Big</title>\n</head>\n<body>\n'
    yes '<p>Paragraph with <b>bold</b> text, <i>italics</i> and <em>emphasis</em>.</p>' | head -n 900000
    printf '</body>\n</html>\n'
} > original.html
mkdir reference
cp original.html reference/big.html
"$quorlix" -q --no-backup reference/big.html
check "the reference conversion succeeds" test $? -eq 0
printf '<p>one</p>\n' > small1.html
printf '<p>two</p>\n' > small2.html

# One Ctrl-C while the big page converts, one file at a time.
cp original.html big.html
"$quorlix" -j 1 big.html small1.html small2.html > out.txt 2> err.txt &
pid=$!
check "the big page's progress line appears" wait_for_text out.txt 'big.html... '
kill -INT "$pid"
wait "$pid"
status=$?
check "an interrupted run is status 1" test "$status" -eq 1
check "the interruption is logged" grep -qxF '*** Interrupted by user. Aborting now.' out.txt
check "the running file finished" grep -qxF 'big.html... Done.' out.txt
check "the big page is converted completely" cmp -s big.html reference/big.html
check "its backup is the original" cmp -s big.html.bak original.html
check "no further file was started" test ! -e small1.html.bak -a ! -e small2.html.bak
check "the next files are untouched" cmp -s small1.html <(printf '<p>one</p>\n')
check "the summary with its counts follows the interruption" \
    test "$(tail -n 2 out.txt)" = "$(printf '*** Interrupted by user. Aborting now.\nConverted: 1 of 1.')"
check "nothing on standard error" test ! -s err.txt
check "no temporary file is left" test -z "$(ls | grep '^qlx' || true)"

# Two Ctrl-Cs: the command ends at once, the converter goes on.
cp original.html big.html
rm -f big.html.bak
"$quorlix" -j 1 big.html small1.html > out.txt 2> err.txt &
pid=$!
check "the progress line appears again" wait_for_text out.txt 'big.html... '
kill -INT "$pid"
sleep 0.2
kill -INT "$pid"
wait "$pid"
status=$?
check "a second Ctrl-C ends the command by the signal" test "$status" -eq 130
check "the command ended before the converter" test -z "$(grep -F 'Done.' out.txt)"
for _ in $(seq 1 6000); do
    [ -e big.html.bak ] && [ -z "$(ls | grep '^qlx' || true)" ] && break
    sleep 0.01
done
check "the converter finished the big page" cmp -s big.html reference/big.html
check "the original was kept" cmp -s big.html.bak original.html
check "no file after it was started" test ! -e small1.html.bak
check "no temporary file is left at the end" test -z "$(ls | grep '^qlx' || true)"

checks_done "interrupt checks"
