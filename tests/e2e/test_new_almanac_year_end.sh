#!/usr/bin/env bash
# A new almanac that ends on 31 December, as a person sees it: drawn to that
# day, and the label dialog offers only its own year, not the next one.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate

new="Elige tiempo"
label="Entrada de datos"

# create day month year count name: "Nuevo" from a fresh start, accepted.
create() {
  tarvina_start
  equal "plain start" tarvina "$(wait_window 'tarvina|Programador')"
  read -r fl ft fr fb <<<"$(rect_of tarvina 1001 client)"
  choose_menu tarvina 0 0
  equal "Nuevo opens its dialog" "$new" "$(wait_window "$new" 10)"
  pick_date "$new" 2001 "$1" "$2" "$3"
  equal "the picker shows $1/$2/$3" "$(picker_shows "$1" "$2" "$3")" "$(probe text "$new" 2001)"
  click_control "$new" 2002
  type_text "$4"
  click_control "$new" 2009
  type_text "$5"
  click_control "$new" 2006
  expect_message "Almanaque Creado ..."
  title="Almanaque - $5.zanual"
  equal "the title" "$title" "$(wait_window "$title")"
  click_client "$title" 900 400
}

# years_offered: the years the label dialog's year list holds, first and
# last, as a person finds them by walking the list with the arrow keys.
years_offered() {
  choose_menu "$title" 1 0
  if [ "$(wait_window "$label" 10)" != "$label" ]; then
    fail "no label dialog"
    return
  fi
  click_control "$label" 1065
  key Up Up Up
  local first last
  first="$(probe text "$label" 1065)"
  key Down Down Down
  last="$(probe text "$label" 1065)"
  echo "$first $last"
  click_control "$label" 1058
  window_gone "$label" 10 || fail "the label dialog did not close"
}

# box_shot name: a screenshot; box_facts shot y...: facts of boxes with tops at face y.
box_facts() {
  local shot=$1 ys="" y
  shift
  for y in "$@"; do ys="$ys $((ft + y))"; done
  # shellcheck disable=SC2086
  pixels boxes "$shot" $((fl + 1)) $ys
}
field() { echo "$1" | cut -d' ' -f"$2"; }

# 16 December 2024 and 15 days: the 16th box is 31 December, a Tuesday.
create 16 12 2024 15 Diciembre
key Home
top="$(screenshot top)"
tue17="$(box_facts "$top" 96)"
key End
end="$(screenshot end)"
equal "End: a frame's top edge at the top of the view" 125 \
  "$(count_colour "$end" $((fl + 1)) "$ft" $((fl + 126)) $((ft + 1)) 192 192 192)"
equal "End: white below the last box" $(((fr - fl) * (fb - ft - 94))) \
  "$(count_colour "$end" "$fl" $((ft + 94)) "$fr" "$fb" 255 255 255)"
wheel up
last="$(box_facts "$(screenshot last)" 25)"
equal "the last box: its frame" ok "$(field "$last" 1)"
equal "the last box: \"Diciembre 2024\" as the first" "$(field "$(box_facts "$top" 1)" 6)" "$(field "$last" 6)"
equal "the last box: a Tuesday, as 17 December" "$(field "$tue17" 7)" "$(field "$last" 7)"
check "the last box: black digits" test "$(field "$last" 2)" = 0 -a "$(field "$last" 3)" -gt 300
equal "the label dialog offers only 2024" "2024 2024" "$(years_offered)"
choose_menu "$title" 0 3
expect_ended 15
e2e_end
