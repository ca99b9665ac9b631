#!/usr/bin/env bash
# Builds the Windows program with MinGW-w64 (one 32-bit .exe that imports only system DLLs)
# and tests it under Wine on a private Xvfb server: the unit tests of the game, the toolkit and
# the Win32 backend, then a smoke test of the real .exe played as a person would (shaped scene,
# colour menu and settings file, a whole shot ending in a balloon and a reset, exit).
# Installs what is missing first (with sudo when not root), 32-bit Wine included.
#
# Without the 32-bit Wine (it cannot be installed: its i386 libraries are missing while a
# mirror syncs, say) the build and the checks of the 32-bit .exe still run, and its tests run
# on the 64-bit build of the same sources under the 64-bit Wine, as on the host below.
#
# A host that cannot execute 32-bit code at all (some virtual machines have no 32-bit user
# mode, so no Wine can start a 32-bit program there) still builds and checks the 32-bit .exe,
# and runs the same tests on the 64-bit build of the same sources under the 64-bit Wine.
#
# Run by scripts/run-tests.sh; its last line counts the tests ("N passed, N failed, N skipped").
#
# Environment: KIPRUN_JOBS (default 2), KIPRUN_WIN32_BUILD_DIR (default build-win32),
# KIPRUN_WIN32_DISPLAYS (the X display numbers to pick a free one from, default "40 89"),
# KIPRUN_LINUX_EXE (the Linux build's program: its scene is compared with the Windows one's).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
jobs=${KIPRUN_JOBS:-2}
out=${KIPRUN_WIN32_BUILD_DIR:-build-win32}
mkdir -p "$out"
out=$(cd "$out" && pwd)

# ---- packages
# apt-get update is tried a few times and goes on without a list it cannot fetch
# (scripts/apt-lib.sh). What the 64-bit path needs (both compilers, the 64-bit Wine) must
# install; the 32-bit Wine is tried on its own, and without it the tests run on the 64-bit build.
# shellcheck source=apt-lib.sh
. "$here/scripts/apt-lib.sh"
installed() { [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]; }
packages=(mingw-w64-tools googletest cmake ninja-build g++ pkg-config zlib1g-dev libx11-dev
  libxext-dev xvfb xauth xdotool x11-utils imagemagick fonts-ipafont-gothic
  fonts-ipafont-mincho fonts-urw-base35 wine wine64 g++-mingw-w64-x86-64-posix)
missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
installed g++-mingw-w64-i686-posix || installed g++-mingw-w64-i686 || missing+=(g++-mingw-w64-i686-posix)
wine32_missing=""
installed wine32:i386 || wine32_missing=wine32:i386
# Why the 32-bit Wine is not there to run the tests, when it could not be installed.
no_wine32=""
if [ ${#missing[@]} -gt 0 ] || [ -n "$wine32_missing" ]; then
  echo "== installing: ${missing[*]} $wine32_missing"
  if [ -n "$wine32_missing" ] &&
    ! [[ "$(dpkg --print-foreign-architectures)" =~ (^|$'\n')i386($|$'\n') ]]; then
    kiprun_as_root dpkg --add-architecture i386 ||
      no_wine32="wine32:i386 cannot be installed: dpkg does not take the i386 architecture"
  fi
  kiprun_apt_update
  [ ${#missing[@]} -eq 0 ] || kiprun_apt_install_needed "${missing[@]}" || exit 1
  if [ -n "$wine32_missing" ] && [ -z "$no_wine32" ] && ! kiprun_apt_install wine32:i386; then
    no_wine32="wine32:i386 cannot be installed ($KIPRUN_APT_ERROR"
    [ -z "$KIPRUN_APT_FAILED_LISTS" ] ||
      no_wine32+="; apt-get update could not fetch $KIPRUN_APT_FAILED_LISTS"
    no_wine32+=")"
  fi
fi

# ---- tools that run on the build machine
echo "== native tools (shape derivation, X readback)"
cmake -S tests/win32/host-tools -B "$out/host-tools" -G Ninja >/dev/null
cmake --build "$out/host-tools" --target kiprun-derive-shapes kiprun-xshape -j"$jobs" >/dev/null
xshape=$out/host-tools/kiprun-xshape

# ---- GoogleTest and the program for one MinGW-w64 target
build_googletest() {
  local triplet=$1 dir=$out/googletest-${1%%-*}
  [ -f "$dir/install/lib/cmake/GTest/GTestConfig.cmake" ] && return 0
  cmake -S /usr/src/googletest -B "$dir/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-i686.cmake" -DKIPRUN_MINGW_TRIPLET="$triplet" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$dir/install" >/dev/null
  cmake --build "$dir/build" -j"$jobs" >/dev/null
  cmake --install "$dir/build" >/dev/null
}

test_targets=(win32_backend_tests game_tests toolkit_tests)
# build_program TRIPLET tests|no-tests
build_program() {
  local triplet=$1 dir=$out/${1%%-*} with_tests=ON
  if [ "$2" = tests ]; then
    build_googletest "$triplet"
  else
    with_tests=OFF
  fi
  cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-i686.cmake" \
    -DKIPRUN_MINGW_TRIPLET="$triplet" -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DKIPRUN_HOST_TOOLS_DIR="$out/host-tools" -DKIPRUN_BUILD_TESTS=$with_tests \
    -DKIPRUN_BUILD_BENCHMARKS=OFF \
    -DGTest_DIR="$out/googletest-${triplet%%-*}/install/lib/cmake/GTest" >/dev/null
  cmake --build "$dir" --target DskKPR -j"$jobs"
  [ "$with_tests" = ON ] || return 0
  # Every test target is tried; one that does not build for Windows is reported at the end.
  for t in "${test_targets[@]}"; do
    if ! cmake --build "$dir" --target "$t" -j"$jobs" >"$dir/build-$t.log" 2>&1; then
      grep -E "error" "$dir/build-$t.log" | head -5 >&2 || true
      failures+=("$t does not build for ${triplet%%-*} (see $dir/build-$t.log)")
    fi
  done
}

# ---- where the tests run: the 32-bit program itself where the host can execute it, else the
# 64-bit build of the same sources (the 32-bit test programs would be built for nothing).
if [ -n "$no_wine32" ]; then
  run_arch=x86_64
  loader=/usr/lib/wine/wine64
  echo "== $no_wine32; the tests run on the 64-bit build of the same sources"
elif why=$(/usr/lib/wine/wine --version 2>&1); then
  run_arch=i686
  loader=/usr/lib/wine/wine
else
  run_arch=x86_64
  loader=/usr/lib/wine/wine64
  # bash's own message, without its "script: line N:" prefix.
  why=$(tr '\n' ' ' <<<"$why" | sed 's/^.*line [0-9]*: //; s/ *$//')
  echo "== this host cannot execute 32-bit code (/usr/lib/wine/wine --version: ${why:-no output}); the tests run on the 64-bit build of the same sources"
fi

failures=()
echo "== the 32-bit program"
if [ "$run_arch" = i686 ]; then build_program i686-w64-mingw32 tests; else build_program i686-w64-mingw32 no-tests; fi
exe=$out/i686/app/DskKPR.exe
size=$(stat -c %s "$exe")
format=$(i686-w64-mingw32-objdump -f "$exe" | awk '/file format/ { print $NF }')
dlls=$(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ { print $3 }' | sort | tr '\n' ' ')
echo "$exe: $size bytes, $format, imports: $dlls"
[ "$format" = "pei-i386" ] || failures+=("$exe is not a 32-bit Windows program ($format)")
for dll in $dlls; do
  case "${dll,,}" in
    kernel32.dll | user32.dll | gdi32.dll | msvcrt.dll | advapi32.dll | shell32.dll) ;;
    *) failures+=("$exe imports $dll, which is not a system DLL") ;;
  esac
done
headers=$(i686-w64-mingw32-objdump -p "$exe")
resources=$(awk '/Resource Directory/ { print $4; exit }' <<<"$headers")
[ -n "$resources" ] && [ "$resources" != "00000000" ] ||
  failures+=("$exe carries no resources (icon, version information)")
[ "$size" -lt 1048576 ] || echo "note: the .exe is $size bytes, above the 1 MB target"

if [ "$run_arch" = x86_64 ]; then
  echo "== the 64-bit program and the tests"
  build_program x86_64-w64-mingw32 tests
fi
run_dir=$out/$run_arch

# ---- a private X server and a Wine prefix of this run
# shellcheck source=../tests/e2e/game/scene-lib.sh
. "$here/tests/e2e/game/scene-lib.sh"
KIPRUN_XVFB_PID=""
prefix=$(mktemp -d /tmp/kiprun-wineprefix-XXXXXX)
cleanup() {
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -n "$KIPRUN_XVFB_PID" ] && kill "$KIPRUN_XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT
read -r first_display last_display <<<"${KIPRUN_WIN32_DISPLAYS:-40 89}"
display=$(kiprun_free_display "$first_display" "$last_display") || { echo "no free X display" >&2; exit 1; }
kiprun_start_xvfb "$display"
export DISPLAY=$display WINEPREFIX=$prefix WINEDEBUG=-all WINELOADER=$loader
export WINEDLLOVERRIDES="mscoree,mshtml="
echo "== Wine prefix $prefix on $display"
# The menu and message-box face of a fresh prefix has no Japanese glyphs; a Japanese system
# has them, so the prefix gets a face that does. Wine's first start in a prefix now and then
# fails on a busy machine (once in a CI run, with no word of why): the prefix is made anew and
# tried again, three times at most, and a failure says so instead of ending the script silently.
prefix_ready=""
for attempt in 1 2 3; do
  if "$loader" wineboot -i >/dev/null 2>&1 &&
    "$loader" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Tahoma /d IPAPGothic /f \
      >/dev/null 2>&1 &&
    "$loader" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Shell Dlg' /d IPAPGothic /f \
      >/dev/null 2>&1; then
    prefix_ready=1
    break
  fi
  echo "== Wine could not set up its prefix (try $attempt of 3)"
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  sleep 2
  rm -rf "$prefix" && mkdir -p "$prefix"
done
if [ -z "$prefix_ready" ]; then
  echo "Wine could not set up a prefix in three tries"
  echo "0 passed, 1 failed, 0 skipped"
  exit 1
fi
"$loader" wineboot -s >/dev/null 2>&1 || true
# One server for all test processes of this run (it may be up already).
/usr/lib/wine/wineserver -p || true

# The test programs run straight under Wine: test discovery through ctest would start Wine once
# per test and time out on a busy machine.
echo "== unit tests under Wine ($run_arch)"
passed=0
failed=0
skipped=0
for t in "${test_targets[@]}"; do
  test_exe=$(find "$run_dir/tests" -name "$t.exe" -print -quit)
  [ -n "$test_exe" ] || continue
  log=$run_dir/$t-wine.log
  echo "-- $t"
  status=0
  (cd "$(dirname "$test_exe")" && timeout 1200 "$loader" "$test_exe" --gtest_color=no) \
    >"$log" 2>&1 || status=$?
  tr -d '\r' <"$log" | grep -E '^\[  (PASSED|FAILED) |^\[==========\] [0-9]+ tests? from' || true
  n=$(tr -d '\r' <"$log" | awk '/^\[  PASSED  \] [0-9]+ test/ { print $4 }')
  f=$(tr -d '\r' <"$log" | awk '/^\[  FAILED  \] [0-9]+ test/ { print $4 }')
  s=$(tr -d '\r' <"$log" | awk '/^\[  SKIPPED \] [0-9]+ test/ { print $4 }')
  passed=$((passed + ${n:-0}))
  failed=$((failed + ${f:-0}))
  skipped=$((skipped + ${s:-0}))
  if [ "$status" -ne 0 ]; then
    # A program that ended without its own count (a crash, a timeout) counts as one failure.
    [ -n "$f" ] || failed=$((failed + 1))
    tr -d '\r' <"$log" | grep -B2 -A12 'Failure' | head -60 >&2 || true
    failures+=("$t under Wine (exit status $status, log $log)")
  fi
done
echo "unit tests under Wine: $passed passed, $failed failed, $skipped skipped"

# The smoke test at 96 dpi, then on denser screens: at 144 dpi the program keeps one screen
# pixel per pixel of its own, at 192 dpi it shows each as 2 x 2 (the sprites and window shapes
# twice as large, pixel for pixel). Wine takes the DPI from the user's LogPixels value.
shots=$out/screenshots
for dpi in 96 144 192; do
  echo "== smoke test of the .exe under Wine ($run_arch) at $dpi dpi"
  "$loader" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    >/dev/null 2>&1
  # A new server reads the value afresh.
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  /usr/lib/wine/wineserver -w 2>/dev/null || true
  /usr/lib/wine/wineserver -p || true
  if tests/win32/wine-smoke-test.sh "$run_dir/app/DskKPR.exe" "$shots/dpi-$dpi" "$loader" \
    "$xshape" $((dpi / 96)); then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    failures+=("smoke test under Wine at $dpi dpi")
  fi
done
echo "screenshots: $shots/dpi-{96,144,192}"

# With a Linux build at hand, the start-up scenes of both at 96, 144 and 192 dpi, compared.
if [ -n "${KIPRUN_LINUX_EXE:-}" ]; then
  echo "== the scene under Wine and on Linux, compared"
  # A probe of this Wine's drawing of narrow shaped windows, built for the same architecture.
  probe=$out/shaped-window-probe-$run_arch.exe
  "$run_arch-w64-mingw32-g++" -O2 -static -mwindows tests/win32/shaped-window-probe.cpp \
    -o "$probe" || probe=""
  compare_log=$out/compare-with-linux.log
  if [ -x "$KIPRUN_LINUX_EXE" ] && tests/win32/compare-with-linux.sh "$KIPRUN_LINUX_EXE" \
    "$run_dir/app/DskKPR.exe" "$loader" "$xshape" "$out/compare-with-linux" ${probe:+"$probe"} |
    tee "$compare_log"; then
    passed=$((passed + 1))
    skipped=$((skipped + $(grep -c '^skipped:' "$compare_log" || true)))
  else
    failed=$((failed + 1))
    failures+=("the scene under Wine differs from Linux (see $out/compare-with-linux)")
  fi
fi

echo "== summary"
echo "32-bit program: $exe, $size bytes, imports: $dlls"
echo "tests ran on the $run_arch build under $loader"
# The last line counts the tests of this script, for the test command's summary.
if [ ${#failures[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failures[@]}" >&2
  [ "$failed" -gt 0 ] || failed=1
  echo "$passed passed, $failed failed, $skipped skipped"
  exit 1
fi
echo "$passed passed, $failed failed, $skipped skipped"
