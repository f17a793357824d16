// Feeds arbitrary text to the firmware format readers: C arrays in every layout, X11 bitmaps
// and portable bitmaps. Besides crashes it checks that every picture read is written back and
// read again unchanged, in the format it came from and as C source.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "image/picture/byte_layout.h"
#include "image/picture/pbm_format.h"
#include "image/picture/source_reader.h"
#include "image/picture/source_writer.h"

namespace {

using namespace vornix::image;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void RoundTrip(const PackedPicture& picture, LayoutChoice layout) {
    SourceOptions options;
    options.layout = layout;
    options.drawPixels = picture.width() < 64;
    StringSink source;
    require(WriteCSource(picture, options, source));
    require(ReadSourcePicture(source.text(), 0, 0, layout).picture == picture);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const LayoutChoice layout{static_cast<ByteLayout>(size % 5),
                              size % 2 ? InkBit::Dark : InkBit::Light};
    const SourcePicture source = ReadSourcePicture(text, 0, 0, layout);
    if (source.picture && source.picture->bytes().size() < 4096) {
        RoundTrip(*source.picture, layout);
    }
    const SourcePicture xbm = ReadXbm(text);
    if (xbm.picture && xbm.picture->bytes().size() < 4096) {
        StringSink written;
        require(WriteXbm(*xbm.picture, "fuzz", written));
        require(ReadXbm(written.text()).picture == xbm.picture);
    }
    const PbmRead pbm = ReadPbm({data, size});
    if (pbm.picture) {
        StringSink written;
        require(WritePbm(*pbm.picture, written));
        const std::string& bytes = written.text();
        require(
            ReadPbm({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}).picture ==
            pbm.picture);
        RoundTrip(*pbm.picture, layout);
    }
    return 0;
}
