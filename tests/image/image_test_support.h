#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace vornix::image::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes readDataFile(const std::string& relative) {
    std::ifstream in(std::string(VORNIX_TEST_DATA) + "/" + relative, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string readDataText(const std::string& relative) {
    const Bytes bytes = readDataFile(relative);
    return std::string(bytes.begin(), bytes.end());
}

// A 1-bit bitmap laid out by hand as a paint program saves it: headers, the colour table
// [black, white], the pixel rows (given bottom row first) at offset 62 + `gap`. `offset`
// overrides only the bfOffBits field.
inline Bytes makeBitmap(std::int32_t width, std::int32_t height, const Bytes& rows,
                        std::size_t gap = 0, std::optional<std::int32_t> offset = {}) {
    Bytes out = {'B', 'M'};
    const auto put = [&out](std::int64_t value, int size) {
        for (int i = 0; i < size; ++i) {
            out.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i)));
        }
    };
    const auto start = static_cast<std::int64_t>(62 + gap);
    put(start + static_cast<std::int64_t>(rows.size()), 4); // bfSize
    put(0, 4);
    put(offset.value_or(start), 4);
    for (const std::int64_t field : {40, width, height}) {
        put(field, 4);
    }
    put(1, 2); // planes
    put(1, 2); // bits per pixel
    put(0, 4);
    put(static_cast<std::int64_t>(rows.size()), 4);
    for (int i = 0; i < 4; ++i) {
        put(i < 2 ? 2835 : 2, 4); // 72 dpi, two colours
    }
    out.insert(out.end(), {0, 0, 0, 0, 255, 255, 255, 0});
    out.insert(out.end(), gap, 0x55);
    out.insert(out.end(), rows.begin(), rows.end());
    return out;
}

} // namespace vornix::image::test
