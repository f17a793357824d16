#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace vornix::app {

// File operations of the open, save and shutdown commands. Each returns 0 on success or one
// of the failure codes of error_codes.h.

// Reads a whole file.
int ReadFileBytes(const QString& path, QByteArray& bytes);

// Replaces a file atomically: the target holds either its old or its new complete content.
int WriteFileAtomically(const QString& path, const QByteArray& bytes);

// Loads a picture file (BMP, JPG, GIF, ...) as the toolkit reads it.
int LoadPicture(const QString& path, QImage& picture);

// Writes the working bitmap for a picture just loaded from `sourcePath`: a byte-for-byte copy
// when the source is a BMP file (the conversion reads its colour indices as stored), otherwise
// the picture saved in BMP form.
int WriteWorkingBitmap(const QString& sourcePath, const QImage& picture, const QString& target);

// Deletes a file; kFileNotFound when there was none.
int DeleteFile(const QString& path);

// True when the working files belong beside the program: its folder may be written and holds
// the guide, as a build tree or a personal copy does. An installed copy keeps them in the
// user's data folder, also when the user may write to the installed folder (root in /usr/bin).
bool WorkingFilesBesideProgram(const QString& programDir);

} // namespace vornix::app
