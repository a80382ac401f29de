# Shell helpers shared by setup.sh, test.sh and run.sh: building, private Xvfb displays (one
# of them with a window manager), the Wine prefixes under build/ and their persistent
# wineservers, and a lock that keeps two scripts off one prefix at once. Source it; it defines
# functions only, plus the variables below.
#
#   CORVANE_ROOT               the repository
#   CORVANE_WINEPREFIX         the prefix of unmanaged windows, for a display without a window
#                              manager (default build/wine/prefix; may be set beforehand)
#   CORVANE_MANAGED_WINEPREFIX the prefix of Wine's default, managed windows, for a desktop
#                              with a window manager (default build/wine/prefix-managed)

CORVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
CORVANE_WINEPREFIX="${CORVANE_WINEPREFIX:-$CORVANE_ROOT/build/wine/prefix}"
CORVANE_MANAGED_WINEPREFIX="${CORVANE_MANAGED_WINEPREFIX:-$CORVANE_ROOT/build/wine/prefix-managed}"

corvane_log() {
  printf '[corvane] %s\n' "$*" >&2
}

corvane_die() {
  corvane_log "error: $*"
  exit 1
}

# Prints a script's usage: its opening comment, from the line after the #! line down to the
# first line that is not a comment.
corvane_usage() {
  awk 'NR == 1 { next } /^#/ { sub(/^# ?/, ""); print; next } { exit }' "$1"
}

# Whether any of the arguments asks for the usage.
corvane_wants_help() {
  local arg
  for arg in "$@"; do
    [[ $arg == -h || $arg == --help ]] && return 0
  done
  return 1
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

# --- ctest ------------------------------------------------------------------------------------

# The tests that a ctest run given --repeat until-pass:N failed before they passed, one a line in
# the order they ran, from the run's output (as ctest's --output-log writes it). A skip counts as
# a pass, as it does for ctest. A test that failed every time is not one of them: the run failed
# on it.
corvane_second_tries() {
  awk '
    match($0, /Test +#[0-9]+: [^ ]+ /) {
      name = substr($0, RSTART, RLENGTH)
      sub(/^Test +#[0-9]+: /, "", name)
      sub(/ $/, "", name)
      if (!(name in passed)) order[++count] = name
      passed[name] = $0 ~ /( Passed|\*\*\*Skipped) +[0-9.]+ sec/
      if (!passed[name]) failed[name] = 1
    }
    END {
      for (i = 1; i <= count; ++i) if (failed[order[i]] && passed[order[i]]) print order[i]
    }
  ' "$1"
}

# The line that names them: "needed a second try: none", or the tests, comma-separated.
corvane_second_tries_line() {
  local tests
  tests=$(corvane_second_tries "$1" | paste -sd, - | sed 's/,/, /g')
  printf 'needed a second try: %s\n' "${tests:-none}"
}

# --- Wine -------------------------------------------------------------------------------------

# The prefix for Wine's windows of one kind: "unmanaged" (the default) or "managed".
corvane_prefix_path() {
  case ${1:-unmanaged} in
    unmanaged) printf '%s' "$CORVANE_WINEPREFIX" ;;
    managed) printf '%s' "$CORVANE_MANAGED_WINEPREFIX" ;;
    *) corvane_die "no Wine prefix of $1 windows" ;;
  esac
}

# The environment every Wine process of ours runs with: a 64-bit prefix inside build/ (that of
# the kind $1, default unmanaged), no debug chatter, and no Mono/Gecko installer prompts or
# desktop menu entries.
corvane_wine_env() {
  WINEPREFIX=$(corvane_prefix_path "${1:-unmanaged}")
  export WINEPREFIX
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

# Marks a prefix that was created completely, with the Wine version it was made by.
corvane_prefix_marker() {
  printf '%s/.corvane-prefix' "$WINEPREFIX"
}

# What the marker holds: the Wine version, the revision of the setup below and, for a prefix
# of managed windows, that kind ($1).
corvane_prefix_stamp() {
  if [[ $1 == managed ]]; then
    printf '%s; corvane prefix 2; managed windows\n' "$(wine --version 2>/dev/null)"
  else
    printf '%s; corvane prefix 2\n' "$(wine --version 2>/dev/null)"
  fi
}

corvane_prefix_complete() {
  local marker font
  marker=$(corvane_prefix_marker)
  [[ -f $marker && -f $WINEPREFIX/system.reg && -f $WINEPREFIX/user.reg &&
     -f $WINEPREFIX/drive_c/windows/system32/kernel32.dll ]] || return 1
  [[ $(cat "$marker") == "$(corvane_prefix_stamp "$1")" ]] || return 1
  # Debian's Wine does not look in its own font folder, so the prefix carries a copy.
  for font in /usr/share/wine/fonts/*; do
    [[ -f $WINEPREFIX/drive_c/windows/Fonts/$(basename "$font") ]] || return 1
  done
}

# One script at a time per prefix. A script stops at its end the wineserver it started, and a
# second script using the same prefix meanwhile would lose its server (and its Wine processes)
# under it. corvane_lock_prefix takes the prefix of the kind $1 for this script until it ends
# (or calls corvane_unlock_prefixes), waiting up to CORVANE_PREFIX_LOCK_WAIT seconds (default
# 3600) while another script has it.
#
# The lock is an flock on a file beside the prefix (inside it, it would go whenever the prefix is
# made anew). A small keeper process holds it: `flock -o` runs the keeper's loop with the lock's
# descriptor closed, and the script's own processes never see that descriptor, so no wineserver,
# Wine program or Xvfb the script started keeps the prefix locked after it. The keeper lets go
# within half a second of the script's end, however it ends (even killed), or once the owner
# file no longer names the script.
corvane_prefix_lock_file() {
  printf '%s.lock' "$(corvane_prefix_path "${1:-unmanaged}")"
}

corvane_lock_prefix() {
  local kind=${1:-unmanaged} lock owner fd answer=
  lock=$(corvane_prefix_lock_file "$kind")
  [[ -n ${CORVANE_PREFIX_LOCKS[$lock]:-} ]] && return
  mkdir -p "$(dirname "$lock")"
  if ! flock -n "$lock" true; then
    owner=$(cat "$lock.owner" 2>/dev/null || true)
    corvane_log "waiting for the Wine prefix $(corvane_prefix_path "$kind"), in use by another run${owner:+ (pid $owner)}"
  fi
  # The keeper writes the owner file and answers "locked" once it holds the lock.
  exec {fd}< <(exec flock -w "${CORVANE_PREFIX_LOCK_WAIT:-3600}" -o "$lock" sh -c '
    printf "%s\n" "$1" >"$2" && echo locked || exit 1
    while kill -0 "$1" 2>/dev/null && [ "$(cat "$2" 2>/dev/null)" = "$1" ]; do sleep 0.5; done
  ' corvane-prefix-lock "$$" "$lock.owner" 2>/dev/null)
  read -r -u "$fd" answer || true
  exec {fd}<&-
  [[ $answer == locked ]] || corvane_die "the Wine prefix $(corvane_prefix_path "$kind") stayed in use by another run"
  CORVANE_PREFIX_LOCKS[$lock]=1
}

# Lets go of every prefix this script locked, for a script that hands its prefix on (run.sh
# replacing itself with the program it starts).
corvane_unlock_prefixes() {
  local lock
  for lock in "${!CORVANE_PREFIX_LOCKS[@]}"; do
    rm -f "$lock.owner"
  done
  CORVANE_PREFIX_LOCKS=()
}
declare -gA CORVANE_PREFIX_LOCKS=()

# Creates the prefix of the kind $1 (unmanaged, the default, or managed) unless a complete one
# is there, and leaves the Wine environment set for it; a broken or outdated one is made anew.
#  - unmanaged: top-level windows are not handed to a window manager. For the test display,
#    which has none: Wine would otherwise wait two seconds for one every time an active window
#    is hidden or destroyed; Wine then also stacks top-most windows and moves the keyboard
#    focus itself. At a desktop this is wrong: the window manager knows nothing of the
#    windows, so Alt+F4 and the keyboard focus do not reach them.
#  - managed: Wine's default, for a desktop with a window manager.
corvane_prepare_prefix() {
  local kind=${1:-unmanaged}
  corvane_lock_prefix "$kind"
  corvane_wine_env "$kind"
  if corvane_prefix_complete "$kind"; then
    corvane_log "reusing the Wine prefix $WINEPREFIX"
    return
  fi
  local start
  start=$(corvane_now)
  corvane_log "creating the Wine prefix $WINEPREFIX ($kind windows)"
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1 || corvane_die "wineboot -i failed for $WINEPREFIX"
  wineserver -w
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  if [[ $kind == unmanaged ]]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 ||
      corvane_die "could not configure the X11 driver in $WINEPREFIX"
    wineserver -w
  fi
  corvane_prefix_stamp "$kind" >"$(corvane_prefix_marker)"
  corvane_prefix_complete "$kind" || corvane_die "the new Wine prefix $WINEPREFIX is incomplete"
  corvane_log "Wine prefix ready in $(corvane_elapsed "$start")"
}

# A persistent wineserver makes every later Wine start quick; `wineboot` then brings up the
# prefix's system processes once, so the first test does not pay for them. For the prefix of
# the kind $1 (default unmanaged); it leaves the Wine environment set for that prefix.
corvane_start_wineserver() {
  corvane_lock_prefix "${1:-unmanaged}"
  corvane_wine_env "${1:-unmanaged}"
  # A server may already run for this prefix (Corvane started by run.sh, say): then it is used
  # as it is and left running at the end.
  if wineserver -p >/dev/null 2>&1; then
    CORVANE_WINESERVERS_STARTED+=("$WINEPREFIX")
  else
    corvane_log "using the wineserver already running for $WINEPREFIX"
  fi
  wineboot >/dev/null 2>&1 || corvane_die "wineboot failed in $WINEPREFIX"
}

# Stops the wineservers corvane_start_wineserver started.
corvane_stop_wineserver() {
  local prefix
  for prefix in "${CORVANE_WINESERVERS_STARTED[@]}"; do
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  done
  CORVANE_WINESERVERS_STARTED=()
}
CORVANE_WINESERVERS_STARTED=()

# --- X ----------------------------------------------------------------------------------------

# Starts an Xvfb (24-bit, 1280x1024) on display number $1 if given, otherwise on one Xvfb picks
# itself and reports once it accepts connections. Sets CORVANE_NEW_DISPLAY (":N") and
# CORVANE_NEW_XVFB_PID; corvane_stop_xvfb stops it.
corvane_launch_xvfb() {
  local wanted=${1:-} fifo_dir number= pid
  fifo_dir=$(mktemp -d)
  mkfifo "$fifo_dir/displayfd"
  if [[ -n $wanted ]]; then
    Xvfb ":$wanted" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo_dir/displayfd" \
      >/dev/null 2>&1 &
  else
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo_dir/displayfd" >/dev/null 2>&1 &
  fi
  pid=$!
  CORVANE_XVFB_PIDS+=("$pid")
  # The read ends when Xvfb writes its display number, or with nothing when it dies.
  read -r -t 30 number <"$fifo_dir/displayfd" || true
  rm -rf "$fifo_dir"
  if [[ -z $number ]] || ! kill -0 "$pid" 2>/dev/null; then
    corvane_die "Xvfb did not start${wanted:+ on display :$wanted}"
  fi
  CORVANE_NEW_DISPLAY=":$number"
  CORVANE_NEW_XVFB_PID=$pid
}

# Starts Xvfb (24-bit, 1280x1024), without a window manager, and exports DISPLAY. It takes
# display number $1 if given, otherwise a free one.
corvane_start_xvfb() {
  corvane_launch_xvfb "${1:-}"
  export DISPLAY=$CORVANE_NEW_DISPLAY
  CORVANE_XVFB_PID=$CORVANE_NEW_XVFB_PID
  corvane_log "Xvfb running on $DISPLAY (pid $CORVANE_XVFB_PID)"
}

# Whether the display $1 has a window manager that says so (EWMH's supporting-WM check).
corvane_display_has_wm() {
  DISPLAY=$1 xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# Starts a second Xvfb on a free display with openbox as its window manager, as a desktop has,
# with openbox's own default settings (not the user's). Sets and exports CORVANE_WM_DISPLAY;
# DISPLAY stays as it is. corvane_stop_xvfb stops both.
corvane_start_wm_display() {
  local config deadline
  corvane_launch_xvfb
  CORVANE_WM_DISPLAY=$CORVANE_NEW_DISPLAY
  export CORVANE_WM_DISPLAY
  config="$CORVANE_ROOT/build/openbox-config"
  mkdir -p "$config"
  DISPLAY=$CORVANE_WM_DISPLAY XDG_CONFIG_HOME=$config openbox --sm-disable >/dev/null 2>&1 &
  CORVANE_OPENBOX_PID=$!
  deadline=$((SECONDS + 30))
  until corvane_display_has_wm "$CORVANE_WM_DISPLAY"; do
    kill -0 "$CORVANE_OPENBOX_PID" 2>/dev/null || corvane_die "openbox did not start on $CORVANE_WM_DISPLAY"
    ((SECONDS < deadline)) || corvane_die "openbox did not take $CORVANE_WM_DISPLAY within 30 s"
    sleep 0.1
  done
  corvane_log "Xvfb with openbox running on $CORVANE_WM_DISPLAY (openbox pid $CORVANE_OPENBOX_PID)"
}

# Stops openbox and every Xvfb started here.
corvane_stop_xvfb() {
  local pid
  if [[ -n ${CORVANE_OPENBOX_PID:-} ]]; then
    kill "$CORVANE_OPENBOX_PID" 2>/dev/null || true
    wait "$CORVANE_OPENBOX_PID" 2>/dev/null || true
    CORVANE_OPENBOX_PID=
  fi
  for pid in "${CORVANE_XVFB_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  CORVANE_XVFB_PIDS=()
  CORVANE_XVFB_PID=
}
CORVANE_XVFB_PIDS=()

# --- Wayland ----------------------------------------------------------------------------------

# The unprivileged system user the Wayland tests run sway and the programs as: sway refuses to
# run as root.
CORVANE_WAYLAND_USER=corvane-wayland

# Creates the Wayland tests' user unless it exists (root only).
corvane_ensure_wayland_user() {
  getent passwd "$CORVANE_WAYLAND_USER" >/dev/null && return 0
  useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
    "$CORVANE_WAYLAND_USER" 2>/dev/null || getent passwd "$CORVANE_WAYLAND_USER" >/dev/null ||
    corvane_die "could not create the user $CORVANE_WAYLAND_USER for the Wayland tests"
}

# Starts headless sway (one 1280x1024 output, pixman rendering, no Xwayland, no input devices)
# as the Wayland tests' user, in a private XDG_RUNTIME_DIR (0700, owned by that user), and waits
# for its Wayland and IPC sockets. Exports CORVANE_WAYLAND_RUNTIME_DIR, CORVANE_WAYLAND_DISPLAY
# (the socket's name), CORVANE_SWAYSOCK, CORVANE_WAYLAND_USER, CORVANE_WAYLAND_HOME (the user's
# home there) and CORVANE_WAYLAND_RUNS (where the tests make their folders); corvane_stop_sway
# stops it.
corvane_start_sway() {
  local base uid config socket= ipc= deadline
  corvane_ensure_wayland_user
  uid=$(id -u "$CORVANE_WAYLAND_USER")
  base=$(mktemp -d /tmp/corvane-wayland.XXXXXX)
  chmod 755 "$base"
  CORVANE_SWAY_BASE=$base
  # runs/: a folder per test run, made and handed to the user by the tests.
  mkdir -p "$base/runtime" "$base/home" "$base/runs"
  chown "$CORVANE_WAYLAND_USER:" "$base/runtime" "$base/home"
  chmod 700 "$base/runtime"
  config="$base/sway.config"
  # No bar, no wallpaper (a black desktop), no borders or gaps: a tiled window fills the output.
  cat >"$config" <<'CONFIG'
xwayland disable
output HEADLESS-1 resolution 1280x1024 position 0 0
default_border none
default_floating_border none
focus_follows_mouse no
CONFIG
  runuser -u "$CORVANE_WAYLAND_USER" -- env -i PATH=/usr/bin:/bin HOME="$base/home" \
    XDG_RUNTIME_DIR="$base/runtime" XDG_CONFIG_HOME="$base/home/.config" XDG_CACHE_HOME="$base/home/.cache" \
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$config" >"$base/sway.log" 2>&1 &
  CORVANE_SWAY_PID=$!
  deadline=$((SECONDS + 30))
  while [[ -z $socket || -z $ipc ]]; do
    kill -0 "$CORVANE_SWAY_PID" 2>/dev/null || { tail -n 20 "$base/sway.log" >&2; corvane_die "sway did not start"; }
    ((SECONDS < deadline)) || corvane_die "sway did not open its sockets within 30 s (log: $base/sway.log)"
    sleep 0.1
    socket=$(cd "$base/runtime" && ls wayland-? 2>/dev/null | head -n 1) || true
    ipc=$(ls "$base/runtime"/sway-ipc.*.sock 2>/dev/null | head -n 1) || true
  done
  export CORVANE_WAYLAND_USER CORVANE_WAYLAND_RUNTIME_DIR="$base/runtime" CORVANE_WAYLAND_DISPLAY=$socket
  export CORVANE_SWAYSOCK=$ipc CORVANE_WAYLAND_HOME="$base/home" CORVANE_WAYLAND_RUNS="$base/runs"
  corvane_log "headless sway running as $CORVANE_WAYLAND_USER on $socket (pid $CORVANE_SWAY_PID, uid $uid)"
}

# Stops the sway started by corvane_start_sway and removes its folders.
corvane_stop_sway() {
  if [[ -n ${CORVANE_SWAY_PID:-} ]]; then
    kill "$CORVANE_SWAY_PID" 2>/dev/null || true
    wait "$CORVANE_SWAY_PID" 2>/dev/null || true
    CORVANE_SWAY_PID=
  fi
  if [[ -n ${CORVANE_SWAY_BASE:-} ]]; then
    rm -rf "$CORVANE_SWAY_BASE"
    CORVANE_SWAY_BASE=
  fi
}
