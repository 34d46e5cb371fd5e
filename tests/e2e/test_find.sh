#!/usr/bin/env bash
# "Buscar" and "Buscar siguiente" as a person uses them: a search ignores
# case and accents, starts after the day at the top and wraps round once;
# F3 walks the hits in order and back to the first; a text no label holds
# is said and the dialog stays. (Which texts match is tested natively.)
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate
. "$(dirname "$0")/go_steps.sh"

find="Buscar"
open_around_today Citas 2 0xFFCC99 'Cita con el DENTISTA \#09|segunda línea' \
  5 0x88FF88 'Dentísta otra vez' -3 0x99CCFF 'dentista antes|Niño' 8 0xCCCCCC 'nada que ver'

# The days of the hits, as Home and the arrows show them: today is index 10.
d12="$(day_shot 12)"
d15="$(day_shot 15)"
d7="$(day_shot 7)"
key ctrl+t

# search text: Ctrl+F, the text typed over the one offered, Enter.
search() {
  key ctrl+f
  if [ "$(wait_window "$find" 10)" != "$find" ]; then
    fail "Ctrl+F opened no dialog"
    return 1
  fi
  type_text "$1"
  key Return
}

search dentista
window_gone "$find" 10 || fail "the dialog stayed after a hit: $(message_text)"
settle
h1="$(screenshot hit1)"
equal "the first hit after today: in two days, at the top" yes "$(same_days "$h1" "$d12")"
check "its line is outlined" test "$(face_count "$h1" 230 0 0)" -gt 3000
key F3
h2="$(screenshot hit2)"
equal "F3: \"Dentísta\" in five days" yes "$(same_days "$h2" "$d15")"
key F3
equal "F3: round to \"dentista\" three days ago" yes "$(same_days "$(screenshot hit3)" "$d7")"
key F3
equal "F3: the first hit again" yes "$(same_face "$h1" "$(screenshot hit4)")"

search zapato
expect_message "No se encontró \"zapato\"."
equal "nothing found: the dialog stays" "$find" "$(wait_window "$find" 5)"
click_control "$find" 5014
window_gone "$find" 10 || fail "Cancelar did not close the dialog"

choose_menu "$title" 0 3
expect_ended 15
e2e_end
