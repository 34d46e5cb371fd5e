#!/usr/bin/env bash
# A .zanual named on the command line (as the shell's association passes it,
# or quoted by a user) opens at once; a missing or damaged one changes nothing.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate

menus() { echo "$(menu_states "$1" 0 | tr '\n' ' ')| $(menu_states "$1" 1 | tr '\n' ' ')"; }
kShown="greyed separator greyed separator enabled separator enabled | enabled greyed "
kEmpty="enabled separator enabled separator enabled separator enabled | greyed greyed "

mkdir -p "$WORK/datos" "$WORK/otra carpeta"
make_zanual "$WORK/datos/Fiesta.zanual" 1 3 2024 30 5 3 2024 0x00FF00 'uno|dos'
make_zanual "$WORK/otra carpeta/Casa.zanual" 28 12 2023 40 2 1 2024 0xFFCC99 'Año nuevo'
before="$(md5sum "$WORK/datos/Fiesta.zanual")"

for form in unquoted quoted; do
  path="$(winpath "$WORK/datos/Fiesta.zanual")"
  [ $form = quoted ] && path="\"$path\""
  tarvina_start "$path"
  equal "$form path: the almanac's title" "Almanaque - Fiesta.zanual" \
    "$(wait_window 'Almanaque - Fiesta.zanual')"
  equal "$form path: the almanac control has the focus" \
    "$(printf 'Almanaque - Fiesta.zanual\t1001\tStatic')" "$(probe focus)"
  equal "$form path: Nuevo and Leer greyed, Nueva enabled" "$kShown" "$(menus 'Almanaque - Fiesta.zanual')"
  tarvina_stop
done
equal "the file was only read" "$before" "$(md5sum "$WORK/datos/Fiesta.zanual")"
check "nothing made in the program's folder" test ! -e "$WORK/Fiesta.zanual"

# A folder with blanks, quoted as a user would.
tarvina_start "\"$(winpath "$WORK/otra carpeta/Casa.zanual")\""
equal "quoted path with blanks" "Almanaque - Casa.zanual" "$(wait_window 'Almanaque - Casa.zanual')"
tarvina_stop

# A missing file: the window as at a plain start, no message.
tarvina_start "$(winpath "$WORK/datos/Nada.zanual")"
equal "missing file: plain window" tarvina "$(wait_window 'tarvina|Programador')"
sleep 2
equal "missing file: the title stays" tarvina "$(wait_window 'Almanaque - Nada.zanual|tarvina')"
equal "missing file: no message" "" "$(probe list | awk -F'\t' '$3 == "Programador"')"
equal "missing file: menus unchanged" "$kEmpty" "$(menus tarvina)"
tarvina_stop

# A damaged file: said clearly, nothing shown, the window usable.
printf 'esto no es un almanaque, sino un texto cualquiera que ocupa mas de ciento cuarenta y dos bytes para que haya un registro entero que leer y que no describe ningun almanaque valido...' \
  >"$WORK/datos/Roto.zanual"
tarvina_start "$(winpath "$WORK/datos/Roto.zanual")"
expect_message "No se puede leer el almanaque \"$(winpath "$WORK/datos/Roto.zanual")\"."
equal "damaged file: plain window" tarvina "$(wait_window 'tarvina|Almanaque - Roto.zanual')"
equal "damaged file: menus unchanged" "$kEmpty" "$(menus tarvina)"
choose_menu tarvina 0 3
expect_ended 10

e2e_end
