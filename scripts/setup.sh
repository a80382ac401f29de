#!/usr/bin/env bash
# Installs, from Debian's packages, whatever Corvane needs and this machine lacks. Quick and
# silent when everything is there already.
#
#   bash scripts/setup.sh [set...]
#
# The sets, by name; without one, all of them (what scripts/test.sh needs):
#   linux     building and running the Linux program (GTK 3, its picture loaders, its face)
#   wine      building Corvane.exe and running it under Wine
#   headless  running without a display: a virtual one, openbox and a screenshot
#   test      the rest of the test toolchain: the tests, the sanitizers and fuzzers, the
#             release checks, the benchmark's comparison
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
if corvane_wants_help "$@"; then
  corvane_usage "${BASH_SOURCE[0]}"
  exit 0
fi

# Every set builds with CMake and Ninja and looks at the display with the X utilities.
CORVANE_BASE_PACKAGES=(
  cmake ninja-build                      # the builds
  x11-utils                              # whether a display is there (xdpyinfo), finding windows
)
CORVANE_LINUX_PACKAGES=(
  g++                                    # the native build
  libgtk-3-dev                           # the Linux program
  libgtk-layer-shell-dev libwayland-dev  # its windows as layer surfaces under Wayland compositors
  libjpeg-dev                            # its JPEG decoding straight into the pixels it paints
  librsvg2-common webp-pixbuf-loader     # picture loaders for gdk-pixbuf: svg, webp,
  heif-gdk-pixbuf libavif-gdk-pixbuf     #   heif, avif,
  libwmf0.2-7-gtk                        #   wmf
  fonts-liberation                       # Liberation Sans: Arial's widths for the layouts' face
)
CORVANE_WINE_PACKAGES=(
  g++-mingw-w64-x86-64-posix             # Corvane.exe
  googletest                             # GoogleTest's sources, which configuring its build reads
  wine wine64 fonts-wine                 # running it
)
CORVANE_HEADLESS_PACKAGES=(
  xvfb openbox                           # a virtual display, and the window manager the Linux program expects
  imagemagick                            # screenshots
)
CORVANE_TEST_PACKAGES=(
  clang-format                           # the format check of the sources (scripts/format.sh)
  clang libclang-rt-14-dev               # the fuzz targets: clang++, libFuzzer and the sanitizers
  libgtest-dev                           # GoogleTest for the native tests
  x11-apps xdotool                       # looking at the display and driving it
  libimage-exiftool-perl                 # the test pictures
  libx11-dev libxtst-dev zlib1g-dev      # the end-to-end tests: X, XTest input, PNG files
  zip unzip                              # release packages
  dpkg-dev lintian                       # the Debian package: its dependencies, its checks
  desktop-file-utils appstream           #   and those of its desktop entry and metadata
  feh                                    # the picture viewer the benchmark compares the Linux program with
  xclip e2fsprogs                        # the paste tests: the X clipboard; chattr for a folder nobody writes
  xsettingsd                             # the font tests: a desktop's font settings, changed while Corvane runs
  sway grim wtype foot                   # the Wayland tests: a headless compositor, screenshots, keys, a window
)

sets=("$@")
((${#sets[@]} > 0)) || sets=(linux wine headless test)
CORVANE_PACKAGES=("${CORVANE_BASE_PACKAGES[@]}")
for set in "${sets[@]}"; do
  case $set in
    linux) CORVANE_PACKAGES+=("${CORVANE_LINUX_PACKAGES[@]}") ;;
    wine) CORVANE_PACKAGES+=("${CORVANE_WINE_PACKAGES[@]}") ;;
    headless) CORVANE_PACKAGES+=("${CORVANE_HEADLESS_PACKAGES[@]}") ;;
    test)
      CORVANE_PACKAGES+=("${CORVANE_LINUX_PACKAGES[@]}" "${CORVANE_WINE_PACKAGES[@]}"
                         "${CORVANE_HEADLESS_PACKAGES[@]}" "${CORVANE_TEST_PACKAGES[@]}")
      ;;
    *) corvane_die "setup.sh: no package set named '$set' (linux, wine, headless, test)" ;;
  esac
done

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
