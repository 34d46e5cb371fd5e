#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer (ASan, UBSan) and runs each
# for a while, starting from the kept corpus under tests/fuzz/corpus.
#   FUZZ_SECONDS=60   time per target (default)
#   FUZZ_RUNS=N       a number of executions per target instead of a time
#   FUZZ_TARGETS="…"  only these targets
#   scripts/fuzz.sh --merge   afterwards, minimise the kept corpus with what was found
# A crash is written to tests/fuzz/crashes/<target>/, where make test replays
# it: mend the fault, keep the file.
set -uo pipefail
cd "$(dirname "$0")/.."
TARVINA_FUZZ=1 scripts/deps.sh || exit 1

merge=0
[ "${1:-}" = --merge ] && merge=1
targets=${FUZZ_TARGETS:-"label_file layout icon_markup names dates ics_import"}
cmake --preset fuzz >/dev/null || exit 1
# shellcheck disable=SC2086
cmake --build --preset fuzz -j"$(nproc)" --target $(printf 'fuzz_%s ' $targets) >/dev/null || exit 1

status=0
for target in $targets; do
  work="build/fuzz/corpus/$target"
  crashes="tests/fuzz/crashes/$target"
  mkdir -p "$work" "$crashes"
  if [ -n "${FUZZ_RUNS:-}" ]; then limit="-runs=$FUZZ_RUNS"; else limit="-max_total_time=${FUZZ_SECONDS:-60}"; fi
  extra=()
  [ -f "tests/fuzz/$target.dict" ] && extra+=(-dict="tests/fuzz/$target.dict")
  # libical writes a warning to stderr for every odd line it meets; libFuzzer
  # keeps its own report (a failed check's reason shows when the crash is replayed).
  [ "$target" = ics_import ] && extra+=(-close_fd_mask=2)
  echo "== $target"
  # New inputs go to the working corpus; the kept one is only read.
  "build/fuzz/fuzz_$target" "$limit" "${extra[@]}" -print_final_stats=1 -artifact_prefix="$crashes/" \
    "$work" "tests/fuzz/corpus/$target" >"build/fuzz/$target.log" 2>&1
  code=$?
  grep -E '^#[0-9]+[[:space:]]+DONE|^stat::number_of_executed_units|^Done ' "build/fuzz/$target.log" | tail -n 3
  if [ $code -ne 0 ]; then
    echo "  FOUND a crash (see build/fuzz/$target.log and $crashes/)"
    status=1
  fi
  rmdir "$crashes" 2>/dev/null || true
  if [ $merge = 1 ] && [ $code -eq 0 ]; then
    rm -rf "build/fuzz/merged-$target"
    mkdir -p "build/fuzz/merged-$target"
    # The fewest inputs that keep every feature reached, and the hand-made seeds.
    "build/fuzz/fuzz_$target" -set_cover_merge=1 "build/fuzz/merged-$target" \
      "tests/fuzz/corpus/$target" "$work" >>"build/fuzz/$target.log" 2>&1 &&
      cp -n "tests/fuzz/corpus/$target"/seed-* "build/fuzz/merged-$target/" 2>/dev/null
    [ -n "$(ls "build/fuzz/merged-$target")" ] &&
      rm -rf "tests/fuzz/corpus/$target" &&
      mv "build/fuzz/merged-$target" "tests/fuzz/corpus/$target" &&
      echo "  kept corpus: $(ls "tests/fuzz/corpus/$target" | wc -l) inputs"
  fi
done
exit $status
