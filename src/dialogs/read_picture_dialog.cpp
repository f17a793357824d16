#include "dialogs/read_picture_dialog.h"

#include <algorithm>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include "dialogs/byte_inspector.h"
#include "dialogs/named_control.h"
#include "image/photo/prepare_image.h"

namespace vornix::dialogs {

ReadPictureDialog::ReadPictureDialog(std::vector<std::uint8_t> bytes, image::PictureFormat format,
                                     QWidget* parent)
    : QDialog(parent), m_bytes(std::move(bytes)), m_format(format) {
    setObjectName("ReadPictureDialog");
    setWindowTitle("Read Picture");
    const bool source = format == image::PictureFormat::CSource;
    m_width = Named(new QSpinBox, "ReadWidth", "Width");
    m_height = Named(new QSpinBox, "ReadHeight", "Height");
    for (QSpinBox* side : {m_width, m_height}) {
        side->setRange(source ? 0 : 1, image::kMaxPreparedSide);
        side->setSpecialValueText(source ? "from the file" : QString());
    }
    m_layout = Named(new QComboBox, "ReadLayout", "Byte layout");
    for (const char* name : {"rows-msb", "rows-lsb", "pages-lsb", "pages-msb", "columns"}) {
        m_layout->addItem(name, name);
    }
    m_ink = Named(new QComboBox, "ReadInk", "A set bit is");
    m_ink->addItem("Dark", static_cast<int>(image::InkBit::Dark));
    m_ink->addItem("Light", static_cast<int>(image::InkBit::Light));
    m_status = Named(new QLabel, "ReadStatus", "Result");
    m_status->setWordWrap(true);
    m_inspector = new ByteInspector;
    auto* scroll = Named(new QScrollArea, "ReadPreview", "Picture");
    scroll->setWidget(m_inspector);
    scroll->setMinimumSize(360, 200);

    auto* form = new QFormLayout;
    form->addRow("&Width:", m_width);
    form->addRow("&Height:", m_height);
    form->addRow("Byte &layout:", m_layout);
    form->addRow("A set bit is:", m_ink);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_buttons->button(QDialogButtonBox::Ok)->setObjectName("ReadOk");
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* whole = new QVBoxLayout(this);
    whole->addLayout(form);
    whole->addWidget(scroll, 1);
    whole->addWidget(m_status);
    whole->addWidget(m_buttons);

    for (QSpinBox* side : {m_width, m_height}) {
        connect(side, &QSpinBox::valueChanged, this, [this] { refresh(); });
    }
    for (QComboBox* box : {m_layout, m_ink}) {
        connect(box, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    }
    image::ReadOptions start;
    start.width = source ? 0 : 240;
    start.height = source ? 0 : 128;
    setOptions(start);
}

image::ReadOptions ReadPictureDialog::options() const {
    image::ReadOptions options;
    options.width = m_width->value();
    options.height = m_height->value();
    options.layout.layout =
        image::ByteLayoutFromName(m_layout->currentData().toString().toStdString())
            .value_or(image::ByteLayout::RowsHighBitFirst);
    options.layout.ink = static_cast<image::InkBit>(m_ink->currentData().toInt());
    return options;
}

void ReadPictureDialog::setOptions(const image::ReadOptions& options) {
    m_setting = true;
    m_width->setValue(options.width);
    m_height->setValue(options.height);
    const auto name = image::ByteLayoutName(options.layout.layout);
    m_layout->setCurrentIndex(
        m_layout->findData(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()))));
    m_ink->setCurrentIndex(m_ink->findData(static_cast<int>(options.layout.ink)));
    m_setting = false;
    refresh();
}

QString ReadPictureDialog::statusText() const {
    return m_status->text();
}

void ReadPictureDialog::refresh() {
    if (m_setting) {
        return;
    }
    const image::ReadOptions now = options();
    m_read = image::FormatEntryOf(m_format).read(m_bytes, now);
    if (m_read.picture) {
        m_status->setText(
            QString("%1 x %2 pixels").arg(m_read.picture->width()).arg(m_read.picture->height()));
        m_inspector->setPicture(*m_read.picture);
        m_inspector->setLayoutChoice(now.layout);
        const int longest = std::max(m_read.picture->width(), m_read.picture->height());
        m_inspector->setCellSize(std::clamp(480 / std::max(longest, 1), 1, 12));
    } else {
        m_status->setText(QString::fromStdString(m_read.failure));
        m_inspector->setPicture(image::PackedPicture());
    }
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(m_read.picture.has_value());
}

} // namespace vornix::dialogs
