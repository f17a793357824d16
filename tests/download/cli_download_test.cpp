// vornix-cli stream and vornix-cli load, run as the user runs them.
#include <memory>
#include <random>

#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "download/stream/command_stream.h"
#include "pty_support.h"
#include "pxl_samples.h"
#include "stream_end.h"
#include "support/row_name.h"

namespace vornix::download {
namespace {

using testing::ExamineStreamEnd;
using testing::PatternPxl;
using testing::Pty;
using testing::RowCaptionFor;

const QByteArray kWorkedExample = "@,10,2,8\r\n0FFh,0FFh\r\n080h,03Fh\r\n";
const QByteArray kWorkedExampleStream = "\x03\r/I 6\rD 1 2\r"
                                        "G 0 0 0\rG 2,0FFh,0FFh\r"
                                        "G 0 1 0\rG 2,080h,03Fh\r";

// An 8 x 2 one-bit bitmap made by hand: pixel rows bottom first, 0x0F then 0xF0, each padded
// to four bytes. The conversion inverts the bytes (colour index 0 is a dark pixel), so the
// top row goes out as 00Fh and the bottom row as 0F0h.
QByteArray handMadeBitmap() {
    return QByteArray::fromHex("424d46000000000000003e000000"     // file header, pixels at 62
                               "28000000080000000200000001000100" // 40 bytes, 8 x 2, 1 bit
                               "000000000800000000000000000000000000000000000000"
                               "00000000ffffff00"   // colour table
                               "0f000000f0000000"); // bottom row, top row
}

struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class CliTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    static QString cli() { return QStringLiteral(VORNIX_BIN_DIR "/vornix-cli"); }

    static CliRun finish(QProcess& process) {
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
    }

    static CliRun run(const QStringList& arguments) { return runProgram(cli(), arguments); }

    static CliRun runProgram(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        return finish(process);
    }

    QTemporaryDir m_dir;
};

// The loads of both builds of the command line: the one that hands the download to its helper
// (built with the desktop program) and the one that runs it in its own process over the
// system's serial line (Windows, and Linux without the desktop program). Both must say and
// send the same.
class LoadTest : public CliTest, public ::testing::WithParamInterface<const char*> {
protected:
    static QString program() { return QStringLiteral(VORNIX_BIN_DIR "/") + GetParam(); }
    static CliRun run(const QStringList& arguments) { return runProgram(program(), arguments); }
};

INSTANTIATE_TEST_SUITE_P(Builds, LoadTest, ::testing::Values("vornix-cli", "vornix-cli-inprocess"),
                         [](const auto& info) {
                             return std::string(info.param) == "vornix-cli" ? "WithHelper"
                                                                            : "InProcess";
                         });

TEST_F(CliTest, StreamWritesTheBytesOfAPxlFile) {
    const CliRun result = run({"stream", write("example.pxl", kWorkedExample)});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, kWorkedExampleStream);
    EXPECT_EQ(result.err, QByteArray());
}

TEST_F(CliTest, StreamConvertsABitmapFirst) {
    const CliRun result = run({"stream", write("picture.BMP", handMadeBitmap())});
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(result.out, QByteArray("\x03\r/I 6\rD 1 2\r"
                                     "G 0 0 0\rG 1,00Fh\r"
                                     "G 0 1 0\rG 1,0F0h\r"));
}

// A bitmap the conversion refuses: its own message, and nothing on stdout.
TEST_F(CliTest, StreamRefusesWhatTheConversionRefuses) {
    QByteArray notABitmap = handMadeBitmap();
    notABitmap[0] = 'X';
    const CliRun result = run({"stream", write("picture.bmp", notABitmap)});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, QByteArray());
    EXPECT_FALSE(result.err.isEmpty());
}

struct RefusalCase {
    const char* name;
    QByteArray file;
    QByteArray error; // stderr after "vornix-cli: FILE: "; empty: only that there is some
};

void PrintTo(const RefusalCase& c, std::ostream* out) {
    *out << c.name;
}

class StreamRefusalTest : public CliTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(StreamRefusalTest, WritesNothingAndFails) {
    const QString input = write("input.pxl", GetParam().file);
    const CliRun result = run({"stream", input});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, QByteArray());
    const QByteArray prefix = "vornix-cli: " + input.toUtf8() + ": ";
    EXPECT_TRUE(result.err.startsWith(prefix)) << result.err.constData();
    if (!GetParam().error.isEmpty()) {
        EXPECT_EQ(result.err, prefix + GetParam().error);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, StreamRefusalTest,
    ::testing::Values(RefusalCase{"NoMarker", "240,128,8\r\n0FFh\r\n",
                                  "Loading stopped. File does not have LCD Header information.\n"},
                      RefusalCase{"EmptyFile", "",
                                  "Loading stopped. File does not have LCD Header information.\n"},
                      RefusalCase{"HeaderEndsEarly", "@,240,128", ""},
                      RefusalCase{"HeaderNumberTooLarge", "@,240,40000,8\r\n", ""}),
    vornix::test::RowName);

TEST_F(CliTest, StreamUsageErrors) {
    for (const QStringList& arguments :
         {QStringList{"stream"}, QStringList{"stream", "a.pxl", "b.pxl"}}) {
        const CliRun result = run(arguments);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.err.startsWith("vornix-cli stream: ")) << result.err.constData();
        EXPECT_TRUE(result.err.endsWith("\nTry 'vornix-cli --help'.\n"));
        EXPECT_EQ(result.out, QByteArray());
    }
    const CliRun missing = run({"stream", m_dir.filePath(QStringLiteral("missing.pxl"))});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, QByteArray());
}

TEST_P(LoadTest, LoadSendsTheStreamToThePort) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const CliRun result = run({"load", "--port", pty.slavePath(), write("a.pxl", kWorkedExample)});
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(pty.received(), kWorkedExampleStream);
    EXPECT_TRUE(result.err.contains("Row 0 of 2")) << result.err.constData();
    EXPECT_TRUE(result.err.contains("Row 1 of 2")) << result.err.constData();
    EXPECT_EQ(result.out, QByteArray());
}

// "-" is standard input: PXL text, or a bitmap (told by its first bytes) converted first.
TEST_P(LoadTest, LoadReadsStandardInput) {
    const QString bitmap = QStringLiteral(VORNIX_TEST_DATA "/good/example_10x2.bmp");
    const QByteArray bitmapStream = run({"stream", bitmap}).out;
    ASSERT_FALSE(bitmapStream.isEmpty());
    const struct {
        QString input;
        QByteArray stream;
    } cases[] = {{write("a.pxl", kWorkedExample), kWorkedExampleStream}, {bitmap, bitmapStream}};
    for (const auto& c : cases) {
        Pty pty;
        ASSERT_TRUE(pty.ok());
        QProcess process;
        process.setStandardInputFile(c.input);
        process.start(program(), {"load", "--port", pty.slavePath(), "-"});
        const CliRun result = finish(process);
        EXPECT_EQ(result.exitCode, 0) << result.err.constData();
        EXPECT_EQ(pty.received(), c.stream);
    }
}

TEST_P(LoadTest, LoadTakesPortOneFromTheEnvironment) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VORNIX_COM1"), pty.slavePath());
    process.setProcessEnvironment(environment);
    process.start(program(), {"load", write("a.pxl", kWorkedExample)});
    const CliRun result = finish(process);
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(pty.received(), kWorkedExampleStream);
}

TEST_F(CliTest, LoadRefusals) {
    const QString good = write("a.pxl", kWorkedExample);
    // Why a port does not open, in the system's words.
    const CliRun noPort = run({"load", "--port", "/dev/vornix-no-such-port", good});
    EXPECT_EQ(noPort.exitCode, 1);
    EXPECT_EQ(noPort.err, QByteArray("vornix-cli: /dev/vornix-no-such-port: cannot open: No such "
                                     "file or directory\n"));
    const CliRun notAPort = run({"load", "--port", "/dev/null", good});
    EXPECT_EQ(notAPort.exitCode, 1);
    EXPECT_EQ(notAPort.err, QByteArray("vornix-cli: /dev/null: cannot open: not a serial port\n"));
    Pty pty;
    ASSERT_TRUE(pty.ok());
    QSerialPort holder(pty.slavePath());
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite)); // another program has the port
    const CliRun busy = run({"load", "--port", pty.slavePath(), good});
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_EQ(busy.err, "vornix-cli: " + pty.slavePath().toLocal8Bit() +
                            ": cannot open: Device or resource busy\n");

    const CliRun noHeader =
        run({"load", "--port", "/dev/vornix-no-such-port", write("b.pxl", "0FFh\r\n")});
    EXPECT_EQ(noHeader.exitCode, 1);
    EXPECT_EQ(noHeader.err, "vornix-cli: " + m_dir.filePath("b.pxl").toUtf8() +
                                ": Loading stopped. File does not have LCD Header information.\n");
    const CliRun missing = run({"load", "--port", "/dev/null", m_dir.filePath("none.pxl")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "vornix-cli: " + m_dir.filePath("none.pxl").toUtf8() +
                               ": No such file or directory\n");
    const CliRun refused = run({"load", "--port", "/dev/null", write("c.bmp", "BM")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "vornix-cli: " + m_dir.filePath("c.bmp").toUtf8() +
                               ": Image is not compatible with LCD.\nImage is 0-bit color.\n"
                               "Image must be B/W only.\n");

    EXPECT_EQ(run({"load"}).exitCode, 2);
    EXPECT_EQ(run({"load", "--port"}).exitCode, 2);
    EXPECT_EQ(run({"load", "--speed", "1", good}).exitCode, 2);

    // A FIFO or a device named as the picture is refused without waiting for a writer.
    const QString fifo = m_dir.filePath("x.pxl");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = m_dir.filePath("z.pxl");
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    for (const QString& input : {fifo, zero}) {
        const CliRun load = run({"load", "--port", "/dev/vornix-no-such-port", input});
        EXPECT_EQ(load.exitCode, 1);
        EXPECT_EQ(load.err, "vornix-cli: " + input.toUtf8() + ": not a regular file\n");
        const CliRun stream = run({"stream", input});
        EXPECT_EQ(stream.exitCode, 1);
        EXPECT_EQ(stream.err, "vornix-cli: " + input.toUtf8() + ": not a regular file\n");
        EXPECT_EQ(stream.out, "");
    }

    // A file above the most text a download reads is refused by its size, unread.
    const QString big = m_dir.filePath("big.pxl");
    {
        QFile sparse(big);
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
        sparse.write("@,16,1,8\r\n");
        ASSERT_TRUE(sparse.resize(qint64{1} << 30));
    }
    const CliRun tooLarge = run({"load", "--port", "/dev/vornix-no-such-port", big});
    EXPECT_EQ(tooLarge.exitCode, 1);
    EXPECT_EQ(tooLarge.err,
              "vornix-cli: " + big.toUtf8() + ": too large: 1073741824 bytes, at most 67108864\n");
}

// Every refusal of a load that the two builds share is told in the same words and exit code;
// a load to many ports is refused by the build without the helper in one line.
TEST_F(CliTest, LoadRefusalsAreTheSameInBothBuilds) {
    const QString good = write("a.pxl", kWorkedExample);
    const QString noHeader = write("b.pxl", "0FFh\r\n");
    const QString badHeader = write("h.pxl", "@,10\r\n");
    const QString notBitmap = write("c.bmp", "BM");
    const QString fifo = m_dir.filePath("f.pxl");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QStringList cases[] = {
        {"load", "--port", "/dev/vornix-no-such-port", good},
        {"load", "--port=/dev/null", good},
        {"load", "--port", "/dev/null", noHeader},
        {"load", "--port", "/dev/null", badHeader},
        {"load", "--port", "/dev/null", notBitmap},
        {"load", "--port", "/dev/null", fifo},
        {"load", "--port", "/dev/null", m_dir.filePath("none.pxl")},
        {"load"},
        {"load", "--port"},
        {"load", "--port="},
        {"load", "--speed", "1", good},
        {"load", good, good},
        {"load", "--", "--port"},
    };
    const QString inProcess = QStringLiteral(VORNIX_BIN_DIR "/vornix-cli-inprocess");
    for (const QStringList& args : cases) {
        const CliRun helper = run(args);
        const CliRun own = runProgram(inProcess, args);
        EXPECT_NE(helper.exitCode, 0) << args.join(' ').toStdString();
        EXPECT_EQ(own.exitCode, helper.exitCode) << args.join(' ').toStdString();
        EXPECT_EQ(own.err, helper.err) << args.join(' ').toStdString();
        EXPECT_EQ(own.out, helper.out) << args.join(' ').toStdString();
    }
    const QByteArray refusal = "vornix-cli: load: loads to many ports (--ports, --each-new-port, "
                               "--port given twice, DEVICE=FILE) need the Linux build with the "
                               "desktop program\n";
    const QStringList many[] = {{"load", "--port", "/dev/null", "--port", "/dev/zero", good},
                                {"load", "--port", "/dev/null=" + good},
                                {"load", "--ports", "/dev/ttyUSB*", good},
                                {"load", "--each-new-port", good}};
    for (const QStringList& args : many) {
        const CliRun own = runProgram(inProcess, args);
        EXPECT_EQ(own.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_EQ(own.err, refusal) << args.join(' ').toStdString();
    }

    // A port another load holds is busy, and nothing is sent to it.
    Pty pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(::flock(pty.slave(), LOCK_EX | LOCK_NB), 0);
    const CliRun busy = runProgram(inProcess, {"load", "--port", pty.slavePath(), good});
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_EQ(busy.err, "vornix-cli: " + pty.slavePath().toLocal8Bit() +
                            ": cannot open: Device or resource busy\n");
    EXPECT_EQ(pty.received(), QByteArray());
}

// Ctrl-C while the line stands still (nobody reads the other end, so the pseudo-terminal
// fills up): once the line has stood still for the stall time the download stops, dropping
// the command in flight, the port is closed, and the exit code says so.
TEST_P(LoadTest, InterruptStopsALoad) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    pty.pauseReading();
    const std::string pxl = PatternPxl(240, 512);
    QProcess process;
    process.start(program(), {"load", "--port", pty.slavePath(),
                              write("big.pxl", QByteArray::fromStdString(pxl))});
    ASSERT_TRUE(process.waitForStarted());
    // Wait for the first rows, then a little more so that the line has filled up.
    while (!process.readAllStandardError().contains("Row 1 ") &&
           process.state() == QProcess::Running) {
        process.waitForReadyRead(1000);
    }
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    QElapsedTimer sinceInterrupt;
    sinceInterrupt.start();
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    const CliRun result = finish(process);
    EXPECT_LT(sinceInterrupt.elapsed(), 2500); // hang guard: the stall time is 2 s
    EXPECT_EQ(result.exitCode, 130) << result.err.constData();
    EXPECT_TRUE(result.err.endsWith("The controller held the line: the command in flight was "
                                    "dropped.\nStopped.\n"))
        << result.err.constData();
    const QByteArray full = QByteArray::fromStdString(StreamBytes(pxl).bytes);
    const QByteArray received = pty.received();
    EXPECT_GT(received.size(), 0);
    EXPECT_LT(received.size(), full.size());
    EXPECT_TRUE(full.startsWith(received));
}

// The examination the stop tests rely on, on streams whose end is known.
TEST(StreamEnd, FindsGroupBoundariesAndWholeRows) {
    const QByteArray full = QByteArray::fromStdString(StreamBytes(PatternPxl(128, 3)).bytes);
    struct Row {
        QByteArray received;
        bool atStopPoint;
        int lastWholeRow;
    };
    const QByteArray throughRow1 = full.left(full.indexOf("G 0 2 0\r"));
    const Row rows[] = {{full, true, 2},
                        {throughRow1, true, 1},
                        {full.left(full.indexOf("G 0 1 10\r")), true, 0},
                        {throughRow1.chopped(1), false, 0},
                        {full.left(full.indexOf("G 0 0 0\r")), true, -1},
                        {QByteArray("\x03\r/I 6\r"), true, -1},
                        {QByteArray("\x03\r"), false, -1}};
    for (const Row& row : rows) {
        const auto end = ExamineStreamEnd(full, row.received);
        EXPECT_TRUE(end.prefix);
        EXPECT_EQ(end.atStopPoint, row.atStopPoint) << row.received.size();
        EXPECT_EQ(end.lastWholeRow, row.lastWholeRow) << row.received.size();
    }
    EXPECT_FALSE(ExamineStreamEnd(full, full + "G").prefix);
    EXPECT_EQ(RowCaptionFor(12), QStringLiteral("Row 12"));
}

// The caption in the last progress line ("Row 5 of 112, ..."), "" when there is none.
QString lastRowCaption(const QByteArray& err) {
    QString caption;
    for (const QByteArray& line : err.split('\n')) {
        if (line.startsWith("Row ")) {
            caption = QString::fromLatin1(line.left(line.indexOf(" of ")));
        }
    }
    return caption;
}

// Twenty loads at once, each to a controller that reads in bursts like a UART (960 or 3000
// bytes a second), each interrupted at its own random moment: every controller received whole
// commands up to a group boundary, and the last progress line names the last row whose groups
// all arrived.
TEST_P(LoadTest, InterruptAtRandomMomentsStopsAtAGroupBoundary) {
    struct Load {
        std::unique_ptr<Pty> pty;
        std::unique_ptr<QProcess> process;
        int stopAfterMs = 0;
        QElapsedTimer sinceFirstByte;
        bool interrupted = false;
    };
    const std::string pxl = PatternPxl(240, 112);
    const QByteArray full = QByteArray::fromStdString(StreamBytes(pxl).bytes);
    const QString path = write("paced.pxl", QByteArray::fromStdString(pxl));
    std::mt19937 random(9);
    std::vector<Load> loads(20);
    for (std::size_t i = 0; i < loads.size(); ++i) {
        Load& load = loads[i];
        const int rate = i % 2 == 0 ? 960 : 3000;
        load.stopAfterMs = std::uniform_int_distribution<int>(0, rate < 1000 ? 2500 : 1000)(random);
        load.pty = std::make_unique<Pty>();
        ASSERT_TRUE(load.pty->ok());
        load.pty->startPacedReading(rate, 16);
        load.process = std::make_unique<QProcess>();
        load.process->start(program(), {"load", "--port", load.pty->slavePath(), path});
    }
    // Each load is interrupted once bytes have arrived (its Ctrl-C handler is in place then).
    QElapsedTimer guard;
    guard.start();
    const auto running = [&] {
        return std::any_of(loads.begin(), loads.end(), [](const Load& load) {
            return load.process->state() != QProcess::NotRunning;
        });
    };
    while (running() && guard.elapsed() < 60000) {
        for (Load& load : loads) {
            if (load.interrupted || load.process->state() != QProcess::Running) {
                continue;
            }
            if (!load.sinceFirstByte.isValid() && load.pty->anythingReceived()) {
                load.sinceFirstByte.start();
            }
            if (load.sinceFirstByte.isValid() &&
                load.sinceFirstByte.elapsed() >= load.stopAfterMs) {
                ::kill(static_cast<pid_t>(load.process->processId()), SIGINT);
                load.interrupted = true;
            }
        }
        QEventLoop tick;
        QTimer::singleShot(5, &tick, &QEventLoop::quit);
        tick.exec();
    }
    int stopped = 0;
    int dropped = 0;
    for (Load& load : loads) {
        load.process->waitForFinished(1000);
        const CliRun result = {
            load.process->exitStatus() == QProcess::NormalExit ? load.process->exitCode() : -1,
            load.process->readAllStandardOutput(), load.process->readAllStandardError()};
        load.pty->stopPacedReading();
        const QByteArray received = load.pty->received();
        const auto end = ExamineStreamEnd(full, received);
        const bool complete = received == full;
        stopped += complete ? 0 : 1;
        EXPECT_EQ(result.exitCode, complete ? 0 : 130) << result.err.constData();
        EXPECT_TRUE(end.prefix) << received.right(60).toStdString();
        if (result.err.contains("the command in flight was dropped")) {
            // The reader stood still for the whole stall time: only a machine too busy to run
            // the reader's thread makes that happen here, and then the queue may be cut.
            ++dropped;
            continue;
        }
        EXPECT_TRUE(end.atStopPoint) << received.right(60).toStdString();
        EXPECT_EQ(lastRowCaption(result.err), RowCaptionFor(end.lastWholeRow))
            << result.err.constData();
    }
    EXPECT_GT(stopped, 0);
    EXPECT_LE(dropped, 5) << "too few loads stopped while their line was moving";
}

} // namespace
} // namespace vornix::download
