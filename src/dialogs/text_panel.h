#pragma once

#include <QString>
#include <QWidget>

#include "fonts/text_render.h"

class QButtonGroup;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace vornix::dialogs {

// The zoom window's panel for the text being placed: the font (a family name or a font file,
// empty for the default font), its size in pixels, the alignment of the lines and the text
// itself, several lines. Every change is reported at once, so that the text on the picture
// follows the typing.
class TextPanel final : public QWidget {
    Q_OBJECT

public:
    explicit TextPanel(QWidget* parent = nullptr);

    QString fontName() const;
    int pixelSize() const;
    fonts::TextAlign align() const;
    QString text() const;

    // Empties the text for the next box; the font, size and alignment stay as the user left
    // them, since the next text on the same picture usually wants them too.
    void clearText();
    // Puts the keyboard into the text field.
    void focusText();

    QPlainTextEdit* textField() const { return m_text; }

signals:
    void edited();

private:
    QLineEdit* m_font;
    QSpinBox* m_size;
    QButtonGroup* m_align;
    QPlainTextEdit* m_text;
};

} // namespace vornix::dialogs
