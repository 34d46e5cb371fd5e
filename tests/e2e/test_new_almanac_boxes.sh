#!/usr/bin/env bash
# A new almanac as a person sees it: 1 January 2025 and 15 days, named
# "Prueba". The confirmation comes before the strip reaches the screen; then
# the 16 day boxes, read pixel by pixel on screenshots while scrolling: grey
# frames at the exact pixels with one blank row between boxes, "Enero 2025"
# headers, two-digit day numbers, red Sundays, the weekday names in turn.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate

new="Elige tiempo"
title="Almanaque - Prueba.zanual"
tarvina_start
equal "plain start" tarvina "$(wait_window 'tarvina|Programador')"
read -r fl ft fr fb <<<"$(rect_of tarvina 1001 client)"
choose_menu tarvina 0 0
equal "Nuevo opens its dialog" "$new" "$(wait_window "$new" 10)"
pick_date "$new" 2001 1 1 2025
equal "the picker shows 1 January 2025" "$(picker_shows 1 1 2025)" "$(probe text "$new" 2001)"
click_control "$new" 2002
type_text 15
click_control "$new" 2009
type_text Prueba
click_control "$new" 2006

# The message comes while the almanac's face is still white.
if [ "$(wait_window Programador 20)" = Programador ]; then
  equal "the confirmation" "Almanaque Creado ..." "$(message_text)"
  equal "the title is set by then" "$title" "$(probe text "$title" 0)"
  # Where the boxes go, left of the message box.
  read -r ml _ <<<"$(rect_of Programador)"
  w=$((ml < fl + 200 ? ml - fl : 200))
  check "the message box leaves the boxes' place free" test "$w" -ge 127
  equal "the strip is not on the screen yet" $((w * (fb - ft))) \
    "$(count_colour "$(screenshot confirming)" "$fl" "$ft" $((fl + w)) "$fb" 255 255 255)"
  dismiss_message
else
  fail "no confirmation"
fi
equal "the new almanac's title" "$title" "$(wait_window "$title")"
check "the dialog has closed" window_gone "$new" 5

# facts_of shot first count: the facts (pixels.py boxes) of boxes first ..
# first + count - 1, the view scrolled so that box `first` is at the top.
facts_of() {
  local ys="" i
  for i in $(seq 0 $(($3 - 1))); do ys="$ys $((ft + 1 + 95 * i))"; done
  # shellcheck disable=SC2086
  pixels boxes "$1" $((fl + 1)) $ys
}
click_client "$title" 900 400
key Home
top="$(screenshot top)"
facts="$(facts_of "$top" 0 7)"
for _ in 1 2 3 4 5 6 7; do key Down; done
facts="$facts
$(facts_of "$(screenshot down7)" 7 7)"
for _ in 1 2 3 4 5 6 7; do key Down; done
low="$(screenshot down14)"
facts="$facts
$(facts_of "$low" 14 2)"
equal "16 boxes seen" 16 "$(echo "$facts" | wc -l)"
equal "white below the 16th box" $(((fr - fl) * (fb - ft - 2 * 95 - 1))) \
  "$(count_colour "$low" "$fl" $((ft + 1 + 2 * 95)) "$fr" "$fb" 255 255 255)"
equal "white right of the boxes" $(((fr - fl - 127) * (fb - ft))) \
  "$(count_colour "$top" $((fl + 127)) "$ft" "$fr" "$fb" 255 255 255)"

header_ref="$(pixels hash "$E2E_DIR/ref/header-enero-2025.png")"
wednesday_ref="$(pixels hash "$E2E_DIR/ref/weekday-miercoles.png")"
lead0="$(echo "$facts" | sed -n 1p | cut -d' ' -f5)"
i=0
while read -r frame red black width lead header weekday; do
  day=$((i + 1))
  equal "day $day: frame RGB(192,192,192) at its pixels, white around it" ok "$frame"
  equal "day $day: header \"Enero 2025\"" "$header_ref" "$header"
  check "day $day: two digits ($width pixels wide)" test "$width" -ge 50 -a "$width" -le 62
  if [ $((day % 7)) = 5 ]; then  # the 5th and the 12th are Sundays
    check "day $day, a Sunday: red digits ($red)" test "$red" -gt 300 -a "$black" = 0
  else
    check "day $day: black digits ($black)" test "$black" -gt 300 -a "$red" = 0
    [ "$day" -le 9 ] && equal "day $day: a leading zero" "$lead0" "$lead"
  fi
  weekdays[i]=$weekday
  i=$((i + 1))
done <<<"$facts"
equal "1 January 2025 is a Wednesday: \"Miercoles\"" "$wednesday_ref" "${weekdays[0]}"
for i in $(seq 0 8); do
  equal "days $((i + 1)) and $((i + 8)): the same weekday name" "${weekdays[i]}" "${weekdays[i + 7]}"
done
equal "seven different weekday names" 7 "$(printf '%s\n' "${weekdays[@]:0:7}" | sort -u | wc -l)"

key End
end="$(screenshot end)"
equal "End: the last box at the top, as seen before" yes \
  "$(pixels same "$low" "$fl" $((ft + 1 + 95)) "$fr" $((ft + 96 + 94)) "$end" "$fl" "$ft")"
equal "End: white below the last box" $(((fr - fl) * (fb - ft - 95))) \
  "$(count_colour "$end" "$fl" $((ft + 95)) "$fr" "$fb" 255 255 255)"

choose_menu "$title" 0 3
expect_ended 15
e2e_end
