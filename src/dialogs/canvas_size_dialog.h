#pragma once

#include <QDialog>

#include "image/edit/drawing.h"

class QButtonGroup;
class QSpinBox;

namespace vornix::dialogs {

// What the dialog asks: the new sides and the anchor.
struct CanvasSize {
    int width = 0;
    int height = 0;
    image::edit::Anchor anchor = image::edit::Anchor::Centre;
};

// Image > Canvas Size...: the picture's new width and height, and where the old pixels stay
// (one of nine places: a corner, a side's middle or the centre).
class CanvasSizeDialog final : public QDialog {
    Q_OBJECT

public:
    CanvasSizeDialog(int width, int height, QWidget* parent = nullptr);

    int canvasWidth() const;
    int canvasHeight() const;
    image::edit::Anchor anchor() const;
    CanvasSize choice() const { return {canvasWidth(), canvasHeight(), anchor()}; }

    void setCanvasSize(int width, int height);
    void setAnchor(image::edit::Anchor anchor);

private:
    QSpinBox* m_width;
    QSpinBox* m_height;
    QButtonGroup* m_anchors;
};

} // namespace vornix::dialogs
