#!/usr/bin/env bash
# A label that cannot be written is not lost: while another program holds
# the label file open with no sharing, "Aceptar" says so, the dialog keeps
# the text and the file stays as it was. Once the file is free, the same
# "Aceptar" stores the whole label; a later one ending with Enter keeps its
# empty last line.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate

. "$(dirname "$0")/label_steps.sh"
text=$'hola\nmundo'

open_march
choose_menu "$title" 1 0
if [ "$(wait_window "$label" 15)" = "$label" ]; then
  settle
  type_label 3 5
  equal "5 March chosen" "05 03" "$(control_text "$label" 1059) $(control_text "$label" 1060)"
  wine "$PROBE_EXE" hold "$(winpath "$file")" 120 >"$WORK/hold" 2>/dev/null </dev/null &
  holder=$!
  for _ in $(seq 100); do grep -q held "$WORK/hold" 2>/dev/null && break; sleep 0.1; done
  if grep -q held "$WORK/hold"; then
    refused "the file held by another program" \
      "No se pudo guardar la etiqueta. El archivo está abierto en otro programa."
    equal "held: the file is unchanged" "$before" "$(md5sum <"$file")"
  else
    fail "the file could not be held"
  fi
  kill "$holder" 2>/dev/null
  wait "$holder" 2>/dev/null
  # Freed: the same "Aceptar" stores the label, both lines, and closes.
  click_control "$label" 1057
  window_gone "$label" 10 || fail "the dialog stayed open after the file was freed: $(message_text)"
  settle
  equal "freed: the label is stored whole" "$(printf '%s\n' \
    '5 3 2025 0x00FFFFFF 0 1 3 2025 30 1 hola' \
    '5 3 2025 0x00FFFFFF 1 1 3 2025 30 1 mundo')" "$("$PY" "$LS" records "$file" | tail -n +3)"
else
  fail "no label dialog"
fi

# The next label, 5 March kept, typed with a last Enter: its last line is empty.
choose_menu "$title" 1 0
if [ "$(wait_window "$label" 15)" = "$label" ]; then
  settle
  click_control "$label" 1002
  type_text "fin"
  key Return
  click_control "$label" 1057
  window_gone "$label" 10 || fail "the dialog stayed open: $(message_text)"
  settle
  equal "a last Enter stores an empty last line" "$(printf '%s\n' \
    '5 3 2025 0x00FFFFFF 0 1 3 2025 30 1 fin' \
    '5 3 2025 0x00FFFFFF 1 1 3 2025 30 1 ')" "$("$PY" "$LS" records "$file" | tail -n +5)"
else
  fail "no label dialog the second time"
fi
choose_menu "$title" 0 3
expect_ended 15

e2e_end
