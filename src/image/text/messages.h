#pragma once

#include <string_view>

// The words the program shows its user, each written once: the window, the download and the
// command line take them from here. Texts are UTF-8.
namespace vornix::image::messages {

// The program's name: the main window's title and the title of its message boxes.
inline constexpr std::string_view kProgramTitle = "Vornix";

// A picture cannot be opened, read or made the working picture; for a file named on the
// window's command line a space and the failure code follow it.
inline constexpr std::string_view kBadFileName = "Bad file name or file type";

// Title of the boxes about files: kBadFileName, kNothingToSave and the Help commands' failures.
inline constexpr std::string_view kFileErrorTitle = "File Error";

// File > Save as BMP or PXL found no working file to save, or could not write the copy.
inline constexpr std::string_view kNothingToSave = "File Save Error. No image file to save";

// A deleted working file could not be removed when the window closes; the code follows it.
inline constexpr std::string_view kInternalError = "Internal Error";

// Title of the boxes shown while the window closes.
inline constexpr std::string_view kCloseErrorTitle = "Close Error";

// A conversion to PXL that could not finish, in the window's box and from `vornix-cli load`;
// the cause follows on the next line.
inline constexpr std::string_view kNotConverted =
    "The picture could not be converted to LCD format.";

// A PXL text without its "@" marker: the download stops (window box, LCD preview, command
// line) and `vornix-cli` refuses it.
inline constexpr std::string_view kNoLcdHeader =
    "Loading stopped. File does not have LCD Header information.";

// A file that does not start with "BM", refused by the PXL conversion: two lines.
inline constexpr std::string_view kNotCompatibleBitmap = "Image is not a compatible BMP format.";
inline constexpr std::string_view kCannotConvert = "Can not convert to LCD format.";

// A bitmap of more than one bit per pixel, refused by the PXL conversion: three lines, the
// second being kDepthBefore, the number field of the bit count and kDepthAfter.
inline constexpr std::string_view kNotCompatibleWithLcd = "Image is not compatible with LCD.";
inline constexpr std::string_view kDepthBefore = "Image is";
inline constexpr std::string_view kDepthAfter = "-bit color.";
inline constexpr std::string_view kMustBeBlackAndWhite = "Image must be B/W only.";

// The serial port could not be opened for a download; the port number follows it. The box
// is titled kComErrorTitle.
inline constexpr std::string_view kCannotOpenCom = "Can Not Open COM ";
inline constexpr std::string_view kComErrorTitle = "Com Error";

// The controller holds the line up during a download (window status bar, command line).
inline constexpr std::string_view kControllerNotReady = "Controller not ready \u2014 waiting";

// How a download ended, in the window's status bar; the command line says kDownloadStopped
// with a full stop.
inline constexpr std::string_view kDownloadComplete = "Download complete";
inline constexpr std::string_view kDownloadStopped = "Stopped";
inline constexpr std::string_view kDownloadFailed = "Download failed";
// The command line's words for a download that the port ended.
inline constexpr std::string_view kDownloadEndedEarly =
    "the download ended early: the port failed or went away";

// Image > Preview LCD: the menu command and the title of its window.
inline constexpr std::string_view kPreviewLcd = "Preview LCD";

// Import Picture cannot prepare the picture; the reason replaces %1.
inline constexpr std::string_view kCannotImport = "The picture cannot be imported: %1.";

// Usage errors of `vornix-cli` and `vornix-lcdsim`. An option's name follows kUnknownOption
// and comes before kNeedsAValue; a command's name follows kNoSuchCommand.
inline constexpr std::string_view kUnknownOption = "unknown option ";
inline constexpr std::string_view kNeedsAValue = " needs a value";
inline constexpr std::string_view kNoSuchCommand = "no command is called ";
inline constexpr std::string_view kNeedsOneFile = "needs one FILE";
inline constexpr std::string_view kNeedsInputAndOutput = "needs an INPUT and an OUTPUT";
inline constexpr std::string_view kOutputEnding = "OUTPUT must end in .pxl or .bmp";
inline constexpr std::string_view kPortNeedsDevice = "--port needs a DEVICE";

// The controller model's complaints about a command it received (`vornix-lcdsim`).
inline constexpr std::string_view kUnknownCommand = "unknown command";
inline constexpr std::string_view kMissingNumber = "missing number";

// `vornix-lcdsim` cannot open a serial device or write a snapshot; the path follows.
inline constexpr std::string_view kCannotOpen = "cannot open ";
inline constexpr std::string_view kCannotWrite = "cannot write ";

} // namespace vornix::image::messages
