#!/usr/bin/env bash
# Builds everything and runs every test: unit and integration tests on Qt's offscreen platform,
# end-to-end tests on a private Xvfb server (without a window manager, then under openbox with
# panel margins), the unit tests again with AddressSanitizer and UndefinedBehaviorSanitizer,
# and a short fuzzing run of the settings-file reader. Installs missing packages first.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
jobs=${KIPRUN_JOBS:-2}

scripts/install-deps.sh test

build=${KIPRUN_BUILD_DIR:-build}
# Every option named: a value left in the cache by an earlier configure (tests switched off, say)
# would otherwise stay, and ctest would run test binaries that nothing rebuilds.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIPRUN_BUILD_TESTS=ON \
  -DKIPRUN_BUILD_BENCHMARKS=ON -DKIPRUN_SANITIZE=OFF >/dev/null
[ "${KIPRUN_CONFIGURE_ONLY:-}" = 1 ] && exit 0
cmake --build "$build" -j"$jobs"

export QT_QPA_PLATFORM=offscreen
echo "== unit and integration tests (offscreen)"
ctest --test-dir "$build" -j"$jobs" --output-on-failure -LE 'e2e|bench'

# A private X server on a free display for the end-to-end tests.
# shellcheck source=../tests/e2e/game/scene-lib.sh
. "$here/tests/e2e/game/scene-lib.sh"
KIPRUN_XVFB_PID=""; wm_pid=""
cleanup() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "$KIPRUN_XVFB_PID" ] && kill "$KIPRUN_XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
display=$(kiprun_free_display 91 140) || { echo "no free X display" >&2; exit 1; }
kiprun_start_xvfb "$display"
export DISPLAY="$display"
unset QT_QPA_PLATFORM

echo "== end-to-end tests on $display, no window manager"
KIPRUN_E2E_WM=none ctest --test-dir "$build" --output-on-failure -L e2e

echo "== end-to-end tests on $display, under openbox with panel margins"
openbox --config-file "$here/tests/e2e/openbox-rc.xml" >/dev/null 2>&1 &
wm_pid=$!
sleep 1
KIPRUN_E2E_WM=openbox ctest --test-dir "$build" --output-on-failure -L e2e
kill "$wm_pid" 2>/dev/null || true; wait "$wm_pid" 2>/dev/null || true; wm_pid=""

echo "== benchmarks"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -L bench
unset QT_QPA_PLATFORM

echo "== unit tests with AddressSanitizer and UndefinedBehaviorSanitizer"
san=${build}-sanitize
cmake -S . -B "$san" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKIPRUN_SANITIZE=ON \
  -DKIPRUN_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$san" -j"$jobs"
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
  ctest --test-dir "$san" -j"$jobs" --output-on-failure -LE 'e2e|bench'

if [ -x tests/fuzz/run-fuzz.sh ]; then
  echo "== fuzzing the settings-file reader"
  tests/fuzz/run-fuzz.sh "${build}-fuzz"
fi
echo "all tests passed"
