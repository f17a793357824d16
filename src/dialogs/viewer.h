#pragma once

#include <QImage>
#include <QWidget>

namespace vornix::dialogs {

class ViewerEnlarger;

// The zoom window: a modeless, resizable top-level window that shows the main window's
// picture stretched over its whole client area. The user enlarges the picture by making the
// window larger. Closing it (close box or a double-click on the picture) destroys it; the
// next zoom creates a fresh one at its design size. Use it through ViewerHandle, which keeps
// the "at most one viewer" rule.
class Viewer final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kDesignWidth = 480; // client area at creation, in pixels
    static constexpr int kDesignHeight = 256;

    explicit Viewer(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    const QImage& picture() const;

    // The image element that draws the picture.
    ViewerEnlarger* BMPEnlarger() const { return m_enlarger; }

    // Keeps the image element as large as the client area.
    void Form_Resize();
    // A double-click on the picture unloads the viewer.
    void BMPEnlarger_DblClick();

signals:
    // Emitted once when the window closes, just before it is scheduled for deletion.
    void unloaded();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    ViewerEnlarger* m_enlarger;
    bool m_unloaded = false;
};

} // namespace vornix::dialogs
