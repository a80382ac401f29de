#!/usr/bin/env bash
# The run command. Installs what is missing, builds Corvane.exe and starts it under Wine from
# build/run/ (where its corvane.ini stays between runs).
#  - With a usable $DISPLAY it runs there until you quit it (double-click it, or Alt+F4). At a
#    desktop with a window manager it runs with Wine's default, managed windows (prefix
#    build/wine/prefix-managed), so the window manager keeps the menu and About window above
#    the picture, gives them the keyboard and passes Alt+F4 on; on a display without one, with
#    unmanaged windows (build/wine/prefix), which Wine then places and stacks itself.
#  - Without one it runs on a private Xvfb, saves a screenshot of the screen to
#    build/screenshot.png once its window is painted, and stops.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
exec </dev/null

bash "$CORVANE_ROOT/scripts/setup.sh"
corvane_build_preset windows

run_dir="$CORVANE_ROOT/build/run"
mkdir -p "$run_dir"
cp "$CORVANE_ROOT/build/windows/Corvane.exe" "$run_dir/"

if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
  if corvane_display_has_wm "$DISPLAY"; then
    corvane_prepare_prefix managed
  else
    corvane_prepare_prefix unmanaged
  fi
  corvane_log "starting Corvane on $DISPLAY"
  cd "$run_dir"
  exec wine Corvane.exe
fi

cleanup() {
  corvane_stop_wineserver
  corvane_stop_xvfb
}
trap cleanup EXIT

corvane_log "no usable DISPLAY: running on a private Xvfb"
corvane_start_xvfb
corvane_prepare_prefix
corvane_start_wineserver
(cd "$run_dir" && exec wine Corvane.exe) &

# Waits for a shown window whose title starts with "Corvane", then for its first painting (more
# than one colour inside it).
deadline=$((SECONDS + 60))
geometry=
while ((SECONDS < deadline)); do
  geometry=$(xwininfo -root -children | awk '/"Corvane[^"]*":/ { print $(NF - 1); exit }')
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
