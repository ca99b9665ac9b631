#!/usr/bin/env bash
# Builds everything and runs every test: unit and integration tests on Qt's offscreen platform,
# end-to-end tests on a private Xvfb server (without a window manager, then under openbox with
# panel margins, xfwm4 with xfce4-panel, mutter and kwin_x11), the Windows program and its tests
# under Wine (scripts/test-windows.sh), the unit tests again with AddressSanitizer and
# UndefinedBehaviorSanitizer, a short fuzzing run of the settings-file reader, and all of it
# again on Debian 13 with its desktops, Wayland ones among them (scripts/test-debian13.sh; on
# Debian 13 itself the Wayland check runs here instead). Installs missing packages first. Ends
# with one line counting every test of every phase: "N passed, N failed, N skipped", after the
# time each phase took.
# KIPRUN_TEST_PHASES picks phases: unit e2e bench windows sanitize fuzz debian13 wayland.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
jobs=${KIPRUN_JOBS:-2}
if [ -z "${KIPRUN_TEST_PHASES:-}" ]; then
  if [ "$(. /etc/os-release && echo "${VERSION_CODENAME:-}")" = trixie ]; then
    KIPRUN_TEST_PHASES="unit e2e wayland bench windows sanitize fuzz"
  else
    KIPRUN_TEST_PHASES="unit e2e bench windows sanitize fuzz debian13"
  fi
fi
# phase NAME: NAME is one of the phases to run.
phase() { [[ " $KIPRUN_TEST_PHASES " == *" $1 "* ]]; }
phase_times=()
# timed NAME SINCE: notes how long phase NAME took since SINCE (date +%s).
timed() { phase_times+=("$1 $(($(date +%s) - $2)) s"); }

scripts/install-deps.sh test

# run_tests COMMAND...: runs one phase of tests (ctest, or a script that ends its output with a
# "N passed, N failed, N skipped" line), adds its counts to the totals and notes a failing phase
# without stopping the run, so the summary covers every phase.
total_passed=0 total_failed=0 total_skipped=0 failed_phases=() failed_tests=()
run_tests() {
  local log status=0 line p=0 f=0 s=0 total
  log=$(mktemp)
  "$@" 2>&1 | tee "$log" || status=$?
  # A script that counts its own tests ends with their summary line; its output may hold ctest's
  # lines too (a run of this script in another root does).
  if line=$(tail -n 1 "$log" | grep -E '^[0-9]+ passed, [0-9]+ failed, [0-9]+ skipped$'); then
    read -r p _ f _ s _ <<<"$line"
  elif line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1); then
    # ctest counts a skipped test as not failed; it is told apart by its "***Skipped" line.
    f=$(awk '{ print $4 }' <<<"$line")
    total=$(awk '{ print $NF }' <<<"$line")
    s=$(grep -c -E '\*\*\*Skipped' "$log" || true)
    p=$((total - f - s))
  elif line=$(grep -E '^[0-9]+ passed, [0-9]+ failed, [0-9]+ skipped$' "$log" | tail -1); then
    read -r p _ f _ s _ <<<"$line"
  fi
  if [ "$status" -ne 0 ]; then
    # The failing tests by name, for the summary at the end: ctest's list of them, the
    # "FAIL: ..." lines of an end-to-end test (what it saw), the "FAILED: ..." lines a script
    # prints, or those of a run of this script in another root.
    while IFS= read -r line; do
      line=${line#"${line%%[![:space:]]*}"}
      failed_tests+=("${line#failing test: }")
    done < <(grep -E '^[[:space:]]+[0-9]+ - .* \((Failed|Timeout|SEGFAULT|Not Run|Exception|Subprocess)|^(FAIL|FAILED|failing test): ' "$log" |
      grep -v -E '\(Skipped\)' || true)
  fi
  rm -f "$log"
  total_passed=$((total_passed + p)) total_failed=$((total_failed + f))
  total_skipped=$((total_skipped + s))
  if [ "$status" -ne 0 ]; then
    [ "$f" -gt 0 ] || total_failed=$((total_failed + 1))
    failed_phases+=("$*")
  fi
  return 0
}

build=${KIPRUN_BUILD_DIR:-build}
# Every option named: a value left in the cache by an earlier configure (tests switched off, say)
# would otherwise stay, and ctest would run test binaries that nothing rebuilds.
started=$(date +%s)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIPRUN_BUILD_TESTS=ON \
  -DKIPRUN_BUILD_BENCHMARKS=ON -DKIPRUN_SANITIZE=OFF >/dev/null
[ "${KIPRUN_CONFIGURE_ONLY:-}" = 1 ] && exit 0
cmake --build "$build" -j"$jobs"
timed build "$started"

if phase unit; then
  echo "== unit and integration tests (offscreen)"
  started=$(date +%s)
  QT_QPA_PLATFORM=offscreen run_tests ctest --test-dir "$build" -j"$jobs" --output-on-failure -LE 'e2e|bench'
  timed unit "$started"
fi

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
if phase e2e; then
  display=$(kiprun_free_display 91 140) || { echo "no free X display" >&2; exit 1; }
  kiprun_start_xvfb "$display"
  export DISPLAY="$display"
  unset QT_QPA_PLATFORM
  for desktop in ${KIPRUN_E2E_DESKTOPS:-none openbox xfwm4 mutter kwin}; do
    echo "== end-to-end tests on $display, desktop: $desktop"
    started=$(date +%s)
    if ! kiprun_desktop_start "$desktop"; then
      failed_phases+=("desktop $desktop did not start")
      total_failed=$((total_failed + 1))
      continue
    fi
    echo "   window manager: $(kiprun_wm_name || echo none)"
    run_tests env KIPRUN_E2E_WM="$desktop" ctest --test-dir "$build" --output-on-failure -L e2e
    kiprun_desktop_stop
    timed "e2e $desktop" "$started"
  done
  kill "$KIPRUN_XVFB_PID" 2>/dev/null || true
  wait "$KIPRUN_XVFB_PID" 2>/dev/null || true
  KIPRUN_XVFB_PID=""
  unset DISPLAY
fi

# The scene on Wayland desktops through XWayland, input through the compositor
# (tests/e2e/wayland/check-wayland.sh): where XWayland passes the input shape on (24 and later).
if phase wayland; then
  # The compositors and their tools are not in the test packages (Debian 12's cannot pass the
  # input shape on): this phase installs them itself.
  if ! scripts/install-deps.sh wayland; then
    total_failed=$((total_failed + 1))
    failed_phases+=("scripts/install-deps.sh wayland")
  fi
  for desktop in gnome-shell kwin; do
    echo "== the Wayland check, desktop: $desktop"
    started=$(date +%s)
    run_tests tests/e2e/wayland/check-wayland.sh "$desktop" "$build"
    timed "wayland $desktop" "$started"
  done
fi

if phase bench; then
  echo "== benchmarks"
  started=$(date +%s)
  QT_QPA_PLATFORM=offscreen run_tests ctest --test-dir "$build" --output-on-failure -L bench
  timed bench "$started"
fi

if phase windows; then
  echo "== the Windows program and its tests under Wine"
  started=$(date +%s)
  KIPRUN_LINUX_EXE="$(cd "$build" && pwd)/app/DskKPR" run_tests scripts/test-windows.sh
  timed windows "$started"
fi

if phase sanitize; then
  echo "== unit tests with AddressSanitizer and UndefinedBehaviorSanitizer"
  started=$(date +%s)
  san=${build}-sanitize
  cmake -S . -B "$san" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKIPRUN_SANITIZE=ON \
    -DKIPRUN_BUILD_BENCHMARKS=OFF >/dev/null
  cmake --build "$san" -j"$jobs"
  QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
    run_tests ctest --test-dir "$san" -j"$jobs" --output-on-failure -LE 'e2e|bench'
  timed sanitize "$started"
fi

if phase fuzz && [ -x tests/fuzz/run-fuzz.sh ]; then
  echo "== fuzzing the settings-file reader"
  started=$(date +%s)
  tests/fuzz/run-fuzz.sh "${build}-fuzz"
  timed fuzz "$started"
fi

if phase debian13; then
  echo "== Debian 13"
  started=$(date +%s)
  run_tests scripts/test-debian13.sh
  timed debian13 "$started"
fi
echo "== summary"
echo "phases took: $(IFS=';'; echo "${phase_times[*]}")"
[ ${#failed_phases[@]} -eq 0 ] || printf 'failed: %s\n' "${failed_phases[@]}" >&2
[ ${#failed_tests[@]} -eq 0 ] || printf 'failing test: %s\n' "${failed_tests[@]}" | head -n 40 >&2
echo "$total_passed passed, $total_failed failed, $total_skipped skipped"
[ ${#failed_phases[@]} -eq 0 ] && [ "$total_failed" -eq 0 ]
