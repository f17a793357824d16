// Rules of the file window that need no widget: matching, filters, captions, layout units.
#include <gtest/gtest.h>

#include "dialogs/file_form_rules.h"
#include "support/row_name.h"

namespace ff = vornix::dialogs::file_form;

namespace {

struct MatchCase {
    const char* name;
    const char* pattern;
    QStringList names;
    QStringList expected;
};

void PrintTo(const MatchCase& row, std::ostream* out) {
    *out << row.name;
}

class FilePatternTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(FilePatternTest, ListsMatchingNamesInGivenOrder) {
    const MatchCase& row = GetParam();
    EXPECT_EQ(ff::filterFileNames(row.names, QString::fromUtf8(row.pattern)), row.expected);
}

const QStringList kNames{"a.bmp", "B.BMP", "c.Jpg",  "d.gif",     "e.pxl",
                         "F.PXL", "g.txt", "README", "x.bmp.bak", "pxl"};

INSTANTIATE_TEST_SUITE_P(
    Patterns, FilePatternTest,
    ::testing::Values(
        MatchCase{"Pictures", "*.BMP;*.JPG;*.GIF", kNames, {"a.bmp", "B.BMP", "c.Jpg", "d.gif"}},
        MatchCase{"PxlFiles", "*.PXL", kNames, {"e.pxl", "F.PXL"}},
        // "All Files" lists names without a dot too.
        MatchCase{"AllFiles", "*.*", kNames, kNames},
        MatchCase{"BlanksAndEmptyPatternsSkipped", " *.txt ; ;README", kNames, {"g.txt", "README"}},
        MatchCase{"QuestionMarkIsOneCharacter", "?.pxl", {"e.pxl", "ee.pxl"}, {"e.pxl"}},
        MatchCase{"EmptyPatternListsNothing", "", kNames, {}},
        // A malformed wildcard lists nothing rather than failing.
        MatchCase{"MalformedWildcard", "[", {"[", "a"}, {}}),
    vornix::test::RowName);

TEST(FileFormRules, FilterEntriesAreExactAndFollowTheType) {
    EXPECT_EQ(ff::filterEntryText(0), "BMP files (*.BMP,JPG,GIF)");
    EXPECT_EQ(ff::filterEntryText(1), "LCD files  (*.PXL)");
    EXPECT_EQ(ff::filterEntryText(2), "All Files    (*.*)");
    EXPECT_EQ(ff::filterPattern(0), "*.BMP;*.JPG;*.GIF");
    EXPECT_EQ(ff::filterPattern(1), "*.PXL");
    for (int index : {-1, 2, 3}) {
        EXPECT_EQ(ff::filterPattern(index), "*.*") << index;
    }
    EXPECT_EQ(ff::filterIndexForType("BMP"), 0);
    EXPECT_EQ(ff::filterIndexForType("PXL"), 1);
    EXPECT_EQ(ff::filterIndexForType("TXT"), 2);
    EXPECT_EQ(ff::filterIndexForType(""), 2);
}

TEST(FileFormRules, NameWithoutExtensionStopsAtTheLastDot) {
    const std::vector<std::pair<QString, QString>> rows{
        {"clock.PXL", "clock"},   {"a.b.BMP", "a.b"}, {"noext", "noext"},
        {".profile", ".profile"}, {"", ""},           {"trailing.", "trailing"}};
    for (const auto& [name, base] : rows) {
        EXPECT_EQ(ff::nameWithoutExtension(name), base) << name.toStdString();
    }
}

TEST(FileFormRules, DriveIsTheInnermostVolumeHoldingThePath) {
    const QStringList roots{"/", "/srv", "/srv/data", "/media/usb"};
    const std::vector<std::pair<QString, QString>> rows{
        {"/srv/data/src", "/srv/data"},
        {"/srv/dataline", "/srv"},
        {"/srvshop", "/"},
        {"/srv", "/srv"},
        {"/", "/"},
        {"/media/usb/a", "/media/usb"},
    };
    for (const auto& [path, drive] : rows) {
        EXPECT_EQ(ff::driveOf(roots, path), drive) << path.toStdString();
    }
    EXPECT_EQ(ff::driveOf({"/srv"}, "/etc"), "");
}

TEST(FileFormRules, WindowCentreSitsAtSevenTwelfthsAcrossAndHalfDown) {
    // 1280 * 7 / 12 - 491 / 2 = 501.17; 1024 / 2 - 215 / 2 = 404.5
    EXPECT_EQ(ff::formPosition(QRect(0, 0, 1280, 1024), QSize(491, 215)), QPoint(501, 405));
    // A second screen to the right keeps its own origin.
    EXPECT_EQ(ff::formPosition(QRect(1920, 0, 1280, 1024), QSize(491, 215)), QPoint(2421, 405));
    // 800 * 7 / 12 - 100 = 366.67; 300 - 50 = 250
    EXPECT_EQ(ff::formPosition(QRect(0, 0, 800, 600), QSize(200, 100)), QPoint(367, 250));
}

} // namespace
