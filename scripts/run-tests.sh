#!/usr/bin/env bash
# Builds everything and runs every test: unit and integration tests on Qt's offscreen platform,
# end-to-end tests on a private Xvfb server (without a window manager, then under openbox with
# panel margins, xfwm4 with xfce4-panel, mutter and kwin_x11), the unit tests again with AddressSanitizer and UndefinedBehaviorSanitizer,
# and a short fuzzing run of the settings-file reader. Installs missing packages first.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
jobs=${KIPRUN_JOBS:-2}

scripts/install-deps.sh test

build=${KIPRUN_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$jobs"

export QT_QPA_PLATFORM=offscreen
echo "== unit and integration tests (offscreen)"
ctest --test-dir "$build" -j"$jobs" --output-on-failure -LE 'e2e|bench'

# A private X server on a free display for the end-to-end tests, run once on each desktop:
# without a window manager, openbox with panel margins, xfwm4 with xfce4-panel at the bottom,
# mutter (compositing) and kwin_x11, each with a session bus of its own
# (tests/e2e/desktops.sh starts and stops them). KIPRUN_E2E_DESKTOPS picks some of them.
# shellcheck source=../tests/e2e/game/scene-lib.sh
. "$here/tests/e2e/game/scene-lib.sh"
# shellcheck source=../tests/e2e/desktops.sh
. "$here/tests/e2e/desktops.sh"
KIPRUN_XWINDOW="$(cd "$build" && pwd)/tests/e2e/kiprun-xwindow"
export KIPRUN_XWINDOW
KIPRUN_XVFB_PID=""
cleanup() {
  kiprun_desktop_stop
  [ -n "$KIPRUN_XVFB_PID" ] && kill "$KIPRUN_XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
display=$(kiprun_free_display 91 140) || { echo "no free X display" >&2; exit 1; }
kiprun_start_xvfb "$display"
export DISPLAY="$display"
unset QT_QPA_PLATFORM

e2e_failed=()
e2e_times=()
for desktop in ${KIPRUN_E2E_DESKTOPS:-none openbox xfwm4 mutter kwin}; do
  echo "== end-to-end tests on $display, desktop: $desktop"
  started=$(date +%s)
  kiprun_desktop_start "$desktop"
  echo "   window manager: $(kiprun_wm_name || echo none)"
  KIPRUN_E2E_WM=$desktop ctest --test-dir "$build" --output-on-failure -L e2e ||
    e2e_failed+=("$desktop")
  kiprun_desktop_stop
  e2e_times+=("$desktop $(($(date +%s) - started)) s")
done
echo "== end-to-end passes took: $(IFS=';'; echo "${e2e_times[*]}")"
[ ${#e2e_failed[@]} -eq 0 ] || { echo "end-to-end tests failed on: ${e2e_failed[*]}" >&2; exit 1; }

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
