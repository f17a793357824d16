#pragma once

#include <memory>
#include <string>

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include "fonts/font.h"

namespace vornix::dialogs {

class EditSession;
class TextPanel;

// The text tool's text while it is being placed: where the user clicked, drawn from the
// panel's font, size, alignment and text, and laid over the picture as floating ink after
// every change. It stays editable until it is put down (a click elsewhere, another tool,
// Ctrl+Enter: one undo step) or cancelled (Escape: the picture as before).
class TextPlacement final : public QObject {
    Q_OBJECT

public:
    TextPlacement(TextPanel* panel, QObject* parent = nullptr);

    void setSession(EditSession* session);
    // A new text box with its top-left corner at picture pixel `at`; a text placed before has
    // been put down by the click that asks for this one.
    void begin(const QPoint& at);
    bool active() const { return m_active; }
    QPoint place() const { return m_at; }
    void commit();
    void cancel();

signals:
    // What the status line says about the text: a font that cannot be opened, glyphs the font
    // lacks; empty when all is well.
    void message(const QString& text);
    // The text was put down or cancelled: the keyboard goes back to the picture, so that
    // Ctrl+Z undoes the text rather than the typing in the panel.
    void ended();

private:
    void render();
    void sessionChanged();
    void end();
    fonts::Font* font(QString* failure);

    TextPanel* m_panel;
    QPointer<EditSession> m_session;
    bool m_active = false;
    bool m_placed = false; // the text lies on the picture as floating ink
    QPoint m_at;
    std::unique_ptr<fonts::Font> m_font;
    std::string m_fontName;
    int m_fontSize = 0;
};

} // namespace vornix::dialogs
