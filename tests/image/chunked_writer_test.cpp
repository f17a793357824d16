#include "image/picture/chunked_writer.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vornix::image {
namespace {

class RecordingSink : public ByteSink {
public:
    bool write(std::string_view bytes) override {
        m_writes.emplace_back(bytes);
        return true;
    }
    std::vector<std::string> m_writes;
};

// Pieces that do not divide the chunk size evenly: no write may exceed it, and together the
// writes are the pieces in order.
TEST(ChunkedWriter, HandsOverChunksNoLargerThanTheChunkSize) {
    RecordingSink sink;
    std::string expected;
    {
        ChunkedWriter writer(sink, 10 * ChunkedWriter::kChunkSize);
        for (int i = 0; i < 4000; ++i) {
            const std::string piece(1283, static_cast<char>('a' + i % 26));
            writer.append(piece);
            expected += piece;
        }
        ASSERT_TRUE(writer.flush());
    }
    std::string joined;
    for (const std::string& write : sink.m_writes) {
        EXPECT_LE(write.size(), ChunkedWriter::kChunkSize);
        joined += write;
    }
    EXPECT_GT(sink.m_writes.size(), 4u);
    EXPECT_EQ(joined, expected);
}

} // namespace
} // namespace vornix::image
