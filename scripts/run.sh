#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on the desktop.
# It builds in a folder of its own (build-run/, or KIPRUN_RUN_BUILD_DIR), without the tests and
# benchmarks: the test command's folder keeps its own configuration, so a run never leaves it
# with test binaries that nothing rebuilds. KIPRUN_CONFIGURE_ONLY=1 stops after configuring.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
scripts/install-deps.sh run
build=${KIPRUN_RUN_BUILD_DIR:-build-run}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIPRUN_BUILD_TESTS=OFF \
  -DKIPRUN_BUILD_BENCHMARKS=OFF -DKIPRUN_SANITIZE=OFF >/dev/null
[ "${KIPRUN_CONFIGURE_ONLY:-}" = 1 ] && exit 0
cmake --build "$build" -j"${KIPRUN_JOBS:-2}" --target DskKPR
exec "$build/app/DskKPR"
