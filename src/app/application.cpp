#include "app/application.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include "app/app_state.h"
#include "app/lcd_form.h"
#include "app/qt_prompts.h"
#include "app/working_files.h"

namespace vornix::app {

namespace {

// The working files live beside the executable in a build tree or a personal copy; an installed
// copy keeps them in the user's data folder.
QString WorkingDirectory() {
    const QString programDir = QCoreApplication::applicationDirPath();
    if (WorkingFilesBesideProgram(programDir)) {
        return programDir;
    }
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dataDir);
    return dataDir;
}

QString LockFilePath() {
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) {
        runtime = QDir::tempPath();
    }
    return runtime + QStringLiteral("/vornix.lock");
}

// The command line as one text, as the user typed it after the program's name.
QString CommandLineText(const QApplication& app) {
    return app.arguments().mid(1).join(QLatin1Char(' '));
}

} // namespace

int RunApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("vornix"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/vornix/vornix.png")));

    // One instance at a time; a lock left behind by a crashed run is taken over.
    QLockFile instanceLock(LockFilePath());
    instanceLock.setStaleLockTime(0);
    const bool previousInstance = !instanceLock.tryLock(0);

    AppState state;
    QtPrompts prompts;
    LCDForm form(state, prompts, LCDFormOptions{WorkingDirectory(), previousInstance});
    prompts.setParent(&form);
    if (!form.Form_Load(CommandLineText(app))) {
        return 0;
    }
    form.show();
    return app.exec();
}

} // namespace vornix::app
