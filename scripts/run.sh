#!/usr/bin/env bash
# Starts tarvina under Wine. Without a display it starts Xvfb, opens a small
# demo almanac, saves a screenshot and says where.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/wine-env.sh
exe=build/win/tarvina.exe

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  wine_boot
  exec wine "$exe" "$@"
fi

start_display
trap stop_all EXIT
wine_boot
demo=build/demo
mkdir -p "$demo"
cp "$exe" "$demo/"
if [ -x build/win/make_demo.exe ]; then wine build/win/make_demo.exe "$(winepath -w "$demo")" >/dev/null 2>&1 || true; fi
args=()
[ -f "$demo/Demo.zanual" ] && args=("$(winepath -w "$demo/Demo.zanual")")
wine "$demo/tarvina.exe" "${args[@]}" >/dev/null 2>&1 </dev/null &
sleep 6
# The first start registers .zanual and says so; dismiss that message.
xdotool search --name '^Programador$' >/dev/null 2>&1 && xdotool key Return && sleep 2
import -window root build/screenshot.png
echo "Screenshot of tarvina: $(pwd)/build/screenshot.png"
