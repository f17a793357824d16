// The Export dialog and its byte inspector, driven as a user drives them: the pointer over a
// pixel, a click in the text, Copy and Save.
#include <QApplication>
#include <QCoreApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "dialogs/byte_inspector.h"
#include "dialogs/export_dialog.h"
#include "dialogs/read_picture_dialog.h"
#include "image/picture/byte_layout.h"
#include "support/control.h"

namespace {

using vornix::dialogs::ByteInspector;
using vornix::dialogs::ExportDialog;
using vornix::test::control;
namespace image = vornix::image;

// The value of the literal at `at`: "0x3F", "0b00111111", or a dump's "3F".
unsigned ValueAt(const QString& text, int at) {
    const QString rest = text.mid(at, 10);
    if (rest.startsWith("0b")) {
        return rest.mid(2, 8).toUInt(nullptr, 2);
    }
    if (rest.startsWith("0x")) {
        return rest.mid(2, 2).toUInt(nullptr, 16);
    }
    return rest.left(2).toUInt(nullptr, 16);
}

struct LayoutRow {
    const char* name;
    image::ByteLayout layout;
};
void PrintTo(const LayoutRow& row, std::ostream* out) { *out << row.name; }

const LayoutRow kLayouts[] = {{"RowsMsb", image::ByteLayout::RowsHighBitFirst},
                              {"RowsLsb", image::ByteLayout::RowsLowBitFirst},
                              {"PagesLsb", image::ByteLayout::PagesLowBitTop},
                              {"PagesMsb", image::ByteLayout::PagesHighBitTop},
                              {"Columns", image::ByteLayout::Columns}};

class ExportInspectorTest : public ::testing::TestWithParam<LayoutRow> {};

// With one dark pixel in the picture, the byte lit under the pointer is the one value of the
// output that is not zero, and that value has one bit set; a click on that value in the text
// lights the pixel again.
TEST_P(ExportInspectorTest, LightsTheByteThatHoldsThePixelUnderThePointer) {
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{13, 9}, std::pair{7, 8}}) {
        image::PackedPicture picture(14, 11);
        picture.setDark(x, y, true);
        ExportDialog dialog(picture, "/tmp/dot.pxl", {}, {});
        image::ExportChoice choice = dialog.choice();
        choice.source.layout = {GetParam().layout, image::InkBit::Dark};
        choice.source.valuesPerLine = 3;
        dialog.setChoice(choice);
        dialog.show();
        ByteInspector& inspector = *dialog.inspector();
        inspector.setCellSize(6); // the whole picture in view, whatever room the dialog has
        QCoreApplication::processEvents();
        const int cell = inspector.cellSize();
        QTest::mouseMove(&inspector, QPoint(x * cell + cell / 2, y * cell + cell / 2));
        ASSERT_TRUE(inspector.litByte().has_value()) << x << "," << y;

        auto& text = control<QPlainTextEdit>(dialog, "ExportText");
        const QString shown = text.toPlainText();
        const std::string& output = dialog.output();
        const auto starts = image::PreviewOf(output, image::PictureFormat::CSource, 1000).valueStarts;
        ASSERT_EQ(starts.size(), image::LayoutSize(GetParam().layout, 14, 11));
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const unsigned value = ValueAt(shown, int(starts[i]));
            if (i == *inspector.litByte()) {
                EXPECT_NE(value, 0U) << i;
                EXPECT_EQ(value & (value - 1), 0U) << "one bit set in byte " << i;
            } else {
                EXPECT_EQ(value, 0U) << "byte " << i << " for pixel " << x << "," << y;
            }
        }
        // The byte is named with the pixel's bit, and its value is marked in the text.
        const QString named = control<QLabel>(dialog, "ExportByte").text();
        EXPECT_TRUE(named.startsWith(QString("byte %1 ").arg(*inspector.litByte())))
            << named.toStdString();
        EXPECT_TRUE(named.endsWith(QString(": x %1, y %2").arg(x).arg(y))) << named.toStdString();
        const auto marks = text.extraSelections();
        ASSERT_EQ(marks.size(), 1);
        EXPECT_EQ(marks[0].cursor.selectionStart(), int(starts[*inspector.litByte()]));
        EXPECT_NE(ValueAt(marks[0].cursor.selectedText(), 0), 0U);

        // The pointer leaves; a click in the text on the value lights the pixel again.
        inspector.lightByte(std::nullopt);
        QTextCursor cursor = text.textCursor();
        const std::size_t lit = image::PlaceOfPixel(GetParam().layout, 14, 11, x, y).byte;
        cursor.setPosition(int(starts[lit]) + 1);
        text.setTextCursor(cursor);
        ASSERT_EQ(inspector.litByte(), lit);
        bool found = false;
        for (const image::PixelOfBit& pixel : inspector.litPixels()) {
            found = found || (pixel.x == x && pixel.y == y);
        }
        EXPECT_TRUE(found);
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ExportInspectorTest, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ExportDialogTest, SavesAndCopiesTheWholeOutput) {
    image::PackedPicture picture(300, 40); // more lines than the preview shows
    picture.setDark(1, 1, true);
    QTemporaryDir folder;
    QString proposed;
    std::string saved;
    ExportDialog dialog(
        picture, folder.filePath("My Logo.bmp"),
        [&](const QString& name) {
            proposed = name;
            return folder.filePath("out.h");
        },
        [&](const QString& path, const std::string& bytes) {
            EXPECT_EQ(path, folder.filePath("out.h"));
            saved = bytes;
            return QString();
        });
    EXPECT_EQ(control<QLineEdit>(dialog, "ExportName").text(), "My_Logo");
    control<QSpinBox>(dialog, "ExportPerLine").setValue(4);
    EXPECT_TRUE(dialog.sizeText().contains("the first 200 lines shown")) << dialog.sizeText().toStdString();
    control<QPushButton>(dialog, "ExportSave").click();
    EXPECT_EQ(proposed, folder.filePath("My Logo.c"));
    EXPECT_EQ(saved, dialog.output());
    EXPECT_NE(saved.find("unsigned char My_Logo[1520]"), std::string::npos);
    EXPECT_EQ(dialog.statusText(),
              QString("Saved %1 bytes to %2.").arg(saved.size()).arg(folder.filePath("out.h")));

    control<QPushButton>(dialog, "ExportCopy").click();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), dialog.output());

    // The preset sets the layout in one word; raw bytes cannot go to the clipboard as text.
    control<QComboBox>(dialog, "ExportPreset").setCurrentText("pages");
    EXPECT_EQ(dialog.choice().source.layout.layout, image::ByteLayout::PagesLowBitTop);
    auto& format = control<QComboBox>(dialog, "ExportFormat");
    format.setCurrentIndex(format.findData("bin"));
    EXPECT_EQ(dialog.output().size(), 300U * 5U);
    EXPECT_FALSE(control<QPushButton>(dialog, "ExportCopy").isEnabled());
}

TEST(ExportDialogTest, SaysWhyNothingIsWritten) {
    image::PackedPicture picture(8, 8);
    bool asked = false;
    ExportDialog dialog(
        picture, "pic.pxl",
        [&](const QString&) {
            asked = true;
            return QString("x.c");
        },
        [](const QString&, const std::string&) { return QString("Permission denied"); });
    control<QLineEdit>(dialog, "ExportName").setText("2 bad");
    EXPECT_EQ(dialog.sizeText(), "The array name must be a C name: letters, digits and _");
    control<QPushButton>(dialog, "ExportSave").click();
    EXPECT_FALSE(asked);
    control<QLineEdit>(dialog, "ExportName").setText("good");
    control<QPushButton>(dialog, "ExportSave").click();
    EXPECT_EQ(dialog.statusText(), "x.c was not saved: Permission denied");
}

// Read Picture: what a C array or raw bytes hold, with the result or the reason shown at once
// and OK only when there is a picture.
TEST(ReadPictureDialogTest, ShowsWhatTheOptionsGiveAndTakesOnlyAPicture) {
    const std::string text = "#define A_WIDTH 10\n#define A_HEIGHT 2\n"
                             "const unsigned char a[] = {0xA5, 0x40, 0x01, 0x80};\n";
    vornix::dialogs::ReadPictureDialog source(
        std::vector<std::uint8_t>(text.begin(), text.end()), image::PictureFormat::CSource);
    EXPECT_EQ(source.statusText(), "10 x 2 pixels"); // the size the file names
    ASSERT_TRUE(source.picture().has_value());
    EXPECT_TRUE(source.picture()->isDark(0, 0)); // 0xA5: x 0, 2, 5, 7 of row 0
    EXPECT_TRUE(source.picture()->isDark(7, 1)); // 0x01, 0x80: x 7 and 8 of row 1
    EXPECT_TRUE(source.picture()->isDark(8, 1));
    EXPECT_FALSE(source.picture()->isDark(9, 1));
    EXPECT_TRUE(control<QPushButton>(source, "ReadOk").isEnabled());
    control<QSpinBox>(source, "ReadWidth").setValue(24);
    EXPECT_EQ(source.statusText(),
              "the number of values does not fit the picture's size and layout");
    EXPECT_FALSE(source.picture().has_value());
    EXPECT_FALSE(control<QPushButton>(source, "ReadOk").isEnabled());

    vornix::dialogs::ReadPictureDialog raw(std::vector<std::uint8_t>(16, 0xFF),
                                           image::PictureFormat::Raw);
    EXPECT_EQ(raw.statusText(), "16 bytes, but 240 x 128 pixels in rows-msb take 3840");
    control<QSpinBox>(raw, "ReadWidth").setValue(16);
    control<QSpinBox>(raw, "ReadHeight").setValue(8);
    control<QComboBox>(raw, "ReadLayout").setCurrentText("pages-lsb");
    EXPECT_EQ(raw.statusText(), "16 x 8 pixels");
    EXPECT_TRUE(control<QPushButton>(raw, "ReadOk").isEnabled());
}

} // namespace
