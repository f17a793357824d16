#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// File names as the file system stores them: bytes, not always valid UTF-8. The toolkit's own
// directory listing leaves out names that are not valid UTF-8; these functions list them with
// a replacement character in place of each invalid byte and find them again by that text.
namespace vornix::dialogs::file_form {

struct ListedFile {
    QString shown;     // the name as text, U+FFFD for each byte that is not valid UTF-8
    QByteArray native; // the name's bytes
};

// The regular files of directory (links to regular files included), hidden ones (a name that
// starts with ".") left out, sorted by their shown names without regard to case. Empty when
// the directory cannot be read.
QList<ListedFile> listFiles(const QString& directory);

// The bytes of the file path names: its own UTF-8 form, unless no such file exists and its
// last part holds a replacement character; then the one name in its directory that shows as
// that text, when there is exactly one.
QByteArray nativePath(const QString& path);

} // namespace vornix::dialogs::file_form
