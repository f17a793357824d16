#include "dialogs/viewer_handle.h"

#include "dialogs/viewer.h"

#include "dialogs/edit_session.h"

namespace vornix::dialogs {

ViewerHandle::~ViewerHandle() {
    unload();
}

Viewer* ViewerHandle::ensure() {
    if (m_viewer.isNull()) {
        // A top-level window of its own, not owned by the main window: the user can put
        // either window in front of the other.
        auto* viewer = new Viewer();
        QObject::connect(viewer, &Viewer::unloaded, viewer, [this, viewer] {
            if (m_viewer == viewer) {
                m_viewer.clear();
            }
        });
        m_viewer = viewer;
        viewer->setSession(m_session);
        if (m_creationHook) {
            m_creationHook(viewer);
        }
    }
    return m_viewer;
}

void ViewerHandle::showWithPicture(const QImage& picture) {
    Viewer* viewer = ensure();
    viewer->setPicture(picture);
    viewer->setWindowState(viewer->windowState() & ~Qt::WindowMinimized);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

void ViewerHandle::setPicture(const QImage& picture) {
    ensure()->setPicture(picture);
}

void ViewerHandle::setSession(EditSession* session) {
    m_session = session;
    if (m_viewer) {
        m_viewer->setSession(session);
    }
}

void ViewerHandle::setCreationHook(std::function<void(Viewer*)> hook) {
    m_creationHook = std::move(hook);
    if (m_viewer && m_creationHook) {
        m_creationHook(m_viewer);
    }
}

void ViewerHandle::unload() {
    QPointer<Viewer> viewer = m_viewer;
    m_viewer.clear();
    if (viewer.isNull()) {
        return;
    }
    viewer->close();
    // close() only schedules the deletion; the main window may be on its way out and the
    // event loop may never run again, so destroy the window now.
    delete viewer.data();
}

ViewerHandle::State ViewerHandle::state() const {
    if (m_viewer.isNull()) {
        return State::NotExisting;
    }
    return m_viewer->isVisible() ? State::Shown : State::Hidden;
}

Viewer* ViewerHandle::viewer() const {
    return m_viewer.data();
}

} // namespace vornix::dialogs
