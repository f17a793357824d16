#include "app/application.h"

#include <QApplication>
#include <QMainWindow>

namespace vornix::app {

int RunApplication(QApplication& app) {
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Vornix"));
    window.show();
    return app.exec();
}

} // namespace vornix::app
