#include "dialogs/file_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>

#include "app/app_state.h"
#include "dialogs/file_form_dir_list.h"
#include "dialogs/file_form_drive_list.h"
#include "dialogs/file_form_file_list.h"
#include "dialogs/file_form_path_label.h"
#include "dialogs/file_form_rules.h"

namespace vornix::dialogs {

namespace {

using file_form::twipsRect;

const QString kCancelled = QStringLiteral("~CANCEL");
constexpr std::int16_t kKeyEscape = 27;
constexpr int kClientWidthTwips = 7365;
constexpr int kClientHeightTwips = 3225;

QFont dialogFont() {
    QFont font;
    // Faces close in width to the window's design face, then any sans-serif face.
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    font.setBold(true);
    return font;
}

void setTextColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// Shift state as the key handler receives it: 1 Shift, 2 Ctrl, 4 Alt.
std::int16_t shiftState(Qt::KeyboardModifiers modifiers) {
    std::int16_t shift = 0;
    shift |= (modifiers & Qt::ShiftModifier) ? 1 : 0;
    shift |= (modifiers & Qt::ControlModifier) ? 2 : 0;
    shift |= (modifiers & Qt::AltModifier) ? 4 : 0;
    return shift;
}

} // namespace

FileForm::FileForm(app::AppState& state, const QString& requestCode, QWidget* parent)
    : QDialog(parent), m_state(state), m_requestCode(requestCode) {
    setObjectName(QStringLiteral("FileForm"));
    setWindowTitle(file_form::captionForMode(QString()));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(file_form::twipsToPixels(kClientWidthTwips),
                 file_form::twipsToPixels(kClientHeightTwips));
    createControls();
    applyLook();
    connectHandlers();
}

void FileForm::Show(app::AppState& state, const QString& requestCode, QWidget* parent) {
    // Held by a guarded pointer: should the parent be destroyed while the window is up, it
    // takes the window with it and nothing is deleted twice.
    QPointer<FileForm> form = new FileForm(state, requestCode, parent);
    form->exec();
    delete form.data();
}

void FileForm::createControls() {
    // Created in the order the Tab key visits them.
    FileText = new QLineEdit(this);
    FileText->setObjectName(QStringLiteral("FileText"));
    FileText->setGeometry(twipsRect(3000, 360, 2895, 285));

    FileList = new FileFormFileList(this);
    FileList->setObjectName(QStringLiteral("FileList"));
    FileList->setGeometry(twipsRect(3000, 720, 2895, 1785));

    PatternList = new QComboBox(this);
    PatternList->setObjectName(QStringLiteral("PatternList"));
    PatternList->setEditable(false);
    PatternList->setGeometry(twipsRect(3000, 2760, 2895, 315));

    FileDir = new FileFormDirList(this);
    FileDir->setObjectName(QStringLiteral("FileDir"));
    FileDir->setGeometry(twipsRect(240, 860, 2535, 1665));

    FileDrive = new FileFormDriveList(this);
    FileDrive->setObjectName(QStringLiteral("FileDrive"));
    FileDrive->setGeometry(twipsRect(240, 2760, 2535, 315));

    FileCmd[0] = new QPushButton(QStringLiteral("OK"), this);
    FileCmd[0]->setGeometry(twipsRect(6120, 360, 1092, 372));
    FileCmd[0]->setDefault(true);
    FileCmd[1] = new QPushButton(QStringLiteral("Cancel"), this);
    FileCmd[1]->setGeometry(twipsRect(6120, 840, 1092, 372));
    for (std::size_t i = 0; i < FileCmd.size(); ++i) {
        FileCmd[i]->setObjectName(QStringLiteral("FileCmd%1").arg(i));
        FileCmd[i]->setAccessibleName(FileCmd[i]->text());
    }

    struct LabelLayout {
        const char* caption;
        QRect geometry;
        QWidget* buddy;
    };
    const std::array<LabelLayout, 5> labels{{
        {"File &Name:", twipsRect(3000, 120, 1455, 255), FileText},
        {"&Directories", twipsRect(240, 120, 1455, 255), FileDir},
        {"", twipsRect(240, 360, 2655, 495), nullptr},
        {"Dri&ves:", twipsRect(240, 2520, 1455, 255), FileDrive},
        {"Display File &Types:", twipsRect(3000, 2520, 2055, 255), PatternList},
    }};
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const QString caption = QString::fromLatin1(labels[i].caption);
        auto* label = i == 2 ? new FileFormPathLabel(caption, this) : new QLabel(caption, this);
        label->setObjectName(QStringLiteral("FileFormLabel%1").arg(i));
        // Plain text: a directory name must never be read as markup.
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setGeometry(labels[i].geometry);
        label->setBuddy(labels[i].buddy);
        if (labels[i].buddy != nullptr) {
            // The control is found in the accessibility tree by its caption.
            labels[i].buddy->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
        }
        FileFormLabel[i] = label;
    }
}

void FileForm::applyLook() {
    setFont(dialogFont());
    const QColor captionBlue(0, 0, 128);
    for (std::size_t i : {0U, 1U, 3U, 4U}) {
        setTextColour(FileFormLabel[i], QPalette::WindowText, captionBlue);
    }
    QFont pathFont = dialogFont();
    pathFont.setBold(false);
    FileFormLabel[2]->setFont(pathFont);

    setTextColour(FileText, QPalette::Text, QColor(192, 0, 0));
    setTextColour(FileText, QPalette::Base, Qt::white);
}

void FileForm::connectHandlers() {
    connect(FileDrive, &FileFormDriveList::driveChanged, this, &FileForm::FileDrive_Change);
    connect(FileDir, &FileFormDirList::pathChanged, this, &FileForm::FileDir_Change);
    connect(FileList, &FileFormFileList::pathChanged, this, &FileForm::FileList_PathChange);
    connect(FileList, &FileFormFileList::patternChanged, this, &FileForm::FileList_PatternChange);
    connect(FileList, &FileFormFileList::fileClicked, this, &FileForm::FileList_Click);
    connect(FileList, &FileFormFileList::fileDoubleClicked, this, &FileForm::FileList_DblClick);
    connect(PatternList, &QComboBox::currentIndexChanged, this, &FileForm::PatternList_Click);
    connect(FileCmd[0], &QPushButton::clicked, this, [this] { FileCmd_Click(0); });
    connect(FileCmd[1], &QPushButton::clicked, this, [this] { FileCmd_Click(1); });
}

void FileForm::setVisible(bool visible) {
    if (visible && !m_loaded) {
        Form_Load();
    }
    QDialog::setVisible(visible);
}

void FileForm::Form_Load() {
    m_loaded = true;
    placeOnScreen();
    setStartDirectory();
    static_cast<FileFormPathLabel*>(FileFormLabel[2])->setPathText(FileDir->path());
    // After the start directory: its change wrote the pattern into the box, the caller's
    // proposed name replaces it.
    FileText->setText(m_state.FileName);
    if (file_form::requestMode(m_requestCode) == QLatin1String("S")) {
        // Typing replaces the proposed name and keeps its extension.
        FileText->setSelection(
            0, static_cast<int>(file_form::nameWithoutExtension(m_state.FileName).size()));
        FileText->setFocus();
    }
    fillPatternList();
    PatternList->setCurrentIndex(
        file_form::filterIndexForType(file_form::requestType(m_requestCode)));
    setWindowTitle(file_form::captionForMode(file_form::requestMode(m_requestCode)));
}

void FileForm::placeOnScreen() {
    const QWidget* anchor = parentWidget();
    QScreen* screen = anchor != nullptr ? anchor->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        move(file_form::formPosition(screen->geometry(), frameGeometry().size()));
    }
}

void FileForm::setStartDirectory() {
    if (!m_state.FilePath.isEmpty()) {
        // A start directory that has gone (a removed medium, a deleted folder) or cannot be
        // read gives way to the process's current directory, so the window still opens.
        const QString start = file_form::absoluteDirectory(m_state.FilePath);
        FileDir->setPath(file_form::isUsableDirectory(start) ? start
                                                             : file_form::fallbackDirectory());
        return;
    }
    const QString current = file_form::fallbackDirectory();
    FileDrive->setDrive(current);
    FileDir->setPath(current);
}

void FileForm::fillPatternList() {
    const QSignalBlocker blocker(PatternList);
    PatternList->clear();
    for (int i = 0; i < file_form::kFilterCount; ++i) {
        PatternList->addItem(file_form::filterEntryText(i));
    }
    // Nothing is chosen until the request type chooses, so that choice raises its click.
    PatternList->setCurrentIndex(-1);
}

QString FileForm::driveDirectory(const QString& drive) const {
    // A volume has no remembered directory of its own: the list stays where it is when it is
    // already on that volume, goes to the process's current directory when that lies there,
    // and to the volume's root otherwise.
    const QStringList roots = FileDrive->drives();
    if (file_form::driveOf(roots, FileDir->path()) == drive) {
        return FileDir->path();
    }
    const QString current = file_form::absoluteDirectory(QDir::currentPath());
    if (file_form::driveOf(roots, current) == drive) {
        return current;
    }
    return drive;
}

void FileForm::FileDrive_Change() {
    QString target = driveDirectory(FileDrive->drive());
    if (!file_form::isUsableDirectory(target)) {
        // An unreadable volume: go back to a directory that can be shown; the drive list
        // follows the directory list back to its volume.
        QApplication::beep();
        target = file_form::fallbackDirectory();
    }
    FileDir->setPath(target);
}

void FileForm::FileDir_Change() {
    FileList->setPath(FileDir->path());
    static_cast<FileFormPathLabel*>(FileFormLabel[2])->setPathText(FileDir->path());
}

void FileForm::FileList_PathChange() {
    FileText->setText(FileList->pattern());
    FileDrive->setDrive(FileList->path());
    FileDir->setPath(FileList->path());
}

void FileForm::FileList_PatternChange() {
    FileDrive->setDrive(FileList->path());
    FileDir->setPath(FileList->path());
}

void FileForm::FileList_Click() {
    FileText->setText(FileList->fileName());
}

void FileForm::FileList_DblClick() {
    FileList_Click();
    FileCmd_Click(0);
}

void FileForm::PatternList_Click() {
    FileList->setPattern(file_form::filterPattern(PatternList->currentIndex()));
}

void FileForm::FileCmd_Click(std::int16_t index) {
    if (index == 0) {
        m_state.FileName = FileText->text();
        m_state.FilePath = FileList->path();
        done(QDialog::Accepted);
        return;
    }
    m_state.FileName = kCancelled;
    m_state.FilePath.clear();
    done(QDialog::Rejected);
}

void FileForm::Form_KeyDown(std::int16_t keyCode, std::int16_t shift) {
    Q_UNUSED(shift);
    if (keyCode != kKeyEscape) {
        return;
    }
    m_state.FileName = kCancelled;
    done(QDialog::Rejected);
}

void FileForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape) {
        QDialog::keyPressEvent(event);
        return;
    }
    // The Cancel button takes Escape whenever it can; only otherwise does it reach the form.
    QPushButton* cancel = FileCmd[1];
    if (cancel->isEnabled() && cancel->isVisibleTo(this)) {
        cancel->click();
    } else {
        Form_KeyDown(kKeyEscape, shiftState(event->modifiers()));
    }
    event->accept();
}

void FileForm::Form_QueryUnload() {
    m_state.FileName = kCancelled;
}

void FileForm::closeEvent(QCloseEvent* event) {
    // A window already closed by OK or Cancel has its answer; only a visible one is cancelled.
    if (isVisible()) {
        Form_QueryUnload();
    }
    QDialog::closeEvent(event);
}

} // namespace vornix::dialogs
