#!/usr/bin/env bash
# The next year: "Nuevo" for 2027 with "Traer etiquetas de otro almanaque"
# checked, after "Almanaque Creado", asks for last year's file and lists its
# labels, a weekly class once; the checked birthdays go to the same days of
# 2027 and the class to every Tuesday of 2027, in one write that one Ctrl+Z
# takes back; the 2026 file stays byte for byte as it was.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate
. "$(dirname "$0")/new_almanac_steps.sh"

bring="Traer etiquetas"
kFileName=1148  # the file dialogs' name field
# Every Tuesday of `year` from its date `first`, a label `text` each.
tuesdays() {
  local d=$1 year=${1%%-*}
  while [ "${d%%-*}" = "$year" ]; do
    printf '%s\n' $(date -d "$d" '+%-d %-m %Y') 0xFFCC99 "$2"
    d="$(date -d "$d + 7 days" +%F)"
  done
}
mapfile -t yoga2026 < <(tuesdays 2026-01-06 'Yoga|a las siete')
make_zanual "$WORK/2026.zanual" 1 1 2026 364 14 3 2026 0x0000FF 'Cumpleaños de Ana' \
  5 2 2026 0x99CCFF 'Dentista' "${yoga2026[@]}" 29 7 2026 0x00FF00 'Cumpleaños de Luis|\#69'
last_year="$(md5sum <"$WORK/2026.zanual")"

tarvina_start
equal "plain start" tarvina "$(wait_window 'tarvina|Programador')"
choose_menu tarvina 0 0
equal "Nuevo opens its dialog" "$new" "$(wait_window "$new" 10)"
pick_date "$new" 2001 1 1 2027
click_control "$new" 2002
type_text 364
click_control "$new" 2009
type_text 2027
click_control "$new" 2010
click_control "$new" 2006
expect_message "Almanaque Creado ..."
dialog="$(wait_window 'Open|Abrir' 15)"
if [ -n "$dialog" ]; then
  click_control "$dialog" "$kFileName"
  key ctrl+a
  type_text "$(winpath "$WORK/2026.zanual")"
  key Return
  window_gone "$dialog" 10 || fail "the file dialog stayed open"
else
  fail "no open dialog after Almanaque Creado"
fi

if [ "$(wait_window "$bring" 15)" = "$bring" ]; then
  settle
  click_control "$bring" 5042  # "Marcar todas"
  # The second row, "Dentista", unchecked again with a click on its box.
  read -r l t _ _ <<<"$(rect_of "$bring" 5041 window)"
  click_at $((l + 10)) $((t + 44))
  click_control "$bring" 5044
  window_gone "$bring" 10 || fail "Traer etiquetas stayed open: $(message_text)"
  settle
else
  fail "no Traer etiquetas"
fi

mapfile -t yoga2027 < <(tuesdays 2027-01-05 'Yoga|a las siete')
make_zanual "$WORK/expected.zanual" 1 1 2027 364 14 3 2027 0x0000FF 'Cumpleaños de Ana' \
  "${yoga2027[@]}" 29 7 2027 0x00FF00 'Cumpleaños de Luis|\#69'
equal "the birthdays on the same days of 2027, the class on its Tuesdays, Dentista left" \
  "$(md5sum <"$WORK/expected.zanual")" "$(md5sum <"$WORK/2027.zanual")"
equal "the 2026 file byte for byte as it was" "$last_year" "$(md5sum <"$WORK/2026.zanual")"
click_client "Almanaque - 2027.zanual" 900 400
key ctrl+z
check "one Ctrl+Z takes them all back" test ! -e "$WORK/2027.zanual"

tarvina_stop
e2e_end
