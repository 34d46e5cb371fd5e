#!/usr/bin/env bash
# The portable zip: unpacked into a folder whose name has a blank, it holds
# the program, LEEME.txt and the licence notices; the program runs from
# there and keeps a new almanac beside itself, not in Documents.
. "$(dirname "$0")/lib.sh"
e2e_begin
reg_associate
. "$(dirname "$0")/new_almanac_steps.sh"
. "$(dirname "$0")/label_steps.sh"
. "$(dirname "$0")/package_steps.sh"

docs="$WORK/Mis documentos"
trap 'tarvina_stop; documents_back; e2e_cleanup' EXIT
documents_in "$docs"

name="tarvina portátil"
dir="$WORK/$name"
mkdir -p "$dir"
unzip -q "$TARVINA_ZIP" -d "$dir" || fail "the zip does not unpack"
equal "the zip holds" "LEEME.txt THIRD-PARTY-NOTICES.txt tarvina.exe" \
  "$(names_in "$dir")"

PROGRAM_DIR="$dir"
create 20 Viaje
add_label "$(date +%-m)" "$(date +%-d)"
equal "the label is stored beside the program" 284 "$(stat -c %s "$dir/Viaje.zanual" 2>/dev/null)"
equal "and nothing else is left there" "LEEME.txt THIRD-PARTY-NOTICES.txt Viaje.zanual tarvina.exe" \
  "$(names_in "$dir")"
equal "no other folder made" "Mis documentos|$name" \
  "$(find "$WORK" -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | LC_ALL=C sort | tr '\n' '|' | sed 's/|$//')"
equal "nothing in Documents" "" "$(ls -A "$docs")"
choose_menu "$title" 0 3
expect_ended 15
e2e_end
