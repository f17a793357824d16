#!/usr/bin/env bash
# Where OUTPUT goes, and what it costs: vornix-cli convert of an 8192 x 8192 one-bit bitmap
# (8 MB in, 42 MB of PXL text out) to a new regular file, over an existing file (rename), over a
# hard-linked file (written in place from a complete copy), through a symbolic link, to
# /dev/null, and through a pipe. Prints wall time and peak memory (GNU time) of each, best of
# three runs.
#
# Usage: bench/output_paths.sh [BUILD_DIR]     (a Release build of vornix-cli is made there)
# Needs: cmake, ninja, g++, python3, time (GNU).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNIX_TESTS=OFF >/dev/null
cmake --build "$build" --target vornix-cli -j2 >/dev/null
cli=$build/bin/vornix-cli

python3 - "$work/big.bmp" <<'PY'
import random, struct, sys
side = 8192
row = side // 8
pixels = random.Random(8).randbytes(row * side)
header = b"BM" + struct.pack("<IHHI", 62 + len(pixels), 0, 0, 62)
header += struct.pack("<iiiHHIIiiII", 40, side, side, 1, 1, 0, len(pixels), 0, 0, 0, 0)
open(sys.argv[1], "wb").write(header + bytes.fromhex("00000000ffffff00") + pixels)
PY

# Runs "$@" three times under GNU time; prints the fastest run's seconds and its peak memory.
best() {
    local fastest=""
    for _ in 1 2 3; do
        local line
        line=$( { /usr/bin/time -f '%e %M' "$@" >/dev/null; } 2>&1 | tail -n 1)
        if [ -z "$fastest" ] || awk -v a="${line%% *}" -v b="${fastest%% *}" 'BEGIN{exit !(a<b)}'; then
            fastest=$line
        fi
    done
    echo "$fastest"
}

row() {
    local label=$1
    shift
    read -r seconds kilobytes < <(best "$@")
    printf '%-34s %8s s %10s KB\n' "$label" "$seconds" "$kilobytes"
}

echo "vornix-cli convert big.bmp OUTPUT (8192 x 8192, 1 bit), best of 3"
row "new regular file" sh -c "rm -f '$work/new.pxl'; exec '$cli' convert '$work/big.bmp' '$work/new.pxl'"
"$cli" convert "$work/big.bmp" "$work/old.pxl"
row "existing file (replaced)" "$cli" convert "$work/big.bmp" "$work/old.pxl"
ln -f "$work/old.pxl" "$work/other.pxl"
row "hard-linked file (in place)" "$cli" convert "$work/big.bmp" "$work/old.pxl"
ln -s old.pxl "$work/link.pxl"
row "symbolic link" "$cli" convert "$work/big.bmp" "$work/link.pxl"
row "/dev/null" "$cli" convert "$work/big.bmp" /dev/null
row "pipe (/dev/stdout | cat)" sh -c "'$cli' convert '$work/big.bmp' /dev/stdout | cat >/dev/null"
cmp -s "$work/new.pxl" "$work/other.pxl" || { echo "in-place output differs" >&2; exit 1; }
