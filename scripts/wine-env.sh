# Sourced by the other scripts: a project-local Wine prefix and a display.
# Usage: . scripts/wine-env.sh   (then wine_boot, start_display, stop_all)
TARVINA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$TARVINA_ROOT/build/wineprefix}"
export WINEDEBUG=-all
# No Mono/Gecko prompts, and no menu entries or file types written to the
# Linux desktop when the program registers .zanual.
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
export WINEARCH=win64

# Creates the prefix once (about 8 s) and maps the fonts the program asks
# for onto installed ones; starts a persistent wineserver so later wine
# calls start fast and leave nothing behind that holds a terminal open.
wine_boot() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 </dev/null || true
    wineserver -w
  fi
  # Settings of the prefix; the stamp says which set it has.
  local stamp="$WINEPREFIX/.tarvina-settings-4"
  if [ ! -f "$stamp" ]; then
    local key='HKCU\Software\Wine\Fonts\Replacements'
    wine reg add "$key" /v "Courier New" /d "Liberation Mono" /f >/dev/null 2>&1 </dev/null
    wine reg add "$key" /v "Lucida Console" /d "Liberation Mono" /f >/dev/null 2>&1 </dev/null
    wine reg add "$key" /v "Kartika" /d "Liberation Sans" /f >/dev/null 2>&1 </dev/null
    # Xvfb has no window manager: let Wine draw captions and frames itself,
    # as Windows does, so screenshots show what a person sees.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 </dev/null
    # Nor wait for a window manager that never answers: a managed window
    # takes two seconds to close under Xvfb.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
    # Caption buttons are drawn with Marlett, which the prefix does not list.
    cp -f /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    wineserver -w
    touch "$stamp"
  fi
  wineserver -p >/dev/null 2>&1 </dev/null
  wineboot -i >/dev/null 2>&1 </dev/null || true
}

# Starts Xvfb on a free display unless one is usable already.
TARVINA_XVFB_PID=""
start_display() {
  if [ -n "${DISPLAY:-}" ] && [ "${TARVINA_OWN_DISPLAY:-0}" != 1 ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n=91
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1400x1000x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
  TARVINA_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
}

stop_all() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$TARVINA_XVFB_PID" ] && kill "$TARVINA_XVFB_PID" 2>/dev/null || true
  TARVINA_XVFB_PID=""
}
