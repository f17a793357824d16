// The picture editor seen from the main window: the Edit menu, Canvas Size..., File > New,
// the clipboard, writing every finished edit to the working files, and the question about
// unsaved edits on closing.
#include "app/lcd_form.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QTimer>

#include "app/caption_label.h"
#include "app/message_text.h"
#include "app/picture_box.h"
#include "app/two_colour_picture.h"
#include "app/working_files.h"
#include "dialogs/canvas_size_dialog.h"
#include "dialogs/edit_session.h"
#include "dialogs/viewer.h"
#include "dialogs/viewer_handle.h"
#include "image/picture/panel_picture.h"
#include "image/picture/prepare_bitmap.h"
#include "image/text/messages.h"

namespace vornix::app {

namespace {

std::optional<dialogs::CanvasSize> runCanvasSizeDialog(int width, int height, QWidget* parent) {
    dialogs::CanvasSizeDialog dialog(width, height, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.choice();
}

QAction* editCommand(QMenu* menu, const QString& caption, const QString& name,
                     const QList<QKeySequence>& keys = {}) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setShortcuts(keys);
    return action;
}

// How often the picture box follows a stroke being drawn, in milliseconds.
constexpr int kFollowInterval = 40;

// The size of a new picture: the panel's.
constexpr int kNewWidth = 240;
constexpr int kNewHeight = 128;

} // namespace

void LCDForm::buildEditCommands() {
    m_edit = new dialogs::EditSession(this);
    // File > New heads the open commands.
    MenuNew = new QAction(QStringLiteral("&New"), this);
    MenuNew->setObjectName(QStringLiteral("MenuNew"));
    MenuNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    Menufile->insertAction(MenuOpenBMP, MenuNew);
    connect(MenuNew, &QAction::triggered, this, &LCDForm::MenuNew_Click);
    MenuEdit = new QMenu(QStringLiteral("&Edit"), this);
    MenuEdit->setObjectName(QStringLiteral("MenuEdit"));
    menuBar()->insertMenu(MenuMask->menuAction(), MenuEdit);
    // Ctrl+Z is the main window's Zoom and Ctrl+X its Exit; in the zoom window, where the
    // picture is edited, they are Undo and Cut.
    MenuEditUndo = editCommand(MenuEdit, QStringLiteral("&Undo"), QStringLiteral("MenuEditUndo"),
                               {QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    MenuEditRedo = editCommand(
        MenuEdit, QStringLiteral("&Redo"), QStringLiteral("MenuEditRedo"),
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    MenuEdit->addSeparator();
    MenuEditCopy = editCommand(MenuEdit, QStringLiteral("&Copy"), QStringLiteral("MenuEditCopy"),
                               {QKeySequence(Qt::CTRL | Qt::Key_C)});
    MenuEditPaste = editCommand(MenuEdit, QStringLiteral("&Paste"), QStringLiteral("MenuEditPaste"),
                                {QKeySequence(Qt::CTRL | Qt::Key_V)});
    MenuEditPasteNew = editCommand(MenuEdit, QStringLiteral("Paste as &New Picture"),
                                   QStringLiteral("MenuEditPasteNew"),
                                   {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V)});
    MenuCanvasSize = new QAction(QStringLiteral("Canvas &Size..."), this);
    MenuCanvasSize->setObjectName(QStringLiteral("MenuCanvasSize"));
    // After Zoom, before the test patterns.
    const QList<QAction*> imageActions = MenuImage->actions();
    MenuImage->insertAction(imageActions.value(imageActions.indexOf(MenuImgMagnifier) + 1),
                            MenuCanvasSize);

    connect(MenuEditUndo, &QAction::triggered, m_edit, &dialogs::EditSession::undo);
    connect(MenuEditRedo, &QAction::triggered, m_edit, &dialogs::EditSession::redo);
    connect(MenuEditCopy, &QAction::triggered, this, &LCDForm::MenuEditCopy_Click);
    connect(MenuEditPaste, &QAction::triggered, this, &LCDForm::MenuEditPaste_Click);
    connect(MenuEditPasteNew, &QAction::triggered, this, &LCDForm::MenuEditPasteNew_Click);
    connect(MenuCanvasSize, &QAction::triggered, this, &LCDForm::MenuCanvasSize_Click);
    connect(m_edit, &dialogs::EditSession::finished, this, &LCDForm::writeEditedPicture);
    // While the user draws, the picture box shows the strokes too, a few times a second; the
    // working files follow when the stroke ends.
    m_followDrawing = new QTimer(this);
    m_followDrawing->setSingleShot(true);
    m_followDrawing->setInterval(kFollowInterval);
    connect(m_edit, &dialogs::EditSession::repaint, this, [this] {
        if (!m_followDrawing->isActive()) {
            m_followDrawing->start();
        }
    });
    connect(m_followDrawing, &QTimer::timeout, this, [this] {
        if (m_edit->editable() && m_edit->editor().gestureRunning()) {
            BMPImage->setPicture(m_edit->image());
        }
    });
    connect(m_edit, &dialogs::EditSession::stateChanged, this, &LCDForm::updateEditCommands);
    m_viewer->setSession(m_edit);
    m_viewer->setCreationHook([this](dialogs::Viewer* viewer) {
        connect(viewer, &dialogs::Viewer::pasteRequested, this, &LCDForm::MenuEditPaste_Click);
        connect(viewer, &dialogs::Viewer::pasteAsNewRequested, this,
                &LCDForm::MenuEditPasteNew_Click);
        connect(viewer, &dialogs::Viewer::canvasSizeRequested, this,
                &LCDForm::MenuCanvasSize_Click);
    });
    m_canvasSizeDialog = &runCanvasSizeDialog;
    updateEditCommands();
}

void LCDForm::updateEditCommands() {
    const bool editable = m_edit->editable();
    MenuEditUndo->setEnabled(editable && m_edit->editor().canUndo());
    MenuEditRedo->setEnabled(editable && m_edit->editor().canRedo());
    MenuEditCopy->setEnabled(!BMPImage->picture().isNull());
    MenuCanvasSize->setEnabled(editable);
}

// The picture on screen starts a new history: called whenever the window shows a picture
// that is not an edit of the one before.
void LCDForm::resetEditSession(const QImage& picture) {
    if (m_writingEdit) {
        return;
    }
    std::optional<image::PackedPicture> panel;
    if (!picture.isNull()) {
        const FileRead bitmap = ReadFileBytes(m_state.TempBMPFile);
        if (bitmap.ok()) {
            image::PanelPictureRead read = image::PictureFromBitmap(
                {reinterpret_cast<const std::uint8_t*>(bitmap.bytes.constData()),
                 static_cast<std::size_t>(bitmap.bytes.size())});
            if (read.picture) {
                panel = std::move(*read.picture);
            }
        }
    }
    m_edit->reset(std::move(panel));
}

// A finished edit reaches the working files as a new picture would: the working bitmap is
// written, shown and converted, so Save, Export, Preview LCD and Load LCD take the picture
// shown. Only the history stays.
void LCDForm::writeEditedPicture() {
    const auto bytes = image::MonoBitmapBytes(image::MonoFromPacked(m_edit->editor().picture()));
    const QByteArray bitmap(reinterpret_cast<const char*>(bytes.data()),
                            static_cast<qsizetype>(bytes.size()));
    if (WriteFileAtomically(m_state.TempBMPFile, bitmap) != ErrorCode::None) {
        // The working files still hold the picture before the edit: nothing may save or send
        // them as if they were the picture shown.
        MenuFileLoad->setEnabled(false);
        MenuSaveBMP->setEnabled(false);
        MenuSavePXL->setEnabled(false);
        m_prompts.message(Text(image::messages::kBadFileName),
                          Text(image::messages::kFileErrorTitle), MessageIcon::Exclamation,
                          MessageButtons::Ok);
        return;
    }
    m_writingEdit = true;
    const ErrorCode code = showWorkingBitmap();
    m_writingEdit = false;
    if (code != ErrorCode::None) {
        clearPicture();
        reportNotEnoughMemory(code, FileEntry->caption());
        return;
    }
    DecodeBMP();
    MenuSaveBMP->setEnabled(true);
    MenuSavePXL->setEnabled(true);
}

// File > New: an empty light canvas of the panel's size.
void LCDForm::MenuNew_Click() {
    if (!Menufile->isEnabled() || !mayDropEdits()) {
        return;
    }
    m_state.LastFileName = QStringLiteral("new.bmp");
    FileEntry->setCaption(QStringLiteral("New picture"));
    makeCurrentPicture(image::MonoImage(kNewWidth, kNewHeight), FileEntry->caption());
}

void LCDForm::MenuEditCopy_Click() {
    QImage pixels = m_edit->copy();
    if (pixels.isNull()) {
        pixels = BMPImage->picture();
    }
    if (!pixels.isNull()) {
        QApplication::clipboard()->setImage(pixels);
    }
}

// The clipboard's picture as the panel shows it: a picture of two colours as it is, any other
// through Import Picture's sizing and black-and-white choices. nullopt when the clipboard
// holds no picture (the user is told) or the import is cancelled.
std::optional<image::MonoImage> LCDForm::clipboardPicture() {
    const QImage image = QApplication::clipboard()->image();
    if (image.isNull()) {
        m_prompts.message(QStringLiteral("The clipboard holds no picture."),
                          Text(image::messages::kProgramTitle), MessageIcon::Exclamation,
                          MessageButtons::Ok);
        return std::nullopt;
    }
    if (auto picture = TwoColourPicture(image)) {
        return picture;
    }
    return m_importDialog(image, this);
}

// Edit > Paste: the clipboard's picture lies over the picture as a floating selection in the
// zoom window, where it is moved into place; into a window without a picture it comes as a
// new picture.
void LCDForm::MenuEditPaste_Click() {
    if (!Menufile->isEnabled()) {
        return;
    }
    if (!m_edit->editable()) {
        MenuEditPasteNew_Click();
        return;
    }
    const auto picture = clipboardPicture();
    if (!picture) {
        return;
    }
    m_edit->paste(image::PackedFromMono(*picture), {0, 0});
    m_viewer->showWithPicture(BMPImage->picture());
    if (dialogs::Viewer* viewer = m_viewer->viewer()) {
        viewer->selectTool(image::edit::Tool::Select);
        viewer->pictureArea()->ensureVisible(0, 0); // where the pasted pixels lie
    }
}

void LCDForm::MenuEditPasteNew_Click() {
    if (!Menufile->isEnabled() || !mayDropEdits()) {
        return;
    }
    const auto picture = clipboardPicture();
    if (!picture) {
        return;
    }
    const ShownName before = shownName();
    m_state.LastFileName = QStringLiteral("pasted.bmp");
    FileEntry->setCaption(QStringLiteral("Pasted picture"));
    if (!makeCurrentPicture(*picture, FileEntry->caption())) {
        restoreShownName(before);
    }
}

void LCDForm::MenuCanvasSize_Click() {
    if (!Menufile->isEnabled() || !m_edit->editable()) {
        return;
    }
    const image::PackedPicture& picture = m_edit->editor().picture();
    const auto choice = m_canvasSizeDialog(picture.width(), picture.height(), this);
    if (!choice) {
        return;
    }
    if (!m_edit->resizeCanvas(choice->width, choice->height, choice->anchor)) {
        m_prompts.message(QStringLiteral("A picture of %1 x %2 pixels is too large.")
                              .arg(choice->width)
                              .arg(choice->height),
                          Text(image::messages::kProgramTitle), MessageIcon::Exclamation,
                          MessageButtons::Ok);
    }
}

// Unsaved edits are saved, dropped, or kept with the command cancelled, as the user says.
// True when the command may go on.
bool LCDForm::mayDropEdits() {
    if (!m_edit->editor().modified()) {
        return true;
    }
    const MessageAnswer answer =
        m_prompts.message(QStringLiteral("The picture has changes that are not saved.") +
                              m_state.CrLf + QStringLiteral("Save them first?"),
                          Text(image::messages::kProgramTitle), MessageIcon::Question,
                          MessageButtons::SaveDiscardCancel);
    if (answer == MessageAnswer::Discard) {
        return true;
    }
    if (answer == MessageAnswer::Cancel) {
        return false;
    }
    if (MenuSaveBMP->isEnabled()) {
        MenuSaveBMP_Click();
    }
    return !m_edit->editor().modified();
}

} // namespace vornix::app
