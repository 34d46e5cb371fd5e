#!/usr/bin/env bash
# Scrolling an opened almanac on the screen: arrows by one day band (95
# pixels), the wheel by 25, Home to the top, End to the last day, and no
# further than either end.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate

# 28 December 2023 and 40 days more: 41 bands, the last one (6 February) at 40 x 95.
make_zanual "$WORK/Casa.zanual" 28 12 2023 40 29 12 2023 0x99CCFF 'Fiesta \#09|segunda línea' \
  2 1 2024 0x88FF88 'Año nuevo'
title="Almanaque - Casa.zanual"
tarvina_start "$(winpath "$WORK/Casa.zanual")"
equal "opened" "$title" "$(wait_window "$title")"
read -r fl ft fr fb <<<"$(rect_of "$title" 1001 client)"
face="$fl $ft $fr $fb"
click_client "$title" 900 400

n=0
snap() { n=$((n + 1)); screenshot "scroll-$n-$1"; }
# moved "what" before after dy
moved() { equal "$1" yes "$("$PY" "$E2E_DIR/shot.py" shifted "$2" "$3" $face "$4")"; }
same() { equal "$1" yes "$("$PY" "$E2E_DIR/shot.py" same "$2" "$3" $face)"; }
white_rows() {  # white_rows shot from to: all pixels of the face's rows [from, to) white?
  local want=$(((fr - fl) * ($3 - $2)))
  equal "$4" "$want" "$(count_colour "$1" "$fl" $((ft + $2)) "$fr" $((ft + $3)) 255 255 255)"
}

# Something is drawn in the box's place (fewer white pixels than its area).
box_drawn() { [ "$(count_colour "$1" "$fl" "$ft" $((fl + 115)) $((ft + 90)) 255 255 255)" -lt $((115 * 90)) ]; }
top="$(snap top)"
check "a day box at the top-left" box_drawn "$top"
key Down
d1="$(snap down1)"
moved "Down: up by one band" "$top" "$d1" -95
key Down
d2="$(snap down2)"
moved "Down again: one more band" "$d1" "$d2" -95
key Up
same "Up: back one band" "$d1" "$(snap up)"
key Home
same "Home: the top again" "$top" "$(snap home)"
key Up
same "Up at the top does nothing" "$top" "$(snap up-at-top)"

wheel down
w1="$(snap wheel-down)"
moved "wheel towards you: 25 pixels" "$top" "$w1" -25
wheel up
same "wheel away: back" "$top" "$(snap wheel-up)"
wheel up
same "wheel away at the top does nothing" "$top" "$(snap wheel-up-at-top)"

# From -25, Up gives +70: a white band above the strip; a further Up does nothing.
wheel down
key Up
p70="$(snap plus70)"
moved "wheel down then Up: 70 pixels of white above the top" "$top" "$p70" 70
white_rows "$p70" 0 70 "the band above the strip is white"
key Up
same "a further Up does nothing" "$p70" "$(snap plus70-up)"
key Home
same "Home from above the top" "$top" "$(snap home2)"

key End
end="$(snap end)"
check "End shows a day box at the top" box_drawn "$end"
white_rows "$end" 96 $((fb - ft)) "End: the last day's band at the top, white below"
key Down
same "Down at the end does nothing" "$end" "$(snap end-down)"
wheel down 3
same "the wheel at the end does nothing" "$end" "$(snap end-wheel)"
key Up
moved "Up from the end: one band back" "$end" "$(snap end-up)" 95
key Home
same "Home from the end" "$top" "$(snap home3)"

choose_menu "$title" 0 3
expect_ended 15

e2e_end
