// GIF pictures through giflib, frame by frame, each composed on the picture's canvas.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include <gif_lib.h>

#include "image/photo/prepare_decode_formats.h"

namespace vornix::image::detail {

namespace {

struct Source {
    std::span<const std::uint8_t> file;
    std::size_t pos = 0;
};

extern "C" int readGif(GifFileType* gif, GifByteType* into, int count) {
    auto* source = static_cast<Source*>(gif->UserData);
    const std::size_t n =
        std::min(static_cast<std::size_t>(std::max(count, 0)), source->file.size() - source->pos);
    std::memcpy(into, source->file.data() + source->pos, n);
    source->pos += n;
    return static_cast<int>(n);
}

class GifFile {
public:
    explicit GifFile(Source& source) {
        int error = 0;
        m_gif = DGifOpen(&source, readGif, &error);
    }
    ~GifFile() {
        if (m_gif != nullptr) {
            int error = 0;
            DGifCloseFile(m_gif, &error);
        }
    }
    GifFile(const GifFile&) = delete;
    GifFile& operator=(const GifFile&) = delete;

    GifFileType* get() const { return m_gif; }

private:
    GifFileType* m_gif = nullptr;
};

// What the graphics control block before a frame says about it.
struct FrameControl {
    int transparent = NO_TRANSPARENT_COLOR;
    int disposal = DISPOSAL_UNSPECIFIED;
};

// The canvas: the picture's logical screen, white where no frame has drawn (a transparent
// background laid on white, as for every other picture).
class Canvas {
public:
    Canvas(int width, int height) : m_image(AllocateGrey(width, height)) {
        std::fill(m_image.pixels.begin(), m_image.pixels.end(), std::uint8_t{255});
    }

    // Draws one frame; a frame reaching past the canvas is cut at its edge.
    PictureReadOutcome draw(GifFileType* gif, const FrameControl& control) {
        const GifImageDesc& desc = gif->Image;
        const ColorMapObject* map = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
        if (desc.Width <= 0 || desc.Height <= 0 || map == nullptr ||
            CheckPictureSize(desc.Width, desc.Height) != PictureReadOutcome::Read) {
            return PictureReadOutcome::BadHeader;
        }
        std::uint8_t greys[256];
        std::fill(std::begin(greys), std::end(greys), std::uint8_t{0});
        for (int i = 0; i < map->ColorCount && i < 256; ++i) {
            const GifColorType& c = map->Colors[i];
            greys[i] = GreyLevel(c.Red, c.Green, c.Blue);
        }
        m_frame = {desc.Left, desc.Top, desc.Width, desc.Height};
        m_disposal = control.disposal;
        std::vector<GifPixelType> line(static_cast<std::size_t>(desc.Width));
        for (const int y : rowOrder(desc.Height, desc.Interlace)) {
            if (DGifGetLine(gif, line.data(), desc.Width) != GIF_OK) {
                return PictureReadOutcome::Damaged;
            }
            const int cy = desc.Top + y;
            if (cy < 0 || cy >= m_image.height) {
                continue;
            }
            std::uint8_t* row =
                m_image.pixels.data() + static_cast<std::size_t>(cy) * m_image.width;
            for (int x = 0; x < desc.Width; ++x) {
                const int cx = desc.Left + x;
                if (cx >= 0 && cx < m_image.width && line[x] != control.transparent) {
                    row[cx] = greys[line[x]];
                }
            }
        }
        return PictureReadOutcome::Read;
    }

    const GreyImage& image() const { return m_image; }

    // Before the next frame: a frame to be disposed of to the background leaves white.
    void dispose() {
        if (m_disposal != DISPOSE_BACKGROUND) {
            return;
        }
        const int x0 = std::clamp(m_frame.left, 0, m_image.width);
        const int x1 = std::clamp(m_frame.left + m_frame.width, 0, m_image.width);
        for (int y = std::max(0, m_frame.top);
             y < std::min(m_image.height, m_frame.top + m_frame.height); ++y) {
            std::uint8_t* row = m_image.pixels.data() + static_cast<std::size_t>(y) * m_image.width;
            std::fill(row + x0, row + x1, std::uint8_t{255});
        }
    }

private:
    // The rows of a frame in the order they are stored: interlaced frames in four passes.
    static std::vector<int> rowOrder(int height, bool interlaced) {
        std::vector<int> order;
        order.reserve(static_cast<std::size_t>(height));
        if (!interlaced) {
            for (int y = 0; y < height; ++y) {
                order.push_back(y);
            }
            return order;
        }
        constexpr int kStart[] = {0, 4, 2, 1};
        constexpr int kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass) {
            for (int y = kStart[pass]; y < height; y += kStep[pass]) {
                order.push_back(y);
            }
        }
        return order;
    }

    struct Rect {
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
    };

    GreyImage m_image;
    Rect m_frame;
    int m_disposal = DISPOSAL_UNSPECIFIED;
};

// Reads the extension blocks; a graphics control block sets the next frame's control.
bool readExtension(GifFileType* gif, FrameControl& control) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) != GIF_OK) {
        return false;
    }
    while (block != nullptr) {
        if (code == GRAPHICS_EXT_FUNC_CODE && block[0] >= 4) {
            GraphicsControlBlock gcb{};
            if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK) {
                control.transparent = gcb.TransparentColor;
                control.disposal = gcb.DisposalMode;
            }
        }
        if (DGifGetExtensionNext(gif, &block) != GIF_OK) {
            return false;
        }
    }
    return true;
}

// What the frames of a GIF ask for, from its blocks alone: nothing is decoded.
struct GifCost {
    int frames = 0;
    std::int64_t pixels = 0; // each frame's screen plus its own pixels

    bool withinBounds() const {
        return frames <= kMaxAnimationFrames && pixels <= kMaxAnimationPixels;
    }
};

// Walks the blocks of a GIF, skipping their data. A file that breaks off or holds a block of
// an unknown kind is counted as far as it goes: the decoder finds the damage itself.
GifCost walkGif(std::span<const std::uint8_t> f) {
    GifCost cost;
    std::size_t pos = 13; // signature and logical screen descriptor
    if (f.size() < pos) {
        return cost;
    }
    const std::int64_t screen = std::int64_t{f[6] | f[7] << 8} * (f[8] | f[9] << 8);
    const auto colourTable = [](std::uint8_t flags) -> std::size_t {
        return (flags & 0x80) != 0 ? std::size_t{3} << ((flags & 7) + 1) : 0;
    };
    const auto skipSubBlocks = [&f, &pos] {
        while (pos < f.size()) {
            const std::size_t length = f[pos++];
            if (length == 0) {
                return;
            }
            pos += length;
        }
    };
    pos += colourTable(f[10]);
    while (pos < f.size() && cost.withinBounds()) {
        const std::uint8_t kind = f[pos++];
        if (kind == 0x21) { // an extension: its label, then its sub-blocks
            ++pos;
            skipSubBlocks();
        } else if (kind == 0x2C && pos + 9 <= f.size()) { // a frame
            const std::int64_t width = f[pos + 4] | f[pos + 5] << 8;
            const std::int64_t height = f[pos + 6] | f[pos + 7] << 8;
            pos += 9 + colourTable(f[pos + 8]) + 1; // the descriptor, its table, the code size
            skipSubBlocks();
            ++cost.frames;
            cost.pixels += screen + width * height;
        } else {
            break; // the trailer, or damage
        }
    }
    return cost;
}

} // namespace

PictureReadOutcome ReadGifFrames(std::span<const std::uint8_t> file, const FrameSink& take) {
    Source source{file};
    const GifFile opened(source);
    GifFileType* gif = opened.get();
    if (gif == nullptr) {
        return PictureReadOutcome::Damaged;
    }
    if (const auto size = CheckPictureSize(gif->SWidth, gif->SHeight);
        size != PictureReadOutcome::Read) {
        return size;
    }
    // Checked when a second frame is asked for, so that the first frame of any GIF is read.
    const bool withinBounds = walkGif(file).withinBounds();
    Canvas canvas(gif->SWidth, gif->SHeight);
    FrameControl control;
    bool anyFrame = false;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &record) != GIF_OK) {
            return anyFrame ? PictureReadOutcome::Truncated : PictureReadOutcome::Damaged;
        }
        if (record == TERMINATE_RECORD_TYPE) {
            return anyFrame ? PictureReadOutcome::Read : PictureReadOutcome::Damaged;
        }
        if (record == EXTENSION_RECORD_TYPE) {
            if (!readExtension(gif, control)) {
                return PictureReadOutcome::Damaged;
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE) {
            return PictureReadOutcome::Damaged;
        }
        if (anyFrame && !withinBounds) {
            return PictureReadOutcome::TooManyFrames;
        }
        if (DGifGetImageDesc(gif) != GIF_OK) {
            return PictureReadOutcome::Damaged;
        }
        canvas.dispose();
        if (const auto drawn = canvas.draw(gif, control); drawn != PictureReadOutcome::Read) {
            return drawn;
        }
        anyFrame = true;
        control = {};
        GreyImage frame = canvas.image();
        if (!take(std::move(frame))) {
            return PictureReadOutcome::Read;
        }
    }
}

} // namespace vornix::image::detail
