#!/usr/bin/env bash
# A class every Tuesday of a school year, made once: "Repetir: Cada semana"
# from 2 September 2025 "hasta el" 23 June 2026 asks before storing its 43
# labels and writes exactly one on each Tuesday; corrected from 3 February
# on with "Esta y las siguientes", that label and every later one change and
# no earlier one; Ctrl+Z takes the correction back, and one more the whole
# class. A meeting "Cada mes (el mismo día de la semana)" from the second
# Tuesday of September falls on the second Tuesday of every month.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate

label="Entrada de datos"
edit="Modificar etiqueta"
go="Ir a la fecha"
# 1 September 2025 to 30 June 2026, with the first day's label.
file="$WORK/Curso.zanual"
almanac=(1 9 2025 302)
make_zanual "$file" "${almanac[@]}" 1 9 2025 0x99CCFF 'Inicio de curso'
opened="$(md5sum <"$file")"
title="Almanaque - Curso.zanual"
tarvina_start "$(winpath "$file")"
equal "the almanac opens" "$title" "$(wait_window "$title|Programador")"
read -r fl ft _ _ <<<"$(rect_of "$title" 1001 client)"
click_client "$title" 900 400

# downs id n: opens the list `id` of the label dialog, goes n items down
# and closes it with Enter (an open list covers the controls below it).
downs() {
  click_control "$label" "$1"
  # shellcheck disable=SC2046
  [ "$2" -eq 0 ] || key $(printf 'Down %.0s' $(seq "$2"))
  key Return
}

# new_repeat "line|line" year_downs month_downs day_downs rule_downs
# question [until_day until_month until_year]: "Nueva" with that text on
# that date, repeated by the rule; "Aceptar" must ask `question`, answered Sí.
new_repeat() {
  choose_menu "$title" 1 0
  if [ "$(wait_window "$label" 15)" != "$label" ]; then
    fail "no label dialog"
    return 1
  fi
  settle
  click_control "$label" 1002
  type_text "${1%%|*}"
  key Return
  type_text "${1#*|}"
  downs 1065 "$2"
  downs 1060 "$3"
  downs 1059 "$4"
  downs 1067 "$5"
  if [ $# -gt 6 ]; then
    # The picker offers the almanac's last day: which field is the day.
    case "$(probe text "$label" 1069)" in
      30/6/2026 | 30/06/2026) PICKER_MONTH_FIRST=0 ;;
      6/30/2026 | 06/30/2026) PICKER_MONTH_FIRST=1 ;;
      *) fail "hasta el offers [$(probe text "$label" 1069)], not 30 June 2026" ;;
    esac
    pick_date "$label" 1069 "$7" "$8" "$9"
  fi
  click_control "$label" 1057
  if [ "$(wait_window Programador 10)" = Programador ]; then
    equal "the question" "$6" "$(message_text)"
    click_control Programador 6
    window_gone Programador 5 || fail "the question stayed"
  else
    fail "no question before storing: $(message_text)"
  fi
  window_gone "$label" 10 || fail "the label dialog stayed open: $(message_text)"
  settle
}

# expected labels...: the bytes the file must hold, as zanual.py writes
# them, the first day's label first.
expected() {
  make_zanual "$WORK/expected.zanual" "${almanac[@]}" 1 9 2025 0x99CCFF 'Inicio de curso' "$@"
  md5sum <"$WORK/expected.zanual"
}
# tuesdays first last text: the labels of every 7th day from first to last.
tuesdays() {
  local d=$1
  while [ "$(date -d "$d" +%s)" -le "$(date -d "$2" +%s)" ]; do
    printf '%s\n' $(date -d "$d" '+%-d %-m %Y') 0xFFFFFF "$3"
    d="$(date -d "$d + 7 days" +%F)"
  done
}
mapfile -t class < <(tuesdays 2025-09-02 2026-06-23 'Clase|Aula 3')

new_repeat 'Clase|Aula 3' 1 9 2 1 \
  "¿Guardar 43 etiquetas, del 2 de septiembre de 2025 al 23 de junio de 2026?" 23 6 2026
equal "one label on each Tuesday from 2 September to 23 June, the bytes as written" \
  "$(expected "${class[@]}")" "$(md5sum <"$file")"
with_class="$(md5sum <"$file")"

# 3 February 2026 to the top; a double click on its label, "Esta y las siguientes".
key ctrl+g
if [ "$(wait_window "$go" 10)" = "$go" ]; then
  pick_date "$go" 5001 3 2 2026
  click_control "$go" 5003
  window_gone "$go" 10 || fail "Ir a la fecha stayed: $(message_text)"
  settle
fi
xdotool mousemove $((fl + 400)) $((ft + 20)) click --repeat 2 --delay 80 1
if [ "$(wait_window Serie 15)" = Serie ]; then
  click_control Serie 5033
  equal "then the label, filled in" "$edit" "$(wait_window "$edit" 10)"
  settle
  equal "its date" "03 02 2026" \
    "$(control_text "$edit" 1059) $(control_text "$edit" 1060) $(control_text "$edit" 1065)"
  click_control "$edit" 1002
  key ctrl+End BackSpace
  type_text "7"
  click_control "$edit" 1057
  window_gone "$edit" 10 || fail "the dialog stayed open: $(message_text)"
  settle
else
  fail "no Serie question"
fi
mapfile -t before < <(tuesdays 2025-09-02 2026-01-27 'Clase|Aula 3')
mapfile -t after < <(tuesdays 2026-02-03 2026-06-23 'Clase|Aula 7')
equal "3 February and every later Tuesday changed in their places, no earlier one" \
  "$(expected "${before[@]}" "${after[@]}")" "$(md5sum <"$file")"

key ctrl+z
equal "Ctrl+Z: the correction taken back" "$with_class" "$(md5sum <"$file")"
key ctrl+z
equal "one more: the 43 labels gone, the file as it was opened" "$opened" "$(md5sum <"$file")"

# The second Tuesday of every month, through the almanac's last day.
# The lists offer 2 September again.
new_repeat 'Junta|de padres' 0 0 7 4 \
  "¿Guardar 10 etiquetas, del 9 de septiembre de 2025 al 9 de junio de 2026?"
meeting=()
for d in 2025-09-09 2025-10-14 2025-11-11 2025-12-09 2026-01-13 2026-02-10 2026-03-10 \
  2026-04-14 2026-05-12 2026-06-09; do
  meeting+=($(date -d "$d" '+%-d %-m %Y') 0xFFFFFF 'Junta|de padres')
done
equal "one on each second Tuesday" "$(expected "${meeting[@]}")" "$(md5sum <"$file")"

tarvina_stop
e2e_end
