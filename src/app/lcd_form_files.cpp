// The File menu's open and save commands and the file dialog exchange.
#include "app/lcd_form.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>

#include "app/caption_label.h"
#include "app/message_text.h"
#include "app/picture_box.h"
#include "app/readable_path.h"
#include "app/two_colour_picture.h"
#include "app/working_files.h"
#include "image/error_codes.h"
#include "image/messages.h"
#include "image/number_field.h"
#include "image/pxl_fields.h"
#include "image/pxl_format.h"

namespace vornix::app {

namespace {

const QString kCancel = QStringLiteral("~CANCEL");

// Replaces the last three characters when the name ends in one of the extensions.
QString adjustExtension(const QString& name, const QStringList& extensions, const QString& type) {
    const QString ending = name.right(4).toUpper();
    for (const QString& extension : extensions) {
        if (ending == extension) {
            return name.left(name.size() - 3) + type;
        }
    }
    return name;
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
    FileEntry->setTag(fileType + QStringLiteral("O"));
    if (m_state.FilePath.isEmpty()) {
        m_state.FilePath = executableDirectory();
    }
    m_state.FileName.clear();
    m_fileDialog(m_state, FileEntry->tag(), this);
    if (m_state.FileName == kCancel) {
        m_state.FileName.clear();
        return;
    }
    takeTypedPath(m_state);
    if (m_state.FileName.isEmpty()) {
        return;
    }
    FileEntry->setCaption(JoinFilePath(m_state.FilePath, m_state.FileName));
    m_state.LastFileName = m_state.FileName;
}

void LCDForm::SaveImageFile(const QString& fileType) {
    FileEntry->setTag(fileType + QStringLiteral("S"));
    if (m_state.FilePath.isEmpty()) {
        m_state.FilePath = executableDirectory();
    }
    m_state.FileName = m_state.LastFileName;
    if (fileType == QStringLiteral("BMP")) {
        m_state.FileName = adjustExtension(m_state.FileName, {QStringLiteral(".PXL")}, fileType);
    } else if (fileType == QStringLiteral("PXL")) {
        m_state.FileName = adjustExtension(
            m_state.FileName,
            {QStringLiteral(".BMP"), QStringLiteral(".JPG"), QStringLiteral(".GIF")}, fileType);
    }
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
    if (code != ErrorCode::None) {
        m_prompts.message(Text(image::messages::kNothingToSave),
                          Text(image::messages::kFileErrorTitle), MessageIcon::Exclamation,
                          MessageButtons::Ok);
    }
}

void LCDForm::MenuSaveBMP_Click() {
    SaveImageFile(QStringLiteral("BMP"));
}

void LCDForm::MenuSavePXL_Click() {
    SaveImageFile(QStringLiteral("PXL"));
}

void LCDForm::MenuOpenBMP_Click() {
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
    ErrorCode code = m_loadPicture(path, picture);
    if (code == ErrorCode::None) {
        code = writeWorkingBitmap(path, picture);
    }
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
    m_state.FilePath = info.absolutePath();
    m_state.FileName = info.fileName();
    m_state.LastFileName = m_state.FileName;
    const QString shownFile = FileEntry->caption();
    FileEntry->setCaption(info.absoluteFilePath());
    if (ending == QStringLiteral(".PXL")) {
        openPXLFile(FileEntry->caption(), false);
        return;
    }
    // A picture that would be refused for its colours goes to Import Picture instead.
    QImage picture;
    const ReadablePath readable(FileEntry->caption());
    if (LoadPicture(readable.path(), picture) == ErrorCode::None &&
        !convertsDirectly(readable.path(), picture)) {
        importPicture(picture);
        return;
    }
    if (const ErrorCode code = openBitmapFile(FileEntry->caption()); code != ErrorCode::None) {
        keepShownFileName(code, shownFile);
        return;
    }
    MenuSaveBMP->setEnabled(true);
    MenuSavePXL->setEnabled(true);
}

// A 1-bit bitmap file, or another kind of picture with two colours or fewer.
bool LCDForm::convertsDirectly(const QString& path, const QImage& picture) {
    return IsBitmapFile(path) ? picture.depth() == 1 : TwoColourPicture(picture).has_value();
}

} // namespace vornix::app
