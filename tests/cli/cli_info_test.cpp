// vornix-cli info, run as a real process: the sixteen-line header text, exactly.
#include <QTemporaryDir>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "cli/cli_run.h"

namespace {

using namespace vornix::clitest;

struct InfoCase {
    const char* name;
    const char* file;
    QByteArray bytes;
    QByteArray text; // the whole of stdout
};

void PrintTo(const InfoCase& c, std::ostream* os) {
    *os << c.name;
}

class InfoTest : public ::testing::TestWithParam<InfoCase> {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

TEST_P(InfoTest, PrintsTheHeaderText) {
    ASSERT_TRUE(WriteAll(path(GetParam().file), GetParam().bytes));
    const CliRun run = RunCli({"info", path(GetParam().file)});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.toStdString(), GetParam().text.toStdString());
}

QByteArray lightPxl128x64() {
    QByteArray pxl = "@,128,64,8\r\n";
    for (int y = 0; y < 64; ++y) {
        pxl += "000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,"
               "000h\r\n";
    }
    return pxl;
}

// Lines 2 to 16 of a header whose fields are all zero.
const QByteArray kZeroFieldsText = "FileSize:       0 Bytes\n"
                                   "ImageOffset:    0 Bytes\n"
                                   "Info Hdr Size:  0 Bytes\n"
                                   "-----------------------------------\n"
                                   "Image Width:    0 Pixels\n"
                                   "Image Height:   0 Pixels\n"
                                   "Planes:         0\n"
                                   "Bits/Pixel:     0\n"
                                   "Compression:    0\n"
                                   "Image Size:     0 Bytes\n"
                                   "-----------------------------------\n"
                                   "Pref X Res:     0 Pixels/M\n"
                                   "Pref Y Res:     0 Pixels/M\n"
                                   "Color Map Entries:  0 used\n"
                                   "Signif Colors:  0\n";

INSTANTIATE_TEST_SUITE_P(
    Headers, InfoTest,
    ::testing::Values(
        // The bitmap the PXL file becomes.
        InfoCase{"Pxl128x64", "light.pxl", lightPxl128x64(),
                 "Image Type:    BM\n"
                 "FileSize:       1094 Bytes\n"
                 "ImageOffset:    70 Bytes\n"
                 "Info Hdr Size:  40 Bytes\n"
                 "-----------------------------------\n"
                 "Image Width:    128 Pixels\n"
                 "Image Height:   64 Pixels\n"
                 "Planes:         1\n"
                 "Bits/Pixel:     1\n"
                 "Compression:    0\n"
                 "Image Size:     1024 Bytes\n"
                 "-----------------------------------\n"
                 "Pref X Res:     0 Pixels/M\n"
                 "Pref Y Res:     0 Pixels/M\n"
                 "Color Map Entries:  0 used\n"
                 "Signif Colors:  0\n"},
        // A bitmap the conversion refuses is described all the same.
        InfoCase{"EightBitBitmap", "deep.BMP",
                 Bitmap({.fileSize = 1086,
                         .width = 4,
                         .height = 2,
                         .bitCount = 8,
                         .imageSize = 8,
                         .xPelsPerMeter = 2835,
                         .clrUsed = 256},
                        QByteArray(1024 + 8, 0)),
                 "Image Type:    BM\n"
                 "FileSize:       1086 Bytes\n"
                 "ImageOffset:    62 Bytes\n"
                 "Info Hdr Size:  40 Bytes\n"
                 "-----------------------------------\n"
                 "Image Width:    4 Pixels\n"
                 "Image Height:   2 Pixels\n"
                 "Planes:         1\n"
                 "Bits/Pixel:     8\n"
                 "Compression:    0\n"
                 "Image Size:     8 Bytes\n"
                 "-----------------------------------\n"
                 "Pref X Res:     2835 Pixels/M\n"
                 "Pref Y Res:     2835 Pixels/M\n"
                 "Color Map Entries:  256 used\n"
                 "Signif Colors:  0\n"},
        // Negative numbers carry their sign in place of the blank.
        InfoCase{"TopDownBitmap", "topdown.bmp",
                 Bitmap({.fileSize = -1, .width = 128, .height = -64}, QByteArray(1024, 0)),
                 "Image Type:    BM\n"
                 "FileSize:      -1 Bytes\n"
                 "ImageOffset:    62 Bytes\n"
                 "Info Hdr Size:  40 Bytes\n"
                 "-----------------------------------\n"
                 "Image Width:    128 Pixels\n"
                 "Image Height:  -64 Pixels\n"
                 "Planes:         1\n"
                 "Bits/Pixel:     1\n"
                 "Compression:    0\n"
                 "Image Size:     0 Bytes\n"
                 "-----------------------------------\n"
                 "Pref X Res:     0 Pixels/M\n"
                 "Pref Y Res:     0 Pixels/M\n"
                 "Color Map Entries:  0 used\n"
                 "Signif Colors:  0\n"},
        // Shorter than the headers: the missing bytes read as zeros, bfType's bytes as they are.
        InfoCase{"OneByte", "one.bmp", "B",
                 QByteArray("Image Type:    B\0\n", 18) + kZeroFieldsText}),
    [](const auto& info) { return std::string(info.param.name); });

struct InfoFailure {
    const char* name;
    QStringList args; // file names are made relative to the test folder
    int exitCode;
    QByteArray err; // stderr after "vornix-cli: FILE: " (the file's name is the last argument)
    bool conversionsOwnWords; // the reason is the conversion's, not the desktop program's
};

void PrintTo(const InfoFailure& f, std::ostream* os) {
    *os << f.name;
}

class InfoFailureTest : public ::testing::TestWithParam<InfoFailure> {
protected:
    QTemporaryDir m_dir;
};

TEST_P(InfoFailureTest, PrintsNothingOnStdout) {
    const InfoFailure& f = GetParam();
    ASSERT_TRUE(WriteAll(m_dir.filePath("nomark.pxl"), "8,1,8\r\n0FFh\r\n"));
    ASSERT_TRUE(WriteAll(m_dir.filePath("big.pxl"), "@,8,1,8\r\n1FFh\r\n"));
    ASSERT_TRUE(WriteAll(m_dir.filePath("pic.bmp"), "BM"));
    ASSERT_TRUE(WriteAll(m_dir.filePath("pic.gif"), "BM"));
    ASSERT_TRUE(WriteAll(m_dir.filePath("long.pxl"), "@,8,1,8\r\n" + QByteArray(5000, '0') + "h"));
    ASSERT_TRUE(WriteAll(m_dir.filePath("t.pxl"), "@,32760,32767,-1"));
    const QByteArray fifo = QFile::encodeName(m_dir.filePath("x.pxl"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_dir.filePath("x.bmp")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", m_dir.filePath("z.bmp")));
    ASSERT_TRUE(QFile::link("/dev/zero", m_dir.filePath("z.pxl")));
    {
        QFile sparse(m_dir.filePath("sparse.pxl"));
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
        sparse.write("@,16,1,8\r\n");
        ASSERT_TRUE(sparse.resize(qint64{1} << 30));
    }
    QStringList args{"info"};
    for (const QString& arg : f.args) {
        args << (arg.startsWith('-') ? arg : m_dir.filePath(arg));
    }
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.exitCode, f.exitCode);
    EXPECT_EQ(run.out, "");
    if (f.exitCode == 2) {
        EXPECT_TRUE(IsUsageError(run.err, "info")) << run.err.constData();
    } else {
        EXPECT_EQ(run.err, "vornix-cli: " + args.last().toUtf8() + ": " + f.err);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, InfoFailureTest,
    ::testing::Values(
        InfoFailure{"PxlWithoutMarker",
                    {"nomark.pxl"},
                    1,
                    "Loading stopped. File does not have LCD Header information.\n",
                    false},
        InfoFailure{
            "PxlThatDoesNotConvert", {"big.pxl"}, 1, "PXL file holds a value above 0FFh\n", true},
        InfoFailure{"MissingBitmap", {"absent.bmp"}, 1, "No such file or directory\n", false},
        InfoFailure{"MissingPxl", {"absent.pxl"}, 1, "No such file or directory\n", false},
        InfoFailure{"FifoNamedPxl", {"x.pxl"}, 1, "not a regular file\n", false},
        InfoFailure{"FifoNamedBmp", {"x.bmp"}, 1, "not a regular file\n", false},
        InfoFailure{"DevZeroNamedBmp", {"z.bmp"}, 1, "not a regular file\n", false},
        InfoFailure{"DevZeroNamedPxl", {"z.pxl"}, 1, "not a regular file\n", false},
        InfoFailure{"SparseGigabytePxl",
                    {"sparse.pxl"},
                    1,
                    "PXL file holds a field longer than 4096 characters\n",
                    true},
        InfoFailure{"FiveThousandByteField",
                    {"long.pxl"},
                    1,
                    "PXL file holds a field longer than 4096 characters\n",
                    true},
        InfoFailure{"EighteenByteHugePxl",
                    {"t.pxl"},
                    1,
                    "PXL header gives pixels per value outside 1 to 8\n",
                    true},
        InfoFailure{"NoFile", {}, 2, "", false},
        InfoFailure{"TwoFiles", {"pic.bmp", "pic.bmp"}, 2, "", false},
        InfoFailure{"OtherEnding", {"pic.gif"}, 2, "", false},
        InfoFailure{"UnknownOption", {"--all", "pic.bmp"}, 2, "", false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
