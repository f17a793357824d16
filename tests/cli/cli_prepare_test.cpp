// vornix-cli convert with picture options, and vornix-cli pattern, run as real processes:
// options switch convert to any picture, bad values are usage errors, and pictures written
// here read back through the toolkit's own image reader as they were meant.
#include <QColor>
#include <QDialogButtonBox>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <QtEndian>
#include <zlib.h>

#include "cli/cli_run.h"
#include "dialogs/import_dialog.h"

namespace {

using namespace vornix::clitest;

const QString kSamples = QStringLiteral(VORNIX_SAMPLES);

class PreparedConvertTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // 16 x 8 in 24-bit colour: the left half black, the right half white.
    QString halfBlackBitmap() {
        QImage picture(16, 8, QImage::Format_RGB888);
        picture.fill(Qt::white);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                picture.setPixelColor(x, y, Qt::black);
            }
        }
        const QString file = path("half.bmp");
        EXPECT_TRUE(picture.save(file, "BMP"));
        return file;
    }

    QTemporaryDir m_dir;
};

QByteArray repeatLine(const QByteArray& line, int times) {
    QByteArray text;
    for (int i = 0; i < times; ++i) {
        text += line + "\r\n";
    }
    return text;
}

TEST_F(PreparedConvertTest, AnOptionLetsConvertTakeAColourPicture) {
    const QString input = halfBlackBitmap();
    const CliRun plain = RunCli({"convert", input, path("plain.pxl")});
    EXPECT_EQ(plain.exitCode, 1);
    EXPECT_TRUE(plain.err.contains("Image is 24-bit color.")) << plain.err.constData();

    const CliRun prepared = RunCli({"convert", "--threshold", "128", input, path("out.pxl")});
    ASSERT_EQ(prepared.exitCode, 0) << prepared.err.constData();
    EXPECT_EQ(prepared.err, "");
    EXPECT_EQ(ReadAll(path("out.pxl")), "@,16,8,8\r\n" + repeatLine("0FFh,000h", 8));
}

// A 1-bit bitmap with a plain threshold gives what the plain conversion gives; inverted, the
// complement of every value.
TEST_F(PreparedConvertTest, OneBitBitmapsAgreeWithThePlainConversion) {
    ASSERT_EQ(RunCli({"convert", kSamples + "/shapes.bmp", path("plain.pxl")}).exitCode, 0);
    ASSERT_EQ(
        RunCli({"convert", "--dither=none", kSamples + "/shapes.bmp", path("same.pxl")}).exitCode,
        0);
    ASSERT_EQ(
        RunCli({"convert", "--invert", kSamples + "/shapes.bmp", path("inverse.pxl")}).exitCode, 0);
    const QByteArray plain = ReadAll(path("plain.pxl"));
    EXPECT_EQ(ReadAll(path("same.pxl")), plain);
    const QList<QByteArray> a = plain.split('\n');
    const QList<QByteArray> b = ReadAll(path("inverse.pxl")).split('\n');
    ASSERT_EQ(a.size(), 66); // the header, 64 rows, nothing after the last line end
    ASSERT_EQ(b.size(), a.size());
    EXPECT_EQ(b[0], a[0]);
    for (qsizetype row = 1; row < a.size() - 1; ++row) {
        const QList<QByteArray> va = a[row].trimmed().split(',');
        const QList<QByteArray> vb = b[row].trimmed().split(',');
        ASSERT_EQ(va.size(), 16);
        ASSERT_EQ(vb.size(), 16);
        for (qsizetype i = 0; i < 16; ++i) {
            ASSERT_EQ(va[i].chopped(1).toInt(nullptr, 16) ^ vb[i].chopped(1).toInt(nullptr, 16),
                      0xFF)
                << "row " << row << " value " << i;
        }
    }
}

// Grey levels written by the toolkit as a 24-bit bitmap and as a PPM, thresholded at 100:
// exactly the levels below 100 are dark, which checks both readers against the toolkit.
TEST_F(PreparedConvertTest, ThresholdMatchesTheToolkitsGreyLevels) {
    QImage ramp(256, 2, QImage::Format_RGB888);
    for (int x = 0; x < 256; ++x) {
        ramp.setPixelColor(x, 0, QColor(x, x, x));
        ramp.setPixelColor(x, 1, QColor(255 - x, 255 - x, 255 - x));
    }
    for (const char* format : {"BMP", "PPM"}) {
        const QString input = path(QString("ramp.") + format);
        ASSERT_TRUE(ramp.save(input, format));
        const CliRun run =
            RunCli({"convert", "--fit", "keep", "--threshold", "100", input, path("ramp.bmp")});
        ASSERT_EQ(run.exitCode, 0) << run.err.constData();
        const QImage out(path("ramp.bmp"));
        ASSERT_EQ(out.size(), ramp.size()) << format;
        ASSERT_EQ(out.depth(), 1);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 256; ++x) {
                const bool dark = out.pixelColor(x, y) == QColor(Qt::black);
                ASSERT_EQ(dark, qGray(ramp.pixel(x, y)) < 100) << format << " " << x << "," << y;
            }
        }
    }
}

TEST_F(PreparedConvertTest, FitDitherAndSizeShapeTheResult) {
    QImage grey(400, 300, QImage::Format_Grayscale8);
    grey.fill(QColor(64, 64, 64)); // a quarter light
    ASSERT_TRUE(grey.save(path("grey.pgm"), "PGM"));
    const CliRun run = RunCli({"convert", "--fit", "fit", "--dither", "fs", "--rotate", "90",
                               path("grey.pgm"), path("grey.bmp")});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QImage out(path("grey.bmp"));
    ASSERT_EQ(out.size(), QSize(96, 128)); // 300 x 400 after turning, fitted into 240 x 128
    int dark = 0;
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            dark += out.pixelColor(x, y) == QColor(Qt::black);
        }
    }
    EXPECT_NEAR(dark / double(96 * 128), 0.75, 0.02);
}

struct UsageRow {
    const char* name;
    QStringList options;
    QString output = "out.pxl";
};

void PrintTo(const UsageRow& row, std::ostream* os) {
    *os << row.name;
}

class PreparedUsageTest : public PreparedConvertTest,
                          public ::testing::WithParamInterface<UsageRow> {};

TEST_P(PreparedUsageTest, ExitsTwoAndWritesNothing) {
    const QString input = halfBlackBitmap();
    const QStringList args =
        QStringList{"convert"} + GetParam().options + QStringList{input, path(GetParam().output)};
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(IsUsageError(run.err, "convert")) << run.err.constData();
    EXPECT_EQ(EntriesOf(m_dir.path()), QStringList{"half.bmp"});
}

INSTANTIATE_TEST_SUITE_P(
    BadOptions, PreparedUsageTest,
    ::testing::Values(UsageRow{"UnknownFit", {"--fit", "fill"}},
                      UsageRow{"ZeroSize", {"--fit", "fit", "--size", "0x5"}},

                      UsageRow{"SizeTooWide", {"--fit", "fit", "--size", "40000x1"}},
                      UsageRow{"SignedSize", {"--fit", "fit", "--size", "+24x8"}},
                      UsageRow{"SizeWithoutFit", {"--size", "240x128"}},
                      UsageRow{"OddRotation", {"--rotate", "45"}},

                      UsageRow{"UnknownFlip", {"--flip", "x"}},

                      UsageRow{"NegativeThreshold", {"--threshold=-1"}},
                      UsageRow{"ThresholdNotANumber", {"--threshold", "12a"}},
                      UsageRow{"UnknownDither", {"--dither", "ordered"}},
                      UsageRow{"InvertWithValue", {"--invert=yes", "--dither", "fs"}},
                      UsageRow{"UnknownOptionBesideAKnownOne", {"--invert", "--sharpen"}},
                      UsageRow{"ValueMissing", {"--invert", "--dither"}},
                      UsageRow{"OutputNeitherPxlNorBmp", {"--invert"}, "out.png"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PreparedConvertTest, UnreadableInputsFailAndKeepTheOutput) {
    ASSERT_TRUE(WriteAll(path("note.bmp"), "just some text"));
    ASSERT_TRUE(WriteAll(path("note.txt"), "just some text"));
    ASSERT_TRUE(WriteAll(path("old.pxl"), "old"));
    ASSERT_TRUE(WriteAll(path("long.pxl"), "@,8,1,8\r\n" + QByteArray(5000, '0') + "h\r\n"));
    ASSERT_TRUE(WriteAll(path("t.pxl"), "@,32760,32767,-1"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("x.pgm")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", path("z.pgm")));
    {
        QFile sparse(path("big.pgm"));
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
        sparse.write("P5\n32767 32767\n65535\n");
        ASSERT_TRUE(sparse.resize(qint64{1} << 30));
    }
    const QByteArray notAFile = "not a regular file\n";
    const QByteArray badPxl = "the PXL file could not be converted to a bitmap\n";
    struct Row {
        QString input;
        QByteArray message;
    };
    const QByteArray notAPicture =
        "the file is not a BMP, PBM, PGM, PPM, PNG, JPEG, GIF, WebP or PXL picture\n";
    const Row rows[] = {
        {path("note.txt"), notAPicture},
        {path("note.bmp"), notAPicture},
        {path("missing.pgm"), "No such file or directory\n"},
        {m_dir.path(), "Is a directory\n"},
        // Refused at once, never read whole.
        {path("x.pgm"), notAFile},
        {path("z.pgm"), notAFile},
        {path("big.pgm"), "too large: 1073741824 bytes, at most 402718720\n"},
        // PXL text streamed through the bitmap conversion, with its failures.
        {path("long.pxl"), badPxl},
        {path("t.pxl"), badPxl},
    };
    for (const Row& r : rows) {
        const CliRun run = RunCli({"convert", "--invert", r.input, path("old.pxl")});
        EXPECT_EQ(run.exitCode, 1) << r.input.toStdString();
        EXPECT_EQ(run.err, "vornix-cli: " + r.input.toUtf8() + ": " + r.message);
        EXPECT_EQ(ReadAll(path("old.pxl")), "old");
    }
    const CliRun unwritable =
        RunCli({"convert", "--invert", kSamples + "/shapes.bmp", path("no/such/dir/out.pxl")});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_EQ(unwritable.err, "vornix-cli: " + path("no/such/dir/out.pxl").toUtf8() +
                                  ": No such file or directory\n");
    EXPECT_EQ(EntriesOf(m_dir.path()), (QStringList{"big.pgm", "long.pxl", "note.bmp", "note.txt",
                                                    "old.pxl", "t.pxl", "x.pgm", "z.pgm"}));
}

struct PatternRow {
    const char* name;
    QString output;
    QStringList size;
    qint64 bytes;
};

void PrintTo(const PatternRow& row, std::ostream* os) {
    *os << row.name << " " << row.output.toStdString();
}

class PatternCommandTest : public PreparedConvertTest,
                           public ::testing::WithParamInterface<PatternRow> {};

// 240 x 128: a bitmap of 70 + 128 * 32 bytes; PXL text of 13 + 128 * (30 * 5 + 1) bytes.
// 16 x 8: 70 + 8 * 4 bytes; 10 + 8 * (2 * 5 + 1) bytes.
TEST_P(PatternCommandTest, WritesTheExactSize) {
    const PatternRow& row = GetParam();
    const CliRun run =
        RunCli(QStringList{"pattern"} + row.size + QStringList{row.name, path(row.output)});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(QFileInfo(path(row.output)).size(), row.bytes);
}

INSTANTIATE_TEST_SUITE_P(Patterns, PatternCommandTest,
                         ::testing::Values(PatternRow{"border", "p.bmp", {}, 4166},
                                           PatternRow{"checker", "p.pxl", {}, 19341},
                                           PatternRow{"grid", "p.BMP", {}, 4166},
                                           PatternRow{"ruler", "p.pxl", {"--size", "16x8"}, 98},
                                           PatternRow{"bits", "p.bmp", {"--size=16x8"}, 102}),
                         [](const auto& info) {
                             return std::string(info.param.name) + "_" + std::to_string(info.index);
                         });

TEST_F(PreparedConvertTest, PatternUsageErrors) {
    const QStringList bad[] = {{"pattern", "stripes", path("x.bmp")},
                               {"pattern", "border"},
                               {"pattern", "border", path("x.txt")},
                               {"pattern", "--size", "0x8", "border", path("x.bmp")},
                               {"pattern", "--invert", "border", path("x.bmp")}};
    for (const QStringList& args : bad) {
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(IsUsageError(run.err, "pattern")) << run.err.constData();
    }
    EXPECT_TRUE(EntriesOf(m_dir.path()).isEmpty());
}

// Runs ImageMagick's convert, which writes the GIF and WebP files the toolkit cannot.
bool magick(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral("/usr/bin/convert"), args);
    return process.waitForFinished(kRunTimeoutMs) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// 64 x 32 in four upright bands of grey levels 0, 85, 170 and 255: far from the threshold of
// 128, so that a lossy JPEG still gives the same dark and light pixels.
QImage fourBands() {
    QImage picture(64, 32, QImage::Format_RGB32);
    for (int x = 0; x < 64; ++x) {
        const int level = (x / 16) * 85;
        for (int y = 0; y < 32; ++y) {
            picture.setPixel(x, y, qRgb(level, level, level));
        }
    }
    return picture;
}

// The dark pixels of a 1-bit bitmap as the toolkit reads it, as text rows of '#' and '.'.
QStringList darkPixels(const QString& file) {
    const QImage picture(file);
    QStringList rows;
    for (int y = 0; y < picture.height(); ++y) {
        QString row;
        for (int x = 0; x < picture.width(); ++x) {
            row += picture.pixelColor(x, y) == QColor(Qt::black) ? '#' : '.';
        }
        rows << row;
    }
    return rows;
}

// The same picture as PNG, JPEG, GIF, lossless WebP and 24-bit BMP: every reader gives the
// pixels the toolkit's own BMP writer and the bitmap reader agree on.
TEST_F(PreparedConvertTest, EveryFormatGivesTheSamePicture) {
    ASSERT_TRUE(fourBands().save(path("bands.bmp"), "BMP"));
    ASSERT_TRUE(fourBands().save(path("bands.png"), "PNG"));
    ASSERT_TRUE(fourBands().save(path("bands.jpg"), "JPEG", 95));
    ASSERT_TRUE(magick({path("bands.png"), path("bands.gif")}));
    ASSERT_TRUE(magick({path("bands.png"), "-define", "webp:lossless=true", path("bands.webp")}));
    ASSERT_EQ(
        RunCli({"convert", "--threshold", "128", path("bands.bmp"), path("bmp.bmp")}).exitCode, 0);
    const QStringList expected = darkPixels(path("bmp.bmp"));
    ASSERT_EQ(expected.size(), 32);
    ASSERT_EQ(expected[0], QString(32, '#') + QString(32, '.')); // the fixture has both kinds

    for (const char* format : {"png", "jpg", "gif", "webp"}) {
        const QString out = path(QString("from-%1.bmp").arg(format));
        const CliRun run =
            RunCli({"convert", "--threshold", "128", path(QString("bands.") + format), out});
        ASSERT_EQ(run.exitCode, 0) << format << ": " << run.err.constData();
        EXPECT_EQ(run.err, "") << format;
        EXPECT_EQ(darkPixels(out), expected) << format;
    }
}

// The window's Import Picture and the command line, left to their defaults, make the same
// picture of a photo larger than the panel: fitted inside it in whole bytes, Otsu's threshold.
TEST_F(PreparedConvertTest, DefaultsAreTheWindowsDefaults) {
    QImage photo(400, 300, QImage::Format_RGB32);
    photo.fill(QColor(200, 180, 160));
    QPainter painter(&photo);
    painter.setBrush(QColor(40, 60, 90));
    painter.drawEllipse(60, 40, 250, 200);
    painter.fillRect(300, 0, 100, 300, QColor(120, 120, 120));
    painter.end();
    ASSERT_TRUE(photo.save(path("photo.png"), "PNG"));

    vornix::dialogs::ImportDialog dialog(QImage(path("photo.png")));
    QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
    ASSERT_TRUE(dialog.picture().has_value());
    const QImage window = dialog.pictureImage();
    ASSERT_EQ(window.size(), QSize(168, 126)); // 170.7 x 128, cut to 21 whole bytes

    // --rotate 0 changes nothing but lets convert read a PNG.
    const CliRun run = RunCli({"convert", "--rotate", "0", path("photo.png"), path("cli.bmp")});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(run.err, ""); // the panel shows all of it
    const QImage cli(path("cli.bmp"));
    ASSERT_EQ(cli.size(), window.size());
    int dark = 0;
    for (int y = 0; y < cli.height(); ++y) {
        for (int x = 0; x < cli.width(); ++x) {
            const bool cliDark = cli.pixelColor(x, y) == QColor(Qt::black);
            ASSERT_EQ(cliDark, window.pixelColor(x, y) == QColor(Qt::black)) << x << "," << y;
            dark += cliDark;
        }
    }
    EXPECT_GT(dark, 168 * 126 / 10); // the ellipse and the band came out dark
    EXPECT_LT(dark, 168 * 126 * 9 / 10);
}

struct WarningRow {
    const char* name;
    QSize source;
    QStringList options;
    QSize result;
    QByteArray note; // "" for no warning
};

void PrintTo(const WarningRow& row, std::ostream* os) {
    *os << row.name;
}

class PanelWarningTest : public PreparedConvertTest,
                         public ::testing::WithParamInterface<WarningRow> {};

// The picture is written as asked; one line warns when the panel will not show all of it.
TEST_P(PanelWarningTest, OneLineWhenThePanelShowsPart) {
    const WarningRow& row = GetParam();
    QImage picture(row.source, QImage::Format_RGB32);
    picture.fill(Qt::white);
    ASSERT_TRUE(picture.save(path("in.png"), "PNG"));
    const CliRun run =
        RunCli(QStringList{"convert"} + row.options + QStringList{path("in.png"), path("out.bmp")});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(QImage(path("out.bmp")).size(), row.result);
    const QByteArray expected = row.note.isEmpty()
                                    ? QByteArray()
                                    : "vornix-cli: " + path("in.png").toUtf8() +
                                          ": warning: " + QByteArray::number(row.result.width()) +
                                          " x " + QByteArray::number(row.result.height()) +
                                          " pixels. " + row.note + "\n";
    EXPECT_EQ(run.err, expected);
}

const QByteArray kTopLeft = "The panel shows its top left 240 x 128 pixels.";

INSTANTIATE_TEST_SUITE_P(
    Sizes, PanelWarningTest,
    ::testing::Values(
        WarningRow{"SmallKeepsItsSize", {48, 20}, {"--invert"}, {48, 20}, ""},
        WarningRow{"PartOfAByte",
                   {50, 30},
                   {"--invert"},
                   {50, 30},
                   "The panel shows the left 48 of its 50 columns: rows are sent in whole bytes "
                   "of 8 pixels."},
        WarningRow{"LargeIsFitted", {1600, 1000}, {"--invert"}, {200, 125}, ""},
        WarningRow{"KeepKeepsALargePicture", {300, 100}, {"--fit", "keep"}, {300, 100}, kTopLeft},
        WarningRow{"QuietLeavesTheWarningOut", {300, 100}, {"-q", "--fit", "keep"}, {300, 100}, ""},
        WarningRow{"QuietAtLength", {50, 30}, {"--invert", "--quiet"}, {50, 30}, ""},
        WarningRow{
            "TallAfterTurning", {200, 100}, {"--fit=keep", "--rotate=90"}, {100, 200}, kTopLeft},
        WarningRow{"FitEnlargesToWholeBytes",
                   {10, 100},
                   {"--fit", "fit"},
                   {8, 80},
                   ""}), // 12.8 x 128, cut to 8 wide and 80 high
    [](const auto& info) { return std::string(info.param.name); });

// An animated GIF of three frames: white, black, white with a black square.
TEST_F(PreparedConvertTest, FramesAllWritesOneFilePerFrame) {
    QImage white(16, 8, QImage::Format_RGB32);
    white.fill(Qt::white);
    QImage black = white;
    black.fill(Qt::black);
    QImage square = white;
    QPainter(&square).fillRect(0, 0, 8, 8, Qt::black);
    ASSERT_TRUE(white.save(path("f1.png")) && black.save(path("f2.png")) &&
                square.save(path("f3.png")));
    ASSERT_TRUE(
        magick({"-delay", "10", path("f1.png"), path("f2.png"), path("f3.png"), path("anim.gif")}));

    const CliRun all = RunCli(
        {"convert", "--frames", "all", "--threshold", "128", path("anim.gif"), path("out.bmp")});
    ASSERT_EQ(all.exitCode, 0) << all.err.constData();
    EXPECT_EQ(EntriesOf(path("")), (QStringList{"anim.gif", "f1.png", "f2.png", "f3.png",
                                                "out-001.bmp", "out-002.bmp", "out-003.bmp"}));
    const QString lightRow(16, '.');
    const QString darkRow(16, '#');
    EXPECT_EQ(darkPixels(path("out-001.bmp")), QStringList(8, lightRow));
    EXPECT_EQ(darkPixels(path("out-002.bmp")), QStringList(8, darkRow));
    EXPECT_EQ(darkPixels(path("out-003.bmp")), QStringList(8, QString(8, '#') + QString(8, '.')));

    const CliRun first =
        RunCli({"convert", "--threshold", "128", path("anim.gif"), path("first.bmp")});
    ASSERT_EQ(first.exitCode, 0) << first.err.constData();
    EXPECT_EQ(darkPixels(path("first.bmp")), QStringList(8, lightRow));
    EXPECT_FALSE(QFile::exists(path("first-001.bmp")));
}

QByteArray bigEndian32(quint32 value) {
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray pngChunk(const QByteArray& kind, const QByteArray& data) {
    const QByteArray body = kind + data;
    const auto crc =
        crc32(0, reinterpret_cast<const Bytef*>(body.constData()), static_cast<uInt>(body.size()));
    return bigEndian32(static_cast<quint32>(data.size())) + body +
           bigEndian32(static_cast<quint32>(crc));
}

// Files of a few hundred bytes whose headers claim 900 million pixels (a PNG of 30000 x 30000
// grey pixels) and 4 billion (a GIF screen of 65535 x 65535): refused from the header, with
// OUTPUT left alone.
TEST_F(PreparedConvertTest, PicturesBeyondThePixelLimitAreRefused) {
    const QByteArray header =
        bigEndian32(30000) + bigEndian32(30000) + QByteArray("\x08\0\0\0\0", 5);
    const QByteArray rows = qCompress(QByteArray(30001 * 4, '\0')).mid(4); // zlib stream
    const QByteArray png = QByteArray::fromHex("89504e470d0a1a0a") + pngChunk("IHDR", header) +
                           pngChunk("IDAT", rows) + pngChunk("IEND", {});
    ASSERT_TRUE(WriteAll(path("bomb.png"), png));
    ASSERT_TRUE(WriteAll(path("bomb.gif"), QByteArray("GIF89a\xff\xff\xff\xff\0\0\0;", 14)));
    ASSERT_TRUE(WriteAll(path("old.pxl"), "old"));
    for (const char* name : {"bomb.png", "bomb.gif"}) {
        const CliRun run = RunCli({"convert", "--dither", "fs", path(name), path("old.pxl")});
        EXPECT_EQ(run.exitCode, 1) << name;
        EXPECT_EQ(run.err, "vornix-cli: " + path(name).toUtf8() +
                               ": the picture has more than 64 Mi pixels\n");
        EXPECT_EQ(ReadAll(path("old.pxl")), "old");
    }
}

// Files that start like a PNG, JPEG, GIF or WebP but break off: the library's refusal.
TEST_F(PreparedConvertTest, DamagedPicturesAreRefused) {
    ASSERT_TRUE(fourBands().save(path("bands.png"), "PNG"));
    ASSERT_TRUE(fourBands().save(path("bands.jpg"), "JPEG"));
    ASSERT_TRUE(magick({path("bands.png"), path("bands.gif")}));
    ASSERT_TRUE(magick({path("bands.png"), path("bands.webp")}));
    for (const char* format : {"png", "jpg", "gif", "webp"}) {
        const QByteArray whole = ReadAll(path(QString("bands.") + format));
        const QString cut = path(QString("cut.") + format);
        ASSERT_TRUE(WriteAll(cut, whole.left(40)));
        const CliRun run = RunCli({"convert", "--invert", cut, path("out.pxl")});
        EXPECT_EQ(run.exitCode, 1) << format;
        EXPECT_EQ(run.err, "vornix-cli: " + cut.toUtf8() + ": the picture's data is damaged\n");
        EXPECT_FALSE(QFile::exists(path("out.pxl")));
    }
}

// Sorted lines, for messages that parallel workers print in any order.
QList<QByteArray> sortedLines(const QByteArray& text) {
    QList<QByteArray> lines = text.split('\n');
    std::sort(lines.begin(), lines.end());
    return lines;
}

// A batch goes on past the inputs that fail, says why each failed in one line, exits 1, and
// writes the same files however many pictures it converts at once.
TEST_F(PreparedConvertTest, BatchConvertsEachInputAndReportsEachFailure) {
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("in/more"));
    ASSERT_TRUE(fourBands().save(path("in/bands.png"), "PNG"));
    ASSERT_TRUE(fourBands().save(path("in/more/grey.ppm"), "PPM"));
    ASSERT_TRUE(fourBands().save(path("in/more/bands.jpg"), "JPEG"));
    ASSERT_TRUE(WriteAll(path("in/note.txt"), "just some text"));
    const QStringList inputs = {path("in/bands.png"), path("in/missing.png"), path("in/note.txt"),
                                path("in/more/grey.ppm"), path("in/more/bands.jpg")};
    const QByteArray expectedErr =
        "vornix-cli: " + path("in/missing.png").toUtf8() + ": No such file or directory\n" +
        "vornix-cli: " + path("in/more/bands.jpg").toUtf8() + ": " +
        path("out1/bands.pxl").toUtf8() + " is already the output of " +
        path("in/bands.png").toUtf8() + "\n" + "vornix-cli: " + path("in/note.txt").toUtf8() +
        ": the file is not a BMP, PBM, PGM, PPM, PNG, JPEG, GIF, WebP or PXL picture\n";

    const CliRun one = RunCli(
        QStringList{"convert", "--dither", "fs", "--jobs", "1", "-o", path("out1")} + inputs);
    EXPECT_EQ(one.exitCode, 1);
    EXPECT_EQ(sortedLines(one.err),
              sortedLines(expectedErr + "vornix-cli: " + path("out1").toUtf8() +
                          ": note: folder made for the outputs\n"));
    EXPECT_EQ(EntriesOf(path("out1")), (QStringList{"bands.pxl", "grey.pxl"}));
    EXPECT_TRUE(ReadAll(path("out1/bands.pxl")).startsWith("@,64,32,8\r\n"));

    // The same batch two at a time, into a folder it makes, and as bitmaps.
    const CliRun two = RunCli(
        QStringList{"convert", "--dither=fs", "-j2", "--output-dir", path("out2"), "--to", "bmp"} +
        inputs);
    EXPECT_EQ(two.exitCode, 1);
    EXPECT_EQ(EntriesOf(path("out2")), (QStringList{"bands.bmp", "grey.bmp"}));
    for (const char* name : {"bands", "grey"}) {
        const QString pxl = path(QString("out1/%1.pxl").arg(name));
        ASSERT_EQ(RunCli({"convert", pxl, path("back.bmp")}).exitCode, 0);
        EXPECT_EQ(darkPixels(path("back.bmp")), darkPixels(path(QString("out2/%1.bmp").arg(name))))
            << name;
    }

    // All inputs good: exit 0, nothing on stderr.
    const CliRun good = RunCli({"convert", "--invert", "-o", path("out3"), path("in/bands.png"),
                                path("in/more/grey.ppm")});
    EXPECT_EQ(good.exitCode, 0);
    EXPECT_EQ(good.err,
              "vornix-cli: " + path("out3").toUtf8() + ": note: folder made for the outputs\n");
    EXPECT_EQ(EntriesOf(path("out3")), (QStringList{"bands.pxl", "grey.pxl"}));
}

TEST_F(PreparedConvertTest, BatchUsageErrors) {
    const QStringList bad[] = {{"convert", "-o", path("out")},
                               {"convert", "--jobs", "0", "-o", path("out"), path("a.png")},
                               {"convert", "-j", "x", "-o", path("out"), path("a.png")},
                               {"convert", "--to", "png", "-o", path("out"), path("a.png")},
                               {"convert", "--frames", "some", "a.gif", path("out.pxl")},
                               {"convert", "--to", "bmp", "a.png", path("out.pxl")}};
    for (const QStringList& args : bad) {
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(IsUsageError(run.err, "convert")) << run.err.constData();
    }
    EXPECT_TRUE(EntriesOf(m_dir.path()).isEmpty());
}

// A GIF of 1 x 1 pixel frames, black (colour 0) or white (colour 1) as `dark` says, each
// behind a graphics control block; "GIF89a", a two-colour table, the frames, the trailer.
QByteArray tinyGif(const std::vector<bool>& dark) {
    QByteArray gif("GIF89a\x01\x00\x01\x00\x80\x00\x00", 13);
    gif += QByteArray::fromHex("000000ffffff");
    for (const bool frame : dark) {
        // The codes clear, colour 0 or 1, end, at three bits each.
        gif += QByteArray::fromHex("21f90400000000002c000000000100010000") +
               QByteArray::fromHex(frame ? "0202440100" : "02024c0100");
    }
    return gif + ";";
}

// Every file in a folder with its bytes: what a refused run must leave as it was.
QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (const QString& name : EntriesOf(folder)) {
        const QFileInfo info(folder + "/" + name);
        files[name] = info.isSymLink() ? "-> " + info.symLinkTarget().toUtf8()
                      : info.isDir()   ? QByteArray("<folder>")
                                       : ReadAll(info.filePath());
    }
    return files;
}

struct ClashRow {
    const char* name;
    QStringList args; // "D" stands for the folder of the files
    QByteArray err;   // likewise
};

void PrintTo(const ClashRow& row, std::ostream* os) {
    *os << row.name;
}

class ClashTest : public PreparedConvertTest, public ::testing::WithParamInterface<ClashRow> {};

// An output that is one of the inputs (by name, through a link or as another name of the same
// file) is refused before anything is written: exit 1, one line with both names, every file as
// it was.
TEST_P(ClashTest, RefusesAndWritesNothing) {
    ASSERT_TRUE(fourBands().save(path("a.png"), "PNG"));
    ASSERT_EQ(RunCli({"convert", "--invert", path("a.png"), path("x.pxl")}).exitCode, 0);
    ASSERT_TRUE(QFile::copy(path("x.pxl"), path("a.pxl")));
    ASSERT_TRUE(QFile::link(path("x.pxl"), path("link.pxl")));
    ASSERT_EQ(::link(QFile::encodeName(path("x.pxl")).constData(),
                     QFile::encodeName(path("hard.pxl")).constData()),
              0);
    ASSERT_TRUE(WriteAll(path("anim.gif"), tinyGif({false, true, false})));
    ASSERT_TRUE(QFile::link(path("anim.gif"), path("f-002.pxl")));
    ASSERT_TRUE(WriteAll(path("g-001.pxl"), "old"));
    ASSERT_TRUE(QFile::link(path("g-001.pxl"), path("g-003.pxl")));
    const QMap<QString, QByteArray> before = snapshot(m_dir.path());
    QStringList args;
    for (const QString& arg : GetParam().args) {
        args << QString(arg).replace("D/", m_dir.path() + "/");
    }
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, QByteArray(GetParam().err).replace("D/", (m_dir.path() + "/").toUtf8()));
    EXPECT_EQ(snapshot(m_dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    InputsAreNeverOutputs, ClashTest,
    ::testing::Values(ClashRow{"PreparedOntoItself",
                               {"convert", "--fit", "fit", "D/x.pxl", "D/x.pxl"},
                               "vornix-cli: D/x.pxl and D/x.pxl are the same file\n"},
                      ClashRow{"PlainOntoItself",
                               {"convert", "D/x.pxl", "D/x.pxl"},
                               "vornix-cli: D/x.pxl and D/x.pxl are the same file\n"},
                      ClashRow{"OutputIsALinkToTheInput",
                               {"convert", "--invert", "D/x.pxl", "D/link.pxl"},
                               "vornix-cli: D/x.pxl and D/link.pxl are the same file\n"},
                      ClashRow{"OutputIsAnotherNameOfTheInput",
                               {"convert", "D/hard.pxl", "D/x.pxl"},
                               "vornix-cli: D/hard.pxl and D/x.pxl are the same file\n"},
                      ClashRow{"BatchIntoTheInputsFolder",
                               {"convert", "--invert", "-o", "D/", "D/a.png", "D/a.pxl"},
                               "vornix-cli: D/a.pxl and D/a.pxl are the same file\n"},
                      ClashRow{"BatchOfOneOntoItself",
                               {"convert", "-o", "D/", "--invert", "D/x.pxl"},
                               "vornix-cli: D/x.pxl and D/x.pxl are the same file\n"},
                      ClashRow{"FrameNameLeadsToTheInput",
                               {"convert", "--frames", "all", "--invert", "D/anim.gif", "D/f.pxl"},
                               "vornix-cli: D/anim.gif and D/f-002.pxl are the same file\n"},
        ClashRow{"TwoFrameNamesLeadToOneFile",
                 {"convert", "--frames", "all", "--invert", "D/anim.gif", "D/g.pxl"},
                 "vornix-cli: D/g-001.pxl and D/g-003.pxl are the same file\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// A frame's name taken by another input of the batch: that input is refused, and the frame
// it would have replaced stays the animation's.
TEST_F(PreparedConvertTest, BatchFrameNamesAreOutputsToo) {
    ASSERT_TRUE(WriteAll(path("anim.gif"), tinyGif({false, true, false})));
    QImage white(1, 1, QImage::Format_RGB32);
    white.fill(Qt::white);
    ASSERT_TRUE(white.save(path("anim-002.png"), "PNG"));
    const CliRun run = RunCli({"convert", "--frames", "all", "--fit", "stretch", "--size", "8x1",
                               "-o", path("out"), path("anim.gif"), path("anim-002.png")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "vornix-cli: " + path("out").toUtf8() +
                           ": note: folder made for the outputs\nvornix-cli: " +
                           path("anim-002.png").toUtf8() + ": " +
                           path("out/anim-002.pxl").toUtf8() + " is already the output of " +
                           path("anim.gif").toUtf8() + "\n");
    EXPECT_EQ(EntriesOf(path("out")),
              (QStringList{"anim-001.pxl", "anim-002.pxl", "anim-003.pxl"}));
    EXPECT_EQ(ReadAll(path("out/anim-001.pxl")), "@,8,1,8\r\n000h\r\n");
    EXPECT_EQ(ReadAll(path("out/anim-002.pxl")), "@,8,1,8\r\n0FFh\r\n");
}

// Frame numbers have as many digits as the frame count, at least three: a 1000-frame GIF gives
// f-0001 to f-1000; a GIF of more frames is refused before anything is written.
TEST_F(PreparedConvertTest, FrameNamesFollowTheFrameCount) {
    ASSERT_TRUE(WriteAll(path("g1000.gif"), tinyGif(std::vector<bool>(1000, true))));
    ASSERT_TRUE(WriteAll(path("g1001.gif"), tinyGif(std::vector<bool>(1001, true))));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("o"));
    const CliRun many = RunCli({"convert", "--frames", "all", "--fit", "stretch", "--size", "8x1",
                                path("g1000.gif"), path("o/f.pxl")});
    ASSERT_EQ(many.exitCode, 0) << many.err.constData();
    const QStringList names = EntriesOf(path("o"));
    ASSERT_EQ(names.size(), 1000);
    EXPECT_EQ(names.front(), "f-0001.pxl");
    EXPECT_EQ(names.back(), "f-1000.pxl");

    const CliRun tooMany =
        RunCli({"convert", "--frames", "all", "--invert", path("g1001.gif"), path("p.pxl")});
    EXPECT_EQ(tooMany.exitCode, 1);
    EXPECT_EQ(tooMany.err, "vornix-cli: " + path("g1001.gif").toUtf8() +
                               ": the GIF has more than 1000 frames\n");
    EXPECT_FALSE(QFile::exists(path("p-0001.pxl")));
    EXPECT_FALSE(QFile::exists(path("p-001.pxl")));
}

// --to gives the form of any OUTPUT, whatever its name: a device, standard output named as a
// file, a name with no ending. Without --to the ending still decides.
TEST_F(PreparedConvertTest, ToGivesTheFormOfAnyOutput) {
    const QString input = halfBlackBitmap();
    ASSERT_EQ(RunCli({"convert", "--threshold", "128", input, path("ref.pxl")}).exitCode, 0);
    ASSERT_EQ(RunCli({"convert", "--threshold", "128", input, path("ref.bmp")}).exitCode, 0);
    ASSERT_EQ(RunCli({"pattern", "border", path("border.pxl")}).exitCode, 0);
    ASSERT_EQ(RunCli({"pattern", "--size", "16x8", "checker", path("checker.bmp")}).exitCode, 0);

    const CliRun null = RunCli({"convert", "--to", "pxl", "--invert", input, "/dev/null"});
    EXPECT_EQ(null.exitCode, 0) << null.err.constData();
    EXPECT_EQ(null.err, "");
    const CliRun noEnding =
        RunCli({"convert", "--threshold", "128", "--to", "bmp", input, path("out.data")});
    EXPECT_EQ(noEnding.exitCode, 0) << noEnding.err.constData();
    EXPECT_EQ(ReadAll(path("out.data")), ReadAll(path("ref.bmp")));
    const CliRun stdoutByName =
        RunCli({"convert", "--threshold=128", "--to=pxl", input, "/dev/stdout"});
    EXPECT_EQ(stdoutByName.exitCode, 0) << stdoutByName.err.constData();
    EXPECT_EQ(stdoutByName.out, ReadAll(path("ref.pxl")));
    const CliRun pattern = RunCli({"pattern", "--to", "pxl", "border", "/dev/stdout"});
    EXPECT_EQ(pattern.exitCode, 0) << pattern.err.constData();
    EXPECT_EQ(pattern.out, ReadAll(path("border.pxl")));
    const CliRun patternFile =
        RunCli({"pattern", "--to=bmp", "--size", "16x8", "checker", path("checker.raw")});
    EXPECT_EQ(patternFile.exitCode, 0) << patternFile.err.constData();
    EXPECT_EQ(ReadAll(path("checker.raw")), ReadAll(path("checker.bmp")));

    const CliRun noTo = RunCli({"pattern", "border", "/dev/stdout"});
    EXPECT_EQ(noTo.exitCode, 2);
    EXPECT_TRUE(IsUsageError(noTo.err, "pattern")) << noTo.err.constData();
    const CliRun mismatch = RunCli({"pattern", "--to", "bmp", "border", path("b.pxl")});
    EXPECT_EQ(mismatch.exitCode, 2);
    EXPECT_TRUE(IsUsageError(mismatch.err, "pattern")) << mismatch.err.constData();
}

// -o names a folder: a missing one whose name is a picture's is refused with a hint (the user
// meant one OUTPUT), any other missing one is made with a note, which --quiet leaves out.
TEST_F(PreparedConvertTest, OutputFolderIsMadeOnlyWhenItsNameIsNoPictures) {
    const QString input = halfBlackBitmap();
    for (const char* name : {"out.pxl", "out.BMP", "out.png", "out.jpeg"}) {
        const CliRun run = RunCli({"convert", "--invert", input, "-o", path(name)});
        EXPECT_EQ(run.exitCode, 2) << name;
        EXPECT_EQ(run.err, "vornix-cli convert: no folder " + path(name).toUtf8() +
                               ": -o names the folder of a batch; to write one picture, give "
                               "INPUT OUTPUT\nTry 'vornix-cli --help'.\n");
    }
    EXPECT_EQ(EntriesOf(m_dir.path()), QStringList{"half.bmp"});

    ASSERT_TRUE(QDir(m_dir.path()).mkdir("there.pxl"));
    const CliRun existing = RunCli({"convert", "--invert", "-o", path("there.pxl"), input});
    EXPECT_EQ(existing.exitCode, 0) << existing.err.constData();
    EXPECT_EQ(existing.err, "");
    EXPECT_EQ(EntriesOf(path("there.pxl")), QStringList{"half.pxl"});

    const CliRun made = RunCli({"convert", "--invert", "-o", path("made"), input});
    EXPECT_EQ(made.exitCode, 0);
    EXPECT_EQ(made.err,
              "vornix-cli: " + path("made").toUtf8() + ": note: folder made for the outputs\n");
    EXPECT_EQ(EntriesOf(path("made")), QStringList{"half.pxl"});
    // A "/" at the end says the name is a folder's, whatever its ending.
    const CliRun slash = RunCli({"convert", "--invert", "-o", path("slash.pxl/"), input});
    EXPECT_EQ(slash.exitCode, 0) << slash.err.constData();
    EXPECT_EQ(EntriesOf(path("slash.pxl")), QStringList{"half.pxl"});
    const CliRun quiet = RunCli({"convert", "-q", "--invert", "-o", path("quiet"), input});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(EntriesOf(path("quiet")), QStringList{"half.pxl"});
}

// What a batch writes to a terminal as its standard error: read from the pseudo-terminal's
// other end once the run is over.
QByteArray batchOnATerminal(const QStringList& args) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    EXPECT_GE(master, 0);
    EXPECT_EQ(::grantpt(master), 0);
    EXPECT_EQ(::unlockpt(master), 0);
    QProcess process;
    process.setStandardErrorFile(QString::fromLocal8Bit(::ptsname(master)));
    process.start(QStringLiteral(VORNIX_BIN_DIR "/vornix-cli"), args);
    EXPECT_TRUE(process.waitForFinished(kRunTimeoutMs));
    EXPECT_EQ(process.exitCode(), 0);
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    QByteArray received;
    char block[4096];
    for (ssize_t got; (got = ::read(master, block, sizeof block)) > 0;) {
        received.append(block, static_cast<int>(got));
    }
    ::close(master);
    return received;
}

// A batch shows how far it is on a terminal, on one line that it clears at the end; in a pipe
// or a file, and with --quiet, it shows nothing.
TEST_F(PreparedConvertTest, BatchProgressOnlyOnATerminal) {
    QStringList inputs;
    for (const char* name : {"one", "two", "three"}) {
        ASSERT_TRUE(fourBands().save(path(QString(name) + ".png"), "PNG"));
        inputs << path(QString(name) + ".png");
    }
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("out"));
    const QStringList args = QStringList{"convert", "--invert", "-j1", "-o", path("out")} + inputs;
    const QByteArray shown = batchOnATerminal(args);
    EXPECT_TRUE(shown.startsWith("\r[1/3] " + path("one.png").toUtf8())) << shown.constData();
    EXPECT_TRUE(shown.contains("\r[3/3] " + path("three.png").toUtf8())) << shown.constData();
    EXPECT_TRUE(shown.endsWith("\r\x1b[K")) << shown.constData();
    EXPECT_FALSE(shown.contains('\n'));

    EXPECT_EQ(batchOnATerminal(QStringList{"convert", "-q"} + args.mid(1)), "");
    const CliRun piped = RunCli(args);
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(piped.err, "");
}

// A large JPEG fitted smaller is decoded at a fraction of its size; the result has the size
// and, for a picture far from the threshold, the pixels of the whole picture fitted, as the
// same picture stored losslessly shows. 1368 x 1024 fits as 168 x 126 (the 1/8 decode is
// 171 x 128, which would keep its size if the fit were reckoned from it).
TEST_F(PreparedConvertTest, ReducedJpegKeepsTheFitOfTheWholePicture) {
    QImage halves(1368, 1024, QImage::Format_Grayscale8);
    halves.fill(255);
    for (int y = 0; y < halves.height(); ++y) {
        std::fill_n(halves.scanLine(y), 684, 0);
    }
    ASSERT_TRUE(halves.save(path("halves.jpg"), "JPEG", 95));
    ASSERT_TRUE(halves.save(path("halves.png"), "PNG"));
    for (const QStringList& options :
         {QStringList{"--threshold", "128"}, QStringList{"--fit", "stretch", "--size", "100x60"},
          QStringList{"--rotate", "90", "--threshold", "128"}}) {
        const QString name = options.join(' ');
        for (const char* format : {"jpg", "png"}) {
            const CliRun run = RunCli(QStringList{"convert"} + options +
                                      QStringList{path(QString("halves.") + format),
                                                  path(QString("from-%1.bmp").arg(format))});
            ASSERT_EQ(run.exitCode, 0) << name.toStdString() << ": " << run.err.constData();
        }
        const QImage fromJpeg(path("from-jpg.bmp"));
        EXPECT_EQ(fromJpeg.size(), QImage(path("from-png.bmp")).size()) << name.toStdString();
        EXPECT_EQ(darkPixels(path("from-jpg.bmp")), darkPixels(path("from-png.bmp")))
            << name.toStdString();
    }
    EXPECT_EQ(QImage(path("from-jpg.bmp")).size(), QSize(96, 128)); // turned, then fitted
}

struct StandardInputRow {
    const char* name;
    QString input; // a command that writes the input
    QString args;  // convert's arguments, "-" among them
    int exitCode;
    QByteArray err;    // after "vornix-cli: -: "
    int unreadAtLeast; // bytes of the input left unread; -1 for no check
};

void PrintTo(const StandardInputRow& row, std::ostream* os) {
    *os << row.name;
}

class StandardInputTest : public PreparedConvertTest,
                          public ::testing::WithParamInterface<StandardInputRow> {};

// Standard input is read no further than the kind its first bytes announce needs: PXL text
// block by block (a field longer than 4 KiB ends it), a bitmap as far as its headers promise,
// bytes that start like no picture not at all; what is too large says how large, as a named
// file does. What the command leaves unread is counted by wc after it.
TEST_P(StandardInputTest, IsReadAsFarAsItsKindNeeds) {
    const StandardInputRow& row = GetParam();
    const CliRun run = RunShell("(" + row.input + ") | { $CLI convert " + row.args +
                                 "; echo \"exit $?\" >&2; wc -c; }",
                             m_dir.path());
    EXPECT_EQ(run.err, (row.err.isEmpty() ? QByteArray() : "vornix-cli: -: " + row.err + "\n") +
                           "exit " + QByteArray::number(row.exitCode) + "\n");
    if (row.unreadAtLeast >= 0) {
        EXPECT_GE(run.out.trimmed().toLongLong(), row.unreadAtLeast) << run.out.constData();
    }
}

// A header of a 24-bit bitmap of 20000 x 20000 pixels: 1,200,000,054 bytes promised.
const QString kHugeBitmapHeader =
    "printf 'BM\\0\\0\\0\\0\\0\\0\\0\\0\\066\\0\\0\\0\\050\\0\\0\\0"
    "\\040\\116\\0\\0\\040\\116\\0\\0\\001\\0\\030\\0'; head -c 30 /dev/zero";

INSTANTIATE_TEST_SUITE_P(
    Kinds, StandardInputTest,
    ::testing::Values(
        StandardInputRow{"PxlWithALongField", "printf '@,'; head -c 10000000 /dev/zero",
                         "- out.bmp", 1, "PXL file holds a field longer than 4096 characters",
                         9000000},
        StandardInputRow{"BitmapOfZeros", "printf BM; head -c 10000000 /dev/zero", "- out.pxl", 1,
                         "Image is not compatible with LCD.\nImage is 0-bit color.\nImage must "
                         "be B/W only.",
                         9000000},
        StandardInputRow{"BitmapWithMoreAfterIt",
                         "cat \"$SAMPLES/clock.bmp\"; head -c 10000000 /dev/zero", "- out.pxl", 0,
                         "", 9000000},
        StandardInputRow{"NoPicture", "head -c 10000000 /dev/zero", "--invert - out.pxl", 1,
                         "the file is not a BMP, PBM, PGM, PPM, PNG, JPEG, GIF, WebP or PXL "
                         "picture",
                         9000000},
        StandardInputRow{"BitmapPromisingTooMuch",
                         kHugeBitmapHeader + "; head -c 140000000 /dev/zero", "- out.pxl", 1,
                         "too large: 1200000054 bytes, at most 134214794", -1}),
    [](const auto& info) { return std::string(info.param.name); });

// A file as standard input tells its size: one beyond the limit is refused unread, with its size.
TEST_F(PreparedConvertTest, LargeFileAsStandardInputIsRefusedUnread) {
    {
        QFile sparse(path("big.pgm"));
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
        sparse.write("P5\n32767 32767\n65535\n");
        ASSERT_TRUE(sparse.resize(500000000));
    }
    const CliRun run = RunShell("$CLI convert --invert - out.pxl < big.pgm", m_dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "vornix-cli: -: too large: 500000000 bytes, at most 402718720\n");
    EXPECT_EQ(EntriesOf(m_dir.path()), QStringList{"big.pgm"});
}

} // namespace
