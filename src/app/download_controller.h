#pragma once

#include <memory>

namespace vornix::download {
class SerialLink;
}

namespace vornix::app {

class LCDForm;
class Prompts;
struct AppState;

// Connects the main window to the download: opens the chosen port, runs the download with the
// window's lamp, row counter and File menu as its display, and answers the close guard.
class DownloadController {
public:
    DownloadController(LCDForm& form, AppState& state, Prompts& prompts);
    ~DownloadController();

    void openPort();
    void run();

    // True while the download waits: for a command to leave the port, or in its pause.
    bool running() const;

    // The serial line in use; tests put a simulated one in its place before a download.
    void setLink(std::unique_ptr<download::SerialLink> link);
    download::SerialLink& link();

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

} // namespace vornix::app
