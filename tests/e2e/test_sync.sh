#!/usr/bin/env bash
# Syncing with a CalDAV server as a person does it: the almanac linked in
# "Sincronizar" and its labels sent, read back by a second client with
# their dates, texts and colours; what the second client adds, corrects and
# deletes coming down into the .zanual after "Sincronizar ahora"; and a
# label corrected on both sides kept twice, here and on the server. (Every
# rule and failure is tested natively against an in-memory server.)
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate
. "$(dirname "$0")/sync_steps.sh"
server_start

local_app="$(winepath -u "$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null </dev/null | tr -d '\r')" 2>/dev/null </dev/null)"
links="$local_app/tarvina/Sincronizar"
rm -f "$links"/Casa\ *
file="$WORK/Casa.zanual"
make_zanual "$file" 1 3 2025 30 2 3 2025 0x99CCFF 'Dentista|a las diez' \
  4 3 2025 0x88FF88 'Cumpleaños de Ana'
opened="$(md5sum <"$file")"
title="Almanaque - Casa.zanual"
tarvina_start "$(winpath "$file")"
equal "opened" "$title" "$(wait_window "$title")"
settle
read -r fl ft _ _ <<<"$(rect_of "$title" 1001 client)"

# Linked, and the first sync sends both labels.
open_sync
equal "the boxes start empty" "||" \
  "$(control_text "$sync" $kAddress)|$(control_text "$sync" $kUser)|$(control_text "$sync" $kPassword)"
fill_box $kAddress "$SERVER_URL"
fill_box $kUser ana
fill_box $kPassword secreto
equal "first sync" "Sincronización hecha: 2 etiquetas subidas, 0 bajadas, 0 quitadas." "$(sync_now)"
equal "the second client reads both labels with date, text and colour" \
  "2025-03-02|Dentista|#FFCC99|Dentista/a las diez
2025-03-04|Cumpleaños de Ana|#88FF88|Cumpleaños de Ana" "$(server_events)"
equal "the file as it was" "$opened" "$(md5sum <"$file")"
check "the link and state in %LOCALAPPDATA%\\tarvina\\Sincronizar, not beside the almanac" \
  test "$(find "$links" -name 'Casa *.enlace' | wc -l)$(ls "$WORK" | grep -vc -e '\.zanual$' -e '\.png$' -e '\.log$' -e '^tarvina.exe$' -e '^pid$' -e '^server$')" = 10
check "the state holds the calendar's sync-token: the server answered the report of changes" \
  grep -q '^token [^-]' "$(find "$links" -name 'Casa *.estado')"
check "no password in any file" sh -c "! grep -rq secreto '$local_app/tarvina' '$WORK'/*.zanual"
close_sync

# The phone adds an event, corrects one label's title and deletes the other.
phone add "$SERVER_URL" phone-cine 20250306 Cine
phone change "$SERVER_URL" 'Cumpleaños de Ana' 'Cumpleaños de Ana y Luis'
phone delete "$SERVER_URL" Dentista
open_sync
equal "the link is kept: the address and user shown" "$SERVER_URL|ana|" \
  "$(control_text "$sync" $kAddress)|$(control_text "$sync" $kUser)|$(control_text "$sync" $kPassword)"
equal "what came down (the password from the Credential Manager)" \
  "Sincronización hecha: 0 etiquetas subidas, 2 bajadas, 1 quitada." "$(sync_now)"
make_zanual "$WORK/expected.zanual" 1 3 2025 30 4 3 2025 0x88FF88 'Cumpleaños de Ana y Luis' \
  6 3 2025 0xFFFFFF 'Cine'
check "the .zanual holds the corrected label in its place and the new one after it" \
  cmp "$WORK/expected.zanual" "$file"
close_sync

# The same label corrected here (a double click on 6 March's label) and
# there: the change here starts a sync by itself, which keeps both.
phone change "$SERVER_URL" Cine 'Cine con Eva'
xdotool mousemove $((fl + 400)) $((ft + 1 + 5 * 95 + 10)) click --repeat 2 --delay 80 1
sleep 0.4
if [ "$(wait_window "Modificar etiqueta" 15)" = "Modificar etiqueta" ]; then
  settle
  click_control "Modificar etiqueta" 1002
  key ctrl+End
  type_text " hoy"
  click_control "Modificar etiqueta" 1057
  window_gone "Modificar etiqueta" 10 || fail "the label dialog stayed open"
else
  fail "no Modificar etiqueta"
fi
said=""
if [ "$(wait_window Programador 60)" = Programador ]; then
  said="$(message_text Programador)"
  dismiss_message
fi
equal "synced by itself after the change: both versions kept, and said so" \
  "Sincronización hecha: 1 etiqueta subida, 1 bajada, 0 quitadas.
1 etiquetas cambiadas en los dos lados: se guardaron las dos versiones." "$said"
make_zanual "$WORK/expected.zanual" 1 3 2025 30 4 3 2025 0x88FF88 'Cumpleaños de Ana y Luis' \
  6 3 2025 0xFFFFFF 'Cine hoy' 6 3 2025 0xFFFFFF 'Cine con Eva'
check "here: the label as corrected here, the server's version right after it" \
  cmp "$WORK/expected.zanual" "$file"
equal "there: both versions, each once" \
  "2025-03-04|Cumpleaños de Ana y Luis|#88FF88|Cumpleaños de Ana
2025-03-06|Cine con Eva||
2025-03-06|Cine hoy|#FFFFFF|Cine hoy" "$(server_events)"
open_sync
equal "nothing more to do" "Sincronización hecha: no había nada que cambiar." "$(sync_now)"

close_sync

# The sync was one change: one Ctrl+Z takes the server's version back out of
# the file, and the next sync, by itself, takes it off the server too.
click_at $((fl + 60)) $((ft + 30))
key ctrl+z
make_zanual "$WORK/expected.zanual" 1 3 2025 30 4 3 2025 0x88FF88 'Cumpleaños de Ana y Luis' \
  6 3 2025 0xFFFFFF 'Cine hoy'
check "one Ctrl+Z: the file without the server's version" cmp "$WORK/expected.zanual" "$file"
for _ in $(seq 60); do
  [ "$(server_events | wc -l)" = 2 ] && break
  sleep 0.5
done
wait_window "$title" 20 >/dev/null  # the sync has ended
equal "and the server follows" "2025-03-04|Cumpleaños de Ana y Luis|#88FF88|Cumpleaños de Ana
2025-03-06|Cine hoy|#FFFFFF|Cine hoy" "$(server_events)"

# "Quitar el enlace": the boxes empty, the link, state and password gone.
open_sync
click_control "$sync" "$kUnlink"
expect_message "Se quitó el enlace."
equal "the boxes emptied" "||" \
  "$(control_text "$sync" $kAddress)|$(control_text "$sync" $kUser)|$(control_text "$sync" $kPassword)"
equal "nothing left of the link" 0 "$(find "$links" -name 'Casa *' | wc -l)"
close_sync

tarvina_stop
e2e_end
