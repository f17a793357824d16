#!/usr/bin/env bash
# Command-line benchmark, side by side in one run:
#   1. the start of a plain "vornix-cli convert clock.bmp OUT.pxl": this tree's vornix-cli
#      against the one built from BASE, the release before the photo readers were linked in
#      (target: within 10 %);
#   2. a 4000 x 3000 JPEG fitted into 240 x 128 and dithered: vornix-cli against ImageMagick
#      (/usr/bin/convert photo.jpg -resize 240x128 -dither FloydSteinberg -monochrome out.xbm);
#   3. a batch of 200 pictures (800 x 600 JPEGs) with --jobs 1 and --jobs 2;
#   4. a decompression bomb, a 30000 x 30000 PNG of about 900 KB: the time and the peak memory
#      of its refusal.
#
# Usage: bench/cli.sh [BUILD_DIR]    (Release builds are made in BUILD_DIR and BUILD_DIR-base,
#                                     the base's sources in BUILD_DIR-base-source)
#        BASE=COMMIT bench/cli.sh    compares with another commit (default 6df5816)
# Needs: cmake, ninja, g++, hyperfine, imagemagick, time (GNU), python3, git.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
base_build=$build-base
base=${BASE:-6df5816}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

release() { # SOURCE BUILD
    cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNIX_TESTS=OFF >/dev/null
    cmake --build "$2" --target vornix-cli -j2 >/dev/null
}

echo "== building (Release): this tree in $build, $base in $base_build"
release "$root" "$build"
# The base's sources stay beside its build, which remembers where they were.
rm -rf "$base_build-source"
mkdir -p "$base_build-source"
git -C "$root" archive "$base" | tar -x -C "$base_build-source"
release "$base_build-source" "$base_build"
cli=$build/bin/vornix-cli
old=$base_build/bin/vornix-cli

cd "$work"
cp "$root/samples/clock.bmp" clock.bmp
echo
echo "== 1. start of a plain convert clock.bmp (no photo formats involved)"
"$cli" convert clock.bmp new.pxl
"$old" convert clock.bmp old.pxl
cmp new.pxl old.pxl
hyperfine -N --warmup 100 --runs 2000 --style basic --export-json startup.json \
    -n "before ($base)" "$old convert clock.bmp old.pxl" \
    -n "this tree" "$cli convert clock.bmp new.pxl" >/dev/null
python3 - startup.json <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
for x in r:
    print(f"  {x['command']:<22} mean {x['mean']*1000:7.3f} ms  median {x['median']*1000:7.3f} ms"
          f"  sd {x['stddev']*1000:6.3f} ms")
print(f"  this tree / before: {r[1]['median'] / r[0]['median']:.3f} (medians)")
PY

echo
echo "== 2. a 4000 x 3000 JPEG fitted into 240 x 128 and dithered"
convert -size 4000x3000 -seed 11 plasma:fractal -quality 90 photo.jpg
ls -l photo.jpg | awk '{print "  photo.jpg: " $5 " bytes"}'
hyperfine --warmup 2 --runs 10 --style basic --export-json photo.json \
    -n vornix-cli "$cli convert --dither fs photo.jpg photo.pxl" \
    -n imagemagick "/usr/bin/convert photo.jpg -resize 240x128 -dither FloydSteinberg -monochrome out.xbm" \
    >/dev/null
python3 - photo.json <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
for x in r:
    print(f"  {x['command']:<12} mean {x['mean']*1000:8.1f} ms  sd {x['stddev']*1000:6.1f} ms"
          f"  user {x['user']*1000:7.1f} ms")
print(f"  ImageMagick / vornix-cli: {r[1]['mean'] / r[0]['mean']:.1f} x")
PY
/usr/bin/time -f "  vornix-cli peak memory: %M KB" "$cli" convert --dither fs photo.jpg photo.pxl
/usr/bin/time -f "  ImageMagick peak memory: %M KB" \
    /usr/bin/convert photo.jpg -resize 240x128 -dither FloydSteinberg -monochrome out.xbm

echo
echo "== 3. a batch of 200 pictures (800 x 600 JPEGs)"
mkdir -p batch out1 out2
convert -size 800x600 -seed 5 plasma:fractal -quality 90 batch/p000.jpg
for i in $(seq 1 199); do cp batch/p000.jpg "batch/p$(printf %03d "$i").jpg"; done
hyperfine --warmup 1 --runs 5 --style basic --export-json batch.json \
    -n "jobs 1" "$cli convert --dither fs --jobs 1 -o out1 batch/*.jpg" \
    -n "jobs 2" "$cli convert --dither fs --jobs 2 -o out2 batch/*.jpg" >/dev/null
python3 - batch.json <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
for x in r:
    print(f"  {x['command']:<9} mean {x['mean']*1000:8.1f} ms  sd {x['stddev']*1000:6.1f} ms"
          f"  ({x['mean']*1000/200:.2f} ms a picture)")
print(f"  jobs 1 / jobs 2: {r[0]['mean'] / r[1]['mean']:.2f}")
PY
ls out1 | wc -l | awk '{print "  outputs: " $1}'

echo
echo "== 4. a decompression bomb: a 30000 x 30000 PNG"
python3 - bomb.png <<'PY'
import struct, sys, zlib
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
side = 30000
deflate = zlib.compressobj(9)
row = bytes(side + 1)  # filter 0, then black pixels
body = b"".join(deflate.compress(row) for _ in range(side)) + deflate.flush()
with open(sys.argv[1], "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 0, 0, 0, 0))
            + chunk(b"IDAT", body) + chunk(b"IEND", b""))
PY
ls -l bomb.png | awk '{print "  bomb.png: " $5 " bytes"}'
/usr/bin/time -f "  refused in %e s, peak memory %M KB" "$cli" convert --dither fs bomb.png bomb.pxl \
    2>&1 | sed 's/^/  /' || true
hyperfine -N -i --warmup 3 --runs 50 --style basic --export-json bomb.json \
    "$cli convert --dither fs bomb.png bomb.pxl" >/dev/null 2>&1
python3 - bomb.json <<'PY'
import json, sys
x = json.load(open(sys.argv[1]))["results"][0]
print(f"  refusal: mean {x['mean']*1000:.1f} ms, max {max(x['times'])*1000:.1f} ms over {len(x['times'])} runs")
PY
