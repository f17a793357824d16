// The real vornix program on a real X server (Xvfb), driven by real mouse and key events
// (xdotool) and the real X clipboard (xclip): each edit must reach the working files as what
// vornix-cli makes of the picture expected.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "fonts/font_finder.h"
#include "fonts/text_render.h"
#include "image/edit/drawing.h"
#include "image/picture/packed_picture.h"

namespace vornix::test {
namespace {

constexpr int kWaitMs = 10000;

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class EditorX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "xclip"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
                GTEST_SKIP() << tool << " is not installed";
            }
        }
        ASSERT_TRUE(dir.isValid());
        // The program runs from a folder of its own, so its working files land there.
        const QString program = QStringLiteral(VORNIX_BIN_DIR "/vornix");
        ASSERT_TRUE(QFile::copy(program, dir.filePath(QStringLiteral("vornix"))));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VORNIX_BIN_DIR "/Vornix.txt"),
                                dir.filePath(QStringLiteral("Vornix.txt"))));
        QFile::setPermissions(dir.filePath(QStringLiteral("vornix")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir(dir.path()).mkdir(QStringLiteral("run"));
        QFile::setPermissions(dir.filePath(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        startServer();
    }

    void TearDown() override {
        // Asked to end, the X server takes its socket and lock file away with it.
        for (QProcess* process : {&program, &server}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(kWaitMs)) {
                    process->kill();
                    process->waitForFinished(kWaitMs);
                }
            }
        }
    }

    // Xvfb on the first free display from :140 on; it tells its display when ready.
    void startServer() {
        for (int display = 140; display < 180; ++display) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(display))) {
                continue;
            }
            server.start(QStringLiteral("Xvfb"),
                         {QStringLiteral(":%1").arg(display), QStringLiteral("-screen"),
                          QStringLiteral("0"), QStringLiteral("1024x768x24"),
                          QStringLiteral("-nolisten"), QStringLiteral("tcp")});
            server.waitForStarted(kWaitMs);
            const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(display);
            for (int i = 0; i < 200 && server.state() == QProcess::Running; ++i) {
                if (QFile::exists(socket)) {
                    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":%1").arg(display));
                    return;
                }
                QThread::msleep(25);
            }
            server.kill();
            server.waitForFinished(kWaitMs);
        }
        FAIL() << "no X server could be started";
    }

    QString x(const QStringList& arguments) {
        QProcess tool;
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral("xdotool"), arguments);
        EXPECT_TRUE(tool.waitForFinished(kWaitMs)) << arguments.join(' ').toStdString();
        return QString::fromLatin1(tool.readAllStandardOutput()).trimmed();
    }

    // The first window whose title is `title`, once it is shown.
    QString window(const QString& title) {
        QProcess tool;
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral("timeout"),
                   {QStringLiteral("10"), QStringLiteral("xdotool"), QStringLiteral("search"),
                    QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                    QStringLiteral("--name"), QStringLiteral("^%1$").arg(title)});
        tool.waitForFinished(15000);
        return QString::fromLatin1(tool.readAllStandardOutput()).split('\n').value(0).trimmed();
    }

    QString working(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // Waits until the working bitmap equals what vornix-cli makes of `expected`, and then
    // checks the working PXL file too. The program writes them when an edit ends, a moment
    // after the event that ended it.
    void expectWorkingFiles(const image::PackedPicture& expected, const char* step) {
        SCOPED_TRACE(step);
        QByteArray pbm =
            QStringLiteral("P4\n%1 %2\n").arg(expected.width()).arg(expected.height()).toLatin1();
        pbm.append(reinterpret_cast<const char*>(expected.bytes().data()),
                   static_cast<qsizetype>(expected.bytes().size()));
        const QString base = dir.filePath(QStringLiteral("expected"));
        QFile file(base + QStringLiteral(".pbm"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(pbm);
        file.close();
        for (const char* to : {".bmp", ".pxl"}) {
            QProcess cli;
            cli.start(QStringLiteral(VORNIX_BIN_DIR "/vornix-cli"),
                      {QStringLiteral("convert"), base + QStringLiteral(".pbm"),
                       base + QString::fromLatin1(to)});
            ASSERT_TRUE(cli.waitForFinished(60000) && cli.exitCode() == 0);
        }
        const QByteArray bmp = readAll(base + QStringLiteral(".bmp"));
        for (int i = 0; i < 400 && readAll(working("~LCDbmp.tmp")) != bmp; ++i) {
            QThread::msleep(25);
        }
        EXPECT_EQ(readAll(working("~LCDbmp.tmp")), bmp);
        EXPECT_EQ(readAll(working("~LCDpxl.tmp")), readAll(base + QStringLiteral(".pxl")));
    }

    // The picture in the working bitmap (a 1-bit BMP, bottom-up, 1 dark).
    image::PackedPicture workingPicture() {
        QImage shown(working("~LCDbmp.tmp"));
        image::PackedPicture picture(shown.width(), shown.height());
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                picture.setDark(x, y, qGray(shown.pixel(x, y)) < 128);
            }
        }
        return picture;
    }

    QTemporaryDir dir;
    QProcess server;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
};

TEST_F(EditorX11Test, DrawUndoRedoTextAndPasteReachTheWorkingFiles) {
    // A picture to edit: light, 240 x 128, a PBM made into a 1-bit BMP by vornix-cli.
    image::PackedPicture picture(240, 128);
    {
        QFile pbm(dir.filePath(QStringLiteral("blank.pbm")));
        ASSERT_TRUE(pbm.open(QIODevice::WriteOnly));
        pbm.write(QByteArray("P4\n240 128\n") + QByteArray(30 * 128, '\0'));
        pbm.close();
        QProcess cli;
        cli.start(QStringLiteral(VORNIX_BIN_DIR "/vornix-cli"),
                  {QStringLiteral("convert"), dir.filePath(QStringLiteral("blank.pbm")),
                   dir.filePath(QStringLiteral("blank.bmp"))});
        ASSERT_TRUE(cli.waitForFinished(60000) && cli.exitCode() == 0);
    }
    QProcessEnvironment programEnv = env;
    programEnv.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    programEnv.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
    programEnv.insert(QStringLiteral("HOME"), dir.path());
    programEnv.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    program.setProcessEnvironment(programEnv);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(dir.filePath(QStringLiteral("vornix")),
                  {dir.filePath(QStringLiteral("blank.bmp"))});
    const QString mainWindow = window(QStringLiteral("Vornix.*"));
    ASSERT_FALSE(mainWindow.isEmpty()) << "the main window did not appear";
    expectWorkingFiles(picture, "opened");

    // Ctrl+Z in the main window opens the zoom window; Ctrl+minus, Ctrl+plus set it to 2x.
    x({QStringLiteral("windowfocus"), QStringLiteral("--sync"), mainWindow});
    x({QStringLiteral("key"), QStringLiteral("ctrl+z")});
    const QString viewer = window(QStringLiteral("Viewer"));
    ASSERT_FALSE(viewer.isEmpty()) << "the zoom window did not appear";
    x({QStringLiteral("windowfocus"), QStringLiteral("--sync"), viewer});
    x({QStringLiteral("key"), QStringLiteral("ctrl+minus"), QStringLiteral("ctrl+plus")});

    // Where the picture lies in the window: a pencil dot at a window point shows which pixel
    // that point is; Ctrl+Z takes it back.
    const int probeX = 150;
    const int probeY = 80;
    x({QStringLiteral("mousemove"), QStringLiteral("--window"), viewer, QString::number(probeX),
       QString::number(probeY), QStringLiteral("click"), QStringLiteral("1")});
    QPoint probe(-1, -1);
    for (int i = 0; i < 400 && probe.x() < 0; ++i) {
        const image::PackedPicture seen = workingPicture();
        for (int py = 0; py < seen.height() && probe.x() < 0; ++py) {
            for (int px = 0; px < seen.width(); ++px) {
                if (seen.isDark(px, py)) {
                    probe = QPoint(px, py);
                    break;
                }
            }
        }
        QThread::msleep(25);
    }
    ASSERT_GE(probe.x(), 0) << "the pencil dot did not reach the working files";
    image::PackedPicture dot = picture;
    dot.setDark(probe.x(), probe.y(), true);
    expectWorkingFiles(dot, "pencil dot");
    x({QStringLiteral("key"), QStringLiteral("ctrl+z")});
    expectWorkingFiles(picture, "dot undone");
    // The window point of a picture pixel, at 2 screen pixels a pixel.
    const auto at = [&](int px, int py) {
        return QStringList{QString::number(probeX + 2 * (px - probe.x())),
                           QString::number(probeY + 2 * (py - probe.y()))};
    };

    // A line dragged with the pencil: one motion from end to end draws the straight line.
    x(QStringList{QStringLiteral("mousemove"), QStringLiteral("--window"), viewer} + at(5, 5) +
      QStringList{QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("mousemove"),
                  QStringLiteral("--window"), viewer} +
      at(60, 30) + QStringList{QStringLiteral("mouseup"), QStringLiteral("1")});
    image::PackedPicture line = picture;
    image::edit::DrawLine(line, {5, 5}, {60, 30}, true);
    expectWorkingFiles(line, "line");
    x({QStringLiteral("key"), QStringLiteral("ctrl+z")});
    expectWorkingFiles(picture, "line undone");
    x({QStringLiteral("key"), QStringLiteral("ctrl+y")});
    expectWorkingFiles(line, "line redone");

    // The text tool from the Tools menu (Alt+T, T), a click, typing, Ctrl+Enter.
    x({QStringLiteral("key"), QStringLiteral("alt+t")});
    x({QStringLiteral("key"), QStringLiteral("t")});
    x(QStringList{QStringLiteral("mousemove"), QStringLiteral("--window"), viewer} + at(70, 8) +
      QStringList{QStringLiteral("click"), QStringLiteral("1")});
    x({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"),
       QStringLiteral("Hi 42")});
    x({QStringLiteral("key"), QStringLiteral("ctrl+Return")});
    fonts::OpenedFont font = fonts::OpenDefaultFont(0);
    ASSERT_NE(font.font, nullptr);
    const fonts::RenderedText text = fonts::RenderText(*font.font, "Hi 42", fonts::TextAlign::Left);
    image::PackedPicture written = line;
    fonts::StampText(text.picture, written, 70, 8);
    expectWorkingFiles(written, "text");
    x({QStringLiteral("key"), QStringLiteral("ctrl+z")});
    expectWorkingFiles(line, "text undone in one step");
    x({QStringLiteral("key"), QStringLiteral("ctrl+y")});
    expectWorkingFiles(written, "text redone");

    // A black-and-white PNG on the X clipboard, pasted with Ctrl+V in the main window: it
    // floats at the top-left corner.
    QImage stamp(6, 3, QImage::Format_RGB32);
    stamp.fill(Qt::black);
    stamp.setPixelColor(1, 1, Qt::white);
    stamp.setPixelColor(5, 2, Qt::white);
    const QString png = dir.filePath(QStringLiteral("stamp.png"));
    ASSERT_TRUE(stamp.save(png));
    QProcess clip;
    clip.setProcessEnvironment(env);
    clip.start(QStringLiteral("xclip"),
               {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
                QStringLiteral("image/png"), QStringLiteral("-i"), png});
    ASSERT_TRUE(clip.waitForFinished(kWaitMs)); // xclip serves the clipboard from the background
    x({QStringLiteral("windowfocus"), QStringLiteral("--sync"), mainWindow});
    x({QStringLiteral("key"), QStringLiteral("ctrl+v")});
    image::PackedPicture pasted = written;
    image::PackedPicture pixels(6, 3);
    image::edit::FillArea(pixels, image::edit::WholeArea(pixels), true);
    pixels.setDark(1, 1, false);
    pixels.setDark(5, 2, false);
    image::edit::PasteOver(pasted, pixels, {0, 0});
    expectWorkingFiles(pasted, "pasted");
    x({QStringLiteral("windowfocus"), QStringLiteral("--sync"), viewer});
    x({QStringLiteral("key"), QStringLiteral("ctrl+z")});
    expectWorkingFiles(written, "paste undone");
}

} // namespace
} // namespace vornix::test
