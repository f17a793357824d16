#pragma once

#include <QByteArray>
#include <QString>

namespace vornix::download {

// The largest PXL file a download reads: far more than any picture the controller can show
// (a 240 x 128 picture is about 19 KB; 64 MiB would take a day on the line), and a bound on
// what a broken or hostile file can make the program hold in memory.
inline constexpr qint64 kMaxPxlFileBytes = 64 * 1024 * 1024;

enum class PxlFileError { None, CannotOpen, TooLarge };

struct PxlFileText {
    QByteArray text;
    PxlFileError error = PxlFileError::None;
};

// The whole text of a PXL file, read in one go so that later changes to the file cannot reach
// a download in progress. Reads pipes and devices too, up to the same bound.
PxlFileText ReadPxlFile(const QString& path);

} // namespace vornix::download
