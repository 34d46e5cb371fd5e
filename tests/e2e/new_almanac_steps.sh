# Sourced by the new-almanac cases after lib.sh: making an almanac through
# "Nuevo" from a fresh start, and reading what a person sees of it.

new="Elige tiempo"
label="Entrada de datos"

# create [day month year] count name: "Nuevo" from a fresh start, accepted.
create() {
  tarvina_start
  equal "plain start" tarvina "$(wait_window 'tarvina|Programador')"
  new_almanac "$@"
}

# new_almanac [day month year] count name: "Nuevo" in the empty main window,
# accepted; without a date the almanac starts today, where the picker opens.
new_almanac() {
  read -r fl ft fr fb <<<"$(rect_of tarvina 1001 client)"
  choose_menu tarvina 0 0
  equal "Nuevo opens its dialog" "$new" "$(wait_window "$new" 10)"
  if [ $# -gt 2 ]; then
    pick_date "$new" 2001 "$1" "$2" "$3"
    equal "the picker shows $1/$2/$3" "$(picker_shows "$1" "$2" "$3")" "$(probe text "$new" 2001)"
    shift 3
  fi
  click_control "$new" 2002
  type_text "$1"
  click_control "$new" 2009
  type_text "$2"
  click_control "$new" 2006
  expect_message "Almanaque Creado ..."
  title="Almanaque - $2.zanual"
  equal "the title" "$title" "$(wait_window "$title")"
  click_client "$title" 900 400
}

# years_offered: the years the label dialog's year list holds, first and
# last, as a person finds them by walking the list with the arrow keys.
years_offered() {
  choose_menu "$title" 1 0
  if [ "$(wait_window "$label" 10)" != "$label" ]; then
    fail "no label dialog"
    return
  fi
  click_control "$label" 1065
  key Up Up Up
  local first last
  first="$(probe text "$label" 1065)"
  key Down Down Down
  last="$(probe text "$label" 1065)"
  echo "$first $last"
  click_control "$label" 1058
  window_gone "$label" 10 || fail "the label dialog did not close"
}

# box_facts shot y...: facts of the boxes with tops at face y.
box_facts() {
  local shot=$1 ys="" y
  shift
  for y in "$@"; do ys="$ys $((ft + y))"; done
  # shellcheck disable=SC2086
  pixels boxes "$shot" $((fl + 1)) $ys
}
field() { echo "$1" | cut -d' ' -f"$2"; }
