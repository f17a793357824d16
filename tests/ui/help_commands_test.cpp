// The Help menu: help text, paint program, About box, and how the outside programs are found.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/working_files.h"
#include "dialogs/help_commands.h"
#include "dialogs/help_tools.h"
#include "support/fake_prompts.h"
#include "support/row_name.h"

// Readable failure output for texts and paths.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using vornix::app::AppState;
using vornix::app::MessageButtons;
using vornix::app::MessageIcon;
using vornix::dialogs::AboutText;
using vornix::dialogs::FindPaintProgram;
using vornix::dialogs::FindTextEditor;
using vornix::dialogs::HelpFileDirectory;
using vornix::dialogs::OpenHelpFile;
using vornix::dialogs::ProgramLookup;
using vornix::dialogs::ShowAbout;
using vornix::dialogs::StartPaintOnCopy;
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

void PrintTo(const HelpFileCase& row, std::ostream* out) {
    *out << row.name;
}

class HelpFileTest : public ::testing::TestWithParam<HelpFileCase> {};

TEST_P(HelpFileTest, StartsTheEditorOnTheHelpText) {
    const auto& row = GetParam();
    FakePrompts prompts;
    prompts.programsStart = row.programsStart;
    OpenHelpFile(prompts, row.editor, QStringLiteral("/opt/vornix dir/bin"));

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
    vornix::test::RowName);

// Help File as the window runs it, with real programs: the desktop opener is watched until it
// ends; when it is missing or fails (no viewer for text), the viewers found are tried in turn,
// and when none starts a box names the guide.
struct OpenerCase {
    std::string name;
    int openerExit;        // the opener's exit status; -1: there is no opener
    QStringList viewers;   // found viewers, by name
    bool viewersStart;     // whether starting a viewer succeeds
    QString startedViewer; // the viewer started; "" for none
    bool box;              // the "Can't find Notepad.exe" box came up
};

class HelpFileOpenerTest : public ::testing::TestWithParam<OpenerCase> {};

TEST_P(HelpFileOpenerTest, FallsBackWhenTheOpenerFails) {
    const OpenerCase& row = GetParam();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString helpFile = folder.filePath(QStringLiteral("Vornix.txt"));
    const QString opened = folder.filePath(QStringLiteral("opened"));
    QString opener;
    if (row.openerExit >= 0) {
        opener = folder.filePath(QStringLiteral("xdg-open"));
        writeFile(opener, "#!/bin/sh\nprintf '%s' \"$1\" > '" + QFile::encodeName(opened) +
                              "'\nexit " + QByteArray::number(row.openerExit) + "\n");
        ASSERT_TRUE(QFile::setPermissions(opener, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    QStringList viewers;
    for (const QString& viewer : row.viewers) {
        viewers.append(folder.filePath(viewer));
    }
    FakePrompts prompts;
    prompts.programsStart = row.viewersStart;
    auto* helpOpener = new vornix::dialogs::HelpFileOpener(prompts, opener, viewers);
    std::optional<bool> shown;
    QObject::connect(helpOpener, &vornix::dialogs::HelpFileOpener::finished,
                     [&shown](bool ok) { shown = ok; });
    helpOpener->open(helpFile);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.has_value(); }, 60'000));

    if (row.openerExit >= 0) {
        EXPECT_EQ(readAll(opened), QFile::encodeName(helpFile));
    }
    EXPECT_EQ(*shown, !row.box);
    if (row.startedViewer.isEmpty()) {
        EXPECT_TRUE(prompts.starts.empty() || !row.viewersStart);
    } else {
        ASSERT_FALSE(prompts.starts.empty());
        EXPECT_EQ(prompts.starts.back().program, folder.filePath(row.startedViewer));
        EXPECT_EQ(prompts.starts.back().arguments, QStringList{helpFile});
    }
    if (row.box) {
        expectFileError(prompts, QStringLiteral("Can't find Notepad.exe"));
        EXPECT_EQ(prompts.starts.size(), static_cast<size_t>(row.viewers.size()));
    } else {
        EXPECT_TRUE(prompts.messages.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Openers, HelpFileOpenerTest,
    ::testing::Values(
        OpenerCase{"OpenerShowsIt", 0, {QStringLiteral("mousepad")}, true, {}, false},
        OpenerCase{"OpenerHasNoViewer", 3, {QStringLiteral("mousepad"), QStringLiteral("gedit")},
                   true, QStringLiteral("mousepad"), false},
        OpenerCase{"OpenerActionFailed", 4, {QStringLiteral("kate")}, true, QStringLiteral("kate"),
                   false},
        OpenerCase{"NoOpener", -1, {QStringLiteral("xed")}, true, QStringLiteral("xed"), false},
        OpenerCase{"OpenerFailsAndNoViewerStarts", 3,
                   {QStringLiteral("mousepad"), QStringLiteral("gedit")}, false, {}, true},
        OpenerCase{"NothingAtAll", -1, {}, true, {}, true}),
    vornix::test::RowName);

// Where the help text is looked for: the program's folder (build tree, portable copy), then the
// documentation folder of an installed tree, laid out as `cmake --install` lays it out.
enum class GuideAt { Nowhere, ProgramDir, DocDir, Both, FolderNamedLikeGuide };

struct HelpDirCase {
    std::string name;
    GuideAt guide;
    QString expected; // relative to the installed prefix
};

void PrintTo(const HelpDirCase& row, std::ostream* out) {
    *out << row.name;
}

class HelpFileDirectoryTest : public ::testing::TestWithParam<HelpDirCase> {};

TEST_P(HelpFileDirectoryTest, PrefersTheProgramFolderThenTheInstalledGuide) {
    const auto& row = GetParam();
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    const QString doc = prefix.filePath(QStringLiteral("share/doc/vornix"));
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QDir().mkpath(doc));
    if (row.guide == GuideAt::ProgramDir || row.guide == GuideAt::Both) {
        writeFile(bin + QStringLiteral("/Vornix.txt"), "beside");
    }
    if (row.guide == GuideAt::DocDir || row.guide == GuideAt::Both ||
        row.guide == GuideAt::FolderNamedLikeGuide) {
        writeFile(doc + QStringLiteral("/Vornix.txt"), "installed");
    }
    if (row.guide == GuideAt::FolderNamedLikeGuide) {
        ASSERT_TRUE(QDir().mkpath(bin + QStringLiteral("/Vornix.txt")));
    }

    EXPECT_EQ(HelpFileDirectory(bin), prefix.filePath(row.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, HelpFileDirectoryTest,
    ::testing::Values(HelpDirCase{"BuildTree", GuideAt::ProgramDir, "bin"},
                      HelpDirCase{"Installed", GuideAt::DocDir, "share/doc/vornix"},
                      HelpDirCase{"OwnFolderFirst", GuideAt::Both, "bin"},
                      HelpDirCase{"DirectoryIsNoGuide", GuideAt::FolderNamedLikeGuide,
                                  "share/doc/vornix"},
                      HelpDirCase{"MissingEverywhere", GuideAt::Nowhere, "bin"}),
    vornix::test::RowName);

// The working files go beside the program only in a build tree or a personal copy, which hold
// the guide beside the program; never into an installed bin folder, even one root may write to.
struct WorkingDirCase {
    std::string name;
    GuideAt guide;
    bool beside;
};

void PrintTo(const WorkingDirCase& row, std::ostream* out) {
    *out << row.name;
}

class WorkingFilesPlaceTest : public ::testing::TestWithParam<WorkingDirCase> {};

TEST_P(WorkingFilesPlaceTest, BesideTheProgramOnlyInACopyOfItsOwn) {
    const auto& row = GetParam();
    QTemporaryDir program;
    ASSERT_TRUE(program.isValid());
    if (row.guide == GuideAt::ProgramDir) {
        writeFile(program.filePath(QStringLiteral("Vornix.txt")), "guide");
    } else if (row.guide == GuideAt::FolderNamedLikeGuide) {
        ASSERT_TRUE(QDir(program.path()).mkdir(QStringLiteral("Vornix.txt")));
    }
    EXPECT_EQ(vornix::app::WorkingFilesBesideProgram(program.path()), row.beside);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, WorkingFilesPlaceTest,
    ::testing::Values(WorkingDirCase{"BuildTreeOrPortableCopy", GuideAt::ProgramDir, true},
                      WorkingDirCase{"InstalledBinFolder", GuideAt::Nowhere, false},
                      WorkingDirCase{"DirectoryIsNoGuide", GuideAt::FolderNamedLikeGuide, false}),
    vornix::test::RowName);

// --- Run MSPaint -------------------------------------------------------------------------

enum class Argument { Copy, Empty, NotStarted };

struct PaintCase {
    std::string name;
    std::optional<QByteArray> workingBitmap; // nullopt: no picture opened yet
    QByteArray earlierCopy;                  // left by an earlier run ("" for none)
    bool copyWritable;
    QString program;
    bool programsStart;
    Argument argument;
    bool cannotStart;
};

void PrintTo(const PaintCase& row, std::ostream* out) {
    *out << row.name;
}

class HelpPaintTest : public ::testing::TestWithParam<PaintCase> {};

TEST_P(HelpPaintTest, StartsThePaintProgramOnACopy) {
    const auto& row = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    AppState state;
    state.TempBMPFile = dir.filePath(QStringLiteral("~LCDbmp.tmp"));
    state.UntitledFile = dir.filePath(row.copyWritable ? QStringLiteral("untitled.")
                                                       : QStringLiteral("gone/untitled."));
    state.PaintProgram = row.program;
    if (row.workingBitmap) {
        writeFile(state.TempBMPFile, *row.workingBitmap);
    }
    if (!row.earlierCopy.isEmpty()) {
        writeFile(state.UntitledFile, row.earlierCopy);
    }
    FakePrompts prompts;
    prompts.programsStart = row.programsStart;
    StartPaintOnCopy(prompts, state);

    if (row.argument == Argument::NotStarted) {
        EXPECT_TRUE(prompts.starts.empty());
    } else {
        ASSERT_EQ(prompts.starts.size(), 1u);
        EXPECT_EQ(prompts.starts[0].program, row.program);
        const QString expected = row.argument == Argument::Copy ? state.UntitledFile : QString();
        EXPECT_EQ(prompts.starts[0].arguments, QStringList{expected});
    }
    if (row.cannotStart) {
        expectFileError(prompts, QStringLiteral("Can't find MSPaint.exe"));
    } else {
        EXPECT_TRUE(prompts.messages.empty()) << "a failed copy is not reported";
    }
    // The copy is made before the start, whether or not the start works.
    if (row.workingBitmap && row.copyWritable) {
        EXPECT_EQ(readAll(state.UntitledFile), *row.workingBitmap);
        EXPECT_EQ(readAll(state.TempBMPFile), *row.workingBitmap);
    } else if (row.copyWritable) {
        EXPECT_EQ(readAll(state.UntitledFile), row.earlierCopy);
    }
}

// Large enough to be copied in several pieces.
const QByteArray kBitmap = QByteArray("BM") + QByteArray(150 * 1024, '\x5A') + "end";
const QString kPaint = QStringLiteral("/usr/bin/paint-stand-in");

INSTANTIATE_TEST_SUITE_P(
    Copies, HelpPaintTest,
    ::testing::Values(
        // A longer earlier copy must not leave its tail behind the new one.
        PaintCase{"ReplacesEarlierCopy", kBitmap, QByteArray(200 * 1024, 'A'), true, kPaint, true,
                  Argument::Copy, false},
        PaintCase{"NoWorkingBitmap", std::nullopt, {}, true, kPaint, true, Argument::Empty, false},
        PaintCase{"NoWorkingBitmapKeepsEarlierCopy", std::nullopt, "old", true, kPaint, true,
                  Argument::Empty, false},
        PaintCase{"CopyCannotBeWritten", kBitmap, {}, false, kPaint, true, Argument::Empty, false},
        PaintCase{"CannotStart", kBitmap, {}, true, kPaint, false, Argument::Copy, true},
        PaintCase{"NoPaintProgram", kBitmap, {}, true, "", true, Argument::NotStarted, true}),
    vornix::test::RowName);

// --- About -------------------------------------------------------------------------------

TEST(HelpAboutTest, ShowsFiveLinesWithTheVersion) {
    FakePrompts prompts;
    ShowAbout(prompts);
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

// Two folders of a search path, "1" and "2", each holding the programs listed for it
// (blank-separated); a name ending in "-" is created without permission to run. Expected
// programs are written as "<folder>/<name>".
struct LookupCase {
    std::string name;
    QString first;
    QString second;
    QString paintOverride;
    QString editor;
    QString paint;
};

void PrintTo(const LookupCase& row, std::ostream* out) {
    *out << row.name;
}

class ProgramLookupTest : public ::testing::TestWithParam<LookupCase> {
protected:
    void populate(const QString& folder, const QString& programs) {
        ASSERT_TRUE(QDir(m_root.path()).mkpath(folder));
        for (QString program : programs.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const bool runnable = !program.endsWith(QLatin1Char('-'));
            if (!runnable) {
                program.chop(1);
            }
            QFile file(QDir(m_root.filePath(folder)).filePath(program));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
            if (runnable) {
                permissions |= QFileDevice::ExeOwner;
            }
            ASSERT_TRUE(file.setPermissions(permissions));
        }
    }
    QString expand(const QString& text) const {
        return text.isEmpty() || text.startsWith(QLatin1Char('/')) || !text.contains('/')
                   ? text
                   : m_root.filePath(text);
    }

    QTemporaryDir m_root;
};

TEST_P(ProgramLookupTest, FindsTheFirstListedProgram) {
    const auto& row = GetParam();
    populate(QStringLiteral("1"), row.first);
    populate(QStringLiteral("2"), row.second);
    ProgramLookup lookup;
    lookup.searchPath = {m_root.filePath(QStringLiteral("1")),
                         m_root.filePath(QStringLiteral("2"))};
    lookup.paintOverride = expand(row.paintOverride);

    EXPECT_EQ(FindTextEditor(lookup), expand(row.editor));
    EXPECT_EQ(FindPaintProgram(lookup), expand(row.paint));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Folders, ProgramLookupTest, ::testing::Values(
    LookupCase{"NothingInstalled", "", "", "", "", ""},
    LookupCase{"OpenerBeforeEditors", "gedit mtpaint", "xdg-open gimp", "", "2/xdg-open", "1/mtpaint"},
    LookupCase{"ListOrderBeatsFolderOrder", "gnome-text-editor krita", "mousepad kolourpaint", "",
               "2/mousepad", "2/kolourpaint"},
    LookupCase{"NotRunnableIsSkipped", "xdg-open- kolourpaint-", "kate pinta", "", "2/kate", "2/pinta"},
    LookupCase{"ChosenPaintByName", "kolourpaint", "mypaint", "mypaint", "", "2/mypaint"},
    LookupCase{"ChosenPaintByPath", "kolourpaint", "", "1/elsewhere/paint", "", "1/elsewhere/paint"},
    LookupCase{"ChosenPaintMissingIsKept", "kolourpaint", "", "nosuchpaint", "", "nosuchpaint"}),
    vornix::test::RowName);
// clang-format on

TEST(ProgramLookupEmptyTest, EmptySearchPathFindsNothing) {
    // An empty path must not fall back to the process's own PATH.
    const ProgramLookup lookup;
    EXPECT_EQ(FindTextEditor(lookup), QString());
    EXPECT_EQ(FindPaintProgram(lookup), QString());
}

// --- The help text -----------------------------------------------------------------------

// The guide is shipped with line feeds only, in printable UTF-8 (it quotes the program's texts
// exactly, dashes and degree signs included), at most 80 columns, and describes
// every menu command with its shortcut.
TEST(HelpTextTest, DescribesEveryMenuCommandInPlainText) {
    const QByteArray bytes =
        readAll(QStringLiteral(VORNIX_TEST_DATA "/../../resources/Vornix.txt"));
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_TRUE(bytes.endsWith('\n'));
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines[i]);
        const bool plain = std::all_of(line.begin(), line.end(), [](QChar c) {
            return c.unicode() >= 0x20 && c.unicode() != 0x7F && c != QChar::ReplacementCharacter;
        });
        EXPECT_TRUE(plain && line.size() <= 80) << "line " << i + 1;
    }
    const std::vector<std::pair<const char*, const char*>> commands = {
        {"Open BMP Image...", "Ctrl+O"}, {"Open PXL Image...", "Ctrl+P"},
        {"Save as BMP...", "Ctrl+B"},    {"Save as PXL...", "Ctrl+S"},
        {"Load LCD", "Ctrl+L"},          {"Exit", "Ctrl+X"},
        {"Use Mask", "Ctrl+M"},          {"Size...", "no shortcut"},
        {"Image Info", "Ctrl+I"},        {"Zoom", "Ctrl+Z"},
        {"Help File", "no shortcut"},    {"Run MSPaint", "no shortcut"},
        {"About", "no shortcut"},
    };
    for (const auto& [command, shortcut] : commands) {
        const bool described = std::any_of(lines.begin(), lines.end(), [&](const QByteArray& line) {
            return line.contains(command) && line.contains(shortcut);
        });
        EXPECT_TRUE(described) << command << " with " << shortcut;
    }
}

} // namespace
