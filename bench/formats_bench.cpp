// Firmware formats against PXL text, side by side: an 8192 x 8192 picture written as C source
// (hex and binary literals, rows and pages), as raw bytes in two layouts, and converted from
// its one-bit BMP to PXL text; beside them the time of reading the BMP file itself. Prints the
// best of several runs of each, in milliseconds, and the output sizes.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "image/picture/byte_layout.h"
#include "image/picture/decode_bmp.h"
#include "image/picture/prepare_bitmap.h"
#include "image/picture/source_writer.h"

namespace {

using namespace vornix::image;

class CountingSink : public ByteSink {
public:
    bool write(std::string_view bytes) override {
        count += bytes.size();
        return true;
    }
    std::size_t count = 0;
};

double BestMilliseconds(int runs, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    const int side = argc > 1 ? std::atoi(argv[1]) : 8192;
    const int runs = 5;
    std::mt19937 random(42);
    MonoImage mono(side, side);
    for (auto& pixel : mono.dark) {
        pixel = random() & 1U;
    }
    const PackedPicture picture = PackedFromMono(mono);
    const std::vector<std::uint8_t> bitmap = MonoBitmapBytes(mono);
    const std::string path = "/tmp/vornix-formats-bench.bmp";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bitmap.data()),
               static_cast<std::streamsize>(bitmap.size()));

    std::printf("%d x %d picture, best of %d runs\n", side, side, runs);
    std::printf("%-34s %10s %14s\n", "", "ms", "bytes out");
    const auto row = [&](const char* name, const std::function<std::size_t()>& work) {
        std::size_t size = 0;
        const double ms = BestMilliseconds(runs, [&] { size = work(); });
        std::printf("%-34s %10.1f %14zu\n", name, ms, size);
    };
    row("read the BMP file", [&] {
        std::ifstream in(path, std::ios::binary);
        std::vector<char> bytes(bitmap.size());
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return static_cast<std::size_t>(in.gcount());
    });
    row("BMP -> PXL text", [&] {
        CountingSink sink;
        ConvertBitmapToPxl(bitmap, sink);
        return sink.count;
    });
    for (const auto& [name, layout, literal] :
         {std::tuple{"C source, rows-msb, hex", ByteLayout::RowsHighBitFirst, Literal::Hex},
          std::tuple{"C source, pages-lsb, hex", ByteLayout::PagesLowBitTop, Literal::Hex},
          std::tuple{"C source, rows-msb, binary", ByteLayout::RowsHighBitFirst,
                     Literal::Binary}}) {
        row(name, [&] {
            SourceOptions options;
            options.layout = {layout, InkBit::Dark};
            options.literal = literal;
            CountingSink sink;
            WriteCSource(picture, options, sink);
            return sink.count;
        });
    }
    row("raw bytes, rows-msb", [&] { return PackLayout(picture, {}).size(); });
    row("raw bytes, pages-lsb", [&] {
        return PackLayout(picture, {ByteLayout::PagesLowBitTop, InkBit::Dark}).size();
    });
    row("raw bytes, columns, set = light", [&] {
        return PackLayout(picture, {ByteLayout::Columns, InkBit::Light}).size();
    });
    std::remove(path.c_str());
    return 0;
}
