#!/usr/bin/env bash
# The "Elige tiempo" dialog as a person sees and fills it: its layout on the
# screen, the end-date preview as the day count is typed, the refusals of a
# bad day count or an empty name (the dialog stays, nothing changes), and a
# cancel that leaves the program as it was.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate

new="Elige tiempo"
tarvina_start
equal "plain start" tarvina "$(wait_window 'tarvina|Programador')"
read -r fl ft fr fb <<<"$(rect_of tarvina 1001 client)"
choose_menu tarvina 0 0
equal "Nuevo opens its dialog" "$new" "$(wait_window "$new" 10)"
settle

# ---- the layout, on a screenshot ----
shot="$(screenshot dialog)"
equal "the dialog's top-left corner" "105 114" "$(rect_of "$new" "" window | cut -d' ' -f1,2)"
read -r ox oy cr cb <<<"$(rect_of "$new" "" client)"
equal "its client area" "250 244" "$((cr - ox)) $((cb - oy))"
face="$(pixel "$shot" $((ox + 200)) $((oy + 150)))"
# client_ink L T R B: the ink on the dialog's face within that client
# rectangle of the latest $shot, as a client rectangle.
client_ink() {
  local box l t r b
  box="$(pixels ink "$shot" $((ox + $1)) $((oy + $2)) $((ox + $3)) $((oy + $4)) $face)"
  [ "$box" = none ] && { echo none; return; }
  read -r l t r b <<<"$box"
  echo "$((l - ox)) $((t - oy)) $((r - ox)) $((b - oy))"
}
# Sunken boxes: their outer edge is a one-colour frame exactly on the control's rectangle.
edge="$(pixels outline "$shot" $((ox + 8)) $((oy + 32)) $((ox + 158)) $((oy + 64)))"
check "date picker 2001 framed at 8,32 150 x 32" test "$edge" != none
equal "day count 2002 framed at 8,89 150 x 32" "$edge" \
  "$(pixels outline "$shot" $((ox + 8)) $((oy + 89)) $((ox + 158)) $((oy + 121)))"
equal "name 2009 framed at 8,178 225 x 32" "$edge" \
  "$(pixels outline "$shot" $((ox + 8)) $((oy + 178)) $((ox + 233)) $((oy + 210)))"
# Buttons: all that is drawn right of the captions, one per 75 x 24 place.
equal "Aceptar 2006 at 168,8 75 x 24" "168 8 243 32" "$(client_ink 160 0 250 34)"
equal "Cancelar 2007 at 168,36 75 x 24" "168 36 243 60" "$(client_ink 160 34 250 70)"
equal "nothing else right of the boxes" none "$(client_ink 160 70 250 153)"
# Captions: left-aligned text in the small bold font inside their places.
caption() {  # caption "what" L T R B: ink starts at the left edge, stays inside
  local box
  box="$(client_ink "$2" "$3" "$4" "$5")"
  read -r l t r b <<<"$box"
  check "$1 ($box)" test "$box" != none -a "$l" -le $(($2 + 2)) -a "$t" -ge "$3" \
    -a "$b" -le "$5" -a $((b - t)) -ge 10 -a $((b - t)) -le 16
}
caption "\"Elige fecha inicio\" 2003 at 8,8" 8 8 158 32
caption "\"Elige número de días\" 2004 at 8,66" 8 66 158 88
caption "\"Elige nombre para el almanaque\" 2008 at 8,153" 8 153 250 177
equal "the preview 2005 is empty at first" none "$(client_ink 8 122 158 153)"

# ---- the preview ----
pick_date "$new" 2001 1 1 2025
equal "the picker shows 1 January 2025" "$(picker_shows 1 1 2025)" "$(probe text "$new" 2001)"
click_control "$new" 2002
type_text 1
equal "count 1: the day after" 'hasta el 02\01\2025' "$(control_text "$new" 2005 'hasta el 02\01\2025')"
type_text 5
equal "count 15: 16 January" 'hasta el 16\01\2025' "$(control_text "$new" 2005 'hasta el 16\01\2025')"
shot="$(screenshot preview)"
box="$(client_ink 8 122 158 153)"
read -r l t r b <<<"$box"
check "the preview is drawn in 2005's place ($box)" test "$box" != none -a "$l" -le 10 -a "$t" -ge 128 -a "$b" -le 152
check "the preview's text is light grey RGB(192,192,192)" \
  test "$(count_colour "$shot" $((ox + 8)) $((oy + 128)) $((ox + 158)) $((oy + 152)) 192 192 192)" -gt 80
equal "no dark ink in the preview" 0 \
  "$(count_colour "$shot" $((ox + 8)) $((oy + 128)) $((ox + 158)) $((oy + 152)) 0 0 0)"
box="$(client_ink 10 91 156 119)"
read -r l t r b <<<"$box"
check "the count is typed in the large font ($box)" test "$box" != none -a $((b - t)) -ge 13
key BackSpace BackSpace
equal "an empty count previews the start date" 'hasta el 01\01\2025' \
  "$(control_text "$new" 2005 'hasta el 01\01\2025')"

# Typed letters are refused; pasted ones get in and the preview says so.
type_text x
equal "a typed letter is refused" "" "$(probe text "$new" 2002)"
click_control "$new" 2009
type_text 1x5
key shift+Home ctrl+c Delete
click_control "$new" 2002
key ctrl+v
equal "the pasted count" 1x5 "$(probe text "$new" 2002)"
equal "pasted non-digits" "El numero NO es valido ..." \
  "$(control_text "$new" 2005 "El numero NO es valido ...")"

pick_date "$new" 2001 28 2 2024
equal "the picker shows 28 February 2024" "$(picker_shows 28 2 2024)" "$(probe text "$new" 2001)"
click_control "$new" 2002
key ctrl+a BackSpace End shift+Home BackSpace
type_text 1
equal "28/02/2024 and 1 day: a leap day" 'hasta el 29\02\2024' \
  "$(control_text "$new" 2005 'hasta el 29\02\2024')"

# Enter and Escape do nothing.
key Return
key Escape
sleep 0.5
equal "Enter and Escape leave the dialog open" "$new" "$(probe list | awk -F'\t' -v t="$new" '$3 == t { print $3 }')"
equal "and show no message" "" "$(probe list | awk -F'\t' '$3 == "Programador"')"

# ---- refusals ----
refusal='Tienes que escribir el número de días ...
Que va de 15 a 366 días ...
Y el nombre para tu almanaque ...'
# refused "what" count name
refused() {
  click_control "$new" 2002
  key End shift+Home BackSpace
  [ -n "$2" ] && type_text "$2"
  click_control "$new" 2009
  key End shift+Home BackSpace
  [ -n "$3" ] && type_text "$3"
  click_control "$new" 2006
  if [ "$(wait_window Programador 10)" = Programador ]; then
    equal "$1: the message's three lines" "$refusal" "$(message_text)"
    dismiss_message
  else
    fail "$1: no message"
  fi
  equal "$1: the dialog stays open" "$new" "$(wait_window "$new" 2)"
  equal "$1: the count stays" "$2" "$(probe text "$new" 2002)"
  equal "$1: the name stays" "$3" "$(probe text "$new" 2009)"
  equal "$1: the title stays" tarvina "$(wait_window 'tarvina|Almanaque - Prueba.zanual' 2)"
}
refused "14 days" 14 Prueba
refused "367 days" 367 Prueba
refused "an empty name" 15 ""
check "no label file" test ! -e "$WORK/Prueba.zanual"

# Cancelar after all that: nothing stored, nothing drawn.
click_control "$new" 2007
window_gone "$new" 10 || fail "Cancelar did not close the dialog"
settle
equal "cancelled: the title stays" tarvina "$(wait_window 'tarvina|Almanaque - Prueba.zanual')"
equal "cancelled: the almanac's face is white" $(((fr - fl) * (fb - ft))) \
  "$(count_colour "$(screenshot cancelled)" "$fl" "$ft" "$fr" "$fb" 255 255 255)"

choose_menu tarvina 0 3
expect_ended 15
e2e_end
