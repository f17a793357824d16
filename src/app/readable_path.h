#pragma once

#include <QString>

namespace vornix::app {

// A path the program's file readers can open for a file whose name is not valid UTF-8 and is
// known only by the text the file dialog showed for it (see dialogs::file_form::nativePath).
// Such a file is opened by its bytes for as long as this object lives, and path() names it
// through the open descriptor. Any other file's path() is the path given.
class ReadablePath {
public:
    explicit ReadablePath(const QString& path);
    ~ReadablePath();
    ReadablePath(const ReadablePath&) = delete;
    ReadablePath& operator=(const ReadablePath&) = delete;

    const QString& path() const { return m_path; }

private:
    QString m_path;
    int m_descriptor = -1;
};

} // namespace vornix::app
