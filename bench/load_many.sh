#!/usr/bin/env bash
# Many panels at once: builds a Release tree and loads a 240 x 128 picture into 1 and into 32
# pseudo-terminals read at 9600 baud, side by side (time, CPU, wake-ups, peak memory), then
# counts the wake-ups of a run that waits for new ports while none come.
#
#   bench/load_many.sh [COUNTS...]   default: 1 32 (BUILD_DIR=... to change the tree)
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

build="${BUILD_DIR:-$root/build-release}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

configure "$build" -DCMAKE_BUILD_TYPE=Release -DVORNIX_TESTS=OFF >/dev/null
cmake --build "$build" --target vornix-cli vornix-cli-load -j "$jobs"
"$build/bin/vornix-cli" convert "$root/samples/clock.bmp" "$work/clock.pxl"
bytes=$("$build/bin/vornix-cli" stream "$work/clock.pxl" | wc -c)
echo "stream bytes a panel: $bytes ($((bytes / 960)) s at 9600 baud)"
python3 "$root/bench/load_many.py" "$build/bin/vornix-cli" "$work/clock.pxl" "$bytes" "$@"
