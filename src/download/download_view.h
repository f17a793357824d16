#pragma once

#include <string_view>

#include <QString>
#include <QtGlobal>

#include "image/text/messages.h"

namespace vornix::download {

// The download lamp's colours: white before the first download, red while the controller is
// set up, yellow while picture data goes out, green once the download has ended or stopped.
enum class LampColor { White, Red, Yellow, Green };

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

constexpr Rgb LampRgb(LampColor color) {
    switch (color) {
    case LampColor::White:
        return {255, 255, 255};
    case LampColor::Red:
        return {255, 0, 0};
    case LampColor::Yellow:
        return {255, 255, 0};
    case LampColor::Green:
        return {0, 255, 0};
    }
    return {255, 255, 255};
}

// The message a download shows when the working file has no "@" marker, in a box with the
// stop icon and the title kHeaderMissingTitle (both from image/messages.h).
inline constexpr const char* kHeaderMissingMessage = image::messages::kNoLcdHeader.data();
inline constexpr const char* kHeaderMissingTitle = image::messages::kProgramTitle.data();

// How a download that got under way ended.
enum class DownloadEnd {
    Done,    // every command sent
    Stopped, // a stop request ended it
    Failed   // the port failed or went away
};

// How a download that showed progress ended: the status bar's end texts.
constexpr std::string_view describe(DownloadEnd end) {
    switch (end) {
    case DownloadEnd::Done:
        return image::messages::kDownloadComplete;
    case DownloadEnd::Stopped:
        return image::messages::kDownloadStopped;
    case DownloadEnd::Failed:
        return image::messages::kDownloadFailed;
    }
    return "unknown end";
}

// What a download shows while it runs. The main window implements it with its File menu,
// RowCounter label, LoadLight lamp, status bar and message box; the command line with progress
// output.
class DownloadView {
public:
    virtual ~DownloadView() = default;

    virtual void setFileMenuEnabled(bool enabled) = 0;
    // "" at the start, then "Row" and the number field of each row as its last group has gone.
    virtual void setRowCounter(const QString& caption) = 0;
    virtual void setLamp(LampColor color) = 0;
    // Shows kHeaderMissingMessage.
    virtual void showHeaderMissing() = 0;
    // At the start with nothing sent, then after every command that has left the port;
    // `bytesTotal` is the whole stream.
    virtual void showProgress(qint64 bytesSent, qint64 bytesTotal) {
        Q_UNUSED(bytesSent);
        Q_UNUSED(bytesTotal);
    }
    // True when the line has stood still long enough to count as held up by the controller,
    // false when bytes move again or the wait is over.
    virtual void showStalled(bool stalled) { Q_UNUSED(stalled); }
    // Once, when a download that showed progress has ended.
    virtual void showEnd(DownloadEnd end) { Q_UNUSED(end); }
};

} // namespace vornix::download
