#!/usr/bin/env bash
# A photo made small, side by side in one run: the processor time (user + system), the wall
# time and the peak memory (GNU time's maximum resident set) of
#   vornix-cli convert --dither fs photo.jpg out.pxl     (fitted into 240 x 128, dithered)
#   vipsthumbnail photo.jpg --size 240x128               (a thumbnail of the same size)
# on a 4000 x 3000 JPEG made here (ImageMagick's plasma fractal, quality 90), the median of
# RUNS runs each. Target: vornix-cli takes at most a quarter of vipsthumbnail's processor time.
#
# Then two hostile JPEGs, once each, which must end at once with exit 1:
#   empty-scans.jpg   an 8192 x 8192 progressive grey JPEG of one level whose last scan (of
#                     next to no data) is repeated 5000 times
#   refined.jpg       a 1600 x 1200 progressive photo whose smallest refinement scan of AC
#                     coefficients is repeated 1000 times
# BEFORE=PATH runs another vornix-cli (an older build) on them too; every run is stopped after
# LIMIT seconds (default 900; exit 124).
#
# Usage: bench/thumbnail.sh [BUILD_DIR]   (default: build; vornix-cli is built there, Release)
#        RUNS=N bench/thumbnail.sh        (default 15)
# Needs: cmake, ninja, g++, ImageMagick (convert), GNU time, python3, cjpeg and vipsthumbnail
#        (Debian and Ubuntu: sudo apt-get install libjpeg-turbo-progs libvips-tools).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${RUNS:-15}
for tool in convert cjpeg djpeg /usr/bin/time python3 vipsthumbnail cmake; do
    if ! command -v "$tool" >/dev/null; then
        echo "thumbnail.sh: $tool is missing" >&2
        case $tool in
        vipsthumbnail) echo "thumbnail.sh: install it with: sudo apt-get install libvips-tools" >&2 ;;
        cjpeg | djpeg) echo "thumbnail.sh: install it with: sudo apt-get install libjpeg-turbo-progs" >&2 ;;
        esac
        exit 2
    fi
done

echo "== building vornix-cli (Release) in $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNIX_TESTS=OFF >/dev/null
cmake --build "$build" --target vornix-cli -j2 >/dev/null
cli=$build/bin/vornix-cli

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Runs a command RUNS times; prints the medians of its processor time (user + system) and wall
# time, taken for each run from the system's account of the ended process (wait4), as GNU time
# takes them but to the microsecond, and its peak memory as GNU time prints it.
measure() { # NAME COMMAND...
    local name=$1
    shift
    python3 - "$runs" "$name" "$@" <<'PY'
import os, statistics, subprocess, sys, time
runs, name, command = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
cpu, wall = [], []
for _ in range(runs):
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall.append(time.perf_counter() - start)
    cpu.append(usage.ru_utime + usage.ru_stime)
    if status != 0:
        sys.exit(f"{name}: exit status {status}")
print(f"  {name:<14} cpu {statistics.median(cpu) * 1000:7.1f} ms   "
      f"wall {statistics.median(wall) * 1000:7.1f} ms", end="")
open(f"cpu-{name.split()[0]}", "w").write(str(statistics.median(cpu)))
PY
    /usr/bin/time -f "   peak %M KB" "$@" 2>&1 >/dev/null | tail -1
}

echo
echo "== a 4000 x 3000 JPEG into 240 x 128, median of $runs runs"
convert -size 4000x3000 -seed 11 plasma:fractal -quality 90 photo.jpg
ls -l photo.jpg | awk '{print "  photo.jpg: " $5 " bytes"}'
measure vornix-cli "$cli" convert --dither fs photo.jpg out.pxl
measure vipsthumbnail vipsthumbnail photo.jpg --size 240x128 -o thumb.jpg
# The decoding both share: libjpeg-turbo's own, at 1/8 of the size, grey only.
measure "djpeg (floor)" djpeg -scale 1/8 -grayscale -outfile /dev/null photo.jpg
python3 - <<'PY'
ours = float(open("cpu-vornix-cli").read())
theirs = float(open("cpu-vipsthumbnail").read())
print(f"  vornix-cli / vipsthumbnail processor time: {ours / theirs:.2f} (target: at most 0.25)")
PY
"$cli" convert --dither fs photo.jpg out.pxl
head -c 20 out.pxl | head -1 | sed 's/^/  out.pxl starts: /'

echo
echo "== hostile JPEGs"
python3 -c 'import sys; sys.stdout.buffer.write(b"P5 8192 8192 255\n" + bytes([128]) * 8192 * 8192)' |
    cjpeg -grayscale -progressive -quality 90 >flat.jpg
convert -size 1600x1200 -seed 7 plasma:fractal -interlace JPEG -quality 90 refined-base.jpg
python3 - flat.jpg refined-base.jpg <<'PY'
import sys

def scans(data):
    """(start, end, Ss, Ah) of every scan: its SOS segment and the entropy-coded data after it."""
    found = []
    at = data.find(b"\xff\xda")
    while at >= 0:
        header = int.from_bytes(data[at + 2:at + 4], "big")
        end = at + 2 + header
        while not (data[end] == 0xFF and data[end + 1] not in (0x00, *range(0xD0, 0xD8))):
            end += 1
        found.append((at, end, data[at + 2 + header - 3], data[at + 2 + header - 1] >> 4))
        at = data.find(b"\xff\xda", end)
    return found

def repeat_scan(data, scan, times):
    start, end = scan[0], scan[1]
    return data[:end] + data[start:end] * times + data[end:]

flat = open(sys.argv[1], "rb").read()
open("empty-scans.jpg", "wb").write(repeat_scan(flat, scans(flat)[-1], 5000))
photo = open(sys.argv[2], "rb").read()
refinements = [s for s in scans(photo) if s[2] != 0 and s[3] != 0] # of AC coefficients
smallest = min(refinements, key=lambda s: s[1] - s[0])
open("refined.jpg", "wb").write(repeat_scan(photo, smallest, 1000))
PY
ls -l empty-scans.jpg refined.jpg | awk '{print "  " $9 ": " $5 " bytes"}'
hostile() { # LABEL CLI FILE
    /usr/bin/time -f "%U %S %e %M %x" -o run.time timeout "${LIMIT:-900}" "$2" convert \
        --dither fs "$3" out.pxl >/dev/null 2>run.err || true
    # A run that ends by a signal starts its time output with a line of its own.
    tail -1 run.time | awk -v label="$1" -v file="$3" -v said="$(head -1 run.err |
        sed 's/^vornix-cli: [^:]*: //')" '{ printf "  %-7s %-16s cpu %7.2f s   wall %7.2f s   peak %7.1f MB   exit %s: %s\n", label, file, $1 + $2, $3, $4 / 1024, $5, said }'
}
for file in empty-scans.jpg refined.jpg; do
    if [ -n "${BEFORE:-}" ]; then
        hostile before "$BEFORE" "$file"
    fi
    hostile after "$cli" "$file"
done
