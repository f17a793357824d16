#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QImage>
#include <QMainWindow>
#include <QString>

#include "app/app_state.h"
#include "app/prompts.h"
#include "download/download_view.h"
#include "image/picture/packed_picture.h"
#include "image/picture/picture_formats.h"

class QAction;
class QFileInfo;
class QListWidget;
class QMenu;
class QTimer;

namespace vornix::dialogs {
class EditSession;
struct CanvasSize;
class LcdPreview;
class ViewerHandle;
} // namespace vornix::dialogs

namespace vornix::image {
struct MonoImage;
enum class TestPattern;
enum class ErrorCode : int;
} // namespace vornix::image

namespace vornix::app {

class CaptionLabel;
class DownloadController;
class DownloadStatus;
class Lamp;
class PictureBox;
class SeparatorLines;

// The file a folder and a name from the file dialog name: a name that starts with "/" is the
// whole path; any other is joined to the folder with one "/".
QString JoinFilePath(const QString& folder, const QString& name);

// Where the program keeps its files and whether it is the first instance.
struct LCDFormOptions {
    QString programDirectory;      // holds the working files
    bool previousInstance = false; // another instance was already running at start
};

// The main window: current picture, port choice, download lamp and every menu command. It owns
// its controls; each carries its name below as its object name, by which tests find it. It is
// also the download's display: File menu, row counter, lamp and status bar.
class LCDForm : public QMainWindow, private download::DownloadView {
    Q_OBJECT
public:
    LCDForm(AppState& state, Prompts& prompts, LCDFormOptions options, QWidget* parent = nullptr);
    ~LCDForm() override;

    // Start-up, run once before the window is first shown. False when this process is a
    // second instance and must end without showing a window.
    bool Form_Load(const QString& commandLine);

    // Menu commands.
    void MenuOpenBMP_Click();
    void MenuOpenPxl_Click();
    void MenuSaveBMP_Click();
    void MenuSavePXL_Click();
    void MenuFileLoad_Click();
    void MenuMaskOn_Click();
    void MenuMaskSize_Click();
    void MenuImgInfo_Click();
    void MenuImgMagnifier_Click();
    void MenuHelpfile_Click();
    void MenuHelpPaint_Click();
    void MenuHelpAbout_Click();

    // Commands added to the File and Image menus: import, test patterns, LCD preview.
    void MenuImportPicture_Click();
    void MenuTestPattern_Click(image::TestPattern pattern);
    void MenuPreviewLCD_Click();
    void MenuExport_Click();
    void MenuOpen_Click();

    // The picture editor's commands: File > New, the Edit menu, Image > Canvas Size....
    void MenuNew_Click();
    void MenuEditCopy_Click();
    void MenuEditPaste_Click();
    void MenuEditPasteNew_Click();
    void MenuCanvasSize_Click();
    dialogs::EditSession& editSession() { return *m_edit; }

    // Asks the new canvas size; nullopt when cancelled. Replaceable for tests.
    using CanvasSizeRunner =
        std::function<std::optional<dialogs::CanvasSize>(int width, int height, QWidget*)>;
    void setCanvasSizeRunner(CanvasSizeRunner runner) { m_canvasSizeDialog = std::move(runner); }

    // Ends the program as File > Exit does, for a signal to end it (a logout, `kill`): the
    // working files are removed and the event loops left. A running download is asked to stop
    // and ends at a group boundary first; the window then ends as soon as it has.
    void requestTermination();
    bool terminationRequested() const { return m_terminationRequested; }

    // Opens a dropped file as the File menu's open commands would, chosen by its extension; a
    // picture that is neither a 1-bit bitmap nor of two colours opens in Import Picture.
    void OpenDroppedFile(const QString& path);

    // Shows the file dialog for a request code ("BMPO", "PXLS", ...), leaving the answer in
    // FileName and FilePath. Tests replace the real dialog with a scripted one.
    using FileDialogRunner = std::function<void(AppState&, const QString&, QWidget*)>;
    void setFileDialogRunner(FileDialogRunner runner) { m_fileDialog = std::move(runner); }

    // Shows the import dialog for a picture; nullopt when cancelled. Replaceable for tests.
    using ImportDialogRunner =
        std::function<std::optional<image::MonoImage>(const QImage&, QWidget*)>;
    void setImportDialogRunner(ImportDialogRunner runner) { m_importDialog = std::move(runner); }

    // Shows the Export dialog for the current picture, `name` the file it came from.
    // Replaceable for tests.
    using ExportDialogRunner =
        std::function<void(const image::PackedPicture&, const QString&, QWidget*)>;
    void setExportDialogRunner(ExportDialogRunner runner) { m_exportDialog = std::move(runner); }

    // Asks what a C array or raw bytes hold and reads them; nullopt when cancelled.
    // Replaceable for tests.
    using ReadPictureDialogRunner = std::function<std::optional<image::PackedPicture>(
        std::vector<std::uint8_t>, image::PictureFormat, QWidget*)>;
    void setReadPictureDialogRunner(ReadPictureDialogRunner runner) {
        m_readPictureDialog = std::move(runner);
    }

    // Loads a picture file for showing (LoadPicture's contract). Replaceable for tests.
    using PictureLoader = std::function<image::ErrorCode(const QString&, QImage&)>;
    void setPictureLoader(PictureLoader loader) { m_loadPicture = std::move(loader); }
    dialogs::LcdPreview* preview() const { return m_preview; }

    AppState& state() { return m_state; }
    dialogs::ViewerHandle& viewer() { return *m_viewer; }
    DownloadController& downloadController() { return *m_download; }
    const QString& programDirectory() const { return m_options.programDirectory; }
    // The folder the file dialog starts in at start-up and after a Cancel: the folder that
    // holds the executable, wherever the working files are kept. Tests may name another.
    QString executableDirectory() const;
    void setExecutableDirectory(const QString& folder) { m_executableDirectory = folder; }
    bool downloadRunning() const;

signals:
    // requestTermination() has removed the working files: the program may end.
    void terminated();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildControls();
    void buildExtraCommands();
    void buildOpenCommand();
    void buildEditCommands();
    void updateEditCommands();
    void resetEditSession(const QImage& picture);
    void writeEditedPicture();
    std::optional<image::MonoImage> clipboardPicture();
    bool mayDropEdits();
    bool makeCurrentPicture(const image::MonoImage& picture, const QString& source);

    // Start-up's command-line branches.
    void placeOnScreen();
    void handleCommandLine(QString commandLine);
    void openCommandLineBMP(const QString& fileName);
    void openCommandLinePXL(const QString& fileName);

    // Open and save.
    void OpenImageFile(const QString& fileType);
    bool chooseFileToOpen(const QString& fileType);
    void nameChosenFile();
    void nameDroppedFile(const QFileInfo& info);
    // What names the picture on screen: the caption, the file dialog's folder and name, and
    // the name the save commands propose.
    struct ShownName {
        QString caption;
        QString filePath;
        QString fileName;
        QString lastFileName;
    };
    ShownName shownName() const;
    void restoreShownName(const ShownName& name);
    void SaveImageFile(const QString& fileType);
    bool mayReplace(const QString& target, const QString& fileType);
    void openPXLFile(const QString& path, bool fromCommandLine);

    // Conversions between the working files.
    void DecodeBMP();
    bool EncodeBMP(const QString& path);
    void SetImageTag();
    void showConversionFailure(const QString& reason);
    image::ErrorCode loadPictureIntoWorkingBitmap(const QString& path);
    image::ErrorCode showLoadedPicture(const QString& path, const QImage& picture);
    image::ErrorCode writeWorkingBitmap(const QString& path, const QImage& picture);
    bool importPicture(const QImage& source, const QString& path);
    static bool convertsDirectly(const QString& path, const QImage& picture);
    image::ErrorCode openBitmapFile(const QString& path);
    void keepShownFileName(image::ErrorCode code, const QString& shownFile);
    image::ErrorCode showWorkingBitmap();
    void setPicture(const QImage& picture);
    void clearPicture();
    bool reportNotEnoughMemory(image::ErrorCode code, const QString& path);

    // Download and shutdown.
    void ComList_Click();
    void OpenCom();

    // The download's display, in lcd_form_download.cpp.
    void setFileMenuEnabled(bool enabled) override;
    void setRowCounter(const QString& caption) override;
    void setLamp(download::LampColor color) override;
    void showHeaderMissing() override;
    void showProgress(qint64 bytesSent, qint64 bytesTotal) override;
    void showStalled(bool stalled) override;
    void showEnd(download::DownloadEnd end) override;
    bool Form_QueryUnload();
    void Form_Unload();
    void finishTermination();
    void Form_KeyDown(int keyCode);
    void Form_Resize();
    void BMPImage_Change();
    void BMPImage_DblClick();
    void deleteWorkingFile(const QString& path);

    AppState& m_state;
    Prompts& m_prompts;
    LCDFormOptions m_options;
    std::unique_ptr<dialogs::ViewerHandle> m_viewer;
    std::unique_ptr<DownloadController> m_download;
    FileDialogRunner m_fileDialog;
    ImportDialogRunner m_importDialog;
    ExportDialogRunner m_exportDialog;
    ReadPictureDialogRunner m_readPictureDialog;
    PictureLoader m_loadPicture;
    CanvasSizeRunner m_canvasSizeDialog;
    dialogs::EditSession* m_edit = nullptr;
    QTimer* m_followDrawing = nullptr;
    bool m_writingEdit = false; // the picture shown is an edit of the one before
    dialogs::LcdPreview* m_preview = nullptr;
    QString m_executableDirectory;
    bool m_unloaded = false;
    bool m_terminationRequested = false;

    // Controls, named as the rest of the program and the user's guide refer to them; each name
    // is also the control's object name.
    QMenu* Menufile = nullptr;
    QAction* MenuOpenBMP = nullptr;
    QAction* MenuOpenPxl = nullptr;
    QAction* MenuSaveBMP = nullptr;
    QAction* MenuSavePXL = nullptr;
    QAction* MenuFileLoad = nullptr;
    QAction* MenuFileExit = nullptr;
    QAction* MenuImportPicture = nullptr;
    QAction* MenuExport = nullptr;
    QAction* MenuOpen = nullptr;
    QAction* MenuNew = nullptr;
    QMenu* MenuEdit = nullptr;
    QAction* MenuEditUndo = nullptr;
    QAction* MenuEditRedo = nullptr;
    QAction* MenuEditCopy = nullptr;
    QAction* MenuEditPaste = nullptr;
    QAction* MenuEditPasteNew = nullptr;
    QAction* MenuCanvasSize = nullptr;
    QMenu* MenuTestPattern = nullptr;
    QAction* MenuPreviewLCD = nullptr;
    QMenu* MenuMask = nullptr;
    QAction* MenuMaskOn = nullptr;
    QAction* MenuMaskSize = nullptr;
    QMenu* MenuImage = nullptr;
    QAction* MenuImgInfo = nullptr;
    QAction* MenuImgMagnifier = nullptr;
    QMenu* MenuHelp = nullptr;
    QAction* MenuHelpfile = nullptr;
    QAction* MenuHelpPaint = nullptr;
    QAction* MenuHelpAbout = nullptr;

    CaptionLabel* FileEntry = nullptr;
    CaptionLabel* Label2 = nullptr;
    QListWidget* ComList = nullptr;
    Lamp* Shape1 = nullptr;
    Lamp* LoadLight = nullptr;
    CaptionLabel* RowCounter = nullptr;
    CaptionLabel* Log = nullptr;
    PictureBox* BMPImage = nullptr;
    CaptionLabel* BMPHolder = nullptr;
    SeparatorLines* Lines = nullptr;
    DownloadStatus* Progress = nullptr; // in the status bar, below the picture
};

} // namespace vornix::app
