#!/usr/bin/env bash
# Import benchmark: a 4000 x 3000 photo-like picture (a smooth gradient with noise, made with
# ImageMagick) fitted into 240 x 128 with Floyd-Steinberg dithering. Times the whole command,
# `vornix-cli convert --fit fit --dither fs`, with hyperfine, and the steps inside the process
# with import_bench.
#
#   bench/import.sh              build into build-release/ (BUILD_DIR=... to change)
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

build="${BUILD_DIR:-$root/build-release}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

configure "$build" -DCMAKE_BUILD_TYPE=Release -DVORNIX_TESTS=OFF \
    >/dev/null
cmake --build "$build" --target import_bench vornix-cli -j "$jobs"
cli="$build/bin/vornix-cli"

# Grey and colour versions of the same picture: 8-bit PGM (12 MB) and 24-bit BMP (36 MB).
magick=/usr/bin/convert
"$magick" -size 3000x4000 gradient:gray15-gray85 -rotate 90 \
    \( -size 4000x3000 radial-gradient:white-black -evaluate multiply 0.35 \) \
    -compose plus -composite -attenuate 0.4 +noise Gaussian -colorspace Gray \
    -depth 8 "$work/photo.pgm"
"$magick" "$work/photo.pgm" -type TrueColor "BMP3:$work/photo.bmp"
ls -l "$work/photo.pgm" "$work/photo.bmp" | awk '{print $5, $NF}'

echo "== in the process"
"$build/bin/import_bench" "$work/photo.pgm" 30
"$build/bin/import_bench" "$work/photo.bmp" 10

echo "== the whole command"
"$cli" convert --fit fit --dither fs "$work/photo.pgm" "$work/photo.pxl"
head -1 "$work/photo.pxl"
if command -v hyperfine >/dev/null 2>&1; then
    # The plain conversion of a 240 x 128 bitmap shows what starting the program costs.
    hyperfine -N --warmup 3 --runs 30 \
        "$cli convert $root/samples/clock.bmp $work/clock.pxl" \
        "$cli convert --fit fit --dither fs $work/photo.pgm $work/a.pxl" \
        "$cli convert --fit fit --dither fs $work/photo.bmp $work/b.pxl"
else
    echo "hyperfine is not installed: only the in-process times are shown"
fi
