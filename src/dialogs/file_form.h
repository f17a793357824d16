#pragma once

#include <array>
#include <cstdint>

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vornix::app {
struct AppState;
}

namespace vornix::dialogs {

class FileFormDirList;
class FileFormDriveList;
class FileFormFileList;

// The modal file window that every open and save command uses. It shows a drive list, a
// directory list, a file list filtered by a choice of file type and a file-name box, and hands
// back a bare name and a directory through FileName and FilePath of the application state:
//
//   OK, Enter, double-click on a file:  FileName = the box's text as typed, FilePath = the
//                                       file list's directory
//   Cancel, Escape:                     FileName = "~CANCEL", FilePath = ""
//   Escape reaching Form_KeyDown:       FileName = "~CANCEL", FilePath kept
//   the window's close box:             FileName = "~CANCEL", FilePath kept
//
// It never opens, creates or checks a file. One object serves one showing: create it on the
// stack and exec() it, or call Show(). The request code is the file type ("BMP", "PXL")
// followed by the mode ("O" open, "S" save).
class FileForm : public QDialog {
    Q_OBJECT

public:
    FileForm(app::AppState& state, const QString& requestCode, QWidget* parent = nullptr);

    // Shows a fresh window modally and returns when it has closed; the result is in state.
    static void Show(app::AppState& state, const QString& requestCode, QWidget* parent = nullptr);

    // Runs once, just before the window first appears: position, start directory, name box,
    // filter entries, filter choice and caption.
    void Form_Load();

    // The change handlers that keep the drive, directory and file lists in step. Each list
    // raises its change only when its value really changes, so they settle after one pass.
    void FileDrive_Change();
    void FileDir_Change();
    void FileList_PathChange();
    void FileList_PatternChange();
    void FileList_Click();
    void FileList_DblClick();
    void PatternList_Click();

    // Index 0 is OK, any other index Cancel; either closes the window.
    void FileCmd_Click(std::int16_t index);
    // keyCode 27 (Escape) cancels and keeps FilePath; every other key is ignored.
    void Form_KeyDown(std::int16_t keyCode, std::int16_t shift);
    // The close box is always allowed and cancels: closing a window is how users abort, so a
    // save never goes on under the proposed name. FilePath is kept.
    void Form_QueryUnload();

    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void applyLook();
    void connectHandlers();
    void placeOnScreen();
    void setStartDirectory();
    void fillPatternList();
    QString driveDirectory(const QString& drive) const;

    app::AppState& m_state;
    QString m_requestCode;
    bool m_loaded = false;

    std::array<QLabel*, 5> FileFormLabel{};
    std::array<QPushButton*, 2> FileCmd{};
    QLineEdit* FileText = nullptr;
    FileFormFileList* FileList = nullptr;
    QComboBox* PatternList = nullptr;
    FileFormDirList* FileDir = nullptr;
    FileFormDriveList* FileDrive = nullptr;
};

} // namespace vornix::dialogs
