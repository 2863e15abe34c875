#!/usr/bin/env bash
# Hostile file and directory names on Linux, in file mode and in site mode:
# blanks, quotes, leading dashes, shell and format characters, non-ASCII and
# invalid UTF-8 bytes, a line feed, names at the 255-byte limit, and paths
# beyond the 259 characters that the settings block holds. Every page must
# convert exactly as a page with a plain name does (or be refused with its
# message and left as it was), keep its original as .bak, and leave no
# temporary file; the log names each page as it was given.
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

# Names of 251 bytes: the longest that leave room for ".bak".
long_names=("$(repeat L 246).html" "$(for _ in $(seq 1 82); do printf '€'; done).html")
short_names=(
    "with blanks.html" " leading blank.html" "trailing blank .html"
    "it's.html" 'say "hi".html' "\`cmd\` \$HOME \$(x).html" "semi;colon&amp|pipe.html"
    "-dash.html" "--double-dash.html" "-dch5.html" "-q.html"
    "star*.html" "q?.html" "[set].html" "%s%n%x.html" 'back\slash.html' "a:colon.html"
    "café naïve.html" "日本語のページ.html" $'\xff\xfe\x80 invalid.html' $'line\nfeed.html'
)
names=("${short_names[@]}" "${long_names[@]}")
# $1 is a page that must be converted, with its backup, beside no temporary file.
pages_checked=0
converted_whole() {
    pages_checked=$((pages_checked + 1))
    cmp -s "$1" reference.html && cmp -s "$1.bak" original.html
}
temporaries() { find "$1" -name 'qlx*'; }

# --- File mode: every name after "--", relative to its directory.
mkdir files
for name in "${names[@]}"; do cp original.html "files/$name"; done
(cd files && "$quorlix" -- "${names[@]}" > ../out.txt 2> ../err.txt)
check "file mode: hostile names convert (status 0)" test $? -eq 0
check "file mode: nothing on standard error" test ! -s err.txt
check "file mode: all of them counted" grep -aqxF "Converted: ${#names[@]} of ${#names[@]}." out.txt
for name in "${names[@]}"; do
    check "file mode: $(printf %q "$name") is converted with its backup" converted_whole "files/$name"
    case $name in
        *$'\n'*) ;;  # a name with a line feed takes two lines of the log
        *) check "file mode: the log names $(printf %q "$name")" grep -aqxF -- "$name... Done." out.txt ;;
    esac
done
check "file mode: no temporary file is left" test -z "$(temporaries files)"
check "file mode: no file besides pages and backups" \
    test "$(find files -type f -printf x | wc -c)" -eq $((2 * ${#names[@]}))

# Without "--" a leading dash is an option: a usage error, nothing touched.
cp original.html files/-x.html
(cd files && "$quorlix" -x.html > /dev/null 2> ../err.txt)
check "a leading dash without -- is a usage error" test $? -eq 2
check "... and the page is untouched" cmp -s files/-x.html original.html
(cd files && "$quorlix" -q ./-x.html)
check "./ in front of a leading dash converts" converted_whole files/-x.html

# --- Site mode: the same names in a site whose directories are hostile too
# (but for the longest, whose full paths would pass the 259 characters that
# the settings block holds; see below).
dirs=("site 'one'" "site 'one'/-dir with blanks" "site 'one'/café \"dir\"" $'site \'one\'/\xff dir')
for dir in "${dirs[@]}"; do
    mkdir -p "$dir"
    for name in "${short_names[@]}"; do cp original.html "$dir/$name"; done
done
"$quorlix" --site "site 'one'" > out.txt 2> err.txt
check "site mode: hostile names convert (status 0)" test $? -eq 0
total=$(( ${#dirs[@]} * ${#short_names[@]} ))
check "site mode: all $total pages counted" grep -aqxF "Converted: $total of $total." out.txt
bad=0
for dir in "${dirs[@]}"; do
    for name in "${short_names[@]}"; do
        converted_whole "$dir/$name" || { bad=$((bad + 1)); echo "not converted: $dir/$name"; }
        case $name in
            *$'\n'*) ;;
            *) grep -aqxF -- "$scratch/$dir/$name... Done." out.txt ||
                   { bad=$((bad + 1)); echo "not in the log: $dir/$name"; } ;;
        esac
    done
done
check "site mode: every page converted with its backup and named in the log" test "$bad" -eq 0
check "site mode: no temporary file is left" test -z "$(temporaries "site 'one'")"

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

# --- Paths longer than the 259 characters that the settings block holds:
# "filename is too long" in file mode; the site walk stops at a directory
# too deep for its search pattern. Nothing is touched.
deep=deep/$(repeat d 120)/$(repeat e 120)
mkdir -p "$deep"
cp original.html "$deep/page.html"
too_long="$scratch/$deep/page.html"
"$quorlix" "$too_long" > out.txt 2> err.txt
check "a path of ${#too_long} characters is status 1" test $? -eq 1
check "... it is too long for the block" grep -aqxF 'Error: filename is too long' out.txt
check "... the page is as it was" cmp -s "$deep/page.html" original.html
"$quorlix" --site deep > out.txt 2> err.txt
check "a site too deep is status 1" test $? -eq 1
check "... the walk says where it stopped" grep -aqF 'Error: directory is too deep: ' out.txt
pages_checked=$((pages_checked + 1))
check "... the deep page is as it was" cmp -s "$deep/page.html" original.html
check "... and has no backup" test ! -e "$deep/page.html.bak"

echo "hostile names: $pages_checked pages checked"
checks_done "hostile-name checks"
