#include "dialogs/text_placement.h"

#include <QStringList>

#include "dialogs/edit_session.h"
#include "dialogs/text_panel.h"
#include "fonts/font_finder.h"
#include "fonts/text_render.h"

namespace vornix::dialogs {

TextPlacement::TextPlacement(TextPanel* panel, QObject* parent) : QObject(parent), m_panel(panel) {
    connect(panel, &TextPanel::edited, this, &TextPlacement::render);
}

void TextPlacement::setSession(EditSession* session) {
    if (m_session) {
        disconnect(m_session, nullptr, this, nullptr);
    }
    end();
    m_session = session;
    if (session) {
        connect(session, &EditSession::stateChanged, this, &TextPlacement::sessionChanged);
    }
}

void TextPlacement::begin(const QPoint& at) {
    if (!m_session || !m_session->editable()) {
        return;
    }
    m_active = true;
    m_placed = false;
    m_at = at;
    m_panel->clearText();
    m_panel->focusText();
    emit message(QString());
}

void TextPlacement::commit() {
    if (m_active && m_session) {
        end();
        m_session->dropSelection();
    }
}

void TextPlacement::cancel() {
    if (m_active && m_session) {
        const bool placed = m_placed;
        end();
        if (placed) {
            m_session->cancelFloating();
        }
    }
}

void TextPlacement::end() {
    const bool wasActive = m_active;
    m_active = false;
    m_placed = false;
    if (wasActive) {
        emit ended();
    }
}

// The text is put down by whatever puts down floating pixels (a click, another tool, undo, a
// command); from then on the panel edits nothing until the next click.
void TextPlacement::sessionChanged() {
    if (m_placed && (!m_session || !m_session->editor().floatingText())) {
        end();
    }
}

// The font is opened again only when its name or size changes: typing reuses it.
fonts::Font* TextPlacement::font(QString* failure) {
    const std::string name = m_panel->fontName().toStdString();
    const int size = m_panel->pixelSize();
    if (!m_font || name != m_fontName || size != m_fontSize) {
        fonts::OpenedFont opened = fonts::OpenFont(name, size);
        if (!opened.font) {
            *failure =
                QStringLiteral("Font: %1").arg(QString::fromStdString(opened.failure.message()));
            return nullptr;
        }
        m_font = std::move(opened.font);
        m_fontName = name;
        m_fontSize = size;
    }
    return m_font.get();
}

void TextPlacement::render() {
    if (!m_active || !m_session || !m_session->editable()) {
        return;
    }
    QString failure;
    fonts::Font* chosen = font(&failure);
    if (!chosen) {
        emit message(failure); // the text keeps its last good look
        return;
    }
    const QByteArray utf8 = m_panel->text().toUtf8();
    fonts::RenderedText rendered = fonts::RenderText(
        *chosen, std::string_view(utf8.constData(), utf8.size()), m_panel->align());
    if (rendered.error != fonts::FontError::None) {
        const std::string_view why = fonts::describe(rendered.error);
        emit message(QStringLiteral("Text: %1")
                         .arg(QString::fromUtf8(why.data(), static_cast<qsizetype>(why.size()))));
        return;
    }
    m_placed = true;
    m_session->placeText(std::move(rendered.picture), {m_at.x(), m_at.y()});
    if (rendered.missing.empty()) {
        emit message(QString());
        return;
    }
    QStringList codes;
    for (const char32_t code : rendered.missing) {
        codes << QStringLiteral("U+") + QString::number(static_cast<uint>(code), 16)
                                            .toUpper()
                                            .rightJustified(4, QLatin1Char('0'));
    }
    emit message(QStringLiteral("Not in %1: %2 (drawn as its default glyph)")
                     .arg(QString::fromStdString(chosen->name()), codes.join(QLatin1Char(' '))));
}

} // namespace vornix::dialogs
