#!/usr/bin/env python3
"""Writes the hand-made bitmaps and PXL files of tests/data/bad and tests/data/good.

Run it from anywhere; it rewrites every file it owns. The tests that read these files state
the exact outcome expected of each one, so a change here needs a change there.
"""
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent
BLACK_WHITE = bytes([0, 0, 0, 0, 255, 255, 255, 0])


def bitmap(width, height, bits=1, pixels=b"", offset=62, kind=b"BM", table=BLACK_WHITE):
    """A bitmap file: 14-byte file header, 40-byte info header, colour table, pixel bytes."""
    image_size = len(pixels)
    info = struct.pack("<iiihhiiiiii", 40, width, height, 1, bits, 0, image_size, 0, 0, 0, 0)
    body = info + table
    head = kind + struct.pack("<ihhi", 14 + len(body) + len(pixels), 0, 0, offset)
    return head + body + pixels


def write(folder, name, data):
    path = HERE / folder / name
    path.write_bytes(data if isinstance(data, bytes) else data.encode("latin-1"))


def bad_bitmaps():
    write("bad", "empty.bmp", b"")
    write("bad", "one_byte.bmp", b"B")
    write("bad", "text_named.bmp", "This is a note, not a picture.\r\n")
    write("bad", "lowercase_bm.bmp", bitmap(8, 1, pixels=b"\x00\x00\x00\x00", kind=b"bm"))
    write("bad", "short_header.bmp", b"BM" + bytes(20))
    # 100 bytes that claim 30000 x 30000 pixels: 112 MB of pixel rows that are not there.
    claim = bitmap(30000, 30000)
    write("bad", "claims_30000x30000.bmp", claim + bytes(100 - len(claim)))
    write("bad", "negative_height.bmp", bitmap(128, -64, pixels=bytes(16 * 64)))
    write("bad", "huge_width.bmp", bitmap(0x7FFFFFFF, 1, pixels=bytes(16)))
    write("bad", "row_too_long.bmp", bitmap(262113, 1, pixels=bytes(16)))
    write("bad", "negative_width.bmp", bitmap(-100, 1, pixels=bytes(16)))
    write("bad", "offset_beyond_end.bmp", bitmap(8, 1, pixels=b"\x00\x00\x00\x00", offset=5000))
    write("bad", "negative_offset.bmp", bitmap(8, 1, pixels=b"\x00\x00\x00\x00", offset=-1))
    write("bad", "truncated_pixels.bmp", bitmap(16, 4, pixels=bytes(15)))
    write("bad", "eight_bit.bmp", bitmap(4, 1, bits=8, pixels=bytes(4)))
    write("bad", "twenty_four_bit.bmp", bitmap(1, 1, bits=24, pixels=bytes(4)))
    write("bad", "zero_width_too_tall.bmp", bitmap(0, 0x7FFFFFFF))


def bad_pxl():
    write("bad", "empty.pxl", "")
    write("bad", "header_missing_b.pxl", "@,8,1\r\n")
    write("bad", "width_70000.pxl", "@,70000,1,8\r\n0FFh\r\n")
    write("bad", "width_not_number.pxl", "@,abc,1,8\r\n0FFh\r\n")
    write("bad", "width_non_ascii.pxl", "@,2\xef\xbc\x94,1,8\r\n0FFh\r\n")
    write("bad", "zero_per_value.pxl", "@,8,1,0\r\n0FFh\r\n")
    write("bad", "width_32761.pxl", "@,32761,1,8\r\n0FFh\r\n")
    write("bad", "two_per_value.pxl", "@,16,1,2\r\n" + ",".join(["0FFh"] * 8) + "\r\n")
    write("bad", "negative_width.pxl", "@,-100,1,8\r\n0FFh\r\n")
    write("bad", "negative_height.pxl", "@,8,-1,8\r\n0FFh\r\n")
    write("bad", "missing_values.pxl", "@,16,2,8\r\n0FFh,0FFh\r\n0FFh\r\n")
    write("bad", "empty_field.pxl", "@,16,1,8\r\n0FFh,,0FFh\r\n")
    write("bad", "empty_line.pxl", "@,8,2,8\r\n0FFh\r\n\r\n0FFh\r\n")
    write("bad", "value_1ff.pxl", "@,8,1,8\r\n1FFh\r\n")
    write("bad", "value_ffff.pxl", "@,8,1,8\r\nFFFFh\r\n")
    write("bad", "overlong_value.pxl", "@,8,1,8\r\n00000000000000000000FFFFh\r\n")


def good_files():
    # The 10 x 2 picture: top row dark, bottom row light but its first pixel; rows bottom first.
    write("good", "example_10x2.bmp", bitmap(10, 2, pixels=bytes([0x7F, 0xC0, 0, 0, 0, 0, 0, 0])))
    write("good", "example_10x2.pxl", "@,10,2,8\r\n0FFh,0FFh\r\n080h,03Fh\r\n")
    # The same picture with the values spread differently, blanks, LF ends, lower case.
    write("good", "example_10x2_one_line.pxl", "@,10,2,8,0FFh,0FFh,080h,03Fh")
    write("good", "example_10x2_lf.pxl", "@,10,2,8\n0FFh,0FFh\n080h,03Fh\n")
    write("good", "example_10x2_blanks.pxl", " @ , 10 ,\t2 , 8 \r\n 0ffh , 0FFh\r\n080h\r\n03fh ")
    write("good", "example_10x2_extra.pxl", "@,10,2,8\r\n0FFh,0FFh\r\n080h,03Fh\r\n0AAh,0BBh\r\n")
    write("good", "example_10x2_overlong.pxl",
          "@,+10,0002,8\r\n000000000000FFh,0FFh\r\n080x,03F\xc3\xa9\r\n")
    # Pixel rows at offset 70 behind a larger table; reversed colour table.
    table = BLACK_WHITE + bytes([1, 2, 3, 4, 5, 6, 7, 8])
    write("good", "offset_70_10x2.bmp",
          bitmap(10, 2, pixels=bytes([0x7F, 0xC0, 0, 0, 0, 0, 0, 0]), offset=70, table=table))
    write("good", "reversed_table_10x2.bmp",
          bitmap(10, 2, pixels=bytes([0x7F, 0xC0, 0, 0, 0, 0, 0, 0]),
                 table=bytes([255, 255, 255, 0, 0, 0, 0, 0])))


if __name__ == "__main__":
    bad_bitmaps()
    bad_pxl()
    good_files()
