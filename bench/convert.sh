#!/usr/bin/env bash
# Conversion benchmark. On generated 1-bit pictures of 240 x 128, 2048 x 2048 and 8192 x 8192,
# in both directions (BMP -> PXL, PXL -> BMP), measures side by side with hyperfine:
#   vornix-cli convert, and the same convert code built without Qt;
#   netpbm (bmptopnm | pbmtoxbm, and back with xbmtopbm | ppmtobmp);
#   ImageMagick (/usr/bin/convert to XBM and back; at 8192 x 8192 it needs a raised resource
#     policy and about 45 s, so it is timed there once, with GNU time, outside hyperfine);
#   convert_floor, a bare C program that reads the file and writes the same bytes through a
#     lookup table.
# Then peak memory (GNU time), and the start of a small conversion: vornix-cli against the same
# command sources linked here by hand without any Qt library, which shows any start-up cost
# that vornix-cli's own link brings.
#
# Usage: bench/convert.sh [BUILD_DIR]     (a Release build of vornix-cli is made there)
# Needs: cmake, ninja, g++, gcc, hyperfine, netpbm, imagemagick, time (GNU), python3.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== building (Release) in $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNIX_TESTS=OFF >/dev/null
cmake --build "$build" --target vornix-cli vornix_image -j2 >/dev/null
cli=$build/bin/vornix-cli
floor=$work/convert_floor
noqt=$work/vornix-cli-noqt
gcc -O3 -o "$floor" "$root/bench/convert_floor.c"
# The same command sources without the ones that need Qt (the download), and without main.cpp.
noqt_sources=()
for source in "$root"/tools/cli/*.cpp "$root"/tools/cli/platform/posix/*.cpp; do
    [ "$(basename "$source")" = main.cpp ] && continue
    grep -qE '#include ("download/|<Q)' "$source" && continue
    noqt_sources+=("$source")
done
# load_exec.cpp finds the download helper relative to the program, as the build tells it.
g++ -std=c++20 -O3 -DNDEBUG -DVORNIX_LIBEXEC_FROM_BIN='"../libexec/vornix"' \
    -I"$root/src" -I"$root/tools/cli" -I"$build/generated" -o "$noqt" \
    "$root/bench/convert_noqt_main.cpp" "${noqt_sources[@]}" "$build/src/fonts/libvornix_fonts.a" \
    "$build/src/image/libvornix_image.a" -lpng16 -ljpeg -lgif -lwebp \
    $(pkg-config --libs freetype2 fontconfig zlib) -lpthread -lm

# ImageMagick's stock policy stops at 256 MiB of pixel cache: raised for the big picture only.
policy=$work/magick
mkdir -p "$policy"
cat >"$policy/policy.xml" <<'XML'
<policymap>
  <policy domain="resource" name="memory" value="2GiB"/>
  <policy domain="resource" name="map" value="4GiB"/>
  <policy domain="resource" name="area" value="2GP"/>
  <policy domain="resource" name="disk" value="8GiB"/>
</policymap>
XML

sizes=(240x128 2048x2048 8192x8192)
cd "$work"
echo "== pictures"
for size in "${sizes[@]}"; do
    "$floor" gen "${size%x*}" "${size#*x}" 20240607 "$size.bmp"
    "$floor" bmp2pxl "$size.bmp" "$size.pxl"
    bmptopnm -quiet "$size.bmp" | pbmtoxbm >"$size.xbm"
    # vornix-cli must write exactly what the floor writes, both ways.
    "$cli" convert "$size.bmp" check.pxl && cmp "$size.pxl" check.pxl
    "$floor" pxl2bmp "$size.pxl" floor.bmp && "$cli" convert "$size.pxl" check.bmp &&
        cmp floor.bmp check.bmp
    printf '%-10s bmp %9d bytes, pxl %9d bytes: vornix-cli = floor, both ways\n' "$size" \
        "$(stat -c %s "$size.bmp")" "$(stat -c %s "$size.pxl")"
done

runs_for() { [ "$1" = 240x128 ] && echo "--runs 200 --warmup 20" || echo "--min-runs 10 --warmup 2"; }

echo "== timings"
for size in "${sizes[@]}"; do
    magick_to=(); magick_from=()
    if [ "$size" != 8192x8192 ]; then
        magick_to=(-n imagemagick "/usr/bin/convert $size.bmp out.xbm")
        magick_from=(-n imagemagick "/usr/bin/convert $size.xbm out.bmp")
    fi
    # One shell for every command (hyperfine subtracts its start-up), since netpbm is a pipe.
    # shellcheck disable=SC2046
    hyperfine $(runs_for "$size") --style basic --export-json "to-pxl-$size.json" \
        -n vornix-cli "$cli convert $size.bmp out.pxl" \
        -n without-qt "$noqt convert $size.bmp out.pxl" \
        -n floor "$floor bmp2pxl $size.bmp out.pxl" \
        -n netpbm "bmptopnm -quiet $size.bmp | pbmtoxbm > out.xbm" \
        "${magick_to[@]}" >/dev/null
    # shellcheck disable=SC2046
    hyperfine $(runs_for "$size") --style basic --export-json "to-bmp-$size.json" \
        -n vornix-cli "$cli convert $size.pxl out.bmp" \
        -n without-qt "$noqt convert $size.pxl out.bmp" \
        -n floor "$floor pxl2bmp $size.pxl out.bmp" \
        -n netpbm "xbmtopbm $size.xbm | ppmtobmp > out.bmp 2>/dev/null" \
        "${magick_from[@]}" >/dev/null
done

echo "== peak memory and the ImageMagick runs at 8192 x 8192"
measure() { # name direction size command...: one run, "seconds KiB" appended to memory.txt
    local name=$1 direction=$2 size=$3
    shift 3
    /usr/bin/time -f "%e %M" -o one.txt "$@" >/dev/null 2>&1
    echo "$name $direction $size $(cat one.txt)" >>memory.txt
}
for size in "${sizes[@]}"; do
    measure vornix-cli to-pxl "$size" "$cli" convert "$size.bmp" out.pxl
    measure floor to-pxl "$size" "$floor" bmp2pxl "$size.bmp" out.pxl
    measure netpbm to-pxl "$size" sh -c "bmptopnm -quiet $size.bmp | pbmtoxbm > out.xbm"
    measure vornix-cli to-bmp "$size" "$cli" convert "$size.pxl" out.bmp
    measure floor to-bmp "$size" "$floor" pxl2bmp "$size.pxl" out.bmp
    measure netpbm to-bmp "$size" sh -c "xbmtopbm $size.xbm | ppmtobmp > out.bmp 2>/dev/null"
    if [ "$size" = 8192x8192 ]; then
        export MAGICK_CONFIGURE_PATH=$policy
    fi
    measure imagemagick to-pxl "$size" /usr/bin/convert "$size.bmp" out.xbm
    measure imagemagick to-bmp "$size" /usr/bin/convert "$size.xbm" out.bmp
    unset MAGICK_CONFIGURE_PATH
done

echo "== start-up: vornix-cli (Qt linked) against the same convert code without Qt, 240 x 128"
hyperfine -N --runs 1000 --warmup 50 --style basic --export-json startup.json \
    -n vornix-cli "$cli convert 240x128.bmp out.pxl" \
    -n without-qt "$noqt convert 240x128.bmp out.pxl" >/dev/null

python3 "$root/bench/convert_table.py" "$work"
