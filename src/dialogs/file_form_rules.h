#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// The fixed rules of the file selection window that need no widget: its filter entries,
// pattern matching, captions, layout units and where it goes on the screen.
namespace vornix::dialogs::file_form {

// The three entries of the file-type list, in list order, and the pattern each one sets.
inline constexpr int kFilterCount = 3;
QString filterEntryText(int index);
// Index 0 gives the picture pattern, 1 the PXL pattern, every other index (-1 included) "*.*".
QString filterPattern(int index);
// "BMP" selects entry 0, "PXL" entry 1, anything else entry 2. Compared exactly.
int filterIndexForType(const QString& type);

// The request code is the file type (its first three characters) followed by the mode (its
// last character). Codes shorter than four characters are read the same way.
QString requestType(const QString& requestCode);
QString requestMode(const QString& requestCode);
// The name up to its extension: "clock.PXL" -> "clock", "a.b.bmp" -> "a.b"; a name without
// a dot, or whose only dot is its first character (".profile"), is returned whole.
QString nameWithoutExtension(const QString& name);

// "S" -> "File Management - SAVE FILE", "O" -> "File Management - OPEN FILE",
// anything else -> "File Management".
QString captionForMode(const QString& mode);

// The names that match any of the ";"-separated wildcard patterns, without regard to case,
// in their given order. "*.*" matches every name, also one without a dot, as "All Files"
// promises.
QStringList filterFileNames(const QStringList& fileNames, const QString& pattern);

// Layout unit: 15 twips are one pixel; rounded to the nearest pixel.
int twipsToPixels(int twips);
QRect twipsRect(int left, int top, int width, int height);

// Top-left corner that puts the window's centre at 7/12 of the screen's width and half its
// height. Computed in single precision, in twips, as the window's own rule states it.
QPoint formPosition(const QRect& screen, const QSize& window);

// The volume (one of roots) that holds path: the longest root that is path itself or one of
// its parents. "" when none does. Paths are absolute and clean, "/" separated.
QString driveOf(const QStringList& roots, const QString& path);

// An absolute, clean form of path, resolved against the process's current directory.
QString absoluteDirectory(const QString& path);
// A directory that exists and whose entries may be listed.
bool isUsableDirectory(const QString& path);
// Where the window goes when the directory it should show cannot be read: the process's
// current directory, else the home directory, else the root.
QString fallbackDirectory();

} // namespace vornix::dialogs::file_form
