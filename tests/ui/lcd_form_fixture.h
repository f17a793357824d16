#pragma once

#include <memory>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/lcd_form.h"
#include "support/control.h"
#include "support/fake_prompts.h"

namespace vornix::test {

// A main window in a program directory of its own, with scripted prompts and file dialog.
class LCDFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(programDir.isValid());
        ASSERT_TRUE(filesDir.isValid());
    }

    void TearDown() override { form.reset(); }

    bool start(const QString& commandLine, bool previousInstance = false) {
        form = std::make_unique<app::LCDForm>(
            state, prompts, app::LCDFormOptions{programDir.path(), previousInstance});
        if (!executableDir.isEmpty()) {
            form->setExecutableDirectory(executableDir);
        }
        if (importDialog) {
            form->setImportDialogRunner(importDialog);
        }
        form->setFileDialogRunner([this](app::AppState& s, const QString& request, QWidget*) {
            requests.push_back(request);
            proposedNames.push_back(s.FileName);
            proposedPaths.push_back(s.FilePath);
            if (dialogAnswers.empty()) {
                s.FileName = QStringLiteral("~CANCEL");
                s.FilePath.clear();
                return;
            }
            const auto [path, name] = dialogAnswers.front();
            dialogAnswers.erase(dialogAnswers.begin());
            s.FilePath = path;
            if (!name.isNull()) {
                s.FileName = name;
            }
        });
        return form->Form_Load(commandLine);
    }

    // The next file dialog answers OK with this directory and name.
    void answerDialog(const QString& path, const QString& name) {
        dialogAnswers.emplace_back(path, name);
    }
    // The next file dialog answers OK in this directory with the name it proposed (Return).
    void acceptProposal(const QString& path) { dialogAnswers.emplace_back(path, QString()); }

    QString file(const QString& name) const { return filesDir.filePath(name); }
    QString workingPXL() const { return programDir.filePath(QStringLiteral("~LCDpxl.tmp")); }
    QString workingBMP() const { return programDir.filePath(QStringLiteral("~LCDbmp.tmp")); }

    static QByteArray readAll(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void writeAll(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QString sample(const char* name) {
        return QStringLiteral(VORNIX_SAMPLES "/") + QString::fromLatin1(name);
    }

    // "LSB" for each of "&Load LCD", "Save as &BMP...", "&Save as PXL..." enabled, "-" when not.
    QString fileItems() const {
        const auto item = [this](const char* name, char letter) {
            return QLatin1Char(control<QAction>(*form, name).isEnabled() ? letter : '-');
        };
        return QString() + item("MenuFileLoad", 'L') + item("MenuSaveBMP", 'B') +
               item("MenuSavePXL", 'P');
    }

    QTemporaryDir programDir;
    QTemporaryDir filesDir;
    app::AppState state;
    FakePrompts prompts;
    std::unique_ptr<app::LCDForm> form;
    std::vector<std::pair<QString, QString>> dialogAnswers;
    std::vector<QString> requests;
    std::vector<QString> proposedNames;
    std::vector<QString> proposedPaths;
    QString executableDir; // where the executable lives; the test program's folder when empty
    app::LCDForm::ImportDialogRunner importDialog; // set on the window before its start-up
};

} // namespace vornix::test
