#include "dialogs/text_panel.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>

#include "dialogs/named_control.h"
#include "fonts/font.h"
#include "fonts/font_finder.h"

namespace vornix::dialogs {

using fonts::TextAlign;

TextPanel::TextPanel(QWidget* parent)
    : QWidget(parent),
      m_font(Named(new QLineEdit(this), QStringLiteral("TextFont"), QStringLiteral("Font"))),
      m_size(
          Named(new QSpinBox(this), QStringLiteral("TextSize"), QStringLiteral("Size in pixels"))),
      m_align(new QButtonGroup(this)),
      m_text(Named(new QPlainTextEdit(this), QStringLiteral("TextField"), QStringLiteral("Text"))) {
    setObjectName(QStringLiteral("TextPanel"));
    setAccessibleName(QStringLiteral("Text"));
    m_font->setPlaceholderText(QStringLiteral("default font"));
    m_font->setToolTip(QStringLiteral("A font family name or a font file"));
    m_size->setRange(1, fonts::kMaxPixelSize);
    m_size->setValue(fonts::kDefaultPixelSize);
    m_size->setSuffix(QStringLiteral(" px"));

    auto* alignRow = new QHBoxLayout();
    alignRow->setContentsMargins(0, 0, 0, 0);
    const struct {
        TextAlign align;
        const char* caption;
        const char* name;
    } aligns[] = {{TextAlign::Left, "&Left", "TextAlignLeft"},
                  {TextAlign::Centre, "&Centre", "TextAlignCentre"},
                  {TextAlign::Right, "&Right", "TextAlignRight"}};
    for (const auto& entry : aligns) {
        auto* button = new QRadioButton(QString::fromLatin1(entry.caption), this);
        button->setObjectName(QString::fromLatin1(entry.name));
        button->setAccessibleName(button->text().remove(QLatin1Char('&')));
        button->setChecked(entry.align == TextAlign::Left);
        m_align->addButton(button, static_cast<int>(entry.align));
        alignRow->addWidget(button);
    }

    // Three lines show, a longer text scrolls: the panel takes little of the picture's room.
    m_text->setTabChangesFocus(true);
    m_text->setFixedHeight(m_text->fontMetrics().lineSpacing() * 3 + 12);

    // Font, size and alignment share one row; the text takes the row below.
    auto* settings = new QHBoxLayout();
    settings->setContentsMargins(0, 0, 0, 0);
    settings->addWidget(m_font, 1);
    auto* sizeLabel = new QLabel(QStringLiteral("&Size:"), this);
    sizeLabel->setBuddy(m_size);
    settings->addWidget(sizeLabel);
    settings->addWidget(m_size);
    settings->addSpacing(8);
    settings->addLayout(alignRow);

    auto* form = new QFormLayout(this);
    form->setContentsMargins(6, 4, 6, 4);
    form->addRow(QStringLiteral("&Font:"), settings);
    form->addRow(QStringLiteral("&Text:"), m_text);
    // The form's labels name their fields, so a screen reader reads them as their captions.
    if (auto* fontLabel = qobject_cast<QLabel*>(form->labelForField(settings))) {
        fontLabel->setBuddy(m_font);
    }

    connect(m_font, &QLineEdit::editingFinished, this, &TextPanel::edited);
    connect(m_size, &QSpinBox::valueChanged, this, &TextPanel::edited);
    connect(m_align, &QButtonGroup::idClicked, this, &TextPanel::edited);
    connect(m_text, &QPlainTextEdit::textChanged, this, &TextPanel::edited);
}

QString TextPanel::fontName() const {
    return m_font->text().trimmed();
}

int TextPanel::pixelSize() const {
    return m_size->value();
}

TextAlign TextPanel::align() const {
    return static_cast<TextAlign>(m_align->checkedId());
}

QString TextPanel::text() const {
    return m_text->toPlainText();
}

void TextPanel::clearText() {
    const QSignalBlocker quiet(m_text);
    m_text->clear();
}

void TextPanel::focusText() {
    m_text->setFocus(Qt::OtherFocusReason);
}

} // namespace vornix::dialogs
