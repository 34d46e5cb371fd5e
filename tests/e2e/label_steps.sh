# Sourced by the label cases after lib.sh: the dialog, and what a person
# does in it and sees of it.

LS="$E2E_DIR/label_shot.py"
label="Entrada de datos"

# refused "what" "message start": "Aceptar" gives that message, the dialog
# stays with its text.
refused() {
  click_control "$label" 1057
  expect_message "$2"
  equal "$1: the dialog stays" "$label" "$(wait_window "$label" 2)"
  equal "$1: the text stays" "$text" "$(control_text "$label" 1002 "$text" 2)"
}
# type_label month_downs day_downs: the two lines, then month and day by the keyboard.
type_label() {
  click_control "$label" 1002
  type_text "hola"
  key Return
  type_text "mundo"
  click_control "$label" 1060
  # shellcheck disable=SC2046
  key $(printf 'Down %.0s' $(seq "$1"))
  click_control "$label" 1059
  # shellcheck disable=SC2046
  key $(printf 'Down %.0s' $(seq "$2"))
}

# add_label month_downs day_downs: "Nueva" in the almanac titled $title, the
# label of type_label, "Aceptar".
add_label() {
  choose_menu "$title" 1 0
  if [ "$(wait_window "$label" 15)" != "$label" ]; then
    fail "no label dialog"
    return 1
  fi
  settle
  type_label "$1" "$2"
  click_control "$label" 1057
  window_gone "$label" 10 || fail "the label dialog stayed open: $(message_text)"
}

# Day boxes every 95 pixels: the frame's top row is grey at each top, and
# the row above it is white. Prints the tops that are not so.
boxes_at() {
  local shot=$1 top bad=""
  shift
  for top in "$@"; do
    [ "$(pixel "$shot" $((fl + 60)) $((ft + top)))" = "192 192 192" ] || bad="$bad $top"
    [ "$top" -le 1 ] || [ "$(pixel "$shot" $((fl + 60)) $((ft + top - 1)))" = "255 255 255" ] ||
      bad="$bad $top(above)"
  done
  echo "$bad"
}

# open_march [day month year colour 'line|line' ...]: the almanac of 1 to 31
# March 2025 in $file, with a label of 28 February (outside it) and the
# labels given, opened from the command line as a double-click would.
open_march() {
  file="$WORK/Marzo.zanual"
  make_zanual "$file" 1 3 2025 30 28 2 2025 0x00FF00 'antes|del almanaque' "$@"
  before="$(md5sum <"$file")"
  title="Almanaque - Marzo.zanual"
  tarvina_start "$(winpath "$file")"
  equal "the almanac opens" "$title" "$(wait_window "$title|Programador")"
}
