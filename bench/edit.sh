#!/usr/bin/env bash
# The picture editor's costs on a 1024 x 1024 picture (edit_bench): a mouse move of a pencil
# stroke and of a dragged line, recording a step, undoing and redoing 1000 steps.
# Usage: bench/edit.sh [BUILD_DIR]   (a Release build is made there; default build-bench)
# Needs: cmake, ninja, g++.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}

echo "== building (Release) in $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNIX_TESTS=OFF >/dev/null
cmake --build "$build" --target edit_bench -j2 >/dev/null
"$build/bin/edit_bench"
