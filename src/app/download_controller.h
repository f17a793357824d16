#pragma once

#include <memory>

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

    void OpenCom();
    void LoadLCD();

    // True while the download waits: for a command to leave the port, or in its pause.
    bool running() const;

private:
    struct Parts;
    LCDForm& m_form;
    AppState& m_state;
    Prompts& m_prompts;
    std::unique_ptr<Parts> m_parts;
};

} // namespace vornix::app
