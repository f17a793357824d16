#include "app/qt_prompts.h"

#include <QFontDatabase>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>

namespace vornix::app {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Texts carry CR LF line breaks; a label wants plain line feeds.
QString forDisplay(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

MessageAnswer QtPrompts::message(const QString& text, const QString& title, MessageIcon icon,
                                 MessageButtons buttons, MessageFont font) {
    QMessageBox box(toQtIcon(icon), title, forDisplay(text), QMessageBox::NoButton, m_parent);
    box.setTextFormat(Qt::PlainText);
    if (font == MessageFont::FixedPitch) {
        // Only the text: the buttons keep the system's font.
        if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        }
    }
    if (buttons == MessageButtons::SaveDiscardCancel) {
        box.addButton(QMessageBox::Save);
        box.addButton(QMessageBox::Discard);
        box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Save);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.addButton(QMessageBox::Ok);
        if (buttons != MessageButtons::Ok) {
            box.addButton(QMessageBox::Cancel);
        }
        box.setDefaultButton(buttons == MessageButtons::OkCancelSafe ? QMessageBox::Cancel
                                                                     : QMessageBox::Ok);
    }
    if (m_parent != nullptr) {
        // The box is placed by the size it has before its text is laid out for the screen,
        // which on some displays differs from its final size: once shown, it is centred over
        // the window again.
        QTimer::singleShot(0, &box, [&box, parent = m_parent] {
            QRect frame = box.frameGeometry();
            frame.moveCenter(parent->window()->frameGeometry().center());
            box.move(frame.topLeft());
        });
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Save:
        return MessageAnswer::Save;
    case QMessageBox::Discard:
        return MessageAnswer::Discard;
    default:
        return MessageAnswer::Cancel;
    }
}

std::optional<QString> QtPrompts::input(const QString& prompt, const QString& title) {
    bool ok = false;
    const QString reply = QInputDialog::getText(m_parent, title, forDisplay(prompt),
                                                QLineEdit::Normal, QString(), &ok);
    if (!ok) {
        return std::nullopt;
    }
    return reply;
}

bool QtPrompts::startProgram(const QString& program, const QStringList& arguments) {
    return !program.isEmpty() && QProcess::startDetached(program, arguments);
}

} // namespace vornix::app
