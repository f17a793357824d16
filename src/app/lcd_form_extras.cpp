// Commands added to the File and Image menus: importing any picture, test patterns and the LCD
// preview.
#include "app/lcd_form.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>

#include "app/caption_label.h"
#include "app/message_text.h"
#include "app/picture_box.h"
#include "app/readable_path.h"
#include "app/working_files.h"
#include "dialogs/export_dialog.h"
#include "dialogs/import_dialog.h"
#include "dialogs/lcd_preview.h"
#include "image/picture/panel_picture.h"
#include "image/picture/prepare_bitmap.h"
#include "image/picture/test_pattern.h"
#include "image/text/messages.h"

namespace vornix::app {

namespace {

std::optional<image::MonoImage> runImportDialog(const QImage& source, QWidget* parent) {
    dialogs::ImportDialog dialog(source, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.picture();
}

// The Export dialog as the window shows it: a name asked with the desktop's save dialog, the
// output written as Save as writes a chosen file.
void runExportDialog(const image::PackedPicture& picture, const QString& name, QWidget* parent) {
    dialogs::ExportDialog dialog(
        picture, name,
        [parent](const QString& proposed) {
            return QFileDialog::getSaveFileName(parent, QStringLiteral("Export"), proposed);
        },
        [](const QString& path, const std::string& bytes) {
            const ErrorCode code = WriteChosenFile(
                path, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
            if (code == ErrorCode::None) {
                return QString();
            }
            const auto words = image::describe(code);
            return QString::fromUtf8(words.data(), static_cast<qsizetype>(words.size()));
        },
        parent);
    dialog.exec();
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

    // Export... follows Save as PXL..., and is there whenever a picture is.
    MenuExport = new QAction(QStringLiteral("Export..."), this);
    MenuExport->setObjectName(QStringLiteral("MenuExport"));
    MenuExport->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    const QList<QAction*> fileActions = Menufile->actions();
    const qsizetype savePxl = fileActions.indexOf(MenuSavePXL);
    Menufile->insertAction(fileActions.value(savePxl + 1), MenuExport);
    MenuExport->setEnabled(MenuSavePXL->isEnabled());
    connect(MenuSavePXL, &QAction::changed, this,
            [this] { MenuExport->setEnabled(MenuSavePXL->isEnabled()); });
    connect(MenuExport, &QAction::triggered, this, [this] {
        if (Menufile->isEnabled() && MenuExport->isEnabled()) {
            MenuExport_Click();
        }
    });
    m_exportDialog = &runExportDialog;
    buildOpenCommand();

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
    if (!mayDropEdits()) {
        return;
    }
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
    if (!mayDropEdits()) {
        return;
    }
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

// The picture the LCD receives, read from the working PXL file, in the Export dialog.
void LCDForm::MenuExport_Click() {
    const QByteArray pxl = ReadFileBytes(m_state.TempPXLFile, image::kMaxDownloadTextBytes).bytes;
    const image::PanelPictureRead read = image::PictureFromPxl(
        std::string_view(pxl.constData(), static_cast<std::size_t>(pxl.size())));
    if (!read.picture) {
        m_prompts.message(QStringLiteral("There is no picture to export: ") +
                              QString::fromStdString(read.failure),
                          QStringLiteral("Vornix"), MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    const QString name =
        m_state.LastFileName.isEmpty() ? FileEntry->caption() : m_state.LastFileName;
    m_exportDialog(*read.picture, name, this);
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
