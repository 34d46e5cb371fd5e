#!/usr/bin/env bash
# At 150 % and 200 % (LogPixels 144 and 192 in the prefix before the program
# starts): the day bands are 95 rows scaled, each box's number and weekday
# stay inside the box, a label's picture stands where its code was and the
# code is not drawn, End shows the last day at the top, and every dialog
# and the progress window show their controls whole, inside them, none over
# another. The prefix's DPI is put back afterwards: the other cases share it.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate
. "$(dirname "$0")/label_steps.sh"

trap 'restore_dpi; e2e_cleanup' EXIT

# A 96 DPI length at $dpi, as the program rounds it (halves up).
px() { echo $(((2 * $1 * dpi + 96) / 192)); }

# controls_fit title what [height [id]]: every visible control of the
# window inside its client (or the `height` rows it scrolls over), whole,
# and no two overlapping (screen rectangles from the probe; a caption counts
# as wide as its text, and a caption or button narrower than its text is
# cut). Control `id` is cut by the bottom edge by design.
controls_fit() {
  local bad
  bad="$(probe layout "$1" | "$PY" -c '
import sys
lines = [l.split() for l in sys.stdin if l.strip()]
if not lines or lines[0][0] != "client":
    print("no window"); sys.exit()
cl, ct, cr, cb = map(int, lines[0][1:5])
if len(sys.argv) > 1: cb = max(cb, ct + int(sys.argv[1]))
cut = sys.argv[2] if len(sys.argv) > 2 else None
boxes, bad = [], []
for l in lines[1:]:
    left, top, right, bottom, ink = map(int, l[2:7])
    if l[1] in ("Static", "Button") and ink > right - left: bad.append(l[0] + " " + l[1] + " cut")
    if l[1] == "Static" and ink: right = min(right, left + ink)
    boxes.append((l[0] + " " + l[1], (left, top, right, bottom)))
for name, (l, t, r, b) in boxes:
    if r <= l or b <= t: bad.append(name + " empty")
    if l < cl or t < ct or r > cr or (b > cb and name.split()[0] != cut): bad.append(name + " outside")
for i, (n1, a) in enumerate(boxes):
    for n2, b in boxes[i + 1:]:
        if a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]:
            bad.append(n1 + " over " + n2)
print("; ".join(bad) if boxes else "no controls")
' "${@:3}")"
  equal "$dpi: $2 shows its controls whole, inside it, apart" "" "$bad"
  screenshot "$dpi-$1" >/dev/null
}

for dpi in 144 192; do
  set_dpi "$dpi"
  forget_window_place
  # 1 March 2025 on: a label on the 1st with the picture of code 09, and
  # again a week later (a series).
  open_march 1 3 2025 0xFFFFFF 'Sev\#09' 8 3 2025 0xFFFFFF 'Sev\#09'
  settle
  read -r fl ft fr fb <<<"$(rect_of "$title" 1001 client)"
  shot="$(screenshot "$dpi-start")"

  # Bands: each day's frame on the scaled top of its 95-row band, white above.
  tops="" heights=""
  for day in 0 1 2 3; do tops="$tops $(px $((1 + 95 * day)))"; done
  for day in 1 2 3; do
    heights="$heights $(($(px $((1 + 95 * day))) - $(px $((1 + 95 * (day - 1))))))"
  done
  equal "$dpi: bands of$heights rows, each box on its top" "" "$(boxes_at "$shot" $tops)"

  # The second box (2 March, a Sunday: red number, grey weekday).
  top=$(px 96) bottom=$(($(px 96) + $(px 94)))
  weekday=$((top + $(px 74)))
  check "$dpi: the number inside its box, above the weekday" \
    test "$(count_colour "$shot" $((fl + 2)) $((ft + top + 2)) $((fl + $(px 125))) $((ft + weekday)) 255 0 0)" -gt 100
  equal "$dpi: no red of the number in the weekday's rows or below the box" 0 \
    "$(count_colour "$shot" $((fl + 2)) $((ft + weekday)) $((fl + $(px 125))) $((ft + $(px 191))) 255 0 0)"
  check "$dpi: the weekday drawn inside the box" \
    test "$(count_colour "$shot" $((fl + 4)) $((ft + weekday)) $((fl + $(px 124))) $((ft + bottom - 2)) 192 192 192)" -gt 20

  # "Sev\#09" on the first grid row at or below the block's top (row 1):
  # the patch over the code's four cells from column 18 + 3, the picture in
  # its first 18 pixels, and nothing of the code's characters beside it.
  x0=$((fl + $(px $((8 * 20)))))
  y0=$((ft + $(px 16)))
  check "$dpi: the picture where its code was" \
    test "$(count_colour "$shot" "$x0" $((y0 + $(px 2))) $((x0 + $(px 18))) $((y0 + $(px 18))) 255 255 255)" \
    -lt $(($(px 18) * $(px 16)))
  equal "$dpi: no character of the code beside the picture" 0 \
    "$(count_colour "$shot" $((x0 + $(px 19))) $((y0 + $(px 3))) $((fl + $(px $((8 * 24))))) $((y0 + $(px 16))) 0 0 0)"

  # A double click on the label of a series asks about the later ones.
  xdotool mousemove $((x0 + $(px 30))) $((y0 + $(px 8))) click --repeat 2 --delay 80 1
  equal "$dpi: a label of a series asks" Serie "$(wait_window Serie 15)"
  controls_fit Serie Serie
  key Escape
  window_gone Serie 10 || fail "$dpi: Serie stayed open"

  click_client "$title" 300 300
  key End
  shot="$(screenshot "$dpi-end")"
  equal "$dpi: End shows the last day's box at the top" "" "$(boxes_at "$shot" 0)"
  equal "$dpi: End: white below the last day's band" $(((fr - fl) * (fb - ft - $(px 96)))) \
    "$(count_colour "$shot" "$fl" $((ft + $(px 96))) "$fr" "$fb" 255 255 255)"

  choose_menu "$title" 1 0
  equal "$dpi: Nueva opens its dialog" "$label" "$(wait_window "$label" 15)"
  settle
  # The second chart of objects reaches past the bottom, at 96 DPI too.
  controls_fit "$label" "Entrada de datos" "$(px 864)" 1009
  key Escape
  window_gone "$label" 10 || fail "$dpi: Entrada de datos stayed open"

  key ctrl+g
  equal "$dpi: Ctrl+G opens its dialog" "Ir a la fecha" "$(wait_window "Ir a la fecha" 10)"
  controls_fit "Ir a la fecha" "Ir a la fecha"
  key Escape
  window_gone "Ir a la fecha" 10 || fail "$dpi: Ir a la fecha stayed open"

  key ctrl+f
  equal "$dpi: Ctrl+F opens its dialog" "Buscar" "$(wait_window "Buscar" 10)"
  controls_fit "Buscar" "Buscar"
  key Escape
  window_gone "Buscar" 10 || fail "$dpi: Buscar stayed open"

  choose_menu "$title" 0 2
  equal "$dpi: Autor opens" "Autor" "$(wait_window "Autor" 10)"
  read -r al at ar ab <<<"$(rect_of Autor 4001 client)"
  equal "$dpi: the credits picture at its scaled size" "$(px 336) $(px 344)" \
    "$((ar - al + 2)) $((ab - at + 2))"
  controls_fit "Autor" "Autor"
  key alt+F4
  window_gone "Autor" 10 || fail "$dpi: Autor stayed open"
  tarvina_stop

  # "Guardar imagen" of a year of ten-line labels takes seconds: its
  # progress window shows, and "Cancelar" leaves no picture behind.
  labels=()
  for day in $(seq 0 365); do
    labels+=($(date -d "2025-01-01 +$day day" '+%-d %-m %Y') 0xCCE0FF 'a|b|c|d|e|f|g|h|i|j')
  done
  make_zanual "$WORK/Grande.zanual" 1 1 2025 365 "${labels[@]}"
  tarvina_start "$(winpath "$WORK/Grande.zanual")"
  equal "$dpi: a year opened" "Almanaque - Grande.zanual" "$(wait_window "Almanaque - Grande.zanual")"
  choose_menu "Almanaque - Grande.zanual" 3 2
  dialog="$(wait_window 'Save As|Guardar como' 15)"
  click_control "$dialog" 1148
  key ctrl+a
  type_text "$(winpath "$WORK/grande.png")"
  key Return
  equal "$dpi: its progress shows" "Guardar imagen" "$(wait_window "Guardar imagen" 15)"
  controls_fit "Guardar imagen" "the progress window"
  click_control "Guardar imagen" 5023
  window_gone "Guardar imagen" 15 || fail "$dpi: the progress window stayed open"
  check "$dpi: no picture after Cancelar" test ! -e "$WORK/grande.png"
  tarvina_stop

  tarvina_start
  equal "$dpi: plain start" tarvina "$(wait_window 'tarvina|Programador')"
  choose_menu tarvina 0 0
  equal "$dpi: Nuevo opens its dialog" "Elige tiempo" "$(wait_window "Elige tiempo" 10)"
  controls_fit "Elige tiempo" "Elige tiempo"
  tarvina_stop
done

e2e_end
