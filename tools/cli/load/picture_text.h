#pragma once

#include <string_view>

#include <QByteArray>
#include <QString>

namespace vornix::cli {

// A picture file as the PXL text a download sends: a PXL file as it is, a bitmap (name ending
// in ".bmp", any case) converted to PXL first.
struct PictureText {
    QByteArray text;
    // Why there is no text, ready to print, lines joined by "\n"; empty on success. A refused
    // bitmap gives the conversion's own refusal message.
    QString error;

    std::string_view view() const {
        return {text.constData(), static_cast<std::size_t>(text.size())};
    }
};

PictureText ReadPictureAsPxl(const QString& path);

} // namespace vornix::cli
