#include "app/working_files.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "app/save_file_sink.h"
#include "image/files/atomic_file.h"
#include "image/text/error_codes.h"
#include "image/files/output_file.h"
#include "image/picture/pxl_format.h"

namespace vornix::app {

using enum image::ErrorCode;
using image::ErrorCodeFromErrno;

namespace {

std::uint32_t le32(const QByteArray& bytes, qsizetype at) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + at;
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

std::uint16_t le16(const QByteArray& bytes, qsizetype at) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + at;
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// Where the parts of a one-bit, uncompressed bitmap lie in its file.
struct MonoBitmapLayout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    qsizetype paletteOffset = 0;
    qsizetype pixelOffset = 0;
    qsizetype stride = 0; // bytes per stored row, padded to four bytes
};

// The layout of a one-bit, uncompressed bitmap with a two-colour table whose pixel rows all
// lie inside `bytes`; nullopt for any other file. Such a picture is built here rather than by
// the toolkit's reader, which refuses pictures of more than 16384 x 16384 pixels and counts
// 32 bits a pixel against its allocation limit.
std::optional<MonoBitmapLayout> monoBitmapLayout(const QByteArray& bytes) {
    constexpr qsizetype kHeadersSize = 54;
    if (bytes.size() < kHeadersSize || !bytes.startsWith("BM")) {
        return std::nullopt;
    }
    const auto offBits = static_cast<std::int32_t>(le32(bytes, 10));
    const auto infoSize = static_cast<std::int32_t>(le32(bytes, 14));
    const auto width = static_cast<std::int32_t>(le32(bytes, 18));
    const auto height = static_cast<std::int32_t>(le32(bytes, 22));
    const std::uint32_t colorsUsed = le32(bytes, 46);
    if (infoSize < 40 || le16(bytes, 26) != 1 || le16(bytes, 28) != 1 || le32(bytes, 30) != 0 ||
        (colorsUsed != 0 && colorsUsed != 2) || width <= 0 || height == 0 || height == INT32_MIN) {
        return std::nullopt;
    }
    MonoBitmapLayout layout;
    layout.width = width;
    layout.height = height < 0 ? -height : height;
    layout.topDown = height < 0;
    layout.paletteOffset = 14 + qsizetype{infoSize};
    layout.pixelOffset = offBits;
    layout.stride = (qsizetype{width} + 31) / 32 * 4;
    if (layout.paletteOffset + 8 > bytes.size() || offBits < 0 || offBits > bytes.size() ||
        (bytes.size() - offBits) / layout.stride < layout.height) {
        return std::nullopt;
    }
    return layout;
}

// A one-bit image of the bitmap: its rows are copied as they are, since a Format_Mono image
// stores its rows exactly as such a bitmap does (most significant bit first, four-byte rows).
ErrorCode decodeMonoBitmap(const QByteArray& bytes, const MonoBitmapLayout& layout,
                           QImage& picture) {
    QImage image(layout.width, layout.height, QImage::Format_Mono);
    if (image.isNull() || image.bytesPerLine() != layout.stride) {
        return OutOfMemory;
    }
    image.setColorCount(2);
    for (int index = 0; index < 2; ++index) {
        const qsizetype at = layout.paletteOffset + 4 * index; // blue, green, red, unused
        image.setColor(index, qRgb(static_cast<unsigned char>(bytes[at + 2]),
                                   static_cast<unsigned char>(bytes[at + 1]),
                                   static_cast<unsigned char>(bytes[at])));
    }
    const char* pixels = bytes.constData() + layout.pixelOffset;
    for (int y = 0; y < layout.height; ++y) {
        const int stored = layout.topDown ? y : layout.height - 1 - y;
        std::memcpy(image.scanLine(y), pixels + stored * layout.stride,
                    static_cast<std::size_t>(layout.stride));
    }
    picture = std::move(image);
    return None;
}

// The toolkit's readers refuse an image above QImageReader's allocation limit, which they
// count at 32 bits a pixel whatever the image's format. A one-bit picture whose file holds
// all its pixel bits needs a 32nd of that, so the limit is raised to admit it for this read.
ErrorCode readWithToolkit(QByteArray& bytes, QImage& picture) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const int defaultLimit = QImageReader::allocationLimit();
    const QSize size = reader.size();
    const QImage::Format format = reader.imageFormat();
    if (defaultLimit > 0 && (format == QImage::Format_Mono || format == QImage::Format_MonoLSB) &&
        !size.isEmpty() && (qint64{size.width()} + 7) / 8 * size.height() <= bytes.size()) {
        constexpr qint64 kMiB = qint64{1} << 20;
        const qint64 counted = (qint64{size.width()} * size.height() * 4 + kMiB - 1) / kMiB;
        if (counted > defaultLimit && counted <= INT_MAX) {
            QImageReader::setAllocationLimit(static_cast<int>(counted));
        }
    }
    QImage loaded = reader.read();
    QImageReader::setAllocationLimit(defaultLimit);
    if (loaded.isNull()) {
        return InvalidPicture;
    }
    picture = std::move(loaded);
    return None;
}

} // namespace

bool WorkingFilesBesideProgram(const QString& programDir) {
    return QFileInfo(programDir).isWritable() &&
           QFileInfo(programDir + QStringLiteral("/Vornix.txt")).isFile();
}

ErrorCode ReadErrorCode(const QString& path, int error) {
    switch (error) {
    case ENOENT:
        return QFileInfo(path).dir().exists() ? FileNotFound : PathNotFound;
    case ENOTDIR:
        return PathNotFound;
    case EACCES:
    case EPERM:
        return PermissionDenied;
    default:
        return FileAccessError;
    }
}

FileRead ReadFileBytes(const QString& path, std::size_t maxSize) {
    const image::FileBytes file =
        image::ReadBoundedFile(QFile::encodeName(path).toStdString(), maxSize);
    if (!file.ok()) {
        return {QByteArray(), ReadErrorCode(path, file.error)};
    }
    return {QByteArray(reinterpret_cast<const char*>(file.bytes.data()),
                       static_cast<qsizetype>(file.bytes.size())),
            None};
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

PxlCopy CopyPxlFile(const QString& source, const QString& target) {
    image::PxlFile file(QFile::encodeName(source).toStdString());
    if (file.openError() != 0) {
        return {ReadErrorCode(source, file.openError()), false};
    }
    const bool hasMarker = file.hasMarker();
    SaveFileSink sink(target);
    CopyingSource copying(file, sink);
    image::PxlFieldStream fields(copying);
    while (fields.next()) {
    }
    if (fields.malformed() || file.readError() != 0 || !copying.finish()) {
        return {FileAccessError, hasMarker};
    }
    return {sink.commit() ? None : FileAccessError, hasMarker};
}

ErrorCode WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    const int error = image::WriteFileAtomically(QFile::encodeName(path).toStdString(),
                                                 std::string_view(bytes.constData(), bytes.size()));
    return error == 0 ? None : ErrorCodeFromErrno(error);
}

ErrorCode WriteChosenFile(const QString& path, const QByteArray& bytes) {
    image::OutputFile file(QFile::encodeName(path).toStdString());
    if (!file.open()) {
        const int error = file.error();
        return error == EACCES || error == EPERM || error == EROFS ? PermissionDenied
                                                                    : FileAccessError;
    }
    if (!file.write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))) ||
        !file.commit()) {
        return FileAccessError;
    }
    return None;
}

ErrorCode LoadPicture(const QString& path, QImage& picture) {
    FileRead file = ReadFileBytes(path);
    if (!file.ok()) {
        return file.code;
    }
    if (const auto layout = monoBitmapLayout(file.bytes)) {
        return decodeMonoBitmap(file.bytes, *layout, picture);
    }
    return readWithToolkit(file.bytes, picture);
}

ErrorCode WriteWorkingBitmap(const QString& sourcePath, const QImage& picture,
                             const QString& target) {
    FileRead file = ReadFileBytes(sourcePath);
    if (!file.ok()) {
        return file.code;
    }
    QByteArray& bytes = file.bytes;
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
        return FileAccessError;
    }
    return WriteFileAtomically(target, encoded);
}

ErrorCode DeleteFile(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    if (::unlink(native.constData()) != 0) {
        return ErrorCodeFromErrno(errno);
    }
    return None;
}

bool MakePrivateFolder(const QString& path) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        return false;
    }
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    return QFileInfo(path).isDir();
}

} // namespace vornix::app
