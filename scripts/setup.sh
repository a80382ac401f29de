#!/usr/bin/env bash
# Installs, from Debian's packages, whatever building, testing and running Corvane needs and
# this machine lacks. Quick and silent when everything is there already.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
if corvane_wants_help "$@"; then
  corvane_usage "${BASH_SOURCE[0]}"
  exit 0
fi

CORVANE_PACKAGES=(
  cmake ninja-build g++                  # the native build and the unit tests
  clang-format                           # the format check of the sources (scripts/format.sh)
  clang libclang-rt-14-dev               # the fuzz targets: clang++, libFuzzer and the sanitizers
  googletest libgtest-dev                # GoogleTest: built natively, and from source for MinGW
  g++-mingw-w64-x86-64-posix             # Corvane.exe
  wine wine64 fonts-wine                 # running it
  xvfb x11-utils x11-apps xdotool        # a virtual display and looking at it
  imagemagick libimage-exiftool-perl     # screenshots for people; the test pictures
  libx11-dev libxtst-dev zlib1g-dev      # the end-to-end tests: X, XTest input, PNG files
  zip unzip                              # release packages
  libgtk-3-dev openbox                   # the native Linux program; the window manager its tests run under
  libjpeg-dev                            # its JPEG decoding straight into the pixels it paints
  librsvg2-common webp-pixbuf-loader     # picture loaders for gdk-pixbuf: svg, webp,
  heif-gdk-pixbuf libavif-gdk-pixbuf     #   heif, avif,
  libwmf0.2-7-gtk                        #   wmf
  fonts-liberation                       # Liberation Sans: Arial's widths for the layouts' face
  feh                                    # the picture viewer the benchmark compares the Linux program with
  xclip e2fsprogs                        # the paste tests: the X clipboard; chattr for a folder nobody writes
  xsettingsd                             # the font tests: a desktop's font settings, changed while Corvane runs
)

missing=()
for package in "${CORVANE_PACKAGES[@]}"; do
  if [[ $(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null) != installed ]]; then
    missing+=("$package")
  fi
done
if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo=()
if ((EUID != 0)); then
  command -v sudo >/dev/null || corvane_die "installing ${missing[*]} needs root (or sudo)"
  sudo=(sudo)
fi
start=$(corvane_now)
mkdir -p "$CORVANE_ROOT/build"
log="$CORVANE_ROOT/build/setup-apt.log"
corvane_log "installing ${missing[*]} (log: $log)"
export DEBIAN_FRONTEND=noninteractive
apt_options=(-y -q -o DPkg::Lock::Timeout=600)
if ! { "${sudo[@]}" apt-get "${apt_options[@]}" update &&
       "${sudo[@]}" apt-get "${apt_options[@]}" install --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
  tail -n 30 "$log" >&2
  corvane_die "apt-get failed (see $log)"
fi
corvane_log "installed in $(corvane_elapsed "$start")"
