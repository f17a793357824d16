// The user guide and the manual pages name every command a user can reach: each caption of the
// real main window's menus, each vornix-cli command, option and option value from its usage
// text, and each vornix-lcdsim option from its own.
#include <QAction>
#include <QFile>
#include <QImageReader>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "app/app_state.h"
#include "app/lcd_form.h"
#include "support/fake_prompts.h"
#include "support/row_name.h"

namespace {

// A caption with its shortcut ("" for none), as the user reads them in the menu.
struct MenuEntry {
    QString caption;
    QString shortcut;
};

QString readText(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}

// A manual page's text with roff's escapes for hyphens, dashes and fonts resolved, so that
// "\-\-fit" reads as "--fit" and "\fBborder\fP" as "border".
QString manualText(const QString& path) {
    QString text = readText(path);
    text.replace(QStringLiteral("\\-"), QStringLiteral("-"));
    text.replace(QStringLiteral("\\(em"), QStringLiteral("\u2014"));
    text.remove(QRegularExpression(QStringLiteral(R"(\\f[BIRP]|\\&|\\c)")));
    return text;
}

QString withoutMnemonic(QString caption) {
    return caption.remove(QLatin1Char('&'));
}

void collectMenu(const QMenu* menu, QList<MenuEntry>& entries) {
    entries.push_back({withoutMnemonic(menu->title()), QString()});
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            continue;
        }
        if (action->menu() != nullptr) {
            collectMenu(action->menu(), entries);
            continue;
        }
        entries.push_back({withoutMnemonic(action->text()), action->shortcut().toString()});
    }
}

// Every menu, submenu and command of the real main window.
QList<MenuEntry> menuEntries() {
    QTemporaryDir programDir;
    vornix::app::AppState state;
    vornix::test::FakePrompts prompts;
    vornix::app::LCDForm form(state, prompts, vornix::app::LCDFormOptions{programDir.path()});
    QList<MenuEntry> entries;
    for (const QAction* action : form.menuBar()->actions()) {
        collectMenu(action->menu(), entries);
    }
    return entries;
}

QString usageOf(const QString& program, const QStringList& args = {QStringLiteral("--help")}) {
    QProcess process;
    process.start(QStringLiteral(VORNIX_BIN_DIR "/") + program, args);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList uniqueMatches(const QString& text, const QString& pattern, int group = 0) {
    QStringList found;
    auto it = QRegularExpression(pattern).globalMatch(text);
    while (it.hasNext()) {
        const QString match = it.next().captured(group);
        if (!found.contains(match)) {
            found << match;
        }
    }
    return found;
}

// vornix-cli's commands ("vornix-cli convert"), options ("--fit") and the values an option or
// argument takes ("stretch", "bayer8", "ruler"); placeholders such as N are left out.
QStringList cliTerms() {
    const QString cli = QStringLiteral("vornix-cli");
    QString usage = usageOf(cli);
    // The overview lists the commands; each command's own help gives its options and values.
    const QRegularExpression command(QStringLiteral(R"(^  ([a-z]+) )"),
                                     QRegularExpression::MultilineOption);
    for (auto it = command.globalMatch(usageOf(cli)); it.hasNext();) {
        const QString name = it.next().captured(1);
        if (name != QStringLiteral("help")) {
            usage += usageOf(cli, {QStringLiteral("help"), name});
        }
    }
    QStringList terms = uniqueMatches(usage, QStringLiteral(R"(vornix-cli [a-z]+)"));
    terms << uniqueMatches(usage, QStringLiteral(R"(--[a-z][a-z-]*)"));
    for (const QString& choice : uniqueMatches(usage, QStringLiteral(R"(\w+(\|\w+)+)"))) {
        for (const QString& value : choice.split(QLatin1Char('|'))) {
            if (value != value.toUpper() || value.front().isDigit()) {
                terms << value;
            }
        }
    }
    terms.removeDuplicates();
    return terms;
}

QStringList lcdsimTerms() {
    return uniqueMatches(usageOf(QStringLiteral("vornix-lcdsim")),
                         QStringLiteral(R"((?<![\w-])(--?[a-z][a-z-]*))"), 1);
}

bool containsWord(const QString& text, const QString& word) {
    const QString pattern = QStringLiteral(R"((?<![\w-]))") + QRegularExpression::escape(word) +
                            QStringLiteral(R"((?![\w-]))");
    return text.contains(QRegularExpression(pattern));
}

QString guideText() {
    return readText(QStringLiteral(VORNIX_GUIDE));
}

QString manual(const char* name) {
    return manualText(QStringLiteral(VORNIX_MANUALS "/") + QString::fromLatin1(name));
}

// A document and the terms it must hold.
struct CoverageCase {
    std::string name;
    QString (*document)();
    QStringList (*terms)();
};

QStringList menuCaptions() {
    QStringList captions;
    for (const MenuEntry& entry : menuEntries()) {
        captions << entry.caption;
    }
    return captions;
}

void PrintTo(const CoverageCase& row, std::ostream* out) {
    *out << row.name;
}

class DocumentCoverageTest : public ::testing::TestWithParam<CoverageCase> {};

TEST_P(DocumentCoverageTest, NamesEveryTerm) {
    const CoverageCase& row = GetParam();
    const QString text = row.document();
    const QStringList terms = row.terms();
    ASSERT_FALSE(text.isEmpty());
    ASSERT_FALSE(terms.isEmpty());
    for (const QString& term : terms) {
        EXPECT_TRUE(containsWord(text, term))
            << row.name << " does not mention " << term.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Documents, DocumentCoverageTest,
    ::testing::Values(
        CoverageCase{"GuideMenus", &guideText, &menuCaptions},
        CoverageCase{"GuideCommandLine", &guideText, &cliTerms},
        CoverageCase{"GuideSimulator", &guideText, &lcdsimTerms},
        CoverageCase{"ManualVornix", [] { return manual("vornix.1"); }, &menuCaptions},
        CoverageCase{"ManualVornixCli", [] { return manual("vornix-cli.1"); }, &cliTerms},
        CoverageCase{"ManualVornixLcdsim", [] { return manual("vornix-lcdsim.1"); }, &lcdsimTerms}),
    vornix::test::RowName);

// The guide's table of commands gives each shortcut on the line of its command.
TEST(GuideShortcuts, EachShortcutStandsBesideItsCommand) {
    const QStringList lines = guideText().split(QLatin1Char('\n'));
    int withShortcut = 0;
    for (const MenuEntry& entry : menuEntries()) {
        if (entry.shortcut.isEmpty()) {
            continue;
        }
        ++withShortcut;
        bool found = false;
        for (const QString& line : lines) {
            found = found || (line.contains(entry.caption) && containsWord(line, entry.shortcut));
        }
        EXPECT_TRUE(found) << entry.caption.toStdString() << " with "
                           << entry.shortcut.toStdString();
    }
    EXPECT_GE(withShortcut, 10); // the window really has its shortcuts
}

// The picture formats a list names: its words in capitals ("PNG", "JPEG"), so that "BMP of any
// colour depth" and "PBM/PGM/PPM" count as BMP, PBM, PGM and PPM.
QStringList formatsIn(const QString& list) {
    QStringList formats = uniqueMatches(list, QStringLiteral(R"(\b[A-Z]{3,4}\b)"));
    formats.sort();
    return formats;
}

// The lists of Import Picture's formats in the guide (the photo task and the File menu) and in
// the README name the same formats, and the window reads every one of them.
TEST(GuideImportFormats, ListsNameWhatTheWindowReads) {
    QList<QStringList> lists;
    for (auto it = QRegularExpression(QStringLiteral(R"(Vornix\s+reads\s+\(?(PNG[^;)]*))"))
                       .globalMatch(guideText());
         it.hasNext();) {
        lists << formatsIn(it.next().captured(1));
    }
    ASSERT_EQ(lists.size(), 2);
    const QRegularExpressionMatch readme =
        QRegularExpression(QStringLiteral(R"(the program can read \(([^;)]*))"))
            .match(readText(QStringLiteral(VORNIX_README)));
    ASSERT_TRUE(readme.hasMatch());
    lists << formatsIn(readme.captured(1));
    const auto named = [&lists](int i) { return lists[i].join(QLatin1Char(' ')).toStdString(); };
    EXPECT_EQ(named(1), named(0));
    EXPECT_EQ(named(2), named(0));
    EXPECT_GE(lists[0].size(), 8);
    const QList<QByteArray> readable = QImageReader::supportedImageFormats();
    for (const QString& format : lists[0]) {
        EXPECT_TRUE(readable.contains(format.toLower().toLatin1())) << format.toStdString();
    }
}

// Each section about a program lists that program's every option, --version included.
TEST(GuideSections, SimulatorSectionListsEveryOption) {
    const QString guide = guideText();
    const qsizetype start = guide.indexOf(QStringLiteral("\n24. VORNIX-LCDSIM"));
    const qsizetype end = guide.indexOf(QStringLiteral("\n25. "), start);
    ASSERT_GT(start, 0);
    ASSERT_GT(end, start);
    const QString section = guide.mid(start, end - start);
    for (const QString& term : lcdsimTerms()) {
        EXPECT_TRUE(containsWord(section, term)) << term.toStdString();
    }
}

} // namespace
