#pragma once

#include <optional>

#include <QImage>
#include <QObject>
#include <QRect>

#include "image/edit/picture_editor.h"
#include "image/picture/packed_picture.h"

namespace vornix::dialogs {

// The picture the user edits, shared by the main window (which owns it, writes the working
// files and runs the menu commands) and the zoom window (which draws on it). It holds the
// editor and a one-bit image of its picture for the screen, kept up to date area by area.
// Whoever changes the picture through editor() calls changed() afterwards.
class EditSession final : public QObject {
    Q_OBJECT

public:
    explicit EditSession(QObject* parent = nullptr);

    // A new picture and a new history; nullopt leaves nothing to edit (no picture, or one the
    // panel cannot show).
    void reset(std::optional<image::PackedPicture> picture);
    bool editable() const { return m_editable && !m_readOnly; }
    // While read-only (a download reads the working files) the picture is shown but not
    // changed.
    void setReadOnly(bool readOnly);

    image::edit::PictureEditor& editor() { return m_editor; }
    const image::edit::PictureEditor& editor() const { return m_editor; }

    // The picture as ImageOf shows it.
    const QImage& image() const { return m_image; }

    // Tells the watchers what the last changes through editor() did.
    void changed();

    // The commands both windows offer, each followed by changed(). Nothing happens while
    // nothing is editable or a gesture runs.
    void undo();
    void redo();
    void invert();
    void mirror(image::edit::MirrorAxis axis);
    void turn(int quarterTurns);
    void selectAll();
    void dropSelection();
    // The selection's pixels (the whole picture without one) as an image; null when there is
    // nothing to copy. cut() leaves the selection's place light.
    QImage copy() const;
    QImage cut();
    void paste(image::PackedPicture pixels, image::edit::PixelPoint at);
    // The text being placed, laid over the picture as floating ink (see
    // PictureEditor::placeText); cancelFloating() takes it (or any floating pixels) off.
    void placeText(image::PackedPicture pixels, image::edit::PixelPoint at);
    void cancelFloating();
    bool resizeCanvas(int width, int height, image::edit::Anchor anchor);

    // The panel picture as a one-bit image, colour 0 light and colour 1 dark.
    static QImage ImageOf(const image::PackedPicture& picture);

signals:
    // The picture's pixels in `area` (picture pixels) changed; after a change of size `area`
    // is the whole picture.
    void repaint(const QRect& area);
    // A change ended (a stroke, a command, an undo): the moment the picture is written out.
    void finished();
    // The picture, its size, its history or its selection may have changed: commands that
    // depend on them update their state.
    void stateChanged();

private:
    void refreshImage(const image::edit::PixelArea& area);

    image::edit::PictureEditor m_editor;
    QImage m_image;
    bool m_editable = false;
    bool m_readOnly = false;
};

} // namespace vornix::dialogs
