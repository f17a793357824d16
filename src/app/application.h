#pragma once

class QApplication;

namespace vornix::app {

// Sets up the application state and the main window, runs start-up and the event loop.
int RunApplication(QApplication& app);

} // namespace vornix::app
