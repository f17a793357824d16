#include "app/working_files.h"

#include <cerrno>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>

#include "app/error_codes.h"

namespace vornix::app {

bool WorkingFilesBesideProgram(const QString& programDir) {
    return QFileInfo(programDir).isWritable() &&
           QFileInfo(programDir + QStringLiteral("/Vornix.txt")).isFile();
}

int ReadFileBytes(const QString& path, QByteArray& bytes) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return info.dir().exists() ? kFileNotFound : kPathNotFound;
    }
    if (info.isDir()) {
        return kFileAccessError;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return file.error() == QFileDevice::PermissionsError ? kPermissionDenied : kFileAccessError;
    }
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return kFileAccessError;
    }
    return 0;
}

int WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.error() == QFileDevice::PermissionsError ? kPermissionDenied : kFileAccessError;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        return kFileAccessError;
    }
    return 0;
}

int LoadPicture(const QString& path, QImage& picture) {
    QByteArray bytes;
    if (const int code = ReadFileBytes(path, bytes); code != 0) {
        return code;
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    QImage loaded = reader.read();
    if (loaded.isNull()) {
        return kInvalidPicture;
    }
    picture = std::move(loaded);
    return 0;
}

int WriteWorkingBitmap(const QString& sourcePath, const QImage& picture, const QString& target) {
    QByteArray bytes;
    if (const int code = ReadFileBytes(sourcePath, bytes); code != 0) {
        return code;
    }
    QBuffer source(&bytes);
    source.open(QIODevice::ReadOnly);
    QImageReader reader(&source);
    reader.setDecideFormatFromContent(true);
    if (reader.format() == "bmp") {
        return WriteFileAtomically(target, bytes);
    }
    QByteArray encoded;
    QBuffer out(&encoded);
    out.open(QIODevice::WriteOnly);
    if (!picture.save(&out, "BMP")) {
        return kFileAccessError;
    }
    return WriteFileAtomically(target, encoded);
}

int DeleteFile(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    if (::unlink(native.constData()) != 0) {
        return ErrorCodeFromErrno(errno);
    }
    return 0;
}

} // namespace vornix::app
