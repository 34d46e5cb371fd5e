#!/usr/bin/env bash
# "Compartir" as a person uses it: "Exportar" through the save dialog writes
# a calendar that two outside readers take as the almanac's labels (a
# weekly class as one repeating event on its three days);
# "Importar" of another program's calendar through the open dialog adds its
# events on the almanac's days to the file and the view, and says exactly
# what it did. (What is read and written, event by event, is tested natively.)
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate

kFileName=1148  # the file dialogs' name field
make_zanual "$WORK/Casa.zanual" 1 3 2025 31 5 3 2025 0x99CCFF 'Dentista|a las diez' \
  20 3 2025 0x88FF88 'Cumpleaños de Ana' \
  4 3 2025 0xFFCC99 'Clase' 11 3 2025 0xFFCC99 'Clase' 18 3 2025 0xFFCC99 'Clase'
title="Almanaque - Casa.zanual"
tarvina_start "$(winpath "$WORK/Casa.zanual")"
equal "opened" "$title" "$(wait_window "$title")"
read -r fl ft fr fb <<<"$(rect_of "$title" 1001 client)"

# share item path: Compartir's item-th command, the path typed into its dialog.
share() {
  choose_menu "$title" 3 "$1"
  local dialog
  dialog="$(wait_window "$2" 15)"
  if [ -z "$dialog" ]; then
    fail "no file dialog for Compartir item $1"
    return 1
  fi
  click_control "$dialog" "$kFileName"
  key ctrl+a
  type_text "$3"
  key Return
  window_gone "$dialog" 10 || fail "the file dialog stayed open"
}

share 0 'Save As|Guardar como' "$(winpath "$WORK/casa.ics")"
expect_message "Se exportaron 5 etiquetas a \""
want='[["2025-03-05", "Dentista", "Dentista\na las diez", ["2025-03-05"]], '\
'["2025-03-20", "Cumpleaños de Ana", "Cumpleaños de Ana", ["2025-03-20"]], '\
'["2025-03-04", "Clase", "Clase", ["2025-03-04", "2025-03-11", "2025-03-18"]]]'
events() {  # the reader's events as date, summary, description and the days it falls on
  "$PY" -c 'import json, sys; print(json.dumps([[e["date"], e["summary"], e["description"], e["days"]]
                                               for e in json.load(sys.stdin)], ensure_ascii=False))'
}
equal "Python's icalendar reads the labels" "$want" \
  "$("$PY" "$TARVINA_SOURCE/tests/readers/read_icalendar.py" "$WORK/casa.ics" | events)"
equal "ical.js reads the labels" "$want" \
  "$(TARVINA_NPM="$TARVINA_SOURCE/build/npm" node "$TARVINA_SOURCE/tests/readers/read_icaljs.cjs" \
    "$WORK/casa.ics" | events)"

# Another program's calendar: two events in the almanac, one a year before.
printf '%s\r\n' BEGIN:VCALENDAR VERSION:2.0 PRODID:-//Otro//Agenda//ES \
  BEGIN:VEVENT UID:a@otro DTSTAMP:20250101T000000Z 'DTSTART;VALUE=DATE:20250302' \
  'SUMMARY:Revisión del coche' X-TARVINA-COLOR:#FF00FF END:VEVENT \
  BEGIN:VEVENT UID:b@otro DTSTAMP:20250101T000000Z 'DTSTART;VALUE=DATE:20250325' \
  SUMMARY:Dentista END:VEVENT \
  BEGIN:VEVENT UID:c@otro DTSTAMP:20250101T000000Z 'DTSTART;VALUE=DATE:20240302' \
  SUMMARY:Antes END:VEVENT END:VCALENDAR >"$WORK/otro.ics"
opened=$(sha256sum <"$WORK/Casa.zanual")
before=$(stat -c %s "$WORK/Casa.zanual")
share 1 'Open|Abrir' "$(winpath "$WORK/otro.ics")"
expect_message "Se importaron 2 etiquetas; 1 eventos quedan fuera del almanaque."
equal "two records more in the file" $((before + 2 * 142)) "$(stat -c %s "$WORK/Casa.zanual")"
shot="$(screenshot imported)"
check "the label of 2 March is shown in its colour" \
  test "$(count_colour "$shot" "$fl" "$ft" "$fr" "$fb" 255 0 255)" -gt 1000
# The whole import is one change: one Ctrl+Z takes it back.
key ctrl+z
equal "one Ctrl+Z, the file as it was" "$opened" "$(sha256sum <"$WORK/Casa.zanual")"

tarvina_stop
e2e_end
