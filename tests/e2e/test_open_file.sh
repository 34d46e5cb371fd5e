#!/usr/bin/env bash
# "Leer": the system's open-file dialog beside the main window with the one
# type "Almanaque"; cancelling changes nothing; a file from another folder
# opens there, and later labels are appended to it there; the next use
# starts in the folder of the last choice with its name filled in.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate

other="$WORK/otra carpeta"
mkdir -p "$other"
make_zanual "$other/Casa.zanual" 1 3 2024 30 5 3 2024 0x99CCFF 'hola'
printf 'x%.0s' $(seq 300) >"$other/Roto.zanual"  # no almanac in it
tarvina_start
equal "plain start" tarvina "$(wait_window 'tarvina|Programador')"

kFileName=1148  # the dialog's name field
kFileType=1136  # its type list
kLookIn=1137    # its folder list
open_dialog() {
  choose_menu "$1" 0 1
  dialog="$(wait_window 'Open|Abrir' 15)"
  [ -n "$dialog" ]
}
choose() {  # types a path into the name field and opens it
  click_control "$dialog" "$kFileName"
  key ctrl+a
  type_text "$1"
  key Return
  window_gone "$dialog" 10 || fail "the file dialog stayed open"
}

check "Leer opens the file dialog" open_dialog tarvina
screenshot leer-dialog >/dev/null
equal "its one type" Almanaque "$(control_text "$dialog" "$kFileType" Almanaque)"
equal "it starts in the current folder" "$(basename "$WORK")" \
  "$(control_text "$dialog" "$kLookIn" "$(basename "$WORK")")"
equal "with an empty name" "" "$(control_text "$dialog" "$kFileName")"
read -r ml mt _ _ <<<"$(rect_of tarvina "" window)"
read -r dl dt _ _ <<<"$(rect_of "$dialog" "" window)"
equal "30 pixels right of and below the main window's corner" "$((ml + 30)) $((mt + 30))" "$dl $dt"
click_control "$dialog" 2  # Cancel
window_gone "$dialog" 10 || fail "Cancel did not close the dialog"
sleep 0.5
equal "cancelled: nothing changes" tarvina "$(wait_window 'tarvina|Almanaque - Casa.zanual')"

# A damaged file: said so, nothing shown, and Leer still there.
open_dialog tarvina || fail "no file dialog"
choose "$(winpath "$other/Roto.zanual")"
expect_message "No se puede leer el almanaque"
equal "damaged: the title stays" tarvina "$(wait_window 'tarvina|Almanaque - Roto.zanual')"

# The second use starts where the first choice was, with its name.
check "Leer again" open_dialog tarvina
equal "in the folder of the last choice" "otra carpeta" "$(control_text "$dialog" "$kLookIn" "otra carpeta")"
equal "with its name" Roto.zanual "$(control_text "$dialog" "$kFileName" Roto.zanual)"
choose Casa.zanual
title="Almanaque - Casa.zanual"
equal "the chosen almanac's title" "$title" "$(wait_window "$title")"
sleep 0.5
shot="$(screenshot opened)"
read -r fl ft fr fb <<<"$(rect_of "$title" 1001 client)"
# The label block of 5 March (the fourth band) in its colour RGB(255, 204, 153).
check "its label block is drawn" test "$(count_colour "$shot" "$fl" "$ft" "$fr" "$fb" 255 204 153)" -gt 1000
equal "the control has the focus" "$(printf '%s\t1001\tStatic' "$title")" "$(probe focus)"
equal "Nuevo and Leer greyed" "greyed separator greyed separator enabled separator enabled" \
  "$(menu_states "$title" 0 | tr '\n' ' ' | sed 's/ $//')"

# A new label goes into the chosen file, where it is.
size_before=$(stat -c %s "$other/Casa.zanual")
choose_menu "$title" 1 0
label="Entrada de datos"
if [ "$(wait_window "$label" 10)" = "$label" ]; then
  click_control "$label" 1002
  type_text "nueva etiqueta"
  click_control "$label" 1060  # month
  key Down Down Down Return
  click_control "$label" 1059  # day
  key Down Down Down Down Down Down Down Return
  click_control "$label" 1057  # Aceptar
  window_gone "$label" 10 || fail "the label dialog stayed open"
  sleep 1
  equal "one record more in the chosen file" $((size_before + 142)) "$(stat -c %s "$other/Casa.zanual")"
  check "none in the program's folder" test ! -e "$WORK/Casa.zanual"
  shot="$(screenshot label-added)"
  check "the new label is drawn" test \
    "$(count_colour "$shot" "$fl" $((ft + 6 * 95)) "$fr" $((ft + 7 * 95)) 255 255 255)" -lt $(((fr - fl) * 95 - 500))
else
  fail "no label dialog"
fi

choose_menu "$title" 0 3
expect_ended 15
e2e_end
