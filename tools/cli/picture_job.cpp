// One picture of "convert" with picture options: read, prepared frame by frame, written.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "cli_files.h"
#include "convert_options.h"
#include "exact_convert.h"
#include "file_errors.h"
#include "image/files/bounded_read.h"
#include "image/photo/gif_frame_count.h"
#include "image/photo/prepare_decode.h"
#include "image/photo/prepare_defaults.h"
#include "image/photo/prepare_picture.h"
#include "image/platform/platform.h"
#include "standard_streams.h"
#include "terminal_text.h"

namespace vornix::cli {

namespace {

PictureFailure failureOf(std::string_view file, std::string_view reason) {
    return {FileError(file, reason)};
}

// "out.pxl" -> "out-001.pxl": the name of a frame of an animation, numbered with `digits`
// digits before the ending of OUTPUT's last part (at its end when it has none).
std::string framePath(const std::string& output, int number, int digits) {
    std::string text = std::to_string(number);
    text.insert(0,
                text.size() < static_cast<std::size_t>(digits)
                    ? static_cast<std::size_t>(digits) - text.size()
                    : 0,
                '0');
    text.insert(0, 1, '-');
    const std::size_t dot = output.rfind('.');
    const bool hasEnding = dot != std::string::npos && dot >= platform::FolderLength(output);
    return hasEnding ? output.substr(0, dot) + text + output.substr(dot) : output + text;
}

// The frame prepared as the request says: the default fit for its size unless one was given.
// Used for pictures read whole; the frame writer also handles frames decoded smaller.
image::PrepareResult PrepareFrame(const PreparedArgs& request, const image::GreyImage& frame) {
    image::PrepareOptions options = request.options;
    if (!request.fitGiven) {
        options.fit =
            image::DefaultFit(image::RotatedSize({frame.width, frame.height}, options.rotation));
    }
    return image::PreparePicture(frame, options);
}

std::string_view changedWhileRead() {
    return "the picture changed while it was read";
}

// Prepares and writes the frames as they are read, each to its name in `outputs`. The first
// frame is held back until the file is read or a second frame has come, so that a picture of
// one frame is written only once it has read whole.
class FrameWriter {
public:
    FrameWriter(const PreparedArgs& request, const std::string& input,
                const std::vector<std::string>& outputs, LinePrinter warn)
        : m_request(request), m_input(input), m_outputs(outputs), m_warn(warn),
          m_form(FormOf(request, outputs.front())) {}

    // The size a picture of `full` size is needed at: the size it is fitted or stretched down
    // to, before it is turned; every pixel otherwise. A frame handed over afterwards stands
    // for a picture of `full` size.
    image::PictureSize needed(image::PictureSize full) {
        m_full = full;
        const image::PrepareOptions options = optionsFor(full);
        if (options.fit != image::Fit::Fit && options.fit != image::Fit::Stretch) {
            return full;
        }
        return image::RotatedSize(
            image::FittedSize(image::RotatedSize(full, options.rotation), options),
            options.rotation);
    }

    // Takes one frame; false to stop reading (after a failure, or when one frame is enough).
    bool take(image::GreyImage&& frame) {
        const image::PictureSize full =
            m_full.value_or(image::PictureSize{frame.width, frame.height});
        image::PrepareResult prepared = image::PreparePicture(frame, full, optionsFor(full));
        frame = {};
        if (!prepared.prepared()) {
            m_failure = failureOf(m_input, image::describe(prepared.outcome));
            return false;
        }
        warnOnce(prepared.picture);
        ++m_frames;
        if (m_frames > std::ssize(m_outputs) && m_request.allFrames) {
            // More frames than were counted before anything was written: their names were
            // never checked against the inputs.
            m_failure = failureOf(m_input, changedWhileRead());
            return false;
        }
        if (m_frames == 1) {
            m_first = std::move(prepared.picture);
            return m_request.allFrames;
        }
        if (m_frames == 2 && !write(*m_first, m_outputs[0])) {
            return false;
        }
        m_first.reset();
        return write(prepared.picture, m_outputs[static_cast<std::size_t>(m_frames - 1)]);
    }

    // Once the file is read: writes a picture of one frame under the output's own name.
    // Returns the failure, if any; a file that did not read to its end writes nothing more.
    std::optional<PictureFailure> finish(image::PictureReadOutcome read) {
        if (!m_failure && read != image::PictureReadOutcome::Read) {
            m_failure = failureOf(m_input, image::describe(read));
        }
        if (!m_failure && m_request.allFrames && m_frames < std::ssize(m_outputs)) {
            m_failure = failureOf(m_input, changedWhileRead());
        }
        if (!m_failure && m_frames == 1) {
            write(*m_first, m_outputs.front());
        }
        return m_failure;
    }

private:
    image::PrepareOptions optionsFor(image::PictureSize full) const {
        image::PrepareOptions options = m_request.options;
        if (!m_request.fitGiven) {
            options.fit = image::DefaultFit(image::RotatedSize(full, options.rotation));
        }
        return options;
    }

    bool write(const image::MonoImage& picture, const std::string& path) {
        if (const std::string reason = WriteMonoFile(picture, path, m_form, m_request.firmware);
            !reason.empty()) {
            m_failure = PictureFailure{"vornix-cli: " + reason};
            return false;
        }
        return true;
    }

    // One line per picture when the panel does not show all of it.
    void warnOnce(const image::MonoImage& picture) {
        const std::string note = image::PanelNote({picture.width, picture.height});
        if (note.empty() || m_warned) {
            return;
        }
        m_warned = true;
        m_warn("vornix-cli: " + TerminalName(m_input) +
               ": warning: " + std::to_string(picture.width) + " x " +
               std::to_string(picture.height) + " pixels. " + note);
    }

    const PreparedArgs& m_request;
    const std::string& m_input;
    const std::vector<std::string>& m_outputs;
    LinePrinter m_warn;
    image::PictureFormat m_form;              // of every output
    std::optional<image::PictureSize> m_full; // of a picture decoded at a reduced size
    std::optional<image::MonoImage> m_first;
    std::optional<PictureFailure> m_failure;
    int m_frames = 0;
    bool m_warned = false;
};

} // namespace

PictureOutputs OutputsOf(const PreparedArgs& request, std::span<const std::uint8_t> picture,
                         const std::string& output) {
    if (!request.allFrames) {
        return {{output}, ""};
    }
    const image::GifFrameCount count = image::CountGifFrames(picture);
    if (count.outcome == image::GifWalk::TooManyFrames) {
        return {{}, std::string(image::describe(count.outcome))};
    }
    if (count.frames <= 1) {
        return {{output}, ""};
    }
    const int digits = std::max(3, static_cast<int>(std::to_string(count.frames).size()));
    PictureOutputs outputs;
    for (int number = 1; number <= count.frames; ++number) {
        outputs.names.push_back(framePath(output, number, digits));
    }
    return outputs;
}

PictureOutputs OutputsOfFile(const PreparedArgs& request, const std::string& input,
                             const std::string& output) {
    if (!request.allFrames) {
        return {{output}, ""};
    }
    constexpr std::size_t kSignatureSize = 6;
    const InputFile start = ReadInputPrefix(input, kSignatureSize);
    if (!start.ok() || image::CountGifFrames(start.bytes).outcome == image::GifWalk::NotGif) {
        return {{output}, ""};
    }
    const InputFile whole = ReadInputFile(input, image::kMaxPreparedFileBytes);
    return whole.ok() ? OutputsOf(request, whole.bytes, output) : PictureOutputs{{output}, ""};
}

std::variant<image::PackedPicture, PictureFailure> ReadPicture(const PreparedArgs& request,
                                                               const std::string& input) {
    const std::optional<image::PictureFormat> format = FormatOfName(input);
    if (format && !request.pixelsShaped) {
        image::PanelPictureRead read = ReadPanelPicture(input, *format, request.firmware);
        if (!read.picture) {
            return failureOf(input, read.failure);
        }
        return std::move(*read.picture);
    }
    std::optional<image::PrepareResult> first;
    const auto takeFirst = [&](image::GreyImage&& frame) {
        first = PrepareFrame(request, frame);
        return false; // the first frame is the picture
    };
    if (format && format != image::PictureFormat::Pbm && format != image::PictureFormat::Bitmap &&
        format != image::PictureFormat::Pxl) {
        image::PanelPictureRead read = ReadPanelPicture(input, *format, request.firmware);
        if (!read.picture) {
            return failureOf(input, read.failure);
        }
        takeFirst(image::GreyFromPacked(*read.picture));
    } else {
        const image::FramesFileResult read = image::ReadGreyFramesFile(input, takeFirst);
        if (read.error != 0) {
            return failureOf(input,
                             ReadFailureReason(input, read.error, image::kMaxPreparedFileBytes));
        }
        if (!first && read.outcome != image::PictureReadOutcome::Read) {
            return failureOf(input, image::describe(read.outcome));
        }
    }
    if (!first || !first->prepared()) {
        return failureOf(input, first ? image::describe(first->outcome) : "no picture");
    }
    return image::PackedFromMono(first->picture);
}

std::optional<PictureFailure> ConvertPictureBytes(const PreparedArgs& request,
                                                  const std::string& name,
                                                  std::span<const std::uint8_t> bytes,
                                                  const std::vector<std::string>& outputs,
                                                  LinePrinter warn) {
    FrameWriter writer(request, name, outputs, warn);
    const image::PictureReadOutcome read = image::ReadGreyFrames(
        bytes, [&writer](image::GreyImage&& frame) { return writer.take(std::move(frame)); },
        [&writer](image::PictureSize full) { return writer.needed(full); });
    return writer.finish(read);
}

std::optional<PictureFailure> ConvertPxlStream(const PreparedArgs& request,
                                               StandardInputReader& reader,
                                               const std::vector<std::string>& outputs,
                                               LinePrinter warn) {
    const std::string input(kStandardStream);
    FrameWriter writer(request, input, outputs, warn);
    const image::PictureReadOutcome read = image::ReadGreyPxlFrames(
        reader, [&writer](image::GreyImage&& frame) { return writer.take(std::move(frame)); });
    if (reader.readError() != 0) {
        return failureOf(input, std::strerror(reader.readError()));
    }
    return writer.finish(read);
}

std::optional<PictureFailure> ConvertPictureFile(const PreparedArgs& request,
                                                 const std::string& input,
                                                 const std::vector<std::string>& outputs,
                                                 LinePrinter warn) {
    FrameWriter writer(request, input, outputs, warn);
    // C arrays, X11 bitmaps and raw bytes are read pixel for pixel, then prepared as a photo.
    const std::optional<image::PictureFormat> format = FormatOfName(input);
    if (format == image::PictureFormat::CSource || format == image::PictureFormat::Xbm ||
        format == image::PictureFormat::Raw) {
        const image::PanelPictureRead picture = ReadPanelPicture(input, *format, request.firmware);
        if (!picture.picture) {
            return failureOf(input, picture.failure);
        }
        writer.take(image::GreyFromPacked(*picture.picture));
        return writer.finish(image::PictureReadOutcome::Read);
    }
    const image::FramesFileResult read = image::ReadGreyFramesFile(
        input, [&writer](image::GreyImage&& frame) { return writer.take(std::move(frame)); },
        [&writer](image::PictureSize full) { return writer.needed(full); });
    if (read.error != 0) {
        return failureOf(input, ReadFailureReason(input, read.error, image::kMaxPreparedFileBytes));
    }
    return writer.finish(read.outcome);
}

} // namespace vornix::cli
