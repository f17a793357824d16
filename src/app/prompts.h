#pragma once

#include <optional>

#include <QString>
#include <QStringList>

namespace vornix::app {

enum class MessageIcon { None, Exclamation, Stop, Question, Information };
// OkCancelSafe has the same buttons as OkCancel, but Return answers Cancel: for a question
// whose OK replaces something the user may want to keep.
// SaveDiscardCancel asks what becomes of unsaved changes: Save (the default), Discard or Cancel.
enum class MessageButtons { Ok, OkCancel, OkCancelSafe, SaveDiscardCancel };
enum class MessageAnswer { Ok, Cancel, Save, Discard };
// Text laid out in columns with blanks needs a fixed-pitch font to line up.
enum class MessageFont { Proportional, FixedPitch };

// Every modal question the program asks and every outside program it starts goes through
// this interface, so that tests can read each text exactly and script the answers.
class Prompts {
public:
    virtual ~Prompts() = default;

    // A modal message box; lines of text are joined with CR LF.
    virtual MessageAnswer message(const QString& text, const QString& title, MessageIcon icon,
                                  MessageButtons buttons,
                                  MessageFont font = MessageFont::Proportional) = 0;

    // A modal one-line input box with an empty entry field; nullopt when cancelled.
    virtual std::optional<QString> input(const QString& prompt, const QString& title) = 0;

    // Starts an outside program without waiting for it; false when it cannot be started.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
};

} // namespace vornix::app
