#!/usr/bin/env bash
# "Autor" as a person sees it: the credits picture read pixel by pixel (three
# blocks in RGB(249,220,188) with black outlines, nine lines on their grid
# rows, the eight icons on patches that hide their codes), opened once at a
# time, Escape doing nothing, closed by its close box or the system menu, and
# the same picture again at every opening.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate

about=Autor
block="249 220 188"
count_about() { probe list | awk -F'\t' -v t="$about" '$3 == t' | wc -l; }
tarvina_start
equal "plain start" tarvina "$(wait_window 'tarvina|Programador')"
choose_menu tarvina 0 2
equal "Autor opens" "$about" "$(wait_window "$about" 10)"
settle

equal "the window's top-left corner" "254 158" "$(rect_of "$about" "" window | cut -d' ' -f1,2)"
read -r cl ct cr cb <<<"$(rect_of "$about" "" client)"
equal "its client area" "350 364" "$((cr - cl)) $((cb - ct))"
read -r pl pt pr pb <<<"$(rect_of "$about" 4001 window)"
equal "the picture control at 8,8, 336 x 344" "8 8 344 352" \
  "$((pl - cl)) $((pt - ct)) $((pr - cl)) $((pb - ct))"
shot="$(screenshot about)"
check "the picture control has a one-pixel border" \
  test "$(pixels outline "$shot" "$pl" "$pt" "$pr" "$pb")" != none
# The picture's own pixels start inside the border.
read -r ox oy _ <<<"$(rect_of "$about" 4001 client)"
equal "the picture inside the border" "$((pl + 1)) $((pt + 1))" "$ox $oy"

# ---- the blocks ----
for top in 1 74 147; do
  equal "block at y $top..$((top + 71)): a black outline 332 pixels wide" "0 0 0" \
    "$(pixels outline "$shot" $((ox + 1)) $((oy + top)) $((ox + 333)) $((oy + top + 72)))"
  inside=$((330 * 70))
  n="$(count_colour "$shot" $((ox + 2)) $((oy + top + 1)) $((ox + 332)) $((oy + top + 71)) $block)"
  check "block at y $top: filled with RGB(249,220,188) ($n of $inside)" test "$n" -gt $((inside * 3 / 4))
done
for y in 0 73 146; do
  equal "row $y: white, between blocks" 334 "$(count_colour "$shot" "$ox" $((oy + y)) $((ox + 334)) $((oy + y + 1)) 255 255 255)"
done
equal "below the blocks: white" $((334 * (342 - 219))) \
  "$(count_colour "$shot" "$ox" $((oy + 219)) $((ox + 334)) $((oy + 342)) 255 255 255)"
equal "left and right of the blocks: white" $((2 * 218)) \
  "$(($(count_colour "$shot" "$ox" $((oy + 1)) $((ox + 1)) $((oy + 219)) 255 255 255) +
      $(count_colour "$shot" $((ox + 333)) $((oy + 1)) $((ox + 334)) $((oy + 219)) 255 255 255)))"

# ---- the lines: on rows 2-4, 6-8 and 11-13, from column 3 ----
# ink_in top bottom: the ink on the block colour in surface rows [top, bottom).
ink_in() { pixels ink "$shot" $((ox + 2)) $((oy + $1)) $((ox + 332)) $((oy + $2)) $block; }
for row in 2 3 4 6 7 8 11 12 13; do
  y=$((16 * (row - 1)))
  read -r l _ _ b <<<"$(ink_in "$y" $((y + 13)))"
  check "row $row: a line from column 3 (ink from x $((l - ox)))" test -n "$b" -a $((l - ox)) -ge 16 -a $((l - ox)) -le 18
done
# Nothing above the first line of a block nor below its last one, but the
# three rows of icons that reach past their line's row.
equal "block 1: nothing above row 2" none "$(ink_in 2 16)"
equal "block 1: nothing below row 4" none "$(ink_in 67 72)"
equal "block 2: nothing above row 6" none "$(ink_in 75 80)"
equal "block 2: nothing below row 8" none "$(ink_in 131 145)"
equal "block 3: nothing above row 11" none "$(ink_in 148 160)"
equal "block 3: nothing below row 13" none "$(ink_in 211 218)"

# ---- the icons: each on a patch four cells wide where its code was ----
resources="$TARVINA_SOURCE/resources/icons"
while IFS='|' read -r icon row before; do
  p=$(($(LC_ALL=C.UTF-8 bash -c 'printf %s "$1" | wc -m' _ "$before") + 1))  # the code's position
  y=$((16 * (row - 1)))
  equal "icon $icon on row $row, on its patch" ok "$(pixels icon "$shot" \
    $((ox + 8 * (p + 1))) $((oy + y)) $((ox + 8 * (p + 5))) $((oy + y + 16)) \
    $((ox + 8 * (p + 2))) $((oy + y + 1)) "$resources/icon$(printf %02d "$icon").bmp" $block)"
done <<'ICONS'
9|3|Velmar
4|4|Visitame en www.tarvina.example
14|6|Tarvina es un programa de 
8|7|etiquetas y almanaque
10|8|Usalo para tus cosas del día a día
17|11|Fechas de examen o acontecimientos 
2|12|Menús del día
11|13|Diario almanaque o citas
ICONS

# ---- once at a time; Escape does nothing ----
choose_menu tarvina 0 2
sleep 1
equal "Autor again while it is open: still one" 1 "$(count_about)"
# Under Wine with unmanaged windows the click on the main window's menu
# raises the main window on the screen above the topmost "Autor" (Windows
# keeps "Autor" on top); bring it back to look at it.
raise_window "$about"
equal "and the same picture" yes "$("$PY" "$E2E_DIR/shot.py" same "$shot" "$(screenshot again)" "$cl" "$ct" "$cr" "$cb")"
click_at $((cl + 100)) $((ct + 300))
key Escape
sleep 0.5
equal "Escape leaves it open" 1 "$(count_about)"

# ---- closing and opening again ----
read -r _ wt wr _ <<<"$(rect_of "$about" "" window)"
click_at $((wr - 12)) $((wt + 10))  # the close box
check "the close box closes it" window_gone "$about" 5
settle
choose_menu tarvina 0 2
equal "Autor opens again" "$about" "$(wait_window "$about" 10)"
settle
equal "the same picture again" yes "$("$PY" "$E2E_DIR/shot.py" same "$shot" "$(screenshot reopened)" "$cl" "$ct" "$cr" "$cb")"
click_at $((cl + 100)) $((ct + 300))
key alt+F4  # the system menu's Close
check "the system menu's Close closes it" window_gone "$about" 5
equal "the main window stays" tarvina "$(wait_window tarvina 2)"

choose_menu tarvina 0 2
equal "Autor opens a third time" "$about" "$(wait_window "$about" 10)"

# "Salir" with "Autor" open ends the program.
choose_menu tarvina 0 3
expect_ended 15
e2e_end
