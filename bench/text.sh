#!/usr/bin/env bash
# Text benchmark: the time of a whole `vornix-cli text` run (start, font, layout, output) for
# the default bitmap font, a BDF file, an outline font named as a file and one found by its
# family name through fontconfig, and a full 240 x 128 panel of text; netpbm's pbmtext drawing
# the same line in the same BDF font alongside. Then the peak memory of the largest run.
#
# Usage: bench/text.sh [BUILD_DIR]     (a Release build of vornix-cli is made there)
# Needs: cmake, ninja, g++, hyperfine, netpbm, fonts-dejavu-core, xfonts-base, time (GNU).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== building (Release) in $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNIX_TESTS=OFF >/dev/null
cmake --build "$build" --target vornix-cli -j2 >/dev/null
cli=$build/bin/vornix-cli
bdf=$root/tests/data/good/testbit.bdf
ttf=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
panel=$(printf 'Line %d: the quick brown fox\n' 1 2 3 4 5 6 7 8 9)

echo "== one line, each kind of font"
hyperfine -N --warmup 5 --runs 50 \
    "$cli text HIgl $work/default.pbm" \
    "$cli text --font $bdf HIgl $work/bdf.pbm" \
    "$cli text --font $ttf --size 20 HIgl $work/ttf.pbm" \
    "$cli text --font DejaVu\\ Sans --size 20 HIgl $work/named.pbm"
hyperfine --warmup 5 --runs 50 "echo HIgl | pbmtext -nomargins -font $bdf > $work/pbmtext.pbm"

echo "== a full panel: nine lines in 240 x 128"
hyperfine -N --warmup 5 --runs 50 \
    --command-name "default font, 9 lines" "$cli text --size-of 240x128 '$panel' $work/panel.pxl" \
    --command-name "DejaVu Sans 12, 9 lines" \
    "$cli text --font $ttf --size 12 --size-of 240x128 '$panel' $work/panel2.pxl"

echo "== peak memory (GNU time, kB)"
/usr/bin/time -f "%M kB  %e s  outline font, 200 px, a long line" \
    "$cli" text --font "$ttf" --size 200 "The quick brown fox jumps over the lazy dog" "$work/big.pbm"
