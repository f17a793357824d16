#pragma once

#include <string_view>

#include <QByteArray>
#include <QString>

#include "image/files/bounded_read.h"

namespace vornix::download {

// The largest PXL file a download reads: far more than any picture the controller can show,
// and a bound on what a broken or hostile file can make the program hold in memory.
inline constexpr qint64 kMaxPxlFileBytes = static_cast<qint64>(image::kMaxDownloadTextBytes);

enum class PxlFileError { None, CannotOpen, TooLarge };

// What kept a PXL file from being read, in the command line's words; a file too large is
// followed by its size and the limit.
std::string_view describe(PxlFileError error);

struct PxlFileText {
    QByteArray text;
    PxlFileError error = PxlFileError::None;
};

// The whole text of a PXL file, read in one go so that later changes to the file cannot reach
// a download in progress. Only a regular file is read: a FIFO, a device or a folder cannot be
// opened (CannotOpen, at once, without waiting for a writer).
PxlFileText ReadPxlFile(const QString& path);

} // namespace vornix::download
