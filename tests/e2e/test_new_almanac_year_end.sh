#!/usr/bin/env bash
# A new almanac that ends on 31 December, as a person sees it: drawn to that
# day, and the label dialog offers only its own year, not the next one.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate

. "$(dirname "$0")/new_almanac_steps.sh"

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
