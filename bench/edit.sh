#!/usr/bin/env bash
# The picture editor's costs on a 1024 x 1024 picture: in the core (edit_bench) a mouse move of
# a pencil stroke and of a dragged line, recording a step, undoing and redoing 1000 steps; in
# the zoom window at 8x (edit_window_bench) a mouse move with its repaint, and 1000 undos.
# Usage: bench/edit.sh [BUILD_DIR]   (a Release build is made there; default build-bench)
# Needs: cmake, ninja, g++.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}

echo "== building (Release) in $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNIX_TESTS=OFF >/dev/null
cmake --build "$build" --target edit_bench edit_window_bench -j2 >/dev/null
echo "== in the core"
"$build/bin/edit_bench"
echo
echo "== in the zoom window at 8x (offscreen)"
"$build/bin/edit_window_bench"
