#pragma once

#include <cstdint>
#include <vector>

#include <QString>

#include "download/download_flags.h"
#include "image/picture/bitmap_header.h"

namespace vornix::app {

// The process-wide state that the windows and commands share. One instance lives in main
// and is passed by reference; it starts zeroed and start-up gives it its start values.
struct AppState {
    QString CrLf;
    QString TempBMPFile;  // working bitmap: the current picture as a 1-bit BMP
    QString TempPXLFile;  // working PXL file: the current picture as LCD data
    QString UntitledFile; // copy of the working bitmap handed to the paint program
    QString PaintProgram; // the paint program found at start-up ("" when none)
    QString FilePath;     // directory handed to and returned by the file dialog
    QString FileName;     // name handed to and returned by the file dialog ("~CANCEL")
    QString LastFileName; // bare name of the file last opened, proposed by the saves
    QString PortNumber;   // "1".."4"
    QString BaudRate;     // "9600"
    QString PortStatus;   // "CLOSED" or "OPEN"

    // StopDownload, Transmitting and TimerTicks: shared with the download while it runs.
    download::DownloadFlags flags;

    image::BitmapHeader BMPHeader;
    image::ColorTableBytes ColorTable{};
    std::int16_t BytesPerRow = 0;
    std::int16_t PxlWidth = 0;
    std::int16_t PxlHeight = 0;
    std::int16_t PxlPixelsPerByte = 0;
};

} // namespace vornix::app
