#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing
# (Radicale and Python's caldav play the server and a second client of the
# sync tests); builds libical and expat for Windows (scripts/libical.sh,
# scripts/expat.sh) and fetches ical.js, the
# tests' outside reader of .ics files, under build/npm.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for pkg in cmake make g++ mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 fonts-wine \
           fonts-liberation xvfb xauth xdotool imagemagick python3-pil googletest libgtest-dev \
           nsis zip unzip libical-dev pkg-config python3-icalendar \
           libexpat1-dev radicale python3-caldav; do
  have "$pkg" || need+=("$pkg")
done
if [ "${TARVINA_FUZZ:-0}" = 1 ]; then
  for pkg in clang libclang-rt-dev; do have "$pkg" || need+=("$pkg"); done
fi
# ical.js, one of the two outside readers of our .ics exports, comes from npm.
command -v npm >/dev/null || need+=(nodejs npm)
if [ "${TARVINA_ASSETS:-0}" = 1 ]; then
  for pkg in fonts-noto-color-emoji unicode-cldr-core; do have "$pkg" || need+=("$pkg"); done
fi

if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/libical.sh"
"$root/scripts/expat.sh"
if [ "${TARVINA_FUZZ:-0}" = 1 ]; then
  # The fuzz targets read with libical as the program has it (no ICU).
  "$root/scripts/libical.sh" native
fi

ICALJS_VERSION=2.2.1
npm_dir="$root/build/npm"
if [ ! -f "$npm_dir/node_modules/ical.js/package.json" ] ||
   ! grep -q "\"version\": \"$ICALJS_VERSION\"" "$npm_dir/node_modules/ical.js/package.json"; then
  mkdir -p "$npm_dir"
  npm install --prefix "$npm_dir" --no-audit --no-fund --silent "ical.js@$ICALJS_VERSION" >/dev/null
fi
