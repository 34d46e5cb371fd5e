#!/usr/bin/env bash
# Builds expat, the XML reader of the server's answers, as a static library
# for the Windows target, from Debian's source package of a pinned upstream
# version checked against its SHA-256. The result lands in
# build/deps/expat-<version>/ and is reused while its stamp is there. The
# native build uses Debian's libexpat1-dev of the same upstream version.
set -euo pipefail

VERSION=2.5.0
ORIG=expat_${VERSION}.orig.tar.gz
SHA256=ab00ee05c7067fd10a35c5d2a4922ebba746ddd50ff83b79c828da17bbdf1757

root="$(cd "$(dirname "$0")/.." && pwd)"
deps="$root/build/deps"
prefix="$deps/expat-$VERSION"
stamp="$prefix/.built"
[ -f "$stamp" ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
mkdir -p "$deps/src"
cd "$deps/src"

if ! echo "$SHA256  $ORIG" | sha256sum -c --status 2>/dev/null; then
  # scripts/libical.sh has already added the deb-src twin of the sources.
  if ! apt-cache showsrc expat 2>/dev/null | grep -q "^Version: $VERSION-"; then
    $sudo apt-get update -qq
  fi
  # Only the upstream tarball is needed; the checksum below decides.
  apt-get source --download-only -qq expat >/dev/null 2>&1 || true
  if ! echo "$SHA256  $ORIG" | sha256sum -c --status 2>/dev/null; then
    echo "expat: $ORIG with SHA-256 $SHA256 is not what Debian's sources offer" >&2
    exit 1
  fi
fi

echo "Building expat $VERSION for Windows (static)"
src="libexpat-R_${VERSION//./_}/expat"
rm -rf "libexpat-R_${VERSION//./_}" build-expat "$prefix"
tar xzf "$ORIG"
cmake -S "$src" -B build-expat \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS=-w -DEXPAT_SHARED_LIBS=OFF \
  -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF \
  -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_FUZZERS=OFF -DEXPAT_BUILD_PKGCONFIG=OFF \
  >build-expat.log 2>&1 || { tail -n 30 build-expat.log >&2; exit 1; }
cmake --build build-expat -j"$(nproc)" >>build-expat.log 2>&1 ||
  { tail -n 30 build-expat.log >&2; exit 1; }

mkdir -p "$prefix/lib" "$prefix/include"
cp build-expat/libexpat*.a "$prefix/lib/libexpat.a"
cp "$src/lib/expat.h" "$src/lib/expat_external.h" "$prefix/include/"
cp "$src/COPYING" "$prefix/"
rm -rf "libexpat-R_${VERSION//./_}" build-expat
touch "$stamp"
