#!/usr/bin/env bash
# Feeds hostile inputs to vornix-cli and to the desktop program and prints, for each run, its
# outcome, peak memory (GNU time's maximum resident set) and time, and what it wrote:
#   z.bmp, z.pxl   links to /dev/zero
#   big.pxl        a 1 GB sparse file (all zeros)
#   x.pxl          a FIFO nobody writes to
#   t.pxl          the 18 bytes "@,32760,32767,-1"
#   claim.bmp      100 bytes whose header claims a 100000 x 100000 one-bit picture
# The targets: every run ends (or, for the desktop program, shows its outcome) within 1 s,
# peaks below 64 MB, and writes nothing but what the user asked for.
#
# The desktop program runs under Xvfb from a private program folder (its working files go
# there) with a private runtime folder (its lock file). Its outcome is the set of windows it
# shows, read with xdotool: a "File Error" box is a refusal; "Vornix" alone is the main window.
# It is then ended with SIGTERM; its time is the time until the windows were shown.
#
# Usage: bench/hostile.sh [BUILD_DIR]   (default: build, a Release build of vornix, vornix-cli)
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
cli="$build/bin/vornix-cli"
desktop="$build/bin/vornix"
for tool in "$cli" "$desktop" /usr/bin/time Xvfb xdotool python3; do
    if ! command -v "$tool" >/dev/null; then
        echo "hostile.sh: $tool is missing" >&2
        exit 2
    fi
done

work="$(mktemp -d)"
meta="$work/meta" # the measurements' own files, not looked at for what a run wrote
mkdir -p "$meta"
xvfb=""
cleanup() {
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null
        wait "$xvfb" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

inputs="$work/inputs"
mkdir -p "$inputs"
ln -s /dev/zero "$inputs/z.bmp"
ln -s /dev/zero "$inputs/z.pxl"
truncate -s 1G "$inputs/big.pxl"
mkfifo "$inputs/x.pxl"
printf '@,32760,32767,-1' >"$inputs/t.pxl"
python3 - "$inputs/claim.bmp" <<'PY'
import struct, sys
header = struct.pack("<2sIHHIIiiHHIIiiII", b"BM", 100, 0, 0, 62, 40, 100000, 100000, 1, 1,
                     0, 0, 0, 0, 0, 0)
data = header + b"\0\0\0\0\xff\xff\xff\0"
data += b"\xaa" * (100 - len(data))
open(sys.argv[1], "wb").write(data)
PY

# Every file outside the measurements' own folder that is new or changed since the stamp,
# with its size; "nothing" when there is none.
written() {
    local found
    found="$(find "$work" -path "$meta" -prune -o -newer "$meta/stamp" -type f \
        -printf '%P (%s B) ' 2>/dev/null)"
    echo "${found:-nothing}"
}

seconds_since() {
    awk -v start="$1" -v now="$EPOCHREALTIME" 'BEGIN { printf "%.3f", now - start }'
}

printf '%-26s %-9s %7s %9s  %-58s %s\n' "RUN" "INPUT" "TIME s" "PEAK MB" "OUTCOME" "WROTE"

# vornix-cli: exit status and the first line of its message.
out="$work/out"
mkdir -p "$out"
for input in z.bmp z.pxl big.pxl x.pxl t.pxl claim.bmp; do
    case "$input" in
    *.bmp) target="$out/result.pxl" ;;
    *) target="$out/result.bmp" ;;
    esac
    for command in convert info; do
        args=("$command" "$inputs/$input")
        [ "$command" = convert ] && args+=("$target")
        rm -rf "${out:?}"/*
        touch "$meta/stamp"
        sleep 0.01
        start="$EPOCHREALTIME"
        /usr/bin/time -f %M -o "$meta/mem" timeout 10 "$cli" "${args[@]}" \
            >"$meta/stdout" 2>"$meta/stderr"
        status=$?
        took="$(seconds_since "$start")"
        peak="$(awk 'END { printf "%.1f", $1 / 1024 }' "$meta/mem")"
        message="$(head -n 1 "$meta/stderr")"
        [ -z "$message" ] && message="$(head -n 1 "$meta/stdout")"
        [ "$status" = 124 ] && message="still running after 10 s: killed"
        printf '%-26s %-9s %7s %9s  %-58s %s\n' "vornix-cli $command" "$input" "$took" \
            "$peak" "exit $status: ${message:0:50}" "$(written)"
    done
done

# The desktop program under Xvfb.
display=":$((90 + RANDOM % 400))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 0.5
export DISPLAY="$display"
unset QT_QPA_PLATFORM

# The visible windows of a process, by title, joined by " + ".
windows_of() {
    local pid="$1" id names=""
    for id in $(xdotool search --all --pid "$pid" --onlyvisible --name '' 2>/dev/null); do
        names+="$(xdotool getwindowname "$id" 2>/dev/null) + "
    done
    echo "${names% + }"
}

for input in z.bmp z.pxl big.pxl x.pxl t.pxl claim.bmp; do
    program="$work/program"
    runtime="$work/runtime"
    rm -rf "$program" "$runtime"
    mkdir -p "$program" "$runtime"
    chmod 700 "$runtime"
    cp "$desktop" "$program/vornix"
    touch "$meta/stamp"
    sleep 0.01
    start="$EPOCHREALTIME"
    XDG_RUNTIME_DIR="$runtime" /usr/bin/time -f %M -o "$meta/mem" \
        "$program/vornix" "$inputs/$input" >/dev/null 2>&1 &
    timer=$!
    pid=""
    shown=""
    took=""
    for _ in $(seq 250); do
        [ -z "$pid" ] && pid="$(pgrep -P "$timer" | head -n 1)"
        if [ -n "$pid" ]; then
            shown="$(windows_of "$pid")"
            if [ -n "$shown" ]; then
                took="$(seconds_since "$start")"
                break
            fi
        fi
        if ! kill -0 "$timer" 2>/dev/null; then
            took="$(seconds_since "$start")"
            shown="ended by itself"
            break
        fi
        sleep 0.02
    done
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        sleep 0.3 # a box shown first may be followed by more windows
        shown="$(windows_of "$pid")"
        kill "$pid" 2>/dev/null
    fi
    wait "$timer" 2>/dev/null
    [ -z "$took" ] && took="> 5" && shown="no window after 5 s"
    peak="$(awk '/^[0-9]+$/ { kb = $1 } END { printf "%.1f", kb / 1024 }' "$meta/mem")"
    printf '%-26s %-9s %7s %9s  %-58s %s\n' "vornix (desktop, Xvfb)" "$input" "$took" "$peak" \
        "windows: ${shown:0:49}" "$(written | sed 's|program/vornix ([0-9]* B) ||')"
done
