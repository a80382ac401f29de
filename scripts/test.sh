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

cleanup() {
  corvane_stop_wineserver
  corvane_stop_xvfb
}
trap cleanup EXIT

corvane_start_xvfb "${CORVANE_DISPLAY_NUMBER:-}"
corvane_prepare_prefix
corvane_start_wineserver
rm -rf "$CORVANE_ROOT/build/e2e-screenshots"

# One display and one single-instance Corvane: the tests run one at a time.
status=0
ctest --test-dir "$CORVANE_ROOT/build/native" --output-on-failure --no-tests=error "$@" || status=$?
corvane_log "tests finished with status $status after $(corvane_elapsed "$started") in all"
exit "$status"
