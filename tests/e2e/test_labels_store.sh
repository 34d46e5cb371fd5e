#!/usr/bin/env bash
# A label written as a person would: three lines, one with the code of the
# flag, for 05 March 2025 in the square 1031, then "Aceptar". The file gets
# exactly those three records appended; the main window shows the label at
# once, beside its day, pixel for pixel.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate
. "$(dirname "$0")/label_steps.sh"

open_march
settle
read -r fl ft fr fb <<<"$(rect_of "$title" 1001 client)"
fw=$((fr - fl))

equal "the label of 28 February is not drawn" $(((fw - 126) * (fb - ft))) \
  "$(count_colour "$(screenshot opened)" $((fl + 126)) "$ft" "$fr" "$fb" 255 255 255)"

# The label: month 03, day 05 picked from the lists, the year is the only one.
choose_menu "$title" 1 0
if [ "$(wait_window "$label" 15)" != "$label" ]; then
  fail "no label dialog"
  e2e_end
fi
settle
equal "the almanac's one year is offered and chosen" 2025 "$(control_text "$label" 1065 2025)"
click_control "$label" 1002
type_text "uno"
key Return
type_text 'dos \#09 tres'
key Return
type_text "fin"
click_control "$label" 1031
click_control "$label" 1060
key Down Down Down
click_control "$label" 1059
key Down Down Down Down Down
equal "the lists show 05 and 03" "05 03" "$(control_text "$label" 1059) $(control_text "$label" 1060)"
click_control "$label" 1057
window_gone "$label" 10 || fail "the dialog stayed open: $(message_text)"
settle
shot="$(screenshot stored)"

equal "three records appended" $((5 * 142)) "$(stat -c %s "$file")"
equal "the earlier records unchanged" "$before" "$(head -c $((2 * 142)) "$file" | md5sum)"
equal "the three records" "$(printf '%s\n' \
  '5 3 2025 0x006666FF 0 1 3 2025 30 1 uno' \
  '5 3 2025 0x006666FF 0 1 3 2025 30 1 dos \#09 tres' \
  '5 3 2025 0x006666FF 1 1 3 2025 30 1 fin')" "$("$PY" "$LS" records "$file" | tail -n 3)"

# On screen at once, beside 5 March (the fifth box, top 381): a block from
# x 127 to 1115 and y 381 to 452 with a black outline, filled (255,102,102).
B=381
red() { count_colour "$shot" $((fl + $1)) $((ft + $2)) $((fl + $3)) $((ft + $4)) 255 102 102; }
black() { count_colour "$shot" $((fl + $1)) $((ft + $2)) $((fl + $3)) $((ft + $4)) 0 0 0; }
white() { count_colour "$shot" $((fl + $1)) $((ft + $2)) $((fl + $3)) $((ft + $4)) 255 255 255; }
equal "outline: top row" 989 "$(black 127 $B 1116 $((B + 1)))"
equal "outline: bottom row" 989 "$(black 127 $((B + 71)) 1116 $((B + 72)))"
equal "outline: left column" 72 "$(black 127 $B 128 $((B + 72)))"
equal "outline: right column" 72 "$(black 1115 $B 1116 $((B + 72)))"
equal "white left of the block" 72 "$(white 126 $B 127 $((B + 72)))"
if [ "$fw" -gt 1116 ]; then
  equal "white right of the block" 72 "$(white 1116 $B 1117 $((B + 72)))"
fi
equal "white below the block" 989 "$(white 127 $((B + 72)) 1116 $((B + 73)))"
equal "filled above the text rows" $((987 * 2)) "$(red 128 $((B + 1)) 1115 $((B + 3)))"
equal "filled below the text rows" $((987 * 19)) "$(red 128 $((B + 51)) 1115 $((B + 70)))"
equal "filled left of the text column" $((8 * 70)) "$(red 128 $((B + 1)) 136 $((B + 71)))"
equal "filled right of the longest line" $(((1115 - 248) * 48)) "$(red 248 $((B + 3)) 1115 $((B + 51)))"
# The three lines on the grid rows 25, 26 and 27 (tops 384, 400, 416) from
# column 18 (x 136): ink in each row's cells, nowhere else.
row=384
for text in uno 'dos \#09 tres' fin; do
  cells=${#text}
  check "line \"$text\" is printed at y $row" test "$(black 136 $row $((136 + 8 * cells)) $((row + 16)))" -gt $((cells * 5))
  equal "line \"$text\": nothing printed after it" 0 "$(black $((136 + 8 * cells)) $((row + 1)) 1115 $((row + 16)))"
  row=$((row + 16))
done
# The code "\#09" starts at character 5 of the second row (top 400): a patch
# in the label's colour over columns 22 to 25 (x 168 to 199, y 403 to 415),
# and the flag of icon 9 (18 x 12, opaque) at column 23, y 402.
equal "the code's characters are covered" $((8 * 13 + 6 * 13)) \
  "$(( $(red 168 403 176 416) + $(red 194 403 200 416) ))"
equal "the flag where the code was" 0 \
  "$("$PY" "$LS" differ "$shot" "$TARVINA_SOURCE/resources/icons/icon09.bmp" $((fl + 176)) $((ft + 402)))"
equal "the day box of 5 March stays" "" "$(boxes_at "$shot" 381)"
equal "the next day 95 pixels on" "" "$(boxes_at "$shot" 476 571 666)"

choose_menu "$title" 0 3
expect_ended 15
e2e_end
