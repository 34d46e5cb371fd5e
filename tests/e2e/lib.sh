# Sourced by every tests/e2e/test_*.sh: runs the real tarvina.exe under Wine
# on the test display and reads the screen as a person would.
#
# A case looks like:
#   . "$(dirname "$0")/lib.sh"
#   e2e_begin                      # temp folder with a fresh copy of tarvina.exe
#   reg_reset                      # no .zanual association
#   tarvina_start                  # optional arguments are appended to the command line
#   expect_message ".zanual Registrado"
#   wait_window tarvina
#   ...checks: check "what" test "$a" = "$b"
#   tarvina_stop                   # or expect_ended after "Salir"
#   e2e_end                        # exit status: 0 when every check passed
#
# ctest gives TARVINA_EXE, TARVINA_BUILD and TARVINA_SOURCE; scripts/test.sh
# has started the display and the Wine prefix. Run by hand, a case starts
# them itself.

set -uo pipefail

E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
TARVINA_SOURCE="${TARVINA_SOURCE:-$(cd "$E2E_DIR/../.." && pwd)}"
TARVINA_BUILD="${TARVINA_BUILD:-$TARVINA_SOURCE/build/win}"
TARVINA_EXE="${TARVINA_EXE:-$TARVINA_BUILD/tarvina.exe}"
PROBE_EXE="$TARVINA_BUILD/probe.exe"
PY=/usr/bin/python3
E2E_NAME="$(basename "${0%.sh}")"

E2E_FAILURES=0
E2E_OWN_DISPLAY=0
TARVINA_PID=""       # the Windows process id of the running tarvina
TARVINA_JOB=""       # the local job that waits for it (its status is tarvina's exit code)
WORK=""

log() { echo "[$E2E_NAME] $*" >&2; }

# check "description" command...: records a failure instead of stopping, so
# one run reports every broken expectation.
check() {
  local what=$1
  shift
  if "$@"; then
    log "ok   $what"
  else
    log "FAIL $what"
    E2E_FAILURES=$((E2E_FAILURES + 1))
  fi
}

# equal "description" expected actual
equal() {
  if [ "$2" = "$3" ]; then
    log "ok   $1"
  else
    log "FAIL $1: expected [$2], got [$3]"
    E2E_FAILURES=$((E2E_FAILURES + 1))
  fi
}

fail() {
  log "FAIL $*"
  E2E_FAILURES=$((E2E_FAILURES + 1))
}

e2e_begin() {
  if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    # Run by hand: bring up what scripts/test.sh would have.
    . "$TARVINA_SOURCE/scripts/wine-env.sh"
    start_display
    wine_boot
    E2E_OWN_DISPLAY=1
  fi
  export WINEDEBUG=-all
  [ -f "$TARVINA_EXE" ] || { log "no program at $TARVINA_EXE"; exit 1; }
  [ -f "$PROBE_EXE" ] || { log "no probe at $PROBE_EXE"; exit 1; }
  WORK="$(mktemp -d /tmp/tarvina-e2e.XXXXXX)"
  cp "$TARVINA_EXE" "$WORK/tarvina.exe"
  trap e2e_cleanup EXIT
  log "folder $WORK"
}

# Never leaves the program running; keeps the screenshots of a failed case.
e2e_cleanup() {
  tarvina_stop
  if [ -n "$WORK" ] && [ -d "$WORK" ]; then
    if [ "$E2E_FAILURES" -ne 0 ]; then
      local keep="$TARVINA_BUILD/e2e-failed/$E2E_NAME"
      rm -rf "$keep"
      mkdir -p "$keep"
      cp "$WORK"/*.png "$WORK"/wine.log "$keep/" 2>/dev/null || true
      log "screenshots and Wine's messages kept in $keep"
    fi
    rm -rf "$WORK"
  fi
  [ "$E2E_OWN_DISPLAY" = 1 ] && stop_all
  return 0
}

e2e_end() {
  if [ "$E2E_FAILURES" -eq 0 ]; then
    log "passed"
    exit 0
  fi
  log "$E2E_FAILURES check(s) failed"
  exit 1
}

# ---- Wine and the probe ----

probe() { wine "$PROBE_EXE" "$@" 2>>"${WORK:-/tmp}/wine.log" </dev/null | tr -d '\r'; }

# Windows path of a Linux path.
winpath() { command winepath -w "$1" 2>/dev/null </dev/null; }

# ---- the program ----

# tarvina_start [argument text]: starts the copy in $PROGRAM_DIR ($WORK
# unless a case moves it) with exactly "<exe path> <argument text>" as its
# command line (quotes kept as given), in $WORK as the current folder.
tarvina_start() {
  local line attempt _
  line="\"$(winpath "${PROGRAM_DIR:-$WORK}/tarvina.exe")\""
  [ $# -gt 0 ] && line="$line $*"
  # Now and then, on a busy machine, Wine fails to start a process at all;
  # that is not the program's doing, so such a start is tried once more.
  for attempt in 1 2; do
    rm -f "$WORK/pid"
    (cd "$WORK" && PROBE_COMMAND_LINE="$line" exec wine "$PROBE_EXE" start \
        >"$WORK/pid" 2>>"${WORK:-/tmp}/wine.log" </dev/null) &
    TARVINA_JOB=$!
    TARVINA_PID=""
    for _ in $(seq 300); do
      TARVINA_PID="$(tr -d '\r\n' <"$WORK/pid" 2>/dev/null)"
      [ -n "$TARVINA_PID" ] && break
      kill -0 "$TARVINA_JOB" 2>/dev/null || break
      sleep 0.1
    done
    [ -n "$TARVINA_PID" ] && break
    log "Wine did not start the program (attempt $attempt)"
  done
  log "started: $line (process $TARVINA_PID)"
}

tarvina_running() { [ -n "$TARVINA_JOB" ] && kill -0 "$TARVINA_JOB" 2>/dev/null; }

# expect_ended [seconds]: the program ends by itself with exit code 0.
expect_ended() {
  local seconds=${1:-10} _
  for _ in $(seq $((seconds * 10))); do
    tarvina_running || break
    sleep 0.1
  done
  if tarvina_running; then
    fail "the program is still running after ${seconds} s"
    return 1
  fi
  wait "$TARVINA_JOB"
  local code=$?
  TARVINA_JOB=""
  TARVINA_PID=""
  equal "the program ended with exit code 0" 0 "$code"
}

tarvina_stop() {
  if tarvina_running; then
    [ -n "$TARVINA_PID" ] && probe terminate "$TARVINA_PID" >/dev/null
    wait "$TARVINA_JOB" 2>/dev/null
  fi
  TARVINA_JOB=""
  TARVINA_PID=""
  return 0
}

# wait_window "title|other title" [seconds]: prints the title that appeared.
# Waits the whole time even if Wine fails to start a probe now and then.
wait_window() {
  local seconds=${2:-20} found=""
  local deadline=$((SECONDS + seconds))
  while :; do
    found="$(probe wait "$1" $((deadline - SECONDS > 0 ? deadline - SECONDS : 1)))"
    [ -n "$found" ] || [ "$SECONDS" -ge "$deadline" ] && break
    sleep 0.5
  done
  echo "$found"
}

window_gone() { probe gone "$1" "${2:-10}" >/dev/null; }

# raise_window title: brings a window that another one covers back to the
# front, as a click on its taskbar button would (a dialog without owner goes
# behind the main window when the main window is clicked).
raise_window() {
  probe raise "$1" >/dev/null || fail "could not bring \"$1\" to the front"
  settle
}

# control_text title id [expected] [seconds]: the control's text; with an
# expected text, waits up to the given time for it (windows fill themselves
# in after they show) and prints whatever is there in the end.
control_text() {
  local text _
  for _ in $(seq $((${4:-5} * 5))); do
    text="$(probe text "$1" "$2")"
    [ $# -lt 3 ] || [ "$text" = "$3" ] && break
    sleep 0.2
  done
  echo "$text"
}

# The text a message box shows (its static controls).
message_text() {
  local title=${1:-Programador} id
  for id in $(probe children "$title" | awk -F'\t' '$2 == "Static" && $5 != "" { print $1 }'); do
    probe text "$title" "$id"
  done
}

# expect_message "start of the text": a "Programador" box shows it; Enter dismisses it.
expect_message() {
  local want=$1
  if [ "$(wait_window Programador 20)" != Programador ]; then
    fail "no message box \"$want\""
    return 1
  fi
  local text
  text="$(message_text Programador)"
  case "$text" in
    "$want"*) log "ok   message: $(echo "$text" | head -n 1)" ;;
    *) fail "message: expected [$want...], got [$text]" ;;
  esac
  dismiss_message
}

# Clicks the box's OK button, as a person would.
dismiss_message() {
  click_control Programador 1 || return 1
  window_gone Programador 5 || fail "the message box did not close"
  settle
}

# Waits until every window has handled what it was given (under Xvfb Wine
# takes a moment to let go of a closed window before the program goes on).
settle() { probe idle >/dev/null; }

# rect_of title [id] [window|client]: "L T R B" in screen coordinates.
rect_of() {
  local kind=${3:-window}
  probe rect "$1" ${2:+"$2"} | awk -v k="$kind" '$1 == k { print $2, $3, $4, $5 }'
}

# ---- input, as a person gives it ----

key() { xdotool key --delay 60 "$@"; sleep 0.3; settle; }
click_at() { xdotool mousemove "$1" "$2" click 1; sleep 0.4; }
# wheel up|down [notches]
wheel() {
  local button=4 n=${2:-1} _
  [ "$1" = down ] && button=5
  for _ in $(seq "$n"); do xdotool click "$button"; sleep 0.1; done
  sleep 0.3
}

# Clicks the middle of a control of a window.
click_control() {
  local l t r b
  read -r l t r b <<<"$(rect_of "$1" "$2" window)"
  if [ -z "$b" ]; then
    fail "no control $2 in \"$1\""
    return 1
  fi
  click_at $(((l + r) / 2)) $(((t + b) / 2))
}

# type_text "text": types as on the keyboard.
type_text() { xdotool type --delay 40 "$1"; sleep 0.3; }

# Clicks into the window's client area at (x, y) of the client.
click_client() {
  local title=$1 l t r b
  read -r l t r b <<<"$(rect_of "$title" "" client)"
  click_at $((l + $2)) $((t + $3))
}

# open_menu title index: clicks the index-th (0-based) pop-up of the menu bar
# and prints the pop-up's rect. The bar lies just above the client area.
open_menu() {
  local title=$1 index=$2 l t r b x
  read -r l t r b <<<"$(rect_of "$title" "" client)"
  local bar_y=$((t - 9))
  x=$((l + 12))
  if [ "$index" -gt 0 ]; then
    # Find the pop-up's place by walking there with the arrow keys once,
    # each step awaited: the one before may still be open for a moment.
    local rect _
    rect="$(click_bar "$x" "$bar_y")"
    for _ in $(seq "$index"); do
      key Right
      rect="$(wait_popup 5 "$rect")"
    done
    x="$(echo "$rect" | awk 'NF { print $1 + 12 }')"
    key Escape Escape
    [ -n "$x" ] || return 1
  fi
  click_bar "$x" "$bar_y"
}

# Clicks a menu bar item and prints the rect of the pop-up that opened. A
# click that only activates the window opens nothing: click again then.
click_bar() {
  local rect="" _
  for _ in 1 2 3; do
    click_at "$1" "$2"
    rect="$(wait_popup 1)"
    [ -n "$rect" ] && break
  done
  echo "$rect"
}

menu_popup_rect() { probe list | awk -F'\t' '$2 == "#32768" { print $4; exit }'; }
# wait_popup [seconds] [other]: the rect of the open pop-up menu once there
# is one other than the rect `other` (a busy machine may take a while to open
# it); nothing if none opened.
wait_popup() {
  local rect="" _
  for _ in $(seq $((${1:-5} * 5))); do
    rect="$(menu_popup_rect)"
    [ -n "$rect" ] && [ "$rect" != "${2:-}" ] && break
    rect=""
    sleep 0.2
  done
  echo "$rect"
}

# menu_states title index: the states of the index-th pop-up's items, one line
# each ("enabled", "greyed", "separator"); the menu is closed again.
menu_states() {
  local rect shot="$WORK/menu-$1-$2.png"
  rect="$(open_menu "$1" "$2")"
  if [ -z "$rect" ]; then
    fail "menu $2 of \"$1\" did not open"
    return 1
  fi
  import -window root "$shot"
  # shellcheck disable=SC2086
  "$PY" "$E2E_DIR/shot.py" menu "$shot" $rect
  key Escape Escape
}

# choose_menu title index item: picks the item-th (0-based, separators not
# counted) entry of the index-th pop-up with the keyboard.
choose_menu() {
  open_menu "$1" "$2" >/dev/null
  local _
  for _ in $(seq 0 "$3"); do key Down; done
  key Return
}

# ---- the screen ----

screenshot() {
  local file="$WORK/${1:-shot}.png"
  import -window root "$file"
  echo "$file"
}

# pixel file x y: "R G B"
pixel() { "$PY" "$E2E_DIR/shot.py" pixel "$@"; }
# count_colour file L T R B R G B
count_colour() { "$PY" "$E2E_DIR/shot.py" count "$@"; }

# ---- the registry ----

reg_reset() {
  local key
  for key in 'HKCU\Software\Classes\.zanual' 'HKCU\Software\Classes\zanual-files' \
             'HKLM\Software\Classes\.zanual' 'HKLM\Software\Classes\zanual-files'; do
    wine reg delete "$key" /f >/dev/null 2>&1 </dev/null
  done
  return 0
}

# The main window's size and place kept from an earlier run: gone, so the
# window opens where the cases expect it.
forget_window_place() { wine reg delete 'HKCU\Software\tarvina' /f >/dev/null 2>&1 </dev/null; }

# set_dpi N: the display scale the prefix shows a program started after it
# (LogPixels); restore_dpi puts back what the prefix had before the first
# set_dpi (the prefix is shared: call it on every way out).
DPI_KEY='HKCU\Control Panel\Desktop'
DPI_KEPT=""
DPI_BEFORE=""
set_dpi() {
  if [ -z "$DPI_KEPT" ]; then
    DPI_BEFORE="$(wine reg query "$DPI_KEY" /v LogPixels 2>/dev/null </dev/null | tr -d '\r' |
      awk '$1 == "LogPixels" { print $3 }')"
    DPI_KEPT=1
  fi
  wine reg add "$DPI_KEY" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 </dev/null
}
restore_dpi() {
  [ -n "$DPI_KEPT" ] || return 0
  if [ -n "$DPI_BEFORE" ]; then
    wine reg add "$DPI_KEY" /v LogPixels /t REG_DWORD /d "$DPI_BEFORE" /f >/dev/null 2>&1 </dev/null
  else
    wine reg delete "$DPI_KEY" /v LogPixels /f >/dev/null 2>&1 </dev/null
  fi
  DPI_KEPT=""
}

# reg_default key: the key's default value, or nothing.
reg_default() {
  wine reg query "$1" /ve 2>/dev/null </dev/null | tr -d '\r' |
    sed -n 's/^ *([^)]*) *REG_[A-Z_]* *//p' | head -n 1
}

reg_set() { wine reg add "$1" /ve /d "$2" /f >/dev/null 2>&1 </dev/null; }

# A working association, so a start shows no registration message.
reg_associate() {
  local exe
  exe="$(winpath "$WORK/tarvina.exe")"
  reg_set 'HKCU\Software\Classes\.zanual' zanual-files
  reg_set 'HKCU\Software\Classes\zanual-files\Shell\Open\Command' "\"$exe\" \"%1\""
}

# ---- label files ----

# make_zanual path start_day start_month start_year day_count [day month year colour text]...
make_zanual() { "$PY" "$E2E_DIR/zanual.py" "$@"; }

# ---- date pickers and exact pixels ----

# pick_date title id day month year: sets a date picker as a person does:
# clicks its first field and types each field's digits, moving on with the
# Right key. The fields follow the user's short-date format, day or month
# first; which one is read from the picker while it still shows today.
PICKER_MONTH_FIRST=""
pick_date() {
  local shown l t r b
  shown="$(probe text "$1" "$2")"
  if [ -z "$PICKER_MONTH_FIRST" ]; then
    case "$shown" in
      "$(date +%-m/%-d/%Y)") PICKER_MONTH_FIRST=1 ;;
      "$(date +%-d/%-m/%Y)") PICKER_MONTH_FIRST=0 ;;
      *) fail "the date picker shows [$shown], not today in a known order"; return 1 ;;
    esac
  fi
  read -r l t r b <<<"$(rect_of "$1" "$2" window)"
  # Day 1 first, so that no month is ever given a day it lacks; the year last.
  click_at $((l + 12)) $(((t + b) / 2))
  if [ "$PICKER_MONTH_FIRST" = 1 ]; then
    key Right; type_text 1; key Left; type_text "$4"; key Right; type_text "$3"
  else
    type_text 1; key Right; type_text "$4"; key Left; type_text "$3"; key Right
  fi
  key Right
  type_text "$5"
}

# picker_shows day month year: the text a picker set by pick_date shows.
picker_shows() {
  if [ "$PICKER_MONTH_FIRST" = 1 ]; then echo "$2/$1/$3"; else echo "$1/$2/$3"; fi
}

# Exact pixel facts (tests/e2e/pixels.py).
pixels() { "$PY" "$E2E_DIR/pixels.py" "$@"; }
