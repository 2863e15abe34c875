#!/usr/bin/env bash
# cmake --install of the Linux build into a DESTDIR, with the default and
# with another prefix: exactly the program, the manual page, the bash
# completion and the README, where a Linux system keeps them, and the
# installed program runs.
#
#   install_test.sh BUILD_DIR
set -u
build=$(cd "$1" && pwd)
# shellcheck source=tests/e2e/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/checks.sh"
enter_scratch

prefix_default=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
for prefix in /usr "$prefix_default" /opt/quorlix; do
    dest=$scratch/dest-${prefix//\//_}
    DESTDIR=$dest cmake --install "$build" --prefix "$prefix" >install.log 2>&1
    check "install to $prefix succeeds" test $? -eq 0
    root=$dest$prefix
    expected=$(printf '%s\n' bin/quorlix share/bash-completion/completions/quorlix \
        share/doc/quorlix/README.md share/man/man1/quorlix.1 | sort)
    check "install to $prefix places exactly the four files" \
        test "$(cd "$dest" && find . -type f | sed "s|^\.$prefix/||" | sort)" = "$expected"
    check "the program in $prefix is executable" test -x "$root/bin/quorlix"
    check "the program in $prefix runs" "$root/bin/quorlix" --version >/dev/null
    check "the manual page in $prefix is readable by all" \
        test "$(stat -c %a "$root/share/man/man1/quorlix.1")" = 644
done
checks_done "install checks"
