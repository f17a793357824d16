// The Help menu: help text, paint program, About box, and how the outside programs are found.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QRandomGenerator>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "dialogs/help_commands.h"
#include "dialogs/help_tools.h"
#include "support/fake_prompts.h"

// Readable failure output for texts and paths.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using vornix::app::AppState;
using vornix::app::MessageButtons;
using vornix::app::MessageIcon;
using vornix::dialogs::AboutText;
using vornix::dialogs::CopyReplacing;
using vornix::dialogs::FindPaintProgram;
using vornix::dialogs::FindTextEditor;
using vornix::dialogs::MenuHelpAbout_Click;
using vornix::dialogs::MenuHelpfile_Click;
using vornix::dialogs::MenuHelpPaint_Click;
using vornix::dialogs::ProgramLookup;
using vornix::test::FakePrompts;

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void expectFileError(const FakePrompts& prompts, const QString& text) {
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, text);
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("File Error"));
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(prompts.messages[0].buttons, MessageButtons::Ok);
}

// --- Help File ---------------------------------------------------------------------------

struct HelpFileCase {
    std::string name;
    QString editor;
    bool programsStart;
    bool startTried;
    bool cannotStart;
};

class HelpFileTest : public ::testing::TestWithParam<HelpFileCase> {};

TEST_P(HelpFileTest, StartsTheEditorOnTheHelpText) {
    const auto& row = GetParam();
    FakePrompts prompts;
    prompts.programsStart = row.programsStart;
    MenuHelpfile_Click(prompts, row.editor, QStringLiteral("/opt/vornix dir/bin"));

    if (row.startTried) {
        ASSERT_EQ(prompts.starts.size(), 1u);
        EXPECT_EQ(prompts.starts[0].program, row.editor);
        EXPECT_EQ(prompts.starts[0].arguments,
                  QStringList{QStringLiteral("/opt/vornix dir/bin/Vornix.txt")});
    } else {
        EXPECT_TRUE(prompts.starts.empty());
    }
    if (row.cannotStart) {
        expectFileError(prompts, QStringLiteral("Can't find Notepad.exe"));
    } else {
        EXPECT_TRUE(prompts.messages.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Editors, HelpFileTest,
    ::testing::Values(HelpFileCase{"Started", "/usr/bin/xdg-open", true, true, false},
                      HelpFileCase{"CannotStart", "/usr/bin/xdg-open", false, true, true},
                      HelpFileCase{"NoEditorFound", "", true, false, true}),
    [](const auto& info) { return info.param.name; });

// --- Run MSPaint -------------------------------------------------------------------------

class HelpPaintTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_state.TempBMPFile = m_dir.filePath(QStringLiteral("~LCDbmp.tmp"));
        m_state.UntitledFile = m_dir.filePath(QStringLiteral("untitled."));
        m_state.PaintProgram = QStringLiteral("/usr/bin/paint-stand-in");
    }

    // Runs the command once with fresh prompts; returns the single argument it passed.
    std::optional<QString> run(bool programsStart = true) {
        m_prompts = FakePrompts();
        m_prompts.programsStart = programsStart;
        MenuHelpPaint_Click(m_prompts, m_state);
        if (m_prompts.starts.size() != 1 || m_prompts.starts[0].arguments.size() != 1) {
            return std::nullopt;
        }
        EXPECT_EQ(m_prompts.starts[0].program, m_state.PaintProgram);
        return m_prompts.starts[0].arguments[0];
    }

    QTemporaryDir m_dir;
    AppState m_state;
    FakePrompts m_prompts;
};

TEST_F(HelpPaintTest, CopiesTheWorkingBitmapAndPassesTheCopy) {
    const QByteArray bitmap = QByteArray("BM") + QByteArray(300, '\x5A');
    writeFile(m_state.TempBMPFile, bitmap);

    EXPECT_EQ(run(), m_state.UntitledFile);
    EXPECT_EQ(readAll(m_state.UntitledFile), bitmap);
    EXPECT_EQ(readAll(m_state.TempBMPFile), bitmap) << "the working bitmap stays as it was";
    EXPECT_TRUE(m_prompts.messages.empty());
}

TEST_F(HelpPaintTest, WithoutWorkingBitmapPassesAnEmptyArgument) {
    EXPECT_EQ(run(), QString());
    EXPECT_FALSE(QFile::exists(m_state.UntitledFile));
    EXPECT_TRUE(m_prompts.messages.empty()) << "a failed copy is not reported";
}

TEST_F(HelpPaintTest, SecondRunReplacesTheFirstCopy) {
    writeFile(m_state.TempBMPFile, QByteArray(500, 'A'));
    ASSERT_EQ(run(), m_state.UntitledFile);
    // A shorter picture: a copy written over the old one in place would keep its tail.
    writeFile(m_state.TempBMPFile, QByteArray(20, 'B'));
    EXPECT_EQ(run(), m_state.UntitledFile);
    EXPECT_EQ(readAll(m_state.UntitledFile), QByteArray(20, 'B'));
}

TEST_F(HelpPaintTest, CopyThatCannotBeWrittenPassesAnEmptyArgument) {
    writeFile(m_state.TempBMPFile, QByteArray("BM"));
    m_state.UntitledFile = m_dir.filePath(QStringLiteral("missing folder/untitled."));
    EXPECT_EQ(run(), QString());
    EXPECT_TRUE(m_prompts.messages.empty());
}

TEST_F(HelpPaintTest, PaintProgramThatCannotStartIsReported) {
    writeFile(m_state.TempBMPFile, QByteArray("BM"));
    EXPECT_EQ(run(false), m_state.UntitledFile);
    expectFileError(m_prompts, QStringLiteral("Can't find MSPaint.exe"));
    EXPECT_EQ(readAll(m_state.UntitledFile), QByteArray("BM")) << "the copy is made first";
}

TEST_F(HelpPaintTest, NoPaintProgramFoundIsReported) {
    m_state.PaintProgram.clear();
    EXPECT_EQ(run(), std::nullopt);
    EXPECT_TRUE(m_prompts.starts.empty());
    expectFileError(m_prompts, QStringLiteral("Can't find MSPaint.exe"));
}

TEST(CopyReplacingTest, CopiesLargeFilesExactly) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QByteArray bytes(200 * 1024 + 17, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(QRandomGenerator::global()->bounded(256));
    }
    const QString source = dir.filePath(QStringLiteral("source"));
    const QString target = dir.filePath(QStringLiteral("target"));
    writeFile(source, bytes);
    writeFile(target, QByteArray(300 * 1024, 'x'));
    ASSERT_TRUE(CopyReplacing(source, target));
    EXPECT_EQ(readAll(target), bytes);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no leftover files";
}

TEST(CopyReplacingTest, FailedCopyLeavesTheTargetAlone) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("target"));
    writeFile(target, QByteArray("old copy"));
    EXPECT_FALSE(CopyReplacing(dir.filePath(QStringLiteral("absent")), target));
    EXPECT_FALSE(CopyReplacing(dir.path(), target)) << "a folder is not a picture";
    EXPECT_EQ(readAll(target), QByteArray("old copy"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << "no leftover files";
}

// --- About -------------------------------------------------------------------------------

TEST(HelpAboutTest, ShowsFiveLinesWithTheVersion) {
    FakePrompts prompts;
    MenuHelpAbout_Click(prompts);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text.toStdString(),
              "Vornix Display Tools\r\n\r\n"
              "www.vornix.example\r\n\r\n"
              "Tel. +1 555 0171\r\n\r\n"
              "Beta Version 0.71\r\n\r\n"
              "Provided as is, without warranty of any kind.\r\n");
    EXPECT_EQ(prompts.messages[0].text, AboutText());
    EXPECT_EQ(prompts.messages[0].title, QStringLiteral("About this Program"));
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(prompts.messages[0].buttons, MessageButtons::Ok);
    EXPECT_TRUE(prompts.starts.empty());
}

// --- Finding the outside programs --------------------------------------------------------

// Two folders of a search path, each holding the programs named for it; a name ending in
// "-" is created without permission to run.
struct LookupCase {
    std::string name;
    QStringList first;
    QStringList second;
    QString paintOverride; // "<first>/" stands for the first folder
    QString editor;        // expected, as "<first>/name" or "<second>/name" or ""
    QString paint;
};

class ProgramLookupTest : public ::testing::TestWithParam<LookupCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_root.isValid());
        ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("first")));
        ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("second")));
    }

    QString folder(const QString& name) const { return m_root.filePath(name); }

    void populate(const QString& dir, const QStringList& programs) {
        for (QString program : programs) {
            const bool runnable = !program.endsWith(QLatin1Char('-'));
            if (!runnable) {
                program.chop(1);
            }
            QFile file(QDir(dir).filePath(program));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("#!/bin/sh\n");
            file.close();
            auto permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
            if (runnable) {
                permissions |= QFileDevice::ExeOwner;
            }
            ASSERT_TRUE(file.setPermissions(permissions));
        }
    }

    QString expand(QString text) const {
        text.replace(QStringLiteral("<first>"), folder(QStringLiteral("first")));
        text.replace(QStringLiteral("<second>"), folder(QStringLiteral("second")));
        return text;
    }

    QTemporaryDir m_root;
};

TEST_P(ProgramLookupTest, FindsTheFirstListedProgram) {
    const auto& row = GetParam();
    populate(folder(QStringLiteral("first")), row.first);
    populate(folder(QStringLiteral("second")), row.second);
    ProgramLookup lookup;
    lookup.searchPath = {folder(QStringLiteral("first")), folder(QStringLiteral("second"))};
    lookup.paintOverride = expand(row.paintOverride);

    EXPECT_EQ(FindTextEditor(lookup), expand(row.editor));
    EXPECT_EQ(FindPaintProgram(lookup), expand(row.paint));
}

INSTANTIATE_TEST_SUITE_P(Folders, ProgramLookupTest,
                         ::testing::Values(LookupCase{"NothingInstalled", {}, {}, "", "", ""},
                                           LookupCase{"OpenerBeforeEditors",
                                                      {"gedit", "mtpaint"},
                                                      {"xdg-open", "gimp"},
                                                      "",
                                                      "<second>/xdg-open",
                                                      "<first>/mtpaint"},
                                           LookupCase{"ListOrderBeatsFolderOrder",
                                                      {"gnome-text-editor", "krita"},
                                                      {"mousepad", "kolourpaint"},
                                                      "",
                                                      "<second>/mousepad",
                                                      "<second>/kolourpaint"},
                                           LookupCase{"ProgramsThatCannotRunAreSkipped",
                                                      {"xdg-open-", "kolourpaint-"},
                                                      {"kate", "pinta"},
                                                      "",
                                                      "<second>/kate",
                                                      "<second>/pinta"},
                                           LookupCase{"ChosenPaintProgramByName",
                                                      {"kolourpaint"},
                                                      {"mypaint"},
                                                      "mypaint",
                                                      "",
                                                      "<second>/mypaint"},
                                           LookupCase{"ChosenPaintProgramByPath",
                                                      {"kolourpaint"},
                                                      {},
                                                      "<first>/elsewhere/paint",
                                                      "",
                                                      "<first>/elsewhere/paint"},
                                           LookupCase{"ChosenPaintProgramMissingIsKept",
                                                      {"kolourpaint"},
                                                      {},
                                                      "nosuchpaint",
                                                      "",
                                                      "nosuchpaint"}),
                         [](const auto& info) { return info.param.name; });

TEST(ProgramLookupTest, EmptySearchPathFindsNothing) {
    // An empty path must not fall back to the process's own PATH.
    const ProgramLookup lookup;
    EXPECT_EQ(FindTextEditor(lookup), QString());
    EXPECT_EQ(FindPaintProgram(lookup), QString());
}

// --- The help text -----------------------------------------------------------------------

class HelpTextTest : public ::testing::Test {
protected:
    static QString helpText() {
        return QString::fromUtf8(
            readAll(QStringLiteral(VORNIX_TEST_DATA "/../../resources/Vornix.txt")));
    }
};

TEST_F(HelpTextTest, EveryMenuCommandIsDescribedWithItsShortcut) {
    const QString text = helpText();
    ASSERT_FALSE(text.isEmpty());
    const QStringList lines = text.split(QLatin1Char('\n'));
    const std::vector<std::pair<QString, QString>> commands = {
        {"Open BMP Image...", "Ctrl+O"}, {"Open PXL Image...", "Ctrl+P"},
        {"Save as BMP...", "Ctrl+B"},    {"Save as PXL...", "Ctrl+S"},
        {"Load LCD", "Ctrl+L"},          {"Exit", "Ctrl+X"},
        {"Use Mask", "Ctrl+M"},          {"Size...", "no shortcut"},
        {"Image Info", "Ctrl+I"},        {"Zoom", "Ctrl+Z"},
        {"Help File", "no shortcut"},    {"Run MSPaint", "no shortcut"},
        {"About", "no shortcut"},
    };
    for (const auto& [command, shortcut] : commands) {
        const bool described = std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
            return line.contains(command) && line.contains(shortcut);
        });
        EXPECT_TRUE(described) << command.toStdString() << " with " << shortcut.toStdString();
    }
}

TEST_F(HelpTextTest, IsPlainTextWithLineFeedsThatFitsAnEditorWindow) {
    const QByteArray bytes =
        readAll(QStringLiteral(VORNIX_TEST_DATA "/../../resources/Vornix.txt"));
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_FALSE(bytes.contains('\r'));
    EXPECT_TRUE(bytes.endsWith('\n'));
    int lineNumber = 0;
    for (const QByteArray& line : bytes.split('\n')) {
        ++lineNumber;
        EXPECT_LE(line.size(), 80) << "line " << lineNumber;
        for (const char byte : line) {
            EXPECT_TRUE(byte >= 0x20 && byte < 0x7F) << "line " << lineNumber;
        }
    }
}

} // namespace
