# Shell helpers shared by setup.sh, test.sh and run.sh: building, a private Xvfb, the Wine
# prefix under build/ and its persistent wineserver. Source it; it defines functions only, plus
# the variables below.
#
#   CORVANE_ROOT       the repository
#   CORVANE_WINEPREFIX where the prefix lives (default build/wine/prefix; may be set beforehand)

CORVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
CORVANE_WINEPREFIX="${CORVANE_WINEPREFIX:-$CORVANE_ROOT/build/wine/prefix}"

corvane_log() {
  printf '[corvane] %s\n' "$*" >&2
}

corvane_die() {
  corvane_log "error: $*"
  exit 1
}

# Seconds since the epoch with a fraction, for the timings the scripts print.
corvane_now() {
  date +%s.%N
}

corvane_elapsed() {
  awk -v a="$1" -v b="$(corvane_now)" 'BEGIN { printf "%.1f s", b - a }'
}

# --- building ---------------------------------------------------------------------------------

corvane_build_preset() {
  local preset=$1 start
  start=$(corvane_now)
  corvane_log "configuring and building the $preset preset"
  (cd "$CORVANE_ROOT" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset") ||
    corvane_die "the $preset build failed"
  corvane_log "$preset build done in $(corvane_elapsed "$start")"
}

# --- Wine -------------------------------------------------------------------------------------

# The environment every Wine process of ours runs with: a 64-bit prefix inside build/, no debug
# chatter, and no Mono/Gecko installer prompts or desktop menu entries.
corvane_wine_env() {
  export WINEPREFIX="$CORVANE_WINEPREFIX"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

# Marks a prefix that was created completely, with the Wine version it was made by.
corvane_prefix_marker() {
  printf '%s/.corvane-prefix' "$WINEPREFIX"
}

# What the marker holds: the Wine version and the revision of the setup below.
corvane_prefix_stamp() {
  printf '%s; corvane prefix 2\n' "$(wine --version 2>/dev/null)"
}

corvane_prefix_complete() {
  local marker font
  marker=$(corvane_prefix_marker)
  [[ -f $marker && -f $WINEPREFIX/system.reg && -f $WINEPREFIX/user.reg &&
     -f $WINEPREFIX/drive_c/windows/system32/kernel32.dll ]] || return 1
  [[ $(cat "$marker") == "$(corvane_prefix_stamp)" ]] || return 1
  # Debian's Wine does not look in its own font folder, so the prefix carries a copy.
  for font in /usr/share/wine/fonts/*; do
    [[ -f $WINEPREFIX/drive_c/windows/Fonts/$(basename "$font") ]] || return 1
  done
}

# Creates the prefix unless a complete one is there; a broken or outdated one is made anew.
corvane_prepare_prefix() {
  corvane_wine_env
  if corvane_prefix_complete; then
    corvane_log "reusing the Wine prefix $WINEPREFIX"
    return
  fi
  local start
  start=$(corvane_now)
  corvane_log "creating the Wine prefix $WINEPREFIX"
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1 || corvane_die "wineboot -i failed for $WINEPREFIX"
  wineserver -w
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  # Top-level windows are not handed to a window manager. Under Xvfb there is none, and Wine
  # would wait two seconds for it every time an active window is hidden or destroyed; Wine
  # then also stacks top-most windows and moves the keyboard focus itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 ||
    corvane_die "could not configure the X11 driver in $WINEPREFIX"
  wineserver -w
  corvane_prefix_stamp >"$(corvane_prefix_marker)"
  corvane_prefix_complete || corvane_die "the new Wine prefix $WINEPREFIX is incomplete"
  corvane_log "Wine prefix ready in $(corvane_elapsed "$start")"
}

# A persistent wineserver makes every later Wine start quick; `wineboot` then brings up the
# prefix's system processes once, so the first test does not pay for them.
corvane_start_wineserver() {
  corvane_wine_env
  # A server may already run for this prefix (Corvane started by run.sh, say): then it is used
  # as it is and left running at the end.
  if wineserver -p >/dev/null 2>&1; then
    CORVANE_WINESERVER_STARTED=1
  else
    corvane_log "using the wineserver already running for $WINEPREFIX"
  fi
  wineboot >/dev/null 2>&1 || corvane_die "wineboot failed in $WINEPREFIX"
}

corvane_stop_wineserver() {
  if [[ -n ${CORVANE_WINESERVER_STARTED:-} ]]; then
    WINEPREFIX="$CORVANE_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
    CORVANE_WINESERVER_STARTED=
  fi
}

# --- X ----------------------------------------------------------------------------------------

# Starts Xvfb (24-bit, 1280x1024) and exports DISPLAY. It takes display number $1 if given,
# otherwise Xvfb picks a free one itself and reports it once it accepts connections.
corvane_start_xvfb() {
  local wanted=${1:-} fifo_dir number=
  fifo_dir=$(mktemp -d)
  mkfifo "$fifo_dir/displayfd"
  if [[ -n $wanted ]]; then
    Xvfb ":$wanted" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo_dir/displayfd" \
      >/dev/null 2>&1 &
  else
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo_dir/displayfd" >/dev/null 2>&1 &
  fi
  CORVANE_XVFB_PID=$!
  # The read ends when Xvfb writes its display number, or with nothing when it dies.
  read -r -t 30 number <"$fifo_dir/displayfd" || true
  rm -rf "$fifo_dir"
  if [[ -z $number ]] || ! kill -0 "$CORVANE_XVFB_PID" 2>/dev/null; then
    CORVANE_XVFB_PID=
    corvane_die "Xvfb did not start${wanted:+ on display :$wanted}"
  fi
  export DISPLAY=":$number"
  corvane_log "Xvfb running on $DISPLAY (pid $CORVANE_XVFB_PID)"
}

corvane_stop_xvfb() {
  if [[ -n ${CORVANE_XVFB_PID:-} ]]; then
    kill "$CORVANE_XVFB_PID" 2>/dev/null || true
    wait "$CORVANE_XVFB_PID" 2>/dev/null || true
    CORVANE_XVFB_PID=
  fi
}
