#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer, and
# runs the whole test suite offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=${TRELVO_TEST_BUILD_DIR:-build-tests}
# Let compiler caches hit across checkouts in other folders (CI clones anew every time).
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
jobs=${TRELVO_JOBS:-$(nproc)}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRELVO_SANITIZE=ON \
      -DTRELVO_BUILD_TESTS=ON -DTRELVO_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$jobs"

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$jobs" "$@"
