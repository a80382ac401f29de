#!/usr/bin/env bash
# The test command. Installs what is missing, then runs its stages, each through ctest:
#
#   main      checks the sources' format (scripts/format.sh --check: a difference ends the run
#             at once, before any build), builds the windows, linux and native presets, starts a
#             private Xvfb and the Wine prefix's server, and a second Xvfb with openbox, where the
#             Linux program's tests (label e2e-linux) run and, with a Wine prefix of Wine's
#             default, managed windows, the window-manager tests of the Windows program (label
#             e2e-wm), and headless sway as an unprivileged user (scripts/lib.sh), where the Linux
#             program runs as a native Wayland client (label e2e-wayland); runs the tests there
#             (unit tests, Windows tests under Wine, end-to-end tests of both programs)
#   sanitize  builds the native-asan preset and runs the unit tests (label unit) with
#             AddressSanitizer and UndefinedBehaviorSanitizer
#   fuzz      builds the fuzz preset (clang++) and runs each libFuzzer target (label fuzz) for a
#             bounded time (CORVANE_FUZZ_SECONDS, default 60)
#
# It stops what it started and exits with the first failing stage's status (every stage runs).
# Without arguments the main stage runs a failing test once more before it counts; at its end,
# and again beside the final status, it prints "needed a second try:" with the tests that failed
# and then passed (none, as a rule), read from its ctest output in build/ctest-main.log.
#
#   bash scripts/test.sh                 the main, sanitize and fuzz stages
#   bash scripts/test.sh -L e2e          arguments go to ctest; with arguments only the main stage
#                                        runs, unless CORVANE_STAGES names others (-L e2e takes
#                                        both displays' end-to-end tests, -L '^e2e$' the bare one's)
#   CORVANE_STAGES="sanitize fuzz" bash scripts/test.sh
#
# CORVANE_DISPLAY_NUMBER picks the bare Xvfb's display (default: a free one); CORVANE_WINEPREFIX
# and CORVANE_MANAGED_WINEPREFIX the prefixes (default build/wine/prefix and
# build/wine/prefix-managed). The window-manager tests find their display and prefix in
# CORVANE_WM_DISPLAY and CORVANE_WM_WINEPREFIX. Screenshots of the end-to-end tests:
# build/e2e-screenshots.
# With CI set, every build treats warnings as errors.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
if corvane_wants_help "$@"; then
  corvane_usage "${BASH_SOURCE[0]}"
  exit 0
fi
exec </dev/null

started=$(corvane_now)
if (($# > 0)); then
  stages=${CORVANE_STAGES:-main}
else
  stages=${CORVANE_STAGES:-main sanitize fuzz}
fi
bash "$CORVANE_ROOT/scripts/setup.sh" test

cleanup() {
  corvane_stop_sway
  corvane_stop_wineserver
  corvane_stop_xvfb
}
trap cleanup EXIT

status=0
# The main stage's ctest output, read for the tests that needed a second try.
main_log="$CORVANE_ROOT/build/ctest-main.log"
second_tries=

# Runs one stage's ctest and keeps the first failure's status.
run_ctest() {
  local name=$1 stage_start stage_status=0
  shift
  stage_start=$(corvane_now)
  ctest "$@" || stage_status=$?
  corvane_log "$name tests finished with status $stage_status in $(corvane_elapsed "$stage_start")"
  if ((status == 0)); then status=$stage_status; fi
}

for stage in $stages; do
  case $stage in
    main)
      # The sources' format first: a quick check that fails the run before any build.
      bash "$CORVANE_ROOT/scripts/format.sh" --check ||
        corvane_die "the sources' format differs from .clang-format: run bash scripts/format.sh, then test again"
      corvane_build_preset windows
      corvane_build_preset linux
      corvane_build_preset native
      corvane_start_xvfb "${CORVANE_DISPLAY_NUMBER:-}"
      # The window-manager tests (label e2e-wm) run on a second display with openbox and a
      # prefix of Wine's default, managed windows; the others on the bare display, unmanaged.
      corvane_start_wm_display
      # The Linux program's tests (label e2e-linux) run there too, under the window manager
      # they are made for.
      export CORVANE_LINUX_DISPLAY=$CORVANE_WM_DISPLAY
      # The Linux program's Wayland tests (label e2e-wayland): headless sway, run as a user of
      # its own since sway refuses root.
      corvane_start_sway
      corvane_prepare_prefix managed
      corvane_start_wineserver managed
      export CORVANE_WM_WINEPREFIX=$WINEPREFIX
      corvane_prepare_prefix unmanaged
      corvane_start_wineserver unmanaged
      rm -rf "$CORVANE_ROOT/build/e2e-screenshots"
      # One display and one single-instance Corvane: the tests run one at a time. Without
      # arguments a test that fails is run once more before it counts (its failed attempt stays
      # in the log): an end-to-end test under a busy window manager now and then loses a race
      # with it. That is a safety net, not a habit: the run names every test that needed it.
      if (($# > 0)); then
        run_ctest main --test-dir "$CORVANE_ROOT/build/native" --output-on-failure --no-tests=error "$@"
        second_tries="needed a second try: none (a run with arguments gives no test a second one)"
      else
        rm -f "$main_log"
        run_ctest main --test-dir "$CORVANE_ROOT/build/native" --output-on-failure --no-tests=error \
          --repeat until-pass:2 --output-log "$main_log"
        if [[ -f $main_log ]]; then
          second_tries=$(corvane_second_tries_line "$main_log")
        else
          second_tries="needed a second try: unknown (ctest wrote no log)"
        fi
      fi
      corvane_log "$second_tries"
      ;;
    sanitize)
      corvane_build_preset native-asan
      run_ctest sanitized --test-dir "$CORVANE_ROOT/build/native-asan" --output-on-failure -L unit \
        --no-tests=error "$@"
      ;;
    fuzz)
      (cd "$CORVANE_ROOT" && cmake --preset fuzz -DCORVANE_FUZZ_SECONDS="${CORVANE_FUZZ_SECONDS:-60}" >/dev/null) ||
        corvane_die "configuring the fuzz preset failed"
      corvane_build_preset fuzz
      run_ctest fuzz --test-dir "$CORVANE_ROOT/build/fuzz" --output-on-failure -L fuzz --no-tests=error "$@"
      ;;
    *)
      corvane_die "unknown stage '$stage' in CORVANE_STAGES (main, sanitize, fuzz)"
      ;;
  esac
done
if [[ -n $second_tries ]]; then corvane_log "main stage: $second_tries"; fi
corvane_log "tests finished with status $status after $(corvane_elapsed "$started") in all"
exit "$status"
