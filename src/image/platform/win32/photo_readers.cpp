// The photo formats in the Windows build, read through the Windows Imaging Component: the
// system's own decoders of PNG, JPEG and GIF (and WebP where its codec is installed) give the
// same grey picture the Linux readers give. The size is checked from the frame's header before
// any pixel is decoded. A format the system has no decoder for, and a GIF animation (whose
// frames would have to be composed on its canvas), are refused with words that say so.
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include <windows.h>
// After windows.h, which it needs.
#include <wincodec.h>

#include "image/photo/prepare_buffer.h"
#include "image/photo/prepare_decode_formats.h"

namespace vornix::image::detail {

namespace {

// Releases a COM interface on every way out.
template <class T> class Com {
public:
    Com() = default;
    ~Com() {
        if (m_pointer != nullptr) {
            m_pointer->Release();
        }
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;

    T** out() { return &m_pointer; }
    T* get() const { return m_pointer; }
    T* operator->() const { return m_pointer; }

private:
    T* m_pointer = nullptr;
};

// COM on this thread for as long as a picture is read; a thread that has it already (in either
// model) keeps what it has.
class ComOnThisThread {
public:
    ComOnThisThread() : m_result(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComOnThisThread() {
        if (SUCCEEDED(m_result)) {
            ::CoUninitialize();
        }
    }
    ComOnThisThread(const ComOnThisThread&) = delete;
    ComOnThisThread& operator=(const ComOnThisThread&) = delete;
    bool usable() const { return SUCCEEDED(m_result) || m_result == RPC_E_CHANGED_MODE; }

private:
    HRESULT m_result;
};

// The layout of a format of 16 bits a sample: its samples a pixel, and where red, green, blue
// and opacity are among them (-1: none); 0 samples for any other format.
struct DeepLayout {
    int samples = 0;
    int red = 0;
    int green = 0;
    int blue = 0;
    int alpha = -1;
};

DeepLayout deepLayoutOf(const WICPixelFormatGUID& format) {
    if (IsEqualGUID(format, GUID_WICPixelFormat16bppGray)) {
        return {1, 0, 0, 0, -1};
    }
    if (IsEqualGUID(format, GUID_WICPixelFormat48bppRGB)) {
        return {3, 0, 1, 2, -1};
    }
    if (IsEqualGUID(format, GUID_WICPixelFormat48bppBGR)) {
        return {3, 2, 1, 0, -1};
    }
    if (IsEqualGUID(format, GUID_WICPixelFormat64bppRGBA)) {
        return {4, 0, 1, 2, 3};
    }
    if (IsEqualGUID(format, GUID_WICPixelFormat64bppBGRA)) {
        return {4, 2, 1, 0, 3};
    }
    return {};
}

bool isGrey(const WICPixelFormatGUID& format) {
    return IsEqualGUID(format, GUID_WICPixelFormatBlackWhite) ||
           IsEqualGUID(format, GUID_WICPixelFormat2bppGray) ||
           IsEqualGUID(format, GUID_WICPixelFormat4bppGray) ||
           IsEqualGUID(format, GUID_WICPixelFormat8bppGray) ||
           IsEqualGUID(format, GUID_WICPixelFormat16bppGray);
}

// The width and height a JPEG's frame header (SOF) states, found by walking its segments;
// {0, 0} when there is none before the file ends or its first scan starts.
std::pair<std::int64_t, std::int64_t> jpegStatedSize(std::span<const std::uint8_t> file) {
    std::size_t at = 2; // after SOI
    while (at + 4 <= file.size() && file[at] == 0xFF) {
        const std::uint8_t marker = file[at + 1];
        if (marker == 0xFF) { // fill byte before a marker
            ++at;
            continue;
        }
        const std::size_t length = std::size_t{file[at + 2]} << 8 | file[at + 3];
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && length >= 7 && at + 9 <= file.size()) {
            return {std::int64_t{file[at + 7]} << 8 | file[at + 8],
                    std::int64_t{file[at + 5]} << 8 | file[at + 6]};
        }
        if (marker == 0xDA || length < 2) {
            break;
        }
        at += 2 + length;
    }
    return {0, 0};
}

// True when a PNG's header, a JPEG's frame header or a GIF's screen states more pixels than a
// picture may have. A decoder may take in every pixel as it opens the file (Wine's do), so the
// sizes are checked before one sees it, as the Linux readers check them before any pixel data.
bool statedSizeTooLarge(std::span<const std::uint8_t> file) {
    const auto bigEndian32 = [&file](std::size_t at) {
        return std::int64_t{file[at]} << 24 | std::int64_t{file[at + 1]} << 16 |
               std::int64_t{file[at + 2]} << 8 | std::int64_t{file[at + 3]};
    };
    const auto littleEndian16 = [&file](std::size_t at) {
        return std::int64_t{file[at]} | std::int64_t{file[at + 1]} << 8;
    };
    const auto startsWith = [&file](std::size_t at, std::string_view bytes) {
        return file.size() >= at + bytes.size() &&
               std::memcmp(file.data() + at, bytes.data(), bytes.size()) == 0;
    };
    if (startsWith(0, "\x89PNG\r\n\x1a\n") && startsWith(12, "IHDR") && file.size() >= 24) {
        return CheckPictureSize(bigEndian32(16), bigEndian32(20)) == PictureReadOutcome::TooLarge;
    }
    if (startsWith(0, "\xFF\xD8")) {
        const auto [width, height] = jpegStatedSize(file);
        return CheckPictureSize(width, height) == PictureReadOutcome::TooLarge;
    }
    if ((startsWith(0, "GIF87a") || startsWith(0, "GIF89a")) && file.size() >= 10) {
        return CheckPictureSize(littleEndian16(6), littleEndian16(8)) ==
               PictureReadOutcome::TooLarge;
    }
    return false;
}

// A decoded picture and the factory that made its decoder; outcome Read when both are there.
struct Decoder {
    ComOnThisThread com;
    Com<IWICImagingFactory> factory;
    Com<IWICStream> stream;
    Com<IWICBitmapDecoder> decoder;
    PictureReadOutcome outcome = PictureReadOutcome::NoPhotoReader;

    explicit Decoder(std::span<const std::uint8_t> file) {
        if (!com.usable() ||
            FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(factory.out()))) ||
            FAILED(factory->CreateStream(stream.out()))) {
            return; // no imaging component: no reader
        }
        if (file.size() > 0xFFFFFFFFu ||
            FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(file.data()),
                                                static_cast<DWORD>(file.size())))) {
            outcome = PictureReadOutcome::TooLarge;
            return;
        }
        if (statedSizeTooLarge(file)) {
            outcome = PictureReadOutcome::TooLarge;
            return;
        }
        const HRESULT made = factory->CreateDecoderFromStream(
            stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.out());
        if (FAILED(made)) {
            outcome = made == WINCODEC_ERR_COMPONENTNOTFOUND ? PictureReadOutcome::NoPhotoReader
                                                             : PictureReadOutcome::Damaged;
            return;
        }
        outcome = PictureReadOutcome::Read;
    }
};

// The frame's pixels converted to `format`, `stride` bytes a row, `size` bytes in all.
bool copyAs(Decoder& source, IWICBitmapFrameDecode* frame, const WICPixelFormatGUID& format,
            std::size_t stride, std::size_t size, void* into) {
    Com<IWICFormatConverter> converter;
    return size <= 0xFFFFFFFFu &&
           SUCCEEDED(source.factory->CreateFormatConverter(converter.out())) &&
           SUCCEEDED(converter->Initialize(frame, format, WICBitmapDitherTypeNone, nullptr, 0.0,
                                           WICBitmapPaletteTypeCustom)) &&
           SUCCEEDED(converter->CopyPixels(nullptr, static_cast<UINT>(stride),
                                           static_cast<UINT>(size), static_cast<BYTE*>(into)));
}

// The first frame as a grey picture: grey levels as they are, colours laid on white by their
// opacity.
PictureReadResult readFirstFrame(Decoder& source) {
    Com<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
    WICPixelFormatGUID format{};
    if (FAILED(source.decoder->GetFrame(0, frame.out())) ||
        FAILED(frame->GetSize(&width, &height)) || FAILED(frame->GetPixelFormat(&format))) {
        return {PictureReadOutcome::Damaged, {}};
    }
    if (const auto size = CheckPictureSize(width, height); size != PictureReadOutcome::Read) {
        return {size, {}};
    }
    PictureReadResult result{PictureReadOutcome::Read,
                             AllocateGrey(static_cast<int>(width), static_cast<int>(height))};
    const std::size_t pixels = std::size_t{width} * height;
    // Samples of 16 bits are taken to 8 as the Linux reader (libpng) takes them, rounded to
    // the nearest level, from the frame's own pixels: the system's conversion cuts them, a
    // level darker at times (and not every version converts them at all).
    if (const DeepLayout deep = deepLayoutOf(format); deep.samples != 0) {
        const std::size_t samples = pixels * static_cast<std::size_t>(deep.samples);
        std::vector<std::uint16_t> levels(samples);
        if (samples * 2 <= 0xFFFFFFFFu &&
            SUCCEEDED(frame->CopyPixels(nullptr, width * static_cast<UINT>(deep.samples) * 2,
                                        static_cast<UINT>(samples * 2),
                                        reinterpret_cast<BYTE*>(levels.data())))) {
            const auto level = [](std::uint16_t sample) {
                return static_cast<std::uint8_t>((std::uint32_t{sample} * 255 + 32895) >> 16);
            };
            for (std::size_t i = 0; i < pixels; ++i) {
                const std::uint16_t* pixel = &levels[i * static_cast<std::size_t>(deep.samples)];
                result.image.pixels[i] = GreyOnWhite(
                    level(pixel[deep.red]), level(pixel[deep.green]), level(pixel[deep.blue]),
                    deep.alpha < 0 ? 255 : level(pixel[deep.alpha]));
            }
            return result;
        }
    }
    if (isGrey(format) && copyAs(source, frame.get(), GUID_WICPixelFormat8bppGray, width, pixels,
                                 result.image.pixels.data())) {
        return result;
    }
    // Through colour, which gives a grey level back unchanged.
    std::vector<std::uint8_t> colours = LargeBuffer(pixels * 4);
    if (!copyAs(source, frame.get(), GUID_WICPixelFormat32bppRGBA, width * 4, pixels * 4,
                colours.data())) {
        return {PictureReadOutcome::Damaged, {}};
    }
    GreyFromRgbaOnWhite(colours.data(), result.image);
    return result;
}

PictureReadResult readStill(std::span<const std::uint8_t> file) {
    Decoder source(file);
    if (source.outcome != PictureReadOutcome::Read) {
        return {source.outcome, {}};
    }
    return readFirstFrame(source);
}

} // namespace

PictureReadResult ReadPngPicture(std::span<const std::uint8_t> file) {
    return readStill(file);
}

// Always at full size: the system's decoder has no reduced sizes to offer.
PictureReadResult ReadJpegPicture(std::span<const std::uint8_t> file,
                                  const NeededSize& /*needed*/) {
    return readStill(file);
}

PictureReadResult ReadWebpPicture(std::span<const std::uint8_t> file) {
    return readStill(file);
}

// The first frame of a GIF when it covers the whole canvas; the frames after it, and a first
// frame smaller than the canvas, would need composing as the animation shows them, which this
// reader does not do yet: they are refused.
PictureReadOutcome ReadGifFrames(std::span<const std::uint8_t> file, const FrameSink& take) {
    Decoder source(file);
    if (source.outcome != PictureReadOutcome::Read) {
        return source.outcome;
    }
    UINT frames = 0;
    if (FAILED(source.decoder->GetFrameCount(&frames)) || frames == 0) {
        return PictureReadOutcome::Damaged;
    }
    PictureReadResult first = readFirstFrame(source);
    if (!first.ok()) {
        return first.outcome;
    }
    const auto side = [&file](std::size_t at) {
        return file.size() > at + 1 ? int{file[at]} | (int{file[at + 1]} << 8) : 0;
    };
    if (first.image.width != side(6) || first.image.height != side(8)) {
        return PictureReadOutcome::NoPhotoReader;
    }
    const bool wantsMore = take(std::move(first.image));
    return wantsMore && frames > 1 ? PictureReadOutcome::NoPhotoReader : PictureReadOutcome::Read;
}

} // namespace vornix::image::detail
