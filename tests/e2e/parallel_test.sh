#!/usr/bin/env bash
# Several files at the same time: the log of -j 4 is the log of -j 1, byte
# for byte; Ctrl-C in the middle of a parallel run; file lists from another
# program (--files-from, NUL-separated names); a page through standard input
# and output; and the GNU parallel recipe of the README.
set -u
quorlix=$1
# shellcheck source=tests/e2e/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
golden=$here/../golden
enter_scratch

# --- A tree with converted and refused pages, warnings, an excluded
# directory, and a page whose warnings run to well over the 1 MiB that a
# converter may say before its turn.
make_tree() {  # make_tree DIR
    mkdir -p "$1/a/old" "$1/b/deep" "$1/c"
    local i=0 input
    for input in "$golden"/pages/*/input.html "$golden"/frames/*/input.html "$golden"/screening/*/input.html; do
        i=$((i + 1))
        cp "$input" "$1/$(printf '%s/page%02d.html' "$(printf 'a\nb\nb/deep\nc' | sed -n "$((i % 4 + 1))p")" "$i")"
    done
    cp "$golden"/pages/pottery-shop/input.html "$1/a/old/skipped.html"
    {
        printf '<html><head><title>Anchors</title></head><body>\n'
        for i in $(seq 1 6000); do printf '<p><a name="n%d">%d</a></p>\n' "$i" "$i"; done
        printf '</body></html>\n'
    } > "$1/b/anchors.html"
}
make_tree one
make_tree four
(cd one && "$quorlix" -j 1 --site . -x a/old > ../one.log 2>&1; echo $? > ../one.status)
(cd four && "$quorlix" -j 4 --site . -x a/old > ../four.log 2>&1; echo $? > ../four.status)
check "the -j 1 run refuses some pages" grep -q 'Skipping file, which was not modified' one.log
check "the -j 1 run warns" grep -q '^Warning: ' one.log
check "the long warning stream is in the log" test "$(grep -c 'The name attribute of <a>' one.log)" -ge 6000
# The logs name the pages by their full paths, which differ in one place.
check "the -j 4 log is the -j 1 log, byte for byte" \
    cmp -s <(sed "s|$scratch/one/|TREE/|g" one.log) <(sed "s|$scratch/four/|TREE/|g" four.log)
check "both runs end alike" test "$(cat one.status)" = "$(cat four.status)"
check "both runs convert alike" diff -r one four

# A page of LINES paragraphs, each with a centre element to convert.
write_big_page() {  # write_big_page FILE LINES
    {
        printf '<html>\n<head>\n<title>Big</title>\n</head>\n<body>\n'
        yes '<p>Paragraph with <b>bold</b> text and <center>centred</center> words.</p>' | head -n "$2"
        printf '</body>\n</html>\n'
    } > "$1"
}

# --- Ctrl-C in the middle of a parallel run.
mkdir -p abort
for i in 1 2 3 4 5 6 7 8; do
    write_big_page "abort/big$i.html" 150000
    cp "abort/big$i.html" "abort/big$i.orig"
done
"$quorlix" -j 4 --site abort > abort.log 2>&1 &
pid=$!
for _ in $(seq 1 3000); do grep -q 'big1.html... ' abort.log 2>/dev/null && break; sleep 0.01; done
kill -INT "$pid"
wait "$pid"
check "an interrupted parallel run is status 1" test $? -eq 1
check "the interrupt line comes after the pages" \
    test "$(tail -n 2 abort.log | head -n 1)" = '*** Interrupted by user. Aborting now.'
converted=0 intact=0 broken=0
for i in 1 2 3 4 5 6 7 8; do
    if cmp -s "abort/big$i.html" "abort/big$i.orig"; then
        intact=$((intact + 1))
        test -e "abort/big$i.html.bak" && broken=$((broken + 1))
    elif cmp -s "abort/big$i.html.bak" "abort/big$i.orig" && grep -q 'class="quorlix_center"' "abort/big$i.html" \
         && test "$(tail -c 9 "abort/big$i.html")" = $'</html>\r'; then
        converted=$((converted + 1))
    else
        broken=$((broken + 1))
    fi
done
check "every page is as it was or converted whole" test "$broken" -eq 0
check "the run stopped before the last pages" test "$intact" -gt 0
check "the summary counts the pages converted" test "$(tail -n 1 abort.log)" = "Converted: $converted of $converted."
check "each converted page is logged once" test "$(grep -c '\.\.\. Done\.$' abort.log)" -eq "$converted"
check "no temporary file is left" test -z "$(ls abort | grep '^qlx' || true)"

# --- --files-from with names that a line-based list cannot carry.
mkdir -p listed
for name in 'a b.html' $'new\nline.html' '-dash.html' 'plain.html'; do
    cp "$golden"/pages/pottery-shop/input.html "listed/$name"
done
(cd listed && printf '%s\0' 'a b.html' $'new\nline.html' '-dash.html' | "$quorlix" -j 2 --files-from - -0 > ../listed.log 2>&1)
check "a NUL-separated list is status 0" test $? -eq 0
check "... converts every name in it" test -e 'listed/a b.html.bak' -a -e $'listed/new\nline.html.bak' -a -e 'listed/-dash.html.bak'
check "... and nothing else" test ! -e listed/plain.html.bak
check "... in the order given" \
    test "$(grep -e '^a b\.html\.\.\. $' -e '^line\.html\.\.\. $' -e '^-dash\.html\.\.\. $' listed.log | tr -d '\n')" \
         = 'a b.html... line.html... -dash.html... '

# --- A page through standard input and output: the bytes of an in-place
# conversion; nothing on standard output for a refused page.
cp "$golden"/pages/rowing-club-newsletter/input.html piped.html
"$quorlix" - < piped.html > piped.out 2> piped.err
check "a page from standard input is status 0" test $? -eq 0
"$quorlix" -q piped.html > /dev/null 2>&1
check "standard output holds the in-place conversion" cmp -s piped.out piped.html
check "no backup or temporary file for standard input" test -z "$(ls | grep '^qlx' || true)"
"$quorlix" - < "$golden"/screening/gif/input.html > refused.out 2> refused.err
check "a refused page from standard input is status 1" test $? -eq 1
check "... writes nothing to standard output" test ! -s refused.out
check "... and says why on standard error" grep -q 'Not an XHTML file' refused.err

# --- The status line: on a terminal's standard error during a long run,
# never in the --log file, never inside a log line on the same terminal.
# Big pages keep each page's log line open for a while ("page.html... " and,
# later, "Done."), which is when a careless line would land inside it.
mkdir -p slow
for i in 1 2 3 4 5; do write_big_page "slow/big$i.orig" 200000; done
fresh_slow_pages() { for i in 1 2 3 4 5; do cp "slow/big$i.orig" "slow/big$i.html"; done; }
fresh_slow_pages
script -qec "'$quorlix' -j 1 --site slow --no-backup --log slow.log > slow.out" /dev/null > terminal.txt 2>&1
check "a long run on a terminal shows the status line" grep -qa 'quorlix: [0-9]* pages, .* a second, 0:' terminal.txt
check "... and erases it" grep -qa $'\r   *\r' terminal.txt
check "... but never in the log file" test -z "$(grep -a ' a second, ' slow.log)"
check "... nor in the log on standard output" test -z "$(grep -a ' a second, ' slow.out)"
fresh_slow_pages
script -qec "'$quorlix' -j 1 --site slow --no-backup" /dev/null > shared-terminal.txt 2>&1
check "... nor inside a log line on the same terminal" test -z "$(grep -aP '\.\.\. \r.' shared-terminal.txt)"
fresh_slow_pages
"$quorlix" -j 1 --site slow --no-backup > /dev/null 2> not-a-terminal.txt
check "no status line when standard error is no terminal" test ! -s not-a-terminal.txt

# --- The README's recipe: GNU parallel hands out the names in batches.
if command -v parallel > /dev/null; then
    make_tree spread
    (cd spread && find . -name '*.html' -print0 | sort -z \
        | parallel --will-cite -0 -X -j 2 "$quorlix" -q -j 1 -- > ../spread.log 2>&1)
    check "the GNU parallel recipe converts the tree" \
        test "$(find spread -name '*.html.bak' | wc -l)" -eq "$(find four -name '*.html.bak' | wc -l | awk '{print $1 + 1}')"
    check "... as a run of the whole tree would" \
        diff <(cd spread && find . -name '*.html' ! -path './a/old/*' -exec md5sum {} + | sort) \
             <(cd four && find . -name '*.html' ! -path './a/old/*' -exec md5sum {} + | sort)
else
    echo "FAIL GNU parallel is not installed (scripts/setup.sh installs it)"
    failures=$((failures + 1))
fi

checks_done "parallel checks"
