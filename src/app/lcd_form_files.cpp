// The File menu's open and save commands and the file dialog exchange.
#include "app/lcd_form.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>

#include "app/caption_label.h"
#include "app/message_text.h"
#include "app/picture_box.h"
#include "app/picture_kind.h"
#include "app/readable_path.h"
#include "app/two_colour_picture.h"
#include "app/working_files.h"
#include "dialogs/edit_session.h"
#include "image/picture/pxl_fields.h"
#include "image/picture/pxl_format.h"
#include "image/text/error_codes.h"
#include "image/text/messages.h"
#include "image/text/number_field.h"

namespace vornix::app {

namespace {

const QString kCancel = QStringLiteral("~CANCEL");

// The name a save command proposes for the picture last opened: a name ending in another kind of
// picture gets the saved kind's ending, so that Return never replaces a picture by a file of
// another kind; any other name is proposed as it is.
QString proposedName(const QString& name, const QString& type) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || name.indexOf(QLatin1Char('/'), dot) >= 0) {
        return name;
    }
    const QString ending = name.mid(dot + 1);
    if (ending.compare(type, Qt::CaseInsensitive) == 0 || !IsPictureEnding(ending)) {
        return name;
    }
    return name.left(dot + 1) + type;
}

// True when the kind of file at a save's target is the one the save writes, or no picture.
bool replacesLikeWithLike(PictureKind found, const QString& type) {
    if (found == PictureKind::None) {
        return true;
    }
    return type == QStringLiteral("BMP") ? found == PictureKind::OneBitBitmap
                                         : found == PictureKind::Pxl;
}

// The dialog hands filter patterns back unchanged; a name holding a wildcard is never saved
// under. Every other character, ";" included, is a legal file name character here.
bool isUnusableFileName(const QString& name) {
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

// A typed name that starts with "/" names the whole path: its folder becomes the dialog's
// folder and its last part the file name, so that the next dialog starts there and the save
// commands propose the bare name.
void takeTypedPath(AppState& state) {
    if (!state.FileName.startsWith(QLatin1Char('/'))) {
        return;
    }
    const QString typed = state.FileName;
    const qsizetype slash = typed.lastIndexOf(QLatin1Char('/'));
    state.FilePath = slash == 0 ? QStringLiteral("/") : typed.left(slash);
    state.FileName = typed.mid(slash + 1);
}

} // namespace

QString JoinFilePath(const QString& folder, const QString& name) {
    if (name.startsWith(QLatin1Char('/')) || folder.isEmpty()) {
        return name;
    }
    if (folder.endsWith(QLatin1Char('/'))) {
        return folder + name;
    }
    return folder + QLatin1Char('/') + name;
}

QString LCDForm::executableDirectory() const {
    return m_executableDirectory.isEmpty() ? QCoreApplication::applicationDirPath()
                                           : m_executableDirectory;
}

void LCDForm::OpenImageFile(const QString& fileType) {
    if (chooseFileToOpen(fileType)) {
        nameChosenFile();
    }
}

// The file dialog of an open command; true when FilePath and FileName name the chosen file.
bool LCDForm::chooseFileToOpen(const QString& fileType) {
    FileEntry->setTag(fileType + QStringLiteral("O"));
    if (m_state.FilePath.isEmpty()) {
        m_state.FilePath = executableDirectory();
    }
    m_state.FileName.clear();
    m_fileDialog(m_state, FileEntry->tag(), this);
    if (m_state.FileName == kCancel) {
        m_state.FileName.clear();
        return false;
    }
    takeTypedPath(m_state);
    return !m_state.FileName.isEmpty();
}

// The chosen file becomes the one the window names: the caption, and the name the save
// commands propose.
void LCDForm::nameChosenFile() {
    FileEntry->setCaption(JoinFilePath(m_state.FilePath, m_state.FileName));
    m_state.LastFileName = m_state.FileName;
}

LCDForm::ShownName LCDForm::shownName() const {
    return {FileEntry->caption(), m_state.FilePath, m_state.FileName, m_state.LastFileName};
}

void LCDForm::restoreShownName(const ShownName& name) {
    FileEntry->setCaption(name.caption);
    m_state.FilePath = name.filePath;
    m_state.FileName = name.fileName;
    m_state.LastFileName = name.lastFileName;
}

void LCDForm::SaveImageFile(const QString& fileType) {
    FileEntry->setTag(fileType + QStringLiteral("S"));
    if (m_state.FilePath.isEmpty()) {
        m_state.FilePath = executableDirectory();
    }
    m_state.FileName = proposedName(m_state.LastFileName, fileType);
    m_fileDialog(m_state, FileEntry->tag(), this);
    if (m_state.FileName == kCancel) {
        m_state.FileName.clear();
        return;
    }
    takeTypedPath(m_state);
    if (m_state.FileName.isEmpty()) {
        return;
    }
    const QString target = JoinFilePath(m_state.FilePath, m_state.FileName);
    if (!mayReplace(target, fileType)) {
        m_state.FileName.clear();
        return;
    }
    FileEntry->setCaption(target);
    const QString& source =
        fileType == QStringLiteral("BMP") ? m_state.TempBMPFile : m_state.TempPXLFile;
    ErrorCode code = ErrorCode::FileAccessError;
    if (!isUnusableFileName(m_state.FileName)) {
        const FileRead file =
            ReadFileBytes(source, fileType == QStringLiteral("BMP") ? image::kMaxBitmapFileBytes
                                                                    : image::kMaxWrittenPxlBytes);
        code = file.ok() ? WriteChosenFile(target, file.bytes) : file.code;
    }
    if (code == ErrorCode::None) {
        m_edit->editor().markSaved();
    } else {
        m_prompts.message(Text(image::messages::kNothingToSave),
                          Text(image::messages::kFileErrorTitle), MessageIcon::Exclamation,
                          MessageButtons::Ok);
    }
}

// A picture of another kind at the save's target is replaced only when the user agrees.
bool LCDForm::mayReplace(const QString& target, const QString& fileType) {
    const PictureKind found = PictureKindOf(target);
    if (replacesLikeWithLike(found, fileType)) {
        return true;
    }
    const QString& crlf = m_state.CrLf;
    const QString written = fileType == QStringLiteral("BMP")
                                ? PictureKindWords(PictureKind::OneBitBitmap, target)
                                : PictureKindWords(PictureKind::Pxl, target);
    const MessageAnswer answer = m_prompts.message(
        target + crlf + QStringLiteral("is ") + PictureKindWords(found, target) +
            QStringLiteral(", not ") + written + QStringLiteral(".") + crlf +
            QStringLiteral("Replace it?"),
        Text(image::messages::kProgramTitle), MessageIcon::Question, MessageButtons::OkCancelSafe);
    return answer == MessageAnswer::Ok;
}

void LCDForm::MenuSaveBMP_Click() {
    SaveImageFile(QStringLiteral("BMP"));
}

void LCDForm::MenuSavePXL_Click() {
    SaveImageFile(QStringLiteral("PXL"));
}

void LCDForm::MenuOpenBMP_Click() {
    if (!mayDropEdits()) {
        return;
    }
    const QString shownFile = FileEntry->caption();
    OpenImageFile(QStringLiteral("BMP"));
    if (!m_state.FileName.isEmpty()) {
        if (const ErrorCode code = openBitmapFile(FileEntry->caption()); code != ErrorCode::None) {
            keepShownFileName(code, shownFile);
            return;
        }
    }
    MenuSaveBMP->setEnabled(true);
    MenuSavePXL->setEnabled(true);
}

// Shows a picture file, writes it as the working bitmap and converts that into LCD data.
// None, or the failure code of loading the picture (the previous picture then stays).
ErrorCode LCDForm::openBitmapFile(const QString& path) {
    const ReadablePath readable(path);
    if (const ErrorCode code = loadPictureIntoWorkingBitmap(readable.path());
        code != ErrorCode::None) {
        if (!reportNotEnoughMemory(code, path)) {
            m_prompts.message(Text(image::messages::kBadFileName),
                              Text(image::messages::kFileErrorTitle), MessageIcon::Exclamation,
                              MessageButtons::Ok);
        }
        return code;
    }
    DecodeBMP();
    return ErrorCode::None;
}

// After a failed open the caption names the file that was asked for, as after any open; only
// a picture that is valid but too large to show puts back the name of the picture still on
// screen, so that the caption never names a picture the window could have shown but did not.
void LCDForm::keepShownFileName(ErrorCode code, const QString& shownFile) {
    if (code == ErrorCode::OutOfMemory) {
        FileEntry->setCaption(shownFile);
    }
}

void LCDForm::MenuOpenPxl_Click() {
    if (!mayDropEdits()) {
        return;
    }
    OpenImageFile(QStringLiteral("PXL"));
    if (m_state.FileName.isEmpty()) {
        return;
    }
    openPXLFile(FileEntry->caption(), false);
}

// Makes a PXL file the current picture: the working PXL file becomes its copy with CR LF line
// ends, and a file that starts with the "@" marker is turned into the working bitmap and shown.
void LCDForm::openPXLFile(const QString& path, bool fromCommandLine) {
    const ReadablePath readable(path);
    const PxlCopy copy = CopyPxlFile(readable.path(), m_state.TempPXLFile);
    if (copy.code != ErrorCode::None) {
        if (fromCommandLine) {
            m_prompts.message(
                Text(image::messages::kBadFileName) + QLatin1Char(' ') +
                    QString::fromStdString(image::NumberField(image::Number(copy.code))),
                Text(image::messages::kFileErrorTitle), MessageIcon::Exclamation,
                MessageButtons::Ok);
        }
        return;
    }
    MenuFileLoad->setEnabled(true);
    MenuSavePXL->setEnabled(true);
    if (!copy.hasMarker) {
        return;
    }
    if (!EncodeBMP(readable.path())) {
        return;
    }
    if (const ErrorCode code = showWorkingBitmap(); code != ErrorCode::None) {
        // An empty picture (no columns or no rows), or one too large for the memory there is.
        clearPicture();
        reportNotEnoughMemory(code, path);
        return;
    }
    SetImageTag();
    MenuSaveBMP->setEnabled(true);
    if (fromCommandLine) {
        FileEntry->setCaption(m_state.FileName);
        Log->setCaption(Log->caption() + QStringLiteral("(PXL)") + m_state.CrLf);
    }
}

// Loads a picture file, writes it as the working bitmap and shows it. On a failure the window
// keeps showing the previous picture, whose working bitmap is then also unchanged.
ErrorCode LCDForm::loadPictureIntoWorkingBitmap(const QString& path) {
    QImage picture;
    const ErrorCode code = m_loadPicture(path, picture);
    return code == ErrorCode::None ? showLoadedPicture(path, picture) : code;
}

// Writes a picture just loaded from `path` as the working bitmap and shows it; on a failure
// the previous picture stays.
ErrorCode LCDForm::showLoadedPicture(const QString& path, const QImage& picture) {
    const ErrorCode code = writeWorkingBitmap(path, picture);
    if (code == ErrorCode::None) {
        setPicture(picture);
    }
    return code;
}

// A bitmap file is kept as stored: the conversion reads its colour indices. Any other picture
// of two colours goes through the 1-bit bitmap writer with its dark colour at index 0, so that
// what the window shows dark is dark on the LCD; deeper pictures are written in their own
// depth, which the conversion then refuses.
ErrorCode LCDForm::writeWorkingBitmap(const QString& path, const QImage& picture) {
    if (!IsBitmapFile(path)) {
        if (const auto bitmap = TwoColourBitmap(picture)) {
            return WriteFileAtomically(m_state.TempBMPFile, *bitmap);
        }
    }
    return WriteWorkingBitmap(path, picture, m_state.TempBMPFile);
}

void LCDForm::OpenDroppedFile(const QString& path) {
    const QFileInfo info(path);
    const QString ending = info.fileName().right(4).toUpper();
    // A picture that would be refused for its colours goes to Import Picture instead; the
    // window names it only once the imported picture is shown.
    if (ending != QStringLiteral(".PXL")) {
        QImage picture;
        const ReadablePath readable(info.absoluteFilePath());
        if (LoadPicture(readable.path(), picture) == ErrorCode::None &&
            !convertsDirectly(readable.path(), picture)) {
            if (importPicture(picture, info.absoluteFilePath())) {
                nameDroppedFile(info);
            }
            return;
        }
    }
    const QString shownFile = FileEntry->caption();
    nameDroppedFile(info);
    if (ending == QStringLiteral(".PXL")) {
        openPXLFile(FileEntry->caption(), false);
        return;
    }
    if (const ErrorCode code = openBitmapFile(FileEntry->caption()); code != ErrorCode::None) {
        keepShownFileName(code, shownFile);
        return;
    }
    MenuSaveBMP->setEnabled(true);
    MenuSavePXL->setEnabled(true);
}

void LCDForm::nameDroppedFile(const QFileInfo& info) {
    m_state.FilePath = info.absolutePath();
    m_state.FileName = info.fileName();
    m_state.LastFileName = m_state.FileName;
    FileEntry->setCaption(info.absoluteFilePath());
}

// A 1-bit bitmap file, or another kind of picture with two colours or fewer.
bool LCDForm::convertsDirectly(const QString& path, const QImage& picture) {
    return IsBitmapFile(path) ? picture.depth() == 1 : TwoColourPicture(picture).has_value();
}

} // namespace vornix::app
