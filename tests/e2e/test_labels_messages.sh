#!/usr/bin/env bash
# "Aceptar" refused, as a person meets it: no day or month, no day, no text; a date
# that does not exist (31 April, the day kept after the month changed); a
# date the almanac does not show. Each time a message says why, the dialog
# stays with the text in it and nothing reaches the file.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate

. "$(dirname "$0")/label_steps.sh"
open_march
choose_menu "$title" 1 0
if [ "$(wait_window "$label" 15)" != "$label" ]; then
  fail "no label dialog"
  e2e_end
fi
settle

# refused "what": the message starts so, the dialog stays with its text,
# the file is as it was.
kMissing="Seleccione día y mes, y escriba el texto que desea ..."
refused() {
  local what=$1 want=$2 text=$3
  click_control "$label" 1057
  expect_message "$want"
  equal "$what: the dialog stays" "$label" "$(wait_window "$label" 2)"
  equal "$what: the text stays" "$text" "$(control_text "$label" 1002 "$text" 2)"
  equal "$what: the file is unchanged" "$before" "$(md5sum <"$file")"
}

click_control "$label" 1002
type_text "hola"
key Return
type_text "mundo"
text=$'hola\nmundo'
refused "text, no day or month" "$kMissing" "$text"
click_control "$label" 1060
key Down Down Down
refused "text and month 03, no day" "$kMissing" "$text"

# 31 January, then April: the day 31 is kept, and shown.
click_control "$label" 1060
key Up Up
click_control "$label" 1059
# shellcheck disable=SC2046
key $(printf 'Down %.0s' $(seq 31))
equal "day 31 of January chosen" "31 01" "$(control_text "$label" 1059) $(control_text "$label" 1060)"
click_control "$label" 1060
key Down Down Down
equal "April: the day list still shows 31" "31 04" "$(control_text "$label" 1059) $(control_text "$label" 1060)"
refused "31 April" "La fecha 31/04/2025 no existe." "$text"

click_control "$label" 1059
key Down
equal "1 April chosen" "01 04" "$(control_text "$label" 1059) $(control_text "$label" 1060)"
refused "1 April, after the almanac's end" \
  "La fecha 01/04/2025 no está en el almanaque, que va del 01/03/2025 al 31/03/2025." "$text"

# 5 March, a good date; "Cancelar" stores nothing.
click_control "$label" 1060
key Up
click_control "$label" 1059
key Down Down Down Down
equal "5 March chosen" "05 03" "$(control_text "$label" 1059) $(control_text "$label" 1060)"
click_control "$label" 1058
window_gone "$label" 10 || fail "Cancelar did not close the dialog"
settle
equal "cancelled: the file is unchanged" "$before" "$(md5sum <"$file")"

# The next opening keeps 5 March: with no text it is refused all the same.
choose_menu "$title" 1 0
if [ "$(wait_window "$label" 15)" = "$label" ]; then
  settle
  equal "5 March shown again" "05 03" "$(control_text "$label" 1059) $(control_text "$label" 1060)"
  refused "5 March kept, no text" "$kMissing" ""
  click_control "$label" 1058
  window_gone "$label" 10 || fail "Cancelar did not close the dialog"
else
  fail "no label dialog the second time"
fi

choose_menu "$title" 0 3
expect_ended 15
e2e_end
