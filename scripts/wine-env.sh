# shellcheck shell=bash
# Wine environment for running the Windows build's programs and tests.
# Source it, then:
#
#   quorlix_wine_env BUILD_DIR   # exports WINEPREFIX=BUILD_DIR/wineprefix etc.
#   quorlix_wine_start           # Xvfb, the prefix (created once), wineserver -p, services
#   trap quorlix_wine_stop EXIT  # stops what quorlix_wine_start started
#   ctest --test-dir BUILD_DIR ...
#
# Why: ctest hangs when Wine's helper processes (wineserver, services.exe,
# ...) inherit a test's output pipe, and every test pays the server's idle
# timeout when the server stops between tests. So the server is made
# persistent and the services are started here, with their output sent away
# from the pipes ctest reads. The prefix is private to the build tree so that
# nothing depends on (or changes) the user's ~/.wine.

quorlix_wine_log() { echo "wine-env: $*" >&2; }

# quorlix_wine_env BUILD_DIR
quorlix_wine_env() {
  local build_dir
  build_dir=$(cd "$1" && pwd) || return 1
  export WINEPREFIX="$build_dir/wineprefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  QUORLIX_WINE=$(command -v wine || command -v wine64 || true)
  QUORLIX_WINESERVER=$(command -v wineserver || true)
  if [ -z "$QUORLIX_WINESERVER" ] && [ -x /usr/lib/wine/wineserver ]; then
    QUORLIX_WINESERVER=/usr/lib/wine/wineserver
  fi
  if [ -z "$QUORLIX_WINE" ] || [ -z "$QUORLIX_WINESERVER" ]; then
    quorlix_wine_log "wine or wineserver not found (run scripts/setup.sh)"
    return 1
  fi
  QUORLIX_WINE_LOG_DIR="$build_dir/wine-logs"
  mkdir -p "$QUORLIX_WINE_LOG_DIR"
}

# Starts Xvfb on a free display unless QUORLIX_NO_XVFB is set or a display
# is already given. Leaves its pid in QUORLIX_XVFB_PID.
quorlix_xvfb_start() {
  QUORLIX_XVFB_PID=
  if [ -n "${QUORLIX_NO_XVFB:-}" ] || [ -n "${DISPLAY:-}" ]; then
    return 0
  fi
  if ! command -v Xvfb >/dev/null 2>&1; then
    quorlix_wine_log "Xvfb not found; running without a display"
    return 0
  fi
  local display_file="$QUORLIX_WINE_LOG_DIR/xvfb-display"
  : >"$display_file"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
    3>"$display_file" </dev/null >"$QUORLIX_WINE_LOG_DIR/xvfb.log" 2>&1 &
  QUORLIX_XVFB_PID=$!
  for _ in $(seq 1 100); do
    if [ -s "$display_file" ]; then
      DISPLAY=":$(tr -d '[:space:]' <"$display_file")"
      export DISPLAY
      quorlix_wine_log "Xvfb (pid $QUORLIX_XVFB_PID) on display $DISPLAY"
      return 0
    fi
    if ! kill -0 "$QUORLIX_XVFB_PID" 2>/dev/null; then break; fi
    sleep 0.1
  done
  quorlix_wine_log "Xvfb did not start (see $QUORLIX_WINE_LOG_DIR/xvfb.log); running without a display"
  kill "$QUORLIX_XVFB_PID" 2>/dev/null || true
  wait "$QUORLIX_XVFB_PID" 2>/dev/null || true
  QUORLIX_XVFB_PID=
  return 0
}

# Creates the private prefix once; a prefix whose creation did not finish is
# made anew.
quorlix_wine_prefix() {
  local ready="$WINEPREFIX/.quorlix-prefix-ready"
  if [ -f "$ready" ]; then
    return 0
  fi
  local start=$SECONDS
  rm -rf "$WINEPREFIX"
  quorlix_wine_log "creating the Wine prefix $WINEPREFIX"
  "$QUORLIX_WINE" wineboot -i </dev/null >"$QUORLIX_WINE_LOG_DIR/wineboot.log" 2>&1 || {
    quorlix_wine_log "wineboot failed (see $QUORLIX_WINE_LOG_DIR/wineboot.log)"; return 1; }
  "$QUORLIX_WINESERVER" -w
  # Xvfb has no window manager: without this, Wine waits 2 s whenever a
  # top-level window hides, captions render black and keyboard input fails.
  "$QUORLIX_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    </dev/null >>"$QUORLIX_WINE_LOG_DIR/wineboot.log" 2>&1 || {
    quorlix_wine_log "setting the X11 driver key failed"; return 1; }
  "$QUORLIX_WINESERVER" -w
  touch "$ready"
  quorlix_wine_log "prefix created in $((SECONDS - start)) s"
}

# Everything before ctest: display, prefix, persistent server, services.
quorlix_wine_start() {
  QUORLIX_WINE_STARTED=1
  quorlix_xvfb_start || return 1
  quorlix_wine_prefix || return 1
  "$QUORLIX_WINESERVER" -p </dev/null >/dev/null 2>&1 || {
    quorlix_wine_log "wineserver -p failed"; return 1; }
  "$QUORLIX_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || {
    quorlix_wine_log "starting the Wine services failed"; return 1; }
  QUORLIX_WINE_STARTED=1
}

# For a trap: stops the server (and with it every Wine process of the
# prefix) and the Xvfb started above. Safe to call more than once.
quorlix_wine_stop() {
  if [ -n "${QUORLIX_WINE_STARTED:-}" ] && [ -n "${QUORLIX_WINESERVER:-}" ]; then
    "$QUORLIX_WINESERVER" -k >/dev/null 2>&1 || true
    "$QUORLIX_WINESERVER" -w >/dev/null 2>&1 || true
    QUORLIX_WINE_STARTED=
  fi
  if [ -n "${QUORLIX_XVFB_PID:-}" ]; then
    kill "$QUORLIX_XVFB_PID" 2>/dev/null || true
    wait "$QUORLIX_XVFB_PID" 2>/dev/null || true
    QUORLIX_XVFB_PID=
  fi
}

# quorlix_wine_dpi N: the display's resolution that the prefix's programs
# see from their next start (96 is Windows' default, 144 is 150 %).
quorlix_wine_dpi() {
  "$QUORLIX_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    </dev/null >/dev/null 2>&1 || { quorlix_wine_log "setting LogPixels to $1 failed"; return 1; }
}
