#!/usr/bin/env bash
# "Ir" as a person uses it in an almanac around today: it opens at today's
# band with today's mark; Page Down moves by the view's 736 rows and stops
# at End, Ctrl+End and Ctrl+Home act as End and Home; Ctrl+T brings today
# back; Ctrl+G goes to a day.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate
. "$(dirname "$0")/go_steps.sh"

go="Ir a la fecha"
open_around_today Cerca
opened="$(screenshot opened)"
equal "today's box has its mark" "0 102 204|0 102 204|255 255 255" \
  "$(pixel "$opened" $((fl + 1)) $((ft + 1)))|$(pixel "$opened" $((fl + 2)) $((ft + 2)))|$(pixel "$opened" $((fl + 3)) $((ft + 3)))"
equal "the next day's has not" "192 192 192" "$(pixel "$opened" $((fl + 1)) $((ft + 96)))"
equal "the menu Ir: all four available" "enabled enabled separator enabled enabled " \
  "$(menu_states "$title" 2 | tr '\n' ' ')"
click_client "$title" 900 400
equal "it opens at today's band, as Home and 10 Downs show it" yes \
  "$(same_face "$opened" "$(day_shot 10)")"

# Page Down, then 7 Ups of 95: 71 rows below where it started.
key ctrl+t
key Next
key Up Up Up Up Up Up Up
equal "Page Down moves by 736 rows" yes \
  "$(shifted_face "$opened" "$(screenshot page-up7)" -71)"
key Next Next Next Next Next
paged="$(screenshot paged-to-end)"
key End
equal "Page Down stops at End" yes "$(same_face "$paged" "$(screenshot end)")"
key Home ctrl+End
equal "Ctrl+End is End" yes "$(same_face "$paged" "$(screenshot ctrl-end)")"
top="$(day_shot 0)"
key ctrl+Home
equal "Ctrl+Home is Home" yes "$(same_face "$top" "$(screenshot ctrl-home)")"
key ctrl+t
equal "Ctrl+T: today's band again" yes "$(same_face "$opened" "$(screenshot today-again)")"

# Ctrl+G: the 4th day, picked, goes to the top.
read -r gd gm gy <<<"$(day_of -7)"
key ctrl+g
if [ "$(wait_window "$go" 10)" = "$go" ]; then
  pick_date "$go" 5001 "$gd" "$gm" "$gy"
  click_control "$go" 5003
  window_gone "$go" 10 || fail "Aceptar did not close the dialog: $(message_text)"
  settle
  went="$(screenshot went)"
  equal "Ctrl+G: that day at the top" yes "$(same_face "$went" "$(day_shot 3)")"
else
  fail "Ctrl+G opened no dialog"
fi

choose_menu "$title" 0 3
expect_ended 15
e2e_end
