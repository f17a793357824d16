#include "dialogs/canvas_size_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "dialogs/named_control.h"
#include "image/photo/prepare_image.h"

namespace vornix::dialogs {

namespace {

const char* const kAnchorCaptions[] = {"Top left",    "Top",    "Top right",
                                       "Left",        "Centre", "Right",
                                       "Bottom left", "Bottom", "Bottom right"};

QSpinBox* sideBox(const QString& name, const QString& caption, int value, QWidget* parent) {
    auto* box = Named(new QSpinBox(parent), name, caption);
    box->setRange(1, image::kMaxPreparedSide);
    box->setValue(value);
    box->setSuffix(QStringLiteral(" pixels"));
    return box;
}

} // namespace

CanvasSizeDialog::CanvasSizeDialog(int width, int height, QWidget* parent)
    : QDialog(parent),
      m_width(sideBox(QStringLiteral("CanvasWidth"), QStringLiteral("Width"), width, this)),
      m_height(sideBox(QStringLiteral("CanvasHeight"), QStringLiteral("Height"), height, this)),
      m_anchors(new QButtonGroup(this)) {
    setObjectName(QStringLiteral("CanvasSizeDialog"));
    setWindowTitle(QStringLiteral("Canvas Size"));
    auto* layout = new QVBoxLayout(this);
    auto* sides = new QFormLayout();
    sides->addRow(QStringLiteral("&Width:"), m_width);
    sides->addRow(QStringLiteral("&Height:"), m_height);
    layout->addLayout(sides);

    auto* place = Named(new QGroupBox(QStringLiteral("Picture stays at"), this),
                        QStringLiteral("CanvasAnchor"), QStringLiteral("Picture stays at"));
    auto* grid = new QGridLayout(place);
    for (int i = 0; i < 9; ++i) {
        const QString caption = QString::fromLatin1(kAnchorCaptions[i]);
        auto* button = Named(new QRadioButton(caption, place),
                             QStringLiteral("CanvasAnchor%1").arg(i), caption);
        m_anchors->addButton(button, i);
        grid->addWidget(button, i / 3, i % 3);
    }
    layout->addWidget(place);
    setAnchor(image::edit::Anchor::Centre);

    auto* buttons =
        Named(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this),
              QStringLiteral("CanvasButtons"), QStringLiteral("Buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int CanvasSizeDialog::canvasWidth() const {
    return m_width->value();
}

int CanvasSizeDialog::canvasHeight() const {
    return m_height->value();
}

image::edit::Anchor CanvasSizeDialog::anchor() const {
    return static_cast<image::edit::Anchor>(std::max(0, m_anchors->checkedId()));
}

void CanvasSizeDialog::setCanvasSize(int width, int height) {
    m_width->setValue(width);
    m_height->setValue(height);
}

void CanvasSizeDialog::setAnchor(image::edit::Anchor anchor) {
    if (QAbstractButton* button = m_anchors->button(static_cast<int>(anchor))) {
        button->setChecked(true);
    }
}

} // namespace vornix::dialogs
