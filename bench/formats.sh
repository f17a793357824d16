#!/usr/bin/env bash
# Firmware formats against PXL text, side by side in one run, on an 8192 x 8192 picture:
#   1. in the core (formats_bench): the picture written as C source (rows and pages, hex and
#      binary), as raw bytes in three layouts, and its BMP converted to PXL text, beside the
#      time of reading the BMP file itself; best of 5 runs each.
#   2. through vornix-cli, as a user runs it: convert big.bmp to .pxl, .c and .bin, and the
#      time of reading the input (cat big.bmp > /dev/null); CPU time and peak memory from GNU
#      time, best of 5.
# Usage: bench/formats.sh [BUILD_DIR]   (a Release build is made there; default build-bench)
# Needs: cmake, ninja, g++, GNU time, python3.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== building (Release) in $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNIX_TESTS=OFF >/dev/null
cmake --build "$build" --target vornix-cli formats_bench -j2 >/dev/null
cli=$build/bin/vornix-cli

echo "== in the core"
"$build/bin/formats_bench" 8192

echo
echo "== through vornix-cli (user + system CPU, best of 5; peak memory)"
# A random 8192 x 8192 one-bit picture, made as PBM and turned into a BMP by vornix-cli itself.
python3 - "$work/big.pbm" <<'PY'
import os, sys
with open(sys.argv[1], "wb") as f:
    f.write(b"P4\n8192 8192\n")
    f.write(os.urandom(8192 * 8192 // 8))
PY
"$cli" convert "$work/big.pbm" "$work/big.bmp"
measure() {
    local label=$1
    shift
    local best="" peak=0 i line cpu mem
    for i in 1 2 3 4 5; do
        line=$(/usr/bin/time -f "%U %S %M" "$@" 2>&1 >/dev/null | tail -1)
        cpu=$(awk '{printf "%.3f", $1 + $2}' <<<"$line")
        mem=$(awk '{print $3}' <<<"$line")
        if [ -z "$best" ] || awk "BEGIN {exit !($cpu < $best)}"; then best=$cpu; fi
        ((mem > peak)) && peak=$mem
    done
    printf "%-36s %8s s %10s KB\n" "$label" "$best" "$peak"
}
measure "cat big.bmp (reading the input)" cat "$work/big.bmp"
measure "vornix-cli convert big.bmp big.pxl" "$cli" convert "$work/big.bmp" "$work/out.pxl"
measure "vornix-cli convert big.bmp big.c" "$cli" convert "$work/big.bmp" "$work/out.c"
measure "vornix-cli convert big.bmp big.bin" "$cli" convert "$work/big.bmp" "$work/out.bin"
measure "  ... --layout pages-lsb big.bin" "$cli" convert --layout pages-lsb "$work/big.bmp" "$work/out.bin"
ls -l "$work"/out.* | awk '{printf "%-12s %12d bytes\n", $NF, $5}' | sed "s|$work/||"
