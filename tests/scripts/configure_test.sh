#!/usr/bin/env bash
# The two README commands configure their build folders so that neither leaves the other stale:
# after scripts/run.sh has configured (even into the test command's own folder), the configure
# of scripts/run-tests.sh yields a build in which the test programs are targets again, built
# from the program's sources, so an edit to the code reaches the tests that ctest runs.
# Configures only (KIPRUN_CONFIGURE_ONLY=1), in a copy of the source tree, so nothing is built.
# Usage: configure_test.sh SOURCE_DIR
set -euo pipefail
src=${1:?source folder}
work=$(mktemp -d /tmp/kiprun-configure.XXXXXX)
trap 'rm -rf "$work"' EXIT
copy=$work/src
mkdir "$copy"
tar -C "$src" --exclude=./.git --exclude='./build*' --exclude=./.cache -cf - . | tar -C "$copy" -xf -
export KIPRUN_CONFIGURE_ONLY=1
unset KIPRUN_BUILD_DIR KIPRUN_RUN_BUILD_DIR

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

cacheValue() { # folder variable
  sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt" 2>/dev/null
}

# The test program of the sprite art, and a source of the drawing code it is built from.
testProgram=tests/shapes/shapes_tests
edited=shapes/tools/GolferSwing.cpp

# An edit to $edited reaches the test program: building it compiles that file.
checkTestsBuildFromCode() { # folder what
  local folder=$copy/$1
  [ "$(cacheValue "$folder" KIPRUN_BUILD_TESTS)" = ON ] ||
    fail "$2: $1 has KIPRUN_BUILD_TESTS=$(cacheValue "$folder" KIPRUN_BUILD_TESTS)"
  if ! ninja -C "$folder" -t query "$testProgram" >/dev/null 2>&1; then
    fail "$2: $testProgram is no target of $1/build.ninja; ctest would run a stale binary"
    return
  fi
  # Captured first: grep -q would stop reading early and, under pipefail, fail the pipe.
  local commands
  commands=$(ninja -C "$folder" -t commands "$testProgram")
  grep -qF "$copy/$edited" <<<"$commands" ||
    fail "$2: building $testProgram in $1 does not compile $edited"
}

cd "$copy"
# The worst case first: the run command pointed at the test command's folder, switching the
# tests off there, as it did when both shared build/.
KIPRUN_RUN_BUILD_DIR=build scripts/run.sh
[ "$(cacheValue build KIPRUN_BUILD_TESTS)" = OFF ] || fail "run.sh did not configure build/ for the program alone"
scripts/run-tests.sh
checkTestsBuildFromCode build "run.sh into build/, then run-tests.sh"

# The defaults: the run command has a folder of its own and leaves the test folder alone.
scripts/run.sh
[ -f build-run/CMakeCache.txt ] || fail "run.sh did not configure build-run/"
[ "$(cacheValue build-run KIPRUN_BUILD_TESTS)" = OFF ] || fail "run.sh builds the tests"
checkTestsBuildFromCode build "run-tests.sh, then run.sh"
scripts/run-tests.sh
checkTestsBuildFromCode build "run.sh, then run-tests.sh"

[ "$failures" -eq 0 ] || exit 1
echo "both commands configure what they need; $testProgram is built from $edited"
