#pragma once

#include <deque>
#include <optional>
#include <vector>

#include "app/prompts.h"

namespace vornix::test {

// Records every prompt and answers from a script; unscripted questions get OK / cancel.
class FakePrompts final : public app::Prompts {
public:
    struct Message {
        QString text;
        QString title;
        app::MessageIcon icon;
        app::MessageButtons buttons;
        app::MessageFont font;
    };
    struct Input {
        QString prompt;
        QString title;
    };
    struct Start {
        QString program;
        QStringList arguments;
    };

    std::vector<Message> messages;
    std::vector<Input> inputs;
    std::vector<Start> starts;
    std::deque<app::MessageAnswer> messageAnswers;
    std::deque<std::optional<QString>> inputAnswers;
    bool programsStart = true;

    app::MessageAnswer message(const QString& text, const QString& title, app::MessageIcon icon,
                               app::MessageButtons buttons,
                               app::MessageFont font = app::MessageFont::Proportional) override {
        messages.push_back({text, title, icon, buttons, font});
        if (messageAnswers.empty()) {
            return app::MessageAnswer::Ok;
        }
        const auto answer = messageAnswers.front();
        messageAnswers.pop_front();
        return answer;
    }

    std::optional<QString> input(const QString& prompt, const QString& title) override {
        inputs.push_back({prompt, title});
        if (inputAnswers.empty()) {
            return std::nullopt;
        }
        auto answer = inputAnswers.front();
        inputAnswers.pop_front();
        return answer;
    }

    bool startProgram(const QString& program, const QStringList& arguments) override {
        starts.push_back({program, arguments});
        return programsStart;
    }
};

} // namespace vornix::test
