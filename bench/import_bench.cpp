// Times the picture import inside the process: reading the file's pixels into grey levels,
// and preparing them (fit into 240 x 128 by area averaging, Floyd-Steinberg dithering).
//
//   import_bench PICTURE [RUNS]      prints the median and fastest time of each step
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/files/bounded_read.h"
#include "image/photo/prepare_decode.h"
#include "image/photo/prepare_picture.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Timing {
    std::vector<double> ms;

    void add(Clock::duration d) {
        ms.push_back(std::chrono::duration<double, std::milli>(d).count());
    }
    void print(const char* what) {
        std::sort(ms.begin(), ms.end());
        std::printf("%-40s median %7.2f ms   fastest %7.2f ms   (%zu runs)\n", what,
                    ms[ms.size() / 2], ms.front(), ms.size());
    }
};

} // namespace

int main(int argc, char** argv) {
    using namespace vornix::image;
    if (argc < 2) {
        std::fputs("usage: import_bench PICTURE [RUNS]\n", stderr);
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    const FileBytes file = ReadBoundedFile(argv[1], kMaxPreparedFileBytes);
    if (!file.ok()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    PrepareOptions options;
    options.fit = Fit::Fit;
    options.dither = Dither::FloydSteinberg;

    Timing read;
    Timing prepare;
    Timing total;
    PrepareResult result;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        const PictureReadResult picture = ReadGreyPicture(file.bytes);
        const auto decoded = Clock::now();
        if (!picture.ok()) {
            std::fprintf(stderr, "%s\n", std::string(describe(picture.outcome)).c_str());
            return 1;
        }
        result = PreparePicture(picture.image, options);
        const auto end = Clock::now();
        read.add(decoded - start);
        prepare.add(end - decoded);
        total.add(end - start);
    }
    std::printf("%d x %d picture, %zu bytes -> %d x %d\n", ReadGreyPicture(file.bytes).image.width,
                ReadGreyPicture(file.bytes).image.height, file.bytes.size(), result.picture.width,
                result.picture.height);
    read.print("read into grey levels");
    prepare.print("prepare (fit, Floyd-Steinberg)");
    total.print("read + prepare");
    return 0;
}
