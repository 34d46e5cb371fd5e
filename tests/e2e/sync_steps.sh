# Sourced by the sync cases after lib.sh: a CalDAV server of their own
# (Radicale, on 127.0.0.1), a second client playing the phone (Python's
# caldav), and the "Sincronizar" dialog as a person uses it.

PHONE="$E2E_DIR/caldav_phone.py"
SERVER="$WORK/server"
sync="Sincronizar"
kAddress=5052 kUser=5054 kPassword=5056 kNow=5057 kUnlink=5058 kClose=5059

server_start() {
  SERVER_URL="$("$PY" "$PHONE" serve "$SERVER")"
  [ -n "$SERVER_URL" ] || fail "Radicale did not start"
  trap 'server_stop; e2e_cleanup' EXIT
}
server_stop() { "$PY" "$PHONE" stop "$SERVER"; }
phone() { "$PY" "$PHONE" "$@"; }
# The events on the server, one line each: date|summary|colour|exact text.
server_events() { phone list "$SERVER_URL"; }
server_files() { find "$SERVER/collections" -name '*.ics' | wc -l; }

# open_sync: "Compartir" > "Sincronizar..." in the almanac titled $title.
open_sync() {
  choose_menu "$title" 3 3
  if [ "$(wait_window "$sync" 15)" != "$sync" ]; then
    fail "no \"$sync\" dialog"
    return 1
  fi
  settle
}
# fill_box id text: the box emptied and typed into.
fill_box() {
  click_control "$sync" "$1"
  key ctrl+a BackSpace
  [ -z "$2" ] || type_text "$2"
}
# sync_now: "Sincronizar ahora"; prints the message it ends with, dismissed.
sync_now() {
  click_control "$sync" "$kNow"
  if [ "$(wait_window Programador 60)" != Programador ]; then
    fail "no message after Sincronizar ahora"
    return 1
  fi
  message_text Programador
  dismiss_message
}
close_sync() {
  click_control "$sync" "$kClose"
  window_gone "$sync" 10 || fail "the dialog stayed open"
  settle
}
