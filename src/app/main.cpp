// The Vornix desktop program.
#include <QApplication>

#include "app/application.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return vornix::app::RunApplication(app);
}
