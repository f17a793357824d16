#pragma once

#include <cstddef>

#include <QByteArray>
#include <QImage>
#include <QString>

#include "image/bounded_read.h"

namespace vornix::app {

// File operations of the open, save and shutdown commands. Each returns 0 on success or one
// of the failure codes of error_codes.h.

// Reads a whole file through the product's one bounded reader: a file larger than `maxSize`,
// a folder, a FIFO or a device is refused (kFileAccessError) without waiting for it.
int ReadFileBytes(const QString& path, QByteArray& bytes,
                  std::size_t maxSize = image::kMaxBitmapFileBytes);

// The code for an errno value of the bounded reader, as the open commands show it: a missing
// file is kFileNotFound in an existing folder, kPathNotFound otherwise.
int ReadErrorCode(const QString& path, int error);

// Copies a PXL file into `target` block by block, every line end written as CR LF, and tells
// whether its first field is the "@" marker. The text is never held whole; a field longer than
// image::kMaxPxlFieldLength makes the file unreadable (kFileAccessError, `target` untouched).
int CopyPxlFile(const QString& source, const QString& target, bool& hasMarker);

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

} // namespace vornix::app
