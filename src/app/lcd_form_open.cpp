// File > Open...: a picture in any form of the table of formats. The panel's own forms and
// photos open as a dropped file does; C arrays, X11 bitmaps, PBM files and raw bytes are read
// pixel for pixel, C arrays and raw bytes after the Read Picture dialog has said what they
// hold.
#include "app/lcd_form.h"

#include <QAction>
#include <QMenu>

#include "app/caption_label.h"
#include "app/message_text.h"
#include "app/readable_path.h"
#include "app/working_files.h"
#include "dialogs/read_picture_dialog.h"
#include "image/picture/picture_formats.h"
#include "image/text/messages.h"

namespace vornix::app {

namespace {

std::optional<image::PackedPicture> runReadPictureDialog(std::vector<std::uint8_t> bytes,
                                                         image::PictureFormat format,
                                                         QWidget* parent) {
    dialogs::ReadPictureDialog dialog(std::move(bytes), format, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.picture();
}

} // namespace

void LCDForm::buildOpenCommand() {
    MenuOpen = new QAction(QStringLiteral("Open..."), this);
    MenuOpen->setObjectName(QStringLiteral("MenuOpen"));
    // After Import Picture..., the last of the open commands.
    const QList<QAction*> fileActions = Menufile->actions();
    Menufile->insertAction(fileActions.value(fileActions.indexOf(MenuImportPicture) + 1), MenuOpen);
    connect(MenuOpen, &QAction::triggered, this, [this] {
        if (Menufile->isEnabled()) {
            MenuOpen_Click();
        }
    });
    m_readPictureDialog = &runReadPictureDialog;
}

void LCDForm::MenuOpen_Click() {
    if (!mayDropEdits()) {
        return;
    }
    const ShownName before = shownName();
    if (!chooseFileToOpen(QStringLiteral("ANY"))) {
        return;
    }
    const QString path = JoinFilePath(m_state.FilePath, m_state.FileName);
    const image::FormatEntry* entry = image::FormatOfFileName(path.toStdString());
    if (entry == nullptr || entry->format == image::PictureFormat::Bitmap ||
        entry->format == image::PictureFormat::Pxl) {
        restoreShownName(before);
        OpenDroppedFile(path);
        return;
    }
    const ShownName chosen = shownName();
    restoreShownName(before);
    const ReadablePath readable(path);
    const FileRead file = ReadFileBytes(readable.path(), entry->maxBytes);
    if (!file.ok()) {
        m_prompts.message(Text(image::messages::kBadFileName),
                          Text(image::messages::kFileErrorTitle), MessageIcon::Exclamation,
                          MessageButtons::Ok);
        return;
    }
    std::vector<std::uint8_t> bytes(file.bytes.begin(), file.bytes.end());
    std::optional<image::PackedPicture> picture;
    if (entry->takesLayout) {
        picture = m_readPictureDialog(std::move(bytes), entry->format, this);
        if (!picture) {
            return;
        }
    } else {
        image::PanelPictureRead read = entry->read(bytes, {});
        if (!read.picture) {
            m_prompts.message(path + QStringLiteral("\n") + QString::fromStdString(read.failure),
                              QStringLiteral("Vornix"), MessageIcon::Exclamation,
                              MessageButtons::Ok);
            return;
        }
        picture = std::move(read.picture);
    }
    if (makeCurrentPicture(image::MonoFromPacked(*picture), path)) {
        restoreShownName(chosen);
        nameChosenFile();
    }
}

} // namespace vornix::app
