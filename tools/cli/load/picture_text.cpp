#include "picture_text.h"

#include <cstdint>
#include <span>

#include <QFileInfo>

#include "../file_errors.h"
#include "download/pxl_text_file.h"
#include "image/picture/decode_bmp.h"
#include "image/text/messages.h"

namespace vornix::cli {

namespace {

QString readError(download::PxlFileError error, const QString& path) {
    if (error == download::PxlFileError::TooLarge) {
        return QString::fromStdString(
            TooLargeReason(static_cast<std::uint64_t>(QFileInfo(path).size()),
                           static_cast<std::uint64_t>(download::kMaxPxlFileBytes)));
    }
    return QString::fromLatin1(download::describe(error));
}

PictureText convertBitmap(const QByteArray& bytes) {
    PictureText result;
    const std::span<const std::uint8_t> file(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()),
        static_cast<std::size_t>(bytes.size()));
    const image::DecodedPxl decoded = image::ConvertBitmapToPxl(file);
    if (decoded.result.converted()) {
        result.text = QByteArray::fromStdString(decoded.text);
    } else if (decoded.result.refused()) {
        result.error = QString::fromStdString(image::DecodeRefusalMessage(decoded.result, "\n"));
    } else {
        // The same words as when the window's conversion fails, then the cause.
        const std::string_view why = image::describe(decoded.result.outcome);
        const std::string text =
            std::string(image::messages::kNotConverted) + "\n" + std::string(why);
        result.error = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    return result;
}

} // namespace

PictureText ReadPictureAsPxl(const QString& path) {
    download::PxlFileText file = download::ReadPxlFile(path);
    if (file.error != download::PxlFileError::None) {
        return {QByteArray(), readError(file.error, path)};
    }
    if (path.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive)) {
        return convertBitmap(file.text);
    }
    return {std::move(file.text), QString()};
}

PictureText PictureFromBytes(QByteArray bytes) {
    if (bytes.startsWith("BM")) {
        return convertBitmap(bytes);
    }
    return {std::move(bytes), QString()};
}

} // namespace vornix::cli
