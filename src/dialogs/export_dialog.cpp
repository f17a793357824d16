#include "dialogs/export_dialog.h"

#include <algorithm>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include "dialogs/byte_inspector.h"
#include "dialogs/named_control.h"
#include "image/picture/picture_formats.h"

namespace vornix::dialogs {
namespace {

using image::ByteLayout;

struct LayoutItem {
    ByteLayout layout;
    const char* text;
};
constexpr LayoutItem kLayoutItems[] = {
    {ByteLayout::RowsHighBitFirst, "Rows, leftmost pixel in the high bit"},
    {ByteLayout::RowsLowBitFirst, "Rows, leftmost pixel in the low bit"},
    {ByteLayout::PagesLowBitTop, "Pages of 8 rows, top pixel in the low bit"},
    {ByteLayout::PagesHighBitTop, "Pages of 8 rows, top pixel in the high bit"},
    {ByteLayout::Columns, "Columns, top pixel in the high bit"},
};

void SelectData(QComboBox* box, const QVariant& data) {
    const int index = box->findData(data);
    if (index >= 0) {
        box->setCurrentIndex(index);
    }
}

} // namespace

ExportDialog::ExportDialog(const image::PackedPicture& picture, const QString& pictureName,
                           ChooseName chooseName, Save save, QWidget* parent)
    : QDialog(parent), m_picture(picture), m_pictureName(pictureName),
      m_chooseName(std::move(chooseName)), m_save(std::move(save)) {
    setObjectName("ExportDialog");
    setWindowTitle("Export");
    buildControls();
    image::ExportChoice start;
    start.source.name = image::IdentifierFrom(QFileInfo(pictureName).fileName().toStdString());
    setChoice(start);
}

void ExportDialog::buildControls() {
    m_format = Named(new QComboBox, "ExportFormat", "Format");
    for (const image::FormatEntry& entry : image::PictureFormats()) {
        if (entry.canWrite() && entry.format != image::PictureFormat::Bitmap) {
            m_format->addItem(QString::fromUtf8(entry.title.data(), int(entry.title.size())),
                              QString::fromUtf8(entry.name.data(), int(entry.name.size())));
        }
    }
    m_preset = Named(new QComboBox, "ExportPreset", "Preset");
    m_preset->addItem("(none)", QString());
    for (const image::FirmwarePreset& preset : image::FirmwarePresets()) {
        const QString name = QString::fromUtf8(preset.name.data(), int(preset.name.size()));
        m_preset->addItem(name, name);
        m_preset->setItemData(m_preset->count() - 1,
                              QString::fromUtf8(preset.fits.data(), int(preset.fits.size())),
                              Qt::ToolTipRole);
    }
    m_layout = Named(new QComboBox, "ExportLayout", "Byte layout");
    for (const LayoutItem& item : kLayoutItems) {
        m_layout->addItem(item.text, static_cast<int>(item.layout));
    }
    m_ink = Named(new QComboBox, "ExportInk", "A set bit is");
    m_ink->addItem("Dark", static_cast<int>(image::InkBit::Dark));
    m_ink->addItem("Light", static_cast<int>(image::InkBit::Light));
    m_literal = Named(new QComboBox, "ExportLiteral", "Values");
    m_literal->addItem("Hexadecimal (0x3F)", static_cast<int>(image::Literal::Hex));
    m_literal->addItem("Binary (0b00111111)", static_cast<int>(image::Literal::Binary));
    m_perLine = Named(new QSpinBox, "ExportPerLine", "Values a line");
    m_perLine->setRange(1, image::kMaxValuesPerLine);
    m_name = Named(new QLineEdit, "ExportName", "Array name");
    m_placement = Named(new QComboBox, "ExportPlacement", "Placed");
    m_placement->setEditable(true);
    m_placement->addItems({"", "PROGMEM", "__attribute__((section(\".lcd\")))"});
    m_static = Named(new QCheckBox("static"), "ExportStatic", "static");
    m_const = Named(new QCheckBox("const"), "ExportConst", "const");
    m_draw = Named(new QCheckBox("Draw the pixels in comments"), "ExportDraw",
                   "Draw the pixels in comments");

    auto* form = new QFormLayout;
    form->addRow("&Format:", m_format);
    form->addRow("&Preset:", m_preset);
    form->addRow("Byte &layout:", m_layout);
    form->addRow("A set bit is:", m_ink);
    form->addRow("&Values:", m_literal);
    form->addRow("Values a line:", m_perLine);
    form->addRow("Array &name:", m_name);
    form->addRow("Placed:", m_placement);
    auto* flags = new QHBoxLayout;
    flags->addWidget(m_static);
    flags->addWidget(m_const);
    flags->addWidget(m_draw);
    flags->addStretch();
    form->addRow(flags);

    m_text = Named(new QPlainTextEdit, "ExportText", "Output");
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Room for a good part of a line of values; longer lines scroll.
    m_text->setMinimumSize(m_text->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 60,
                           m_text->fontMetrics().lineSpacing() * 8);
    m_size = Named(new QLabel, "ExportSize", "Size");

    m_inspector = new ByteInspector;
    m_inspector->setPicture(m_picture);
    const int longest = std::max(m_picture.width(), m_picture.height());
    m_inspector->setCellSize(std::clamp(640 / std::max(longest, 1), 4, 16));
    auto* scroll = Named(new QScrollArea, "ExportInspectorArea", "Pixels and bytes");
    scroll->setWidget(m_inspector);
    scroll->setMinimumSize(360, 260);
    m_byte = Named(new QLabel, "ExportByte", "Byte under the pointer");
    m_byte->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(m_text, 1);
    left->addWidget(m_size);
    auto* right = new QVBoxLayout;
    right->addWidget(scroll, 1);
    right->addWidget(m_byte);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    m_status = Named(new QLabel, "ExportStatus", "Status");
    auto* buttons = new QDialogButtonBox;
    m_copy = Named(buttons->addButton("&Copy", QDialogButtonBox::ActionRole), "ExportCopy", "Copy");
    QPushButton* saveButton = Named(buttons->addButton("&Save...", QDialogButtonBox::ActionRole),
                                    "ExportSave", "Save...");
    QPushButton* close = Named(buttons->addButton(QDialogButtonBox::Close), "ExportClose", "Close");
    connect(m_copy, &QPushButton::clicked, this, &ExportDialog::copyToClipboard);
    connect(saveButton, &QPushButton::clicked, this, &ExportDialog::saveToFile);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    // Large enough for a line of 16 values and the picture, within the screen.
    const QRect room = screen() != nullptr ? screen()->availableGeometry() : QRect(0, 0, 1100, 720);
    resize(std::min(1100, room.width() * 9 / 10), std::min(720, room.height() * 9 / 10));

    auto* whole = new QVBoxLayout(this);
    whole->addLayout(columns, 1);
    whole->addWidget(m_status);
    whole->addWidget(buttons);

    const auto changed = [this] { refresh(); };
    for (QComboBox* box : {m_format, m_layout, m_ink, m_literal}) {
        connect(box, &QComboBox::currentIndexChanged, this, changed);
    }
    connect(m_placement, &QComboBox::currentTextChanged, this, changed);
    connect(m_perLine, &QSpinBox::valueChanged, this, changed);
    connect(m_name, &QLineEdit::textChanged, this, changed);
    for (QCheckBox* box : {m_static, m_const, m_draw}) {
        connect(box, &QCheckBox::toggled, this, changed);
    }
    connect(m_preset, &QComboBox::currentIndexChanged, this,
            [this] { applyPreset(m_preset->currentData().toString()); });
    connect(m_text, &QPlainTextEdit::cursorPositionChanged, this,
            [this] { lightValueAt(m_text->textCursor().position()); });
    connect(m_inspector, &ByteInspector::byteHovered, this,
            [this](std::optional<std::size_t> index) {
                m_byte->setText(m_inspector->description());
                markValue(index);
            });
}

image::ExportChoice ExportDialog::choice() const {
    image::ExportChoice choice;
    const image::FormatEntry* entry =
        image::FormatNamed(m_format->currentData().toString().toStdString());
    choice.format = entry != nullptr ? entry->format : image::PictureFormat::CSource;
    choice.source.name = m_name->text().toStdString();
    choice.source.layout = {static_cast<ByteLayout>(m_layout->currentData().toInt()),
                            static_cast<image::InkBit>(m_ink->currentData().toInt())};
    choice.source.literal = static_cast<image::Literal>(m_literal->currentData().toInt());
    choice.source.valuesPerLine = m_perLine->value();
    choice.source.placement = m_placement->currentText().toStdString();
    choice.source.isStatic = m_static->isChecked();
    choice.source.isConst = m_const->isChecked();
    choice.source.drawPixels = m_draw->isChecked();
    return choice;
}

void ExportDialog::setChoice(const image::ExportChoice& choice) {
    m_refreshing = true;
    const image::FormatEntry& entry = image::FormatEntryOf(choice.format);
    SelectData(m_format, QString::fromUtf8(entry.name.data(), int(entry.name.size())));
    SelectData(m_layout, static_cast<int>(choice.source.layout.layout));
    SelectData(m_ink, static_cast<int>(choice.source.layout.ink));
    SelectData(m_literal, static_cast<int>(choice.source.literal));
    m_perLine->setValue(choice.source.valuesPerLine);
    m_name->setText(QString::fromStdString(choice.source.name));
    m_placement->setCurrentText(QString::fromStdString(choice.source.placement));
    m_static->setChecked(choice.source.isStatic);
    m_const->setChecked(choice.source.isConst);
    m_draw->setChecked(choice.source.drawPixels);
    m_refreshing = false;
    refresh();
}

void ExportDialog::applyPreset(const QString& name) {
    const image::FirmwarePreset* preset = image::FirmwarePresetNamed(name.toStdString());
    if (preset == nullptr) {
        return;
    }
    image::ExportChoice next = choice();
    next.source.layout = preset->layout;
    next.source.literal = preset->literal;
    next.source.placement = std::string(preset->placement);
    setChoice(next);
}

void ExportDialog::refresh() {
    if (m_refreshing) {
        return;
    }
    const image::ExportChoice now = choice();
    const image::FormatEntry& entry = image::FormatEntryOf(now.format);
    const bool source = now.format == image::PictureFormat::CSource;
    for (QWidget* control : {static_cast<QWidget*>(m_layout), static_cast<QWidget*>(m_ink),
                             static_cast<QWidget*>(m_preset)}) {
        control->setEnabled(entry.takesLayout);
    }
    for (QWidget* control : {static_cast<QWidget*>(m_literal), static_cast<QWidget*>(m_perLine),
                             static_cast<QWidget*>(m_placement), static_cast<QWidget*>(m_static),
                             static_cast<QWidget*>(m_const), static_cast<QWidget*>(m_draw)}) {
        control->setEnabled(source);
    }
    m_name->setEnabled(entry.takesName);
    m_copy->setEnabled(image::ExportIsText(now.format));

    m_output = image::ExportOutput(m_picture, now);
    m_preview = image::PreviewOf(m_output, now.format, kPreviewLines);
    const QSignalBlocker quiet(m_text);
    m_text->setPlainText(QString::fromStdString(m_preview.text));
    if (m_output.empty()) {
        m_size->setText(entry.takesName && !image::IsIdentifier(now.source.name)
                            ? "The array name must be a C name: letters, digits and _"
                            : "Nothing to write");
    } else {
        m_size->setText(QString("%1 bytes%2")
                            .arg(QLocale(QLocale::English).toString(qulonglong(m_output.size())))
                            .arg(m_preview.truncated
                                     ? QString(", the first %1 lines shown").arg(kPreviewLines)
                                     : QString()));
    }
    m_inspector->setLayoutChoice(image::ExportLayout(now));
    m_byte->clear();
}

QString ExportDialog::previewText() const {
    return m_text->toPlainText();
}
QString ExportDialog::sizeText() const {
    return m_size->text();
}
QString ExportDialog::statusText() const {
    return m_status->text();
}

void ExportDialog::lightValueAt(int offset) {
    const auto& starts = m_preview.valueStarts;
    const auto after = std::upper_bound(starts.begin(), starts.end(),
                                        static_cast<std::size_t>(std::max(offset, 0)));
    if (after == starts.begin()) {
        m_inspector->lightByte(std::nullopt);
    } else {
        m_inspector->lightByte(static_cast<std::size_t>(after - starts.begin() - 1));
    }
    m_byte->setText(m_inspector->description());
    markValue(m_inspector->litByte());
}

void ExportDialog::markValue(std::optional<std::size_t> index) {
    QList<QTextEdit::ExtraSelection> marks;
    if (index && *index < m_preview.valueStarts.size()) {
        const int start = static_cast<int>(m_preview.valueStarts[*index]);
        int end = start;
        const QString text = m_text->toPlainText();
        while (end < text.size() && text[end].isLetterOrNumber()) {
            ++end;
        }
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(m_text->document());
        mark.cursor.setPosition(start);
        mark.cursor.setPosition(end, QTextCursor::KeepAnchor);
        mark.format.setBackground(QColor(0xFF, 0xC8, 0x50));
        marks << mark;
        if (!m_text->hasFocus()) {
            // Brings the value into view; the text is not being read with the keyboard, so
            // its cursor may follow the pointer.
            const QSignalBlocker quiet(m_text);
            QTextCursor at(m_text->document());
            at.setPosition(start);
            m_text->setTextCursor(at);
            m_text->ensureCursorVisible();
        }
    }
    m_text->setExtraSelections(marks);
}

void ExportDialog::copyToClipboard() {
    if (m_output.empty() || !image::ExportIsText(choice().format)) {
        return;
    }
    QGuiApplication::clipboard()->setText(QString::fromStdString(m_output));
    showStatus(QString("Copied %1 bytes to the clipboard.").arg(m_output.size()));
}

void ExportDialog::saveToFile() {
    if (m_output.empty()) {
        showStatus("Nothing to save: " + m_size->text());
        return;
    }
    const image::FormatEntry& entry = image::FormatEntryOf(choice().format);
    const QFileInfo info(m_pictureName);
    const QString base = info.completeBaseName().isEmpty() ? "picture" : info.completeBaseName();
    const QString file =
        base + QString::fromUtf8(entry.endings[0].data(), int(entry.endings[0].size()));
    const QString proposed = m_pictureName.contains('/') ? info.dir().filePath(file) : file;
    const QString path = m_chooseName ? m_chooseName(proposed) : QString();
    if (path.isEmpty()) {
        return;
    }
    const QString failure = m_save ? m_save(path, m_output) : QString("no writer");
    showStatus(failure.isEmpty() ? QString("Saved %1 bytes to %2.").arg(m_output.size()).arg(path)
                                 : QString("%1 was not saved: %2").arg(path, failure));
}

void ExportDialog::showStatus(const QString& text) {
    m_status->setText(text);
}

} // namespace vornix::dialogs
