#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vornix::image::test {

using Bytes = std::vector<std::uint8_t>;

inline std::string dataPath(const std::string& relative) {
    return std::string(VORNIX_TEST_DATA) + "/" + relative;
}

inline Bytes readDataFile(const std::string& relative) {
    std::ifstream in(dataPath(relative), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string readDataText(const std::string& relative) {
    const Bytes bytes = readDataFile(relative);
    return std::string(bytes.begin(), bytes.end());
}

inline std::string asText(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// Appends a little-endian number of `size` bytes.
inline void put(Bytes& out, std::int64_t value, int size) {
    for (int i = 0; i < size; ++i) {
        out.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i)));
    }
}

// The fields of a test bitmap; pixel rows are given as stored, bottom row first.
struct BitmapSpec {
    std::int32_t width = 8;
    std::int32_t height = 1;
    std::int16_t bitCount = 1;
    std::int32_t offset = 62;
    Bytes colorTable = {0, 0, 0, 0, 255, 255, 255, 0}; // black, white
    Bytes pixels;
    const char* type = "BM";
};

// A bitmap file laid out by hand, field by field, as a paint program writes it.
inline Bytes makeBitmap(const BitmapSpec& spec) {
    Bytes out = {static_cast<std::uint8_t>(spec.type[0]), static_cast<std::uint8_t>(spec.type[1])};
    const auto headerSize = 54 + static_cast<std::int64_t>(spec.colorTable.size());
    put(out, headerSize + static_cast<std::int64_t>(spec.pixels.size()), 4); // bfSize
    put(out, 0, 4);                                                          // reserved
    put(out, spec.offset, 4);
    put(out, 40, 4);
    put(out, spec.width, 4);
    put(out, spec.height, 4);
    put(out, 1, 2);
    put(out, spec.bitCount, 2);
    put(out, 0, 4);                                             // compression
    put(out, static_cast<std::int64_t>(spec.pixels.size()), 4); // image size
    put(out, 2835, 4);                                          // 72 dpi
    put(out, 2835, 4);
    put(out, 2, 4);
    put(out, 2, 4);
    out.insert(out.end(), spec.colorTable.begin(), spec.colorTable.end());
    while (static_cast<std::int64_t>(out.size()) < spec.offset) {
        out.push_back(0);
    }
    out.insert(out.end(), spec.pixels.begin(), spec.pixels.end());
    return out;
}

} // namespace vornix::image::test
