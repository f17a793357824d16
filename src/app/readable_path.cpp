#include "app/readable_path.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "dialogs/file_form_names.h"

namespace vornix::app {

ReadablePath::ReadablePath(const QString& path) : m_path(path) {
    const QByteArray native = dialogs::file_form::nativePath(path);
    if (native == QFile::encodeName(path)) {
        return;
    }
    // Non-blocking, so that a FIFO under that name cannot hold the program up.
    m_descriptor = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_descriptor < 0) {
        return;
    }
    const QString byProc = QStringLiteral("/proc/self/fd/%1").arg(m_descriptor);
    m_path = QFileInfo::exists(byProc) ? byProc : QStringLiteral("/dev/fd/%1").arg(m_descriptor);
}

ReadablePath::~ReadablePath() {
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
    }
}

} // namespace vornix::app
