#!/usr/bin/env bash
# The test command. Installs what is missing, builds the windows, linux and native presets,
# starts a private Xvfb and the Wine prefix's server, runs every test through ctest (unit
# tests, Windows tests under Wine, end-to-end tests), stops what it started and exits with
# ctest's status.
#
#   bash scripts/test.sh                 everything
#   bash scripts/test.sh -L e2e          arguments go to ctest: here only the end-to-end tests
#
# CORVANE_DISPLAY_NUMBER picks the Xvfb display (default: a free one); CORVANE_WINEPREFIX the
# prefix (default build/wine/prefix). Screenshots of the end-to-end tests: build/e2e-screenshots.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
exec </dev/null

started=$(corvane_now)
bash "$CORVANE_ROOT/scripts/setup.sh"
corvane_build_preset windows
corvane_build_preset linux
corvane_build_preset native

managed_pids=()
cleanup() {
  corvane_stop_wineserver
  corvane_stop_xvfb
  ((${#managed_pids[@]})) && kill "${managed_pids[@]}" 2>/dev/null
  return 0
}
trap cleanup EXIT

# The native program's tests (label e2e-linux) run on a display of their own with openbox, the
# window manager they are made for: CORVANE_LINUX_DISPLAY names it.
start_managed_display() {
  local fifo_dir number=
  fifo_dir=$(mktemp -d)
  mkfifo "$fifo_dir/displayfd"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo_dir/displayfd" >/dev/null 2>&1 &
  managed_pids+=($!)
  read -r -t 30 number <"$fifo_dir/displayfd" || true
  rm -rf "$fifo_dir"
  [[ -n $number ]] || corvane_die "the Xvfb for the native program did not start"
  DISPLAY=":$number" openbox >/dev/null 2>&1 &
  managed_pids+=($!)
  export CORVANE_LINUX_DISPLAY=":$number"
  corvane_log "Xvfb with openbox for the native program on $CORVANE_LINUX_DISPLAY"
}

start_managed_display
corvane_start_xvfb "${CORVANE_DISPLAY_NUMBER:-}"
corvane_prepare_prefix
corvane_start_wineserver
rm -rf "$CORVANE_ROOT/build/e2e-screenshots"

# One display and one single-instance Corvane: the tests run one at a time.
status=0
ctest --test-dir "$CORVANE_ROOT/build/native" --output-on-failure --no-tests=error "$@" || status=$?
corvane_log "tests finished with status $status after $(corvane_elapsed "$started") in all"
exit "$status"
