#!/usr/bin/env bash
# Builds the Debian packages and plain tarballs of Talvik:
#   talvik_<version>_amd64.deb and talvik-<version>-amd64.tar.gz from the
#   host's release build (build/release);
#   talvik_<version>_armel.deb and talvik-<version>-armel.tar.gz with the
#   static ARMv6 executable of the cross build (build/arm).
# Both builds are configured and brought up to date first (the test command
# uses the same folders, so after it nothing is rebuilt). The packages hold
# the install tree of `cmake --install --prefix /usr` (stripped, manual page
# compressed) with the copyright file and changelog; the tarballs hold the
# install tree under talvik-<version>-<arch>/ (games/talvik, share/...), to
# unpack anywhere. Dependencies are computed with dpkg-shlibdeps; the static
# ARM executable has none.
# Usage: scripts/package.sh [OUTPUT_FOLDER]   (build/packages by default)
# MAINTAINER="Name <address>" sets the packages' Maintainer field.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build/packages}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
cd "$root"
jobs=$(nproc 2>/dev/null || echo 2)
maintainer=${MAINTAINER:-Talvik developers <talvik@example.org>}
version=$(sed -n 's/.*ProgramVersion = "\([^"]*\)".*/\1/p' src/base/build_info.h)
for tool in dpkg-deb dpkg-shlibdeps readelf gzip; do
  command -v "$tool" >/dev/null || { echo "package.sh needs $tool (dpkg-dev, binutils)" >&2; exit 1; }
done

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$jobs" --target talvik
cmake -S . -B build/arm -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/arm-linux-gnueabi.cmake >/dev/null
cmake --build build/arm -j "$jobs" --target talvik

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# "Depends: ..." for the executable, or nothing for a static one.
depends_line() {
  local binary=$1
  readelf -d "$binary" 2>/dev/null | grep -q '(NEEDED)' || return 0
  # dpkg-shlibdeps reads the package list of a source tree.
  local tree="$scratch/shlibdeps"
  mkdir -p "$tree/debian"
  printf 'Source: talvik\n\nPackage: talvik\nArchitecture: any\n' > "$tree/debian/control"
  (cd "$tree" && dpkg-shlibdeps -O "$binary") | sed -n 's/^shlibs:Depends=/Depends: /p'
}

# Strips as Debian's packaging helpers do, with the build's own (cross) strip.
strip_engine() {
  local strip
  strip=$(sed -n 's/^CMAKE_STRIP:FILEPATH=//p' "$1/CMakeCache.txt")
  "${strip:-strip}" --remove-section=.comment --remove-section=.note "$2"
}

package() {
  local build=$1 arch=$2
  local stage="$scratch/deb-$arch" tree="$scratch/talvik-$version-$arch"
  # The tarball: the install tree, relocatable as a whole.
  cmake --install "$build" --prefix "$tree" >/dev/null
  strip_engine "$build" "$tree/games/talvik"
  tar -C "$scratch" --owner=0 --group=0 -czf "$out/talvik-$version-$arch.tar.gz" "talvik-$version-$arch"

  DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
  strip_engine "$build" "$stage/usr/games/talvik"
  gzip -9n "$stage/usr/share/man/man6/talvik.6"
  local doc="$stage/usr/share/doc/talvik"
  mkdir -p "$doc"
  install -m 644 package/debian/copyright "$doc/copyright"
  if [ -z "$(depends_line "$stage/usr/games/talvik")" ]; then
    # The board's build is one static executable by design.
    mkdir -p "$stage/usr/share/lintian/overrides"
    install -m 644 package/debian/static.lintian-overrides "$stage/usr/share/lintian/overrides/talvik"
  fi
  sed "s/MAINTAINER/$maintainer/" package/debian/changelog | gzip -9n > "$doc/changelog.gz"
  chmod 644 "$doc/changelog.gz"
  mkdir -p "$stage/DEBIAN"
  (cd "$stage" && find usr -type f | sort | xargs md5sum) > "$stage/DEBIAN/md5sums"
  local size depends
  size=$(du -sk --exclude=DEBIAN "$stage" | cut -f1)
  depends=$(depends_line "$stage/usr/games/talvik")
  sed -e "s/VERSION/$version/" -e "s/ARCH/$arch/" -e "s/MAINTAINER/$maintainer/" -e "s/SIZE/$size/" \
      -e "s/^DEPENDS$/$depends/" -e '/^$/d' package/debian/control > "$stage/DEBIAN/control"
  find "$stage" -type d -exec chmod 755 {} +
  dpkg-deb --root-owner-group -Zxz --build "$stage" "$out/talvik_${version}_$arch.deb" >/dev/null
  echo "$out/talvik_${version}_$arch.deb"
  echo "$out/talvik-$version-$arch.tar.gz"
}

package build/release "$(dpkg --print-architecture)"
package build/arm armel
