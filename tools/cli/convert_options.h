#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli_files.h"
#include "firmware_options.h"
#include "standard_streams.h"
#include "image/photo/prepare_defaults.h"
#include "image/photo/prepare_geometry.h"
#include "image/picture/packed_picture.h"
#include "image/photo/prepare_image.h"

namespace vornix::cli {

// The most pictures a batch converts at once.
inline constexpr int kMaxJobs = 1024;

// convert with picture options: what was asked for.
struct PreparedArgs {
    // The picture's own threshold unless one is given; the fit follows each picture's size.
    image::PrepareOptions options = image::DefaultPrepareOptions({});
    bool sizeGiven = false;
    bool fitGiven = false; // else each picture gets the default fit for its size
    // --fit, --size, --rotate, --flip, --threshold, --dither or --invert was given: pictures
    // are prepared even when they could be read pixel for pixel.
    bool pixelsShaped = false;
    std::optional<image::PictureFormat> to; // --to: the form of the outputs, whatever their names
    FirmwareArgs firmware;                  // the shape of C source and raw bytes
    bool allFrames = false;        // --frames all
    bool batch = false;            // --output-dir given
    std::string outputDir;
    int jobs = 0;       // --jobs; 0: one per processor
    bool quiet = false; // --quiet: no warnings, notes or progress
    std::vector<std::string> names;
};

// Why one picture did not convert, as a single conversion and a batch print it:
// "vornix-cli: FILE: reason".
struct PictureFailure {
    std::string line;
};

// Prints one line on stderr (a warning); safe to call from several threads when the batch
// passes its own.
using LinePrinter = void (*)(std::string_view line);

// The files a picture is written to: OUTPUT itself, or with --frames all, for a GIF of several
// frames, OUTPUT-001.pxl, OUTPUT-002.pxl, ... (the number before OUTPUT's ending, with as many
// digits as the frame count has, at least 3). `picture` holds the input's bytes, or its first
// bytes when it is no GIF. Returns the reason when the frames are too many to write.
struct PictureOutputs {
    std::vector<std::string> names;
    std::string refusal; // "" or why the picture is not converted
};
PictureOutputs OutputsOf(const PreparedArgs& request, std::span<const std::uint8_t> picture,
                         const std::string& output);

// OutputsOf for a named input file, reading a GIF whole to count its frames (only with
// --frames all). An input that cannot be read gives OUTPUT alone: its conversion reports why.
PictureOutputs OutputsOfFile(const PreparedArgs& request, const std::string& input,
                             const std::string& output);

// Reads the picture file `input`, prepares it as `request` says (the default fit and the
// picture's own threshold where nothing was chosen) and writes it to `outputs` (OutputsOf) as
// PXL text or a 1-bit bitmap by --to or the ending: one picture, or frame after frame. A result
// the panel does not show whole gets a warning through `warn`. Returns the failure, if any; a
// failed picture leaves its output as it was.
std::optional<PictureFailure> ConvertPictureFile(const PreparedArgs& request,
                                                 const std::string& input,
                                                 const std::vector<std::string>& outputs,
                                                 LinePrinter warn);

// PXL text from standard input, prepared as it is read, block by block.
std::optional<PictureFailure> ConvertPxlStream(const PreparedArgs& request,
                                               StandardInputReader& reader,
                                               const std::vector<std::string>& outputs,
                                               LinePrinter warn);

// The same for a picture already read, `name` standing for it in the messages. An OUTPUT "-"
// (standard output) receives PXL text unless --to bmp was given.
std::optional<PictureFailure> ConvertPictureBytes(const PreparedArgs& request,
                                                  const std::string& name,
                                                  std::span<const std::uint8_t> bytes,
                                                  const std::vector<std::string>& outputs,
                                                  LinePrinter warn);

// The form the outputs of `request` are written in: --to, or OUTPUT's ending; PXL text for "-".
image::PictureFormat FormOf(const PreparedArgs& request, const std::string& output);

// The picture in a named file, for a batch that gathers pictures: pixel for pixel when it is
// a format of the table and no option reshapes pixels, else its first frame prepared as the
// request says.
std::variant<image::PackedPicture, PictureFailure> ReadPicture(const PreparedArgs& request,
                                                               const std::string& input);

// convert [options] -o NAME.h INPUT...: every picture as its own C array in one header, named
// after its file, and a table of them named after NAME. Written only when every picture was
// read. Returns 0, or 1 after printing why.
int RunHeaderBatch(const PreparedArgs& request);
// True when -o names a C file (.h or .c) that is not a folder: the batch writes one header.
bool IsHeaderBatch(const PreparedArgs& request);

// Prints nothing: the warning printer of --quiet.
void IgnoreLine(std::string_view line);

// convert [options] -o DIR INPUT...: each INPUT converted to DIR/NAME.pxl (or .bmp with --to
// bmp), `request.jobs` at a time. A failed INPUT is reported in one line and the others go on.
// Returns 0 when all converted, 1 when any failed.
int RunBatch(const PreparedArgs& request);

// True when the arguments of convert hold one of the picture options (--fit, --size, --rotate,
// --flip, --threshold, --dither, --invert) before a "--". Convert then reads any picture
// (RunPreparedConvert); without them it keeps to 1-bit bitmaps and PXL files.
bool HasPrepareOptions(const std::vector<std::string>& args);

// vornix-cli convert [options] INPUT OUTPUT: INPUT is a bitmap of any depth, a PBM, PGM or PPM
// picture, or a PXL file; it is turned, scaled, thresholded or dithered as the options say and
// written as OUTPUT.pxl or OUTPUT.bmp (a 1-bit bitmap). Exit 2 for a usage error (nothing is
// read), 1 when INPUT cannot be read or OUTPUT cannot be written (OUTPUT is then untouched).
int RunPreparedConvert(const std::vector<std::string>& args);

// "WxH" with both sides 1..kMaxPreparedSide and at most kMaxPicturePixels pixels ("240x128");
// nullopt otherwise.
std::optional<image::PictureSize> ParsePictureSize(std::string_view text);

// The whole text as a number from `low` to `high`; nullopt for anything else.
std::optional<int> ParseWhole(std::string_view text, int low, int high);

// Writes the picture to `path` in `form` (PXL text, a 1-bit bitmap, or a firmware format in
// the shape `firmware` gives), as an image::OutputFile delivers it. Returns "" or the reason
// it failed ("PATH: Permission denied"); a file at `path` is then left as it was. "-" for
// `path` is standard output.
std::string WriteMonoFile(const image::MonoImage& picture, const std::string& path,
                          image::PictureFormat form, const FirmwareArgs& firmware = {});

// WriteMonoFile for a single command: returns the exit code, and prints the message of a
// failure.
int WriteMonoPicture(const image::MonoImage& picture, const std::string& path,
                     image::PictureFormat form, const FirmwareArgs& firmware = {});

} // namespace vornix::cli
