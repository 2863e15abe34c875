#!/usr/bin/env bash
# The Debian package of the command line.
#
#   deb_test.sh contents PACKAGE   its files, its fields, and lintian clean
#   deb_test.sh install PACKAGE    installs it with apt-get, uses the program
#                                  and its manual page, and purges it again
#
# The install needs root and a machine without a quorlix package (else it
# exits 77, skipped); a trap purges the package whatever fails.
set -u
mode=$1
package=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
# shellcheck source=tests/e2e/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/checks.sh"
enter_scratch

contents() {
    dpkg-deb -c "$package" | awk '{print $1, $2, $6}' >contents.txt
    for file in bin/quorlix share/man/man1/quorlix.1.gz share/bash-completion/completions/quorlix \
        share/doc/quorlix/copyright share/doc/quorlix/changelog.Debian.gz share/doc/quorlix/README.md.gz; do
        perm=-rw-r--r--; [ "$file" = bin/quorlix ] && perm=-rwxr-xr-x
        check "the package holds ./usr/$file" grep -qxF -- "$perm root/root ./usr/$file" contents.txt
    done
    version=$(dpkg-deb -f "$package" Version)
    depends=$(dpkg-deb -f "$package" Depends)
    check "the package is quorlix for amd64" \
        test "$(dpkg-deb -f "$package" Package Architecture | tr '\n' ' ')" = "Package: quorlix Architecture: amd64 "
    check "the version is in the file name" test "$(basename "$package")" = "quorlix_${version}_amd64.deb"
    dpkg-deb -x "$package" root
    doc=root/usr/share/doc/quorlix
    # A static program needs no library: an empty Depends is then right.
    if file root/usr/bin/quorlix | grep -q 'static'; then
        check "a static program depends on nothing" test -z "$depends"
    else
        check "a dynamic program declares its libraries" test -n "$depends"
    fi
    check "the program is stripped" sh -c "file root/usr/bin/quorlix | grep -q ', stripped'"
    check "the copyright is in the machine-readable format" \
        grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' $doc/copyright
    check "the copyright names the MIT licence" grep -qx 'License: MIT' $doc/copyright
    check "the manual page is gzipped" gzip -t root/usr/share/man/man1/quorlix.1.gz
    check "the changelog names this version" \
        sh -c "zcat $doc/changelog.Debian.gz | head -1 | grep -qF \"($version)\""
    if command -v lintian >/dev/null; then
        lintian -I --pedantic "$package" >lintian.txt 2>lintian.err
        check "lintian reports nothing" test ! -s lintian.txt
        cat lintian.txt
    else
        check "lintian is installed (scripts/setup.sh)" false
    fi
}

purge_if_ours() {
    if [ -n "${installed_here:-}" ]; then
        apt-get purge -y -q -o DPkg::Lock::Timeout=600 quorlix >>apt.log 2>&1 ||
            dpkg --purge quorlix >>apt.log 2>&1
        installed_here=
    fi
}

install_for_real() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "skipped: installing a package needs root"
        exit 77
    fi
    if dpkg-query -W -f='${Status}' quorlix 2>/dev/null | grep -q 'installed'; then
        echo "skipped: a quorlix package is installed on this machine already; it is left alone"
        exit 77
    fi
    trap 'purge_if_ours; chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT
    trap 'exit 1' INT TERM
    cp "$package" ./
    installed_here=1
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=600 \
        "./$(basename "$package")" >apt.log 2>&1
    check "apt-get installs the package" test $? -eq 0
    check "the program is on the PATH as /usr/bin/quorlix" test "$(command -v quorlix)" = /usr/bin/quorlix
    check "the installed program tells its version" sh -c 'quorlix --version | head -1 | grep -q "^quorlix (Quorlix) "'
    printf '<?xml version="1.0" encoding="UTF-8"?>\n<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Strict//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd">\n<html xmlns="http://www.w3.org/1999/xhtml"><head><title>t</title></head><body><p>page</p></body></html>\n' >page.html
    /usr/bin/quorlix -q page.html
    check "the installed program converts a page" test $? -eq 0
    check "... into HTML5" grep -q '^<!DOCTYPE html>' page.html
    check "... keeping the original" test -s page.html.bak
    check "man finds the manual page" test "$(man -w quorlix 2>/dev/null)" = /usr/share/man/man1/quorlix.1.gz
    check "the completion is where bash-completion looks" test -f /usr/share/bash-completion/completions/quorlix
    dpkg -L quorlix >files.txt
    purge_if_ours
    check "apt-get purges the package" sh -c '! dpkg-query -W -f="\${Status}" quorlix 2>/dev/null | grep -q installed'
    left=$(while read -r f; do if [ -f "$f" ]; then echo "$f"; fi; done <files.txt)
    check "no file of the package is left" test -z "$left"
    check "the program is gone" test ! -e /usr/bin/quorlix
}

case $mode in
    contents) contents ;;
    install) install_for_real ;;
    *) echo "usage: deb_test.sh contents|install PACKAGE" >&2; exit 2 ;;
esac
checks_done "Debian package checks ($mode)"
