# shellcheck shell=bash
# The checks of the command-line test scripts: each prints "ok" or "FAIL"
# with its name; checks_done prints the count and fails when any check did.
failures=0
checks=0
check() {  # check NAME CONDITION...
    local name=$1; shift
    checks=$((checks + 1))
    if "$@"; then echo "ok   $name"; else echo "FAIL $name"; failures=$((failures + 1)); fi
}
checks_done() {  # checks_done WHAT
    echo "$1: $((checks - failures)) of $checks passed"
    test "$failures" -eq 0
}
enter_scratch() {  # a fresh directory in $scratch, removed at the end, made current
    scratch=$(mktemp -d) || exit 1
    trap 'chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT
    cd "$scratch" || exit 1
}
