// One picture of "convert" with picture options: read, prepared frame by frame, written.
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "cli_files.h"
#include "convert_options.h"
#include "file_errors.h"
#include "image/bounded_read.h"
#include "image/prepare_decode.h"
#include "image/prepare_defaults.h"
#include "image/prepare_picture.h"
#include "standard_streams.h"

namespace vornix::cli {

namespace {

PictureFailure failureOf(std::string_view file, std::string_view reason) {
    return {FileError(file, reason)};
}

// "out.pxl" -> "out-001.pxl": the name of a frame of an animation. The ending was checked.
std::string framePath(const std::string& output, int number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "-%03d", number);
    const std::size_t dot = output.rfind('.');
    return output.substr(0, dot) + digits + output.substr(dot);
}

// Prepares and writes the frames as they are read. The first frame is held back until a
// second one shows whether the names need numbers.
class FrameWriter {
public:
    FrameWriter(const PreparedArgs& request, const std::string& input, const std::string& output,
                LinePrinter warn)
        : m_request(request), m_input(input), m_output(output), m_warn(warn),
          m_form(IsStandardStream(output) ? request.to.value_or(PictureKind::Pxl)
                                          : KindOfName(output)) {}

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
        if (m_frames == 1) {
            m_first = std::move(prepared.picture);
            return m_request.allFrames;
        }
        if (m_frames == 2 && !write(*m_first, framePath(m_output, 1))) {
            return false;
        }
        m_first.reset();
        return write(prepared.picture, framePath(m_output, m_frames));
    }

    // Once the file is read: writes a picture of one frame under the output's own name.
    // Returns the failure, if any; a file that did not read to its end writes nothing more.
    std::optional<PictureFailure> finish(image::PictureReadOutcome read) {
        if (!m_failure && read != image::PictureReadOutcome::Read) {
            m_failure = failureOf(m_input, image::describe(read));
        }
        if (!m_failure && m_frames == 1) {
            write(*m_first, m_output);
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
        if (const std::string reason = WriteMonoFile(picture, path, m_form); !reason.empty()) {
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
        m_warn("vornix-cli: " + m_input + ": warning: " + std::to_string(picture.width) + " x " +
               std::to_string(picture.height) + " pixels. " + note);
    }

    const PreparedArgs& m_request;
    const std::string& m_input;
    const std::string& m_output;
    LinePrinter m_warn;
    PictureKind m_form;                       // of every output
    std::optional<image::PictureSize> m_full; // of a picture decoded at a reduced size
    std::optional<image::MonoImage> m_first;
    std::optional<PictureFailure> m_failure;
    int m_frames = 0;
    bool m_warned = false;
};

} // namespace

std::optional<PictureFailure> ConvertPictureBytes(const PreparedArgs& request,
                                                  const std::string& name,
                                                  std::span<const std::uint8_t> bytes,
                                                  const std::string& output, LinePrinter warn) {
    FrameWriter writer(request, name, output, warn);
    const image::PictureReadOutcome read = image::ReadGreyFrames(
        bytes, [&writer](image::GreyImage&& frame) { return writer.take(std::move(frame)); },
        [&writer](image::PictureSize full) { return writer.needed(full); });
    return writer.finish(read);
}

std::optional<PictureFailure> ConvertPictureFile(const PreparedArgs& request,
                                                 const std::string& input,
                                                 const std::string& output, LinePrinter warn) {
    if (IsStandardStream(input)) {
        // Read as far as its kind needs: PXL text block by block, a bitmap as far as its
        // headers promise.
        StandardInputReader reader;
        if (reader.kind() == ContentKind::Pxl) {
            FrameWriter writer(request, input, output, warn);
            const image::PictureReadOutcome read =
                image::ReadGreyPxlFrames(reader, [&writer](image::GreyImage&& frame) {
                    return writer.take(std::move(frame));
                });
            if (reader.readError() != 0) {
                return failureOf(input, std::strerror(reader.readError()));
            }
            return writer.finish(read);
        }
        const StandardInput piped = reader.readPicture(kMaxStandardInputBytes);
        if (!piped.ok()) {
            return failureOf(input, piped.reason());
        }
        return ConvertPictureBytes(request, input, piped.bytes, output, warn);
    }
    FrameWriter writer(request, input, output, warn);
    const image::FramesFileResult read = image::ReadGreyFramesFile(
        input, [&writer](image::GreyImage&& frame) { return writer.take(std::move(frame)); },
        [&writer](image::PictureSize full) { return writer.needed(full); });
    if (read.error != 0) {
        return failureOf(input, ReadFailureReason(input, read.error, image::kMaxPreparedFileBytes));
    }
    return writer.finish(read.outcome);
}

} // namespace vornix::cli
