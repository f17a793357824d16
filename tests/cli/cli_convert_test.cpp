// vornix-cli convert, run as a real process: exact files, exact messages, and OUTPUT left alone
// whenever the conversion does not succeed.
#include <QColor>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "cli/cli_run.h"
#include "support/row_name.h"

namespace {

using namespace vornix::clitest;

const QString kSamples = QStringLiteral(VORNIX_SAMPLES);
const QByteArray kWhiteRow = "000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,"
                             "000h,000h,000h";

class ConvertTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    CliRun convert(const QString& input, const QString& output) {
        return RunCli({QStringLiteral("convert"), input, output});
    }

    QTemporaryDir m_dir;
};

// The 128 x 64 sample: four white rows, then the top edge of its rounded frame.
TEST_F(ConvertTest, ShapesSampleGivesItsPxlText) {
    const CliRun run = convert(kSamples + "/shapes.bmp", path("shapes.pxl"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "");
    const QByteArray text = ReadAll(path("shapes.pxl"));
    EXPECT_EQ(text.size(), 12 + 64 * (16 * 5 - 1 + 2)); // header, 64 lines of 16 values
    const QList<QByteArray> lines = text.split('\n');
    ASSERT_EQ(lines.size(), 66); // 65 lines, each ended by CR LF
    EXPECT_EQ(lines[0], "@,128,64,8\r");
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(lines[i], kWhiteRow + "\r") << "line " << i + 1;
    }
    EXPECT_EQ(lines[5], "000h,07Fh,0FFh,0FFh,0FFh,0FFh,0FFh,0FFh,0FFh,0FFh,0FFh,0FFh,0FFh,0FFh,"
                        "0FEh,000h\r");
    EXPECT_EQ(lines[6], "001h,0FFh,0FFh,0FFh,0FFh,0FFh,0FFh,0FFh,0FFh,0FFh,0FFh,0FFh,0FFh,0FFh,"
                        "0FFh,080h\r");
    EXPECT_EQ(lines[10], "00Fh,0F0h,000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,"
                         "00Fh,0F0h\r");
    EXPECT_EQ(lines[64], kWhiteRow + "\r");
    EXPECT_EQ(lines[65], "");
}

// Every bit of the PXL text against the picture as the toolkit reads it: dark where it is black.
TEST_F(ConvertTest, ShapesPxlBitsMatchThePictureAsTheToolkitReadsIt) {
    ASSERT_EQ(convert(kSamples + "/shapes.bmp", path("shapes.pxl")).exitCode, 0);
    const QImage picture(kSamples + "/shapes.bmp");
    ASSERT_EQ(picture.size(), QSize(128, 64));
    const QList<QByteArray> lines = ReadAll(path("shapes.pxl")).trimmed().split('\n');
    ASSERT_EQ(lines.size(), 65);
    int dark = 0;
    for (int y = 0; y < 64; ++y) {
        const QList<QByteArray> values = lines[y + 1].trimmed().split(',');
        ASSERT_EQ(values.size(), 16);
        for (int x = 0; x < 128; ++x) {
            const int value = values[x / 8].chopped(1).toInt(nullptr, 16);
            const bool set = (value >> (7 - x % 8)) & 1;
            dark += set;
            ASSERT_EQ(set, picture.pixelColor(x, y) == QColor(Qt::black)) << x << "," << y;
        }
    }
    EXPECT_GT(dark, 500); // the sample really has a drawing in it
}

struct BitmapExample {
    const char* name;
    QByteArray pxl;
    QByteArray bitmapHex;
};

void PrintTo(const BitmapExample& example, std::ostream* os) {
    *os << example.name;
}

class PxlToBitmapTest : public ConvertTest, public ::testing::WithParamInterface<BitmapExample> {};

// Hand-computed files: 70 header bytes (pixel data at 70, colour table black then white, eight
// bytes of filler), then the rows bottom first, each value inverted and padded with FF.
TEST_P(PxlToBitmapTest, GivesTheExactFile) {
    ASSERT_TRUE(WriteAll(path("in.pxl"), GetParam().pxl));
    const CliRun run = convert(path("in.pxl"), path("out.bmp"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadAll(path("out.bmp")).toHex(' ').toStdString(),
              QByteArray::fromHex(GetParam().bitmapHex).toHex(' ').toStdString());
}

const QByteArray kTableAndFiller = "00000000ffffff00ffffffffff000000";

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, PxlToBitmapTest,
    ::testing::Values(
        BitmapExample{"EightByOne", "@,8,1,8\r\n0A5h\r\n",
                      "424d4a000000000000004600000028000000080000000100000001000100000000000400"
                      "000000000000000000000000000000000000" +
                          kTableAndFiller + "5affffff"},
        BitmapExample{"TenByTwoRowsTurnedBottomUp", "@,10,2,8\r\n0FFh,0FFh\r\n080h,03Fh\r\n",
                      "424d4e0000000000000046000000280000000a0000000200000001000100000000000800"
                      "000000000000000000000000000000000000" +
                          kTableAndFiller + "7fc0ffff" + "0000ffff"},
        BitmapExample{"NoRows", "@,240,0,8\r\n",
                      "424d46000000000000004600000028000000f00000000000000001000100000000000000"
                      "000000000000000000000000000000000000" +
                          kTableAndFiller}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConvertTest, AllLightPxlGivesWhitePixelBytes) {
    QByteArray pxl = "@,128,64,8\r\n";
    for (int y = 0; y < 64; ++y) {
        pxl += kWhiteRow + "\r\n";
    }
    ASSERT_TRUE(WriteAll(path("light.pxl"), pxl));
    ASSERT_EQ(convert(path("light.pxl"), path("light.bmp")).exitCode, 0);
    const QByteArray bitmap = ReadAll(path("light.bmp"));
    ASSERT_EQ(bitmap.size(), 1094);
    EXPECT_EQ(bitmap.left(6).toHex(), "424d46040000"); // "BM", bfSize 1094
    EXPECT_EQ(bitmap.mid(70), QByteArray(1024, '\xff'));
}

// A picture that goes PXL -> BMP -> PXL comes back as the same text, and BMP -> PXL -> BMP as
// the same pixels.
TEST_F(ConvertTest, RoundTripsKeepThePicture) {
    ASSERT_EQ(convert(kSamples + "/clock.bmp", path("a.pxl")).exitCode, 0);
    ASSERT_EQ(convert(path("a.pxl"), path("b.bmp")).exitCode, 0);
    ASSERT_EQ(convert(path("b.bmp"), path("c.pxl")).exitCode, 0);
    EXPECT_EQ(ReadAll(path("c.pxl")), ReadAll(path("a.pxl")));
    EXPECT_TRUE(ReadAll(path("a.pxl")).startsWith("@,240,128,8\r\n"));

    const QImage original(kSamples + "/clock.bmp");
    const QImage rebuilt(path("b.bmp"));
    ASSERT_EQ(rebuilt.size(), QSize(240, 128));
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 240; ++x) {
            ASSERT_EQ(rebuilt.pixelColor(x, y), original.pixelColor(x, y)) << x << "," << y;
        }
    }
}

TEST_F(ConvertTest, NameEndingsInAnyCaseAndNamesAfterDoubleDash) {
    ASSERT_TRUE(QFile::copy(kSamples + "/shapes.bmp", path("PIC.BMP")));
    ASSERT_TRUE(QFile::copy(kSamples + "/shapes.bmp", path("-dash.bmp")));
    EXPECT_EQ(convert(path("PIC.BMP"), path("Pic.Pxl")).exitCode, 0);
    EXPECT_EQ(convert(path("Pic.Pxl"), path("back.bmp")).exitCode, 0);
    EXPECT_EQ(ReadAll(path("back.bmp")).size(), 1094);
    // A relative name starting with "-" is a file once "--" has ended the options.
    QProcess process;
    process.setWorkingDirectory(m_dir.path());
    process.start(QStringLiteral(VORNIX_BIN_DIR "/vornix-cli"),
                  {"convert", "--", "-dash.bmp", "-dash.pxl"});
    ASSERT_TRUE(process.waitForFinished(kRunTimeoutMs));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(ReadAll(path("-dash.pxl")), ReadAll(path("Pic.Pxl")));
}

// A pipe named as a file is not read: the command ends at once, with the pipe still open and
// nothing written to it, instead of waiting for text that may never come.
TEST_F(ConvertTest, PxlFromAPipeIsRefusedAtOnce) {
    ASSERT_TRUE(QFile::link("/dev/stdin", path("pipe.pxl")));
    QProcess process;
    process.start(QStringLiteral(VORNIX_BIN_DIR "/vornix-cli"),
                  {"convert", path("pipe.pxl"), path("out.bmp")});
    ASSERT_TRUE(process.waitForStarted(kRunTimeoutMs));
    const bool finished = process.waitForFinished(kRunTimeoutMs);
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    ASSERT_TRUE(finished) << "vornix-cli waited for the pipe";
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(process.readAllStandardError(),
              "vornix-cli: " + path("pipe.pxl").toUtf8() + ": not a regular file\n");
    EXPECT_FALSE(QFileInfo::exists(path("out.bmp")));
}

// Fifo: a FIFO nobody writes to; DevZero: a link to /dev/zero; Sparse: `bytes`, then zeros up
// to 1 GB in a hole.
enum class InputIs { File, Missing, Folder, Fifo, DevZero, Sparse };

struct Refusal {
    const char* name;
    const char* input; // file name, its ending chooses the direction
    InputIs inputIs;
    QByteArray bytes;
    QByteArray message;       // stderr after "vornix-cli: INPUT: "
    bool conversionsOwnWords; // the reason is the conversion's, not the desktop program's
};

void PrintTo(const Refusal& refusal, std::ostream* os) {
    *os << refusal.name;
}

class RefusalTest : public ConvertTest, public ::testing::WithParamInterface<Refusal> {
protected:
    void SetUp() override {
        const Refusal& r = GetParam();
        if (r.inputIs == InputIs::File) {
            ASSERT_TRUE(WriteAll(path(r.input), r.bytes));
        } else if (r.inputIs == InputIs::Folder) {
            ASSERT_TRUE(QDir(m_dir.path()).mkdir(r.input));
        } else if (r.inputIs == InputIs::Fifo) {
            ASSERT_EQ(::mkfifo(QFile::encodeName(path(r.input)).constData(), 0600), 0);
        } else if (r.inputIs == InputIs::DevZero) {
            ASSERT_TRUE(QFile::link("/dev/zero", path(r.input)));
        } else if (r.inputIs == InputIs::Sparse) {
            QFile file(path(r.input));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            ASSERT_EQ(file.write(r.bytes), r.bytes.size());
            ASSERT_TRUE(file.resize(qint64{1} << 30));
        }
    }
    QString outputName() const {
        return QString(GetParam().input).endsWith(".pxl") ? "out.bmp" : "out.pxl";
    }
    // "vornix-cli: INPUT: " and the reason: the desktop program's own message for a picture it
    // refuses, the conversion's or the system's words otherwise.
    void expectMessage(const CliRun& run) {
        const Refusal& r = GetParam();
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "vornix-cli: " + path(r.input).toUtf8() + ": " + r.message);
    }
};

TEST_P(RefusalTest, MessageAndNoOutputCreated) {
    const QStringList before = EntriesOf(m_dir.path());
    expectMessage(convert(path(GetParam().input), path(outputName())));
    EXPECT_EQ(EntriesOf(m_dir.path()), before); // no OUTPUT, no temporary file left behind
}

TEST_P(RefusalTest, MessageAndExistingOutputKept) {
    const QByteArray previous = "the previous picture\r\n";
    ASSERT_TRUE(WriteAll(path(outputName()), previous));
    const QStringList before = EntriesOf(m_dir.path());
    expectMessage(convert(path(GetParam().input), path(outputName())));
    EXPECT_EQ(ReadAll(path(outputName())), previous);
    EXPECT_EQ(EntriesOf(m_dir.path()), before);
}

const QByteArray kNotBitmap =
    "Image is not a compatible BMP format.\nCan not convert to LCD format.\n";
const QByteArray kNoMarker = "Loading stopped. File does not have LCD Header information.\n";
const QByteArray kNotAFile = "not a regular file\n";

QByteArray colourBitmap(std::int16_t bits) {
    return Bitmap({.fileSize = 66, .width = 1, .bitCount = bits, .imageSize = 4}, QByteArray(4, 0));
}

INSTANTIATE_TEST_SUITE_P(
    BadInputs, RefusalTest,
    ::testing::Values(
        Refusal{
            "EightBit", "eight.bmp", InputIs::File, colourBitmap(8),
            "Image is not compatible with LCD.\nImage is 8-bit color.\nImage must be B/W only.\n",
            false},
        Refusal{"TwentyFourBit", "deep.bmp", InputIs::File, colourBitmap(24),
                "Image is not compatible with LCD.\nImage is 24-bit color.\nImage must be B/W "
                "only.\n",
                false},
        Refusal{"LowerCaseType", "bm.bmp", InputIs::File, Bitmap({.type = "bm"}, QByteArray(4, 0)),
                kNotBitmap, false},
        Refusal{"EmptyBitmap", "empty.bmp", InputIs::File, "", kNotBitmap, false},
        Refusal{"OneByte", "one.bmp", InputIs::File, "B", kNotBitmap, false},
        Refusal{"TextNamedBmp", "note.bmp", InputIs::File, "A note, not a picture.\r\n", kNotBitmap,
                false},
        // A hundred bytes that promise 112 MB of pixel rows: refused before any output.
        Refusal{"ClaimsThirtyThousandSquare", "claim.bmp", InputIs::File,
                Bitmap({.width = 30000, .height = 30000}, QByteArray(38, 0)),
                "bitmap file ends before its last pixel row\n", true},
        Refusal{"PixelRowsCutOff", "cut.bmp", InputIs::File,
                Bitmap({.width = 16, .height = 4}, QByteArray(15, 0)),
                "bitmap file ends before its last pixel row\n", true},
        Refusal{"TopDownBitmap", "topdown.bmp", InputIs::File,
                Bitmap({.width = 8, .height = -2}, QByteArray(8, 0)),
                "bitmap height is negative (top-down bitmaps are not converted)\n", true},
        Refusal{"RowLongerThanAnyBitmap", "wide.bmp", InputIs::File,
                Bitmap({.width = 0x7FFFFFFF}, QByteArray(16, 0)),
                "bitmap too wide: a pixel row would be longer than 32767 bytes\n", true},
        Refusal{"PxlWithoutMarker", "nomark.pxl", InputIs::File, "8,1,8\r\n0FFh\r\n", kNoMarker,
                false},
        Refusal{"EmptyPxl", "empty.pxl", InputIs::File, "", kNoMarker, false},
        Refusal{"BinaryPxl", "binary.pxl", InputIs::File, QByteArray("\x00\xff,@\r\n", 6),
                kNoMarker, false},
        Refusal{"MarkerOnly", "marker.pxl", InputIs::File, "@\r\n",
                "PXL file ends inside its header line\n", true},
        Refusal{"ValueAbove0FFh", "big.pxl", InputIs::File, "@,8,1,8\r\n1FFh\r\n",
                "PXL file holds a value above 0FFh\n", true},
        Refusal{"HugeClaimFewValues", "claim.pxl", InputIs::File, "@,30000,30000,8\r\n0FFh\r\n",
                "PXL file ends before its last row of values\n", true},
        Refusal{"MissingBitmap", "absent.bmp", InputIs::Missing, "", "No such file or directory\n",
                false},
        Refusal{"MissingPxl", "absent.pxl", InputIs::Missing, "", "No such file or directory\n",
                false},
        Refusal{"FolderNamedBmp", "folder.bmp", InputIs::Folder, "", "Is a directory\n", false},
        // Named inputs that are not files, and files no picture can be: refused at once (a
        // run that waits is killed and fails), without reading them whole.
        Refusal{"FifoNamedPxl", "x.pxl", InputIs::Fifo, "", kNotAFile, false},
        Refusal{"FifoNamedBmp", "x.bmp", InputIs::Fifo, "", kNotAFile, false},
        Refusal{"DevZeroNamedBmp", "z.bmp", InputIs::DevZero, "", kNotAFile, false},
        Refusal{"DevZeroNamedPxl", "z.pxl", InputIs::DevZero, "", kNotAFile, false},
        Refusal{"SparseGigabyteBmp", "big.bmp", InputIs::Sparse, "BM",
                "too large: 1073741824 bytes, at most 134214794\n", false},
        Refusal{"SparseGigabytePxl", "big.pxl", InputIs::Sparse, "@,16,1,8\r\n",
                "PXL file holds a field longer than 4096 characters\n", true},
        Refusal{"FiveThousandByteField", "long.pxl", InputIs::File,
                "@,16,1,8\r\n0FFh," + QByteArray(5000, '0') + "h\r\n",
                "PXL file holds a field longer than 4096 characters\n", true},
        Refusal{"EighteenByteHugePxl", "t.pxl", InputIs::File, "@,32760,32767,-1",
                "PXL header gives pixels per value outside 1 to 8\n", true},
        // The line end after the last comma ends an empty third value.
        Refusal{"TrailingEmptyField", "empty3.pxl", InputIs::File, "@,24,1,8\r\n0FFh,0FFh,\r\n",
                "PXL file holds an empty value\n", true},
        Refusal{"HundredByteBmpClaimingHuge", "claim.bmp", InputIs::File,
                Bitmap({.width = 100000, .height = 100000}, QByteArray(38, '\xAA')),
                "bitmap file ends before its last pixel row\n", true}),
    [](const auto& info) { return std::string(info.param.name); });

// Usage errors: exit 2, one line saying what was wrong on stderr, nothing converted.
struct UsageCase {
    const char* name;
    QStringList args;
};

void PrintTo(const UsageCase& row, std::ostream* os) {
    *os << row.name;
}

class UsageTest : public ConvertTest, public ::testing::WithParamInterface<UsageCase> {};

} // namespace

// Arguments print as themselves in a failure report.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '[' << list.join(' ').toStdString() << ']';
}
QT_END_NAMESPACE

namespace {

TEST_P(UsageTest, PrintsUsageAndConvertsNothing) {
    ASSERT_TRUE(QFile::copy(kSamples + "/shapes.bmp", path("pic.bmp")));
    ASSERT_TRUE(QFile::copy(kSamples + "/shapes.bmp", path("pic.png")));
    ASSERT_TRUE(QFile::copy(kSamples + "/shapes.bmp", path("pic")));
    QStringList args{"convert"};
    for (const QString& arg : GetParam().args) {
        args << (arg.startsWith('-') || arg.isEmpty() ? arg : path(arg));
    }
    const QStringList before = EntriesOf(m_dir.path());
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(IsUsageError(run.err, "convert")) << run.err.constData();
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(EntriesOf(m_dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    BadArguments, UsageTest,
    ::testing::Values(UsageCase{"NoArguments", {}}, UsageCase{"NoOutput", {"pic.bmp"}},
                      UsageCase{"ThreeFiles", {"pic.bmp", "out.pxl", "more.pxl"}},
                      UsageCase{"UnknownOption", {"--no-such-option", "pic.bmp", "out.pxl"}},
                      UsageCase{"UnknownOptionAfterTheFiles", {"pic.bmp", "out.pxl", "--bogus=1"}},
                      UsageCase{"UnknownShortOption", {"-z", "pic.bmp", "out.pxl"}},
                      UsageCase{"PngInput", {"pic.png", "out.pxl"}},
                      UsageCase{"InputWithoutExtension", {"pic", "out.pxl"}},
                      UsageCase{"EmptyInputName", {"", "out.pxl"}},
                      UsageCase{"EmptyOutputName", {"pic.bmp", ""}},
                      UsageCase{"UnknownLayout", {"--layout", "rows", "pic.bmp", "out.c"}},
                      UsageCase{"NameNotAnIdentifier", {"--name=2x", "pic.bmp", "out.c"}},
                      UsageCase{"UnknownPreset", {"--preset", "oled", "pic.bmp", "out.c"}},
                      UsageCase{"UnknownForm", {"--to", "png", "pic.bmp", "out"}},
                      UsageCase{"NoValuesPerLine", {"--values-per-line=0", "pic.bmp", "o.c"}},
                      UsageCase{"PlacementWithALineBreak", {"--placement", "A\nB", "pic.bmp", "o.c"}},
                      UsageCase{"FormAgainstEnding", {"--to", "xbm", "pic.bmp", "out.c"}}),
    vornix::test::RowName);

TEST_F(ConvertTest, OutputThatCannotBeWrittenIsAFailure) {
    ASSERT_TRUE(WriteAll(path("in.pxl"), "@,8,1,8\r\n0A5h\r\n"));
    for (const QString& input : {kSamples + "/shapes.bmp", path("in.pxl")}) {
        const CliRun run = convert(input, path("no-such-folder/out"));
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, "vornix-cli: " + path("no-such-folder/out").toUtf8() +
                               ": No such file or directory\n");
    }
}

// Runs `script` in a real shell, with $CLI naming vornix-cli, in `folder`: its stdout and exit
// code.
struct PipeRow {
    const char* name;
    QString pipeline; // through "-"
    QString named;    // the same with named files, its result on stdout
};

void PrintTo(const PipeRow& row, std::ostream* os) {
    *os << row.name;
}

class PipeTest : public ConvertTest, public ::testing::WithParamInterface<PipeRow> {};

// "-" as INPUT or FILE reads standard input, its kind told from its content; "-" as OUTPUT
// writes standard output. Each pipeline gives exactly what the same commands give with files.
TEST_P(PipeTest, GivesWhatNamedFilesGive) {
    const PipeRow& row = GetParam();
    ASSERT_TRUE(QFile::copy(kSamples + "/clock.bmp", path("clock.bmp")));
    QImage photo(320, 200, QImage::Format_RGB32);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 320; ++x) {
            photo.setPixel(x, y, qRgb(x * 255 / 319, y * 255 / 199, 128));
        }
    }
    ASSERT_TRUE(photo.save(path("photo.png"), "PNG"));
    ASSERT_TRUE(photo.save(path("photo.jpg"), "JPEG"));
    ASSERT_EQ(RunCli({"convert", path("clock.bmp"), path("clock.pxl")}).exitCode, 0);

    const CliRun named = RunShell(row.named, m_dir.path());
    ASSERT_EQ(named.exitCode, 0) << named.err.constData();
    ASSERT_FALSE(named.out.isEmpty());
    const CliRun piped = RunShell(row.pipeline, m_dir.path());
    EXPECT_EQ(piped.exitCode, 0) << piped.err.constData();
    EXPECT_EQ(piped.err, "");
    EXPECT_EQ(piped.out, named.out);
}

INSTANTIATE_TEST_SUITE_P(
    Pipelines, PipeTest,
    ::testing::Values(
        PipeRow{"PhotoToStreamLength",
                "cat photo.png | $CLI convert --to pxl - - | $CLI stream - | wc -c",
                "$CLI convert --to pxl photo.png p.pxl && $CLI stream p.pxl | wc -c"},
        PipeRow{"BitmapToPxlAndBack", "$CLI convert clock.bmp - | $CLI convert - -",
                "$CLI convert clock.bmp c.pxl && $CLI convert c.pxl c.bmp && cat c.bmp"},
        PipeRow{"PxlFromStandardInput", "$CLI convert - - < clock.pxl",
                "$CLI convert clock.pxl c.bmp && cat c.bmp"},
        PipeRow{"PhotoWithoutOptionsIsPrepared", "$CLI convert - - < photo.jpg",
                "$CLI convert --rotate 0 photo.jpg p.pxl && cat p.pxl"},
        PipeRow{"PhotoAsBitmap", "cat photo.jpg | $CLI convert --dither fs --to bmp - -",
                "$CLI convert --dither fs photo.jpg p.bmp && cat p.bmp"},
        PipeRow{"PhotoToNamedOutput", "$CLI convert --invert - p.pxl < photo.png && cat p.pxl",
                "$CLI convert --invert photo.png q.pxl && cat q.pxl"},
        PipeRow{"InfoOfABitmap", "cat clock.bmp | $CLI info -", "$CLI info clock.bmp"},
        PipeRow{"InfoOfPxlText", "cat clock.pxl | $CLI info -", "$CLI info clock.pxl"},
        PipeRow{"StreamOfABitmap", "cat clock.bmp | $CLI stream -", "$CLI stream clock.bmp"},
        PipeRow{"PatternToStandardOutput", "$CLI pattern grid - | $CLI stream -",
                "$CLI pattern grid g.pxl && $CLI stream g.pxl"}),
    [](const auto& info) { return std::string(info.param.name); });

// Standard input that is no picture, or that the conversion refuses, fails as a file would.
TEST_F(ConvertTest, RefusedStandardInputFails) {
    const CliRun text = RunShell("echo hello | $CLI convert - out.pxl", m_dir.path());
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_EQ(text.err,
              "vornix-cli: -: the file is not a BMP, PBM, PGM, PPM, PNG, JPEG, GIF, WebP or PXL "
              "picture\n");
    const CliRun noHeader = RunShell("echo 0FFh | $CLI stream -", m_dir.path());
    EXPECT_EQ(noHeader.exitCode, 1);
    EXPECT_EQ(noHeader.err,
              "vornix-cli: -: Loading stopped. File does not have LCD Header information.\n");
    EXPECT_TRUE(EntriesOf(m_dir.path()).isEmpty());
}

// Runs `script` in bash with $f set to the file name `name` (any bytes, which a QString
// argument could not carry) and $CLI naming vornix-cli: its stdout and stderr.
CliRun withName(const QByteArray& name, const QString& script) {
    QString escaped;
    for (const char c : name) {
        escaped += QStringLiteral("\\0%1").arg(static_cast<unsigned char>(c), 3, 8, QChar('0'));
    }
    QProcess process;
    process.start(QStringLiteral("/bin/bash"),
                  {"-c", "printf -v f %b \"$1\"; " + script, "bash", escaped,
                   QStringLiteral(VORNIX_BIN_DIR "/vornix-cli")});
    CliRun run;
    if (process.waitForFinished(kRunTimeoutMs) && process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// What the shell makes of `quoted`: the name it stands for.
QByteArray shellWord(const QByteArray& quoted) {
    return withName(quoted, "eval \"printf %s $f\"").out;
}

struct QuotingRow {
    const char* name;
    QByteArray file;
    bool quoted;               // else printed exactly as it is
    bool lsGivesItBack = true; // ls's own form reads back as the name
};

void PrintTo(const QuotingRow& row, std::ostream* os) {
    *os << row.name;
}

class QuotingTest : public ConvertTest, public ::testing::WithParamInterface<QuotingRow> {};

// A file name with control characters reaches the terminal quoted as ls quotes it, so that a
// hostile name cannot retitle or clear the terminal or forge a line; the quoted form reads back
// as the name in the shell. Other names print exactly as they are.
TEST_P(QuotingTest, NamesAreQuotedForTheTerminal) {
    const QuotingRow& row = GetParam();
    const QByteArray file = QFile::encodeName(m_dir.path()) + "/" + row.file;
    const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "just some text", 14), 14);
    ::close(fd);
    const CliRun run = withName(file, "\"$2\" convert --invert \"$f\" " + path("out.pxl"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.startsWith("vornix-cli: ")) << run.err.constData();
    const QByteArray shown = run.err.mid(12, run.err.indexOf(": the file is") - 12);
    if (!row.quoted) {
        EXPECT_EQ(shown, file);
        return;
    }
    EXPECT_EQ(run.err.count('\n'), 1) << "a forged line";
    EXPECT_EQ(shellWord(shown), file);
    if (row.lsGivesItBack) {
        const CliRun ls =
            withName(file, "LC_ALL=C.UTF-8 ls --quoting-style=shell-escape -d -- \"$f\"");
        EXPECT_EQ(shown, ls.out.chopped(1));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, QuotingTest,
    ::testing::Values(QuotingRow{"Escape",
                                 "a\x1b"
                                 "b.bmp",
                                 true},
                      QuotingRow{"RetitleAndBell", "\x1b]0;owned\x07.png", true},
                      QuotingRow{"ForgedLine", "x.png\nvornix-cli: all done", true},
                      QuotingRow{"LetterEscapes", "\a\b\f\n\r\t\v.png", true},
                      QuotingRow{"StartsAndEndsWithOne", "\x01mid\x02", true},
                      QuotingRow{"Delete", "del\x7f.png", true},
                      QuotingRow{"EncodedC1",
                                 "csi\xc2\x9b"
                                 "2J.png",
                                 true},
                      QuotingRow{"LoneC1Byte",
                                 "csi\x9b"
                                 "2J.png",
                                 true},
                      QuotingRow{"PrintableUtf8Kept", "caf\xc3\xa9\x01.png", true},
                      QuotingRow{"ShellCharacters", "a b$c\\d\"e~#\x01.png", true},
                      QuotingRow{"QuoteAndLineEnd", "it's\n.png", true},
                      QuotingRow{"QuoteBetween",
                                 "\x01"
                                 "a'b",
                                 true},
                      QuotingRow{"QuoteAfterAnEndingControl", "ab'c\x01", true},
                      // ls drops the $ of the first escape here; the name must read back.
                      QuotingRow{"QuoteBetweenTwo", "\x01'\x02", true, false},
                      QuotingRow{"PlainWithSpace", "a b.png", false},
                      QuotingRow{"PlainWithQuote", "it's.png", false},
                      QuotingRow{"PlainUtf8", "caf\xc3\xa9.png", false}),
    [](const auto& info) { return std::string(info.param.name); });

// A usage error that echoes what was typed quotes it as well.
TEST_F(ConvertTest, UsageErrorsQuoteWhatWasTyped) {
    const struct {
        QStringList args;
        QByteArray line;
    } rows[] = {
        {{"convert", "--x\x1b[2J", "a.png", "b.pxl"},
         "vornix-cli convert: unknown option '--x'$'\\033''[2J'"},
        {{"convert", "--fit=\x1b[2J", "a.png", "b.pxl"},
         "vornix-cli convert: bad value for --fit: ''$'\\033''[2J'"},
        {{"convert", "-\x07", "a.bmp", "b.pxl"}, "vornix-cli convert: unknown option '-'$'\\a'"},
        {{"info", "-\x07x", "a.bmp"}, "vornix-cli info: unknown option '-'$'\\a''x'"},
        {{"stream", "-\x07x", "a.bmp"}, "vornix-cli stream: unknown option '-'$'\\a''x'"},
        {{"pattern", "grid\r", "g.pxl"}, "vornix-cli pattern: no pattern is called 'grid'$'\\r'"},
        {{"pattern", "--to=\x1b", "grid", "g.pxl"},
         "vornix-cli pattern: bad value for --to: ''$'\\033'"},
        {{"load", "--\x1b"}, "vornix-cli load: unknown option '--'$'\\033'"},
        {{"help", "x\x1b"}, "vornix-cli help: no command is called 'x'$'\\033'"},
        {{"x\x1b"}, "vornix-cli: no command is called 'x'$'\\033'"},
    };
    for (const auto& row : rows) {
        const CliRun run = RunCli(row.args);
        EXPECT_EQ(run.exitCode, 2) << row.line.constData();
        EXPECT_EQ(run.err, row.line + "\nTry 'vornix-cli --help'.\n");
    }
}

} // namespace

namespace {

// The firmware forms through the real program: each written pixel for pixel from the sample,
// judged by gcc or ImageMagick, and read back into the same PXL text.
struct FirmwareRow {
    const char* name;
    QStringList options;
    QString output;        // its ending chooses the form unless --to does
    QStringList readBack;  // options that reading the output back needs
    QString judge;         // a shell command run on the output ("%1"), "" for none
};
void PrintTo(const FirmwareRow& row, std::ostream* os) { *os << row.name; }

class FirmwareTest : public ConvertTest, public ::testing::WithParamInterface<FirmwareRow> {};

TEST_P(FirmwareTest, WritesThePicturePixelForPixelAndReadsItBack) {
    const FirmwareRow& row = GetParam();
    const QString sample = kSamples + "/clock.bmp";
    ASSERT_EQ(RunCli({"convert", sample, path("ref.pxl")}).exitCode, 0);
    const CliRun written = RunCli(QStringList{"convert"} + row.options + QStringList{sample, path(row.output)});
    ASSERT_EQ(written.exitCode, 0) << written.err.constData();
    EXPECT_EQ(written.err, "");
    if (!row.judge.isEmpty()) {
        QProcess judge;
        QString command = row.judge;
        command.replace("%1", path(row.output)).replace("%2", m_dir.path());
        judge.start("/bin/sh", {"-c", command});
        ASSERT_TRUE(judge.waitForFinished(60000));
        EXPECT_EQ(judge.exitCode(), 0) << judge.readAllStandardError().constData();
    }
    const CliRun back =
        RunCli(QStringList{"convert"} + row.readBack + QStringList{path(row.output), path("back.pxl")});
    ASSERT_EQ(back.exitCode, 0) << back.err.constData();
    EXPECT_EQ(ReadAll(path("back.pxl")), ReadAll(path("ref.pxl")));
}

// A program that prints the array "clock" of the header it includes as hex digits, then
// compares that with the PBM raster ImageMagick makes of the sample (the sample's colour 0 is
// black, so its colours and the panel's bits agree): rows-msb is PBM's own layout.
const QString kCompileAndCompare =
    "cd %2 && printf '#include <stdio.h>\\n#define PROGMEM\\n#include \"%1\"\\n"
    "int main(void){for(unsigned i=0;i<sizeof clock;++i)putchar(clock[i]);return 0;}\\n' > m.c"
    " && gcc -std=c11 -Wall -Wextra -Werror m.c -o m && ./m > bytes"
    " && convert " VORNIX_SAMPLES "/clock.bmp pbm:- | tail -c 3840 | cmp - bytes";

INSTANTIATE_TEST_SUITE_P(
    Forms, FirmwareTest,
    ::testing::Values(
        FirmwareRow{"CSourceByEnding", {}, "clock.h", {}, kCompileAndCompare},
        FirmwareRow{"CSourceMcuPreset", {"--preset", "mcu", "--draw-pixels", "--literal=binary"},
                    "clock.c", {}, kCompileAndCompare},
        FirmwareRow{"CSourcePagesLight",
                    {"--layout", "pages-lsb", "--set", "light", "--name", "logo"},
                    "logo.c", {"--layout", "pages-lsb", "--set", "light"}, ""},
        FirmwareRow{"Xbm", {}, "clock.xbm", {}, "convert %1 pbm:- > /dev/null"},
        FirmwareRow{"Pbm", {}, "clock.pbm", {}, "pamtopnm -plain %1 > /dev/null"},
        FirmwareRow{"RawColumns", {"--to", "bin", "--layout", "columns"}, "clock.raw",
                    {"--in-size", "240x128", "--in-layout", "columns", "--to", "pxl"}, ""},
        FirmwareRow{"RawByEnding", {}, "clock.bin", {"--in-size=240x128"}, ""}),
    vornix::test::RowName);

TEST_F(ConvertTest, FirmwareReadingFailuresNameTheFileAndWriteNothing) {
    ASSERT_TRUE(WriteAll(path("raw.bin"), QByteArray(100, '\0')));
    ASSERT_TRUE(WriteAll(path("bad.c"), "const unsigned char a[] = {1, 2, 300};"));
    const struct {
        QStringList args;
        QByteArray err;
    } rows[] = {
        {{path("raw.bin"), path("o.pxl")},
         "vornix-cli: " + path("raw.bin").toUtf8() + ": raw bytes need their size: give --in-size WxH\n"},
        {{"--in-size", "16x8", path("raw.bin"), path("o.pxl")},
         "vornix-cli: " + path("raw.bin").toUtf8() + ": 100 bytes, but 16 x 8 pixels in rows-msb take 16\n"},
        {{"--in-size", "8x3", path("bad.c"), path("o.pxl")},
         "vornix-cli: " + path("bad.c").toUtf8() + ": a value of the array is not a byte (0 to 255) (line 1)\n"},
    };
    for (const auto& row : rows) {
        const CliRun run = RunCli(QStringList{"convert"} + row.args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, row.err);
        EXPECT_FALSE(QFileInfo::exists(path("o.pxl")));
    }
}

// -o NAME.h: every picture as its own array in one header with a table of them, compiled by
// gcc; a picture that cannot be read leaves the header unwritten.
TEST_F(ConvertTest, ABatchIntoOneHeaderHoldsEveryPictureAndATable) {
    ASSERT_TRUE(QFile::copy(kSamples + "/clock.bmp", path("clock.bmp")));
    ASSERT_TRUE(QFile::copy(kSamples + "/shapes.bmp", path("shapes.bmp")));
    ASSERT_TRUE(QFile::copy(kSamples + "/shapes.bmp", path("2.bmp")));
    const CliRun run = RunCli({"convert", "--preset", "pages", "-o", path("icons.h"),
                               path("clock.bmp"), path("shapes.bmp"), path("2.bmp")});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    ASSERT_TRUE(WriteAll(path("m.c"), "#include <stdio.h>\n#include \"icons.h\"\n"
                                      "int main(void) { for (int i = 0; i < ICONS_COUNT; ++i) "
                                      "printf(\"%u %u\\n\", icons[i].width, icons[i].height); "
                                      "return _2[0] == shapes[0] ? 0 : 1; }\n"));
    QProcess gcc;
    gcc.setWorkingDirectory(m_dir.path());
    gcc.start("/bin/sh", {"-c", "gcc -std=c11 -Wall -Wextra -Werror m.c -o m && ./m"});
    ASSERT_TRUE(gcc.waitForFinished(60000));
    EXPECT_EQ(gcc.exitCode(), 0) << gcc.readAllStandardError().constData();
    EXPECT_EQ(gcc.readAllStandardOutput(), "240 128\n128 64\n128 64\n");

    const CliRun failed = RunCli({"convert", "-o", path("more.h"), path("clock.bmp"),
                                  path("missing.bmp")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_FALSE(QFileInfo::exists(path("more.h")));
    EXPECT_TRUE(failed.err.endsWith(": not written: a picture could not be read\n")) << failed.err.constData();
}

} // namespace
