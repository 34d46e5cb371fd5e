#!/usr/bin/env bash
# Paths in any script: the program, run from a folder named in Polish,
# Japanese and Greek, registers that path; a label file in another such
# folder, named on the command line, opens with its name in the title and
# takes a label; a damaged one is named whole in the message.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_reset

. "$(dirname "$0")/label_steps.sh"

PROGRAM_DIR="$WORK/Łukasz 日本 Ημερολόγιο"
mkdir -p "$PROGRAM_DIR" "$WORK/Δεδομένα"
mv "$WORK/tarvina.exe" "$PROGRAM_DIR/"

# The default value of a registry key as Windows holds it (reg query would
# print it in the console's code page).
reg_default_text() {
  wine reg export "$1" "$WORK/key.reg" /y >/dev/null 2>&1 </dev/null
  "$PY" - "$WORK/key.reg" <<'EOF'
import re, sys
text = open(sys.argv[1], encoding="utf-16").read()
m = re.search(r'^@="((?:[^"\\]|\\.)*)"', text, re.M)
print(re.sub(r'\\(.)', r'\1', m.group(1)) if m else "")
EOF
}

file="$WORK/Δεδομένα/Fiesta Ω.zanual"
make_zanual "$file" 1 3 2025 30 28 2 2025 0x00FF00 'antes'
title="Almanaque - Fiesta Ω.zanual"
tarvina_start "\"$(winpath "$file")\""
expect_message ".zanual Registrado"
exe="$(winpath "$PROGRAM_DIR/tarvina.exe")"
equal "the association names the program's own path" "\"${exe//\\/\\\\}\" \"%1\"" \
  "$(reg_default_text 'HKCU\Software\Classes\zanual-files\Shell\Open\Command')"
equal "the file named on the command line opens, its name in the title" "$title" \
  "$(wait_window "$title|tarvina|Programador")"

choose_menu "$title" 1 0
if [ "$(wait_window "$label" 15)" = "$label" ]; then
  settle
  type_label 3 5
  click_control "$label" 1057
  window_gone "$label" 10 || fail "the label was not stored: $(message_text)"
  settle
  equal "the label is stored in that file" "$(printf '%s\n' \
    '5 3 2025 0x00FFFFFF 0 1 3 2025 30 1 hola' \
    '5 3 2025 0x00FFFFFF 1 1 3 2025 30 1 mundo')" "$("$PY" "$LS" records "$file" | tail -n +2)"
else
  fail "no label dialog"
fi
choose_menu "$title" 0 3
expect_ended 15

damaged="$WORK/Δεδομένα/Roto ж.zanual"
head -c 300 /dev/zero >"$damaged"
tarvina_start "\"$(winpath "$damaged")\""
expect_message "No se puede leer el almanaque \"$(winpath "$damaged")\"."
equal "damaged: the plain window" tarvina "$(wait_window 'tarvina')"
tarvina_stop

e2e_end
