#pragma once

#include <string_view>

#include <QByteArray>
#include <QString>

namespace vornix::cli {

// A picture file as the PXL text a download sends: a PXL file as it is, a bitmap (name ending
// in ".bmp", any case) converted to PXL first.
struct PictureText {
    QByteArray text;
    // Why there is no text, lines joined by "\n", without the file's name; empty on success.
    // A refused bitmap gives the conversion's own refusal message.
    QString error;

    std::string_view view() const {
        return {text.constData(), static_cast<std::size_t>(text.size())};
    }
};

PictureText ReadPictureAsPxl(const QString& path);

// A picture already read (standard input): a bitmap, converted, when it starts with "BM";
// otherwise PXL text as it is.
PictureText PictureFromBytes(QByteArray bytes);

} // namespace vornix::cli
