#include "image/photo/prepare_tone.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace vornix::image {

namespace {

constexpr float kMidGrey = 128.0F;
constexpr float kWhite = 255.0F;

using ToneTable = std::array<float, 256>;

// Maps 0..threshold onto 0..128 and threshold..255 onto 128..255, so that the threshold
// level comes out half dark.
ToneTable toneTable(int threshold) {
    ToneTable table{};
    const auto t = static_cast<float>(threshold);
    for (int v = 0; v < 256; ++v) {
        const auto level = static_cast<float>(v);
        if (v < threshold) {
            table[v] = level * kMidGrey / t;
        } else if (threshold == 255) {
            table[v] = kMidGrey;
        } else {
            table[v] = kMidGrey + (level - t) * (kWhite - kMidGrey) / (kWhite - t);
        }
    }
    return table;
}

MonoImage plainThreshold(const GreyImage& image, int threshold) {
    MonoImage out(image.width, image.height);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        out.dark[i] = image.pixels[i] < threshold ? 1 : 0;
    }
    return out;
}

// Where the error of one pixel goes: column offset (in the scan direction), row offset and
// share.
struct ErrorShare {
    int dx;
    int dy;
    float share;
};

constexpr std::array<ErrorShare, 4> kFloydSteinberg = {
    {{1, 0, 7.0F / 16}, {-1, 1, 3.0F / 16}, {0, 1, 5.0F / 16}, {1, 1, 1.0F / 16}}};
// Six eighths: the rest of the error is dropped, which keeps highlights and shadows clean.
constexpr std::array<ErrorShare, 6> kAtkinson = {{{1, 0, 1.0F / 8},
                                                  {2, 0, 1.0F / 8},
                                                  {-1, 1, 1.0F / 8},
                                                  {0, 1, 1.0F / 8},
                                                  {1, 1, 1.0F / 8},
                                                  {0, 2, 1.0F / 8}}};

template <std::size_t N>
MonoImage diffuseErrors(const GreyImage& image, const ToneTable& tone,
                        const std::array<ErrorShare, N>& shares) {
    constexpr int kMargin = 2; // no share reaches further than two columns or rows
    MonoImage out(image.width, image.height);
    const auto rowLength = static_cast<std::size_t>(image.width + 2 * kMargin);
    // errors[r] gathers what row y + r receives; the rows move up after each row.
    std::array<std::vector<float>, kMargin + 1> errors;
    for (auto& row : errors) {
        row.assign(rowLength, 0.0F);
    }
    for (int y = 0; y < image.height; ++y) {
        const bool leftToRight = y % 2 == 0;
        const int step = leftToRight ? 1 : -1;
        for (int i = 0; i < image.width; ++i) {
            const int x = leftToRight ? i : image.width - 1 - i;
            const float level = tone[image.at(x, y)] + errors[0][x + kMargin];
            const bool dark = level < kMidGrey;
            out.dark[static_cast<std::size_t>(y) * image.width + x] = dark ? 1 : 0;
            const float error = level - (dark ? 0.0F : kWhite);
            for (const ErrorShare& s : shares) {
                errors[s.dy][x + s.dx * step + kMargin] += error * s.share;
            }
        }
        std::rotate(errors.begin(), errors.begin() + 1, errors.end());
        std::fill(errors.back().begin(), errors.back().end(), 0.0F);
    }
    return out;
}

// The Bayer index matrix of side n (a power of two), built from the 2 x 2 one by the usual
// recursion: each quarter of the doubled matrix holds 4 * M plus 0, 2, 3 or 1.
std::vector<int> bayerMatrix(int n) {
    std::vector<int> m = {0};
    for (int side = 1; side < n; side *= 2) {
        std::vector<int> doubled(static_cast<std::size_t>(4 * side * side));
        constexpr int kQuarterAdd[2][2] = {{0, 2}, {3, 1}};
        for (int y = 0; y < 2 * side; ++y) {
            for (int x = 0; x < 2 * side; ++x) {
                doubled[y * 2 * side + x] =
                    4 * m[(y % side) * side + x % side] + kQuarterAdd[y / side][x / side];
            }
        }
        m = std::move(doubled);
    }
    return m;
}

MonoImage orderedDither(const GreyImage& image, const ToneTable& tone, int n) {
    const std::vector<int> matrix = bayerMatrix(n);
    // Cell i is dark below (2i + 1) / (2 n^2) of full white: n^2 evenly spaced levels, so a
    // level v darkens its share of every n x n tile.
    std::vector<float> limits(matrix.size());
    for (std::size_t i = 0; i < matrix.size(); ++i) {
        limits[i] = static_cast<float>(2 * matrix[i] + 1) * kMidGrey / static_cast<float>(n * n);
    }
    MonoImage out(image.width, image.height);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const bool dark = tone[image.at(x, y)] < limits[(y % n) * n + x % n];
            out.dark[static_cast<std::size_t>(y) * image.width + x] = dark ? 1 : 0;
        }
    }
    return out;
}

} // namespace

int OtsuThreshold(const GreyImage& image) {
    std::array<std::uint64_t, 256> histogram{};
    for (const std::uint8_t level : image.pixels) {
        ++histogram[level];
    }
    double count = 0;
    double sum = 0;
    for (int v = 0; v < 256; ++v) {
        count += static_cast<double>(histogram[v]);
        sum += static_cast<double>(histogram[v]) * v;
    }
    double darkCount = 0;
    double darkSum = 0;
    double best = 0;
    int firstBest = -1;
    int lastBest = -1;
    for (int k = 0; k < 255; ++k) { // split: levels 0..k dark, k + 1..255 light
        darkCount += static_cast<double>(histogram[k]);
        darkSum += static_cast<double>(histogram[k]) * k;
        const double lightCount = count - darkCount;
        if (darkCount == 0 || lightCount == 0) {
            continue;
        }
        const double meanGap = darkSum / darkCount - (sum - darkSum) / lightCount;
        const double between = darkCount * lightCount * meanGap * meanGap;
        // Splits inside a gap of the histogram give the same sums, hence the same value
        // exactly; they form the run from firstBest to lastBest.
        if (between > best) {
            best = between;
            firstBest = k;
            lastBest = k;
        } else if (between == best && k == lastBest + 1) {
            lastBest = k;
        }
    }
    if (firstBest < 0) {
        return 128;
    }
    return (firstBest + lastBest) / 2 + 1;
}

MonoImage ToMono(const GreyImage& image, int threshold, Dither dither) {
    if (dither == Dither::None) {
        return plainThreshold(image, threshold);
    }
    const ToneTable tone = toneTable(threshold);
    switch (dither) {
    case Dither::FloydSteinberg:
        return diffuseErrors(image, tone, kFloydSteinberg);
    case Dither::Atkinson:
        return diffuseErrors(image, tone, kAtkinson);
    case Dither::Bayer4:
        return orderedDither(image, tone, 4);
    case Dither::Bayer8:
        return orderedDither(image, tone, 8);
    case Dither::None:
        break;
    }
    return plainThreshold(image, threshold);
}

} // namespace vornix::image
