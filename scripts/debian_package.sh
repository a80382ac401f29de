#!/usr/bin/env bash
# Packs the built Linux program as a Debian package, as scripts/release.sh asks:
#
#   scripts/debian_package.sh <linux-build-dir> <output-folder> <version> <app-id>
#
# and prints the package's path, <output-folder>/corvane_<version>_<arch>.deb. It installs
#   /usr/bin/corvane                                          the program, stripped
#   /usr/share/applications/<app-id>.desktop                  res/<app-id>.desktop
#   /usr/share/metainfo/<app-id>.metainfo.xml                 res/<app-id>.metainfo.xml
#   /usr/share/icons/hicolor/<n>x<n>/apps/<app-id>.png        the build's icons/ folder
#   /usr/share/man/man1/corvane.1.gz                          res/corvane.1
#   /usr/share/doc/corvane/copyright                          res/copyright
#   /usr/share/doc/corvane/changelog.gz                       made from the release in the metainfo
# The package depends on the libraries the program links, as dpkg-shlibdeps finds them, and
# recommends the picture loaders and the face it uses. The release's date is the one the
# metainfo gives for this version; it dates the changelog and every file in the package, so the
# same build packs into the same bytes whenever it is packed.
set -euo pipefail

die() {
  printf 'debian_package: %s\n' "$*" >&2
  exit 1
}

(($# == 4)) || die "usage: debian_package.sh <linux-build-dir> <output-folder> <version> <app-id>"
linux_dir=$1 out_dir=$2 version=$3 app_id=$4
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
maintainer="Corvane Software <support@corvane.com>"
homepage="http://www.corvane.com"
icon_sizes=(16 24 32 48 64 128 256)

for tool in dpkg-deb dpkg-shlibdeps strip gzip; do
  command -v "$tool" >/dev/null || die "$tool is missing (scripts/setup.sh installs dpkg-dev)"
done
desktop="$root/res/$app_id.desktop"
metainfo="$root/res/$app_id.metainfo.xml"
sources=("$linux_dir/corvane" "$desktop" "$metainfo" "$root/res/corvane.1" "$root/res/copyright")
for size in "${icon_sizes[@]}"; do
  sources+=("$linux_dir/icons/hicolor/${size}x$size/apps/$app_id.png")
done
for file in "${sources[@]}"; do
  [[ -f $file ]] || die "$file is missing: build the linux preset first"
done

# The release's date, from the metainfo's entry for this version.
date=$(sed -n "s/.*<release version=\"$version\" date=\"\\([0-9-]*\\)\".*/\\1/p" "$metainfo")
[[ -n $date ]] || die "$metainfo has no <release version=\"$version\" date=...>"
changelog_date=$(LC_ALL=C date -u -R -d "$date") || die "the release date $date is no date"
epoch=$(date -u -d "$date" +%s)

arch=$(dpkg --print-architecture)
mkdir -p "$out_dir"
stage=$(mktemp -d "$out_dir/.debian.XXXXXX")
trap 'rm -rf "$stage"' EXIT
tree="$stage/tree"
doc="$tree/usr/share/doc/corvane"
install -d -m 755 "$tree/DEBIAN" "$tree/usr/bin" "$tree/usr/share/applications" "$tree/usr/share/metainfo" \
  "$tree/usr/share/man/man1" "$doc"
install -m 755 "$linux_dir/corvane" "$tree/usr/bin/corvane"
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$tree/usr/bin/corvane"
install -m 644 "$desktop" "$tree/usr/share/applications/$app_id.desktop"
install -m 644 "$metainfo" "$tree/usr/share/metainfo/$app_id.metainfo.xml"
for size in "${icon_sizes[@]}"; do
  install -d -m 755 "$tree/usr/share/icons/hicolor/${size}x$size/apps"
  install -m 644 "$linux_dir/icons/hicolor/${size}x$size/apps/$app_id.png" \
    "$tree/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png"
done
gzip -9n <"$root/res/corvane.1" >"$tree/usr/share/man/man1/corvane.1.gz"
install -m 644 "$root/res/copyright" "$doc/copyright"
printf 'corvane (%s) unstable; urgency=medium\n\n  * Corvane %s.\n\n -- %s  %s\n' \
  "$version" "$version" "$maintainer" "$changelog_date" | gzip -9n >"$doc/changelog.gz"
chmod 644 "$tree/usr/share/man/man1/corvane.1.gz" "$doc/changelog.gz"

# dpkg-shlibdeps reads the package's name from a debian/control where it runs.
mkdir -p "$stage/source/debian"
printf 'Source: corvane\n\nPackage: corvane\nArchitecture: any\n' >"$stage/source/debian/control"
depends=$(cd "$stage/source" && dpkg-shlibdeps -O "$tree/usr/bin/corvane" 2>"$stage/shlibdeps.log") ||
  die "dpkg-shlibdeps failed: $(cat "$stage/shlibdeps.log")"
depends=${depends#shlibs:Depends=}
[[ -n $depends ]] || die "dpkg-shlibdeps found no dependencies"

installed_size=$(du -sk --exclude=DEBIAN "$tree" | cut -f1)
cat >"$tree/DEBIAN/control" <<CONTROL
Package: corvane
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $installed_size
Depends: $depends
Recommends: fonts-liberation, librsvg2-common, webp-pixbuf-loader, heif-gdk-pixbuf, libavif-gdk-pixbuf, libwmf0.2-7-gtk
Section: graphics
Priority: optional
Homepage: $homepage
Description: pictures in borderless windows that stay on top
 Corvane shows a picture in a small borderless window that stays above every
 other window. Drag it anywhere with the mouse, scale it, make it see-through,
 and open more pictures in windows of their own. People use it to preview an
 image advert on the real page before uploading it, and to cover an advert on
 the screen with a picture they like better.
 .
 A double click saves every window's place, picture, scale and opacity and
 quits; the next start brings them back. It runs on X11 (XWayland under a
 Wayland session).
CONTROL
(cd "$tree" && find usr -type f -printf '%P\n' | LC_ALL=C sort | sed 's|^|usr/|' | xargs md5sum) >"$tree/DEBIAN/md5sums"
chmod 644 "$tree/DEBIAN/control" "$tree/DEBIAN/md5sums"

deb="$out_dir/corvane_${version}_$arch.deb"
find "$tree" -exec touch -h -d "@$epoch" {} +
SOURCE_DATE_EPOCH=$epoch dpkg-deb --root-owner-group -Zxz --build "$tree" "$stage/package.deb" >/dev/null ||
  die "dpkg-deb failed"
mv -f "$stage/package.deb" "$deb"
printf '%s\n' "$deb"
