#include "app/application.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#include "app/app_state.h"
#include "app/lcd_form.h"
#include "app/message_text.h"
#include "app/qt_prompts.h"
#include "app/termination_signals.h"
#include "app/working_files.h"
#include "image/text/messages.h"

namespace vornix::app {

namespace {

// An instance that has just created its lock file writes its name into it a moment later.
constexpr int kLockInfoAttempts = 10;
constexpr unsigned long kLockInfoPauseMs = 20;

// The working files live beside the executable in a build tree or a personal copy; an installed
// copy keeps them in the user's data folder, which only the user may enter.
QString WorkingDirectory() {
    const QString programDir = QCoreApplication::applicationDirPath();
    if (WorkingFilesBesideProgram(programDir)) {
        return programDir;
    }
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    MakePrivateFolder(dataDir);
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

// Why nothing but a lock file can stand at `path`; "" when a lock file may.
QString ObstacleAt(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode)) {
        return QString();
    }
    return S_ISDIR(info.st_mode) ? QStringLiteral("A folder is in its place.")
                                 : QStringLiteral("Something other than a file is in its place.");
}

// True when the lock file names the instance that holds it. A lock of an instance that is no
// longer running has been taken over by tryLock() already.
bool HeldByInstance(const QLockFile& lock) {
    for (int attempt = 0; attempt < kLockInfoAttempts; ++attempt) {
        qint64 pid = 0;
        QString host;
        QString application;
        if (lock.getLockInfo(&pid, &host, &application)) {
            return true;
        }
        QThread::msleep(kLockInfoPauseMs);
    }
    return false;
}

QString ErrorText(int error, const QString& fallback) {
    if (error == 0) {
        return fallback;
    }
    return QString::fromLocal8Bit(std::strerror(error)) + QLatin1Char('.');
}

// The errno value that keeps `folder` from being a folder: ENOTDIR where a part of its path is
// no folder, else that of creating its first missing part; 0 when it is a folder.
int MissingFolderError(const QString& folder) {
    const QStringList parts = QDir::cleanPath(QDir(folder).absolutePath()).split(QLatin1Char('/'));
    QString path;
    for (const QString& part : parts) {
        if (part.isEmpty()) {
            continue;
        }
        path += QLatin1Char('/') + part;
        const QByteArray native = QFile::encodeName(path);
        struct stat info {};
        if (::stat(native.constData(), &info) == 0) {
            if (!S_ISDIR(info.st_mode)) {
                return ENOTDIR;
            }
            continue;
        }
        if (errno != ENOENT) {
            return errno;
        }
        return ::mkdir(native.constData(), 0700) == 0 ? 0 : errno;
    }
    return 0;
}

// The errno value of creating a file in `folder`; 0 when one could be created (and is gone
// again).
int CreateFileError(const QString& folder) {
    QByteArray probe = QFile::encodeName(folder + QStringLiteral("/.vornix-XXXXXX"));
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        return errno;
    }
    ::close(fd);
    ::unlink(probe.constData());
    return 0;
}

} // namespace

bool CheckWorkingFolder(const QString& folder, Prompts& prompts) {
    int error = MakePrivateFolder(folder) ? 0 : MissingFolderError(folder);
    if (error == 0) {
        error = CreateFileError(folder);
    }
    if (error == 0) {
        return true;
    }
    const QString crlf = QStringLiteral("\r\n");
    prompts.message(QStringLiteral("Vornix cannot start: its working files cannot be kept in "
                                   "their folder.") +
                        crlf + crlf + folder + crlf + ErrorText(error, QString()),
                    Text(image::messages::kProgramTitle), MessageIcon::Stop, MessageButtons::Ok);
    return false;
}

std::string_view describe(InstanceLock lock) {
    switch (lock) {
    case InstanceLock::Taken:
        return "this is the only instance";
    case InstanceLock::HeldByRunningInstance:
        return "another instance is running";
    case InstanceLock::Failed:
        return "the lock file could not be taken";
    }
    return "unknown lock state";
}

InstanceLock TakeInstanceLock(QLockFile& lock, const QString& path, Prompts& prompts) {
    lock.setStaleLockTime(0);
    QString reason = ObstacleAt(path);
    if (reason.isEmpty()) {
        errno = 0;
        if (lock.tryLock(0)) {
            return InstanceLock::Taken;
        }
        const int error = errno;
        switch (lock.error()) {
        case QLockFile::LockFailedError:
            if (HeldByInstance(lock)) {
                return InstanceLock::HeldByRunningInstance;
            }
            reason = QStringLiteral("It names no running instance and cannot be taken over.");
            break;
        case QLockFile::PermissionError:
            reason = ErrorText(error, QStringLiteral("Permission denied."));
            break;
        default:
            reason = ErrorText(error, QStringLiteral("It could not be written."));
            break;
        }
    }
    const QString crlf = QStringLiteral("\r\n");
    prompts.message(QStringLiteral("Vornix cannot start: the lock file that keeps it from running "
                                   "twice could not be taken.") +
                        crlf + crlf + path + crlf + reason,
                    Text(image::messages::kProgramTitle), MessageIcon::Stop, MessageButtons::Ok);
    return InstanceLock::Failed;
}

int RunApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("vornix"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/vornix/vornix.png")));

    QtPrompts prompts;
    const QString lockPath = LockFilePath();
    QLockFile instanceLock(lockPath);
    const InstanceLock lock = TakeInstanceLock(instanceLock, lockPath, prompts);
    if (lock == InstanceLock::Failed) {
        return 1;
    }

    const QString workingDirectory = WorkingDirectory();
    // A second instance leaves the working files to the first one and ends without a box.
    if (lock == InstanceLock::Taken && !CheckWorkingFolder(workingDirectory, prompts)) {
        return 1;
    }
    AppState state;
    LCDForm form(state, prompts,
                 LCDFormOptions{workingDirectory, lock == InstanceLock::HeldByRunningInstance});
    prompts.setParent(&form);
    // Connected before the start-up, which may already show a box or the import dialog.
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::received, &form,
                     [&form](int) { form.requestTermination(); });
    // Every event loop is left, a modal box's or dialog's too, so that the main loop returns
    // and the instance lock is given up.
    QObject::connect(&form, &LCDForm::terminated, &app, [] { QCoreApplication::exit(0); });
    if (!form.Form_Load(CommandLineText(app))) {
        return 0;
    }
    if (form.terminationRequested()) {
        return 0;
    }
    form.show();
    return app.exec();
}

} // namespace vornix::app
