#pragma once

#include <memory>

namespace vornix::download {
class DownloadView;
class SerialLink;
} // namespace vornix::download

namespace vornix::app {

class Prompts;
struct AppState;

// Runs the window's download: opens the chosen port, sends the working PXL file with `view` as
// its display (lamp, row counter, File menu, progress and the controller's stalls), and answers
// the close guard.
class DownloadController {
public:
    DownloadController(download::DownloadView& view, AppState& state, Prompts& prompts);
    ~DownloadController();

    void openPort();
    void run();

    // True while the download waits: for a command to leave the port, or in its pause.
    bool running() const;

    // True from the start of a download until it has ended, between its waits as well.
    bool inProgress() const;

    // True while the pacer's 10 ms tick runs: only during a download.
    bool ticking() const;

    // The serial line in use; tests put a simulated one in its place before a download.
    void setLink(std::unique_ptr<download::SerialLink> link);
    download::SerialLink& link();

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

} // namespace vornix::app
