#!/usr/bin/env bash
# Installs what is missing, builds the editor and opens it on the bundled sample network. On a machine
# without a display it says so and writes a screenshot instead.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=${TRELVO_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRELVO_BUILD_TESTS=OFF \
      -DTRELVO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target trelvo-edit

sample=${1:-samples/district.trva}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    out=${TRELVO_SCREENSHOT:-$build/screenshot.png}
    echo "No display found: writing a screenshot of $sample to $out instead."
    "$build/bin/trelvo-edit" "$sample" --screenshot "$out"
    exit 0
fi
exec "$build/bin/trelvo-edit" "$sample"
