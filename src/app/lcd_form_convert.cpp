// The conversions between the working bitmap and the working PXL file.
#include "app/lcd_form.h"

#include <span>

#include <QAction>
#include <QFile>

#include "app/caption_label.h"
#include "app/message_text.h"
#include "app/picture_box.h"
#include "app/save_file_sink.h"
#include "app/working_files.h"
#include "image/picture/decode_bmp.h"
#include "image/picture/encode_bmp.h"
#include "image/picture/image_info.h"
#include "image/text/error_codes.h"
#include "image/text/messages.h"

namespace vornix::app {

namespace {

std::span<const std::uint8_t> asBytes(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

// "bitmap too wide" -> "Bitmap too wide."
QString asSentence(std::string_view text) {
    QString sentence = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    if (!sentence.isEmpty()) {
        sentence[0] = sentence[0].toUpper();
        sentence += QLatin1Char('.');
    }
    return sentence;
}

} // namespace

void LCDForm::DecodeBMP() {
    const FileRead bitmap = ReadFileBytes(m_state.TempBMPFile);
    if (!bitmap.ok()) {
        showConversionFailure(QStringLiteral("The working bitmap could not be read."));
        return;
    }
    SaveFileSink pxl(m_state.TempPXLFile);
    const image::DecodeResult result = image::ConvertBitmapToPxl(asBytes(bitmap.bytes), pxl);
    m_state.BMPHeader = result.header;
    m_state.ColorTable = result.colorTable;
    if (result.bytesPerRow) {
        m_state.BytesPerRow = *result.bytesPerRow;
    }
    SetImageTag();

    if (result.refused()) {
        MenuFileLoad->setEnabled(false);
        m_prompts.message(QString::fromStdString(image::DecodeRefusalMessage(result)),
                          Text(image::messages::kProgramTitle), MessageIcon::Exclamation,
                          MessageButtons::Ok);
        if (result.outcome == image::DecodeOutcome::NotBitmap) {
            DeleteFile(m_state.TempBMPFile);
        }
        return;
    }
    if (!result.converted()) {
        showConversionFailure(asSentence(image::describe(result.outcome)));
        return;
    }
    if (!pxl.commit()) {
        showConversionFailure(QStringLiteral("The working PXL file could not be written."));
        return;
    }
    MenuFileLoad->setEnabled(true);
}

// A conversion that cannot finish leaves no download armed with the previous picture's data.
void LCDForm::showConversionFailure(const QString& reason) {
    MenuFileLoad->setEnabled(false);
    m_prompts.message(Text(image::messages::kNotConverted) + m_state.CrLf + reason,
                      Text(image::messages::kProgramTitle), MessageIcon::Exclamation,
                      MessageButtons::Ok);
}

void LCDForm::SetImageTag() {
    const std::string text = image::ImageInfoText(m_state.BMPHeader);
    BMPImage->setTag(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

// Rebuilds the working bitmap from the PXL file at path (the one named in FileEntry). False
// when the file could not be converted: "Save as BMP" is then disabled and the working bitmap
// keeps its previous complete content.
bool LCDForm::EncodeBMP(const QString& path) {
    image::EncodeResult result;
    bool written = false;
    image::PxlFile pxl(QFile::encodeName(path).toStdString());
    if (pxl.openError() == 0) {
        SaveFileSink bitmap(m_state.TempBMPFile);
        result = image::ConvertPxlToBitmap(pxl, bitmap);
        written = result.converted() && pxl.readError() == 0 && bitmap.commit();
    }
    if (result.pxlHeader) {
        m_state.PxlWidth = result.pxlHeader->width;
        m_state.PxlHeight = result.pxlHeader->height;
        m_state.PxlPixelsPerByte = result.pxlHeader->pixelsPerValue;
    }
    if (result.bytesPerRow) {
        m_state.BytesPerRow = *result.bytesPerRow;
    }
    if (result.headerComputed) {
        m_state.BMPHeader = result.header;
        m_state.ColorTable = result.colorTable;
    }
    if (!written) {
        MenuSaveBMP->setEnabled(false);
    }
    return written;
}

// Shows the working bitmap; None, or the failure code of loading it (nothing is shown then).
ErrorCode LCDForm::showWorkingBitmap() {
    QImage picture;
    if (const ErrorCode code = m_loadPicture(m_state.TempBMPFile, picture);
        code != ErrorCode::None) {
        return code;
    }
    setPicture(picture);
    return ErrorCode::None;
}

// The window is left without a picture, so that what it shows, the working files and the
// enabled commands all describe the same thing: used when a converted picture cannot be
// shown, which would otherwise leave the previous picture on screen over new working files.
void LCDForm::clearPicture() {
    setPicture(QImage());
    BMPImage->setTag(QString());
    DeleteFile(m_state.TempBMPFile);
    DeleteFile(m_state.TempPXLFile);
    MenuFileLoad->setEnabled(false);
    MenuSaveBMP->setEnabled(false);
    MenuSavePXL->setEnabled(false);
}

// Tells the user that the picture in `path` is too large for the memory there is, when that
// is why it could not be loaded. False, with nothing shown, for every other failure.
bool LCDForm::reportNotEnoughMemory(ErrorCode code, const QString& path) {
    if (code != ErrorCode::OutOfMemory) {
        return false;
    }
    m_prompts.message(
        QStringLiteral("Not enough memory to show the picture.") + m_state.CrLf + path,
        Text(image::messages::kProgramTitle), MessageIcon::Exclamation, MessageButtons::Ok);
    return true;
}

} // namespace vornix::app
