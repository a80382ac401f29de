#!/usr/bin/env bash
# The test command. Installs what is missing, builds both presets, starts two private Xvfb
# displays (one bare, one with openbox as its window manager) and the servers of the two Wine
# prefixes (unmanaged windows for the bare display, Wine's default managed windows for the
# other), runs every test through ctest (unit tests, Windows tests under Wine, end-to-end tests
# on the bare display, the window-manager end-to-end tests, label e2e-wm, on the other), stops
# what it started and exits with ctest's status.
#
#   bash scripts/test.sh                 everything
#   bash scripts/test.sh -L e2e          arguments go to ctest: here the end-to-end tests of
#                                        both displays (-L '^e2e$' for the bare display only)
#
# CORVANE_DISPLAY_NUMBER picks the bare Xvfb's display (default: a free one); CORVANE_WINEPREFIX
# and CORVANE_MANAGED_WINEPREFIX the prefixes (default build/wine/prefix and
# build/wine/prefix-managed). The window-manager tests find their display and prefix in
# CORVANE_WM_DISPLAY and CORVANE_WM_WINEPREFIX. Screenshots of the end-to-end tests:
# build/e2e-screenshots.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
exec </dev/null

started=$(corvane_now)
bash "$CORVANE_ROOT/scripts/setup.sh"
corvane_build_preset windows
corvane_build_preset native

cleanup() {
  corvane_stop_wineserver
  corvane_stop_xvfb
}
trap cleanup EXIT

corvane_start_xvfb "${CORVANE_DISPLAY_NUMBER:-}"
corvane_start_wm_display
corvane_prepare_prefix managed
corvane_start_wineserver managed
export CORVANE_WM_WINEPREFIX=$WINEPREFIX
corvane_prepare_prefix unmanaged
corvane_start_wineserver unmanaged
rm -rf "$CORVANE_ROOT/build/e2e-screenshots"

# One display and one single-instance Corvane: the tests run one at a time.
status=0
ctest --test-dir "$CORVANE_ROOT/build/native" --output-on-failure --no-tests=error "$@" || status=$?
corvane_log "tests finished with status $status after $(corvane_elapsed "$started") in all"
exit "$status"
