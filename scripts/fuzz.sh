#!/usr/bin/env bash
# Fuzzes the converter in process for a given time (default 60 seconds):
#   bash scripts/fuzz.sh [SECONDS]
# Builds the fuzz target with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer), seeds it with every golden input, and runs it.
# Findings (crashes, hangs, leaks, broken promises) are saved under
# build/fuzz/findings/ and make the command fail; keep each one as a golden.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds=${1:-60}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2

corpus=build/fuzz/corpus
findings=build/fuzz/findings
mkdir -p "$corpus" "$findings"
# Seeds: the golden inputs, each behind an options byte of 0.
for input in tests/golden/*/*/input.html; do
  name=$(echo "$input" | tr '/' '_')
  [ -f "$corpus/seed_$name" ] || { printf '\0'; cat "$input"; } > "$corpus/seed_$name"
done

echo "fuzz: running for $seconds s on 1 core, seeds: $(ls tests/golden/*/*/input.html | wc -l)"
status=0
build/fuzz/tests/fuzz/convert_fuzzer "$corpus" -max_total_time="$seconds" -timeout=10 \
  -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/" \
  2> build/fuzz/fuzz.log || status=$?
grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|^#[0-9]+ *DONE' build/fuzz/fuzz.log || true
found=$(ls "$findings" | wc -l)
echo "fuzz: findings: $found (in $findings)"
if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
  tail -40 build/fuzz/fuzz.log
  exit 1
fi
