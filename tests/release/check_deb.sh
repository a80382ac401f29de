#!/usr/bin/env bash
# The Debian package, made by the release command and used as a user would: the release packs
# the built programs into a fresh folder; lintian (no error, no warning), desktop-file-validate
# and appstreamcli validate the package, its desktop entry and its metadata; the package's
# files are where a desktop looks for them; apt installs it; the installed /usr/bin/corvane
# answers its options, shows its window on the display with a window manager
# (CORVANE_LINUX_DISPLAY, else DISPLAY) with the WM class its desktop entry names, and saves
# its settings in $XDG_CONFIG_HOME/corvane/ when double-clicked; apt purges it and no file it
# installed is left.
#
#   check_deb.sh <release.sh> <version.h> <windows-build-dir> <linux-build-dir> <work-dir>
#
# Installing needs root (or sudo); without either the test is skipped (status 77). The program
# runs as an ordinary user (nobody, when the test is root): root may write beside /usr/bin/corvane,
# which an installed copy's user cannot.
set -euo pipefail
exec </dev/null

(($# == 5)) || { echo "usage: check_deb.sh <release.sh> <version.h> <windows-build-dir> <linux-build-dir> <work-dir>" >&2; exit 2; }
release=$1 version_header=$2 windows_dir=$3 linux_dir=$4 work=$5

fail() {
  printf 'check_deb: %s\n' "$*" >&2
  exit 1
}
step() {
  printf 'check_deb: %s\n' "$*"
}

sudo=()
if ((EUID != 0)); then
  if ! sudo -n true 2>/dev/null; then
    echo "check_deb: installing the package needs root or sudo: skipped"
    exit 77
  fi
  sudo=(sudo -n)
fi
[[ -x $linux_dir/corvane ]] || fail "$linux_dir/corvane is missing: build the linux preset first"
display=${CORVANE_LINUX_DISPLAY:-${DISPLAY:-}}
[[ -n $display ]] || fail "no display: set CORVANE_LINUX_DISPLAY (scripts/test.sh does)"

version=$(sed -n 's/^#define CORVANE_VERSION_TEXT "\(.*\)"$/\1/p' "$version_header")
app_id=$(sed -n 's/^#define CORVANE_APP_ID "\(.*\)"$/\1/p' "$version_header")
[[ -n $version && -n $app_id ]] || fail "no CORVANE_VERSION_TEXT or CORVANE_APP_ID in $version_header"

rm -rf "$work"
mkdir -p "$work"
chmod 755 "$work"

# --- the package and its validators ---------------------------------------------------------
step "release.sh --no-build"
CORVANE_WINDOWS_BUILD_DIR=$windows_dir CORVANE_LINUX_BUILD_DIR=$linux_dir \
  bash "$release" --no-build "$work/dist" >"$work/release.log" 2>&1 || fail "release.sh failed: $(cat "$work/release.log")"
deb="$work/dist/corvane_${version}_$(dpkg --print-architecture).deb"
[[ -f $deb ]] || fail "release.sh made no $deb"

step "lintian"
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || fail "lintian: $(cat "$work/lintian.log")"
grep -E '^[EW]: ' "$work/lintian.log" && fail "lintian reports errors or warnings"

tree="$work/tree"
dpkg-deb -x "$deb" "$tree"
desktop="$tree/usr/share/applications/$app_id.desktop"
metainfo="$tree/usr/share/metainfo/$app_id.metainfo.xml"
step "desktop-file-validate and appstreamcli validate"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $app_id.desktop"
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
  fail "appstreamcli rejects $app_id.metainfo.xml: $(cat "$work/appstream.log")"

# The desktop entry starts the installed program with the pictures it is given and names the
# icon and the metadata by the one app id.
entry() {
  sed -n "s/^$1=//p" "$desktop"
}
[[ $(entry Exec) == "corvane %F" ]] || fail "the desktop entry's Exec is '$(entry Exec)'"
[[ $(entry Icon) == "$app_id" ]] || fail "the desktop entry's Icon is '$(entry Icon)', not $app_id"
for type in image/png image/jpeg image/gif image/bmp image/tiff image/webp image/svg+xml; do
  [[ ";$(entry MimeType)" == *";$type;"* ]] || fail "the desktop entry's MimeType lacks $type"
done
grep -q "<id>$app_id</id>" "$metainfo" || fail "the metadata's id is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
  fail "the metadata does not launch $app_id.desktop"
grep -q "<release version=\"$version\" date=" "$metainfo" || fail "the metadata has no release $version"

# Each icon in the hicolor theme is a PNG of its folder's size (width and height from the PNG
# header, big-endian at bytes 16 and 20).
for size in 16 24 32 48 64 128 256; do
  icon="$tree/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png"
  [[ -f $icon ]] || fail "no $size-pixel icon"
  read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "$icon")
  width=$(((w1 << 24) | (w2 << 16) | (w3 << 8) | w4))
  height=$(((h1 << 24) | (h2 << 16) | (h3 << 8) | h4))
  ((width == size && height == size)) || fail "the ${size}x$size icon is ${width}x$height"
done
for file in usr/bin/corvane usr/share/man/man1/corvane.1.gz usr/share/doc/corvane/copyright \
  usr/share/doc/corvane/changelog.gz; do
  [[ -f $tree/$file ]] || fail "the package has no /$file"
done

# --- installed ---------------------------------------------------------------------------------
# One install at a time on this machine: another worktree's run of this test waits.
exec 9>/tmp/corvane-package-test.lock
flock -w 600 9 || fail "another run of the package test holds /tmp/corvane-package-test.lock"
if dpkg-query -W -f='${db:Status-Status}' corvane 2>/dev/null | grep -qx installed; then
  fail "a package named corvane is already installed here: the test installs and purges its own"
fi

apt_options=(-y -q -o DPkg::Lock::Timeout=600)
installed=
program_pid=
home=
cleanup() {
  [[ -n $program_pid ]] && kill "$program_pid" 2>/dev/null
  [[ -n $home ]] && rm -rf "$home"
  if [[ -n $installed ]]; then
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get "${apt_options[@]}" remove --purge corvane >/dev/null 2>&1
  fi
}
trap cleanup EXIT

step "apt-get install $deb"
installed=1
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get "${apt_options[@]}" install --no-install-recommends "$deb" \
  >"$work/install.log" 2>&1 || fail "apt-get install failed: $(tail -n 20 "$work/install.log")"
dpkg -L corvane >"$work/installed.txt"
for file in /usr/bin/corvane "/usr/share/applications/$app_id.desktop" "/usr/share/metainfo/$app_id.metainfo.xml" \
  "/usr/share/icons/hicolor/48x48/apps/$app_id.png" /usr/share/man/man1/corvane.1.gz /usr/share/doc/corvane/copyright; do
  grep -qx "$file" "$work/installed.txt" || fail "dpkg -L corvane does not list $file"
  [[ -f $file ]] || fail "$file is not installed"
done

# The program's answers (run_as_user runs in a subshell it replaces, so that a program started
# in the background has the pid $! gives): arguments, the status expected, a line its output must hold.
runner=()
if ((EUID == 0)); then runner=(setpriv --reuid=nobody --regid=nogroup --clear-groups); fi
# The user's home, in /tmp where that user can reach it.
home=$(mktemp -d /tmp/corvane-deb-home.XXXXXX)
mkdir -p "$home/config" "$home/runtime"
chmod 755 "$home"
chmod 700 "$home/runtime"
if ((EUID == 0)); then chown -R nobody:nogroup "$home"; fi
run_as_user() {
  exec env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime" \
    XDG_CACHE_HOME="$home/cache" DISPLAY="$display" "${runner[@]}" "$@"
}
while IFS='|' read -r arguments expected_status expected_text; do
  status=0
  # shellcheck disable=SC2086  # the arguments are words
  # Bounded: a program that does not know the option starts instead of answering.
  output=$(run_as_user timeout 20 /usr/bin/corvane $arguments 2>&1) || status=$?
  step "corvane $arguments: status $status"
  ((status == expected_status)) || fail "corvane $arguments ended with $status, not $expected_status: $output"
  grep -qF -- "$expected_text" <<<"$output" || fail "corvane $arguments did not print '$expected_text': $output"
done <<CASES
--version|0|Corvane $version
--help|0|\$XDG_CONFIG_HOME/corvane/corvane.ini
--no-such-option|2|--no-such-option
CASES

# The program on the display: its window, its WM class, and its settings saved by a double click.
step "corvane on $display"
run_as_user /usr/bin/corvane >"$work/program.log" 2>&1 &
program_pid=$!
window=
for _ in $(seq 300); do
  window=$(DISPLAY=$display xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null | head -n 1) || true
  [[ -n $window ]] && break
  kill -0 "$program_pid" 2>/dev/null || fail "corvane ended before showing a window: $(cat "$work/program.log")"
  sleep 0.1
done
[[ -n $window ]] || fail "no window of corvane appeared within 30 s"
class=$(DISPLAY=$display xprop -id "$window" WM_CLASS | sed -n 's/.*= "\(.*\)", "\(.*\)"$/\2/p')
[[ $class == "$(entry StartupWMClass)" ]] ||
  fail "the window's WM class is '$class', the desktop entry's StartupWMClass '$(entry StartupWMClass)'"
eval "$(DISPLAY=$display xdotool getwindowgeometry --shell "$window")"
# A point of the help panel's ground, clear of its links.
DISPLAY=$display xdotool mousemove --sync $((X + 10)) $((Y + 320)) click --repeat 2 --delay 80 1
for _ in $(seq 300); do
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$program_pid" 2>/dev/null && fail "corvane did not end within 30 s of a double click on its window"
status=0
wait "$program_pid" || status=$?
program_pid=
((status == 0)) || fail "corvane ended with $status after the double click: $(cat "$work/program.log")"
[[ -s $home/config/corvane/corvane.ini ]] || fail "no settings in \$XDG_CONFIG_HOME/corvane/corvane.ini"
[[ ! -e /usr/bin/corvane.ini ]] || fail "corvane wrote its settings beside /usr/bin/corvane"

# --- purged ------------------------------------------------------------------------------------
step "apt-get remove --purge corvane"
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get "${apt_options[@]}" remove --purge corvane \
  >"$work/remove.log" 2>&1 || fail "apt-get remove --purge failed: $(tail -n 20 "$work/remove.log")"
installed=
! dpkg-query -W -f='${db:Status-Status}' corvane 2>/dev/null | grep -qx installed || fail "corvane is still installed"
left=()
while read -r path; do
  if [[ -d $path ]]; then
    # Folders are shared with other packages, all but the package's own documentation folder.
    [[ $path == /usr/share/doc/corvane ]] && left+=("$path")
  elif [[ -e $path || -L $path ]]; then
    left+=("$path")
  fi
done <"$work/installed.txt"
((${#left[@]} == 0)) || fail "left after the purge: ${left[*]}"
step "passed"
