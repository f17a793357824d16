#pragma once

#include <QFile>
#include <QString>

#include "image/files/atomic_file.h"
#include "image/picture/byte_sink.h"

namespace vornix::app {

// Streams a converter's output into a working file that is replaced only when the output is
// complete: the new content goes to a file created exclusively beside the target and is
// renamed over it on commit. A link or any other non-file at the target is replaced, never
// followed.
class SaveFileSink final : public image::ByteSink {
public:
    explicit SaveFileSink(const QString& path) : m_file(QFile::encodeName(path).toStdString()) {
        m_open = m_file.open();
    }

    bool isOpen() const { return m_open; }

    bool write(std::string_view bytes) override { return m_open && m_file.write(bytes); }

    // Replaces the target; false (target untouched) when anything went wrong.
    bool commit() { return m_open && m_file.commit(); }

private:
    image::AtomicFileWriter m_file;
    bool m_open = false;
};

} // namespace vornix::app
