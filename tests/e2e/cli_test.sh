#!/usr/bin/env bash
# The command line as a user meets it: exit statuses, the log on standard
# output, usage errors on standard error, --log, and the run's summary.
set -u
quorlix=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# shellcheck source=tests/e2e/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

cd "$scratch"
printf '<p>one</p>\n' > one.html
printf '<p>two</p>\n' > 'two words.html'
printf 'GIF89a' > image.html
chmod 640 one.html

"$quorlix" one.html 'two words.html' image.html > out.txt 2> err.txt
status=$?
check "a failed file makes the status 1" test "$status" -eq 1
check "nothing on standard error" test ! -s err.txt
check "the summary counts all three" grep -qx 'Converted: 2. Failed: 1. Total: 3' out.txt
check "the banner comes first" test "$(sed -n 4p out.txt)" = "Quorlix 1.0.0"
check "the refused file is named" grep -qx 'quorlix: image.html:' out.txt
check "converted with CR LF" cmp -s one.html <(printf '<p>one</p>\r\n')
check "a name with a blank converts" cmp -s 'two words.html' <(printf '<p>two</p>\r\n')
check "the backup is the original" cmp -s one.html.bak <(printf '<p>one</p>\n')
check "the refused file is untouched" cmp -s image.html <(printf 'GIF89a')
check "the mode bits are kept" test "$(stat -c %a one.html)" = 640
check "no temporary file is left" test -z "$(ls | grep '^qlx' || true)"

printf '<p>three</p>\n' > three.html
"$quorlix" -q --no-backup --log run.log three.html > out.txt 2> err.txt
check "quiet success is status 0" test $? -eq 0
check "quiet prints nothing" test ! -s out.txt
check "no backup with --no-backup" test ! -e three.html.bak

printf '<p>four</p>\n' > four.html
"$quorlix" --log run.log four.html > out.txt
check "the log file holds what was printed" cmp -s run.log out.txt
check "a single file reports N of N" grep -qx 'Converted: 1 of 1.' out.txt

"$quorlix" --bogus four.html > out.txt 2> err.txt
check "a usage error is status 2" test $? -eq 2
check "the usage error points to --help" grep -q "Try 'quorlix --help'" err.txt
"$quorlix" --help > out.txt
check "--help succeeds" test $? -eq 0
check "--help shows the usage" grep -q '^Usage: quorlix' out.txt
"$quorlix" --log /nonexistent/dir/run.log four.html > /dev/null 2> err.txt
check "an unwritable log is refused" test $? -eq 2
"$quorlix" --files-from missing-list.txt > /dev/null 2> err.txt
check "an unreadable file list is a usage error" test $? -eq 2
check "... said as such" grep -qF 'quorlix: cannot read the file list missing-list.txt: No such file or directory' err.txt

# The site walk itself: SiteWalk.* in the unit tests, and the command line
# on a site in process_test.cpp.
"$quorlix" --site no-such-dir > /dev/null 2> err.txt
check "a missing site directory is a usage error" test $? -eq 2

# A converter argument whose block is unusable: an ordinary start that
# fails, with nothing on standard output.
"$quorlix" -dch3 > out.txt 2> err.txt
check "an unusable -dch block is status 1" test $? -eq 1
check "an unusable -dch block prints nothing" test ! -s out.txt
check "an unusable -dch block is explained" grep -q -- '-dch3' err.txt
"$quorlix" -dch5 5<one.html > /dev/null 2>&1
check "a file that is no block is refused" test $? -eq 1
check "a refused block's file is untouched" cmp -s one.html <(printf '<p>one</p>\r\n')

checks_done "command-line checks"
