#!/usr/bin/env bash
# Where the user may not write (run as "nobody", since root writes
# anywhere): with the program in such a folder, "Nuevo" says so at once and
# opens no dialog; a label for an almanac that the user may not write to is
# refused with its reason, the dialog keeps the text and the file stays as
# it was.
. "$(dirname "$0")/lib.sh"
e2e_begin

. "$(dirname "$0")/label_steps.sh"
text=$'hola\nmundo'

# "nobody" gets a Wine prefix and a home of its own, kept between runs (the
# first boot takes a while) in /tmp, which it can reach wherever the tree is.
NOBODY_HOME="/tmp/tarvina-nobody-$(echo "$WINEPREFIX" | md5sum | cut -c1-8)"
NOBODY_PREFIX="$NOBODY_HOME/wineprefix"
mkdir -p "$NOBODY_HOME"
chown nobody:nogroup "$NOBODY_HOME"
cp "$TARVINA_SOURCE/scripts/wine-env.sh" "$WORK/wine-env.sh"
cp "$PROBE_EXE" "$WORK/probe.exe"
PROBE_EXE="$WORK/probe.exe"
chmod 755 "$WORK"
# as_nobody command...: runs it as nobody, in $NOBODY_IN (its home by default).
as_nobody() {
  (cd "${NOBODY_IN:-$NOBODY_HOME}" &&
    runuser -u nobody -- env HOME="$NOBODY_HOME" WINEPREFIX="$NOBODY_PREFIX" DISPLAY="$DISPLAY" \
      WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="$WINEDLLOVERRIDES" "$@")
}
stop_nobody() { as_nobody wineserver -k >/dev/null 2>&1; return 0; }
trap 'e2e_cleanup; stop_nobody' EXIT
if ! as_nobody bash -c ". '$WORK/wine-env.sh'; wine_boot" >/dev/null 2>&1 ||
   ! as_nobody wine "$PROBE_EXE" metrics >/dev/null 2>&1 </dev/null; then
  fail "no Wine prefix for the user nobody"
  e2e_end
fi

# From here on every Wine call of the harness runs as nobody.
wine() { as_nobody wine "$@"; }
winpath() { as_nobody winepath -w "$1" 2>/dev/null </dev/null; }
ro="$WORK/solo lectura"
mkdir -m 755 "$ro"
cp "$WORK/tarvina.exe" "$PROBE_EXE" "$ro/"
PROBE_EXE="$ro/probe.exe"
check "nobody may not write to the program's folder" as_nobody test ! -w "$ro"
tarvina_start() {
  local line _
  line="\"$(winpath "$ro/tarvina.exe")\""
  [ $# -gt 0 ] && line="$line $*"
  (NOBODY_IN="$ro" as_nobody env PROBE_COMMAND_LINE="$line" wine "$PROBE_EXE" start \
      >"$WORK/pid" 2>/dev/null </dev/null) &
  # shellcheck disable=SC2034  # read by the harness
  TARVINA_JOB=$!
  for _ in $(seq 100); do
    TARVINA_PID="$(tr -d '\r\n' <"$WORK/pid" 2>/dev/null)"
    [ -n "$TARVINA_PID" ] && break
    sleep 0.1
  done
  log "started as nobody: $line (process $TARVINA_PID)"
}
rm -f "$WORK/pid"
reg_reset
reg_associate
tarvina_start
equal "nobody: plain start" tarvina "$(wait_window 'tarvina|Programador' 30)"

# New almanacs would go beside the program: "Nuevo" refuses at once.
choose_menu tarvina 0 0
expect_message "No se pueden crear almanaques en la carpeta \"$(winpath "$ro")\".
No hay permiso para escribir en el archivo o en su carpeta."
equal "Nuevo: no dialog" "" "$(wait_window "Elige tiempo" 2)"
equal "Nuevo: nothing made" "" "$(find "$ro" -mindepth 1 ! -name '*.exe')"
choose_menu tarvina 0 3
expect_ended 15

# An almanac in a folder of root's, opened from the command line.
open_march
choose_menu "$title" 1 0
if [ "$(wait_window "$label" 15)" = "$label" ]; then
  settle
  type_label 3 5
  refused "read-only file" \
    "No se pudo guardar la etiqueta. No hay permiso para escribir en el archivo o en su carpeta."
  equal "read-only file: as it was" "$before" "$(md5sum <"$file")"
  click_control "$label" 1058
  window_gone "$label" 10 || fail "Cancelar did not close the dialog"
else
  fail "nobody: no label dialog"
fi
choose_menu "$title" 0 3
expect_ended 15
e2e_end
