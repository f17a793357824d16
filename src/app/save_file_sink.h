#pragma once

#include <QSaveFile>

#include "image/byte_sink.h"

namespace vornix::app {

// Streams a converter's output into a file that is replaced only when the output is complete:
// the new content goes to a temporary file beside the target and is renamed over it on commit.
class SaveFileSink final : public image::ByteSink {
public:
    explicit SaveFileSink(const QString& path) : m_file(path) {
        m_open = m_file.open(QIODevice::WriteOnly);
    }

    bool isOpen() const { return m_open; }

    bool write(std::string_view bytes) override {
        return m_open && m_file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
                             static_cast<qint64>(bytes.size());
    }

    // Replaces the target; false (target untouched) when anything went wrong.
    bool commit() { return m_open && m_file.commit(); }

private:
    QSaveFile m_file;
    bool m_open = false;
};

} // namespace vornix::app
