#!/usr/bin/env bash
# The main window and "Entrada de datos" on the screen a person has. On
# 1400 x 1000: the window dragged to 900 x 600, the almanac control follows,
# End shows the last day at the top, maximise and restore, and the next
# start comes back at that size. On a 1366 x 768 laptop screen: the window
# opens inside it, the label dialog scrolls with the wheel until "Aceptar"
# can be clicked, and Ctrl+Enter in the text box stores a label too.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate
. "$(dirname "$0")/label_steps.sh"

forget_window_place

# Days 1 to 31 March 2025: the last band's top at 30 x 95.
open_march
settle
read -r wl wt wr wb <<<"$(rect_of "$title" "" window)"

# The lower right corner of the frame dragged as a person would.
xdotool mousemove $((wr - 1)) $((wb - 1)) mousedown 1 mousemove $((wr - 100)) $((wb - 100)) \
  sleep 0.2 mousemove $((wl + 899)) $((wt + 599)) sleep 0.3 mouseup 1
sleep 0.4
settle
read -r wl2 wt2 wr2 wb2 <<<"$(rect_of "$title" "" window)"
equal "dragged to 900 x 600, its corner kept" "$wl $wt 900 600" "$wl2 $wt2 $((wr2 - wl2)) $((wb2 - wt2))"
read -r cl ct cr cb <<<"$(rect_of "$title" "" client)"
read -r al at ar ab <<<"$(rect_of "$title" 1001 window)"
equal "the control at (8, 8), 6 from the right, its bottom border 8 above the client's bottom" \
  "8 8 6 8" "$((al - cl)) $((at - ct)) $((cr - ar)) $((cb - ab))"
read -r fl ft fr fb <<<"$(rect_of "$title" 1001 client)"
click_client "$title" 300 300
key End
shot="$(screenshot end)"
border="$(pixel "$shot" $((al + 300)) $((ab - 1)))"
check "the control's bottom border is drawn (got $border)" test "$border" != "255 255 255"
check "End: a day box at the top" \
  test "$(count_colour "$shot" "$fl" "$ft" $((fl + 115)) $((ft + 90)) 255 255 255)" -lt $((115 * 90))
equal "End: the last day's band at the top, white below to the bottom" $(((fr - fl) * (fb - ft - 96))) \
  "$(count_colour "$shot" "$fl" $((ft + 96)) "$fr" "$fb" 255 255 255)"

# The maximise box, then the same box (now "restore") again.
click_at $((wr2 - 31)) $((wt2 + 12))
settle
read -r ml mt mr mb <<<"$(rect_of "$title" "" client)"
read -r al at ar ab <<<"$(rect_of "$title" 1001 window)"
equal "maximised: the client fills the screen's width" 1400 $((mr - ml))
equal "maximised: the control 1120 wide, its bottom 8 above the client's" "1120 8" \
  "$((ar - al)) $((mb - ab))"
read -r xl xt xr xb <<<"$(rect_of "$title" "" window)"
click_at $((xr - 31)) $((xt + 12))
settle
equal "restored to where it was" "$wl2 $wt2 $wr2 $wb2" "$(rect_of "$title" "" window)"

click_client "$title" 300 300
key alt+F4
expect_ended 10
tarvina_start
wait_window tarvina >/dev/null
equal "the next start comes back at that size and place" "$wl2 $wt2 $wr2 $wb2" \
  "$(rect_of tarvina "" window)"
click_client tarvina 300 300
key alt+F4
expect_ended 10

# ---- a 1366 x 768 screen: a display of its own, and a Wine session on it ----
forget_window_place
big_display=$DISPLAY
small_pid=""
small_end() {
  [ -n "$small_pid" ] || return 0
  tarvina_stop
  forget_window_place
  wineserver -k >/dev/null 2>&1
  kill "$small_pid" 2>/dev/null
  small_pid=""
  export DISPLAY=$big_display
  wineserver -p >/dev/null 2>&1 </dev/null
}
trap 'small_end; e2e_cleanup' EXIT
wineserver -k >/dev/null 2>&1
n=150
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
small_pid=$!
export DISPLAY=":$n"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
wineserver -p >/dev/null 2>&1 </dev/null

tarvina_start "$(winpath "$file")"
equal "the almanac opens" "$title" "$(wait_window "$title|Programador")"
read -r wl wt wr wb <<<"$(rect_of "$title" "" window)"
check "the main window lies inside the screen ($wl $wt $wr $wb)" \
  test "$wl" -ge 0 -a "$wt" -ge 0 -a "$wr" -le 1366 -a "$wb" -le 768

# "Etiquetas" > "Nueva" (the menu itself is walked through elsewhere).
new_label() { probe command "$title" 1063 >/dev/null; }
new_label
equal "the label dialog opens" "$label" "$(wait_window "$label" 15)"
settle
read -r dl dt dr db <<<"$(rect_of "$label" "" window)"
equal "it opens at the top, as tall as the screen" "0 768" "$dt $db"
read -r _ _ _ okb <<<"$(rect_of "$label" 1057 window)"
check "Aceptar is below the screen at first" test "$okb" -gt 768
click_control "$label" 1002
type_text "portatil"
read -r cl ct cr cb <<<"$(rect_of "$label" 1005 window)"
xdotool mousemove $(((cl + cr) / 2)) $(((ct + cb) / 2))
wheel down 4
read -r _ okt _ okb <<<"$(rect_of "$label" 1057 window)"
check "the wheel over the charts brings Aceptar on the screen ($okt $okb)" test "$okt" -ge 0 -a "$okb" -le 768
click_control "$label" 1060
key Down Down Down
click_control "$label" 1059
key Down Down Down Down Down
click_control "$label" 1057
window_gone "$label" 10 || fail "the dialog stayed open: $(message_text)"
settle

# The day and month are offered again; the text, then Ctrl+Enter.
new_label
equal "the label dialog opens again" "$label" "$(wait_window "$label" 15)"
settle
click_control "$label" 1002
type_text "atajo"
key ctrl+Return
window_gone "$label" 10 || fail "Ctrl+Enter left the dialog open: $(message_text)"
settle
equal "both labels stored, one line each" "$(printf '%s\n' \
  '5 3 2025 0x00FFFFFF 1 1 3 2025 30 1 portatil' \
  '5 3 2025 0x00FFFFFF 1 1 3 2025 30 1 atajo')" "$("$PY" "$LS" records "$file" | tail -n 2)"
equal "the earlier records unchanged" "$before" "$(head -c $((2 * 142)) "$file" | md5sum)"

small_end
e2e_end
