#!/usr/bin/env bash
# The desktop program on a large picture: an 8192 x 8192 one-bit BMP of a drawing, and the PXL
# file vornix-cli makes of it, each named on the command line. For each it prints the time
# from the start of the program to its main window on screen (start-up loads, converts and
# shows the picture before the window appears) and the peak memory (GNU time's %M), then
# closes the window with Exit (Ctrl+X). With --zoom DIR it also opens the zoom window on the
# bitmap, makes it 900 x 900 and saves a screenshot of the screen as DIR/zoom-8192.png.
#
# Usage: bench/window_large.sh [BUILD_DIR] [--zoom DIR]   (a Release build is made there)
# Needs: cmake, ninja, g++, xvfb, xdotool, imagemagick (import, /usr/bin/convert), python3,
#        time (GNU).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-release
zoom=
while [ $# -gt 0 ]; do
    case $1 in
    --zoom) zoom=$2; shift 2 ;;
    *) build=$1; shift ;;
    esac
done
work=$(mktemp -d)
xvfb=
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

echo "== building (Release) in $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target vornix vornix-cli -j2 >/dev/null

echo "== drawing an 8192 x 8192 one-bit picture"
/usr/bin/convert -size 2048x2048 xc:white -fill none -stroke black -strokewidth 12 \
    -draw "circle 1024,1024 1024,175" -draw "circle 1024,1024 1024,550" \
    -draw "rectangle 30,30 2017,2017" -draw "line 30,30 2017,2017" \
    -draw "line 2017,30 30,2017" -fill black -draw "circle 1024,1024 1024,825" \
    -fill white -stroke none -draw "polygon 1024,750 1300,1225 748,1225" \
    -fill black -draw "rectangle 1500,1500 1900,1900" -threshold 50% -depth 8 \
    "gray:$work/small.gray"
# Each pixel of the 2048 x 2048 drawing becomes 4 x 4 pixels of the bitmap (colour 0 black).
python3 - "$work/small.gray" "$work/large.bmp" <<'PY'
import struct, sys
src = open(sys.argv[1], 'rb').read()
n, k = 2048, 4
w = h = n * k
stride = (w + 31) // 32 * 4
table = [0x00, 0x0F, 0xF0, 0xFF]
rows = []
for y in range(n - 1, -1, -1):
    line = src[y * n:(y + 1) * n]
    row = bytes(table[(2 if line[i] >= 128 else 0) | (1 if line[i + 1] >= 128 else 0)]
                for i in range(0, n, 2)).ljust(stride, b'\0')
    rows.append(row * k)
pixels = b''.join(rows)
header = b'BM' + struct.pack('<IHHI', 62 + len(pixels), 0, 0, 62)
header += struct.pack('<IiiHHIIiiII', 40, w, h, 1, 1, 0, len(pixels), 2835, 2835, 2, 2)
open(sys.argv[2], 'wb').write(header + bytes([0, 0, 0, 0, 255, 255, 255, 0]) + pixels)
PY
"$build/bin/vornix-cli" convert "$work/large.bmp" "$work/large.pxl"
ls -l "$work/large.bmp" "$work/large.pxl" | awk '{print "   ", $5, "bytes", $NF}'

if [ -z "${DISPLAY:-}" ]; then
    Xvfb :57 -screen 0 1280x1024x24 >/dev/null 2>&1 &
    xvfb=$!
    export DISPLAY=:57
    sleep 1
fi
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Starts the program on a file in the background and waits for its main window: sets `wid`
# to the window's id and `shown` to the seconds from the start to the window on screen.
start() {
    local file=$1 report=$2 t0 t1
    t0=$(date +%s.%N)
    /usr/bin/time -f '%e s %M KB' -o "$report" "$build/bin/vornix" "$file" &
    program=$!
    wid=$(xdotool search --sync --onlyvisible --name '^Vornix$' | head -1)
    t1=$(date +%s.%N)
    shown=$(echo "$t1 - $t0" | bc)
}

# Exit (Ctrl+X) typed into the main window; the program ends as a user would end it.
finish() {
    xdotool windowfocus --sync "$wid" key ctrl+x
    wait "$program"
}

for name in large.bmp large.pxl; do
    start "$work/$name" "$work/time.txt"
    sleep 0.5
    finish
    printf '%-10s window with the picture after %.2f s; whole run, peak memory: %s\n' \
        "$name" "$shown" "$(cat "$work/time.txt")"
done

if [ -n "$zoom" ]; then
    start "$work/large.bmp" "$work/time.txt"
    xdotool windowfocus --sync "$wid" key ctrl+z
    viewer=$(xdotool search --sync --onlyvisible --name '^Viewer$' | head -1)
    xdotool windowsize --sync "$viewer" 900 900 windowmove "$viewer" 300 40
    sleep 1
    import -window root "$zoom/zoom-8192.png"
    echo "   screenshot: $zoom/zoom-8192.png"
    finish
fi
