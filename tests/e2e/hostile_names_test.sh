#!/usr/bin/env bash
# Names at the limits on Linux: names at the 255-byte limit, and paths
# beyond the 259 characters that the settings block holds. Every
# page must convert exactly as a page with a plain name does (or be refused
# with its message and left as it was), keep its original as .bak, and
# leave no temporary file.
set -u
quorlix=$(realpath "$1") || exit 1
# shellcheck source=tests/e2e/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
enter_scratch

repeat() { printf "%${2}s" '' | tr ' ' "$1"; }  # repeat CHAR COUNT (ASCII)
page='<html>\n<head>\n<title>T</title>\n</head>\n<body>\n<center>hostile</center>\n<p><font color="red">x</font></p>\n</body>\n</html>\n'
printf "$page" > original.html
cp original.html reference.html
"$quorlix" -q --no-backup reference.html > /dev/null
check "the reference conversion changes the page" test "$(cmp -s reference.html original.html; echo $?)" -eq 1

# Hostile names in file and site mode are the business of process_test.cpp
# (on both platforms); here the names at the 255-byte limit: one of 251
# bytes, the longest that leaves room for ".bak", converts with its backup.
pages_checked=0
converted_whole() {
    pages_checked=$((pages_checked + 1))
    cmp -s "$1" reference.html && cmp -s "$1.bak" original.html
}
temporaries() { find "$1" -name 'qlx*'; }
mkdir files
long_names=("$(repeat L 246).html" "$(for _ in $(seq 1 82); do printf '€'; done).html")
for name in "${long_names[@]}"; do cp original.html "files/$name"; done
(cd files && "$quorlix" -q -- "${long_names[@]}")
check "names of 251 bytes convert (status 0)" test $? -eq 0
for name in "${long_names[@]}"; do
    check "${#name}-character name is converted with its backup" converted_whole "files/$name"
done

# --- The 255-byte limit of a name: a page of 251 bytes still has room for
# its .bak (above); one of 255 bytes has none, so it is converted only
# without a backup, and otherwise refused with the converted file kept
# where the message says.
mkdir limit
longest="$(repeat N 250).html"
cp original.html "limit/$longest"
(cd limit && "$quorlix" -- "$longest" > ../out.txt 2> ../err.txt)
check "a 255-byte name with a backup is status 1" test $? -eq 1
check "... the page is as it was" cmp -s "limit/$longest" original.html
check "... the backup's name is reported" grep -aqxF -- "$longest.bak" out.txt
kept=$(sed -n 's/^The converted file is saved as \(.*\), which you can rename yourself\.$/\1/p' out.txt)
check "... the kept file is the conversion" cmp -s "limit/$kept" reference.html
rm -f "limit/$kept"
(cd limit && "$quorlix" -q --no-backup -- "$longest")
pages_checked=$((pages_checked + 1))
check "a 255-byte name converts without a backup" cmp -s "limit/$longest" reference.html
check "the limit leaves no temporary file" test -z "$(temporaries limit)"

# --- A site too deep for a search pattern of 259 characters: the walk
# stops there and says so; nothing is touched. (Paths beyond 259 characters
# in file mode: process_test.cpp.)
deep=deep/$(repeat d 120)/$(repeat e 120)
mkdir -p "$deep"
cp original.html "$deep/page.html"
"$quorlix" --site deep > out.txt 2> err.txt
check "a site too deep is status 1" test $? -eq 1
check "... the walk says where it stopped" grep -aqF 'Error: directory is too deep: ' out.txt
check "... the deep page is as it was" cmp -s "$deep/page.html" original.html
pages_checked=$((pages_checked + 1))

echo "hostile names: $pages_checked pages checked"
checks_done "hostile-name checks"
