#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on the desktop.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
scripts/install-deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIPRUN_BUILD_TESTS=OFF \
  -DKIPRUN_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build -j"${KIPRUN_JOBS:-2}" --target DskKPR
exec build/app/DskKPR
