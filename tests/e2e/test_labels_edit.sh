#!/usr/bin/env bash
# A person corrects labels with the mouse: a double click opens a label
# filled in, a changed word takes its old place in the file, a new day moves
# the label there, "Borrar" with "Sí" removes it, and Ctrl+Z three times
# brings the file back byte for byte. One copy of the file as it was opened
# is left among the copies.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate
. "$(dirname "$0")/label_steps.sh"

# 1 to 31 March 2025: "hola|mundo" on 2 March, "fin" on 3 March.
file="$WORK/Correcciones.zanual"
make_zanual "$file" 1 3 2025 30 2 3 2025 0x00CCFF 'hola|mundo' 3 3 2025 0x6666FF 'fin'
cp "$file" "$WORK/opened.zanual"
local_app="$(winepath -u "$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null </dev/null | tr -d '\r')" 2>/dev/null </dev/null)"
copies="$local_app/tarvina/Copias"
rm -f "$copies"/Correcciones\ *
title="Almanaque - Correcciones.zanual"
edit="Modificar etiqueta"
tarvina_start "$(winpath "$file")"
equal "the almanac opens" "$title" "$(wait_window "$title|Programador")"
settle
read -r fl ft _ _ <<<"$(rect_of "$title" 1001 client)"

# The 142-byte records of the file that differ from those of the file as
# opened (the file's size, then their numbers from 0).
changed() {
  "$PY" -c 'import sys
a, b = (open(p, "rb").read() for p in sys.argv[1:])
print(len(b), *[i for i in range(max(len(a), len(b)) // 142) if a[i*142:i*142+142] != b[i*142:i*142+142]])' \
    "$WORK/opened.zanual" "$file"
}
records() { "$PY" "$LS" records "$file" | cut -d' ' -f1,2,5,11-; }
# double_click y: on the label beside the day whose box starts at y.
double_click() {
  xdotool mousemove $((fl + 400)) $((ft + $1 + 10)) click --repeat 2 --delay 80 1
  sleep 0.4
  if [ "$(wait_window "$edit" 15)" != "$edit" ]; then
    fail "no \"$edit\" after a double click at y $1"
    return 1
  fi
  settle
}

# 2 March's box starts at y 96: its label, filled in.
double_click 96
equal "the lines, one a line" "hola
mundo" "$(control_text "$edit" 1002)"
equal "its day, month and year" "02 03 2025" \
  "$(control_text "$edit" 1059) $(control_text "$edit" 1060) $(control_text "$edit" 1065)"
click_control "$edit" 1002
key ctrl+End BackSpace BackSpace BackSpace BackSpace BackSpace
type_text "gente"
click_control "$edit" 1057
window_gone "$edit" 10 || fail "the dialog stayed open: $(message_text)"
settle
equal "a word changed: only its record, in its place" "426 1" "$(changed)"
equal "the changed record" "2 3 1 gente" "$(records | sed -n 2p)"

# Moved to 5 March (box at y 381): it goes to the end of the file, and is
# drawn there and no longer on 2 March.
double_click 96
click_control "$edit" 1059
key Down Down Down
click_control "$edit" 1057
window_gone "$edit" 10 || fail "the dialog stayed open: $(message_text)"
settle
equal "moved to the end of the file" "3 3 1 fin|5 3 0 hola|5 3 1 gente" "$(records | paste -sd'|')"
shot="$(screenshot moved)"
equal "drawn beside 5 March" 989 "$(count_colour "$shot" $((fl + 127)) $((ft + 381)) $((fl + 1116)) $((ft + 382)) 0 0 0)"
equal "nothing left beside 2 March" 0 \
  "$(count_colour "$shot" $((fl + 127)) $((ft + 96)) $((fl + 1116)) $((ft + 191)) 0 0 0)"

# "Borrar" on 3 March's label (box at y 191), "Sí".
kept="$(tail -c 284 "$file" | md5sum)"
xdotool mousemove $((fl + 400)) $((ft + 201)) click 3
[ -n "$(wait_popup)" ] || fail "no label menu"
key Down Down Return
if [ "$(wait_window Programador 10)" = Programador ]; then
  equal "the question" "¿Borrar esta etiqueta?" "$(message_text)"
  click_control Programador 6
  window_gone Programador 5 || fail "the question stayed"
  settle
else
  fail "no question"
fi
equal "exactly its record removed, the others byte for byte" "$kept" "$(md5sum <"$file")"

# Three times Ctrl+Z: the file as it was opened, and nothing more to take back.
key ctrl+z
key ctrl+z
key ctrl+z
equal "back to the opened bytes" "$(md5sum <"$WORK/opened.zanual")" "$(md5sum <"$file")"
equal "\"Deshacer\" greyed again" "enabled
greyed" "$(menu_states "$title" 1)"
equal "one copy, of the file as it was opened" "1 $(md5sum <"$WORK/opened.zanual")" \
  "$(find "$copies" -name 'Correcciones *' | wc -l) $(cat "$copies"/Correcciones\ * | md5sum)"
rm -f "$copies"/Correcciones\ *

choose_menu "$title" 0 3
expect_ended 15
e2e_end
