#!/usr/bin/env bash
# The run command. Installs what is missing, builds Corvane and starts it. It installs only
# what that needs (scripts/setup.sh's sets): the Linux program's build and libraries, or with
# --wine MinGW-w64 and Wine; without a display, Xvfb, openbox and ImageMagick as well. The test
# toolchain is scripts/test.sh's.
#
#   bash scripts/run.sh           the native Linux program (GTK 3), build/linux/corvane
#   bash scripts/run.sh --wine    the Windows program, Corvane.exe, under Wine
#
# Each runs from its own folder, where its corvane.ini stays between runs: build/run-linux/
# (the native program keeps its settings beside itself there) or build/run/ (Wine).
#  - With a usable $DISPLAY it runs there until you quit it (double-click it, or Alt+F4). Under
#    Wine at a desktop with a window manager it runs with Wine's default, managed windows
#    (prefix build/wine/prefix-managed), so the window manager keeps the menu and About window
#    above the picture, gives them the keyboard and passes Alt+F4 on; on a display without
#    one, with unmanaged windows (build/wine/prefix), which Wine then places and stacks itself.
#  - Without one it runs on a private Xvfb (with openbox for the native program), saves a
#    screenshot of the screen to build/screenshot.png once its window is painted, and stops.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
exec </dev/null

target=linux
for arg in "$@"; do
  case $arg in
    --wine) target=wine ;;
    --linux) target=linux ;;
    -h | --help)
      corvane_usage "${BASH_SOURCE[0]}"
      exit 0
      ;;
    *) corvane_die "unknown option $arg (try --help)" ;;
  esac
done

display_usable() {
  [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1
}
bash "$CORVANE_ROOT/scripts/setup.sh" "$target"
display_usable || bash "$CORVANE_ROOT/scripts/setup.sh" headless
if [[ $target == wine ]]; then
  # Only the program: its tests are the test command's.
  start=$(corvane_now)
  corvane_log "configuring the windows preset and building Corvane.exe"
  (cd "$CORVANE_ROOT" && cmake --preset windows >/dev/null && cmake --build build/windows --target Corvane) ||
    corvane_die "the windows build failed"
  corvane_log "Corvane.exe built in $(corvane_elapsed "$start")"
  run_dir="$CORVANE_ROOT/build/run"
  mkdir -p "$run_dir"
  cp "$CORVANE_ROOT/build/windows/Corvane.exe" "$run_dir/"
  program=(wine Corvane.exe)
else
  corvane_build_preset linux
  run_dir="$CORVANE_ROOT/build/run-linux"
  mkdir -p "$run_dir"
  cp "$CORVANE_ROOT/build/linux/corvane" "$run_dir/"
  program=(./corvane)
fi

if display_usable; then
  if [[ $target == wine ]]; then
    if corvane_display_has_wm "$DISPLAY"; then
      corvane_prepare_prefix managed
    else
      corvane_prepare_prefix unmanaged
    fi
  fi
  corvane_log "starting Corvane on $DISPLAY"
  # The program takes this shell's place and shares the prefix's server with whatever comes
  # later: the prefix is no longer this script's.
  corvane_unlock_prefixes
  cd "$run_dir"
  exec "${program[@]}"
fi

openbox_pid=
cleanup() {
  [[ -n $openbox_pid ]] && kill "$openbox_pid" 2>/dev/null
  [[ $target == wine ]] && corvane_stop_wineserver
  corvane_stop_xvfb
}
trap cleanup EXIT

corvane_log "no usable DISPLAY: running on a private Xvfb"
corvane_start_xvfb
if [[ $target == wine ]]; then
  corvane_prepare_prefix
  corvane_start_wineserver
else
  # The native program is made for a desktop with a window manager.
  openbox >/dev/null 2>&1 &
  openbox_pid=$!
fi
(cd "$run_dir" && exec "${program[@]}") &
program_pid=$!

# Waits for a shown window whose title starts with "Corvane", then for its first painting (more
# than one colour inside it).
deadline=$((SECONDS + 60))
geometry=
while ((SECONDS < deadline)); do
  # The whole tree: a window manager puts the window inside a frame of its own. Its size, then
  # its place on the screen (the last field; the one before is relative to its parent). The
  # whole listing is read: xwininfo must not lose its pipe.
  geometry=$(xwininfo -root -tree | awk '!found && /"Corvane[^"]*":/ { split($(NF - 1), size, "+"); print size[1] $NF; found = 1 }')
  if [[ -n $geometry ]] && (($(import -window root -crop "$geometry" -format '%k' info: 2>/dev/null || echo 0) > 1)); then
    break
  fi
  geometry=
  sleep 0.2
done
[[ -n $geometry ]] || corvane_die "no painted Corvane window appeared within 60 s"

screenshot="$CORVANE_ROOT/build/screenshot.png"
import -window root "$screenshot"
corvane_log "Corvane's window: $geometry"
echo "screenshot: $screenshot"
[[ $target == linux ]] && kill "$program_pid" 2>/dev/null
exit 0
