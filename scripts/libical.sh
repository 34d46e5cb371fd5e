#!/usr/bin/env bash
# Builds libical, the iCalendar reader, as a static library for the Windows
# target, from Debian's source package of a pinned upstream version checked
# against its SHA-256. The result lands in build/deps/libical-<version>/ and
# is reused while its stamp is there. The native build uses Debian's
# libical-dev of the same upstream version instead.
#   scripts/libical.sh native   the same library for this machine, as the
#                               program has it (no ICU), for the fuzz targets:
#                               build/deps/libical-native-<version>/
set -euo pipefail

VERSION=3.0.16
ORIG=libical3_${VERSION}.orig.tar.gz
SHA256=b44705dd71ca4538c86fb16248483ab4b48978524fb1da5097bd76aa2e0f0c33

root="$(cd "$(dirname "$0")/.." && pwd)"
deps="$root/build/deps"
if [ "${1:-}" = native ]; then
  target=native
  prefix="$deps/libical-native-$VERSION"
  cross=(-DCMAKE_POSITION_INDEPENDENT_CODE=ON)
else
  target=mingw
  prefix="$deps/libical-$VERSION"
  cross=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake")
fi
stamp="$prefix/.built"
[ -f "$stamp" ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
mkdir -p "$deps/src"
cd "$deps/src"

if ! echo "$SHA256  $ORIG" | sha256sum -c --status 2>/dev/null; then
  # apt-get source needs the deb-src twin of the machine's Debian sources.
  if ! apt-cache showsrc libical3 2>/dev/null | grep -q "^Version: $VERSION-"; then
    list=/etc/apt/sources.list.d/tarvina-deb-src.sources
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $sudo tee "$list" >/dev/null
    else
      grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
        $sudo tee /etc/apt/sources.list.d/tarvina-deb-src.list >/dev/null
    fi
    $sudo apt-get update -qq
  fi
  # Only the upstream tarball is needed; a missing Debian patch tarball on
  # the mirror does not matter, the checksum below decides.
  apt-get source --download-only -qq "libical3" >/dev/null 2>&1 || true
  if ! echo "$SHA256  $ORIG" | sha256sum -c --status 2>/dev/null; then
    echo "libical: $ORIG with SHA-256 $SHA256 is not what Debian's sources offer" >&2
    echo "         (got: $(ls libical3_*.orig.tar.* 2>/dev/null | tr '\n' ' '))" >&2
    exit 1
  fi
fi

echo "Building libical $VERSION for $([ $target = native ] && echo this machine || echo Windows) (static, no ICU, no GLib)"
rm -rf "libical-$VERSION" "build-$target" "$prefix"
tar xzf "$ORIG"
# Time zones come only from the VTIMEZONE blocks of each calendar, so the
# built-in zone files are neither needed nor shipped. -w: its warnings are not ours.
cmake -S "libical-$VERSION" -B "build-$target" "${cross[@]}" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS=-w \
  -DSTATIC_ONLY=ON -DWITH_CXX_BINDINGS=OFF -DICAL_GLIB=OFF -DICAL_BUILD_DOCS=OFF \
  -DLIBICAL_BUILD_TESTING=OFF -DGOBJECT_INTROSPECTION=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_ICU=ON -DCMAKE_DISABLE_FIND_PACKAGE_BDB=ON >"build-$target.log" 2>&1 ||
  { tail -n 30 "build-$target.log" >&2; exit 1; }
cmake --build "build-$target" --target ical -j"$(nproc)" >>"build-$target.log" 2>&1 ||
  { tail -n 30 "build-$target.log" >&2; exit 1; }

mkdir -p "$prefix/lib" "$prefix/include/libical"
cp "build-$target"/*/libical.a "$prefix/lib/"
cp "build-$target/src/libical/ical.h" "libical-$VERSION/src/libical/libical_ical_export.h" \
  "$prefix/include/libical/"
cp "libical-$VERSION/LICENSE" "libical-$VERSION/LICENSE.MPL2.txt" "$prefix/"
rm -rf "libical-$VERSION" "build-$target"
touch "$stamp"
