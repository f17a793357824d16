// The Import Picture dialog: its default threshold, what each choice does to the preview and
// the result, OK and Cancel, keyboard use, and a large photo.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/import_dialog.h"
#include "dialogs/import_dialog_controls.h"
#include "dialogs/import_dialog_images.h"
#include "dialogs/lcd_preview_panel.h"
#include "image/photo/prepare_picture.h"
#include "image/photo/prepare_tone.h"
#include "support/row_name.h"

static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using vornix::dialogs::GreyFromImage;
using vornix::dialogs::ImportDialog;
using vornix::image::Dither;
using vornix::image::Fit;
using vornix::image::Flip;
using vornix::image::MonoImage;
using vornix::image::PrepareOptions;
using vornix::image::Rotation;

using Pixel = std::pair<int, int>; // x, y
using Pixels = std::set<Pixel>;

QImage whiteWithDark(int width, int height, const std::vector<Pixel>& dark) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (const auto& [x, y] : dark) {
        picture.setPixel(x, y, qRgb(0, 0, 0));
    }
    return picture;
}

// Rows 0 to 31 at grey level 20, rows 32 to 47 at 100, rows 48 to 63 at 240.
QImage threeGreyBands() {
    QImage picture(40, 64, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.fillRect(0, 0, 40, 32, QColor(20, 20, 20));
    painter.fillRect(0, 32, 40, 16, QColor(100, 100, 100));
    painter.fillRect(0, 48, 40, 16, QColor(240, 240, 240));
    return picture;
}

// A photo-like picture: smooth gradients, a disc and a dark diagonal.
QImage photo(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor(20, 40, 90));
    gradient.setColorAt(1, QColor(240, 230, 210));
    painter.fillRect(picture.rect(), gradient);
    painter.setBrush(QColor(250, 210, 80));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(width * 0.7, height * 0.3), height * 0.2, height * 0.2);
    painter.setPen(QPen(Qt::black, std::max(1, width / 100)));
    painter.drawLine(0, height - 1, width - 1, 0);
    return picture;
}

Pixels darkPixels(const MonoImage& picture) {
    Pixels dark;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (picture.isDark(x, y)) {
                dark.emplace(x, y);
            }
        }
    }
    return dark;
}

PrepareOptions withGeometry(ImportDialog& dialog, Fit fit, Rotation rotation, Flip flip) {
    PrepareOptions options = dialog.options();
    options.fit = fit;
    options.rotation = rotation;
    options.flip = flip;
    return options;
}

TEST(ImportDialogTest, DefaultThresholdIsTheSourcesOwn) {
    // Half at level 20, a quarter at 100, a quarter at 240: by hand, the split with the largest
    // between-group variance puts 20 and 100 in the dark group (7008 against 5625 for the
    // other split), so the threshold lies above 100 and not above 240.
    const QImage source = threeGreyBands();
    ImportDialog dialog(source);
    const int threshold = dialog.options().threshold;

    EXPECT_GT(threshold, 100);
    EXPECT_LE(threshold, 240);
    EXPECT_EQ(threshold, vornix::image::OtsuThreshold(GreyFromImage(source)));
    EXPECT_EQ(dialog.sourceThreshold(), threshold);
    EXPECT_EQ(dialog.controls()->thresholdSpin()->value(), threshold);
    EXPECT_EQ(dialog.previewPicture().width, 40); // small pictures keep their size
    EXPECT_TRUE(dialog.previewPicture().isDark(0, 40));
    EXPECT_FALSE(dialog.previewPicture().isDark(0, 60));

    // The slider and the box follow each other; Auto brings the picture's own threshold back.
    auto* controls = dialog.controls();
    controls->thresholdSpin()->setValue(77);
    EXPECT_EQ(controls->thresholdSlider()->value(), 77);
    EXPECT_EQ(dialog.options().threshold, 77);
    controls->thresholdSlider()->setValue(200);
    EXPECT_EQ(controls->thresholdSpin()->value(), 200);
    QTest::mouseClick(controls->autoButton(), Qt::LeftButton);
    EXPECT_EQ(controls->thresholdSpin()->value(), threshold);
}

struct SizeCase {
    const char* name;
    int width;
    int height;
    Fit fit;
    Rotation rotation;
    int expectedWidth;
    int expectedHeight;
    const char* fitNote = ""; // how fitting kept whole bytes
};

void PrintTo(const SizeCase& row, std::ostream* out) {
    *out << row.name;
}

class ImportDialogSizeTest : public ::testing::TestWithParam<SizeCase> {};

// The sizes are worked out by hand: fitting keeps proportions with one side on the panel's.
const SizeCase kSizeCases[] = {
    {"FitHalvesADoublePanel", 480, 256, Fit::Fit, Rotation::None, 240, 128},
    {"FitFourByThree", 640, 480, Fit::Fit, Rotation::None, 168, 126,
     " Fitted 171 pixels wide to 168, 21 whole bytes, so that the panel shows every column."},
    {"FitEnlargesASmallPicture", 100, 50, Fit::Fit, Rotation::None, 240, 120},
    {"FitAfterAQuarterTurn", 640, 480, Fit::Fit, Rotation::Clockwise90, 96, 128},
    {"Stretch", 640, 480, Fit::Stretch, Rotation::None, 240, 128},
    {"Centre", 640, 480, Fit::Center, Rotation::Clockwise270, 240, 128},
    {"Keep", 300, 100, Fit::Keep, Rotation::None, 300, 100},
    {"KeepTurned", 300, 100, Fit::Keep, Rotation::Clockwise90, 100, 300},
    {"KeepPartOfAByte", 100, 60, Fit::Keep, Rotation::None, 100, 60},
};

TEST_P(ImportDialogSizeTest, PreviewAndResultHaveTheFittedSize) {
    const SizeCase& row = GetParam();
    ImportDialog dialog(photo(row.width, row.height));
    dialog.setOptions(withGeometry(dialog, row.fit, row.rotation, Flip::None));

    QString expected =
        QStringLiteral("Result: %1 x %2 pixels.").arg(row.expectedWidth).arg(row.expectedHeight) +
        QString::fromUtf8(row.fitNote);
    if (row.expectedWidth > 240 || row.expectedHeight > 128) {
        expected += QStringLiteral(" The panel shows its top left 240 x 128 pixels.");
    } else if (row.expectedWidth % 8 != 0) {
        expected += QStringLiteral(" The panel shows the left %1 of its %2 columns: rows are "
                                   "sent in whole bytes of 8 pixels.")
                        .arg(row.expectedWidth / 8 * 8)
                        .arg(row.expectedWidth);
    }
    EXPECT_EQ(dialog.statusText(), expected);
    EXPECT_EQ(dialog.previewPicture().width, row.expectedWidth);
    EXPECT_EQ(dialog.previewPicture().height, row.expectedHeight);

    QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
    ASSERT_TRUE(dialog.picture().has_value());
    EXPECT_EQ(dialog.picture()->width, row.expectedWidth);
    EXPECT_EQ(dialog.picture()->height, row.expectedHeight);
    EXPECT_EQ(dialog.pictureImage().size(), QSize(row.expectedWidth, row.expectedHeight));
}

INSTANTIATE_TEST_SUITE_P(Rows, ImportDialogSizeTest, ::testing::ValuesIn(kSizeCases),
                         vornix::test::RowName);

struct MoveCase {
    const char* name;
    Rotation rotation;
    Flip flip;
    bool invert;
    Pixel darkAt; // where the source's one dark pixel (2, 5) of 100 x 60 ends up
};

void PrintTo(const MoveCase& row, std::ostream* out) {
    *out << row.name;
}

class ImportDialogOrientationTest : public ::testing::TestWithParam<MoveCase> {};

// Clockwise turns of a 100 x 60 picture, by hand: (x, y) goes to (59 - y, x) for a quarter
// turn, (99 - x, 59 - y) for a half turn and (y, 99 - x) for three quarters.
const MoveCase kMoveCases[] = {
    {"Unchanged", Rotation::None, Flip::None, false, {2, 5}},
    {"QuarterTurn", Rotation::Clockwise90, Flip::None, false, {54, 2}},
    {"HalfTurn", Rotation::Half, Flip::None, false, {97, 54}},
    {"ThreeQuarterTurn", Rotation::Clockwise270, Flip::None, false, {5, 97}},
    {"MirroredLeftToRight", Rotation::None, Flip::Horizontal, false, {97, 5}},
    {"MirroredTopToBottom", Rotation::None, Flip::Vertical, false, {2, 54}},
    {"QuarterTurnThenMirrored", Rotation::Clockwise90, Flip::Horizontal, false, {5, 2}},
    {"Inverted", Rotation::None, Flip::None, true, {2, 5}},
};

TEST_P(ImportDialogOrientationTest, TheMarkedPixelMovesAsTurnedAndMirrored) {
    const MoveCase& row = GetParam();
    ImportDialog dialog(whiteWithDark(100, 60, {{2, 5}}));
    PrepareOptions options = withGeometry(dialog, Fit::Keep, row.rotation, row.flip);
    options.invert = row.invert;
    dialog.setOptions(options);

    const MonoImage& preview = dialog.previewPicture();
    const Pixels dark = darkPixels(preview);
    if (row.invert) {
        EXPECT_EQ(dark.size(), 100U * 60U - 1U);
        EXPECT_FALSE(preview.isDark(row.darkAt.first, row.darkAt.second));
    } else {
        EXPECT_EQ(dark, Pixels{row.darkAt});
    }
    // The panel view shows the same pixel, and OK gives the same picture as the preview.
    const QImage panel = dialog.previewImage();
    EXPECT_EQ(panel.pixel(row.darkAt.first, row.darkAt.second),
              row.invert ? vornix::dialogs::kGlassRgb : vornix::dialogs::kDotRgb);
    dialog.accept();
    ASSERT_TRUE(dialog.picture().has_value());
    EXPECT_EQ(darkPixels(*dialog.picture()), dark);
}

INSTANTIATE_TEST_SUITE_P(Rows, ImportDialogOrientationTest, ::testing::ValuesIn(kMoveCases),
                         vornix::test::RowName);

// Every control, changed through its own widget, changes the preview.
TEST(ImportDialogTest, EachControlChangesThePreview) {
    ImportDialog dialog(photo(400, 300));
    auto* controls = dialog.controls();
    const auto changes = std::vector<std::pair<const char*, std::function<void()>>>{
        {"size", [&] { controls->fitBox()->setCurrentIndex(2); }},
        {"rotation", [&] { controls->rotationBox()->setCurrentIndex(1); }},
        {"mirror", [&] { controls->flipBox()->setCurrentIndex(1); }},
        {"method", [&] { controls->ditherBox()->setCurrentIndex(1); }},
        {"method again", [&] { controls->ditherBox()->setCurrentIndex(4); }},
        {"threshold", [&] { controls->thresholdSlider()->setValue(40); }},
        {"threshold box", [&] { controls->thresholdSpin()->setValue(220); }},
        {"invert", [&] { controls->invertBox()->setChecked(true); }},
    };
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        const MonoImage before = dialog.previewPicture();
        const QImage panelBefore = dialog.previewImage();
        change();
        EXPECT_NE(dialog.previewPicture().dark, before.dark);
        EXPECT_NE(dialog.previewImage(), panelBefore);
    }
}

// The preview takes a shortcut (the arrangement is kept while tones change); it must still
// give exactly what OK gives, for every size, turn, mirror and method.
TEST(ImportDialogTest, PreviewEqualsTheResultForEveryCombination) {
    const QImage source = photo(300, 200);
    ImportDialog dialog(source);
    for (Fit fit : {Fit::Keep, Fit::Fit, Fit::Stretch, Fit::Center}) {
        for (Rotation rotation :
             {Rotation::None, Rotation::Clockwise90, Rotation::Half, Rotation::Clockwise270}) {
            for (Flip flip : {Flip::None, Flip::Horizontal, Flip::Vertical}) {
                for (Dither dither : {Dither::None, Dither::FloydSteinberg, Dither::Bayer8}) {
                    PrepareOptions options = withGeometry(dialog, fit, rotation, flip);
                    options.dither = dither;
                    dialog.setOptions(options);
                    const auto expected =
                        vornix::image::PreparePicture(GreyFromImage(source), options);
                    ASSERT_TRUE(expected.prepared());
                    const MonoImage& preview = dialog.previewPicture();
                    ASSERT_EQ(preview.width, expected.picture.width);
                    ASSERT_EQ(preview.height, expected.picture.height);
                    EXPECT_EQ(preview.dark, expected.picture.dark)
                        << int(fit) << " " << int(rotation) << " " << int(flip) << " "
                        << int(dither);
                }
            }
        }
    }
}

// OK hands back the picture: as Qt reads the black-and-white source, dark pixels are colour 0,
// black. Cancel, the Escape key and OK before Cancel leave nothing behind.
TEST(ImportDialogTest, OkGivesThePictureCancelGivesNothing) {
    const QImage source = whiteWithDark(20, 10, {{0, 0}, {19, 0}, {7, 3}, {8, 9}});
    {
        ImportDialog dialog(source);
        EXPECT_FALSE(dialog.picture().has_value());
        QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        ASSERT_TRUE(dialog.picture().has_value());
        const QImage mono = dialog.pictureImage();
        EXPECT_EQ(mono.format(), QImage::Format_Mono);
        EXPECT_EQ(mono.color(0), qRgb(0, 0, 0));
        EXPECT_EQ(mono.convertToFormat(QImage::Format_RGB32), source);
    }
    {
        ImportDialog dialog(source);
        QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel),
                          Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.picture().has_value());
        EXPECT_TRUE(dialog.pictureImage().isNull());
    }
    {
        ImportDialog dialog(source);
        dialog.show();
        dialog.accept();
        ASSERT_TRUE(dialog.picture().has_value());
        // Opened again and left with Escape: the earlier picture is not handed back twice.
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.picture().has_value());
    }
}

// Transparent parts are light, like the glass; a picture with nothing in it, or with more
// pixels than a picture may have, cannot be taken.
TEST(ImportDialogTest, TransparencyIsLightAndUnusablePicturesAreRefused) {
    QImage clear(30, 20, QImage::Format_ARGB32);
    clear.fill(Qt::transparent); // transparent black
    clear.setPixel(4, 6, qRgba(0, 0, 0, 255));
    ImportDialog transparent(clear);
    EXPECT_EQ(darkPixels(transparent.previewPicture()), (Pixels{{4, 6}}));

    ImportDialog empty{QImage()};
    EXPECT_EQ(empty.statusText(),
              QStringLiteral("The picture cannot be imported: the picture has no pixels."));
    auto* ok = empty.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    EXPECT_FALSE(ok->isEnabled());
    empty.accept();
    EXPECT_FALSE(empty.picture().has_value());
    EXPECT_NE(empty.result(), QDialog::Accepted);

    ImportDialog huge{QImage(9000, 8000, QImage::Format_Mono)}; // 72 million pixels
    EXPECT_EQ(huge.statusText(), QStringLiteral("The picture cannot be imported: the picture is "
                                                "larger than 32760 pixels on a side or 64 Mi "
                                                "pixels in all."));
    EXPECT_FALSE(huge.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled());
}

// Tab visits the choices in the order they apply, then OK and Cancel; every choice explains
// itself and every label's shortcut reaches a control.
TEST(ImportDialogTest, KeyboardOrderShortcutsAndTips) {
    ImportDialog dialog(photo(64, 64));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Import Picture"));
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    QList<QWidget*> expected = dialog.controls()->tabOrder();
    expected << buttons->button(QDialogButtonBox::Ok) << buttons->button(QDialogButtonBox::Cancel);
    QList<QWidget*> visited;
    QWidget* widget = expected.first();
    for (int step = 0; step < 100 && visited.size() < expected.size(); ++step) {
        widget = widget->nextInFocusChain();
        if (expected.contains(widget) && !visited.contains(widget)) {
            visited << widget;
        }
    }
    visited.move(visited.size() - 1, 0); // the walk started after the first control
    EXPECT_EQ(visited, expected);

    for (QWidget* control : dialog.controls()->tabOrder()) {
        EXPECT_FALSE(control->toolTip().isEmpty()) << control->objectName().toStdString();
    }
    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    EXPECT_EQ(std::count_if(labels.begin(), labels.end(),
                            [](const QLabel* label) {
                                return label->text().contains(QLatin1Char('&')) &&
                                       label->buddy() != nullptr;
                            }),
              5);
}

// A 4000 x 3000 photo: the preview follows a dragged slider and every other choice without
// redoing the photo's reduction; times are printed, not asserted.
TEST(ImportDialogTest, LargePhotoStaysUsable) {
    QElapsedTimer clock;
    clock.start();
    ImportDialog dialog(photo(4000, 3000));
    std::printf("[ measure ] open 4000 x 3000: %lld ms\n", clock.restart());
    // 170.7 x 128, cut to 21 whole bytes with the height following.
    EXPECT_EQ(dialog.statusText(), QStringLiteral("Result: 168 x 126 pixels. Fitted 171 pixels "
                                                  "wide to 168, 21 whole bytes, so that the "
                                                  "panel shows every column."));

    auto* slider = dialog.controls()->thresholdSlider();
    for (int value = 60; value < 200; value += 7) {
        slider->setValue(value);
        QApplication::processEvents();
    }
    std::printf("[ measure ] 20 slider steps: %lld ms\n", clock.restart());
    EXPECT_EQ(dialog.previewPicture().width, 168);

    PrepareOptions options = withGeometry(dialog, Fit::Keep, Rotation::Half, Flip::None);
    options.dither = Dither::FloydSteinberg;
    dialog.setOptions(options);
    EXPECT_EQ(dialog.statusText(), QStringLiteral("Result: 4000 x 3000 pixels. The panel shows "
                                                  "its top left 240 x 128 pixels."));
    // Only the corner the panel shows is toned.
    EXPECT_EQ(dialog.previewPicture().width, 240 + 16);
    EXPECT_EQ(dialog.previewPicture().height, 128 + 16);
    slider->setValue(100);
    EXPECT_EQ(dialog.previewPicture().width, 240 + 16);
    std::printf("[ measure ] keep, turn, one slider step: %lld ms\n", clock.restart());

    dialog.setOptions(withGeometry(dialog, Fit::Fit, Rotation::None, Flip::None));
    dialog.accept();
    std::printf("[ measure ] fit and OK: %lld ms\n", clock.restart());
    ASSERT_TRUE(dialog.picture().has_value());
    EXPECT_EQ(dialog.pictureImage().size(), QSize(168, 126));
}

} // namespace
