#pragma once

// Runs the real vornix-cli as a separate process, and builds the small files it is fed.
#include <cstdint>
#include <initializer_list>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <unistd.h>

namespace vornix::clitest {

// Long enough for a sanitizer build on a busy machine; a run that takes longer has hung.
constexpr int kRunTimeoutMs = 60000;

struct CliRun {
    int exitCode = -1; // -1 when the process crashed or hung
    QByteArray out;
    QByteArray err;
};

// A user that is not root runs the program: this one when the tests do not run as root,
// otherwise "nobody" through setpriv. False when neither is possible.
inline bool CanRunAsNormalUser() {
    return ::geteuid() != 0 || ::access("/usr/bin/setpriv", X_OK) == 0;
}

// The exit code and output of a started process once it ends; exitCode stays -1 when it
// crashed or hung (it is then killed).
inline CliRun FinishRun(QProcess& process) {
    CliRun run;
    if (!process.waitForFinished(kRunTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    if (process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// Runs a shell script in `folder` with $CLI set to the vornix-cli under test and $SAMPLES to
// the samples folder.
inline CliRun RunShell(const QString& script, const QString& folder) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CLI"), QStringLiteral(VORNIX_BIN_DIR "/vornix-cli"));
    environment.insert(QStringLiteral("SAMPLES"), QStringLiteral(VORNIX_SAMPLES));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
    return FinishRun(process);
}

inline CliRun RunCli(const QStringList& args, bool asNormalUser = false) {
    QProcess process;
    if (asNormalUser && ::geteuid() == 0) {
        process.start(QStringLiteral("/usr/bin/setpriv"),
                      QStringList{"--reuid=65534", "--regid=65534", "--clear-groups",
                                  QStringLiteral(VORNIX_BIN_DIR "/vornix-cli")} +
                          args);
    } else {
        process.start(QStringLiteral(VORNIX_BIN_DIR "/vornix-cli"), args);
    }
    return FinishRun(process);
}

// The usage text, as the program prints it for --help.
inline QByteArray UsageText() {
    return RunCli({QStringLiteral("--help")}).out;
}

// A usage error as the program prints it: one line that names the command and says what was
// wrong, then the pointer to --help; nothing else.
inline bool IsUsageError(const QByteArray& err, const QByteArray& command) {
    const QList<QByteArray> lines = err.split('\n');
    const QByteArray prefix = command.isEmpty() ? "vornix-cli: " : "vornix-cli " + command + ": ";
    return lines.size() == 3 && lines[0].startsWith(prefix) && lines[0].size() > prefix.size() &&
           lines[1] == "Try 'vornix-cli --help'." && lines[2].isEmpty();
}

inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Everything in a folder, hidden files included: a stray temporary file shows up here.
inline QStringList EntriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// Little-endian fields of the given sizes, in order.
inline QByteArray LittleEndian(std::initializer_list<std::pair<std::int64_t, int>> fields) {
    QByteArray bytes;
    for (const auto& [value, size] : fields) {
        for (int i = 0; i < size; ++i) {
            bytes.append(static_cast<char>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xFF));
        }
    }
    return bytes;
}

// The fields of a hand-made bitmap file's two headers.
struct BitmapFields {
    QByteArray type = "BM";
    std::int32_t fileSize = 0;
    std::int32_t offBits = 62;
    std::int32_t width = 8;
    std::int32_t height = 1;
    std::int16_t bitCount = 1;
    std::int32_t imageSize = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t clrUsed = 0;
};

// A bitmap file: the two headers, a black-and-white colour table, then `pixels`.
inline QByteArray Bitmap(const BitmapFields& f, const QByteArray& pixels) {
    return f.type +
           LittleEndian({{f.fileSize, 4},
                         {0, 2},
                         {0, 2},
                         {f.offBits, 4},
                         {40, 4},
                         {f.width, 4},
                         {f.height, 4},
                         {1, 2},
                         {f.bitCount, 2},
                         {0, 4},
                         {f.imageSize, 4},
                         {f.xPelsPerMeter, 4},
                         {f.xPelsPerMeter, 4},
                         {f.clrUsed, 4},
                         {0, 4}}) +
           QByteArray::fromHex("00000000ffffff00") + pixels;
}

} // namespace vornix::clitest
