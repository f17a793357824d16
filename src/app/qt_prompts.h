#pragma once

#include "app/prompts.h"

class QWidget;

namespace vornix::app {

// Prompts shown with real Qt dialogs and outside programs started with QProcess.
class QtPrompts final : public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    MessageAnswer message(const QString& text, const QString& title, MessageIcon icon,
                          MessageButtons buttons,
                          MessageFont font = MessageFont::Proportional) override;
    std::optional<QString> input(const QString& prompt, const QString& title) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;

private:
    QWidget* m_parent = nullptr;
};

} // namespace vornix::app
