#pragma once

#include <cstddef>

#include <QByteArray>
#include <QImage>
#include <QString>

#include "image/files/bounded_read.h"
#include "image/text/error_codes.h"

namespace vornix::app {

// File operations of the open, save and shutdown commands. Each tells its failure by an
// image::ErrorCode, ErrorCode::None on success.

using image::ErrorCode;

// The bytes of a whole file, or the failure that kept them from being read.
struct FileRead {
    QByteArray bytes; // empty unless read
    ErrorCode code = ErrorCode::None;

    bool ok() const { return code == ErrorCode::None; }
};

// Reads a whole file through the product's one bounded reader: a file larger than `maxSize`,
// a folder, a FIFO or a device is refused (FileAccessError) without waiting for it.
FileRead ReadFileBytes(const QString& path, std::size_t maxSize = image::kMaxBitmapFileBytes);

// The code for an errno value of the bounded reader, as the open commands show it: a missing
// file is FileNotFound in an existing folder, PathNotFound otherwise.
ErrorCode ReadErrorCode(const QString& path, int error);

// What became of copying a PXL file.
struct PxlCopy {
    ErrorCode code = ErrorCode::None;
    bool hasMarker = false; // the copied file's first field is the "@" marker
};

// Copies a PXL file into `target` block by block, every line end written as CR LF, and tells
// whether its first field is the "@" marker. The text is never held whole; a field longer than
// image::kMaxPxlFieldLength makes the file unreadable (FileAccessError, `target` untouched).
PxlCopy CopyPxlFile(const QString& source, const QString& target);

// Replaces one of the program's own files (a working file, the paint program's copy)
// atomically: the new content goes to a file created exclusively beside it and is renamed
// over the path. Whatever stands at the path (a link, a FIFO, a device) is replaced, never
// followed or written into; the new file gets the user's usual permissions (0666 & ~umask).
ErrorCode WriteFileAtomically(const QString& path, const QByteArray& bytes);

// Writes a file the user named through image::OutputFile, as the command line writes its
// OUTPUT: a link there is followed (its target gets the new content and the link stays), an
// existing file keeps its permissions, owner, group and hard links, a device or a FIFO gets the
// bytes as a stream, and a file changes only when the whole content is there, so a failure
// leaves it as it was. PermissionDenied when the path may not be written, FileAccessError for
// any other failure.
ErrorCode WriteChosenFile(const QString& path, const QByteArray& bytes);

// Loads a picture file (BMP, JPG, GIF, ...) for showing. A one-bit picture stays one bit
// (QImage::Format_Mono), however large, as long as the file holds all its pixels; that
// takes width x height / 8 bytes. OutOfMemory when such a picture's image cannot be
// allocated, InvalidPicture when the file is no picture the program can read. `picture` is
// left as it was on a failure.
ErrorCode LoadPicture(const QString& path, QImage& picture);

// Writes the working bitmap for a picture just loaded from `sourcePath`: a byte-for-byte copy
// when the source is a BMP file (the conversion reads its colour indices as stored), otherwise
// the picture saved in BMP form.
ErrorCode WriteWorkingBitmap(const QString& sourcePath, const QImage& picture,
                             const QString& target);

// Deletes a file; FileNotFound when there was none.
ErrorCode DeleteFile(const QString& path);

// Creates a folder that only its user may enter (0700), with any missing parents. An existing
// folder is accepted as it is. False when there is no folder at the path afterwards.
bool MakePrivateFolder(const QString& path);

// True when the working files belong beside the program: its folder may be written and holds
// the guide, as a build tree or a personal copy does. An installed copy keeps them in the
// user's data folder, also when the user may write to the installed folder (root in /usr/bin).
bool WorkingFilesBesideProgram(const QString& programDir);

} // namespace vornix::app
