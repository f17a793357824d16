// vornix-cli text, run as a real process: the picture it writes in each form, read by
// ImageMagick, holds exactly the ink netpbm's pbmtext draws for the same text in the same BDF
// font, in nothing but black and white; warnings and failures in their own words.
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cli/cli_run.h"
#include "image/text_support.h"

namespace {

using namespace vornix::clitest;
using vornix::texttest::Rows;

const QString kFont = QStringLiteral(VORNIX_TEST_DATA "/good/testbit.bdf");

bool haveTools() {
    return std::system("command -v pbmtext >/dev/null && command -v /usr/bin/convert >/dev/null") ==
           0;
}

std::string shellOutput(const QString& command) {
    return vornix::texttest::OutputOf(command.toStdString());
}

// The picture in `file` as ImageMagick reads it, made a raw PBM.
Rows readByImageMagick(const QString& file) {
    return vornix::texttest::RowsOfPbm(shellOutput("/usr/bin/convert '" + file + "' pbm:-"));
}

class TextCommandTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

// pbmtext's window on the picture: its lines are 8 rows above the baseline (the font's
// bounding box) where Vornix has 9 (FONT_ASCENT), and it ends at the last glyph's ink (see the
// pbmtext test of the font library). Outside the window Vornix draws nothing.
TEST_F(TextCommandTest, EveryFormHoldsWhatPbmtextDraws) {
    if (!haveTools()) {
        GTEST_FAIL() << "pbmtext or ImageMagick missing: run scripts/setup --test";
    }
    const QString text = QStringLiteral("HIgl W\u00e9\u2192\u03bb jig");
    const Rows theirs = vornix::texttest::RowsOfPbm(shellOutput(
        "printf '%s' '" + text + "' | LC_ALL=C.UTF-8 pbmtext -wchar -nomargins -font " + kFont));
    ASSERT_FALSE(theirs.empty());
    for (const QString ending : {".pbm", ".bmp", ".pxl"}) {
        SCOPED_TRACE(ending.toStdString());
        const QString output = path("text" + ending);
        const CliRun run = RunCli({"text", "--font", kFont, text, output});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.err, "");
        QString readable = output;
        if (ending == ".pxl") {
            readable = path("from_pxl.bmp");
            ASSERT_EQ(RunCli({"convert", output, readable}).exitCode, 0);
        }
        const std::string kind =
            shellOutput("/usr/bin/identify -format '%k %z' '" + readable + "'");
        EXPECT_EQ(kind, "2 1"); // two colours, one bit a pixel: no grey
        const Rows ours = readByImageMagick(readable);
        ASSERT_EQ(ours.size(), 12u);
        for (std::size_t y = 0; y < ours.size(); ++y) {
            for (std::size_t x = 0; x < ours[y].size(); ++x) {
                const bool inWindow = y >= 1 && y - 1 < theirs.size() && x < theirs[0].size();
                EXPECT_EQ(ours[y][x], inWindow ? theirs[y - 1][x] : '.') << x << "," << y;
            }
        }
    }
}

// An outline font through fontconfig: a picture of the size asked for, black and white only.
TEST_F(TextCommandTest, OutlineFontInAGivenSize) {
    const QString output = path("sans.bmp");
    const CliRun run = RunCli({"text", "--font", "DejaVu Sans", "--size", "20", "--size-of",
                               "240x128", "--align", "centre", "Hello\nWorld", output});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(shellOutput("/usr/bin/identify -format '%w %h %k %z' '" + output + "'"),
              "240 128 2 1");
    const Rows ours = readByImageMagick(output);
    ASSERT_EQ(ours.size(), 128u);
    // Centred: the ink of each line is as far from the left edge as from the right, to a pixel
    // (the advance past the last glyph's ink counts as part of the line).
    const auto firstInk = ours[10].find('#');
    const auto lastInk = ours[10].rfind('#');
    ASSERT_NE(firstInk, std::string::npos);
    EXPECT_NEAR(static_cast<double>(firstInk), static_cast<double>(239 - lastInk), 4.0);
    EXPECT_EQ(ours[127].find('#'), std::string::npos);
}

// TEXT - is read from standard input; the line end after its last line makes no empty line.
TEST_F(TextCommandTest, TextFromStandardInput) {
    const struct {
        const char* input; // printf format
        int exitCode;
        const char* err;
    } rows[] = {
        {"HIgl\\nW\\n", 0, ""},
        {"HIgl\\r\\nW\\r\\n", 0, ""},
        {"HIgl\\nW", 0, ""},
        {"", 2, "vornix-cli text: TEXT is empty\nTry 'vornix-cli --help'.\n"},
    };
    const CliRun argument = RunCli({"text", "--font", kFont, "HIgl\nW", path("argument.pbm")});
    ASSERT_EQ(argument.exitCode, 0);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.input);
        QFile::remove(path("input.pbm"));
        const CliRun run =
            RunShell(QStringLiteral("printf '%1' | \"$CLI\" text --font '%2' - input.pbm")
                         .arg(QString::fromLatin1(row.input), kFont),
                     m_dir.path());
        EXPECT_EQ(run.exitCode, row.exitCode);
        EXPECT_EQ(run.err, row.err);
        if (row.exitCode == 0) {
            EXPECT_EQ(ReadAll(path("input.pbm")), ReadAll(path("argument.pbm")));
        }
    }
}

struct NoteRow {
    QStringList args; // OUTPUT follows
    int exitCode;
    QByteArray err;
    bool written;
};

TEST_F(TextCommandTest, WarningsAndFailures) {
    const NoteRow rows[] = {
        {{"text", "--font", kFont, "A\u4e2dB\u4e2d\u00c4"},
         0,
         "vornix-cli text: warning: Testbit has no glyph for U+4E2D U+00C4: drawn as its default "
         "glyph\n",
         true},
        {{"text", "--font", kFont, "--size", "20", "AB"},
         0,
         "vornix-cli text: warning: Testbit is a bitmap font of 12 pixels: drawn at that size, "
         "not 20\n",
         true},
        {{"text", "--font", kFont, "--size-of", "8x4", "HIgl"},
         0,
         "vornix-cli text: warning: the text does not fit 8x4: cut at the picture's edge\n",
         true},
        {{"text", "--font", "/dev/zero", "AB"},
         1,
         "vornix-cli text: /dev/zero: the font file cannot be read: not a regular file (a FIFO, "
         "a device or a socket); only files are read\n",
         false},
        {{"text", "--font", "No Such Family Anywhere", "AB"},
         1,
         "vornix-cli text: No Such Family Anywhere: no installed font has this name\n",
         false},
        {{"text", "--font", VORNIX_TEST_DATA "/good/example_10x2.bmp", "AB"},
         1,
         "vornix-cli text: " VORNIX_TEST_DATA "/good/example_10x2.bmp: not a font file this "
         "program reads (BDF, PCF, TrueType, OpenType)\n",
         false},
    };
    for (const NoteRow& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const QString output = path("note.pbm");
        QFile::remove(output);
        const CliRun run = RunCli(row.args + QStringList{output});
        EXPECT_EQ(run.exitCode, row.exitCode);
        EXPECT_EQ(run.err, row.err);
        EXPECT_EQ(QFileInfo::exists(output), row.written);
    }
}

} // namespace
