#!/usr/bin/env bash
# The server stops in the middle of a first sync of 400 labels: a message
# says so and nothing is lost; tarvina is closed and started again, the
# server comes back, and "Sincronizar ahora" sends what was left, so the
# server ends with every label exactly once and the .zanual as it was.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate
. "$(dirname "$0")/sync_steps.sh"
server_start

file="$WORK/Muchas.zanual"
labels=()
for n in $(seq 1 400); do labels+=($((n % 28 + 1)) 3 2025 0x99CCFF "Etiqueta $n"); done
make_zanual "$file" 1 3 2025 30 "${labels[@]}"
opened="$(md5sum <"$file")"
title="Almanaque - Muchas.zanual"
tarvina_start "$(winpath "$file")"
equal "opened" "$title" "$(wait_window "$title")"
settle

open_sync
fill_box $kAddress "$SERVER_URL"
fill_box $kUser ana
fill_box $kPassword secreto
click_control "$sync" "$kNow"
equal "the window answers and its title says it is syncing" "$title - Sincronizando..." \
  "$(wait_window "$title - Sincronizando..." 10)"
# Stopped once the first events are there.
for _ in $(seq 600); do
  [ "$(server_files)" -ge 20 ] && break
  sleep 0.05
done
server_stop
sent="$(server_files)"
check "stopped in the middle ($sent of 400 sent)" test "$sent" -ge 20 -a "$sent" -lt 400
if [ "$(wait_window Programador 60)" = Programador ]; then
  said="$(message_text Programador)"
  case "$said" in
    "No se pudo sincronizar: no se pudo conectar con el servidor."*) log "ok   the message" ;;
    *) fail "the message: [$said]" ;;
  esac
  dismiss_message
else
  fail "no message"
fi
equal "the file as it was" "$opened" "$(md5sum <"$file")"
equal "the title as before" "$title" "$(wait_window "$title" 5)"
close_sync
tarvina_stop

# Next time: tarvina started again, the server back.
"$PY" "$PHONE" restart "$SERVER"
tarvina_start "$(winpath "$file")"
equal "opened again" "$title" "$(wait_window "$title")"
settle
# Opening it starts a sync by itself, which sends what was left while the
# title says so; "Sincronizar ahora" after it has nothing left to send.
wait_window "$title - Sincronizando..." 10 >/dev/null
equal "the sync on opening ends" "$title" "$(wait_window "$title" 180)"
open_sync
said="$(sync_now)"
case "$said" in
  "Sincronización hecha: "*) log "ok   $said" ;;
  *) fail "the second sync: [$said]" ;;
esac
events="$(server_events)"
equal "every label on the server once" 400 "$(echo "$events" | cut -d'|' -f2 | sort -u | wc -l)"
equal "and no event twice" 400 "$(echo "$events" | wc -l)"
equal "the file as it was" "$opened" "$(md5sum <"$file")"
close_sync

tarvina_stop
e2e_end
