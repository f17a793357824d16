// The Preview LCD window: the panel after the real command stream, compared with the picture.
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/lcd_preview.h"
#include "dialogs/lcd_preview_pane.h"
#include "dialogs/lcd_preview_panel.h"
#include "image/picture/decode_bmp.h"
#include "support/row_name.h"

static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using vornix::dialogs::kDotRgb;
using vornix::dialogs::kGlassRgb;
using vornix::dialogs::kMarkRgb;
using vornix::dialogs::LcdPreview;
using vornix::dialogs::LcdPreviewPane;

using Pixel = std::pair<int, int>; // x, y
using Pixels = std::set<Pixel>;

QImage pictureWithDark(int width, int height, const Pixels& dark) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (const auto& [x, y] : dark) {
        picture.setPixel(x, y, qRgb(0, 0, 0));
    }
    return picture;
}

Pixels run(int y, int fromX, int toX, Pixels more = {}) {
    for (int x = fromX; x <= toX; ++x) {
        more.emplace(x, y);
    }
    return more;
}

// The pixels of a view drawn in the given colour.
Pixels pixelsOfColour(const QImage& view, QRgb colour) {
    Pixels found;
    for (int y = 0; y < view.height(); ++y) {
        for (int x = 0; x < view.width(); ++x) {
            if (view.pixel(x, y) == colour) {
                found.emplace(x, y);
            }
        }
    }
    return found;
}

// The samples, converted by the program's own conversion, show on the panel exactly as Qt
// reads them: the conversion and the controller agree on which pixels are dark.
TEST(LcdPreviewTest, ConvertedSamplesMatchEveryPixel) {
    for (const char* name : {"clock.bmp", "shapes.bmp"}) {
        SCOPED_TRACE(name);
        const QString path = QStringLiteral(VORNIX_SAMPLES "/") + QLatin1String(name);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bmp = file.readAll();
        const auto decoded = vornix::image::ConvertBitmapToPxl(std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(bmp.constData()), std::size_t(bmp.size())));
        ASSERT_TRUE(decoded.result.converted());

        LcdPreview preview;
        preview.showComparison(QByteArray::fromStdString(decoded.text), QImage(path));

        EXPECT_EQ(preview.differingPixels(), std::optional<int>(0));
        EXPECT_EQ(preview.caption(), QStringLiteral("All pixels match."));
        EXPECT_EQ(preview.remark(), QString());
        // The samples have dark pixels, so a blank panel could not pass.
        EXPECT_GT(pixelsOfColour(preview.panelView(), kDotRgb).size(), 100U);
        EXPECT_EQ(preview.panelView(), preview.pictureView());
    }
}

struct DifferenceCase {
    const char* name;
    std::string pxl;
    int width;
    int height;
    Pixels pictureDark;
    Pixels expectedMarks;
    const char* caption;
    const char* remarkPart; // "" when the remark must be empty
};

void PrintTo(const DifferenceCase& row, std::ostream* out) {
    *out << row.name;
}

class LcdPreviewDifferenceTest : public ::testing::TestWithParam<DifferenceCase> {};

// Each row's marks are worked out by hand from the bits of the values.
const DifferenceCase kDifferenceCases[] = {
    {"OneValueEditedTo0A5h",
     "@,16,2,8\r\n000h,0A5h\r\n000h,000h\r\n",
     16,
     2,
     {},
     {{8, 0}, {10, 0}, {13, 0}, {15, 0}},
     "4 pixels differ.",
     "Pixels that differ are marked red on the panel."},
    {"OneBitEdited",
     "@,16,2,8\r\n000h,000h\r\n001h,000h\r\n",
     16,
     2,
     {},
     {{7, 1}},
     "1 pixel differs.",
     "marked red"},
    {"PictureDarkWherePanelIsLight",
     "@,16,2,8\r\n000h,000h\r\n000h,000h\r\n",
     16,
     2,
     {{3, 1}},
     {{3, 1}},
     "1 pixel differs.",
     "marked red"},
    // Ten pixels wide: the D command announces 10 / 8 = 1 byte per row, so the controller
    // displays pixels 0 to 7 only; the dark pixels 8 and 9 of the top row are lost.
    {"WidthTenLosesTheLastTwoColumns",
     "@,10,2,8\r\n0FFh,0FFh\r\n080h,03Fh\r\n",
     10,
     2,
     run(0, 0, 9, {{0, 1}}),
     {{8, 0}, {9, 0}},
     "2 pixels differ.",
     "The width, 10, is not a multiple of 8: the panel shows only 8 pixels of each row."},
    {"ValuesOnOneLineAndLowerCase",
     "@,16,2,8,0ffh,000h,000h,080h",
     16,
     2,
     run(0, 0, 7, {{8, 1}}),
     {},
     "All pixels match.",
     ""},
    // The file ends inside row 1: the stream stops after the last complete group, so row 1
    // never reaches the panel.
    {"ShortFileLeavesTheLastRowOut", "@,16,2,8\r\n0FFh,0FFh\r\n0FFh\r\n", 16, 2,
     run(0, 0, 15, run(1, 0, 7)), run(1, 0, 7), "8 pixels differ.", "marked red"},
    // A value the controller cannot read is rejected with its group.
    {"UnreadableValueIsReported",
     "@,8,1,8\r\n0GGh\r\n",
     8,
     1,
     {},
     {},
     "All pixels match.",
     "The controller rejected 1 command(s), the first:"},
    // Only the panel's 240 x 128 pixels are compared; the rest of the picture is pointed out.
    {"PictureWiderThanThePanel",
     "@,248,1,8\r\n000h" + std::string(30, '!') + "\r\n",
     248,
     1,
     {{240, 0}, {247, 0}},
     {},
     "All pixels match.",
     "Only the top left 240 x 128 pixels of the picture fit on the panel."},
};

TEST_P(LcdPreviewDifferenceTest, MarksExactlyTheDifferingPixels) {
    const DifferenceCase& row = GetParam();
    std::string pxl = row.pxl;
    // "!" stands for ",000h", so that a long row stays readable in the table.
    for (std::size_t at = pxl.find('!'); at != std::string::npos; at = pxl.find('!', at)) {
        pxl.replace(at, 1, ",000h");
    }
    LcdPreview preview;
    preview.showComparison(QByteArray::fromStdString(pxl),
                           pictureWithDark(row.width, row.height, row.pictureDark));

    EXPECT_EQ(preview.caption(), QString::fromLatin1(row.caption));
    EXPECT_EQ(preview.differingPixels(), std::optional<int>(int(row.expectedMarks.size())));
    EXPECT_EQ(pixelsOfColour(preview.panelView(), kMarkRgb), row.expectedMarks);
    if (*row.remarkPart == '\0') {
        EXPECT_EQ(preview.remark(), QString());
    } else {
        EXPECT_TRUE(preview.remark().contains(QLatin1String(row.remarkPart)))
            << preview.remark().toStdString();
    }
    // The picture view shows the picture's part on the panel, unmarked.
    Pixels onPanel;
    for (const auto& [x, y] : row.pictureDark) {
        if (x < 240) {
            onPanel.emplace(x, y);
        }
    }
    EXPECT_EQ(pixelsOfColour(preview.pictureView(), kDotRgb), onPanel);
}

INSTANTIATE_TEST_SUITE_P(Rows, LcdPreviewDifferenceTest, ::testing::ValuesIn(kDifferenceCases),
                         vornix::test::RowName);

struct UnsentCase {
    const char* name;
    const char* pxl;
    const char* caption;
};

void PrintTo(const UnsentCase& row, std::ostream* out) {
    *out << row.name;
}

class LcdPreviewUnsentTest : public ::testing::TestWithParam<UnsentCase> {};

const char kNoHeader[] = "Loading stopped. File does not have LCD Header information.";
const UnsentCase kUnsentCases[] = {
    {"NoMarker", "0FFh,0FFh\r\n", kNoHeader},
    {"EmptyFile", "", kNoHeader},
    {"MarkerFollowedByText", "@ x,8,1,8\r\n0FFh\r\n", kNoHeader},
    {"HeaderCutShort", "@,240", "Nothing would be sent: the file ends inside the LCD header."},
    {"HeaderNumberOutOfRange", "@,40000,1,8\r\n",
     "Nothing would be sent: an LCD header number is not a whole number from -32768 to "
     "32767."},
};

TEST_P(LcdPreviewUnsentTest, ShowsWhyNothingIsSentAndABlankPanel) {
    const UnsentCase& row = GetParam();
    LcdPreview preview;
    // An earlier comparison shows that the window really replaces its outcome.
    preview.showComparison("@,8,1,8\r\n0F0h\r\n", pictureWithDark(8, 1, {{0, 0}}));
    ASSERT_EQ(preview.differingPixels(), std::optional<int>(3));

    preview.showComparison(row.pxl, pictureWithDark(8, 1, {{0, 0}}));

    EXPECT_EQ(preview.caption(), QString::fromLatin1(row.caption));
    EXPECT_EQ(preview.differingPixels(), std::nullopt);
    EXPECT_EQ(preview.remark(), QString());
    EXPECT_EQ(pixelsOfColour(preview.panelView(), kGlassRgb).size(), 240U * 128U);
    EXPECT_EQ(pixelsOfColour(preview.pictureView(), kDotRgb), (Pixels{{0, 0}}));
}

INSTANTIATE_TEST_SUITE_P(Rows, LcdPreviewUnsentTest, ::testing::ValuesIn(kUnsentCases),
                         vornix::test::RowName);

// The window as the user sees it: both views side by side, each picture pixel drawn as a
// 2 x 2 block, a marked pixel in red.
TEST(LcdPreviewTest, WindowShowsBothViewsEnlargedTwice) {
    LcdPreview preview;
    preview.showComparison("@,8,1,8\r\n001h\r\n", pictureWithDark(8, 1, {}));
    preview.show();

    EXPECT_EQ(preview.windowTitle(), QStringLiteral("Preview LCD"));
    EXPECT_FALSE(preview.isModal());
    auto* pictureView = preview.findChild<LcdPreviewPane*>(QStringLiteral("pictureView"));
    auto* panelView = preview.findChild<LcdPreviewPane*>(QStringLiteral("panelView"));
    ASSERT_TRUE(pictureView != nullptr && panelView != nullptr);
    EXPECT_LT(pictureView->geometry().right(), panelView->geometry().left());
    EXPECT_EQ(pictureView->geometry().top(), panelView->geometry().top());

    const int frame = LcdPreviewPane::kFrame;
    EXPECT_EQ(panelView->size(), QSize(480 + 2 * frame, 256 + 2 * frame));
    const QImage drawn = panelView->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(pixelsOfColour(drawn, kMarkRgb), (Pixels{{frame + 14, frame},
                                                       {frame + 15, frame},
                                                       {frame + 14, frame + 1},
                                                       {frame + 15, frame + 1}}));
}

} // namespace
