#pragma once

// Shared by the text tests: pictures as rows of '#' (ink) and '.', outside programs' output.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/picture/packed_picture.h"

namespace vornix::texttest {

using Rows = std::vector<std::string>;

inline Rows RowsOf(const image::PackedPicture& picture) {
    Rows rows(static_cast<std::size_t>(picture.height()),
              std::string(static_cast<std::size_t>(picture.width()), '.'));
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.isDark(x, y)) {
                rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = '#';
            }
        }
    }
    return rows;
}

// The rows of a raw PBM (P4) file's bytes; empty when the bytes are no such file.
inline Rows RowsOfPbm(const std::string& bytes) {
    int width = 0;
    int height = 0;
    int consumed = 0;
    if (std::sscanf(bytes.c_str(), "P4 %d %d%n", &width, &height, &consumed) != 2 || width < 1 ||
        height < 1) {
        return {};
    }
    const std::size_t stride = (static_cast<std::size_t>(width) + 7) / 8;
    const std::size_t start = static_cast<std::size_t>(consumed) + 1; // one blank after height
    if (bytes.size() < start + stride * static_cast<std::size_t>(height)) {
        return {};
    }
    Rows rows(static_cast<std::size_t>(height), std::string(static_cast<std::size_t>(width), '.'));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto byte =
                static_cast<unsigned char>(bytes[start + static_cast<std::size_t>(y) * stride +
                                                 static_cast<std::size_t>(x / 8)]);
            if ((byte >> (7 - x % 8)) & 1U) {
                rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = '#';
            }
        }
    }
    return rows;
}

// What a shell command prints on its standard output.
inline std::string OutputOf(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            out.append(buffer, got);
        }
        ::pclose(pipe);
    }
    return out;
}

inline std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A text in single quotes for the shell.
inline std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

} // namespace vornix::texttest
