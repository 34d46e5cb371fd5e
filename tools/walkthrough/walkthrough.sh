#!/usr/bin/env bash
# A first walk through tarvina, as a new user takes it, with one picture per
# step saved under docs/walkthrough/ (the README's "A first walk" shows them).
#
# It runs the real program under Wine on a display of its own, in a temporary
# folder, with the .zanual association removed so the first start is a first
# start. Three runs: the first creates "Diciembre", writes a label, scrolls,
# shows "Autor" and ends with "Salir"; the second opens the file with "Leer"
# and finds a word of the label with "Buscar", opens the label's own menu and
# shows "Compartir"; a third shows the almanac at 150 %.
#
#   tools/walkthrough/walkthrough.sh [output folder]    (make walkthrough)
#
# Exits non-zero when a step did not show what it should; the pictures taken
# so far are kept all the same.

# Always a display of our own: the pictures are of the whole screen.
unset DISPLAY
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/../../tests/e2e/lib.sh"

OUT="${1:-$TARVINA_SOURCE/docs/walkthrough}"
mkdir -p "$OUT"
OUT="$(cd "$OUT" && pwd)"
rm -f "$OUT"/[0-9][0-9]-*.png
MAX_BYTES=61440

e2e_begin

# The program lives in a folder with a plain name, which the file dialog shows.
BASE="$WORK"
WORK="$BASE/tarvina"
mkdir -p "$WORK"
mv "$BASE/tarvina.exe" "$WORK/"

# A Spanish user's short date (day/month/year) for the date picker; the
# prefix's own setting is put back at the end.
INTL='HKCU\Control Panel\International'
old_short_date="$(wine reg query "$INTL" /v sShortDate 2>/dev/null </dev/null | tr -d '\r' |
  awk '$1 == "sShortDate" { print $3 }')"
wine reg add "$INTL" /v sShortDate /d dd/MM/yyyy /f >/dev/null 2>&1 </dev/null
# Spanish letters on keys of their own: otherwise xdotool maps a spare key
# for each one just before pressing it, and Wine now and then reads the key
# before it has seen the new map and loses the letter.
spanish_keys() {
  local keymap="$BASE/keymap.xkb"
  xkbcomp "$DISPLAY" "$keymap" >/dev/null 2>&1 || return 0
  "$PY" - "$keymap" <<'PYTHON'
import re
import sys

path = sys.argv[1]
text = open(path).read()
codes = re.search(r"xkb_keycodes[^{]*\{(.*?)\n\};", text, re.S).group(1)
names = re.findall(r"^\s*(<\w+>)\s*=\s*\d+;", codes, re.M)
aliases = dict(re.findall(r"alias\s+(<\w+>)\s*=\s*(<\w+>);", codes))
symbols = re.search(r"xkb_symbols[^{]*\{(.*?)\n\};", text, re.S)
used = {aliases.get(n, n) for n in re.findall(r"key\s+(<\w+>)", symbols.group(1))}
free = [n for n in names if n not in used]
letters = [("aacute", "Aacute"), ("eacute", "Eacute"), ("iacute", "Iacute"),
           ("oacute", "Oacute"), ("uacute", "Uacute"), ("ntilde", "Ntilde"),
           ("udiaeresis", "Udiaeresis"), ("questiondown", "exclamdown")]
keys = "".join(f"    key {n} {{ [ {a}, {b} ] }};\n" for n, (a, b) in zip(free, letters))
end = symbols.end(1)
open(path, "w").write(text[:end] + "\n" + keys + text[end:])
PYTHON
  xkbcomp "$keymap" "$DISPLAY" >/dev/null 2>&1 || log "the Spanish letters could not be added to the keyboard"
}
spanish_keys

walk_cleanup() {
  tarvina_stop
  restore_dpi
  reg_reset  # the association points into the folder that goes now
  if [ -n "$old_short_date" ]; then
    wine reg add "$INTL" /v sShortDate /d "$old_short_date" /f >/dev/null 2>&1 </dev/null
  fi
  e2e_cleanup
  rm -rf "$BASE"
}
trap walk_cleanup EXIT

# ---- pictures ----

# snap name L T R B [margin]: saves the screen's rectangle [L,R) x [T,B),
# widened by the margin and kept on the screen, as $OUT/name.png. Pictures
# above MAX_BYTES get fewer colours until they fit.
snap() {
  local name=$1 l=$2 t=$3 r=$4 b=$5 m=${6:-0}
  local raw="$WORK/$name-screen.png" file="$OUT/$name.png" colours
  import -window root "$raw"
  l=$((l - m)); t=$((t - m)); r=$((r + m)); b=$((b + m))
  [ "$l" -lt 0 ] && l=0
  [ "$t" -lt 0 ] && t=0
  local geometry="$((r - l))x$((b - t))+$l+$t"
  for colours in none 256 128 64 32; do
    if [ "$colours" = none ]; then
      convert "$raw" -crop "$geometry" +repage -strip \
        -define png:compression-level=9 -define png:exclude-chunks=date,time "$file"
    else
      convert "$raw" -crop "$geometry" +repage -strip -dither None -colors "$colours" \
        -define png:compression-level=9 -define png:exclude-chunks=date,time "$file"
    fi
    [ "$(stat -c %s "$file")" -le "$MAX_BYTES" ] && break
  done
  log "picture $name.png: $(identify -format '%wx%h' "$file"), $(stat -c %s "$file") bytes" \
    "($colours colours)"
}

# snap_window name title [margin]: the window as it stands on the screen.
snap_window() {
  local l t r b
  read -r l t r b <<<"$(rect_of "$2" "" window)"
  if [ -z "$b" ]; then
    fail "no window \"$2\" for the picture $1"
    return 1
  fi
  snap "$1" "$l" "$t" "$r" "$b" "${3:-0}"
}

# snap_windows name margin title...: the smallest rectangle holding all the windows.
snap_windows() {
  local name=$1 m=$2 title l t r b L=99999 T=99999 R=0 B=0
  shift 2
  for title in "$@"; do
    read -r l t r b <<<"$(rect_of "$title" "" window)"
    [ -n "$b" ] || { fail "no window \"$title\" for the picture $name"; return 1; }
    [ "$l" -lt "$L" ] && L=$l
    [ "$t" -lt "$T" ] && T=$t
    [ "$r" -gt "$R" ] && R=$r
    [ "$b" -gt "$B" ] && B=$b
  done
  snap "$name" "$L" "$T" "$R" "$B" "$m"
}

# A message box "Programador" with this text (its start) is showing.
message_showing() {
  [ "$(wait_window Programador 20)" = Programador ] || { fail "no message box \"$1\""; return 1; }
  sleep 0.5
  local text
  text="$(message_text Programador)"
  case "$text" in
    "$1"*) log "ok   message: $(echo "$text" | head -n 1)" ;;
    *) fail "message: expected [$1...], got [$text]"; return 1 ;;
  esac
}

# A menu's pop-up open with the keyboard on its item-th entry (0-based,
# separators not counted); the menu stays open for a picture.
point_menu() {
  open_menu "$1" "$2" >/dev/null
  local _
  for _ in $(seq 0 "$3"); do key Down; done
}

# ---- first run: from the first start to "Salir" ----

reg_reset
forget_window_place
tarvina_start
message_showing ".zanual Registrado ..."
snap_window 01-first-start Programador
dismiss_message

equal "the empty main window" tarvina "$(wait_window tarvina)"
sleep 0.5
read -r ml mt mr mb <<<"$(rect_of tarvina "" window)"
snap 02-main-window "$ml" "$mt" "$mr" "$mb"

point_menu tarvina 0 0
snap 03-menu-archivos "$ml" "$mt" $((ml + 360)) $((mt + 220))
key Return

new="Elige tiempo"
if [ "$(wait_window "$new" 10)" = "$new" ]; then
  # The date picker: day, month and year typed field by field.
  read -r l t r b <<<"$(rect_of "$new" 2001 window)"
  click_at $((l + 14)) $(((t + b) / 2))
  type_text 01
  key Right
  type_text 12
  key Right
  type_text 2025
  equal "the start date" 01/12/2025 "$(control_text "$new" 2001 01/12/2025)"
  click_control "$new" 2002
  # The count of days after the start: 30 gives the 31 days of December.
  type_text 30
  click_control "$new" 2009
  type_text Diciembre
  equal "the preview of the last day" 'hasta el 31\12\2025' "$(control_text "$new" 2005 'hasta el 31\12\2025')"
  snap_window 04-nuevo-elige-tiempo "$new"
  click_control "$new" 2006  # Aceptar
else
  fail "Nuevo opened no dialog"
fi

title="Almanaque - Diciembre.zanual"
if message_showing "Almanaque Creado ..."; then
  # "Aceptar" has already given the main window its new title.
  snap_windows 05-almanaque-creado 0 "$title" Programador
  dismiss_message
fi
equal "the almanac's title" "$title" "$(wait_window "$title")"
sleep 0.5
snap 06-almanac "$ml" "$mt" "$mr" "$mb"

label="Entrada de datos"
point_menu "$title" 1 0
snap 07-menu-etiquetas "$ml" "$mt" $((ml + 360)) $((mt + 220))
key Return
if [ "$(wait_window "$label" 10)" = "$label" ]; then
  # Typed again if a letter got lost on the way all the same.
  text=$'Día de la Constitución \\#09\nexcursión en bici \\#70'
  for _ in 1 2; do
    click_control "$label" 1002
    key ctrl+Home shift+ctrl+End Delete
    type_text "${text%%$'\n'*}"
    key Return
    type_text "${text#*$'\n'}"
    [ "$(probe text "$label" 1002)" = "$text" ] && break
  done
  equal "the label text" "$text" "$(probe text "$label" 1002)"
  click_control "$label" 1022  # a green
  # The lists are drop-down ones: the arrow keys choose in them.
  click_control "$label" 1060
  # shellcheck disable=SC2046
  key $(printf 'Down %.0s' $(seq 12))
  click_control "$label" 1059
  # shellcheck disable=SC2046
  key $(printf 'Down %.0s' $(seq 6))
  click_control "$label" 1065
  key Down
  equal "the day" 06 "$(control_text "$label" 1059 06)"
  equal "the month" 12 "$(control_text "$label" 1060 12)"
  equal "the year" 2025 "$(control_text "$label" 1065 2025)"
  snap_window 08-entrada-de-datos "$label"
  click_control "$label" 1057  # Aceptar
  window_gone "$label" 10 || fail "the label dialog stayed open: $(message_text)"
  settle
  equal "two lines stored beside the program" 284 "$(stat -c %s "$WORK/Diciembre.zanual" 2>/dev/null)"
else
  fail "Etiquetas > Nueva opened no dialog"
fi
sleep 0.5
snap 09-label "$ml" "$mt" "$mr" "$mb"

click_client "$title" 900 400
wheel down 5
snap 10-wheel "$ml" "$mt" "$mr" "$mb"
key End
snap 11-end "$ml" "$mt" "$mr" "$mb"

choose_menu "$title" 0 2  # Autor
if [ "$(wait_window Autor 10)" = Autor ]; then
  sleep 0.5
  snap_window 12-autor Autor
  read -r l t r b <<<"$(rect_of Autor "" window)"
  click_at $((r - 12)) $((t + 10))  # its close box
  window_gone Autor 5 || fail "Autor did not close"
  settle
else
  fail "Autor opened no window"
fi

point_menu "$title" 0 3
snap 13-salir "$ml" "$mt" $((ml + 360)) $((mt + 220))
key Return
expect_ended 15

# ---- second run: the almanac comes back with "Leer" ----

tarvina_start
equal "a later start shows no message" tarvina "$(wait_window 'tarvina|Programador')"
choose_menu tarvina 0 1
dialog="$(wait_window 'Open|Abrir' 15)"
if [ -n "$dialog" ]; then
  equal "the file type" Almanaque "$(control_text "$dialog" 1136 Almanaque)"
  # The file is the first in the list: a click puts its name in the name field.
  read -r l t r b <<<"$(rect_of "$dialog" 1121 window)"
  click_at $((l + 40)) $((t + 10))
  equal "the file chosen" Diciembre.zanual "$(control_text "$dialog" 1148 Diciembre.zanual)"
  # With the corner of the main window, 30 pixels up and left of the dialog.
  read -r l t r b <<<"$(rect_of "$dialog" "" window)"
  snap 14-leer "$ml" "$mt" $((r + 12)) $((b + 12))
  click_control "$dialog" 1  # Open
  window_gone "$dialog" 10 || fail "the file dialog stayed open"
else
  fail "Leer opened no file dialog"
fi
equal "the almanac opened again" "$title" "$(wait_window "$title")"
sleep 0.5
snap 15-leido "$ml" "$mt" "$mr" "$mb"

# "Ir": the menu, then "Buscar" finding a word of the label.
point_menu "$title" 2 0
snap 16-menu-ir "$ml" "$mt" $((ml + 360)) $((mt + 220))
key Escape Escape
find="Buscar"
key ctrl+f
if [ "$(wait_window "$find" 10)" = "$find" ]; then
  type_text bici
  sleep 0.5
  snap_window 17-buscar "$find" 12
  key Return
  window_gone "$find" 10 || fail "the search found nothing: $(message_text)"
  settle
  sleep 0.5
  snap 18-encontrado "$ml" "$mt" "$mr" "$mb"
else
  fail "Ctrl+F opened no dialog"
fi

# A right click on the label found: its own menu.
read -r fl ft fr fb <<<"$(rect_of "$title" 1001 client)"
xdotool mousemove $((fl + 400)) $((ft + 12)) click 3
sleep 0.8
snap 19-menu-etiqueta "$ml" "$mt" $((fl + 600)) $((ft + 160))
key Escape
settle

# "Compartir".
point_menu "$title" 3 0
snap 20-menu-compartir "$ml" "$mt" $((ml + 460)) $((mt + 220))
key Escape Escape

choose_menu "$title" 0 3
expect_ended 15

# The same almanac at 150 %: LogPixels 144 in the prefix before the program
# starts, put back afterwards (the prefix is shared with the tests).
set_dpi 144
forget_window_place  # its place at 100 % would not be the place at 150 %
tarvina_start "$(winpath "$WORK/Diciembre.zanual")"
if [ "$(wait_window "$title" 20)" = "$title" ]; then
  settle
  sleep 0.5
  snap_window 21-escala-150 "$title"
else
  fail "the almanac did not open at 150 %"
fi
tarvina_stop
restore_dpi

log "pictures in $OUT"
e2e_end
