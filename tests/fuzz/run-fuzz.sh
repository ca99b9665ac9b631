#!/usr/bin/env bash
# Builds the settings-file fuzz target with clang's libFuzzer and runs it for a short while
# (KIPRUN_FUZZ_SECONDS, 30 by default) from the committed seeds. Exits non-zero on a crash, a
# sanitizer report or a broken invariant; the input that did it is left in BUILD_DIR.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?usage: run-fuzz.sh BUILD_DIR}
seconds=${KIPRUN_FUZZ_SECONDS:-30}
mkdir -p "$build"
build=$(cd "$build" && pwd)

clang++ -std=c++20 -g -O1 -fno-omit-frame-pointer \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$here/platform/include" -I"$here/platform/src" \
  "$here/tests/fuzz/ini_fuzz.cpp" \
  "$here/platform/src/common/ProfileText.cpp" \
  "$here/platform/src/common/Profile.cpp" \
  -o "$build/ini_fuzz"

# New inputs go to a working corpus in the build folder; the committed seeds stay as they are.
corpus="$build/ini-corpus"
mkdir -p "$corpus"
cd "$build"
./ini_fuzz -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
  -dict="$here/tests/fuzz/ini.dict" -artifact_prefix="$build/" -print_final_stats=1 \
  "$corpus" "$here/tests/fuzz/corpus/ini"
