#pragma once

#include <cstdint>

#include <QByteArray>

namespace vornix::test {

// A one-bit bitmap (colour 0 black, colour 1 white) of a drawing that is the same at every
// size: a black frame eight pixels wide, a black square filling the bottom-right quarter and
// a staircase of black bytes down the diagonal; the rest is white. Stored bottom-up, or
// top-down (negative height) when asked.
inline QByteArray DrawnBitmap(int width, int height, bool topDown = false) {
    const qsizetype stride = (qsizetype{width} + 31) / 32 * 4;
    const qsizetype pixelBytes = stride * height;
    QByteArray b;
    b.reserve(62 + pixelBytes);
    auto le32 = [&b](std::int64_t v) {
        for (int i = 0; i < 4; ++i) {
            b += char((v >> (8 * i)) & 0xFF);
        }
    };
    auto le16 = [&b](int v) {
        b += char(v & 0xFF);
        b += char((v >> 8) & 0xFF);
    };
    b += "BM";
    le32(62 + pixelBytes);
    le32(0);
    le32(62);
    le32(40);
    le32(width);
    le32(topDown ? -height : height);
    le16(1);
    le16(1);
    le32(0);
    le32(pixelBytes);
    le32(2835);
    le32(2835);
    le32(2);
    le32(2);
    b += QByteArray("\x00\x00\x00\x00\xFF\xFF\xFF\x00", 8);
    const qsizetype start = b.size();
    b.resize(start + pixelBytes);
    const int columns = (width + 7) / 8;
    for (int y = 0; y < height; ++y) {
        const int stored = topDown ? y : height - 1 - y;
        char* row = b.data() + start + stored * stride;
        for (int column = 0; column < stride; ++column) {
            const int x = column * 8;
            const bool frame = y < 8 || y >= height - 8 || column == 0 || column == columns - 1;
            const bool square = x >= width / 2 && y >= height / 2;
            const bool diagonal = column == y * columns / height;
            row[column] = column < columns && (frame || square || diagonal) ? '\x00' : '\xFF';
        }
    }
    return b;
}

} // namespace vornix::test
