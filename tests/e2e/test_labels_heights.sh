#!/usr/bin/env bash
# A day grows with its labels: three two-line labels written on the first
# day push the second day's box to y 166 and every later one with it. Labels
# stored for dates the almanac does not show are neither drawn nor make any
# day taller. The dialog keeps the day and month of the last label.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate
. "$(dirname "$0")/label_steps.sh"

# Besides 28 February, labels for dates outside it (after the end, the
# first day of the year before) and one on 5 March.
open_march \
  1 4 2025 0x00FF00 'después' \
  1 3 2024 0x00FF00 'otro|año|aquí' \
  5 3 2025 0x6666FF 'uno|dos|tres'
settle
read -r fl ft fr _ <<<"$(rect_of "$title" 1001 client)"
fw=$((fr - fl))

black() { count_colour "$shot" $((fl + $1)) $((ft + $2)) $((fl + $3)) $((ft + $4)) 0 0 0; }
white() { count_colour "$shot" $((fl + $1)) $((ft + $2)) $((fl + $3)) $((ft + $4)) 255 255 255; }
shot="$(screenshot opened)"
equal "outside labels: the boxes every 95 pixels" "" "$(boxes_at "$shot" 1 96 191 286 381 476 571 666)"
equal "outside labels: nothing drawn beside the first four days" $(((fw - 126) * 380)) \
  "$(white 126 0 "$fw" 380)"
equal "5 March's block at its day" 989 "$(black 127 381 1116 382)"

# Three two-line labels on the first day, white (no square clicked): the
# dialog keeps the day and month, so one pick makes all three.
for n in 1 2 3; do
  choose_menu "$title" 1 0
  if [ "$(wait_window "$label" 15)" != "$label" ]; then
    fail "no label dialog ($n)"
    break
  fi
  settle
  if [ "$n" = 1 ]; then
    click_control "$label" 1060
    key Down Down Down
    click_control "$label" 1059
    key Down
  else
    equal "label $n: the first day still chosen" "01 03" \
      "$(control_text "$label" 1059) $(control_text "$label" 1060)"
  fi
  click_control "$label" 1002
  type_text "primera $n"
  key Return
  type_text "segunda $n"
  click_control "$label" 1057
  window_gone "$label" 10 || fail "label $n: the dialog stayed open: $(message_text)"
  settle
done
equal "six records more" $((15 * 142)) "$(stat -c %s "$file")"
equal "the earlier records unchanged" "$before" "$(head -c $((9 * 142)) "$file" | md5sum)"
equal "the six records" "$(for n in 1 2 3; do
    echo "1 3 2025 0x00FFFFFF 0 1 3 2025 30 1 primera $n"
    echo "1 3 2025 0x00FFFFFF 1 1 3 2025 30 1 segunda $n"
  done)" "$("$PY" "$LS" records "$file" | tail -n 6)"

# 3 x (18 x 3 + 1) = 165 > 95: the second day's box moves to y 166, the
# others follow every 95 pixels, 5 March with its label at 451.
shot="$(screenshot pushed)"
equal "second day at 166, the rest every 95 pixels" "" "$(boxes_at "$shot" 1 166 261 356 451 546)"
equal "nothing where the second day was" 125 "$(white 1 96 126 97)"
for top in 1 56 111; do
  equal "block at $top: outline top and bottom" $((989 * 2)) \
    "$(( $(black 127 $top 1116 $((top + 1))) + $(black 127 $((top + 53)) 1116 $((top + 54))) ))"
  equal "block at $top: white inside right of its text" $(((1115 - 300) * 52)) \
    "$(white 300 $((top + 1)) 1115 $((top + 53)))"
done
equal "blank rows between the blocks" $((989 * 2)) "$(( $(white 127 55 1116 56) + $(white 127 110 1116 111) ))"
equal "5 March's block moved with its day" 989 "$(black 127 451 1116 452)"

choose_menu "$title" 0 3
expect_ended 15
e2e_end
