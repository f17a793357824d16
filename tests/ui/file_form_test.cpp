// The file window driven as a user drives it: real widgets, real directories, QTest input.
#include <functional>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/app_state.h"
#include "dialogs/file_form.h"
#include "dialogs/file_form_dir_delegate.h"
#include "dialogs/file_form_dir_list.h"
#include "dialogs/file_form_drive_list.h"
#include "dialogs/file_form_file_list.h"
#include "dialogs/file_form_names.h"
#include "dialogs/file_form_path_label.h"
#include "support/control.h"
#include "support/row_name.h"

// Readable failure output for texts.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

using vornix::app::AppState;
using vornix::dialogs::FileForm;
using vornix::dialogs::FileFormDirDelegate;
using vornix::dialogs::FileFormDirList;
using vornix::dialogs::FileFormDriveList;
using vornix::dialogs::FileFormFileList;

namespace {

// A directory with pictures, PXL files, other files and subdirectories in mixed letter case.
class FileFormTest : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        for (const char* name : {"a.bmp", "B.BMP", "c.Jpg", "d.gif", "e.pxl", "F.PXL", "g.txt",
                                 "README", ".hidden.bmp", "sub1/in.pxl", "sub1/in.bmp"}) {
            QDir().mkpath(QFileInfo(path(name)).path());
            QFile file(path(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        ASSERT_TRUE(QDir(root()).mkpath("Sub2"));
        ASSERT_TRUE(QDir(root()).mkpath(".cache"));
        m_savedCurrent = QDir::currentPath();
    }
    void TearDown() override { QDir::setCurrent(m_savedCurrent); }

    QString root() const { return QDir::cleanPath(m_dir.path()); }
    QString path(const QString& name) const { return root() + "/" + name; }

    template <typename T> static T* control(FileForm& form, const char* name) {
        return &vornix::test::control<T>(form, name);
    }

    static QStringList fileNames(FileForm& form) {
        QStringList names;
        auto* list = control<FileFormFileList>(form, "FileList");
        for (int i = 0; i < list->count(); ++i) {
            names << list->item(i)->text();
        }
        return names;
    }

    static QPoint rowCentre(QListWidget* list, const QString& text) {
        const auto items = list->findItems(text, Qt::MatchExactly);
        EXPECT_EQ(items.size(), 1) << text.toStdString();
        return items.isEmpty() ? QPoint() : list->visualItemRect(items.front()).center();
    }

    // A user's double-click: a press and release, then a second press that the system
    // reports as a double-click.
    static void doubleClickRow(QListWidget* list, const QString& text) {
        const QPoint at = rowCentre(list, text);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    // Picks a volume in the drive list as the user does.
    static void chooseVolume(FileFormDriveList* drives, const QString& root) {
        const int index = static_cast<int>(drives->drives().indexOf(root));
        ASSERT_GE(index, 0);
        drives->setCurrentIndex(index);
        emit drives->activated(index);
    }

    // Shows the window modally, runs the user's action inside it and returns when it closed.
    // A window that the action leaves open is closed after a while and fails the test.
    static void runModal(FileForm& form, const std::function<void()>& action) {
        QTimer::singleShot(0, &form, action);
        QTimer::singleShot(20000, &form, [&form] {
            ADD_FAILURE() << "the window did not close";
            form.done(99);
        });
        form.exec();
    }

    AppState m_state;
    QTemporaryDir m_dir;
    QString m_savedCurrent;
};

enum class PathAfter { Listed, Empty, Kept };

struct OutcomeCase {
    const char* how;
    std::function<void(FileForm&)> action;
    const char* fileName;
    PathAfter filePath;
};

void PrintTo(const OutcomeCase& row, std::ostream* out) {
    *out << row.how;
}

class FileFormOutcomeTest : public FileFormTest,
                            public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(FileFormOutcomeTest, LeavesNameAndPathForTheCaller) {
    const OutcomeCase& row = GetParam();
    m_state.FileName = "proposed.PXL";
    m_state.FilePath = root() + "/./";
    FileForm form(m_state, "PXLS", nullptr);
    runModal(form, [&] { row.action(form); });

    EXPECT_EQ(m_state.FileName, QString::fromLatin1(row.fileName)) << row.how;
    const QString expectedPath = row.filePath == PathAfter::Listed  ? root()
                                 : row.filePath == PathAfter::Empty ? QString()
                                                                    : root() + "/./";
    EXPECT_EQ(m_state.FilePath, expectedPath) << row.how;
}

void escapeWithoutCancelButton(FileForm& form) {
    FileFormTest::control<QPushButton>(form, "FileCmd1")->setEnabled(false);
    QTest::keyClick(FileFormTest::control<QLineEdit>(form, "FileText"), Qt::Key_Escape);
}

void doubleClickFile(FileForm& form) {
    FileFormTest::doubleClickRow(FileFormTest::control<FileFormFileList>(form, "FileList"),
                                 "F.PXL");
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, FileFormOutcomeTest,
    ::testing::Values(
        OutcomeCase{"OK",
                    [](FileForm& f) {
                        QTest::mouseClick(FileFormTest::control<QPushButton>(f, "FileCmd0"),
                                          Qt::LeftButton);
                    },
                    "proposed.PXL", PathAfter::Listed},
        OutcomeCase{"Enter in the name box",
                    [](FileForm& f) {
                        auto* text = FileFormTest::control<QLineEdit>(f, "FileText");
                        text->setText("typed name.txt");
                        QTest::keyClick(text, Qt::Key_Return);
                    },
                    "typed name.txt", PathAfter::Listed},
        OutcomeCase{"double-click on a file", doubleClickFile, "F.PXL", PathAfter::Listed},
        OutcomeCase{"Cancel",
                    [](FileForm& f) {
                        QTest::mouseClick(FileFormTest::control<QPushButton>(f, "FileCmd1"),
                                          Qt::LeftButton);
                    },
                    "~CANCEL", PathAfter::Empty},
        OutcomeCase{"Escape taken by Cancel",
                    [](FileForm& f) {
                        QTest::keyClick(FileFormTest::control<FileFormDirList>(f, "FileDir"),
                                        Qt::Key_Escape);
                    },
                    "~CANCEL", PathAfter::Empty},
        OutcomeCase{"Escape reaching the form", escapeWithoutCancelButton, "~CANCEL",
                    PathAfter::Kept},
        OutcomeCase{"Form_KeyDown with Escape", [](FileForm& f) { f.Form_KeyDown(27, 0); },
                    "~CANCEL", PathAfter::Kept},
        OutcomeCase{"close box", [](FileForm& f) { f.close(); }, "~CANCEL", PathAfter::Kept}),
    vornix::test::RowNameFrom<&OutcomeCase::how>);

TEST_F(FileFormTest, EscapeCancelsWhicheverControlHasTheFocus) {
    for (const char* name :
         {"FileText", "FileList", "PatternList", "FileDir", "FileDrive", "FileCmd0"}) {
        m_state.FileName = "proposed";
        m_state.FilePath = root();
        FileForm form(m_state, "BMPO", nullptr);
        runModal(form, [&] {
            QWidget* focus = control<QWidget>(form, name);
            focus->setFocus();
            QTest::keyClick(focus, Qt::Key_Escape);
        });
        EXPECT_EQ(m_state.FileName, "~CANCEL") << name;
        EXPECT_EQ(m_state.FilePath, "") << name;
    }
}

TEST_F(FileFormTest, OtherKeysReachingTheFormAreIgnored) {
    m_state.FilePath = root();
    FileForm form(m_state, "BMPO", nullptr);
    form.show();
    form.Form_KeyDown(13, 0);
    form.Form_KeyDown(27 + 256, 0);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(m_state.FileName, "");
}

struct RequestCase {
    const char* code;
    const char* caption;
    int filter;
    QStringList files;
};

void PrintTo(const RequestCase& row, std::ostream* out) {
    *out << row.code;
}

class FileFormRequestTest : public FileFormTest,
                            public ::testing::WithParamInterface<RequestCase> {};

TEST_P(FileFormRequestTest, CaptionFilterAndListingFollowTheRequest) {
    const RequestCase& row = GetParam();
    m_state.FilePath = root();
    FileForm form(m_state, row.code, nullptr);
    form.show();
    EXPECT_EQ(form.windowTitle(), row.caption);
    EXPECT_EQ(control<QComboBox>(form, "PatternList")->currentIndex(), row.filter);
    EXPECT_EQ(fileNames(form), row.files);
}

const QStringList kPictures{"a.bmp", "B.BMP", "c.Jpg", "d.gif"};
const QStringList kPxl{"e.pxl", "F.PXL"};
const QStringList kAll{"a.bmp", "B.BMP", "c.Jpg", "d.gif", "e.pxl", "F.PXL", "g.txt", "README"};

INSTANTIATE_TEST_SUITE_P(
    Requests, FileFormRequestTest,
    ::testing::Values(RequestCase{"BMPO", "File Management - OPEN FILE", 0, kPictures},
                      RequestCase{"BMPS", "File Management - SAVE FILE", 0, kPictures},
                      RequestCase{"PXLO", "File Management - OPEN FILE", 1, kPxl},
                      RequestCase{"PXLS", "File Management - SAVE FILE", 1, kPxl},
                      RequestCase{"BMP", "File Management", 0, kPictures},
                      RequestCase{"TXTO", "File Management - OPEN FILE", 2, kAll},
                      RequestCase{"", "File Management", 2, kAll}),
    vornix::test::RowNameFrom<&RequestCase::code>);

TEST_F(FileFormTest, DirectoryChangeWritesThePatternButFilterChangeKeepsTheBox) {
    m_state.FileName = "clock.BMP";
    m_state.FilePath = root();
    FileForm form(m_state, "BMPS", nullptr);
    form.show();
    auto* text = control<QLineEdit>(form, "FileText");
    EXPECT_EQ(text->text(), "clock.BMP");

    auto* dirs = control<FileFormDirList>(form, "FileDir");
    doubleClickRow(dirs, "sub1");
    EXPECT_EQ(dirs->path(), path("sub1"));
    EXPECT_EQ(control<QLabel>(form, "FileFormLabel2")->text(), path("sub1"));
    EXPECT_EQ(text->text(), "*.BMP;*.JPG;*.GIF");
    EXPECT_EQ(fileNames(form), QStringList{"in.bmp"});

    text->setText("mine");
    control<QComboBox>(form, "PatternList")->setCurrentIndex(1);
    EXPECT_EQ(text->text(), "mine");
    EXPECT_EQ(fileNames(form), QStringList{"in.pxl"});

    QTest::mouseClick(control<QPushButton>(form, "FileCmd0"), Qt::LeftButton);
    EXPECT_EQ(m_state.FileName, "mine");
    EXPECT_EQ(m_state.FilePath, path("sub1"));
}

TEST_F(FileFormTest, DirectoryListShowsParentsThenVisibleSubdirectories) {
    m_state.FilePath = root();
    FileForm form(m_state, "BMPO", nullptr);
    form.show();
    auto* dirs = control<FileFormDirList>(form, "FileDir");
    const int parents = static_cast<int>(root().count('/')) + 1;
    ASSERT_EQ(dirs->count(), parents + 2);
    EXPECT_EQ(dirs->item(0)->text(), "/");
    EXPECT_EQ(dirs->item(parents - 1)->text(), QFileInfo(root()).fileName());
    EXPECT_EQ(dirs->item(parents)->text(), "sub1");
    EXPECT_EQ(dirs->item(parents + 1)->text(), "Sub2");
    EXPECT_EQ(dirs->currentRow(), parents - 1);

    // Opening a parent moves every list there.
    doubleClickRow(dirs, "/");
    EXPECT_EQ(dirs->path(), "/");
    EXPECT_EQ(control<FileFormFileList>(form, "FileList")->path(), "/");
}

TEST_F(FileFormTest, DirectoryRemovedWhileShownIsRefusedAndTheListStays) {
    m_state.FileName = "kept";
    m_state.FilePath = root();
    ASSERT_TRUE(QDir(root()).mkpath("Sub3"));
    FileForm form(m_state, "BMPO", nullptr);
    form.show();
    ASSERT_TRUE(QDir(path("Sub2")).removeRecursively());
    auto* dirs = control<FileFormDirList>(form, "FileDir");
    doubleClickRow(dirs, "Sub2");
    EXPECT_EQ(dirs->path(), root());
    EXPECT_EQ(dirs->currentItem()->text(), QFileInfo(root()).fileName()); // highlight stays
    EXPECT_EQ(control<QLineEdit>(form, "FileText")->text(), "kept");
    EXPECT_TRUE(form.isVisible());

    // The same by keys: the entry highlighted, Enter.
    ASSERT_TRUE(QDir(path("Sub3")).removeRecursively());
    dirs->setCurrentItem(dirs->findItems("Sub3", Qt::MatchExactly).front());
    QTest::keyClick(dirs, Qt::Key_Return);
    EXPECT_EQ(dirs->path(), root());
    EXPECT_EQ(dirs->currentItem()->text(), QFileInfo(root()).fileName());
}

TEST_F(FileFormTest, FileClickNamesTheFileAndFocusByMouseAloneDoesNot) {
    m_state.FileName = "kept";
    m_state.FilePath = root();
    FileForm form(m_state, "PXLO", nullptr);
    form.show();
    auto* list = control<FileFormFileList>(form, "FileList");
    list->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(control<QLineEdit>(form, "FileText")->text(), "kept");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(list, "e.pxl"));
    EXPECT_EQ(control<QLineEdit>(form, "FileText")->text(), "e.pxl");
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(control<QLineEdit>(form, "FileText")->text(), "F.PXL");
}

TEST_F(FileFormTest, TabbingIntoTheFileListSelectsItsFirstFile) {
    m_state.FileName = "kept";
    m_state.FilePath = root();
    FileForm form(m_state, "PXLO", nullptr);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    auto* text = control<QLineEdit>(form, "FileText");
    text->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(text, Qt::Key_Tab);
    auto* list = control<FileFormFileList>(form, "FileList");
    ASSERT_EQ(QApplication::focusWidget(), list);
    EXPECT_EQ(list->fileName(), "e.pxl");
    EXPECT_EQ(text->text(), "e.pxl");
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(text->text(), "F.PXL");

    // Coming back keeps the file chosen.
    text->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(text, Qt::Key_Tab);
    EXPECT_EQ(list->fileName(), "F.PXL");
}

struct ProposedNameCase {
    const char* proposed;
    const char* selected;
    const char* afterTyping; // after typing "x"
};

void PrintTo(const ProposedNameCase& row, std::ostream* out) {
    *out << row.proposed;
}

class FileFormProposedNameTest : public FileFormTest,
                                 public ::testing::WithParamInterface<ProposedNameCase> {};

TEST_P(FileFormProposedNameTest, TypingReplacesTheNameAndKeepsTheExtension) {
    m_state.FileName = GetParam().proposed;
    m_state.FilePath = root();
    FileForm form(m_state, "PXLS", nullptr);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    auto* text = control<QLineEdit>(form, "FileText");
    ASSERT_EQ(QApplication::focusWidget(), text);
    EXPECT_EQ(text->selectedText(), GetParam().selected);
    QTest::keyClicks(QApplication::focusWidget(), "x");
    EXPECT_EQ(text->text(), GetParam().afterTyping);
}

INSTANTIATE_TEST_SUITE_P(Names, FileFormProposedNameTest,
                         ::testing::Values(ProposedNameCase{"clock.PXL", "clock", "x.PXL"},
                                           ProposedNameCase{"a.b.PXL", "a.b", "x.PXL"},
                                           ProposedNameCase{"noext", "noext", "x"},
                                           ProposedNameCase{"", "", "x"}),
                         vornix::test::RowNameFrom<&ProposedNameCase::proposed>);

struct StartCase {
    const char* what;
    const char* filePath; // relative to the test directory; nullptr for ""
};

void PrintTo(const StartCase& row, std::ostream* out) {
    *out << row.what;
}

class FileFormStartTest : public FileFormTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(FileFormStartTest, StartsInTheCurrentDirectory) {
    ASSERT_TRUE(QDir::setCurrent(path("Sub2")));
    const char* given = GetParam().filePath;
    m_state.FilePath = given == nullptr ? QString() : path(given);
    m_state.FileName = "";
    FileForm form(m_state, "BMPO", nullptr);
    form.show();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(control<FileFormDirList>(form, "FileDir")->path(), path("Sub2"));
    EXPECT_EQ(control<FileFormFileList>(form, "FileList")->path(), path("Sub2"));
    EXPECT_TRUE(path("Sub2").startsWith(control<FileFormDriveList>(form, "FileDrive")->drive()));
    EXPECT_EQ(control<QLineEdit>(form, "FileText")->text(), "");

    QTest::mouseClick(control<QPushButton>(form, "FileCmd0"), Qt::LeftButton);
    EXPECT_EQ(m_state.FileName, "");
    EXPECT_EQ(m_state.FilePath, path("Sub2"));
}

INSTANTIATE_TEST_SUITE_P(Starts, FileFormStartTest,
                         ::testing::Values(StartCase{"no start directory", nullptr},
                                           StartCase{"a directory that has gone", "gone/away"},
                                           StartCase{"a file, not a directory", "a.bmp"}),
                         vornix::test::RowNameFrom<&StartCase::what>);

TEST_F(FileFormTest, VolumesKeepInStepWithTheDirectoryList) {
    m_state.FilePath = root();
    FileForm form(m_state, "BMPO", nullptr);
    auto* drives = control<FileFormDriveList>(form, "FileDrive");
    drives->setVolumes({"/", path("sub1"), path("no medium")});
    form.show();
    auto* dirs = control<FileFormDirList>(form, "FileDir");
    EXPECT_EQ(drives->drive(), "/");

    // Choosing a volume shows its root; the directory list follows.
    chooseVolume(drives, path("sub1"));
    EXPECT_EQ(dirs->path(), path("sub1"));
    EXPECT_EQ(control<QLineEdit>(form, "FileText")->text(), "*.BMP;*.JPG;*.GIF");

    // Climbing out of a volume moves the drive list back; entering it again does not jump.
    doubleClickRow(dirs, QFileInfo(root()).fileName());
    EXPECT_EQ(drives->drive(), "/");
    doubleClickRow(dirs, "Sub2");
    EXPECT_EQ(dirs->path(), path("Sub2"));
    EXPECT_EQ(drives->drive(), "/");

    // A volume that cannot be read falls back to the current directory; the window stays.
    ASSERT_TRUE(QDir::setCurrent(root()));
    chooseVolume(drives, path("no medium"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(dirs->path(), root());
    EXPECT_EQ(drives->drive(), "/");
    EXPECT_EQ(drives->currentIndex(), 0);
}

TEST_F(FileFormTest, ControlsSitAtTheirPlacesWithTheirCaptions) {
    FileForm form(m_state, "BMPO", nullptr);
    EXPECT_EQ(form.minimumSize(), QSize(491, 215));
    EXPECT_EQ(form.maximumSize(), QSize(491, 215));
    const std::vector<std::tuple<const char*, QRect, const char*>> rows{
        {"FileFormLabel0", {200, 8, 97, 17}, "File &Name:"},
        {"FileText", {200, 24, 193, 19}, nullptr},
        {"FileList", {200, 48, 193, 119}, nullptr},
        {"FileFormLabel4", {200, 168, 137, 17}, "Display File &Types:"},
        {"PatternList", {200, 184, 193, 21}, nullptr},
        {"FileFormLabel1", {16, 8, 97, 17}, "&Directories"},
        {"FileFormLabel2", {16, 24, 177, 33}, nullptr},
        {"FileDir", {16, 57, 169, 111}, nullptr},
        {"FileFormLabel3", {16, 168, 97, 17}, "Dri&ves:"},
        {"FileDrive", {16, 184, 169, 21}, nullptr},
        {"FileCmd0", {408, 24, 73, 25}, "OK"},
        {"FileCmd1", {408, 56, 73, 25}, "Cancel"},
    };
    for (const auto& [name, geometry, caption] : rows) {
        auto* widget = control<QWidget>(form, name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), geometry) << name;
        if (auto* label = qobject_cast<QLabel*>(widget); label != nullptr && caption) {
            EXPECT_EQ(label->text(), caption);
        }
        if (auto* button = qobject_cast<QPushButton*>(widget); button != nullptr) {
            EXPECT_EQ(button->text(), caption);
        }
    }
    EXPECT_TRUE(control<QPushButton>(form, "FileCmd0")->isDefault());
    EXPECT_FALSE(control<QComboBox>(form, "PatternList")->isEditable());
    const std::vector<std::pair<const char*, const char*>> accessible{
        {"FileText", "File Name:"}, {"FileDir", "Directories"},
        {"FileDrive", "Drives:"},   {"PatternList", "Display File Types:"},
        {"FileCmd0", "OK"},         {"FileCmd1", "Cancel"}};
    for (const auto& [name, caption] : accessible) {
        EXPECT_EQ(control<QWidget>(form, name)->accessibleName(), caption) << name;
    }
}

TEST_F(FileFormTest, ShowingAgainDoesNotRefillTheFilterList) {
    m_state.FilePath = root();
    FileForm form(m_state, "PXLO", nullptr);
    form.show();
    form.hide();
    form.show();
    auto* patterns = control<QComboBox>(form, "PatternList");
    ASSERT_EQ(patterns->count(), 3);
    EXPECT_EQ(patterns->itemText(1), "LCD files  (*.PXL)");
}

TEST_F(FileFormTest, LooksAsDesigned) {
    FileForm form(m_state, "BMPO", nullptr);
    EXPECT_TRUE(form.font().bold());
    EXPECT_DOUBLE_EQ(form.font().pointSizeF(), 8.25);
    EXPECT_FALSE(control<QLabel>(form, "FileFormLabel2")->font().bold());
    for (const char* name :
         {"FileFormLabel0", "FileFormLabel1", "FileFormLabel3", "FileFormLabel4"}) {
        EXPECT_EQ(control<QLabel>(form, name)->palette().color(QPalette::WindowText),
                  QColor(0, 0, 128))
            << name;
    }
    const QPalette box = control<QLineEdit>(form, "FileText")->palette();
    EXPECT_EQ(box.color(QPalette::Text), QColor(192, 0, 0));
    EXPECT_EQ(box.color(QPalette::Base), QColor(Qt::white));
}

TEST_F(FileFormTest, ShowStaticRunsOneModalShowing) {
    m_state.FilePath = root();
    m_state.FileName = "x";
    QTimer::singleShot(0, [] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* form = qobject_cast<FileForm*>(window); form && form->isVisible()) {
                QTest::keyClick(form, Qt::Key_Escape);
            }
        }
    });
    FileForm::Show(m_state, "PXLO", nullptr);
    EXPECT_EQ(m_state.FileName, "~CANCEL");
    EXPECT_EQ(m_state.FilePath, "");
}

} // namespace

namespace {

// A folder twelve levels below the test directory, with a long-named picture in it.
class DeepFolderTest : public FileFormTest {
public:
    void SetUp() override {
        FileFormTest::SetUp();
        QString deep = root();
        for (int level = 1; level <= 12; ++level) {
            deep += QStringLiteral("/level%1").arg(level);
        }
        ASSERT_TRUE(QDir().mkpath(deep));
        m_deep = deep;
        QFile picture(m_deep + "/" + kLongName);
        ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
        m_state.FilePath = m_deep;
    }

    const QString kLongName = "a picture with a name far too long for the list, number 7.bmp";
    QString m_deep;
};

TEST_F(DeepFolderTest, FolderLabelBreaksOnlyAfterSeparatorsAndKeepsTheFolderName) {
    FileForm form(m_state, "BMPO", nullptr);
    form.show();
    auto* label = control<vornix::dialogs::FileFormPathLabel>(form, "FileFormLabel2");
    EXPECT_EQ(label->text(), m_deep);
    EXPECT_EQ(label->toolTip(), m_deep);
    const QStringList lines = label->shownLines();
    ASSERT_GE(lines.size(), 1);
    EXPECT_LE(lines.size(), label->contentsRect().height() / label->fontMetrics().lineSpacing());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        EXPECT_LE(label->fontMetrics().horizontalAdvance(lines[i]), label->contentsRect().width());
        if (i + 1 < lines.size()) {
            EXPECT_TRUE(lines[i].endsWith('/')) << lines[i].toStdString();
        }
    }
    const QString shown = lines.join(QString());
    EXPECT_TRUE(shown.contains(QStringLiteral("\u2026"))) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith('/'));
    EXPECT_TRUE(shown.endsWith("/level12")) << shown.toStdString();
    // Whole folder names are left out, none is cut.
    const QStringList folders = m_deep.split('/');
    for (const QString& part : shown.split('/')) {
        EXPECT_TRUE(part == QStringLiteral("\u2026") || folders.contains(part))
            << part.toStdString();
    }

    // A short path is shown whole.
    label->setPathText("/tmp/x");
    EXPECT_EQ(label->shownLines(), QStringList{"/tmp/x"});
}

TEST_F(DeepFolderTest, FolderListLeavesRoomForEachNameAndTipsTheWholePath) {
    FileForm form(m_state, "BMPO", nullptr);
    form.show();
    auto* dirs = control<FileFormDirList>(form, "FileDir");
    EXPECT_EQ(dirs->textElideMode(), Qt::ElideMiddle);
    const int rowWidth = dirs->viewport()->width();
    const int deepest =
        dirs->item(dirs->count() - 1)->data(FileFormDirDelegate::kDepthRole).toInt();
    int previousIndent = -1;
    for (int row = 0; row < dirs->count(); ++row) {
        QListWidgetItem* entry = dirs->item(row);
        EXPECT_EQ(entry->toolTip(), entry->data(FileFormDirList::kPathRole).toString());
        const int indent = FileFormDirDelegate::indentOf(
            entry->data(FileFormDirDelegate::kDepthRole).toInt(), deepest, rowWidth);
        EXPECT_GT(indent, previousIndent) << "entries read as a path";
        previousIndent = indent;
        if (entry->text().startsWith("level1")) {
            // "level10", "level11" and "level12" are drawn whole, icon and margins included.
            const int needed = dirs->fontMetrics().horizontalAdvance(entry->text()) +
                               dirs->iconSize().width() + 12;
            EXPECT_LE(needed, rowWidth - indent) << entry->text().toStdString();
        }
    }
    EXPECT_EQ(dirs->currentItem()->text(), "level12");
}

TEST_F(DeepFolderTest, DriveAndFileListsShortenInTheMiddleWithTheWholeTextAsTip) {
    FileForm form(m_state, "BMPO", nullptr);
    auto* drives = control<FileFormDriveList>(form, "FileDrive");
    drives->setVolumes({"/", m_deep});
    form.show();
    EXPECT_EQ(drives->drive(), m_deep);
    EXPECT_EQ(drives->toolTip(), m_deep);
    EXPECT_EQ(drives->itemData(1, Qt::ToolTipRole).toString(), m_deep);
    const QString closed = drives->shownText();
    EXPECT_TRUE(closed.contains(QStringLiteral("\u2026"))) << closed.toStdString();
    EXPECT_TRUE(closed.startsWith('/'));
    EXPECT_TRUE(closed.endsWith("level12")) << closed.toStdString();
    EXPECT_EQ(drives->view()->textElideMode(), Qt::ElideMiddle);

    auto* files = control<FileFormFileList>(form, "FileList");
    EXPECT_EQ(files->textElideMode(), Qt::ElideMiddle);
    ASSERT_EQ(files->count(), 1);
    EXPECT_EQ(files->item(0)->text(), kLongName);
    EXPECT_EQ(files->item(0)->toolTip(), kLongName);
}

} // namespace

namespace {

// Files made by the bytes of their names, which need not be valid UTF-8, and removed so again:
// the toolkit's own removal does not see them.
struct FilesByBytes {
    QString directory;
    std::vector<QByteArray> paths;

    bool create(const QByteArray& name) {
        paths.push_back(QFile::encodeName(directory) + '/' + name);
        const int fd = ::open(paths.back().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        return fd >= 0 && ::close(fd) == 0;
    }
    ~FilesByBytes() {
        for (const QByteArray& path : paths) {
            ::unlink(path.constData());
        }
    }
};

TEST_F(FileFormTest, NamesThatAreNotUtf8AreListedWithAReplacementCharacter) {
    FilesByBytes files{root(), {}};
    ASSERT_TRUE(files.create("caf\xE9.bmp"));
    ASSERT_TRUE(files.create("\xFF\xFE.PXL"));
    ASSERT_FALSE(QDir(root()).entryList(QDir::Files).contains(QString::fromUtf8("caf\xE9.bmp")))
        << "the toolkit's listing would show it: nothing to test";
    m_state.FilePath = root();
    FileForm form(m_state, "BMPO", nullptr);
    form.show();
    const QString cafe = QStringLiteral("caf\uFFFD.bmp");
    EXPECT_EQ(fileNames(form), (QStringList{"a.bmp", "B.BMP", "c.Jpg", cafe, "d.gif"}));
    control<QComboBox>(form, "PatternList")->setCurrentIndex(1);
    EXPECT_EQ(fileNames(form), (QStringList{"e.pxl", "F.PXL", QStringLiteral("\uFFFD\uFFFD.PXL")}));
    control<QComboBox>(form, "PatternList")->setCurrentIndex(0);

    runModal(form, [&] { doubleClickRow(control<FileFormFileList>(form, "FileList"), cafe); });
    EXPECT_EQ(m_state.FileName, cafe);
    EXPECT_EQ(vornix::dialogs::file_form::nativePath(root() + "/" + cafe),
              QFile::encodeName(root()) + "/caf\xE9.bmp");
}

} // namespace
