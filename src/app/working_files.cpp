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
#include "app/save_file_sink.h"
#include "image/pxl_format.h"

namespace vornix::app {

int ReadErrorCode(const QString& path, int error) {
    switch (error) {
    case ENOENT:
        return QFileInfo(path).dir().exists() ? kFileNotFound : kPathNotFound;
    case ENOTDIR:
        return kPathNotFound;
    case EACCES:
    case EPERM:
        return kPermissionDenied;
    default:
        return kFileAccessError;
    }
}

int ReadFileBytes(const QString& path, QByteArray& bytes, std::size_t maxSize) {
    const image::FileBytes file =
        image::ReadBoundedFile(QFile::encodeName(path).toStdString(), maxSize);
    if (!file.ok()) {
        return ReadErrorCode(path, file.error);
    }
    bytes = QByteArray(reinterpret_cast<const char*>(file.bytes.data()),
                       static_cast<qsizetype>(file.bytes.size()));
    return 0;
}

namespace {

// Hands the text of a PXL file to a field reader and, on the way, its copy with CR LF line
// ends to a sink, so that one pass both copies the file and checks every field of it.
class CopyingSource final : public image::PxlTextSource {
public:
    CopyingSource(image::PxlFile& file, image::ByteSink& copy) : m_file(file), m_copy(copy) {}
    std::size_t read(char* into, std::size_t room) override {
        const std::size_t got = m_file.read(into, room);
        if (got > 0 && !m_normaliser.feed(std::string_view(into, got), m_copy)) {
            m_failed = true;
            return 0;
        }
        return got;
    }
    bool finish() { return !m_failed && m_normaliser.finish(m_copy); }

private:
    image::PxlFile& m_file;
    image::ByteSink& m_copy;
    image::LineEndNormaliser m_normaliser;
    bool m_failed = false;
};

} // namespace

int CopyPxlFile(const QString& source, const QString& target, bool& hasMarker) {
    image::PxlFile file(QFile::encodeName(source).toStdString());
    if (file.openError() != 0) {
        return ReadErrorCode(source, file.openError());
    }
    hasMarker = file.hasMarker();
    SaveFileSink sink(target);
    CopyingSource copying(file, sink);
    image::PxlFieldStream fields(copying);
    while (fields.next()) {
    }
    if (fields.malformed() || file.readError() != 0 || !copying.finish()) {
        return kFileAccessError;
    }
    return sink.commit() ? 0 : kFileAccessError;
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
