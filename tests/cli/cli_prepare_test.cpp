// vornix-cli convert with picture options, and vornix-cli pattern, run as real processes:
// options switch convert to any picture, bad values are usage errors, and pictures written
// here read back through the toolkit's own image reader as they were meant.
#include <QColor>
#include <QImage>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "cli/cli_run.h"

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
        const CliRun run = RunCli({"convert", "--threshold", "100", input, path("ramp.bmp")});
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
    EXPECT_TRUE(run.err.startsWith("vornix-cli convert: ")) << run.err.constData();
    EXPECT_TRUE(run.err.contains("usage: vornix-cli"));
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
    const QByteArray notAFile =
        ": not a regular file (a FIFO, a device or a socket); only files are read\n";
    const QByteArray badPxl =
        "The picture could not be read.\nthe PXL file could not be converted to a bitmap\n";
    struct Row {
        QString input;
        QByteArray message;
    };
    const Row rows[] = {
        {path("note.txt"), "The picture could not be read.\n"
                           "the file is not a BMP, PBM, PGM, PPM or PXL picture\n"},
        {path("note.bmp"), "The picture could not be read.\n"
                           "the file is not a BMP, PBM, PGM, PPM or PXL picture\n"},
        {path("missing.pgm"), "Bad file name or file type  53\n"},
        // Refused at once, never read whole.
        {path("x.pgm"), "Bad file name or file type  75\n" + path("x.pgm").toUtf8() + notAFile},
        {path("z.pgm"), "Bad file name or file type  75\n" + path("z.pgm").toUtf8() + notAFile},
        {path("big.pgm"), "Bad file name or file type  75\n" + path("big.pgm").toUtf8() +
                              ": larger than any picture it could hold\n"},
        // PXL text streamed through the bitmap conversion, with its failures.
        {path("long.pxl"), badPxl},
        {path("t.pxl"), badPxl},
    };
    for (const Row& r : rows) {
        const CliRun run = RunCli({"convert", "--invert", r.input, path("old.pxl")});
        EXPECT_EQ(run.exitCode, 1) << r.input.toStdString();
        EXPECT_EQ(run.err, r.message);
        EXPECT_EQ(ReadAll(path("old.pxl")), "old");
    }
    const CliRun unwritable =
        RunCli({"convert", "--invert", kSamples + "/shapes.bmp", path("no/such/dir/out.pxl")});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.err.startsWith("The picture could not be written.\n"));
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
        EXPECT_TRUE(run.err.startsWith("vornix-cli pattern: ")) << run.err.constData();
    }
    EXPECT_TRUE(EntriesOf(m_dir.path()).isEmpty());
}

} // namespace
