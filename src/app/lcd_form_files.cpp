// The File menu's open and save commands and the file dialog exchange.
#include "app/lcd_form.h"

#include <QAction>
#include <QFileInfo>

#include "app/caption_label.h"
#include "app/error_codes.h"
#include "app/picture_box.h"
#include "app/working_files.h"
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

// A name the file system cannot take as a plain file name here: the dialog hands back
// filter patterns unchanged.
bool isUnusableFileName(const QString& name) {
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?')) ||
           name.contains(QLatin1Char(';'));
}

} // namespace

void LCDForm::OpenImageFile(const QString& fileType) {
    FileEntry->setTag(fileType + QStringLiteral("O"));
    if (m_state.FilePath.isEmpty()) {
        m_state.FilePath = programDirectory();
    }
    m_state.FileName.clear();
    m_fileDialog(m_state, FileEntry->tag(), this);
    if (m_state.FileName == kCancel) {
        m_state.FileName.clear();
        return;
    }
    if (m_state.FileName.isEmpty()) {
        return;
    }
    FileEntry->setCaption(m_state.FilePath + QStringLiteral("/") + m_state.FileName);
    m_state.LastFileName = m_state.FileName;
}

void LCDForm::SaveImageFile(const QString& fileType) {
    FileEntry->setTag(fileType + QStringLiteral("S"));
    if (m_state.FilePath.isEmpty()) {
        m_state.FilePath = programDirectory();
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
    if (m_state.FileName.isEmpty()) {
        return;
    }
    const QString target = m_state.FilePath + QStringLiteral("/") + m_state.FileName;
    FileEntry->setCaption(target);
    const QString& source =
        fileType == QStringLiteral("BMP") ? m_state.TempBMPFile : m_state.TempPXLFile;
    QByteArray bytes;
    int code = isUnusableFileName(m_state.FileName) ? kFileAccessError : 0;
    if (code == 0) {
        code = ReadFileBytes(source, bytes,
                             fileType == QStringLiteral("BMP") ? image::kMaxBitmapFileBytes
                                                               : image::kMaxWrittenPxlBytes);
    }
    if (code == 0) {
        code = WriteFileAtomically(target, bytes);
    }
    if (code != 0) {
        m_prompts.message(QStringLiteral("File Save Error. No image file to save"),
                          QStringLiteral("File Error"), MessageIcon::Exclamation,
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
    OpenImageFile(QStringLiteral("BMP"));
    if (!m_state.FileName.isEmpty() && !openBitmapFile(FileEntry->caption())) {
        return;
    }
    MenuSaveBMP->setEnabled(true);
    MenuSavePXL->setEnabled(true);
}

// Shows a picture file, writes it as the working bitmap and converts that into LCD data.
bool LCDForm::openBitmapFile(const QString& path) {
    if (loadPictureIntoWorkingBitmap(path) != 0) {
        m_prompts.message(QStringLiteral("Bad file name or file type"),
                          QStringLiteral("File Error"), MessageIcon::Exclamation,
                          MessageButtons::Ok);
        return false;
    }
    DecodeBMP();
    return true;
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
    bool hasMarker = false;
    const int code = CopyPxlFile(path, m_state.TempPXLFile, hasMarker);
    if (code != 0) {
        if (fromCommandLine) {
            m_prompts.message(QStringLiteral("Bad file name or file type ") +
                                  QString::fromStdString(image::NumberField(code)),
                              QStringLiteral("File Error"), MessageIcon::Exclamation,
                              MessageButtons::Ok);
        }
        return;
    }
    MenuFileLoad->setEnabled(true);
    MenuSavePXL->setEnabled(true);
    if (!hasMarker) {
        return;
    }
    if (!EncodeBMP() || !showWorkingBitmap()) {
        return;
    }
    SetImageTag();
    MenuSaveBMP->setEnabled(true);
    if (fromCommandLine) {
        FileEntry->setCaption(m_state.FileName);
        Log->setCaption(Log->caption() + QStringLiteral("(PXL)") + m_state.CrLf);
    }
}

// Loads a picture file into the picture box and writes it as the working bitmap.
int LCDForm::loadPictureIntoWorkingBitmap(const QString& path) {
    QImage picture;
    int code = LoadPicture(path, picture);
    if (code == 0) {
        setPicture(picture);
        code = WriteWorkingBitmap(path, picture, m_state.TempBMPFile);
    }
    return code;
}

void LCDForm::OpenDroppedFile(const QString& path) {
    const QFileInfo info(path);
    const QString ending = info.fileName().right(4).toUpper();
    m_state.FilePath = info.absolutePath();
    m_state.FileName = info.fileName();
    m_state.LastFileName = m_state.FileName;
    FileEntry->setCaption(info.absoluteFilePath());
    if (ending == QStringLiteral(".PXL")) {
        openPXLFile(FileEntry->caption(), false);
        return;
    }
    if (openBitmapFile(FileEntry->caption())) {
        MenuSaveBMP->setEnabled(true);
        MenuSavePXL->setEnabled(true);
    }
}

} // namespace vornix::app
