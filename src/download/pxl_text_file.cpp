#include "download/pxl_text_file.h"

#include <QFile>

namespace vornix::download {

std::string_view describe(PxlFileError error) {
    switch (error) {
    case PxlFileError::None:
        return "no error";
    case PxlFileError::CannotOpen:
        return "the file cannot be read";
    case PxlFileError::TooLarge:
        return "too large";
    }
    return "unknown error";
}

PxlFileText ReadPxlFile(const QString& path) {
    const image::FileBytes file =
        image::ReadBoundedFile(QFile::encodeName(path).toStdString(), image::kMaxDownloadTextBytes);
    if (!file.ok()) {
        return {QByteArray(), file.error == image::kFileTooLarge ? PxlFileError::TooLarge
                                                                 : PxlFileError::CannotOpen};
    }
    return {QByteArray(reinterpret_cast<const char*>(file.bytes.data()),
                       static_cast<qsizetype>(file.bytes.size())),
            PxlFileError::None};
}

} // namespace vornix::download
