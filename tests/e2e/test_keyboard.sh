#!/usr/bin/env bash
# A person without a mouse (keys only, no clicks): another process reads the
# almanac as a screen reader does; Tab selects a label and shows it, Escape
# leaves the almanac as it was; Enter corrects the second label in place,
# Supr and Enter ("Sí") remove another, Shift+F10 opens a label's menu at
# its block, and a new label on its day gets a colour chosen with the arrows
# and Space. The file's bytes are checked after each step.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate
. "$(dirname "$0")/label_steps.sh"

# 1 to 31 March 2025: on 2 March "hola \#09|mundo" and "segunda", on 3 March "fin".
file="$WORK/Teclado.zanual"
make_zanual "$file" 1 3 2025 30 2 3 2025 0x00CCFF 'hola \#09|mundo' 2 3 2025 0x6666FF 'segunda' \
  3 3 2025 0x99CCFF 'fin'
cp "$file" "$WORK/opened.zanual"
title="Almanaque - Teclado.zanual"
edit="Modificar etiqueta"
records() { "$PY" "$LS" records "$file" | cut -d' ' -f1-5,11-; }
tarvina_start "$(winpath "$file")"
equal "the almanac opens" "$title" "$(wait_window "$title|Programador")"
settle
read -r fl ft fr fb <<<"$(rect_of "$title" 1001 client)"
# The almanac's face as a person sees it.
face() {
  import -window root png:- | convert - -crop "$((fr - fl))x$((fb - ft))+$fl+$ft" +repage \
    -depth 8 rgb:- | md5sum
}

equal "a screen reader's process reads 2 March by its name, its labels with the picture named" \
  "2	34	domingo, 2 de marzo de 2025	hola bandera de España mundo. segunda." \
  "$(probe accessible "$title" 1001 | sed -n 3p)"

# Tab twice: the second label, shown by its focus rectangle; Escape takes it away.
plain="$(face)"
key Tab Tab
check "the selected label shows it" test "$(face)" != "$plain"
key Escape
equal "without a selection the almanac looks as before" "$plain" "$(face)"
equal "choosing changes no byte" "$(md5sum <"$WORK/opened.zanual")" "$(md5sum <"$file")"
key Tab Tab Return
equal "Enter opens the second label" "$edit" "$(wait_window "$edit" 15)"
settle
equal "with its text" "segunda" "$(control_text "$edit" 1002)"
key ctrl+End BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace
type_text "corregida"
key ctrl+Return
window_gone "$edit" 10 || fail "Ctrl+Enter left the dialog open: $(message_text)"
settle
equal "stored in its place, the other records byte for byte" \
  "$(head -c 284 "$WORK/opened.zanual" | md5sum) 2 3 2025 0x006666FF 1 corregida $(tail -c 142 "$WORK/opened.zanual" | md5sum)" \
  "$(head -c 284 "$file" | md5sum) $(records | sed -n 3p) $(tail -c 142 "$file" | md5sum)"

# The corrected label is still selected: Tab goes on to 3 March's, Supr
# asks; the answer offered is "No", Shift+Tab goes to "Sí".
before="$(head -c 426 "$file" | md5sum)"
key Tab Delete
if [ "$(wait_window Programador 10)" = Programador ]; then
  equal "the question" "¿Borrar esta etiqueta?" "$(message_text)"
  key shift+Tab Return
  window_gone Programador 5 || fail "the question stayed"
  settle
else
  fail "no question after Supr"
fi
equal "exactly its record removed" "426 $before" "$(stat -c %s "$file") $(md5sum <"$file")"

# Tab: the first label in view (2 March's first, its block from row 96); Shift+F10: its menu there.
key Tab shift+F10
read -r ml mt _ _ <<<"$(wait_popup)"
if [ -n "$ml" ]; then
  check "the label's menu opens at its block ($ml $mt)" \
    test "$ml" -ge $((fl + 127)) -a "$ml" -lt $((fl + 1116)) -a "$mt" -ge $((ft + 96)) -a "$mt" -lt $((ft + 96 + 54))
  key Escape
else
  fail "no label menu after Shift+F10"
fi
equal "the menu changes no byte" "426 $before" "$(stat -c %s "$file") $(md5sum <"$file")"

# "Etiquetas" > "Nueva" from the menu bar: the selected label's day; the
# text, Tab to the squares, Right and Down to row 2, column 2, Space, Ctrl+Enter.
key F10 Right Return Return
equal "the label dialog" "$label" "$(wait_window "$label" 15)"
settle
equal "it offers the selected label's day" "02 03 2025" \
  "$(control_text "$label" 1059) $(control_text "$label" 1060) $(control_text "$label" 1065)"
type_text "nueva"
key Tab Right Down space ctrl+Return
window_gone "$label" 10 || fail "the label dialog stayed open: $(message_text)"
settle
equal "the new label, in the colour chosen by keyboard, after the others" \
  "426 $before 2 3 2025 0x00E7EDD6 1 nueva" \
  "$(stat -c %s "$file" | awk '{ print $1 - 142 }') $(head -c 426 "$file" | md5sum) $(records | sed -n 4p)"

key alt+F4
expect_ended 15
e2e_end
