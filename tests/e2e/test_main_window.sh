#!/usr/bin/env bash
# The main window at start: place, size, the white bordered almanac control,
# the menu and its states; "Salir" and Alt+F4 end the program.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate

tarvina_start
equal "title" tarvina "$(wait_window 'tarvina|Programador')"

read -r wl wt wr wb <<<"$(rect_of tarvina "" window)"
read -r cl ct cr cb <<<"$(rect_of tarvina "" client)"
read -r caption menu <<<"$(probe metrics | awk '$1 == "caption" { c = $2 } $1 == "menu" { m = $2 } END { print c, m }')"
# The client stands where it stood when the window had a thin fixed frame
# with its corner at (105, 54); the sizing frame grows outwards around it.
read -r thin <<<"$(probe metrics | awk '$1 == "frame" { print $2 }')"
equal "client's top-left corner" "$((105 + thin)) $((54 + thin + caption + menu))" "$cl $ct"
equal "client width" 1134 $((cr - cl))
equal "client height before the menu bar took its share" 771 $((cb - ct + menu))
frame=$((cl - wl))
equal "window size: client before the menu, caption and sizing frame" \
  "$((1134 + 2 * frame)) $((771 + caption + 2 * frame))" "$((wr - wl)) $((wb - wt))"

read -r al at ar ab <<<"$(rect_of tarvina 1001 window)"
equal "almanac control at (8, 8) of the client" "8 8" "$((al - cl)) $((at - ct))"
equal "almanac control 1120 x 736" "1120 736" "$((ar - al)) $((ab - at))"

shot="$(screenshot start)"
equal "the control is white inside" "255 255 255" "$(pixel "$shot" $((al + 560)) $((at + 368)))"
equal "near its corner too" "255 255 255" "$(pixel "$shot" $((al + 2)) $((at + 2)))"
border="$(pixel "$shot" "$al" $((at + 300)))"
check "the control has a border (got $border)" test "$border" != "255 255 255"
equal "the whole face is white" $((1118 * 734)) \
  "$(count_colour "$shot" $((al + 1)) $((at + 1)) $((ar - 1)) $((ab - 1)) 255 255 255)"

equal "Archivos: Nuevo, Leer, Autor, Salir enabled, with separators" \
  "enabled separator enabled separator enabled separator enabled" \
  "$(menu_states tarvina 0 | tr '\n' ' ' | sed 's/ $//')"
equal "Etiquetas: Nueva and Deshacer greyed" "greyed greyed" "$(menu_states tarvina 1 | tr '\n' ' ' | sed 's/ $//')"
check "no menu left open" test -z "$(menu_popup_rect)"

# Keys and the wheel do nothing without an almanac.
click_client tarvina 300 300
key Down Down End
wheel down 3
shot="$(screenshot keys)"
equal "keys without an almanac leave the face white" $((1118 * 734)) \
  "$(count_colour "$shot" $((al + 1)) $((at + 1)) $((ar - 1)) $((ab - 1)) 255 255 255)"

# "Salir" (the last item of Archivos) ends the program.
choose_menu tarvina 0 3
expect_ended 10

# Alt+F4 too.
tarvina_start
wait_window tarvina >/dev/null
click_client tarvina 300 300
key alt+F4
expect_ended 10

e2e_end
