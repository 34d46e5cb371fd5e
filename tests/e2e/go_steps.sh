# shellcheck shell=bash
# Sourced by the "Ir" cases after lib.sh: an almanac of 41 days around
# today, opened from its file, and what a person sees of its days.

# day_of offset: "d m yyyy" of today plus `offset` days.
day_of() { date -d "$1 days" '+%-d %-m %Y'; }

# open_around_today name [day_offset colour text]...: writes the almanac
# from 10 days before today to 30 after (today is its 11th day, index 10)
# with the labels given by their offset from today, and opens it.
open_around_today() {
  local name=$1 labels=() d m y
  shift
  while [ $# -gt 0 ]; do
    read -r d m y <<<"$(day_of "$1")"
    labels+=("$d" "$m" "$y" "$2" "$3")
    shift 3
  done
  read -r d m y <<<"$(day_of -10)"
  make_zanual "$WORK/$name.zanual" "$d" "$m" "$y" 40 "${labels[@]}"
  title="Almanaque - $name.zanual"
  tarvina_start "$(winpath "$WORK/$name.zanual")"
  equal "opened" "$title" "$(wait_window "$title")"
  read -r fl ft fr fb <<<"$(rect_of "$title" 1001 client)"
  click_client "$title" 900 400
}

# day_shot k: the face with day index k at the top, reached with Home and
# k presses of Down (one day each: no label here is taller than a day).
day_shot() {
  key Home
  # shellcheck disable=SC2046
  [ "$1" -gt 0 ] && key $(printf 'Down %.0s' $(seq "$1"))
  screenshot "day-$1"
}

same_face() { "$PY" "$E2E_DIR/shot.py" same "$1" "$2" "$fl" "$ft" "$fr" "$fb"; }
# shifted_face a b dy: b shows a's face moved down by dy rows (up when negative).
shifted_face() { "$PY" "$E2E_DIR/shot.py" shifted "$1" "$2" "$fl" "$ft" "$fr" "$fb" "$3"; }
# face_count shot r g b: pixels of that colour in the face.
face_count() { count_colour "$1" "$fl" "$ft" "$fr" "$fb" "$2" "$3" "$4"; }
# same_days a b: the same day boxes in the face's left column.
same_days() { "$PY" "$E2E_DIR/shot.py" same "$1" "$2" "$fl" "$ft" $((fl + 127)) "$fb"; }
