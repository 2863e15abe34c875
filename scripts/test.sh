#!/usr/bin/env bash
# The project's test command: installs what the builds need, then builds and
# tests every platform in turn:
#   linux       native g++ build
#   linux-asan  native build with AddressSanitizer and UndefinedBehaviorSanitizer
#   windows     MinGW-w64 cross build, its tests run under Wine (the wizard's
#               GUI tests on an Xvfb display, at 96 DPI and again at 144 DPI)
#   package     scripts/package.sh: the Debian package, the Windows installer
#               and zip in dist/ (their tests are in the presets above, label
#               package)
#   fuzz        a short libFuzzer run (QUORLIX_FUZZ_SECONDS, default 60) of the
#               in-process conversion under ASan and UBSan, seeded with the goldens
#
#   bash scripts/test.sh                 # all of them
#   bash scripts/test.sh linux windows   # only these presets
#
# Before them all, scripts/check_layers.py checks which folder of src/ may
# include which and prints the test-to-source line ratio.
#
# Exits non-zero when a build or a test fails. The last line sums all runs as
# "N passed, N failed" (a configure or build step that fails counts as one
# failure, since its tests could not run).
set -uo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
ROOT=$PWD
LOG_DIR="$ROOT/build/logs"
JOBS=2   # the machines have 2 cores

if [ "$#" -gt 0 ]; then
  PRESETS=("$@")
else
  PRESETS=(linux linux-asan windows package fuzz)
fi

started=$SECONDS
total_passed=0
total_failed=0
status=0
summary=()

banner() { printf '\n==== %s ====\n' "$*"; }

# Sets RAN, PASSED, FAILED from a ctest log, and FAILED_NAMES.
parse_ctest_log() {
  local line
  RAN=0 PASSED=0 FAILED=0 FAILED_NAMES=""
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
  if [ -n "$line" ]; then
    FAILED=$(sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/' <<<"$line")
    RAN=$(sed -E 's/.*failed out of ([0-9]+).*/\1/' <<<"$line")
    PASSED=$((RAN - FAILED))
  fi
  FAILED_NAMES=$(sed -n '/^The following tests FAILED:/,/^[^[:space:]]/p' "$1" \
                 | grep -E '^[[:space:]]+[0-9]+ - ' | sed -E 's/^[[:space:]]+[0-9]+ - /    /')
}

# run_platform PRESET LABEL
run_platform() {
  local preset=$1 label=$2 t0=$SECONDS t_build t_test rc log
  local where="ran" wine_note=""
  banner "$label: configure ($preset)"
  if ! cmake --preset "$preset"; then
    summary+=("$label: configure FAILED, no test ran")
    total_failed=$((total_failed + 1)); status=1; return
  fi
  banner "$label: build"
  if ! cmake --build --preset "$preset" -j "$JOBS"; then
    summary+=("$label: build FAILED after $((SECONDS - t0)) s, no test ran")
    total_failed=$((total_failed + 1)); status=1; return
  fi
  t_build=$((SECONDS - t0))

  if [ "$preset" = windows ]; then
    where="ran under $(wine --version 2>/dev/null || echo Wine)"
    banner "$label: starting Wine"
    local tw=$SECONDS
    # shellcheck source=scripts/wine-env.sh
    source "$ROOT/scripts/wine-env.sh"
    if ! { quorlix_wine_env "$ROOT/build/windows" && quorlix_wine_start; }; then
      quorlix_wine_stop
      summary+=("$label: Wine could not be started, no test ran")
      total_failed=$((total_failed + 1)); status=1; return
    fi
    wine_note=", Wine start $((SECONDS - tw)) s"
  fi

  banner "$label: test"
  local t1=$SECONDS
  log="$LOG_DIR/ctest-$preset.log"
  ctest --preset "$preset" 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  t_test=$((SECONDS - t1))
  local dpi_passed=0 dpi_failed=0 dpi_note=""
  if [ "$preset" = windows ]; then
    # The wizard's dialogs must work at 150 % too: the GUI tests again with
    # the display at 144 DPI, then the prefix back at 96.
    banner "$label: GUI tests at 144 DPI"
    local t2=$SECONDS dpi_log="$LOG_DIR/ctest-windows-144dpi.log" dpi_rc
    if quorlix_wine_dpi 144; then
      ctest --preset windows -L gui 2>&1 | tee "$dpi_log"
      dpi_rc=${PIPESTATUS[0]}
    else
      dpi_rc=1; : >"$dpi_log"
    fi
    quorlix_wine_dpi 96
    parse_ctest_log "$dpi_log"
    dpi_passed=$PASSED dpi_failed=$FAILED
    if [ "$dpi_rc" -ne 0 ] && [ "$dpi_failed" -eq 0 ]; then dpi_failed=1; fi
    if [ "$RAN" -eq 0 ]; then dpi_failed=$((dpi_failed > 0 ? dpi_failed : 1)); fi
    dpi_note=", $RAN GUI tests again at 144 DPI: $dpi_passed passed, $dpi_failed failed ($((SECONDS - t2)) s)"
    if [ -n "$FAILED_NAMES" ]; then dpi_note="$dpi_note"$'\n'"  failed at 144 DPI:"$'\n'"$FAILED_NAMES"; fi
    quorlix_wine_stop
  fi

  parse_ctest_log "$log"
  if [ "$preset" = windows ]; then
    # The wizard's GUI tests (label gui) must have run, on the Xvfb display.
    local gui
    gui=$(sed -nE 's/^gui +=.*\(([0-9]+) tests?\)$/\1/p' "$log" | tail -n 1)
    wine_note="$wine_note, ${gui:-0} of them GUI tests on ${DISPLAY:-no display}"
    if [ "${gui:-0}" -eq 0 ]; then
      FAILED=$((FAILED + 1))
      summary+=("$label: no GUI test ran")
    fi
  fi
  if [ "$rc" -ne 0 ] && [ "$FAILED" -eq 0 ]; then
    # ctest failed without a failing test (no test found, discovery error).
    FAILED=1
  fi
  if [ "$RAN" -eq 0 ]; then
    FAILED=$((FAILED > 0 ? FAILED : 1))
  fi
  total_passed=$((total_passed + PASSED + dpi_passed))
  total_failed=$((total_failed + FAILED + dpi_failed))
  [ "$rc" -eq 0 ] && [ "$FAILED" -eq 0 ] && [ "$dpi_failed" -eq 0 ] || status=1
  summary+=("$label: $RAN tests $where, $PASSED passed, $FAILED failed (build ${t_build} s${wine_note}, tests ${t_test} s)$dpi_note")
  if [ -n "$FAILED_NAMES" ]; then
    summary+=("  failed:" "$FAILED_NAMES")
  fi
}

# The short fuzz run counts as one test.
run_fuzz() {
  local t0=$SECONDS seconds=${QUORLIX_FUZZ_SECONDS:-60}
  banner "Fuzzing ($seconds s)"
  if bash "$ROOT/scripts/fuzz.sh" "$seconds" 2>&1 | tee "$LOG_DIR/fuzz.log"; then
    total_passed=$((total_passed + 1))
    summary+=("Fuzzing: $(grep -m1 'number_of_executed_units' "$LOG_DIR/fuzz.log" | awk '{print $2}') inputs in $seconds s, no finding ($((SECONDS - t0)) s with the build)")
  else
    total_failed=$((total_failed + 1)); status=1
    summary+=("Fuzzing: FAILED, see build/fuzz/findings and $LOG_DIR/fuzz.log")
  fi
}

# The packages, built into dist/ by the command that users run; counts as
# one test.
run_package() {
  local t0=$SECONDS
  banner "Packages (scripts/package.sh)"
  if bash "$ROOT/scripts/package.sh" 2>&1 | tee "$LOG_DIR/package.log"; then
    total_passed=$((total_passed + 1))
    summary+=("Packages: $(grep -c '^-' "$LOG_DIR/package.log") files in dist/ ($((SECONDS - t0)) s)")
  else
    total_failed=$((total_failed + 1)); status=1
    summary+=("Packages: scripts/package.sh FAILED, see $LOG_DIR/package.log")
  fi
}

# The layering of src/ and the size of the tests (scripts/check_layers.py);
# counts as one test and runs with every preset list.
run_layers() {
  local report
  banner "Layers"
  if report=$(python3 "$ROOT/scripts/check_layers.py" 2>&1); then
    total_passed=$((total_passed + 1))
  else
    total_failed=$((total_failed + 1)); status=1
  fi
  printf '%s\n' "$report"
  summary+=("Layers: ${report//$'\n'/; }")
}

trap 'if declare -F quorlix_wine_stop >/dev/null; then quorlix_wine_stop; fi' EXIT
trap 'exit 130' INT TERM

banner "setup"
if ! bash "$ROOT/scripts/setup.sh"; then
  echo "setup.sh failed"
  echo "0 passed, 1 failed"
  exit 1
fi
mkdir -p "$LOG_DIR"
run_layers

for preset in "${PRESETS[@]}"; do
  case "$preset" in
    linux)      run_platform linux "Linux" ;;
    linux-asan) run_platform linux-asan "Linux (ASan+UBSan)" ;;
    windows)    run_platform windows "Windows (MinGW-w64)" ;;
    package)    run_package ;;
    fuzz)       run_fuzz ;;
    *) echo "unknown preset: $preset" >&2
       summary+=("$preset: unknown preset"); total_failed=$((total_failed + 1)); status=1 ;;
  esac
done

banner "summary ($((SECONDS - started)) s)"
printf '%s\n' "${summary[@]}"
echo "$total_passed passed, $total_failed failed"
exit "$status"
