#!/usr/bin/env python3
"""Prints the tables of bench/convert.sh from the measurements it left in a folder."""
import json
import os
import sys

work = sys.argv[1]
SIZES = ["240x128", "2048x2048", "8192x8192"]
DIRECTIONS = [("to-pxl", "BMP -> PXL"), ("to-bmp", "PXL -> BMP")]
TOOLS = ["vornix-cli", "floor", "netpbm", "imagemagick"]
MIB = 1024 * 1024


def hyperfine(name):
    with open(os.path.join(work, name)) as f:
        return {r["command"]: r for r in json.load(f)["results"]}


def one_runs():
    runs = {}
    with open(os.path.join(work, "memory.txt")) as f:
        for line in f:
            tool, direction, size, seconds, kib = line.split()
            runs[(tool, direction, size)] = (float(seconds), int(kib))
    return runs


def ms(result):
    return f"{result['mean'] * 1e3:.2f} ± {result['stddev'] * 1e3:.2f}"


def cpu(result):
    return result["user"] + result["system"]


def main():
    runs = one_runs()
    print("\nTime per conversion: wall clock in ms (mean ± standard deviation over hyperfine's")
    print("runs), and in brackets the CPU time (user + system) in ms. Ratios: wall (CPU).\n")
    print("| picture | direction | vornix-cli | without Qt | floor | netpbm | ImageMagick "
          "| vornix-cli / floor | without Qt / floor | vornix-cli / netpbm |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    for size in SIZES:
        for key, label in DIRECTIONS:
            r = hyperfine(f"{key}-{size}.json")
            if "imagemagick" in r:
                magick = f"{ms(r['imagemagick'])} ({cpu(r['imagemagick']) * 1e3:.1f})"
            else:
                magick = f"{runs[('imagemagick', key, size)][0] * 1e3:.0f} (1 run)"
            cells = {t: f"{ms(r[t])} ({cpu(r[t]) * 1e3:.1f})" for t in TOOLS[:3] + ["without-qt"]}
            v, q, f, n = r["vornix-cli"], r["without-qt"], r["floor"], r["netpbm"]
            print(f"| {size} | {label} | {cells['vornix-cli']} | {cells['without-qt']} "
                  f"| {cells['floor']} | {cells['netpbm']} | {magick} "
                  f"| {v['mean'] / f['mean']:.2f} ({cpu(v) / cpu(f):.2f}) "
                  f"| {q['mean'] / f['mean']:.2f} ({cpu(q) / cpu(f):.2f}) "
                  f"| {v['mean'] / n['mean']:.2f} ({cpu(v) / cpu(n):.2f}) |")

    print("\nPeak memory, MiB (maximum resident set, GNU time, one run)\n")
    print("| picture | direction | bitmap | vornix-cli | limit (bitmap + 32) | floor | netpbm "
          "| ImageMagick |")
    print("|---|---|---|---|---|---|---|---|")
    for size in SIZES:
        bitmap = os.path.getsize(os.path.join(work, f"{size}.bmp")) / MIB
        for key, label in DIRECTIONS:
            cells = [f"{runs[(tool, key, size)][1] / 1024:.1f}" for tool in TOOLS]
            print(f"| {size} | {label} | {bitmap:.1f} | {cells[0]} | {bitmap + 32:.1f} "
                  f"| {cells[1]} | {cells[2]} | {cells[3]} |")

    start = hyperfine("startup.json")
    with_qt, without = start["vornix-cli"], start["without-qt"]
    print("\nStart-up, 240 x 128 BMP -> PXL, no shell, ms\n")
    print("| build | mean ± sd | min | median | CPU (user + system) |")
    print("|---|---|---|---|---|")
    for name, r in (("vornix-cli (Qt linked)", with_qt), ("same code without Qt", without)):
        print(f"| {name} | {ms(r)} | {r['min'] * 1e3:.2f} | {r['median'] * 1e3:.2f} "
              f"| {cpu(r) * 1e3:.2f} |")
    print(f"\nQt costs {(with_qt['median'] - without['median']) * 1e3:.2f} ms per run (median), "
          f"{(cpu(with_qt) - cpu(without)) * 1e3:.2f} ms of CPU.")


main()
