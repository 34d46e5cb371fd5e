#!/usr/bin/env bash
# "Nuevo" from the main window's side: while its dialog is open "Nuevo" and
# "Leer" are refused; a cancelled dialog draws nothing and leaves the menu;
# an accepted one is confirmed, drawn and scrollable, and its labels go to
# the program's folder.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate

count_windows() { probe list | awk -F'\t' -v t="$1" '$3 == t' | wc -l; }
new="Elige tiempo"
tarvina_start
equal "plain start" tarvina "$(wait_window 'tarvina|Programador')"
read -r fl ft fr fb <<<"$(rect_of tarvina 1001 client)"
face_white() { [ "$(count_colour "$1" "$fl" "$ft" "$fr" "$fb" 255 255 255)" -eq $(((fr - fl) * (fb - ft))) ]; }
menus() { echo "$(menu_states "$1" 0 | tr '\n' ' ')| $(menu_states "$1" 1 | tr '\n' ' ')"; }

choose_menu tarvina 0 0
equal "Nuevo opens its dialog" "$new" "$(wait_window "$new" 10)"
choose_menu tarvina 0 0
choose_menu tarvina 0 1
sleep 2
equal "Nuevo again meanwhile: still one dialog" 1 "$(count_windows "$new")"
equal "Leer meanwhile: no file dialog" "" "$(probe list | awk -F'\t' '$3 == "Open" || $3 == "Abrir"')"

# The menu clicks brought the main window in front of the dialog.
raise_window "$new"
click_control "$new" 2007  # Cancelar
window_gone "$new" 10 || fail "Cancelar did not close the dialog"
settle
check "cancelled: nothing drawn" face_white "$(screenshot cancelled)"
equal "cancelled: the title stays" tarvina "$(wait_window 'tarvina|Almanaque - .zanual')"
equal "cancelled: the menu as it was" \
  "enabled separator enabled separator enabled separator enabled | greyed greyed " "$(menus tarvina)"

choose_menu tarvina 0 0
wait_window "$new" 10 >/dev/null
click_control "$new" 2002
type_text 20
click_control "$new" 2009
type_text Prueba
click_control "$new" 2006  # Aceptar
expect_message "Almanaque Creado ..."
title="Almanaque - Prueba.zanual"
equal "the new almanac's title" "$title" "$(wait_window "$title")"
shot="$(screenshot created)"
check "day boxes drawn" test "$(count_colour "$shot" "$fl" "$ft" $((fl + 115)) "$fb" 255 255 255)" -lt $((115 * (fb - ft) - 1000))
equal "Nuevo and Leer greyed, Nueva enabled" \
  "greyed separator greyed separator enabled separator enabled | enabled greyed " "$(menus "$title")"

# After "Nuevo" the user clicks into the almanac to scroll it.
click_client "$title" 900 400
key End
end="$(screenshot end)"
equal "End: white below the last day's band" $(((fr - fl) * (fb - ft - 96))) \
  "$(count_colour "$end" "$fl" $((ft + 96)) "$fr" "$fb" 255 255 255)"
key Home
equal "Home: back to the top" yes "$("$PY" "$E2E_DIR/shot.py" same "$shot" "$(screenshot home)" "$fl" "$ft" "$fr" "$fb")"

# Its labels live in the program's folder.
check "no file before the first label" test ! -e "$WORK/Prueba.zanual"
choose_menu "$title" 1 0
label="Entrada de datos"
if [ "$(wait_window "$label" 10)" = "$label" ]; then
  click_control "$label" 1002
  type_text "primera"
  # Today: the almanac's first day (the date picker starts on today).
  click_control "$label" 1060
  # shellcheck disable=SC2046
  key $(printf 'Down %.0s' $(seq "$(date +%-m)")) Return
  click_control "$label" 1059
  # shellcheck disable=SC2046
  key $(printf 'Down %.0s' $(seq "$(date +%-d)")) Return
  click_control "$label" 1057
  window_gone "$label" 10 || fail "the label dialog stayed open: $(message_text)"
  settle
  equal "the label is stored beside the program" 142 "$(stat -c %s "$WORK/Prueba.zanual" 2>/dev/null)"
else
  fail "no label dialog"
fi

choose_menu "$title" 0 3
expect_ended 15
e2e_end
