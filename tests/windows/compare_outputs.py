#!/usr/bin/env python3
"""Runs the Windows vornix-cli.exe (under Wine) and the Linux vornix-cli side by side on the
project's samples and test pictures, and fails on any difference in what they write: the exit
status, standard output and every file made, byte for byte.

usage: compare_outputs.py LINUX_CLI WINDOWS_EXE SOURCE_ROOT
Wine runs with the WINEPREFIX and WINEDEBUG of the caller (scripts/test makes a fresh prefix).
"""
import gzip
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib


def grey_pgm(width, height):
    """A grey ramp with a dark disc: every level, edges for the dithers to work on."""
    rows = bytearray()
    for y in range(height):
        for x in range(width):
            level = (x * 255) // max(1, width - 1)
            if (x - width // 2) ** 2 + (y - height // 2) ** 2 < (height // 3) ** 2:
                level //= 4
            rows.append(level)
    return b"P5\n%d %d\n255\n" % (width, height) + bytes(rows)


def colour_ppm(width, height):
    pixels = bytearray()
    for y in range(height):
        for x in range(width):
            pixels += bytes(((x * 7) & 255, (y * 5) & 255, ((x + y) * 3) & 255))
    return b"P6\n%d %d\n255\n" % (width, height) + bytes(pixels)


def grey_bmp(width, height):
    """An 8-bit bitmap with a grey colour table."""
    stride = (width + 3) // 4 * 4
    table = b"".join(bytes((i, i, i, 0)) for i in range(256))
    offset = 14 + 40 + len(table)
    pixels = b"".join(
        bytes(((x * 3 + y * 2) & 255) for x in range(width)) + b"\0" * (stride - width)
        for y in range(height))
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    return header + info + table + pixels


def tiny_png():
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + bytes(range(0, 160, 10)) for _ in range(8))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 16, 8, 8, 0, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def tiny_bdf():
    """A bitmap font of this test's own: 5 x 7 cells, a few letters, a default glyph, and
    glyphs beyond ASCII so that the text's UTF-8 crosses the command line."""
    glyphs = {
        32: ["....."] * 7,
        63: [".###.", "#...#", "...#.", "..#..", "..#..", ".....", "..#.."],  # ?
        65: [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],  # A
        66: ["####.", "#...#", "####.", "#...#", "#...#", "#...#", "####."],  # B
        233: ["...#.", "..#..", ".###.", "#...#", "#####", "#....", ".###."],  # e acute
        0x2713: [".....", "....#", "...#.", "#.#..", ".#...", ".....", "....."],  # check mark
    }
    lines = ["STARTFONT 2.1", "FONT -vornix-tiny-medium-r-normal--7-70-75-75-c-50-iso10646-1",
             "SIZE 7 75 75", "FONTBOUNDINGBOX 5 7 0 -1", "STARTPROPERTIES 3",
             "FONT_ASCENT 6", "FONT_DESCENT 1", "DEFAULT_CHAR 63", "ENDPROPERTIES",
             "CHARS %d" % len(glyphs)]
    for code, rows in glyphs.items():
        lines += ["STARTCHAR U+%04X" % code, "ENCODING %d" % code, "SWIDTH 500 0",
                  "DWIDTH 6 0", "BBX 5 7 0 -1", "BITMAP"]
        lines += ["%02X" % (int(row.replace("#", "1").replace(".", "0"), 2) << 3)
                  for row in rows]
        lines.append("ENDCHAR")
    lines.append("ENDFONT")
    return ("\n".join(lines) + "\n").encode()


# Each case: a name, the arguments, and the standard input (a file in the work folder) or None.
# Files named in the arguments are copied into a fresh work folder for each side.
CASES = [
    ("bmp to pxl", ["convert", "clock.bmp", "clock-out.pxl"], None),
    ("pxl to bmp", ["convert", "clock.pxl", "clock-out.bmp"], None),
    ("shapes to pxl", ["convert", "shapes.bmp", "shapes.pxl"], None),
    ("to C source", ["convert", "--to", "c", "clock.bmp", "clock.h"], None),
    ("to X bitmap", ["convert", "clock.bmp", "clock.xbm"], None),
    ("to PBM", ["convert", "shapes.bmp", "shapes.pbm"], None),
    ("to raw bytes", ["convert", "--to", "bin", "shapes.bmp", "shapes.bin"], None),
    ("grey fit", ["convert", "--fit", "fit", "ramp.pgm", "ramp.pxl"], None),
    ("grey Floyd-Steinberg", ["convert", "--dither", "fs", "ramp.pgm", "ramp.bmp"], None),
    ("grey Atkinson", ["convert", "--dither", "atkinson", "--size", "120x64", "--fit", "stretch",
                       "ramp.pgm", "ramp.pxl"], None),
    ("grey ordered", ["convert", "--dither", "bayer8", "--invert", "ramp.pgm", "ramp.pxl"], None),
    ("colour turned", ["convert", "--rotate", "90", "--flip", "h", "colour.ppm", "colour.pxl"],
     None),
    ("8-bit bitmap", ["convert", "--threshold", "100", "grey8.bmp", "grey8.pxl"], None),
    ("header of many", ["convert", "-o", "set.h", "clock.bmp", "shapes.bmp"], None),
    ("batch", ["convert", "-o", "out", "clock.bmp", "shapes.bmp", "ramp.pgm"], None),
    ("standard streams", ["convert", "-", "-"], "clock.bmp"),
    ("pxl from standard input", ["convert", "--to", "bmp", "-", "-"], "clock.pxl"),
    ("info bmp", ["info", "clock.bmp"], None),
    ("info pxl", ["info", "clock.pxl"], None),
    ("stream", ["stream", "clock.pxl"], None),
    ("stream of a bitmap", ["stream", "shapes.bmp"], None),
    ("pattern checker", ["pattern", "checker", "checker.pxl"], None),
    ("pattern bits", ["pattern", "--size", "64x32", "bits", "bits.bmp"], None),
    ("pattern to output", ["pattern", "ruler", "-"], None),
    ("unicode names", ["convert", "Grüße ✓.bmp", "Ausgabe ✓.pxl"], None),
    ("grey PNG", ["convert", "--fit", "keep", "photo.png", "photo.pxl"], None),
    ("16-bit grey PNG", ["convert", "--fit", "keep", "grey16.png", "grey16.pbm"], None),
    ("colour PNG with a disc", ["convert", "--dither", "fs", "colour.png", "colour.bmp"], None),
    ("half-transparent PNG", ["convert", "--fit", "keep", "clear.png", "clear.pxl"], None),
    ("GIF", ["convert", "--fit", "keep", "still.gif", "still.pxl"], None),
    ("first frame of an animation", ["convert", "--fit", "keep", "moving.gif", "moving.pxl"],
     None),
    ("JPEG", ["convert", "--fit", "keep", "photo.jpg", "photo.pbm"], None),
    ("replace an output", ["convert", "shapes.bmp", "existing.pxl"], None),
    ("missing input", ["convert", "absent.bmp", "absent.pxl"], None),
    ("folder as input", ["convert", "out", "x.pxl"], None),
    ("usage error", ["convert", "--fit", "sideways", "clock.bmp", "x.pxl"], None),
    ("text in a bitmap font", ["text", "--font", "tiny.bdf", "AB BA", "text.pxl"], None),
    ("text in a compressed bitmap font, centred on a canvas",
     ["text", "--font", "tiny.bdf.gz", "--align", "centre", "--size-of", "64x20", "AB\nA",
      "text.pbm"], None),
    ("text beyond ASCII", ["text", "--font", "tiny.bdf", "\u00e9A\u2713", "text.bmp"], None),
    ("text from standard input", ["text", "--font", "tiny.bdf", "-", "text.xbm"], "lines.txt"),
    ("text with a glyph the bitmap font lacks",
     ["text", "--font", "tiny.bdf", "AZB", "text.pxl"], None),
    ("text in a damaged bitmap font", ["text", "--font", "cut.bdf", "AB", "text.pxl"], None),
    ("text in a file that is no font", ["text", "--font", "clock.bmp", "AB", "text.pxl"],
     None),
    ("text in a family no system has",
     ["text", "--font", "No Such Family Anywhere", "AB", "text.pxl"], None),
    ("text at a size out of range", ["text", "--size", "1001", "AB", "text.pxl"], None),
    ("help", ["--help"], None),
    ("version", ["--version"], None),
]

# Cases whose standard error must say the same on both systems too (line ends aside): the text
# command's refusals and warnings use the same words everywhere.
SAME_MESSAGES = {name for name, _, _ in CASES if name.startswith("text ")}

# The same conversion named in each system's own way: backslashes and a trailing separator on
# Windows. The folder never reaches the output (a C array is named after the file alone).
NATIVE_CASES = [
    ("folders with backslashes",
     ["convert", "--to", "c", "sub/clock.bmp", "sub/clock.h"],
     ["convert", "--to", "c", "sub\\clock.bmp", "sub\\clock.h"]),
    ("batch into a folder named with a backslash",
     ["convert", "-o", "out/", "sub/clock.bmp", "shapes.bmp"],
     ["convert", "-o", "out\\", "sub\\clock.bmp", "shapes.bmp"]),
    ("header of many from a folder",
     ["convert", "-o", "sub/set.h", "sub/clock.bmp", "shapes.bmp"],
     ["convert", "-o", "sub\\set.h", "sub\\clock.bmp", "shapes.bmp"]),
    ("the device that drops its bytes",
     ["convert", "clock.bmp", "/dev/null"],
     ["convert", "clock.bmp", "NUL"]),
]

# Windows alone: (name, arguments, exit status, words in standard error, prepare(work) or None).
# Each is refused, and no file may change.
def make_read_only(work):
    os.chmod(os.path.join(work, "existing.pxl"), 0o444)


WINDOWS_CASES = [
    ("every frame of an animation is refused",
     ["convert", "--fit", "keep", "--frames", "all", "moving.gif", "moving.pxl"], 1,
     b"GIF animation", None),
    ("a load to many ports is refused", ["load", "--port", "COM1", "--port", "COM2", "clock.pxl"],
     1, b"need the Linux build", None),
    ("a COM port that is not there", ["load", "--port", "COM200", "clock.pxl"], 1,
     b"vornix-cli: COM200: cannot open: No such file or directory", None),
    ("a read-only output is refused", ["convert", "shapes.bmp", "existing.pxl"], 1,
     b"Permission denied", make_read_only),
]


# Outline fonts under Wine: GDI draws them, so the glyphs differ from FreeType's in detail, but
# the picture has the size asked for (or near the Linux one), has ink, and the refusals and
# warnings use the Linux words. Each: (name, arguments, the Windows picture's size or None for
# "near the Linux one", words in standard error, or b"" for none at all).
OUTLINE_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
OUTLINE_CASES = [
    ("text in an installed family", ["text", "--font", "DejaVu Sans", "--size", "20",
                                     "Hello", "text.pbm"], None, b""),
    ("text in a family with a style", ["text", "--font", "DejaVu Sans:bold", "--size", "16",
                                       "Bold", "text.pbm"], None, b""),
    ("text on a panel-sized canvas", ["text", "--font", "DejaVu Sans", "--size-of", "240x128",
                                      "--align", "centre", "Two\nlines", "text.pbm"],
     (240, 128), b""),
    ("text in an outline font file", ["text", "--font", "outline.ttf", "--size", "24",
                                      "File", "text.pbm"], None, b""),
    ("text in an outline font file with a Unicode name",
     ["text", "--font", "Schrift \u2713.ttf", "--size", "12", "Name", "text.pbm"], None, b""),
    ("text in an outline font file of a family no system has",
     ["text", "--font", "renamed.ttf", "--size", "20", "Own", "text.pbm"], None, b""),
    ("text in a generic family", ["text", "--font", "monospace", "Mono", "text.pbm"], None, b""),
    ("text in the default font", ["text", "--size-of", "240x128", "Default", "text.pbm"],
     (240, 128), b""),
    ("text beyond U+FFFF in an outline font",
     ["text", "--font", "DejaVu Sans", "A\U0001F600", "text.pbm"], None, b""),
    ("text with a glyph the outline font lacks",
     ["text", "--font", "DejaVu Sans", "A\u4e2d", "text.pbm"], None,
     b"has no glyph for U+4E2D"),
]


def renamed_font():
    """The outline font under a family name of the same length that no system has installed,
    so that only the file itself can give it: both in UTF-16 (Windows, Unicode names) and in
    single bytes (Macintosh names)."""
    with open(OUTLINE_FONT, "rb") as f:
        data = f.read()
    for encoding in ("utf-16-be", "ascii"):
        data = data.replace("DejaVu Sans".encode(encoding), "Vornix Test".encode(encoding))
    return data


def read_pbm(data):
    """(width, height, ink pixels) of a binary PBM."""
    fields = []
    at = 0
    while len(fields) < 3:
        while data[at:at + 1].isspace():
            at += 1
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    width, height = int(fields[1]), int(fields[2])
    pixels = data[at + 1:]
    return width, height, sum(bin(byte).count("1") for byte in pixels)


# Photos drawn once by ImageMagick (netpbm and ImageMagick judge the formats, not our readers).
PHOTOS = {
    "grey16.png": ["-size", "80x40", "gradient:"],
    "colour.png": ["-size", "90x50", "gradient:red-blue", "-fill", "black", "-draw",
                   "circle 45,25 45,8"],
    "clear.png": ["-size", "80x40", "gradient:white-black", "-alpha", "set", "-channel", "A",
                  "-evaluate", "set", "50%"],
    "still.gif": ["-size", "80x40", "gradient:yellow-green"],
    "moving.gif": ["-delay", "10", "-size", "80x40", "gradient:red-blue", "gradient:blue-green",
                   "-loop", "0"],
    "photo.jpg": ["-seed", "7", "-size", "120x60", "plasma:fractal", "-quality", "90"],
}


def draw_photos(folder):
    for name, recipe in PHOTOS.items():
        subprocess.run(["convert"] + recipe + [os.path.join(folder, name)], check=True)


def prepare(work, root, photos):
    for name in PHOTOS:
        shutil.copy(os.path.join(photos, name), work)
    samples = os.path.join(root, "samples")
    for name in ("clock.bmp", "clock.pxl", "shapes.bmp"):
        shutil.copy(os.path.join(samples, name), work)
    shutil.copy(os.path.join(samples, "clock.bmp"), os.path.join(work, "Grüße ✓.bmp"))
    os.makedirs(os.path.join(work, "sub"))
    shutil.copy(os.path.join(samples, "clock.bmp"), os.path.join(work, "sub", "clock.bmp"))
    for folder in ("good", "bad"):
        source = os.path.join(root, "tests", "data", folder)
        for name in sorted(os.listdir(source)):
            shutil.copy(os.path.join(source, name), os.path.join(work, folder + "-" + name))
    with open(os.path.join(work, "ramp.pgm"), "wb") as f:
        f.write(grey_pgm(300, 160))
    with open(os.path.join(work, "colour.ppm"), "wb") as f:
        f.write(colour_ppm(90, 50))
    with open(os.path.join(work, "grey8.bmp"), "wb") as f:
        f.write(grey_bmp(37, 21))
    with open(os.path.join(work, "photo.png"), "wb") as f:
        f.write(tiny_png())
    with open(os.path.join(work, "existing.pxl"), "wb") as f:
        f.write(b"old content\n")
    font = tiny_bdf()
    with open(os.path.join(work, "tiny.bdf"), "wb") as f:
        f.write(font)
    with open(os.path.join(work, "tiny.bdf.gz"), "wb") as f:
        f.write(gzip.compress(font, mtime=0))
    with open(os.path.join(work, "cut.bdf"), "wb") as f:
        f.write(font[:len(font) // 2])
    with open(os.path.join(work, "lines.txt"), "wb") as f:
        f.write("BA\n\u00e9\u00e9\n".encode())


def test_files(root):
    cases = []
    for folder in ("good", "bad"):
        for name in sorted(os.listdir(os.path.join(root, "tests", "data", folder))):
            if name.endswith((".bmp", ".pxl")):
                out = "converted.pxl" if name.endswith(".bmp") else "converted.bmp"
                cases.append(("test picture " + folder + "/" + name,
                              ["convert", folder + "-" + name, out], None))
                cases.append(("info of " + folder + "/" + name, ["info", folder + "-" + name],
                              None))
    return cases


def snapshot(folder):
    files = {}
    for base, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(base, name)
            with open(path, "rb") as f:
                files[os.path.relpath(path, folder)] = f.read()
    return files


def run(command, work, stdin_name):
    stdin = open(os.path.join(work, stdin_name), "rb") if stdin_name else subprocess.DEVNULL
    try:
        done = subprocess.run(command, cwd=work, stdin=stdin, capture_output=True, timeout=120)
    finally:
        if stdin_name:
            stdin.close()
    return done


def main():
    linux_cli, windows_exe, root = (os.path.abspath(arg) for arg in sys.argv[1:4])
    wine = shutil.which("wine") or shutil.which("wine64")
    # One Wine server for every run instead of one each: a run then starts in a fraction of
    # a second. It is ended with the comparison.
    subprocess.run(["wineserver", "-p"])  # fails harmlessly when one is running already
    try:
        return compare(linux_cli, windows_exe, root, wine)
    finally:
        subprocess.run(["wineserver", "-k"])


def compare(linux_cli, windows_exe, root, wine):
    failures = []
    cases = [(name, args, args, stdin) for name, args, stdin in CASES + test_files(root)]
    cases += [(name, linux_args, windows_args, None)
              for name, linux_args, windows_args in NATIVE_CASES]
    with tempfile.TemporaryDirectory() as scratch:
        photos = os.path.join(scratch, "photos")
        os.makedirs(photos)
        draw_photos(photos)
        for number, (name, linux_args, windows_args, stdin_name) in enumerate(cases):
            sides = {}
            for side, command in (("linux", [linux_cli] + linux_args),
                                  ("windows", [wine, windows_exe] + windows_args)):
                work = os.path.join(scratch, "%03d-%s" % (number, side))
                os.makedirs(work)
                prepare(work, root, photos)
                before = snapshot(work)
                done = run(command, work, stdin_name)
                after = snapshot(work)
                made = {k: v for k, v in after.items() if before.get(k) != v}
                sides[side] = (done.returncode, done.stdout, made, done.stderr)
            linux, windows = sides["linux"], sides["windows"]
            problems = []
            if linux[0] != windows[0]:
                problems.append("exit status %d on Linux, %d on Windows" % (linux[0], windows[0]))
            # Standard error is text: Windows ends its lines with CR LF.
            if name in SAME_MESSAGES and linux[3] != windows[3].replace(b"\r\n", b"\n"):
                problems.append("standard error differs: %r and %r" % (linux[3], windows[3]))
            if linux[1] != windows[1]:
                problems.append("standard output differs (%d and %d bytes)"
                                % (len(linux[1]), len(windows[1])))
            if sorted(linux[2]) != sorted(windows[2]):
                problems.append("files made differ: %s and %s"
                                % (sorted(linux[2]), sorted(windows[2])))
            else:
                for path in linux[2]:
                    if linux[2][path] != windows[2][path]:
                        problems.append("%s differs" % path)
            if any(".vornix-" in path for path in windows[2]):
                problems.append("a temporary file was left: %s" % sorted(windows[2]))
            status = "ok" if not problems else "DIFFERS"
            print("%-7s %s" % (status, name))
            if problems:
                failures.append((name, problems, windows[3]))
        for number, (name, args, status, words, setup) in enumerate(WINDOWS_CASES):
            work = os.path.join(scratch, "windows-only-%d" % number)
            os.makedirs(work)
            prepare(work, root, photos)
            if setup:
                setup(work)
            before = snapshot(work)
            done = run([wine, windows_exe] + args, work, None)
            problems = []
            if done.returncode != status:
                problems.append("exit status %d, not %d" % (done.returncode, status))
            if words not in done.stderr:
                problems.append("standard error lacks %r" % words)
            if snapshot(work) != before:
                problems.append("files changed")
            print("%-7s %s" % ("ok" if not problems else "WRONG", name))
            if problems:
                failures.append((name, problems, done.stderr))
        failures += compare_outline(linux_cli, windows_exe, wine, root, photos, scratch)
    for name, problems, stderr in failures:
        print("FAIL %s: %s\n  Windows said: %s" % (name, "; ".join(problems),
                                                   stderr.decode("utf-8", "replace").strip()))
    print("%d of %d cases differ" % (len(failures),
                                     len(cases) + len(WINDOWS_CASES) + len(OUTLINE_CASES)))
    return 1 if failures else 0


def compare_outline(linux_cli, windows_exe, wine, root, photos, scratch):
    failures = []
    for number, (name, args, size, words) in enumerate(OUTLINE_CASES):
        made = {}
        for side, command in (("linux", [linux_cli] + args),
                              ("windows", [wine, windows_exe] + args)):
            work = os.path.join(scratch, "outline-%d-%s" % (number, side))
            os.makedirs(work)
            prepare(work, root, photos)
            shutil.copy(OUTLINE_FONT, os.path.join(work, "outline.ttf"))
            shutil.copy(OUTLINE_FONT, os.path.join(work, "Schrift \u2713.ttf"))
            with open(os.path.join(work, "renamed.ttf"), "wb") as f:
                f.write(renamed_font())
            done = run(command, work, None)
            picture = os.path.join(work, "text.pbm")
            made[side] = (done, read_pbm(open(picture, "rb").read())
                          if os.path.exists(picture) else None)
        (linux, linux_picture), (windows, picture) = made["linux"], made["windows"]
        problems = []
        if windows.returncode != 0 or picture is None:
            problems.append("exit status %d, no picture" % windows.returncode)
        else:
            width, height, ink = picture
            if size is not None and (width, height) != size:
                problems.append("%d x %d, not %d x %d" % (width, height, size[0], size[1]))
            if size is None and linux_picture is not None:
                # GDI's metrics differ from FreeType's by a few pixels, not by a different size.
                for what, ours, theirs in (("width", width, linux_picture[0]),
                                           ("height", height, linux_picture[1])):
                    if abs(ours - theirs) > max(3, theirs // 4):
                        problems.append("%s %d, Linux %d" % (what, ours, theirs))
            if ink == 0:
                problems.append("no ink")
        if words not in windows.stderr or (not words and windows.stderr):
            problems.append("standard error lacks %r" % words if words else
                            "a warning: %r" % windows.stderr)
        if words and words not in linux.stderr:
            problems.append("the Linux build does not say %r either" % words)
        print("%-7s %s (%s)" % ("ok" if not problems else "WRONG", name,
                                "%d x %d, %d ink" % picture if picture else "no picture"))
        if problems:
            failures.append((name, problems, windows.stderr))
    return failures


if __name__ == "__main__":
    sys.exit(main())
