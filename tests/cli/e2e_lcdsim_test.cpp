// End to end: the real vornix-lcdsim on a pseudo-terminal, fed by hand-made streams and by the
// real vornix-cli load.
#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "download/pty_support.h"
#include "download/pxl_samples.h"
#include "download/stream_end.h"
#include "port_board.h"

namespace {

const QString kSimulator = QStringLiteral(VORNIX_BIN_DIR "/vornix-lcdsim");
const QString kCli = QStringLiteral(VORNIX_BIN_DIR "/vornix-cli");
constexpr int kStartMs = 15000;
constexpr int kFinishMs = 60000;
constexpr int kPbmHeader = 11; // "P4\n240 128\n"

struct ByteAt {
    int row;
    int column;
    unsigned char value;
};

// The PBM a panel showing exactly these bytes gives; every other byte is 0.
QByteArray expectedPbm(const std::vector<ByteAt>& bytes) {
    QByteArray pbm = "P4\n240 128\n" + QByteArray(30 * 128, '\0');
    for (const ByteAt& b : bytes) {
        pbm[kPbmHeader + b.row * 30 + b.column] = static_cast<char>(b.value);
    }
    return pbm;
}

bool writeToLine(const QString& path, const QByteArray& bytes) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_WRONLY | O_NOCTTY);
    if (fd < 0) {
        return false;
    }
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            break;
        }
        done += n;
    }
    ::close(fd);
    return done == bytes.size();
}

// vornix-lcdsim running headless, with its files in a temporary folder.
class Simulator {
public:
    explicit Simulator(QStringList extra) {
        m_pbm = m_dir.filePath("out.pbm");
        m_png = m_dir.filePath("out.png");
        m_process.start(kSimulator,
                        QStringList{"--headless", "--pbm", m_pbm, "--png", m_png} + extra);
    }
    ~Simulator() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(kStartMs);
        }
    }

    // The first line on stdout: where to send.
    QString linePath() {
        const QDeadlineTimer deadline(kStartMs);
        while (!m_process.canReadLine() && !deadline.hasExpired() &&
               m_process.state() != QProcess::NotRunning) {
            m_process.waitForReadyRead(100);
        }
        return QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }

    bool finished() {
        return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(kFinishMs);
    }
    void signal(int number) { ::kill(static_cast<pid_t>(m_process.processId()), number); }
    int exitCode() const { return m_process.exitCode(); }
    QString stderrText() { return QString::fromLocal8Bit(m_process.readAllStandardError()); }

    QByteArray pbm() const {
        QFile file(m_pbm);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    const QString& pbmPath() const { return m_pbm; }
    const QString& pngPath() const { return m_png; }

private:
    QTemporaryDir m_dir;
    QString m_pbm;
    QString m_png;
    QProcess m_process;
};

// Checks a picture file against the expected PBM pixel by pixel through QImage, a second
// reader of both formats.
void expectSamePixels(const QString& path, const QByteArray& pbm) {
    const QImage image(path);
    ASSERT_EQ(image.size(), QSize(240, 128)) << path.toStdString();
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 240; ++x) {
            const bool dark = (static_cast<unsigned char>(pbm[kPbmHeader + y * 30 + x / 8]) &
                               (0x80 >> (x % 8))) != 0;
            ASSERT_EQ(qGray(image.pixel(x, y)) < 128, dark)
                << path.toStdString() << " at " << x << "," << y;
        }
    }
}

struct StreamCase {
    const char* name;
    QByteArray stream;
    bool fast;
    std::vector<ByteAt> expected;
    const char* summary; // a line the summary on stderr must hold
};

void PrintTo(const StreamCase& c, std::ostream* os) {
    *os << c.name;
}

class SimulatorStream : public ::testing::TestWithParam<StreamCase> {};

TEST_P(SimulatorStream, ShowsWhatTheStreamDrew) {
    const StreamCase& c = GetParam();
    QStringList options{"--exit-after-idle", "1"};
    if (c.fast) {
        options << "--fast";
    }
    Simulator sim(options);
    const QString line = sim.linePath();
    ASSERT_TRUE(line.startsWith("/dev/")) << line.toStdString();
    ASSERT_TRUE(writeToLine(line, c.stream));

    ASSERT_TRUE(sim.finished());
    EXPECT_EQ(sim.exitCode(), 0);
    const QByteArray expected = expectedPbm(c.expected);
    EXPECT_EQ(sim.pbm(), expected);
    expectSamePixels(sim.pbmPath(), expected);
    expectSamePixels(sim.pngPath(), expected);
    EXPECT_TRUE(sim.stderrText().contains(c.summary)) << c.summary;
}

const QByteArray kSmallPicture = "\x03\r/I 6\rD 3 2\r"
                                 "G 0 0 0\rG 3,0FFh,081h,0AAh\r"
                                 "G 0 1 0\rG 3,001h,000h,080h\r";

INSTANTIATE_TEST_SUITE_P(
    Streams, SimulatorStream,
    ::testing::Values(
        StreamCase{"fast",
                   kSmallPicture,
                   true,
                   {{0, 0, 0xFF}, {0, 1, 0x81}, {0, 2, 0xAA}, {1, 0, 0x01}, {1, 2, 0x80}},
                   "vornix-lcdsim: 67 bytes, 6 commands, 6 data bytes (0 clipped), 0 errors, "
                   "1 resets"},
        StreamCase{"at_line_speed",
                   kSmallPicture,
                   false,
                   {{0, 0, 0xFF}, {0, 1, 0x81}, {0, 2, 0xAA}, {1, 0, 0x01}, {1, 2, 0x80}},
                   "6 commands, 6 data bytes"},
        StreamCase{"line_feeds_and_errors",
                   "\x03\r\n/I 6\r\nG 0 127 29\r\nG 2,0C3h,0FFh\r\nG 1,0XXh\r\nZ\r\n",
                   true,
                   {{127, 29, 0xC3}},
                   "vornix-lcdsim: command 4 \"G 1,0XXh\": bad value \"0XXh\""},
        StreamCase{"clipped_area",
                   "D 1 1\rG 0 0 0\rG 2,0FFh,0FFh\r",
                   true,
                   {{0, 0, 0xFF}},
                   "(1 clipped)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SimulatorProcess, SurvivesRandomBytesAndWritersThatComeAndGo) {
    Simulator sim({"--fast", "--exit-after-idle", "1"});
    const QString line = sim.linePath();
    QByteArray noise;
    unsigned seed = 7;
    for (int i = 0; i < 64 * 1024; ++i) {
        seed = seed * 1103515245U + 12345U;
        noise.append(static_cast<char>(seed >> 16));
    }
    ASSERT_TRUE(writeToLine(line, noise));
    // A second writer after the first one hung up; the reset byte discards what the noise left.
    ASSERT_TRUE(writeToLine(line, "\x03\r/I 6\r"));
    ASSERT_TRUE(writeToLine(line, "G 0 5 5\rG 1,03Ch\r"));

    ASSERT_TRUE(sim.finished());
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_EQ(sim.pbm(), expectedPbm({{5, 5, 0x3C}}));
}

TEST(SimulatorProcess, WritesFilesOnRequestAndAtTermination) {
    Simulator sim({"--fast"});
    const QString line = sim.linePath();
    ASSERT_TRUE(writeToLine(line, "G 0 2 3\rG 1,042h\r"));

    const QByteArray expected = expectedPbm({{2, 3, 0x42}});
    const QDeadlineTimer deadline(kFinishMs);
    while (sim.pbm() != expected && !deadline.hasExpired()) {
        sim.signal(SIGUSR1);
        QTest::qWait(100);
    }
    EXPECT_EQ(sim.pbm(), expected);

    ASSERT_TRUE(writeToLine(line, "G 1,024h\r"));
    QTest::qWait(300);
    sim.signal(SIGTERM);
    ASSERT_TRUE(sim.finished());
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_EQ(sim.pbm(), expectedPbm({{2, 3, 0x42}, {2, 4, 0x24}}));
    EXPECT_TRUE(sim.stderrText().contains("3 commands, 2 data bytes"));
}

TEST(SimulatorProcess, RefusesBadOptions) {
    struct Case {
        QStringList args;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{"--bogus"}, 2, "vornix-lcdsim: unknown option --bogus"},
        {{"--exit-after-idle", "-1"}, 2, "--exit-after-idle needs a number of seconds above 0"},
        {{"--scale", "9"}, 2, "--scale needs a whole number from 1 to 8"},
        {{"--pbm"}, 2, "--pbm needs a value"},
        {{"--headless", "--device", "/nonexistent/tty"}, 1, "cannot open /nonexistent/tty"},
    };
    for (const Case& c : cases) {
        QProcess process;
        process.start(kSimulator, c.args);
        ASSERT_TRUE(process.waitForFinished(kStartMs));
        EXPECT_EQ(process.exitCode(), c.exitCode) << c.message;
        EXPECT_TRUE(process.readAllStandardError().contains(c.message)) << c.message;
    }
}

// The whole chain: vornix-cli load sends a picture over a real serial port to the simulator,
// once through the download helper and once in the command line's own process (as built
// without the desktop program): both panels show the picture, the same PBM, and the simulator
// received exactly the bytes of "vornix-cli stream".
class LoadIntoSimulator : public ::testing::TestWithParam<const char*> {};

TEST_P(LoadIntoSimulator, PanelShowsThePicture) {
    const QString picture = QStringLiteral(VORNIX_SAMPLES "/") + GetParam();
    const QImage image(picture);
    ASSERT_FALSE(image.isNull()) << picture.toStdString();
    ASSERT_LE(image.width(), 240);
    ASSERT_LE(image.height(), 128);
    QProcess streamRun;
    streamRun.start(kCli, {"stream", picture});
    ASSERT_TRUE(streamRun.waitForFinished(kFinishMs));
    const QByteArray stream = streamRun.readAllStandardOutput();
    ASSERT_FALSE(stream.isEmpty());

    QByteArray firstPbm;
    QByteArray firstErrors;
    for (const QString& program : {kCli, QStringLiteral(VORNIX_BIN_DIR "/vornix-cli-inprocess")}) {
        SCOPED_TRACE(program.toStdString());
        Simulator sim({"--fast", "--exit-after-idle", "1"});
        const QString line = sim.linePath();
        QProcess load;
        load.start(program, {"load", "--port", line, picture});
        ASSERT_TRUE(load.waitForFinished(kFinishMs));
        const QByteArray loadErrors = load.readAllStandardError();
        ASSERT_EQ(load.exitCode(), 0) << loadErrors.toStdString();
        ASSERT_TRUE(sim.finished());
        const QString summary = sim.stderrText();
        EXPECT_TRUE(summary.contains(" 0 errors"));
        EXPECT_TRUE(summary.contains(QStringLiteral("vornix-lcdsim: %1 bytes,").arg(stream.size())))
            << summary.toStdString();

        // Black in the picture is a dark pixel; the panel outside the picture stays light.
        const QImage panel(sim.pbmPath());
        ASSERT_EQ(panel.size(), QSize(240, 128));
        int darkPixels = 0;
        for (int y = 0; y < 128; ++y) {
            for (int x = 0; x < 240; ++x) {
                const bool dark = image.rect().contains(x, y) && qGray(image.pixel(x, y)) < 128;
                ASSERT_EQ(qGray(panel.pixel(x, y)) < 128, dark) << "at " << x << "," << y;
                darkPixels += dark ? 1 : 0;
            }
        }
        EXPECT_GT(darkPixels, 100); // the sample really draws something
        if (firstPbm.isEmpty()) {
            firstPbm = sim.pbm();
            firstErrors = loadErrors;
        } else {
            EXPECT_EQ(sim.pbm(), firstPbm);
            EXPECT_EQ(loadErrors, firstErrors); // the same progress lines, byte for byte
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Samples, LoadIntoSimulator, ::testing::Values("clock.bmp", "shapes.bmp"), [](const auto& info) {
        return std::string(info.param).substr(0, std::string(info.param).find('.'));
    });

// Ctrl+C part of the way through a long picture, through the helper and in the command line's
// own process: the simulator received the stream up to a group boundary, and the last progress
// line names the last row that arrived whole.
TEST(LoadIntoSimulator, InterruptStopsAtAGroupBoundary) {
    QTemporaryDir dir;
    const QString picture = dir.filePath("long.pxl");
    const std::string pxl = vornix::download::testing::PatternPxl(240, 1000);
    {
        QFile file(picture);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(pxl.data(), static_cast<qint64>(pxl.size()));
    }
    QProcess streamRun;
    streamRun.start(kCli, {"stream", picture});
    ASSERT_TRUE(streamRun.waitForFinished(kFinishMs));
    const QByteArray full = streamRun.readAllStandardOutput();

    for (const QString& program : {kCli, QStringLiteral(VORNIX_BIN_DIR "/vornix-cli-inprocess")}) {
        SCOPED_TRACE(program.toStdString());
        Simulator sim({"--baud", "115200", "--exit-after-idle", "1"});
        const QString line = sim.linePath();
        QProcess load;
        load.start(program, {"load", "--port", line, picture});
        QByteArray errors;
        const QDeadlineTimer deadline(kFinishMs);
        while (!errors.contains("Row 100 ") && load.state() != QProcess::NotRunning &&
               !deadline.hasExpired()) {
            load.waitForReadyRead(100);
            errors += load.readAllStandardError();
        }
        ::kill(static_cast<pid_t>(load.processId()), SIGINT);
        ASSERT_TRUE(load.waitForFinished(kFinishMs));
        errors += load.readAllStandardError();
        EXPECT_EQ(load.exitCode(), 130) << errors.toStdString();
        EXPECT_TRUE(errors.endsWith("\nStopped.\n")) << errors.right(200).toStdString();
        EXPECT_FALSE(errors.contains("dropped"));
        ASSERT_TRUE(sim.finished());
        const QString summary = sim.stderrText();
        const qsizetype at = summary.indexOf("vornix-lcdsim: ");
        ASSERT_GE(at, 0) << summary.toStdString();
        const qsizetype received = summary.mid(at + 15).section(' ', 0, 0).toLongLong();
        ASSERT_GT(received, 0);
        ASSERT_LT(received, full.size());
        const auto end = vornix::download::testing::ExamineStreamEnd(full, full.left(received));
        EXPECT_TRUE(end.atStopPoint) << received;
        const QByteArray lastRow = "Row " + QByteArray::number(end.lastWholeRow) + " of 1000";
        EXPECT_TRUE(errors.contains(lastRow + ", ")) << lastRow.toStdString();
        EXPECT_FALSE(errors.contains("Row " + QByteArray::number(end.lastWholeRow + 1) + " of"));
    }
}

// What the board makes of a helper's lines, and the lines it shows.
TEST(PortBoard, FollowsTheHelpersLinesAndShowsOneLineAPort) {
    using vornix::cli::PortProgress;
    using vornix::cli::PortState;
    struct Case {
        std::vector<std::string> lines;
        PortState state;
        const char* board;
        const char* reason;
    };
    const Case cases[] = {
        {{}, PortState::Waiting, "/dev/ttyUSB0  waiting", ""},
        {{"Row 0 of 128, 26.4 s left"},
         PortState::Sending,
         "/dev/ttyUSB0  sending  row   0/128    0%  26.4 s left",
         ""},
        {{"Row 0 of 128, 26.4 s left", "Row 64 of 128, 13.0 s left"},
         PortState::Sending,
         "/dev/ttyUSB0  sending  row  64/128   50%  13.0 s left",
         ""},
        {{"Row 9 of 128, 20.0 s left", "Controller not ready \u2014 waiting"},
         PortState::Stalled,
         "/dev/ttyUSB0  stalled  row   9/128    7%  20.0 s left  stalled 4 s",
         ""},
        {{"Controller not ready \u2014 waiting", "Row 10 of 128, 19.8 s left"},
         PortState::Sending,
         "/dev/ttyUSB0  sending  row  10/128    7%  19.8 s left",
         ""},
        {{"vornix-cli: /dev/ttyUSB0: cannot open: Device or resource busy"},
         PortState::Waiting,
         "/dev/ttyUSB0  waiting",
         "cannot open: Device or resource busy"},
        {{"vornix-cli: pic.pxl: not found"},
         PortState::Waiting,
         "/dev/ttyUSB0  waiting",
         "pic.pxl: not found"},
        {{"Row x of 128, 1.0 s left", "Row 1 of 128"},
         PortState::Waiting,
         "/dev/ttyUSB0  waiting",
         ""},
    };
    for (const Case& c : cases) {
        PortProgress progress;
        for (const std::string& line : c.lines) {
            vornix::cli::TakeHelperLine(progress, line, "/dev/ttyUSB0");
        }
        const int held = progress.state == PortState::Stalled ? 4 : -1;
        EXPECT_EQ(progress.state, c.state) << c.board;
        EXPECT_EQ(vornix::cli::BoardLine("/dev/ttyUSB0", progress, held, 200), c.board);
        EXPECT_EQ(progress.reason, c.reason) << c.board;
    }
    PortProgress failed;
    failed.state = PortState::Failed;
    failed.reason = "cannot open: Device or resource busy";
    EXPECT_EQ(vornix::cli::BoardLine("/dev/ttyUSB7", failed, -1, 200),
              "/dev/ttyUSB7  failed   cannot open: Device or resource busy");
    // A narrow terminal cuts the line, never inside a character.
    EXPECT_EQ(vornix::cli::BoardLine("/dev/\xc3\xa9\xc3\xa9", failed, -1, 7), "/dev/\xc3\xa9");
    EXPECT_EQ(vornix::cli::Summary(12, 0, {"/dev/ttyUSB7: cannot open: Device or resource busy"}),
              "12 loaded, 1 failed: /dev/ttyUSB7: cannot open: Device or resource busy");
    EXPECT_EQ(vornix::cli::Summary(2, 1, {"a: x", "b: y"}),
              "2 loaded, 1 stopped, 2 failed: a: x; b: y");
    EXPECT_EQ(vornix::cli::Summary(0, 0, {}), "0 loaded");
}

// Runs `process` to its end while the event loop turns, so that pseudo-terminals read by the
// test keep draining; false when it does not end within kFinishMs.
bool finishWithEvents(QProcess& process) {
    if (process.state() == QProcess::NotRunning) {
        return true;
    }
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kFinishMs, &loop, &QEventLoop::quit);
    loop.exec();
    return process.state() == QProcess::NotRunning;
}

// One picture into 16 controllers at once, one download each, and two plain lines that record
// what they receive. One controller is frozen so that its line stays held: it is given up
// after the stall time and named, and the others still finish. A port that cannot be opened
// is named as failed too. Each panel shows the picture (the same PBM as the panel loaded
// alone), and each recorded line got exactly the bytes of "vornix-cli stream".
TEST(LoadIntoManySimulators, EveryPanelShowsThePictureAndAFailedPortIsNamed) {
    const QString picture = QStringLiteral(VORNIX_SAMPLES "/clock.bmp");
    Simulator alone({"--fast", "--exit-after-idle", "1"});
    QProcess one;
    one.start(kCli, {"load", "--port", alone.linePath(), picture});
    ASSERT_TRUE(one.waitForFinished(kFinishMs));
    ASSERT_EQ(one.exitCode(), 0) << one.readAllStandardError().constData();
    ASSERT_TRUE(alone.finished());
    const QByteArray expected = alone.pbm();
    ASSERT_FALSE(expected.isEmpty());
    QProcess stream;
    stream.start(kCli, {"stream", picture});
    ASSERT_TRUE(stream.waitForFinished(kFinishMs));
    const QByteArray streamBytes = stream.readAllStandardOutput();
    ASSERT_GT(streamBytes.size(), 1000);

    constexpr int kPanels = 16;
    constexpr int kHeld = 5;
    std::vector<std::unique_ptr<Simulator>> panels;
    QStringList args{"load", "--stall-time", "3"};
    QString heldLine;
    for (int i = 0; i < kPanels; ++i) {
        panels.push_back(
            std::make_unique<Simulator>(QStringList{"--fast", "--exit-after-idle", "1"}));
        const QString line = panels.back()->linePath();
        args << "--port" << line;
        if (i == kHeld) {
            heldLine = line;
            panels.back()->signal(SIGSTOP);
        }
    }
    vornix::download::testing::Pty recorders[2];
    for (auto& recorder : recorders) {
        ASSERT_TRUE(recorder.ok());
        args << "--port" << recorder.slavePath();
    }
    args << "--port"
         << "/nonexistent/tty" << picture;
    QProcess load;
    load.start(kCli, args);
    ASSERT_TRUE(finishWithEvents(load));
    const QString errors = QString::fromLocal8Bit(load.readAllStandardError());
    EXPECT_EQ(load.exitCode(), 1) << errors.toStdString();
    panels[kHeld]->signal(SIGCONT);
    for (int i = 0; i < kPanels; ++i) {
        if (i != kHeld) {
            ASSERT_TRUE(panels[i]->finished());
            EXPECT_EQ(panels[i]->pbm(), expected) << "panel " << i;
        }
    }
    for (auto& recorder : recorders) {
        EXPECT_EQ(recorder.received(), streamBytes) << recorder.slavePath().toStdString();
    }
    const QStringList lines = errors.trimmed().split('\n');
    ASSERT_GE(lines.size(), kPanels + 4);
    EXPECT_EQ(lines.back(), "17 loaded, 2 failed: " + heldLine +
                                ": the controller held the line for 3 s; /nonexistent/tty: "
                                "cannot open: No such file or directory")
        << errors.toStdString();
    EXPECT_TRUE(errors.contains(heldLine + ": failed: the controller held the line for 3 s\n"));
    EXPECT_TRUE(errors.contains(heldLine + ": Controller not ready \u2014 waiting\n"));
    EXPECT_EQ(errors.count(": loaded\n"), kPanels - 1 + 2) << errors.toStdString();

    // Usage errors send nothing.
    struct Usage {
        QStringList args;
        const char* message;
    };
    const Usage usages[] = {
        {{"--port", "/dev/null", "--port", "/dev/zero"}, "each --port needs a DEVICE and a FILE"},
        {{"--port", "/dev/null", "--port", "/dev/zero", "-"}, "not standard input"},
        {{"--ports", "/dev/tty*/x*", picture}, "wildcards only in the last part"},
        {{"--ports", "/dev/", picture}, "a pattern of device names"},
        {{"--stall-time", "0", "--port", "/dev/null", picture}, "--stall-time needs"},
        {{"--each-new-port", "--port", "/dev/null", picture}, "not --port"},
        {{"--each-new-port"}, "needs the FILE"},
    };
    for (const Usage& usage : usages) {
        QProcess bad;
        bad.start(kCli, QStringList{"load"} + usage.args);
        ASSERT_TRUE(bad.waitForFinished(kFinishMs));
        EXPECT_EQ(bad.exitCode(), 2) << usage.message;
        EXPECT_TRUE(bad.readAllStandardError().contains(usage.message)) << usage.message;
    }
    QProcess none;
    none.start(kCli, {"load", "--ports", "/nonexistent/ttyQQ*", picture});
    ASSERT_TRUE(none.waitForFinished(kFinishMs));
    EXPECT_EQ(none.exitCode(), 1);
    EXPECT_EQ(none.readAllStandardError(),
              "vornix-cli: load: no port matches /nonexistent/ttyQQ*\n");
}

// On a terminal (here the one `script` makes) each port keeps one line, redrawn in place by
// moving the cursor up over the board; the results and the summary follow below it.
TEST(LoadIntoManySimulators, OnATerminalEachPortHasOneLineRedrawnInPlace) {
    Simulator first({"--fast", "--exit-after-idle", "1"});
    Simulator second({"--fast", "--exit-after-idle", "1"});
    const QByteArray firstLine = first.linePath().toLocal8Bit();
    const QByteArray secondLine = second.linePath().toLocal8Bit();
    const QString command = "stty cols 100; " + kCli + " load --port " + firstLine + " --port " +
                            secondLine + " --port /nonexistent/tty " VORNIX_SAMPLES "/shapes.bmp";
    QProcess terminal;
    terminal.start("script", {"-qfec", command, "/dev/null"});
    ASSERT_TRUE(terminal.waitForFinished(kFinishMs));
    const QByteArray shown = terminal.readAllStandardOutput();
    EXPECT_EQ(terminal.exitCode(), 1) << shown.constData();
    EXPECT_TRUE(shown.contains("\x1b[3A\r")) << shown.constData();
    EXPECT_TRUE(
        shown.contains(firstLine.leftJustified(16, ' ') + "  loaded   row  64/64  100%\x1b[K"))
        << shown.constData();
    EXPECT_TRUE(shown.contains("/nonexistent/tty  failed   cannot open: No such file or directory"))
        << shown.constData();
    EXPECT_FALSE(shown.contains(": Row ")) << "no helper line reaches the terminal";
    EXPECT_TRUE(shown.endsWith("\x1b[J" + firstLine + ": loaded\r\n" + secondLine +
                               ": loaded\r\n/nonexistent/tty: failed: cannot open: No such file or "
                               "directory\r\n2 loaded, 1 failed: /nonexistent/tty: cannot open: No "
                               "such file or directory\r\n"))
        << shown.constData();
}

// Waits until `process` has written `text` to stderr (kept in `seen`); false on timeout.
bool waitForText(QProcess& process, QByteArray& seen, const QByteArray& text) {
    const QDeadlineTimer deadline(kFinishMs);
    process.setReadChannel(QProcess::StandardError);
    while (!seen.contains(text) && !deadline.hasExpired() &&
           process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(100);
        seen += process.readAllStandardError();
    }
    return seen.contains(text);
}

// Ctrl+C stops every download of a load to many after its group of values; the run ends 130.
TEST(LoadIntoManySimulators, CtrlCStopsEveryDownload) {
    Simulator first({"--fast"});
    Simulator second({"--fast"});
    const QByteArray firstLine = first.linePath().toLocal8Bit();
    const QByteArray secondLine = second.linePath().toLocal8Bit();
    QProcess load;
    load.start(kCli,
               {"load", "--port", firstLine, "--port", secondLine, VORNIX_SAMPLES "/clock.bmp"});
    QByteArray seen;
    ASSERT_TRUE(waitForText(load, seen, firstLine + ": Row 2 ")) << seen.constData();
    ASSERT_TRUE(waitForText(load, seen, secondLine + ": Row 2 ")) << seen.constData();
    ::kill(static_cast<pid_t>(load.processId()), SIGINT);
    ASSERT_TRUE(load.waitForFinished(kFinishMs));
    seen += load.readAllStandardError();
    EXPECT_EQ(load.exitCode(), 130) << seen.constData();
    EXPECT_TRUE(seen.endsWith("0 loaded, 2 stopped\n")) << seen.constData();
    EXPECT_EQ(seen.count(": Stopped.\n"), 2) << seen.constData();
}

// Panels plugged in and pulled out while --each-new-port waits: pseudo-terminals linked into
// a watched folder. Each new one is loaded once; one present at the start and one of another
// name are left alone; one pulled out during its download is a failed panel, not a failed run;
// a folder that does not exist at the start is waited for.
TEST(LoadEachNewPort, LoadsEveryPanelPluggedInOnce) {
    const QString picture = QStringLiteral(VORNIX_SAMPLES "/clock.bmp");
    QTemporaryDir bench;
    const QString folder = bench.path();
    const QString later = folder + "/later";
    auto plug = [&](const QString& link, Simulator& sim) {
        return QFile::link(sim.linePath(), link);
    };
    Simulator early({"--fast"});
    ASSERT_TRUE(plug(folder + "/panel-0", early));

    QProcess run;
    run.start(kCli, {"load", "--each-new-port", "--ports", folder + "/panel-*", "--ports",
                     later + "/panel-*", picture});
    QByteArray seen;
    ASSERT_TRUE(waitForText(run, seen, "Waiting for new ports")) << seen.constData();

    std::vector<std::unique_ptr<Simulator>> panels;
    for (int i = 1; i <= 3; ++i) {
        panels.push_back(
            std::make_unique<Simulator>(QStringList{"--fast", "--exit-after-idle", "1"}));
        ASSERT_TRUE(plug(folder + "/panel-" + QString::number(i), *panels.back()));
        ASSERT_TRUE(waitForText(run, seen, "panel-" + QByteArray::number(i) + ": loaded ("))
            << seen.constData();
    }
    Simulator other({"--fast"});
    ASSERT_TRUE(plug(folder + "/other-1", other));
    // Pulled out after its download: nothing happens; plugged in again: a new panel.
    ASSERT_TRUE(QFile::remove(folder + "/panel-1"));
    Simulator again({"--fast", "--exit-after-idle", "1"});
    ASSERT_TRUE(plug(folder + "/panel-1", again));
    ASSERT_TRUE(waitForText(run, seen, "panel-1: loaded (4 loaded)")) << seen.constData();

    // A panel at line speed, pulled out during its download.
    Simulator slow({});
    ASSERT_TRUE(plug(folder + "/panel-9", slow));
    ASSERT_TRUE(waitForText(run, seen, "panel-9: Row")) << seen.constData();
    ASSERT_TRUE(QFile::remove(folder + "/panel-9"));
    ASSERT_TRUE(waitForText(run, seen,
                            "panel-9: failed: the device went away during the "
                            "download (4 loaded, 1 failed)"))
        << seen.constData();

    // The folder of the second pattern comes into being with a panel in it.
    Simulator last({"--fast", "--exit-after-idle", "1"});
    ASSERT_TRUE(QDir().mkdir(later));
    ASSERT_TRUE(plug(later + "/panel-5", last));
    ASSERT_TRUE(waitForText(run, seen, "panel-5: loaded (5 loaded, 1 failed)")) << seen.constData();

    ::kill(static_cast<pid_t>(run.processId()), SIGINT);
    ASSERT_TRUE(run.waitForFinished(kFinishMs));
    seen += run.readAllStandardError();
    EXPECT_EQ(run.exitCode(), 1) << seen.constData();
    EXPECT_TRUE(seen.endsWith("5 loaded, 1 failed: " + folder.toLocal8Bit() +
                              "/panel-9: the device went away during the download\n"))
        << seen.constData();
    for (const char* name : {"panel-0", "other-1", "panel-2: loaded", "panel-3: loaded"}) {
        EXPECT_EQ(seen.count(name), QByteArray(name).contains(':') ? 1 : 0) << name;
    }
    for (const auto& panel : panels) {
        ASSERT_TRUE(panel->finished());
    }
    ASSERT_TRUE(again.finished());
    ASSERT_TRUE(last.finished());
    EXPECT_EQ(panels[1]->pbm(), panels[0]->pbm());
    EXPECT_EQ(again.pbm(), panels[0]->pbm());
    EXPECT_EQ(last.pbm(), panels[0]->pbm());
    early.signal(SIGTERM);
    ASSERT_TRUE(early.finished());
    EXPECT_EQ(early.pbm(), expectedPbm({}));
}

} // namespace
