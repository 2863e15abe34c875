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
"$quorlix" > /dev/null 2> err.txt
check "no file is a usage error" test $? -eq 2
"$quorlix" --help > out.txt
check "--help succeeds" test $? -eq 0
check "--help shows the usage" grep -q '^Usage: quorlix' out.txt
"$quorlix" --log /nonexistent/dir/run.log four.html > /dev/null 2> err.txt
check "an unwritable log is refused" test $? -eq 2

# Website mode: nested and excluded directories, two extensions, a failure.
mkdir -p site/sub/deeper site/old site/Old2 site/..more
printf '<p>a</p>\n' > site/a.html
printf '<p>b</p>\n' > site/sub/b.HTM
printf 'GIF89a' > site/sub/deeper/bad.html
printf '<p>c</p>\n' > site/old/c.html
printf '<p>d</p>\n' > site/Old2/d.html
printf '<p>e</p>\n' > site/..more/e.html
printf '<p>n</p>\n' > site/notes.txt
"$quorlix" --site site/ -e html --ext htm -x old -x "$scratch/site/Old2/" > out.txt 2> err.txt
check "a site with a failure is status 1" test $? -eq 1
check "the site summary counts three" grep -qx 'Converted: 3. Failed: 1. Total: 4' out.txt
check "a relative exclusion is skipped" grep -qx "$scratch/site/old (directory)... Skipped excluded directory" out.txt
check "an absolute exclusion is skipped" grep -qx "$scratch/site/Old2 (directory)... Skipped excluded directory" out.txt
check "excluded files are untouched" test ! -e site/old/c.html.bak -a ! -e site/Old2/d.html.bak
check "the second extension matches in any case" cmp -s site/sub/b.HTM <(printf '<p>b</p>\r\n')
check "a directory starting with two dots is entered" cmp -s site/..more/e.html <(printf '<p>e</p>\r\n')
check "other extensions are left alone" test ! -e site/notes.txt.bak
check "the failed page is untouched" cmp -s site/sub/deeper/bad.html <(printf 'GIF89a')
check "the site's own files come before its subdirectories" \
    test "$(grep -n 'a.html\.\.\.' out.txt | cut -d: -f1)" -lt "$(grep -n 'b.HTM\.\.\.' out.txt | cut -d: -f1)"
check "no temporary file is left in the site" test -z "$(find site -name 'qlx*')"

mkdir empty-site
"$quorlix" --site empty-site > out.txt
check "an empty site is status 0" test $? -eq 0
check "an empty site converts 0 of 0" grep -qx 'Converted: 0 of 0.' out.txt

# Links: a loop back to the top and a link to a directory are not entered.
mkdir -p loop/sub
printf '<p>l</p>\n' > loop/sub/page.html
ln -s .. loop/sub/up
ln -s sub loop/alias
ln -s self.html loop/self.html
timeout 60 "$quorlix" --site loop > out.txt 2> err.txt
check "a site with a link loop ends" test $? -eq 0
check "a link loop converts each page once" grep -qx 'Converted: 1 of 1.' out.txt

"$quorlix" --site no-such-dir > /dev/null 2> err.txt
check "a missing site directory is a usage error" test $? -eq 2
"$quorlix" --ext htm four.html > /dev/null 2> err.txt
check "--ext without --site is a usage error" test $? -eq 2

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
