#pragma once

#include <functional>

#include <QImage>
#include <QPointer>

namespace vornix::dialogs {

class EditSession;
class Viewer;

// The main window's hold on the zoom window. It keeps the rule that at most one viewer
// exists, and the viewer's three states: not existing, existing but hidden, shown. A viewer
// that the user closes (close box or double-click on its picture) counts as gone at once,
// so the next zoom creates a fresh one at the design size.
class ViewerHandle final {
public:
    enum class State { NotExisting, Hidden, Shown };

    ViewerHandle() = default;
    ~ViewerHandle();
    ViewerHandle(const ViewerHandle&) = delete;
    ViewerHandle& operator=(const ViewerHandle&) = delete;

    // The viewer, created hidden when there is none.
    Viewer* ensure();

    // Zoom: hand the viewer the picture (creating it if needed), show it and bring it to
    // the front. A null picture shows an empty area.
    void showWithPicture(const QImage& picture);

    // The main picture changed: hand it to the viewer, creating the viewer hidden if there
    // is none. A shown viewer shows the new picture at once; a hidden one stays hidden.
    void setPicture(const QImage& picture);

    // Closes and destroys the viewer, if there is one.
    void unload();

    // The picture every viewer edits, and what the main window does with a viewer it makes
    // (connecting its commands); both apply to the viewer there is and to every later one.
    void setSession(EditSession* session);
    void setCreationHook(std::function<void(Viewer*)> hook);

    bool exists() const { return viewer() != nullptr; }
    State state() const;
    Viewer* viewer() const;

private:
    QPointer<Viewer> m_viewer;
    QPointer<EditSession> m_session;
    std::function<void(Viewer*)> m_creationHook;
};

} // namespace vornix::dialogs
