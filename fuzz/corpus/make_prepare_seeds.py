#!/usr/bin/env python3
"""Writes the small hand-made pictures that seed the picture-preparation fuzz target:
bitmaps of every depth the readers take, PBM, PGM and PPM in text and binary form, a PXL
text, and PNG, JPEG, GIF and WebP pictures made with ImageMagick's convert. Run from anywhere; the files go into the prepare/ folder beside this script."""
import os
import struct
import subprocess

here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "prepare")
os.makedirs(here, exist_ok=True)


def write(name, data):
    with open(os.path.join(here, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("ascii"))


def bitmap(width, height, bits, rows, palette=b"", compression=0, masks=b"", top_down=False):
    row_len = ((width * bits + 31) // 32) * 4
    pixels = b"".join(r.ljust(row_len, b"\0")[:row_len] for r in rows)
    offset = 14 + 40 + len(masks) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits,
                       compression, len(pixels), 2835, 2835, len(palette) // 4, 0)
    return header + info + masks + palette + pixels


grey2 = b"\0\0\0\0\xff\xff\xff\0"
grey16 = b"".join(bytes([i * 17] * 3) + b"\0" for i in range(16))
grey256 = b"".join(bytes([i] * 3) + b"\0" for i in range(256))
write("mono_5x3.bmp", bitmap(5, 3, 1, [b"\xa8", b"\x50", b"\xf8"], grey2))
write("mono_top_down.bmp", bitmap(9, 2, 1, [b"\xff\x80", b"\x00\x00"], grey2, top_down=True))
write("four_bit_3x2.bmp", bitmap(3, 2, 4, [b"\x0f\x70", b"\xf0\x80"], grey16))
write("eight_bit_3x2.bmp", bitmap(3, 2, 8, [b"\x00\x80\xff", b"\x40\xc0\x20"], grey256))
write("sixteen_bit_2x2.bmp", bitmap(2, 2, 16, [b"\xff\x7f\x00\x00", b"\x1f\x00\xe0\x03"]))
masks565 = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
write("sixteen_bit_565.bmp",
      bitmap(2, 1, 16, [b"\x00\xf8\x1f\x00"], compression=3, masks=masks565))
write("twenty_four_bit_2x2.bmp",
      bitmap(2, 2, 24, [b"\x00\x00\xff\xff\xff\xff", b"\x00\xff\x00\x80\x80\x80"]))
write("thirty_two_bit_2x1.bmp", bitmap(2, 1, 32, [b"\x10\x20\x30\x00\xff\xff\xff\x00"]))
masks8888 = struct.pack("<III", 0x00FF0000, 0x0000FF00, 0x000000FF)
write("thirty_two_bit_masks.bmp",
      bitmap(1, 2, 32, [b"\x00\x00\xff\x00", b"\xff\x00\x00\x00"], compression=3,
             masks=masks8888))
write("plain.pbm", "P1\n# a cross\n3 3\n0 1 0\n1 1 1\n0 1 0\n")
write("raw.pbm", b"P4\n10 2\n\xff\xc0\x00\x40")
write("plain.pgm", "P2\n2 2\n15\n0 5\n10 15\n")
write("raw.pgm", b"P5\n3 1\n255\n\x00\x80\xff")
write("raw_16bit.pgm", b"P5\n2 1\n65535\n\x00\x00\xff\xff")
write("plain.ppm", "P3\n2 1\n255\n255 0 0  0 0 255\n")
write("raw.ppm", b"P6\n1 2\n255\n\xff\x00\x00\x00\xff\x00")
write("raw_16bit.ppm", b"P6\n1 1\n65535\n\xff\xff\x00\x00\x80\x00")
write("picture.pxl", "@,10,2,8\r\n0FFh,0FFh\r\n080h,03Fh\r\n")

# The photo formats, written by ImageMagick from a small picture of four grey bands: a PNG with
# transparency, an interlaced PNG, a JPEG, a GIF of three frames and a lossless WebP.
bands = os.path.join(here, "bands.pgm")
write("bands.pgm", b"P5\n8 4\n255\n" + bytes([0, 0, 85, 85, 170, 170, 255, 255]) * 4)
magick = [
    ("alpha.png", [bands, "-alpha", "set", "-channel", "A", "-evaluate", "set", "50%"]),
    ("interlaced.png", [bands, "-interlace", "PNG"]),
    ("bands.jpg", [bands, "-quality", "80"]),
    ("frames.gif", ["-delay", "10", bands, "-negate", bands, "-negate", "-rotate", "180", bands]),
    ("bands.webp", [bands, "-define", "webp:lossless=true"]),
]
for name, args in magick:
    subprocess.run(["/usr/bin/convert", *args, os.path.join(here, name)], check=True)
os.remove(bands)
