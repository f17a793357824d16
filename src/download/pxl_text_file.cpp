#include "download/pxl_text_file.h"

#include <QFile>
#include <QFileInfo>

namespace vornix::download {

namespace {

constexpr qint64 kChunkBytes = 64 * 1024;

} // namespace

PxlFileText ReadPxlFile(const QString& path) {
    PxlFileText result;
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        result.error = PxlFileError::CannotOpen;
        return result;
    }
    if (!file.isSequential() && file.size() > kMaxPxlFileBytes) {
        result.error = PxlFileError::TooLarge;
        return result;
    }
    // Chunks rather than readAll(): a pipe or a device reports no size and may never end.
    while (true) {
        const QByteArray chunk = file.read(kChunkBytes);
        if (chunk.isEmpty()) {
            break;
        }
        if (result.text.size() + chunk.size() > kMaxPxlFileBytes) {
            result.text.clear();
            result.error = PxlFileError::TooLarge;
            return result;
        }
        result.text += chunk;
    }
    if (file.error() != QFileDevice::NoError) {
        result.text.clear();
        result.error = PxlFileError::CannotOpen;
    }
    return result;
}

} // namespace vornix::download
