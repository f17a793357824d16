// The single-instance lock: a running instance ends the next start quietly, every other
// failure to take the lock is told and ends the program with status 1.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include <csignal>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/application.h"
#include "support/described_enum.h"
#include "support/fake_prompts.h"
#include "support/row_name.h"

namespace vornix::test {
namespace {

using app::InstanceLock;
using app::TakeInstanceLock;

const QString kLockName = QStringLiteral("vornix.lock");

// The id of a process that has ended: a lock naming it was left by an instance that died.
qint64 endedProcessId() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

struct LockCase {
    std::string name;
    // Prepares the folder; returns the lock file's path.
    std::function<QString(const QDir& folder)> prepare;
    InstanceLock outcome;
    QString reason; // the last line of the message; "" when there is none
};

void PrintTo(const LockCase& row, std::ostream* out) {
    *out << row.name;
}

class InstanceLockTest : public ::testing::TestWithParam<LockCase> {};

TEST_P(InstanceLockTest, TellsEveryFailureButARunningInstance) {
    const LockCase& row = GetParam();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // A lock held in this process stands for a running instance.
    QLockFile running(folder.filePath(kLockName));
    if (row.name == "HeldByRunningInstance") {
        ASSERT_TRUE(running.tryLock(0));
    }
    const QString path = row.prepare(QDir(folder.path()));
    FakePrompts prompts;
    QLockFile lock(path);

    EXPECT_EQ(TakeInstanceLock(lock, path, prompts), row.outcome);
    if (row.reason.isEmpty()) {
        EXPECT_TRUE(prompts.messages.empty());
    } else {
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].title, QStringLiteral("Vornix"));
        EXPECT_EQ(prompts.messages[0].buttons, app::MessageButtons::Ok);
        const QStringList lines = prompts.messages[0].text.split(QStringLiteral("\r\n"));
        ASSERT_GE(lines.size(), 2);
        EXPECT_EQ(lines[lines.size() - 2], path);
        EXPECT_EQ(lines.last(), row.reason);
    }
    if (row.outcome == InstanceLock::Taken) {
        EXPECT_TRUE(lock.isLocked());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Locks, InstanceLockTest,
    ::testing::Values(
        LockCase{
            "Free", [](const QDir& d) { return d.filePath(kLockName); }, InstanceLock::Taken, {}},
        LockCase{"HeldByRunningInstance",
                 [](const QDir& d) { return d.filePath(kLockName); },
                 InstanceLock::HeldByRunningInstance,
                 {}},
        LockCase{"LeftByAnInstanceThatDied",
                 [](const QDir& d) {
                     QFile f(d.filePath(kLockName));
                     f.open(QIODevice::WriteOnly);
                     f.write(QByteArray::number(endedProcessId()) + "\nvornix\n" +
                             QSysInfo::machineHostName().toLocal8Bit() + "\n");
                     return f.fileName();
                 },
                 InstanceLock::Taken,
                 {}},
        LockCase{"FolderInItsPlace",
                 [](const QDir& d) {
                     d.mkdir(kLockName);
                     return d.filePath(kLockName);
                 },
                 InstanceLock::Failed, QStringLiteral("A folder is in its place.")},
        LockCase{"FifoInItsPlace",
                 [](const QDir& d) {
                     ::mkfifo(QFile::encodeName(d.filePath(kLockName)).constData(), 0600);
                     return d.filePath(kLockName);
                 },
                 InstanceLock::Failed,
                 QStringLiteral("Something other than a file is in its place.")},
        LockCase{"FolderMissing",
                 [](const QDir& d) { return d.filePath(QStringLiteral("gone/") + kLockName); },
                 InstanceLock::Failed, QStringLiteral("No such file or directory.")},
        LockCase{"EmptyLockFile",
                 [](const QDir& d) {
                     QFile f(d.filePath(kLockName));
                     f.open(QIODevice::WriteOnly);
                     return f.fileName();
                 },
                 InstanceLock::Failed,
                 QStringLiteral("It names no running instance and cannot be taken over.")}),
    RowName);

// A user who may not write in the lock's folder is told so. Run as that user: as root, in a
// child process that gives up root first.
TEST(InstanceLockPermissionTest, FolderWithoutWritePermissionIsTold) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ASSERT_EQ(::chmod(QFile::encodeName(folder.path()).constData(), 0555), 0);
    const QString path = folder.filePath(kLockName);
    auto attempt = [&path]() {
        FakePrompts prompts;
        QLockFile lock(path);
        const InstanceLock outcome = TakeInstanceLock(lock, path, prompts);
        const QString reason = prompts.messages.empty()
                                   ? QString()
                                   : prompts.messages[0].text.split(QStringLiteral("\r\n")).last();
        return std::make_pair(outcome, reason);
    };
    std::pair<InstanceLock, QString> result;
    if (::geteuid() != 0) {
        result = attempt();
    } else {
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipeEnds[0]);
            int code = 2;
            if (::setresgid(65534, 65534, 65534) == 0 && ::setresuid(65534, 65534, 65534) == 0) {
                const auto [outcome, reason] = attempt();
                const QByteArray text = QByteArray::number(int(outcome)) + ':' + reason.toUtf8();
                code = ::write(pipeEnds[1], text.constData(), text.size()) == text.size() ? 0 : 3;
            }
            ::_exit(code);
        }
        ::close(pipeEnds[1]);
        QByteArray text;
        char buffer[256];
        for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
            text.append(buffer, got);
        }
        ::close(pipeEnds[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
        const qsizetype colon = text.indexOf(':');
        result = {InstanceLock(text.left(colon).toInt()), QString::fromUtf8(text.mid(colon + 1))};
    }
    EXPECT_EQ(result.first, InstanceLock::Failed);
    EXPECT_EQ(result.second, QStringLiteral("Permission denied."));
    EXPECT_FALSE(QFile::exists(path));
}

// The program itself: a folder where its lock file belongs gets a real box titled "Vornix"
// naming the lock file, and the exit status 1, before any main window exists.
TEST(InstanceLockPermissionTest, ProgramEndsWithStatusOneAfterTheBox) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    ASSERT_TRUE(QDir(runtime.path()).mkdir(kLockName));
    const QByteArray previous = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));

    QString title;
    QString text;
    bool mainWindowShown = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            mainWindowShown |= window->isVisible() && window->objectName() == "LCDForm";
        }
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            text = box->text();
            box->accept();
        }
    });
    poll.start(10);
    const int status = app::RunApplication(*qobject_cast<QApplication*>(qApp));
    poll.stop();
    qputenv("XDG_RUNTIME_DIR", previous);

    EXPECT_EQ(status, 1);
    EXPECT_EQ(title, QStringLiteral("Vornix"));
    EXPECT_TRUE(text.contains(QDir(runtime.path()).filePath(kLockName))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("A folder is in its place."))) << text.toStdString();
    EXPECT_FALSE(mainWindowShown);
}

// The folder that holds the working files: where it cannot hold them, a box titled "Vornix"
// names it and the system's reason, instead of a failure about a picture later on. The reason
// "Permission denied." is checked as a user without root's rights: as root, in a child process
// that gives them up first.
struct WorkingFolderCase {
    std::string name;
    std::function<QString(const QDir& folder)> prepare; // returns the working folder
    bool asRoot;     // root would be let in; the check runs as the nobody user
    QString reason;  // "" when the folder can be used
};

class WorkingFolderTest : public ::testing::TestWithParam<WorkingFolderCase> {};

TEST_P(WorkingFolderTest, NamesTheFolderAndTheReason) {
    const WorkingFolderCase& row = GetParam();
    QTemporaryDir temporary;
    ASSERT_TRUE(temporary.isValid());
    const QString folder = row.prepare(QDir(temporary.path()));
    auto check = [&folder]() {
        FakePrompts prompts;
        const bool usable = app::CheckWorkingFolder(folder, prompts);
        return std::make_pair(usable, prompts.messages.empty() ? QString() : prompts.messages[0].text);
    };
    std::pair<bool, QString> result;
    if (!row.asRoot || ::geteuid() != 0) {
        result = check();
    } else {
        ::chmod(QFile::encodeName(temporary.path()).constData(), 0755);
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipeEnds[0]);
            int code = 2;
            if (::setresgid(65534, 65534, 65534) == 0 && ::setresuid(65534, 65534, 65534) == 0) {
                const auto [usable, text] = check();
                const QByteArray bytes = (usable ? "1:" : "0:") + text.toUtf8();
                code = ::write(pipeEnds[1], bytes.constData(), bytes.size()) == bytes.size() ? 0 : 3;
            }
            ::_exit(code);
        }
        ::close(pipeEnds[1]);
        QByteArray bytes;
        char buffer[512];
        for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
            bytes.append(buffer, got);
        }
        ::close(pipeEnds[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
        result = {bytes.startsWith("1:"), QString::fromUtf8(bytes.mid(2))};
    }
    if (row.reason.isEmpty()) {
        EXPECT_TRUE(result.first);
        EXPECT_EQ(result.second, QString());
        return;
    }
    EXPECT_FALSE(result.first);
    EXPECT_EQ(result.second, QStringLiteral("Vornix cannot start: its working files cannot be "
                                            "kept in their folder.\r\n\r\n") +
                                 folder + QStringLiteral("\r\n") + row.reason);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, WorkingFolderTest,
    ::testing::Values(
        WorkingFolderCase{"Writable", [](const QDir& d) { return d.path(); }, false, {}},
        WorkingFolderCase{"MissingPartsAreMade",
                          [](const QDir& d) { return d.filePath(QStringLiteral("a/b")); }, false,
                          {}},
        WorkingFolderCase{"FileInItsPath",
                          [](const QDir& d) {
                              QFile f(d.filePath(QStringLiteral("data")));
                              f.open(QIODevice::WriteOnly);
                              return d.filePath(QStringLiteral("data/vornix"));
                          },
                          false, QStringLiteral("Not a directory.")},
        WorkingFolderCase{"ReadOnlyFolder",
                          [](const QDir& d) {
                              d.mkdir(QStringLiteral("vornix"));
                              ::chmod(QFile::encodeName(d.filePath(QStringLiteral("vornix")))
                                          .constData(),
                                      0555);
                              return d.filePath(QStringLiteral("vornix"));
                          },
                          true, QStringLiteral("Permission denied.")},
        WorkingFolderCase{"ReadOnlyParent",
                          [](const QDir& d) {
                              d.mkdir(QStringLiteral("share"));
                              ::chmod(QFile::encodeName(d.filePath(QStringLiteral("share")))
                                          .constData(),
                                      0555);
                              return d.filePath(QStringLiteral("share/vornix"));
                          },
                          true, QStringLiteral("Permission denied.")}),
    RowName);

// The real program ended by a signal, as a logout or `kill` ends it: it removes its working
// files and its lock as File > Exit does, and ends normally.
class TerminationSignalTest : public ::testing::TestWithParam<int> {};

TEST_P(TerminationSignalTest, RemovesTheWorkingFilesAndTheLock) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QDir folder(home.path());
    ASSERT_TRUE(folder.mkdir(QStringLiteral("bin")) && folder.mkdir(QStringLiteral("data")) &&
                folder.mkdir(QStringLiteral("run")));
    ::chmod(QFile::encodeName(folder.filePath(QStringLiteral("run"))).constData(), 0700);
    // A copy without the guide beside it keeps its working files in the data folder.
    const QString program = folder.filePath(QStringLiteral("bin/vornix"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORNIX_BIN_DIR "/vornix"), program));
    const QString picture = folder.filePath(QStringLiteral("shapes.bmp"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORNIX_SAMPLES "/shapes.bmp"), picture));
    const QString working = folder.filePath(QStringLiteral("data/vornix/~LCDpxl.tmp"));
    const QString lock = folder.filePath(QStringLiteral("run/vornix.lock"));

    QProcess vornix;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder.filePath(QStringLiteral("run")));
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    vornix.setProcessEnvironment(environment);
    vornix.start(program, {picture});
    ASSERT_TRUE(vornix.waitForStarted());
    // The window is up once its working files and its lock are there (hang guard only).
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return QFile::exists(working) && QFile::exists(lock); }, 60'000));
    ASSERT_TRUE(QFile::exists(folder.filePath(QStringLiteral("data/vornix/~LCDbmp.tmp"))));

    ASSERT_EQ(::kill(static_cast<pid_t>(vornix.processId()), GetParam()), 0);
    ASSERT_TRUE(vornix.waitForFinished(60'000));
    EXPECT_EQ(vornix.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vornix.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(working));
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("data/vornix/~LCDbmp.tmp"))));
    EXPECT_FALSE(QFile::exists(lock));
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationSignalTest, ::testing::Values(SIGTERM, SIGHUP),
                         [](const auto& info) {
                             return std::string(info.param == SIGTERM ? "Term" : "Hangup");
                         });

class InstanceLockDescribeTest : public ::testing::TestWithParam<DescribedEnum> {};

TEST_P(InstanceLockDescribeTest, EveryValueHasWordsOfItsOwn) {
    ExpectOwnWords(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Failures, InstanceLockDescribeTest,
                         ::testing::Values(Described("InstanceLock",
                                                     {InstanceLock::Taken,
                                                      InstanceLock::HeldByRunningInstance,
                                                      InstanceLock::Failed})),
                         RowName);

} // namespace
} // namespace vornix::test
