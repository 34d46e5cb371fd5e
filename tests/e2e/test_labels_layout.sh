#!/usr/bin/env bash
# "Etiquetas" / "Nueva" on an opened almanac: the "Entrada de datos" dialog
# as a person sees it. Its place and size, the 40 colour squares in their
# columns and colours, the four code charts shown pixel for pixel (the fourth
# cut at the client's bottom edge), the white preview, the buttons and the
# date lists with their captions; a click on a square shows its colour in
# the preview, a click on the preview changes nothing.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate

LS="$E2E_DIR/label_shot.py"
CHARTS="$TARVINA_SOURCE/resources/charts"
label="Entrada de datos"
make_zanual "$WORK/Marzo.zanual" 1 3 2025 30
title="Almanaque - Marzo.zanual"
tarvina_start "$(winpath "$WORK/Marzo.zanual")"
equal "the almanac opens" "$title" "$(wait_window "$title|Programador")"
choose_menu "$title" 1 0
equal "Nueva opens the label dialog" "$label" "$(wait_window "$label" 15)"
settle

read -r wl wt _ _ <<<"$(rect_of "$label" "" window)"
read -r cl ct cr cb <<<"$(rect_of "$label" "" client)"
equal "the window's corner" "112 91" "$wl $wt"
equal "the client area" "963 864" "$((cr - cl)) $((cb - ct))"

# Shows the dialog once its last picture has been painted.
shot=""
for _ in $(seq 20); do
  shot="$(screenshot dialog)"
  [ "$("$PY" "$LS" differ "$shot" "$CHARTS/chart303.bmp" $((cl + 414)) $((ct + 512)) 544 352)" = 0 ] && break
  sleep 0.5
done

# The charts at their natural size, each exactly as its picture.
equal "chart 300 at (9, 127)" 0 "$("$PY" "$LS" differ "$shot" "$CHARTS/chart300.bmp" $((cl + 9)) $((ct + 127)))"
equal "chart 301 at (212, 127)" 0 "$("$PY" "$LS" differ "$shot" "$CHARTS/chart301.bmp" $((cl + 212)) $((ct + 127)))"
equal "chart 302 at (415, 128)" 0 "$("$PY" "$LS" differ "$shot" "$CHARTS/chart302.bmp" $((cl + 415)) $((ct + 128)))"
equal "chart 303 at (414, 512), its first 352 rows" 0 \
  "$("$PY" "$LS" differ "$shot" "$CHARTS/chart303.bmp" $((cl + 414)) $((ct + 512)) 544 352)"
# Its last 32 rows are white in the picture, and the window's frame is below
# the client area: not one white pixel of the picture shows there.
equal "chart 303's cut rows are white in the picture" yes \
  "$("$PY" "$LS" rows "$CHARTS/chart303.bmp" 352 384 255 255 255)"
read -r _ _ _ wb <<<"$(rect_of "$label" "" window)"
equal "chart 303 is cut at the client's bottom edge" 0 \
  "$(count_colour "$shot" $((cl + 414)) "$cb" $((cl + 958)) "$wb" 255 255 255)"

# The colour squares: row by row, ids in ascending order fill the columns
# 1 2 3 4 5 9 6 7 8 10; each square is 24 x 24 with a one-pixel frame and
# filled wholly with its colour; one pixel of dialog lies between two.
colours=(
  "252 249 196" "255 237 187" "254 218 158" "249 220 188" "250 191 183"
  "178 225 241" "247 211 213" "227 218 235" "238 233 237" "153 199 235"
  "182 207 212" "214 237 231" "155 211 174" "209 235 164" "231 224 206"
  "197 198 200" "216 208 189" "221 176 135" "208 201 191" "226 227 231"
  "255 138 138" "255 102 102" "241 223 150" "233 204 88" "134 152 223"
  "255 168 125" "188 198 237" "249 223 134" "245 204 63" "255 132 72"
  "247 166 244" "243 131 240" "171 150 254" "132 102 253" "165 239 174"
  "173 136 95" "116 231 131" "255 255 155" "255 255 4" "0 128 192")
columns=(1 2 3 4 5 9 6 7 8 10)
boxes=() corners=() gaps=() want=""
for i in $(seq 0 39); do
  x=$((cl + 10 + 25 * (columns[i % 10] - 1)))
  y=$((ct + 600 + 25 * (i / 10)))
  boxes+=($((x + 1)) $((y + 1)) $((x + 23)) $((y + 23)))
  corners+=("$x" "$y")
  # The column between this square and the one right of it (none after column 10).
  [ $((columns[i % 10])) = 10 ] || gaps+=($((x + 24)) $((y + 12)))
  want="$want${colours[i]}"$'\n'
done
inside="$("$PY" "$LS" solid "$shot" "${boxes[@]}")"
background="$(pixel "$shot" $((cl + 5)) $((ct + 700)))"
wrong="$(diff <(echo -n "$want") <(echo "$inside") | grep '^>')"
"$PY" "$LS" pixels "$shot" "${corners[@]}" | paste - <(echo -n "$want") | awk -F'\t' '$1 == $2' |
  grep -q . && wrong="$wrong a frame corner in the square's colour"
[ "$("$PY" "$LS" pixels "$shot" "${gaps[@]}" | sort -u)" = "$background" ] ||
  wrong="$wrong a gap not of the dialog's colour"
equal "the 40 squares in their columns, filled with their colours" "" "$wrong"
equal "1015 stands at x 210 of the first row" "178 225 241" "$(pixel "$shot" $((cl + 222)) $((ct + 612)))"
equal "1019 stands at x 235, the last column" "153 199 235" "$(pixel "$shot" $((cl + 247)) $((ct + 612)))"

preview_white() { count_colour "$1" $((cl + 275)) $((ct + 609)) $((cl + 360)) $((ct + 688)) 255 255 255; }
equal "the preview is white inside its frame" $((85 * 79)) "$(preview_white "$shot")"

equal "Aceptar" Aceptar "$(control_text "$label" 1057)"
equal "Cancelar" Cancelar "$(control_text "$label" 1058)"
equal "the day caption" "Día de la entrada" "$(control_text "$label" 1061)"
equal "the month caption" "Mes de la entrada" "$(control_text "$label" 1062)"
equal "the year caption" "Año de la entrada" "$(control_text "$label" 1064)"
place() { read -r l t r b <<<"$(rect_of "$label" "$1" window)"; echo "$((l - cl)) $((t - ct)) $((r - l))"; }
equal "the text box across the top" "8 8 950" "$(place 1002)"
equal "the day list" "170 720 90" "$(place 1059)"
equal "the month list" "170 743 90" "$(place 1060)"
equal "the year list" "170 766 90" "$(place 1065)"
# Captions are drawn: dark ink right of each list.
for id in 1061 1062 1064; do
  read -r l t r b <<<"$(rect_of "$label" "$id" window)"
  check "caption $id shows its text" test "$(count_colour "$shot" "$l" "$t" "$r" "$b" 0 0 0)" -gt 40
done
equal "the text box has the focus" "$(printf '%s\t1002\tEdit' "$label")" "$(probe focus)"

# A click on a square shows its colour in the preview; one on the preview does nothing.
click_control "$label" 1031
settle
equal "1031 chosen: the preview shows its colour" $((85 * 79)) \
  "$(count_colour "$(screenshot chosen)" $((cl + 275)) $((ct + 609)) $((cl + 360)) $((ct + 688)) 255 102 102)"
click_control "$label" 1050
settle
equal "a click on the preview changes nothing" $((85 * 79)) \
  "$(count_colour "$(screenshot preview-clicked)" $((cl + 275)) $((ct + 609)) $((cl + 360)) $((ct + 688)) 255 102 102)"

click_control "$label" 1058
window_gone "$label" 10 || fail "Cancelar did not close the dialog"
settle
equal "nothing stored" 142 "$(stat -c %s "$WORK/Marzo.zanual")"
choose_menu "$title" 0 3
expect_ended 15
e2e_end
