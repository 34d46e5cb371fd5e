#!/usr/bin/env bash
# A new almanac across the turn of a year, as a person sees it: 31 December
# 2024 and 366 days is drawn to its last day, 1 January 2026 (End shows it at
# the top), the headers count the years on, and the label dialog offers the
# three years it reaches. (test_new_almanac_year_end: one that ends on 31 December.)
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate

. "$(dirname "$0")/new_almanac_steps.sh"
header_ref="$(pixels hash "$E2E_DIR/ref/header-enero-2025.png")"
wednesday_ref="$(pixels hash "$E2E_DIR/ref/weekday-miercoles.png")"

# ---- 31 December 2024 and 366 days ----
create 31 12 2024 366 Largo
key Home
top="$(screenshot top)"
facts="$(box_facts "$top" 1 96 191 286 381 476)"
first="$(echo "$facts" | sed -n 1p)"
jan1="$(echo "$facts" | sed -n 2p)"
equal "31 December 2024: its frame" ok "$(field "$first" 1)"
check "31 December 2024: not an \"Enero 2025\" header" test "$(field "$first" 6)" != "$header_ref"
equal "1 January 2025: header \"Enero 2025\"" "$header_ref" "$(field "$jan1" 6)"
equal "1 January 2025: a Wednesday" "$wednesday_ref" "$(field "$jan1" 7)"
check "5 January 2025, a Sunday: red" test "$(echo "$facts" | sed -n 6p | cut -d' ' -f3)" = 0

key End
end="$(screenshot end)"
equal "End: a frame's top edge at the top of the view" 125 \
  "$(count_colour "$end" $((fl + 1)) "$ft" $((fl + 126)) $((ft + 1)) 192 192 192)"
equal "End: white below the last box" $(((fr - fl) * (fb - ft - 94))) \
  "$(count_colour "$end" "$fl" $((ft + 94)) "$fr" "$fb" 255 255 255)"
# A notch of the wheel brings the last box down 25 pixels, whole on the view.
wheel up
last_shot="$(screenshot last)"
last="$(box_facts "$last_shot" 25)"
equal "the last box: its frame" ok "$(field "$last" 1)"
# 1 January 2026: "01" as on 1 January 2025, a Thursday as 2 January 2025,
# and a header that reads "Enero 202" and then not 5.
equal "the last box: day 01" yes "$(pixels same "$top" $((fl + 2)) $((ft + 96 + 14)) $((fl + 125)) $((ft + 96 + 74)) \
  "$last_shot" $((fl + 2)) $((ft + 25 + 14)))"
equal "the last box: a Thursday" "$(field "$(echo "$facts" | sed -n 3p)" 7)" "$(field "$last" 7)"
check "the last box: not \"Enero 2025\"" test "$(field "$last" 6)" != "$header_ref"
equal "the last box: \"Enero 202\" as in 2025" yes "$(pixels same "$E2E_DIR/ref/header-enero-2025.png" 0 0 87 13 \
  "$last_shot" $((fl + 2)) $((ft + 25 + 2)))"
# 31 December 2025 above it: "Diciembre 202" as in 2024, then not 4.
key End Up
dec31="$(screenshot dec31)"
equal "31 December 2025 above it: \"Diciembre 202\" as in 2024" yes \
  "$(pixels same "$top" $((fl + 2)) $((ft + 1 + 2)) $((fl + 95)) $((ft + 1 + 15)) "$dec31" $((fl + 2)) $((ft + 2)))"
equal "31 December 2025: not \"Diciembre 2024\"" no \
  "$(pixels same "$top" $((fl + 2)) $((ft + 1 + 2)) $((fl + 125)) $((ft + 1 + 15)) "$dec31" $((fl + 2)) $((ft + 2)))"

equal "the label dialog offers 2024 to 2026" "2024 2026" "$(years_offered)"
choose_menu "$title" 0 3
expect_ended 15
e2e_end
