#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for pkg in cmake make g++ mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 fonts-wine \
           fonts-liberation xvfb xauth xdotool imagemagick python3-pil googletest libgtest-dev \
           nsis zip unzip; do
  have "$pkg" || need+=("$pkg")
done
if [ "${TARVINA_FUZZ:-0}" = 1 ]; then
  for pkg in clang libclang-rt-dev; do have "$pkg" || need+=("$pkg"); done
fi
if [ "${TARVINA_ASSETS:-0}" = 1 ]; then
  for pkg in fonts-noto-color-emoji; do have "$pkg" || need+=("$pkg"); done
fi
[ ${#need[@]} -eq 0 ] && exit 0

echo "Installing: ${need[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
