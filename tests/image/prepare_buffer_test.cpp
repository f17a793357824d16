// Reading a large picture file in one piece through the bounded reader: the bytes, and the errors
// of files that cannot be.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "image/files/bounded_read.h"
#include "image_test_support.h"

namespace vornix::image {
namespace {

namespace fs = std::filesystem;

TEST(ReadBoundedFileTest, BytesAndErrors) {
    const fs::path dir = fs::temp_directory_path() / ("vornix-large-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::vector<std::uint8_t> content(5 << 20); // above the size that asks for huge pages
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<std::uint8_t>(i * 7 + i / 4096);
    }
    const fs::path big = dir / "big.pgm";
    std::ofstream(big, std::ios::binary)
        .write(reinterpret_cast<const char*>(content.data()), std::streamsize(content.size()));
    std::ofstream(dir / "empty.pgm").close();

    const FileBytes read = ReadBoundedFile(big.string(), kMaxPreparedFileBytes);
    EXPECT_EQ(read.error, 0);
    EXPECT_TRUE(std::equal(read.bytes.begin(), read.bytes.end(), content.begin(), content.end()));
    EXPECT_TRUE(ReadBoundedFile((dir / "empty.pgm").string(), kMaxPreparedFileBytes).bytes.empty());
    EXPECT_EQ(ReadBoundedFile((dir / "empty.pgm").string(), kMaxPreparedFileBytes).error, 0);

    const std::pair<std::string, int> failures[] = {
        {(dir / "missing.pgm").string(), ENOENT},
        {(big / "below-a-file").string(), test::kBelowAFileError},
        {dir.string(), EISDIR},
    };
    for (const auto& [path, error] : failures) {
        const FileBytes failed = ReadBoundedFile(path, kMaxPreparedFileBytes);
        EXPECT_EQ(failed.error, error) << path;
        EXPECT_TRUE(failed.bytes.empty()) << path;
    }
    const FileBytes tooBig = ReadBoundedFile(big.string(), content.size() - 1);
    EXPECT_EQ(tooBig.error, EFBIG);
    EXPECT_TRUE(tooBig.bytes.empty());
    fs::remove_all(dir);
}

} // namespace
} // namespace vornix::image
