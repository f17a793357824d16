// Commands added to the File and Image menus: importing any picture, test patterns and the LCD
// preview.
#include "app/lcd_form.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/caption_label.h"
#include "app/message_text.h"
#include "app/picture_box.h"
#include "app/readable_path.h"
#include "app/working_files.h"
#include "dialogs/import_dialog.h"
#include "dialogs/lcd_preview.h"
#include "image/messages.h"
#include "image/prepare_bitmap.h"
#include "image/test_pattern.h"

namespace vornix::app {

namespace {

std::optional<image::MonoImage> runImportDialog(const QImage& source, QWidget* parent) {
    dialogs::ImportDialog dialog(source, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.picture();
}

QString patternCaption(image::TestPattern pattern) {
    const auto name = image::TestPatternName(pattern);
    QString caption = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
    caption[0] = caption[0].toUpper();
    return caption;
}

} // namespace

void LCDForm::buildExtraCommands() {
    MenuImportPicture = new QAction(QStringLiteral("Import Picture..."), this);
    MenuImportPicture->setObjectName(QStringLiteral("MenuImportPicture"));
    MenuImportPicture->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    Menufile->insertAction(Menufile->actions().at(2), MenuImportPicture);
    connect(MenuImportPicture, &QAction::triggered, this, [this] {
        if (Menufile->isEnabled()) {
            MenuImportPicture_Click();
        }
    });

    MenuImage->addSeparator();
    MenuTestPattern = MenuImage->addMenu(QStringLiteral("Test Pattern"));
    MenuTestPattern->setObjectName(QStringLiteral("MenuTestPattern"));
    for (const auto pattern :
         {image::TestPattern::Border, image::TestPattern::Checker, image::TestPattern::Grid,
          image::TestPattern::Ruler, image::TestPattern::Bits}) {
        QAction* action = MenuTestPattern->addAction(patternCaption(pattern));
        action->setObjectName(QStringLiteral("MenuTestPattern") + patternCaption(pattern));
        connect(action, &QAction::triggered, this, [this, pattern] {
            if (Menufile->isEnabled()) {
                MenuTestPattern_Click(pattern);
            }
        });
    }
    MenuPreviewLCD = MenuImage->addAction(Text(image::messages::kPreviewLcd));
    MenuPreviewLCD->setObjectName(QStringLiteral("MenuPreviewLCD"));
    connect(MenuPreviewLCD, &QAction::triggered, this, &LCDForm::MenuPreviewLCD_Click);
    m_importDialog = &runImportDialog;
}

// Any picture the toolkit reads, turned into a 1-bit picture in the import dialog. The window
// names the chosen file only once its picture is shown: a cancelled or failed import leaves
// the caption, FilePath, FileName and the proposed save name as they were.
void LCDForm::MenuImportPicture_Click() {
    const ShownName before = shownName();
    if (!chooseFileToOpen(QStringLiteral("IMG"))) {
        return;
    }
    const QString path = JoinFilePath(m_state.FilePath, m_state.FileName);
    QImage source;
    const ReadablePath readable(path);
    if (LoadPicture(readable.path(), source) != ErrorCode::None) {
        restoreShownName(before);
        m_prompts.message(Text(image::messages::kBadFileName),
                          Text(image::messages::kFileErrorTitle), MessageIcon::Exclamation,
                          MessageButtons::Ok);
        return;
    }
    const ShownName chosen = shownName();
    restoreShownName(before);
    if (importPicture(source, path)) {
        restoreShownName(chosen);
        nameChosenFile();
    }
}

// True when the user accepted the import dialog and the working files now hold its picture.
bool LCDForm::importPicture(const QImage& source, const QString& path) {
    const auto picture = m_importDialog(source, this);
    return picture && makeCurrentPicture(*picture, path);
}

void LCDForm::MenuTestPattern_Click(image::TestPattern pattern) {
    const auto name = image::TestPatternName(pattern);
    m_state.LastFileName = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())) +
                           QStringLiteral(".bmp");
    FileEntry->setCaption(QStringLiteral("Test pattern: ") + patternCaption(pattern));
    makeCurrentPicture(image::MakeTestPattern(pattern), FileEntry->caption());
}

// Makes a prepared picture current exactly as opening a 1-bit bitmap of it would; `source`
// names it in a failure's message. False when the working bitmap could not be written and the
// previous picture stays; a picture written but too large to show leaves the window without
// one, as a PXL file's would.
bool LCDForm::makeCurrentPicture(const image::MonoImage& picture, const QString& source) {
    const auto bytes = image::MonoBitmapBytes(picture);
    const QByteArray bitmap(reinterpret_cast<const char*>(bytes.data()),
                            static_cast<qsizetype>(bytes.size()));
    if (WriteFileAtomically(m_state.TempBMPFile, bitmap) != ErrorCode::None) {
        m_prompts.message(Text(image::messages::kBadFileName),
                          Text(image::messages::kFileErrorTitle), MessageIcon::Exclamation,
                          MessageButtons::Ok);
        return false;
    }
    if (const ErrorCode code = showWorkingBitmap(); code != ErrorCode::None) {
        clearPicture(); // the working bitmap already holds the picture that cannot be shown
        if (!reportNotEnoughMemory(code, source)) {
            m_prompts.message(Text(image::messages::kBadFileName),
                              Text(image::messages::kFileErrorTitle), MessageIcon::Exclamation,
                              MessageButtons::Ok);
        }
        return true;
    }
    DecodeBMP();
    MenuSaveBMP->setEnabled(true);
    MenuSavePXL->setEnabled(true);
    return true;
}

void LCDForm::MenuPreviewLCD_Click() {
    if (m_preview == nullptr) {
        m_preview = new dialogs::LcdPreview(this);
    }
    // An unreadable working file previews as an empty text.
    const QByteArray pxl = ReadFileBytes(m_state.TempPXLFile, image::kMaxDownloadTextBytes).bytes;
    m_preview->showComparison(pxl, BMPImage->picture());
    m_preview->show();
    m_preview->raise();
    m_preview->activateWindow();
}

} // namespace vornix::app
