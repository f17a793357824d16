#pragma once

#include <cstdio>
#include <string>

namespace vornix::download::testing {

// A PXL text W pixels wide and H rows high whose value k of row r is (7 r + k) mod 256, so
// that every value in a stream tells where it came from.
inline std::string PatternPxl(int width, int height) {
    std::string text = "@," + std::to_string(width) + "," + std::to_string(height) + ",8\r\n";
    const int values = (width + 7) / 8;
    for (int row = 0; row < height; ++row) {
        for (int k = 0; k < values; ++k) {
            char value[8];
            std::snprintf(value, sizeof value, "0%02Xh", (7 * row + k) & 0xFF);
            text += value;
            text += k + 1 < values ? "," : "\r\n";
        }
    }
    return text;
}

} // namespace vornix::download::testing
