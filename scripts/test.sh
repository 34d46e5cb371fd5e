#!/usr/bin/env bash
# Builds and runs every test level; ends with "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh || exit 1
. scripts/wine-env.sh

jobs=$(nproc 2>/dev/null || echo 2)
build() {
  cmake --preset "$1" >/dev/null || return 1
  cmake --build --preset "$1" -j"$jobs" --target "${@:2}" 2>&1 | grep -E 'error|warning|Error' || true
  return "${PIPESTATUS[0]}"
}

passed=0
failed=0
# ctest closes with "x% tests passed, F tests failed out of T".
count() {
  local log=$1 line total fails
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    echo "  (no test summary: counting this level as one failure)"
    failed=$((failed + 1))
    return
  fi
  fails=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
  passed=$((passed + total - fails))
  failed=$((failed + fails))
}

mkdir -p build
echo "== native tests (ASan, UBSan)"
if build native all; then
  ctest --test-dir build/native -j"$jobs" --output-on-failure >build/native-ctest.log 2>&1
  tail -n 3 build/native-ctest.log
  grep -E '\*\*\*Failed|Timeout' build/native-ctest.log || true
  count build/native-ctest.log
else
  echo "  native build failed"
  failed=$((failed + 1))
fi

echo "== Windows tests and end-to-end tests (Wine, Xvfb)"
# Most of the time of these tests is spent waiting for Wine and for windows,
# not computing: they run in lanes side by side, each lane with a Wine
# prefix and a display of its own, so no lane sees another's registry,
# files or windows. Lane k runs every lanes-th test from the k-th.
lanes=${TARVINA_TEST_LANES:-2}
if build win all; then
  # Finds the Windows tests once, before the lanes read the list.
  TARVINA_OWN_DISPLAY=1 start_display
  wine_boot
  ctest --test-dir build/win -N >/dev/null 2>&1 </dev/null
  stop_all
  pids=()
  lane_displays=()
  for lane in $(seq "$lanes"); do
    prefix="$WINEPREFIX"
    [ "$lane" -gt 1 ] && prefix="$TARVINA_ROOT/build/wineprefix-lane$lane"
    TARVINA_OWN_DISPLAY=1 start_display
    (
      export WINEPREFIX="$prefix"
      wine_boot
      # A window size kept by `make run` would move the windows the cases measure.
      wine reg delete 'HKCU\Software\tarvina' /f >/dev/null 2>&1 </dev/null
      ctest --test-dir build/win --output-on-failure -I "$lane,,$lanes" \
        >"build/win-ctest-$lane.log" 2>&1 </dev/null
      wineserver -k >/dev/null 2>&1 || true
    ) &
    pids+=($!)
    # This lane's display stays with it; the next lane gets one of its own.
    lane_displays+=("$TARVINA_XVFB_PID")
    TARVINA_XVFB_PID=""
  done
  wait "${pids[@]}"
  for pid in "${lane_displays[@]}"; do kill "$pid" 2>/dev/null || true; done
  for lane in $(seq "$lanes"); do
    echo "-- lane $lane"
    grep -E 'tests passed|Total Test time' "build/win-ctest-$lane.log"
    grep -E '\*\*\*Failed|Timeout|Not Run' "build/win-ctest-$lane.log" || true
    count "build/win-ctest-$lane.log"
  done
else
  echo "  Windows build failed"
  failed=$((failed + 1))
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
