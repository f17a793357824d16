#pragma once

#include <optional>
#include <string_view>

#include <QByteArray>
#include <QMetaObject>
#include <QString>

#include "download/download_flags.h"
#include "download/download_view.h"
#include "download/pacer.h"
#include "download/serial_link.h"
#include "image/picture/pxl_fields.h"

namespace vornix::download {

enum class DownloadOutcome {
    PortClosed,     // PortStatus was "CLOSED": nothing sent, nothing shown
    AlreadyRunning, // a download is on the stack already: nothing done
    HeaderMissing,  // no "@": the message was shown; File menu untouched, port left open
    Failed,         // file unusable or port failure: ended without a message, port left open
                    // (closed when the device went away), lamp unchanged
    Completed,      // every command sent; port closed, lamp green, File menu enabled
    Stopped         // a stop request ended it early; port closed, lamp green, File menu enabled
};

// How a download ended, in words: the status bar's and the command line's texts where they
// show the outcome (image/messages.h), a short phrase otherwise.
std::string_view describe(DownloadOutcome outcome);

// Sends the working PXL file to the LCD controller: the byte 0x03, the I command, a pause of
// 11 ticks, the D command, then each row as position and data commands of up to ten values,
// every command waited out by Pacer::WriteComPort. StopDownload is looked at after the pause
// and before each group.
//
// The flags, link, pacer and view must outlive the download; none of them may be destroyed
// while LoadLCD is on the stack (it runs nested event loops).
class LcdDownload {
public:
    // The view hears from the pacer when the line is held up, for as long as this download
    // lives.
    LcdDownload(DownloadFlags& flags, SerialLink& link, Pacer& pacer, DownloadView& view);
    ~LcdDownload();
    LcdDownload(const LcdDownload&) = delete;
    LcdDownload& operator=(const LcdDownload&) = delete;

    // The "&Load LCD" procedure on the file at `pxlPath`; `portStatus` is what OpenCom left.
    DownloadOutcome LoadLCD(const QString& portStatus, const QString& pxlPath);

    // The same on a PXL text already in memory (the command line's converted bitmaps).
    DownloadOutcome LoadLCDText(const QString& portStatus, std::string_view pxlText);

    // True from the start of LoadLCD until it returns.
    bool isRunning() const { return m_running; }

    // True while the download waits: a command being transmitted or the pause after the I
    // command. The close guard refuses to close the window while this holds.
    bool isWaiting() const { return m_flags.Transmitting || m_pacer.isPausing(); }

    // True when the last download was stopped while the controller held the line, so that
    // what was still queued, part of a command included, was dropped.
    bool discardedOnStop() const { return m_discardedOnStop; }

    // W, H and B of the last header read (PxlWidth, PxlHeight, PxlPixelsPerByte).
    std::optional<image::PxlHeader> lastHeader() const { return m_header; }

private:
    DownloadOutcome run(std::string_view pxlText);
    DownloadOutcome sendSteps(std::string_view pxlText);
    WriteResult send(const std::string& command);
    DownloadOutcome finish(DownloadOutcome outcome);
    DownloadOutcome fail();

    DownloadFlags& m_flags;
    SerialLink& m_link;
    Pacer& m_pacer;
    DownloadView& m_view;
    QMetaObject::Connection m_stallNote;
    bool m_running = false;
    bool m_started = false;
    bool m_discardedOnStop = false;
    std::optional<image::PxlHeader> m_header;
    qint64 m_bytesSent = 0;
    qint64 m_bytesTotal = 0;
};

} // namespace vornix::download
