#!/usr/bin/env bash
# Makes the release packages: builds Corvane.exe (the windows preset) and packs it with the
# user's read-me into Corvane-<version>.zip; builds the Linux program (the linux preset) and
# packs it with its icon and desktop entry into corvane-<version>-linux-x86_64.tar.gz, and as
# a Debian package, corvane_<version>_<arch>.deb, that installs it in /usr with its desktop
# entry, AppStream metadata, icons, manual page, copyright and changelog. Last it writes
# SHA256SUMS, the checksums of every package it made, beside them.
#
#   scripts/release.sh [--no-build] [output-folder]
#
#   output-folder  where the packages are written; default $CORVANE_DIST_DIR, else dist/ in
#                  the repository
#   --no-build     pack what is already built, without running the builds; the Linux
#                  package is then made only where the Linux program is built
#
# The build folders are build/windows and build/linux unless CORVANE_WINDOWS_BUILD_DIR or
# CORVANE_LINUX_BUILD_DIR name others. The script installs nothing: CMake, Ninja, MinGW-w64,
# GTK 3 and dpkg-dev must be there (scripts/setup.sh puts them in place).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${CORVANE_WINDOWS_BUILD_DIR:-$root/build/windows}"
linux_dir="${CORVANE_LINUX_BUILD_DIR:-$root/build/linux}"
out_dir="${CORVANE_DIST_DIR:-$root/dist}"
build=1

die() {
  printf 'release: %s\n' "$*" >&2
  exit 1
}

for arg in "$@"; do
  case $arg in
    --no-build) build= ;;
    -h | --help)
      corvane_usage "${BASH_SOURCE[0]}"
      exit 0
      ;;
    -*) die "unknown option $arg" ;;
    *) out_dir=$arg ;;
  esac
done

# The version as the program shows it, from the one header that holds it.
version=$(sed -n 's/^#define CORVANE_VERSION_TEXT "\(.*\)"$/\1/p' "$root/res/version.h")
[[ -n $version ]] || die "no CORVANE_VERSION_TEXT in res/version.h"
# The desktop's name for the program, which the Linux files are named after.
app_id=$(sed -n 's/^#define CORVANE_APP_ID "\(.*\)"$/\1/p' "$root/res/version.h")
[[ -n $app_id ]] || die "no CORVANE_APP_ID in res/version.h"

if [[ -n $build ]]; then
  command -v cmake >/dev/null || die "cmake is missing (scripts/setup.sh installs the tools)"
  # The build's progress goes to stderr: stdout carries only the package's path.
  if [[ $build_dir == "$root/build/windows" ]]; then
    (cd "$root" && cmake --preset windows >&2) || die "configuring the windows preset failed"
  fi
  cmake --build "$build_dir" --target Corvane >&2 || die "building Corvane.exe failed"
  if [[ $linux_dir == "$root/build/linux" ]]; then
    (cd "$root" && cmake --preset linux >&2) || die "configuring the linux preset failed"
  fi
  cmake --build "$linux_dir" --target corvane corvane_png corvane_icons >&2 || die "building the Linux program failed"
fi

exe="$build_dir/Corvane.exe"
readme="$root/res/ReadMe.txt"
[[ -f $exe ]] || die "$exe is missing: build the windows preset first"
[[ -f $readme ]] || die "$readme is missing"

mkdir -p "$out_dir"
out_dir="$(cd "$out_dir" && pwd)"
zip="$out_dir/Corvane-$version.zip"

# Packed from a staging folder so that the zip holds the two files at its top level, and
# written under a temporary name so that a failure never leaves half a package behind.
stage=$(mktemp -d "$out_dir/.release.XXXXXX")
trap 'rm -rf "$stage"' EXIT
cp -p "$exe" "$stage/Corvane.exe"
cp -p "$readme" "$stage/ReadMe.txt"
(cd "$stage" && cmake -E tar cf package.zip --format=zip Corvane.exe ReadMe.txt) || die "packing $zip failed"
mv -f "$stage/package.zip" "$zip"
printf '%s\n' "$zip"
made=("$zip")

# The Linux package: one folder holding the program, its icon and its desktop entry.
if [[ -n $build || -f $linux_dir/corvane ]]; then
  desktop="$root/res/$app_id.desktop"
  for file in "$linux_dir/corvane" "$linux_dir/corvane.png" "$desktop"; do
    [[ -f $file ]] || die "$file is missing: build the linux preset first"
  done
  tarball="$out_dir/corvane-$version-linux-x86_64.tar.gz"
  folder="corvane-$version"
  mkdir -p "$stage/$folder"
  cp -p "$linux_dir/corvane" "$stage/$folder/corvane"
  strip "$stage/$folder/corvane" 2>/dev/null || true
  cp -p "$linux_dir/corvane.png" "$stage/$folder/corvane.png"
  cp -p "$desktop" "$stage/$folder/$app_id.desktop"
  (cd "$stage" && tar -czf package.tar.gz --owner=0 --group=0 "$folder") || die "packing $tarball failed"
  mv -f "$stage/package.tar.gz" "$tarball"
  printf '%s\n' "$tarball"
  made+=("$tarball")
  deb=$(bash "$root/scripts/debian_package.sh" "$linux_dir" "$out_dir" "$version" "$app_id") ||
    die "making the Debian package failed"
  printf '%s\n' "$deb"
  made+=("$deb")
fi

# The checksums of what this run made, by file name, as sha256sum writes and checks them.
(cd "$out_dir" && sha256sum -- "${made[@]##*/}") >"$stage/SHA256SUMS" || die "checksumming the packages failed"
mv -f "$stage/SHA256SUMS" "$out_dir/SHA256SUMS"
printf '%s\n' "$out_dir/SHA256SUMS"
