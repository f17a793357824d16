#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

#include "image/edit/picture_editor.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenuBar;
class QScrollArea;
class QToolBar;

namespace vornix::dialogs {

class EditSession;
class TextPanel;
class TextPlacement;
class ViewerEnlarger;

// The zoom window: a modeless, resizable top-level window that shows the main window's
// picture and is where the picture is edited. Its tool bar holds the drawing tools, its menus
// the edit commands, its status line the pointer's place in picture pixels and in the panel's
// bytes. The picture fits the window until the user zooms (Ctrl with the wheel, Ctrl+plus,
// Ctrl+minus); then every picture pixel is a block of whole screen pixels, with a grid from
// 4x up. Closing it (close box, or a double-click on a picture that cannot be edited)
// destroys it; the next zoom creates a fresh one at its design size. Use it through
// ViewerHandle, which keeps the "at most one viewer" rule.
class Viewer final : public QWidget {
    Q_OBJECT

public:
    // The picture area at creation, in pixels: a 240 x 128 picture at twice its size.
    static constexpr int kDesignWidth = 480;
    static constexpr int kDesignHeight = 256;
    // The zoom steps, in screen pixels a picture pixel.
    static constexpr int kZoomSteps[] = {1, 2, 3, 4, 6, 8, 12, 16, 24, 32};

    explicit Viewer(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    const QImage& picture() const;

    // The picture to edit; without one (or with one that holds nothing editable) the window
    // only shows the picture and its tools are disabled.
    void setSession(EditSession* session);

    // The image element that draws the picture.
    ViewerEnlarger* BMPEnlarger() const { return m_enlarger; }
    QScrollArea* pictureArea() const { return m_area; }
    QString statusText() const;
    // The text tool's panel (shown while the tool is chosen) and the text it places.
    TextPanel* textPanel() const { return m_textPanel; }
    TextPlacement* textPlacement() const { return m_text; }
    // The window's size at creation: the picture area at its design size and the bars.
    QSize designSize() const { return m_designSize; }

    // Zoom: 0 fits the window, otherwise screen pixels a picture pixel.
    void setZoom(int zoom);
    int zoom() const;
    void zoomIn();
    void zoomOut();
    // Zooms `steps` steps in (positive) or out about `at`, a point of the image element.
    void zoomAt(int steps, const QPointF& at);
    void selectTool(image::edit::Tool tool);

    // Keeps the image element as large as the picture area while the picture fits it.
    void Form_Resize();
    // A double-click on a picture that cannot be edited unloads the viewer.
    void BMPEnlarger_DblClick();

signals:
    // Emitted once when the window closes, just before it is scheduled for deletion.
    void unloaded();
    // Commands the main window carries out: they need its dialogs and its picture.
    void pasteRequested();
    void pasteAsNewRequested();
    void canvasSizeRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* command(QMenu* menu, const QString& caption, const QString& name,
                     const QList<QKeySequence>& keys = {});
    void buildMenus(QMenuBar* bar);
    void buildTools();
    void updateCommands();
    void showPointer(const QPoint& pixel, bool inside);
    void showZoom();
    void showTextMessage(const QString& text);

    ViewerEnlarger* m_enlarger;
    QScrollArea* m_area;
    QToolBar* m_tools = nullptr;
    QMenu* m_toolMenu = nullptr;
    QActionGroup* m_toolGroup = nullptr;
    QLabel* m_status = nullptr;
    TextPanel* m_textPanel = nullptr;
    TextPlacement* m_text = nullptr;
    QString m_textMessage;
    QPointer<EditSession> m_session;
    QList<QAction*> m_editCommands; // enabled only with a picture to edit
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QAction* m_cut = nullptr;
    QString m_pointerText;
    QSize m_designSize;
    bool m_unloaded = false;
};

} // namespace vornix::dialogs
