#include "image/photo/prepare_geometry.h"

#include <algorithm>
#include <cstdint>

#include "image/photo/prepare_buffer.h"

namespace vornix::image {

namespace {

constexpr int kPixelsPerByte = 8;

bool isQuarterTurn(Rotation rotation) {
    return rotation == Rotation::Clockwise90 || rotation == Rotation::Clockwise270;
}

GreyImage blankImage(int width, int height, std::uint8_t level) {
    GreyImage image;
    image.width = width;
    image.height = height;
    image.pixels = LargeBuffer(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::fill(image.pixels.begin(), image.pixels.end(), level);
    return image;
}

// Where the pixel (x, y) of the turned and mirrored picture comes from in the original.
struct SourceMap {
    int width;  // of the original
    int height; // of the original
    Rotation rotation;
    Flip flip;
    int newWidth;
    int newHeight;

    std::size_t sourceIndex(int x, int y) const {
        if (flip == Flip::Horizontal) {
            x = newWidth - 1 - x;
        } else if (flip == Flip::Vertical) {
            y = newHeight - 1 - y;
        }
        int sx = x;
        int sy = y;
        switch (rotation) {
        case Rotation::None:
            break;
        case Rotation::Clockwise90: // the old top-left corner goes to the top right
            sx = y;
            sy = height - 1 - x;
            break;
        case Rotation::Half:
            sx = width - 1 - x;
            sy = height - 1 - y;
            break;
        case Rotation::Clockwise270: // the old top-left corner goes to the bottom left
            sx = width - 1 - y;
            sy = x;
            break;
        }
        return static_cast<std::size_t>(sy) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(sx);
    }
};

// The old pixels that one new pixel covers along one axis, in units of 1/newCount of an old
// pixel: old pixel i spans [i * newCount, (i + 1) * newCount), new pixel k spans
// [k * oldCount, (k + 1) * oldCount). The weights of a span add up to oldCount.
struct Span {
    int first = 0;                 // first old pixel touched
    int last = 0;                  // last old pixel touched
    std::uint64_t firstWeight = 0; // overlap with the first old pixel
    std::uint64_t lastWeight = 0;  // overlap with the last one (when last > first)
    std::uint64_t innerWeight = 0; // overlap with each old pixel in between: newCount
};

std::vector<Span> spansFor(int oldCount, int newCount) {
    std::vector<Span> spans(static_cast<std::size_t>(newCount));
    const auto oldN = static_cast<std::uint64_t>(oldCount);
    const auto newN = static_cast<std::uint64_t>(newCount);
    for (std::uint64_t k = 0; k < newN; ++k) {
        const std::uint64_t start = k * oldN;
        const std::uint64_t end = start + oldN;
        Span& span = spans[k];
        span.first = static_cast<int>(start / newN);
        span.last = static_cast<int>((end - 1) / newN);
        const std::uint64_t firstEnd = std::min(end, (start / newN + 1) * newN);
        span.firstWeight = firstEnd - start;
        span.lastWeight = end - static_cast<std::uint64_t>(span.last) * newN;
        span.innerWeight = newN;
    }
    return spans;
}

// One old row reduced to the new width: for each new column, the weighted sum of the old
// levels it covers (at most 255 * old width).
void sumRow(const std::uint8_t* row, const std::vector<Span>& spans, std::uint64_t* out) {
    for (std::size_t k = 0; k < spans.size(); ++k) {
        const Span& span = spans[k];
        if (span.first == span.last) {
            out[k] = row[span.first] * span.firstWeight;
            continue;
        }
        std::uint64_t inner = 0;
        for (int i = span.first + 1; i < span.last; ++i) {
            inner += row[i];
        }
        out[k] = row[span.first] * span.firstWeight + inner * span.innerWeight +
                 row[span.last] * span.lastWeight;
    }
}

} // namespace

PictureSize RotatedSize(PictureSize size, Rotation rotation) {
    return isQuarterTurn(rotation) ? PictureSize{size.height, size.width} : size;
}

PictureSize ProportionalFit(PictureSize size, PictureSize target) {
    const auto w = static_cast<std::int64_t>(size.width);
    const auto h = static_cast<std::int64_t>(size.height);
    const auto tw = static_cast<std::int64_t>(target.width);
    const auto th = static_cast<std::int64_t>(target.height);
    // The picture is relatively wider than the target when w / h >= tw / th.
    if (w * th >= h * tw) {
        const std::int64_t height = (h * tw * 2 + w) / (w * 2); // h * tw / w, rounded
        return {target.width, static_cast<int>(std::clamp<std::int64_t>(height, 1, th))};
    }
    const std::int64_t width = (w * th * 2 + h) / (h * 2);
    return {static_cast<int>(std::clamp<std::int64_t>(width, 1, tw)), target.height};
}

PictureSize FittedSize(PictureSize size, const PrepareOptions& options) {
    const PictureSize target{options.targetWidth, options.targetHeight};
    switch (options.fit) {
    case Fit::Keep:
        return size;
    case Fit::Stretch:
    case Fit::Center:
        return target;
    case Fit::Fit:
        break;
    }
    const PictureSize fitted = ProportionalFit(size, target);
    // The controller takes a row in whole bytes and drops the pixels of a last partial byte,
    // so the width goes down to a multiple of 8 and the height follows, proportions kept.
    const int wholeBytes = fitted.width / kPixelsPerByte * kPixelsPerByte;
    if (wholeBytes < kPixelsPerByte || wholeBytes == fitted.width) {
        return fitted;
    }
    const auto w = static_cast<std::int64_t>(size.width);
    const auto h = static_cast<std::int64_t>(size.height);
    const std::int64_t height = (h * wholeBytes * 2 + w) / (w * 2); // h * wholeBytes / w
    return {wholeBytes, static_cast<int>(std::clamp<std::int64_t>(height, 1, target.height))};
}

GreyImage OrientImage(const GreyImage& image, Rotation rotation, Flip flip) {
    if (rotation == Rotation::None && flip == Flip::None) {
        return image;
    }
    const PictureSize size = RotatedSize({image.width, image.height}, rotation);
    GreyImage out = blankImage(size.width, size.height, 255);
    const SourceMap map{image.width, image.height, rotation, flip, size.width, size.height};
    std::uint8_t* target = out.pixels.data();
    for (int y = 0; y < size.height; ++y) {
        for (int x = 0; x < size.width; ++x) {
            *target++ = image.pixels[map.sourceIndex(x, y)];
        }
    }
    return out;
}

GreyImage ResampleArea(const GreyImage& image, int width, int height) {
    if (width == image.width && height == image.height) {
        return image;
    }
    const std::vector<Span> columns = spansFor(image.width, width);
    const std::vector<Span> rows = spansFor(image.height, height);
    const auto newWidth = static_cast<std::size_t>(width);
    std::vector<std::uint64_t> rowSums(newWidth); // the last old row summed, `summedRow`
    std::vector<std::uint64_t> total(newWidth);
    int summedRow = -1;
    // Every new pixel covers image.width * image.height units of area.
    const std::uint64_t area =
        static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(image.height);

    GreyImage out = blankImage(width, height, 255);
    for (int y = 0; y < height; ++y) {
        const Span& span = rows[static_cast<std::size_t>(y)];
        std::fill(total.begin(), total.end(), 0);
        for (int oldY = span.first; oldY <= span.last; ++oldY) {
            // Neighbouring new rows share an old row at their border: it is summed once.
            if (oldY != summedRow) {
                sumRow(image.pixels.data() + static_cast<std::size_t>(oldY) * image.width, columns,
                       rowSums.data());
                summedRow = oldY;
            }
            const std::uint64_t weight = oldY == span.first  ? span.firstWeight
                                         : oldY == span.last ? span.lastWeight
                                                             : span.innerWeight;
            for (std::size_t x = 0; x < newWidth; ++x) {
                total[x] += rowSums[x] * weight;
            }
        }
        std::uint8_t* target = out.pixels.data() + static_cast<std::size_t>(y) * newWidth;
        for (std::size_t x = 0; x < newWidth; ++x) {
            target[x] = static_cast<std::uint8_t>((total[x] + area / 2) / area);
        }
    }
    return out;
}

GreyImage PlaceCentred(const GreyImage& image, int width, int height) {
    GreyImage out = blankImage(width, height, 255);
    // Offsets of the picture on the canvas, negative when it is cut; truncation puts the odd
    // pixel on the right and at the bottom either way.
    const int dx = (width - image.width) / 2;
    const int dy = (height - image.height) / 2;
    const int x0 = std::max(0, dx);
    const int x1 = std::min(width, dx + image.width);
    for (int y = std::max(0, dy); y < std::min(height, dy + image.height); ++y) {
        const std::uint8_t* from =
            image.pixels.data() + static_cast<std::size_t>(y - dy) * image.width + (x0 - dx);
        std::copy(from, from + (x1 - x0),
                  out.pixels.data() + static_cast<std::size_t>(y) * width + x0);
    }
    return out;
}

} // namespace vornix::image
