#!/usr/bin/env bash
# Redraws the sample pictures: clock.bmp (240 x 128), shapes.bmp (128 x 64) and clock.pxl.
# Needs ImageMagick (drawing), python3 (PBM -> 1-bit BMP) and a built vornix-cli (BMP -> PXL).
set -euo pipefail
cd "$(dirname "$0")"
cli="${1:-../build/bin/vornix-cli}"

convert -size 240x128 xc:white -fill none -stroke black -strokewidth 2 \
    -draw 'circle 64,64 64,8' -strokewidth 3 -draw 'line 64,64 64,26' -draw 'line 64,64 92,74' \
    -strokewidth 1 -fill black \
    -draw 'rectangle 62,10 66,16' -draw 'rectangle 62,112 66,118' \
    -draw 'rectangle 10,62 16,66' -draw 'rectangle 112,62 118,66' -draw 'circle 64,64 67,64' \
    -draw 'rectangle 0,0 239,1' -draw 'rectangle 0,126 239,127' \
    -draw 'rectangle 0,0 1,127' -draw 'rectangle 238,0 239,127' \
    -font DejaVu-Sans-Bold -pointsize 22 -stroke none -draw "text 132,56 '12:15'" \
    -pointsize 13 -draw "text 134,80 'VORNIX'" -draw "text 134,98 'LCD 240x128'" \
    -threshold 50% clock.pbm
convert -size 128x64 xc:white -fill black -stroke black \
    -draw 'roundrectangle 4,4 123,59 8,8' -fill white -draw 'roundrectangle 8,8 119,55 6,6' \
    -fill black -draw 'circle 40,32 40,16' -fill white -draw 'circle 40,32 40,22' \
    -fill black -draw 'polygon 70,46 86,16 102,46' -draw 'rectangle 66,48 106,50' \
    -threshold 50% shapes.pbm

python3 - <<'PY'
import struct
def pbm_to_bmp(src, dst):
    data = open(src, 'rb').read()
    fields, pos = [], 0
    while len(fields) < 3:
        while data[pos:pos+1].isspace(): pos += 1
        if data[pos:pos+1] == b'#':
            while data[pos:pos+1] != b'\n': pos += 1
            continue
        end = pos
        while not data[end:end+1].isspace(): end += 1
        fields.append(data[pos:end]); pos = end
    pos += 1
    w, h = int(fields[1]), int(fields[2])
    src_row = (w + 7) // 8
    stride = (src_row + 3) // 4 * 4
    rows = []
    for y in range(h):
        row = data[pos + y * src_row: pos + (y + 1) * src_row]
        # PBM: 1 = black. Bitmap index 0 = black in a [black, white] table, so invert,
        # then clear the bits beyond the width.
        inv = bytearray(b ^ 0xFF for b in row)
        if w % 8:
            inv[-1] &= (0xFF << (8 - w % 8)) & 0xFF
        rows.append(bytes(inv) + b'\0' * (stride - src_row))
    pixels = b''.join(reversed(rows))
    header = b'BM' + struct.pack('<IhhI', 62 + len(pixels), 0, 0, 62)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 1, 0, len(pixels), 2835, 2835, 2, 2)
    table = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    open(dst, 'wb').write(header + info + table + pixels)
pbm_to_bmp('clock.pbm', 'clock.bmp')
pbm_to_bmp('shapes.pbm', 'shapes.bmp')
PY
rm -f clock.pbm shapes.pbm
if [ -x "$cli" ]; then
    "$cli" convert clock.bmp clock.pxl
fi
