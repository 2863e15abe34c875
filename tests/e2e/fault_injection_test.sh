#!/usr/bin/env bash
# Faults injected into real conversion runs on Linux: a write that fails
# part-way (a file-size limit), a directory in which no temporary file can be
# created, a page that is replaced or removed while it is being converted
# (Pipeline.APageChangedOrRemoved... in the unit tests; read-only pages are
# a golden case of their own, pipeline/read-only-input), a
# backup that cannot be made, and, through strace, no hard links for the
# backup and the sync of the converted file. After each, every page
# is either byte for byte as it was, or converted completely (equal to a
# clean conversion of it) with its .bak equal to the original; no qlx
# temporary file is left except one that a message names as kept; and the
# log says what happened. Killed runs are the business of kill_test.py.
set -u
quorlix_built=$(realpath "$1") || exit 1
# shellcheck source=tests/e2e/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
enter_scratch
chmod 755 "$scratch"
# A copy that an unprivileged user may run too (the build tree may be
# private to its owner).
cp "$quorlix_built" ./quorlix
chmod 755 ./quorlix
quorlix=$scratch/quorlix

pages_checked=0

# Pages.
small_page() {
    printf '<html>\n<head>\n<title>%s</title>\n</head>\n<body>\n<center>%s</center>\n</body>\n</html>\n' "$1" "$1"
}
big_page() {  # about 4 MB
    printf '<html>\n<head>\n<title>Big</title>\n</head>\n<body>\n'
    yes '<p align="center">A paragraph with <font color="red">red</font> and <tt>code</tt>.</p>' | head -n 50000
    printf '</body>\n</html>\n'
}

mkdir originals references
small_page One > originals/small.html
big_page > originals/big.html
# What a clean conversion makes of each.
for name in small big; do
    cp "originals/$name.html" "references/$name.html"
    "$quorlix" -q --no-backup "references/$name.html" > /dev/null
done

# The temporary files below a directory (converted files and unfinished
# backups both start with qlx).
temporaries() { find "$1" -name 'qlx*' | sort; }

# expect_intact PAGE ORIGINAL: as it was, and no backup made of it.
expect_intact() {
    pages_checked=$((pages_checked + 1))
    check "$1 is as it was" cmp -s "$1" "$2"
    check "$1 has no backup" test ! -e "$1.bak"
}
# expect_converted PAGE ORIGINAL REFERENCE: converted whole, backup = original.
expect_converted() {
    pages_checked=$((pages_checked + 1))
    check "$1 is converted" cmp -s "$1" "$3"
    check "$1.bak is the original" cmp -s "$1.bak" "$2"
}
# logged LOG LINE: the log holds the line. Site runs name pages by their
# full path.
logged() { grep -qxF -- "$2" "$1"; }

# --- A write that fails part-way: the output grows beyond a file-size limit
# of 1 MiB. The converter must not be killed by SIGXFSZ (which would leave
# its temporary file): the write fails, and the pipeline cleans up.
mkdir fsize
cp originals/small.html originals/big.html fsize/
(ulimit -f 1024; "$quorlix" --site fsize > out.txt 2> err.txt)
check "a failed write makes the status 1" test $? -eq 1
expect_converted fsize/small.html originals/small.html references/small.html
expect_intact fsize/big.html originals/big.html
check "the output that did not fit is reported" \
    grep -qxF 'Error: Error writing to output file.' out.txt
check "... for the big page" grep -qxF "quorlix: $scratch/fsize/big.html:" out.txt
check "the size-limit run counts one failure" grep -qxF 'Converted: 1. Failed: 1. Total: 2' out.txt
check "no temporary file is left after a failed write" test -z "$(temporaries fsize)"
check "the limit was reached part-way (the page is bigger than 1 MiB)" \
    test "$(stat -c %s references/big.html)" -gt 1048576

# --- A directory in which no temporary file can be created. Root may write
# anywhere, so as root the run is made as the unprivileged user nobody.
mkdir -p locked-site/open locked-site/locked
cp originals/small.html locked-site/open/a.html
cp originals/small.html locked-site/locked/b.html
cp originals/big.html locked-site/locked/c.html
chmod 777 locked-site/open
chmod 555 locked-site/locked
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
"${as_user[@]}" "$quorlix" --site locked-site > out.txt 2> err.txt
check "a locked directory makes the status 1" test $? -eq 1
expect_converted locked-site/open/a.html originals/small.html references/small.html
expect_intact locked-site/locked/b.html originals/small.html
expect_intact locked-site/locked/c.html originals/big.html
for name in b c; do
    check "the locked directory's $name.html is reported" \
        logged out.txt "quorlix: Error: cannot create temporary filename for $scratch/locked-site/locked/$name.html: Permission denied"
done
check "the locked run counts two failures" grep -qxF 'Converted: 1. Failed: 2. Total: 3' out.txt
check "no temporary file is left in the locked site" test -z "$(temporaries locked-site)"
chmod 755 locked-site/locked

# --- A backup name that is taken by something else (a directory holds the
# name page.bak): the page is refused before anything is written, since what
# is there may be an original.
mkdir -p no-backup/page.html.bak
touch no-backup/page.html.bak/occupied
cp originals/small.html no-backup/page.html
"$quorlix" no-backup/page.html > out.txt 2> err.txt
check "a taken backup name is status 1" test $? -eq 1
pages_checked=$((pages_checked + 1))
check "the page whose backup name is taken is as it was" cmp -s no-backup/page.html originals/small.html
check "a taken backup name is reported" logged out.txt "quorlix: Error: no-backup/page.html.bak already exists and differs from no-backup/page.html."
check "what holds the backup name is left alone" test -e no-backup/page.html.bak/occupied
check "a taken backup name leaves no temporary file" test -z "$(temporaries no-backup)"

# --- Seen and injected by strace (the program is static: no preloaded
# library reaches it). The converted file is on the disk before it takes
# the page's name.
# The leak check of the sanitizer build cannot run under a tracer.
traced() {
    ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 strace -f -y -qq -o calls.txt -e trace=fsync,rename,link "$@"
}
mkdir synced
cp originals/small.html synced/page.html
traced "$quorlix" -q synced/page.html
expect_converted synced/page.html originals/small.html references/small.html
temporary=$(sed -n 's|.* rename("synced/\(qlx[^"]*\)", "synced/page.html") = 0$|\1|p' calls.txt)
check "the converted file was renamed onto the page" test -n "$temporary"
check "... after it was synced" \
    test "$(grep -n "fsync([0-9]*<.*/synced/$temporary>) = 0" calls.txt | cut -d: -f1)" -lt \
         "$(grep -n "rename(\"synced/$temporary\"" calls.txt | cut -d: -f1)"

# Where hard links are impossible the backup is a copy; a copy that fails
# part-way (a file-size limit that the converted page, which is smaller,
# stays within) is removed, and the page is left as it was.
shrinking_page() {  # about 320 kB, converted to about 120 kB
    printf '<html>\r\n<head>\r\n<title>Shrinks</title>\r\n</head>\r\n<body>\r\n'
    seq 1 4000 | sed 's|.*|<p><a charset="iso-8859-1" coords="0,0,1,1" shape="rect" href="x&">t</a></p>\r|'
    printf '</body>\r\n</html>\r\n'
}
mkdir copied failed-copy
shrinking_page > originals/shrinking.html
cp originals/shrinking.html references/shrinking.html
"$quorlix" -q --no-backup references/shrinking.html
cp originals/shrinking.html copied/page.html
cp originals/shrinking.html failed-copy/page.html
chmod 640 copied/page.html
traced -e inject=link:error=EPERM "$quorlix" -q copied/page.html
check "a backup without hard links is status 0" test $? -eq 0
expect_converted copied/page.html originals/shrinking.html references/shrinking.html
check "the copied backup keeps the page's mode" test "$(stat -c %a copied/page.html.bak)" = 640
(ulimit -f 200; traced -e inject=link:error=EPERM "$quorlix" failed-copy/page.html > out.txt 2> err.txt)
check "a failed copy is status 1" test $? -eq 1
check "a failed copy is reported" \
    logged out.txt "quorlix: Error: unable to back up the existing failed-copy/page.html as"
check "the page whose copy failed is as it was" cmp -s failed-copy/page.html originals/shrinking.html
check "no part of the copy is left" test -z "$(find failed-copy -name 'qlxbak*')"
check "the backup name stays free" test ! -e failed-copy/page.html.bak
kept=$(sed -n 's|^The converted file is saved as \(.*\), which you can rename yourself\.$|\1|p' out.txt)
check "the kept file is the conversion" cmp -s "$kept" references/shrinking.html

echo "fault injection: $pages_checked pages checked"
checks_done "fault-injection checks"
