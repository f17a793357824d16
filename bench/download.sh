#!/usr/bin/env bash
# Download benchmark: builds a Release tree, runs download_bench (the real download against the
# simulated 9600-baud line) and times `vornix-cli stream` on a 240 x 128 picture with hyperfine.
# It also times `vornix-cli convert` against the same convert code linked without Qt, to show
# what linking QtCore and QtSerialPort into vornix-cli costs at start-up.
#
#   bench/download.sh              build into build-release/ (BUILD_DIR=... to change)
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

build="${BUILD_DIR:-$root/build-release}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

configure "$build" -DCMAKE_BUILD_TYPE=Release -DVORNIX_TESTS=OFF \
    >/dev/null
cmake --build "$build" --target download_bench vornix-cli -j "$jobs"
cli="$build/bin/vornix-cli"

echo "== download against the simulated line at 9600 baud, then a line held for 10 s"
"$build/bin/download_bench" --held 10

# Every wait the process makes while a line is held, counted by the kernel: two held lines of
# 10 s each (after the 2 s it takes to call a line stalled), the 10 ms tick running throughout.
if command -v strace >/dev/null 2>&1; then
    echo "== system calls that wait, during download_bench --held 10 8x1"
    strace -f -c -e trace=poll,ppoll,epoll_wait,select,pselect6 \
        "$build/bin/download_bench" --held 10 8x1 2>&1 | grep -E "calls|poll|select|total"
fi

picture="$root/samples/clock.bmp"
echo "== vornix-cli stream, 240 x 128 ($(basename "$picture") converted to PXL first)"
"$cli" convert "$picture" "$work/clock.pxl"
echo "stream bytes: $("$cli" stream "$work/clock.pxl" | wc -c)"
if command -v hyperfine >/dev/null 2>&1; then
    hyperfine -N --warmup 20 --runs 300 \
        "$cli stream $work/clock.pxl" \
        "$cli stream $picture"

    # The same convert command without Qt: every vornix-cli source but the two download
    # commands, which are replaced by stubs, linked against the image library only.
    cat >"$work/no_download.cpp" <<'EOF'
#include "commands.h"
namespace vornix::cli {
int RunStream(const std::vector<std::string>&) { return kExitFailure; }
int RunLoad(const std::vector<std::string>&) { return kExitFailure; }
} // namespace vornix::cli
EOF
    sources=()
    for source in "$root"/tools/cli/*.cpp; do
        case "$(basename "$source")" in
        stream_command.cpp | load_command.cpp) ;;
        *) sources+=("$source") ;;
        esac
    done
    if c++ -std=c++20 -O2 -I"$root/src" -I"$root/tools/cli" "${sources[@]}" \
        "$work/no_download.cpp" "$build/src/fonts/libvornix_fonts.a" \
        "$build/src/image/libvornix_image.a" $(pkg-config --libs freetype2 fontconfig zlib) \
        -o "$work/cli-no-qt" \
        2>"$work/no-qt.log"; then
        echo "== start-up: vornix-cli convert (links QtCore, QtSerialPort) vs the same without Qt"
        hyperfine -N --warmup 20 --runs 300 \
            "$cli convert $picture $work/a.pxl" \
            "$work/cli-no-qt convert $picture $work/b.pxl"
        cmp "$work/a.pxl" "$work/b.pxl"
    else
        echo "(no Qt-free convert build: $(head -1 "$work/no-qt.log"))"
    fi
else
    echo "(hyperfine not installed: no start-up timings)"
fi
