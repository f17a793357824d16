#include "app/lcd_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>

#include "app/caption_label.h"
#include "app/download_controller.h"
#include "app/download_status.h"
#include "app/lamp.h"
#include "app/message_text.h"
#include "app/picture_box.h"
#include "app/separator_lines.h"
#include "app/working_files.h"
#include "dialogs/file_form.h"
#include "dialogs/viewer_handle.h"
#include "image/text/messages.h"

namespace vornix::app {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kClientWidth = 3915 / kTwipsPerPixel;  // 261
constexpr int kClientHeight = 3105 / kTwipsPerPixel; // 207

// A control's place, given in twips as the layout was designed.
QRect twips(int left, int top, int width, int height) {
    auto px = [](int t) { return (t + kTwipsPerPixel / 2) / kTwipsPerPixel; };
    return {px(left), px(top), px(width), px(height)};
}

QAction* addCommand(QMenu* menu, const QString& caption, const QString& name,
                    const QKeySequence& shortcut = {}) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
    }
    return action;
}

} // namespace

LCDForm::LCDForm(AppState& state, Prompts& prompts, LCDFormOptions options, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_prompts(prompts), m_options(std::move(options)),
      m_viewer(std::make_unique<dialogs::ViewerHandle>()), m_fileDialog(&dialogs::FileForm::Show),
      m_loadPicture(&LoadPicture) {
    setObjectName(QStringLiteral("LCDForm"));
    setWindowTitle(Text(image::messages::kProgramTitle));
    setWindowIcon(QIcon(QStringLiteral(":/vornix/vornix.png")));
    setAcceptDrops(true);
    buildMenus();
    buildControls();
    buildExtraCommands();
    buildEditCommands();
    // The window is the download's display; the view is a private base, so it is cast here.
    m_download = std::make_unique<DownloadController>(static_cast<download::DownloadView&>(*this),
                                                      m_state, m_prompts);
    resize(kClientWidth,
           kClientHeight + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    // Escape stops a running download whichever control has the focus.
    qApp->installEventFilter(this);
}

LCDForm::~LCDForm() {
    qApp->removeEventFilter(this);
}

void LCDForm::buildMenus() {
    Menufile = menuBar()->addMenu(QStringLiteral("&File"));
    Menufile->setObjectName(QStringLiteral("Menufile"));
    MenuOpenBMP = addCommand(Menufile, QStringLiteral("&Open BMP Image..."),
                             QStringLiteral("MenuOpenBMP"), QKeySequence(Qt::CTRL | Qt::Key_O));
    MenuOpenPxl = addCommand(Menufile, QStringLiteral("Open &PXL Image..."),
                             QStringLiteral("MenuOpenPxl"), QKeySequence(Qt::CTRL | Qt::Key_P));
    Menufile->addSeparator()->setObjectName(QStringLiteral("MenuSpace1"));
    MenuSaveBMP = addCommand(Menufile, QStringLiteral("Save as &BMP..."),
                             QStringLiteral("MenuSaveBMP"), QKeySequence(Qt::CTRL | Qt::Key_B));
    MenuSavePXL = addCommand(Menufile, QStringLiteral("&Save as PXL..."),
                             QStringLiteral("MenuSavePXL"), QKeySequence(Qt::CTRL | Qt::Key_S));
    Menufile->addSeparator()->setObjectName(QStringLiteral("MenuSpace2"));
    MenuFileLoad = addCommand(Menufile, QStringLiteral("&Load LCD"), QStringLiteral("MenuFileLoad"),
                              QKeySequence(Qt::CTRL | Qt::Key_L));
    MenuFileExit = addCommand(Menufile, QStringLiteral("E&xit"), QStringLiteral("MenuFileExit"),
                              QKeySequence(Qt::CTRL | Qt::Key_X));

    MenuMask = menuBar()->addMenu(QStringLiteral("&Mask"));
    MenuMask->setObjectName(QStringLiteral("MenuMask"));
    MenuMaskOn = addCommand(MenuMask, QStringLiteral("Use &Mask"), QStringLiteral("MenuMaskOn"),
                            QKeySequence(Qt::CTRL | Qt::Key_M));
    MenuMaskOn->setCheckable(true);
    MenuMaskSize = addCommand(MenuMask, QStringLiteral("&Size..."), QStringLiteral("MenuMaskSize"));

    MenuImage = menuBar()->addMenu(QStringLiteral("&Image"));
    MenuImage->setObjectName(QStringLiteral("MenuImage"));
    MenuImgInfo = addCommand(MenuImage, QStringLiteral("&Image Info"),
                             QStringLiteral("MenuImgInfo"), QKeySequence(Qt::CTRL | Qt::Key_I));
    MenuImgMagnifier =
        addCommand(MenuImage, QStringLiteral("&Zoom"), QStringLiteral("MenuImgMagnifier"),
                   QKeySequence(Qt::CTRL | Qt::Key_Z));

    MenuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    MenuHelp->setObjectName(QStringLiteral("MenuHelp"));
    MenuHelpfile =
        addCommand(MenuHelp, QStringLiteral("Help File"), QStringLiteral("MenuHelpfile"));
    MenuHelpPaint =
        addCommand(MenuHelp, QStringLiteral("Run MSPaint"), QStringLiteral("MenuHelpPaint"));
    MenuHelpAbout = addCommand(MenuHelp, QStringLiteral("About"), QStringLiteral("MenuHelpAbout"));

    // The File menu's commands do nothing while the menu is disabled for a download, also
    // when reached through their shortcuts.
    auto fileCommand = [this](QAction* action, void (LCDForm::*handler)()) {
        connect(action, &QAction::triggered, this, [this, handler] {
            if (Menufile->isEnabled()) {
                (this->*handler)();
            }
        });
    };
    fileCommand(MenuOpenBMP, &LCDForm::MenuOpenBMP_Click);
    fileCommand(MenuOpenPxl, &LCDForm::MenuOpenPxl_Click);
    fileCommand(MenuSaveBMP, &LCDForm::MenuSaveBMP_Click);
    fileCommand(MenuSavePXL, &LCDForm::MenuSavePXL_Click);
    fileCommand(MenuFileLoad, &LCDForm::MenuFileLoad_Click);
    connect(MenuFileExit, &QAction::triggered, this, [this] {
        if (Menufile->isEnabled()) {
            close();
        }
    });
    connect(MenuMaskOn, &QAction::triggered, this, [this] {
        // The action has already flipped its own check mark; undo that so the handler decides.
        MenuMaskOn->setChecked(!MenuMaskOn->isChecked());
        MenuMaskOn_Click();
    });
    connect(MenuMaskSize, &QAction::triggered, this, &LCDForm::MenuMaskSize_Click);
    connect(MenuImgInfo, &QAction::triggered, this, &LCDForm::MenuImgInfo_Click);
    connect(MenuImgMagnifier, &QAction::triggered, this, &LCDForm::MenuImgMagnifier_Click);
    connect(MenuHelpfile, &QAction::triggered, this, &LCDForm::MenuHelpfile_Click);
    connect(MenuHelpPaint, &QAction::triggered, this, &LCDForm::MenuHelpPaint_Click);
    connect(MenuHelpAbout, &QAction::triggered, this, &LCDForm::MenuHelpAbout_Click);
}

void LCDForm::buildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client);

    Lines = new SeparatorLines(client);
    Lines->setObjectName(QStringLiteral("Lines"));

    FileEntry = new CaptionLabel(client);
    FileEntry->setObjectName(QStringLiteral("FileEntry"));
    FileEntry->setGeometry(twips(120, 135, 3765, 315));
    // A long path keeps its beginning and its file name in view.
    FileEntry->setElideMode(Qt::ElideMiddle);

    Label2 = new CaptionLabel(client);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(twips(120, 600, 495, 255));
    Label2->setCaption(QStringLiteral("COM"));

    ComList = new QListWidget(client);
    ComList->setObjectName(QStringLiteral("ComList"));
    ComList->setGeometry(twips(600, 600, 495, 255));
    ComList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ComList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(ComList, &QListWidget::currentRowChanged, this, [this](int) { ComList_Click(); });
    connect(ComList, &QListWidget::itemClicked, this, [this] { ComList_Click(); });

    Shape1 = new Lamp(palette().color(QPalette::Dark), client);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(twips(1420, 590, 300, 300));

    LoadLight = new Lamp(QColor(255, 255, 255), client);
    LoadLight->setObjectName(QStringLiteral("LoadLight"));
    LoadLight->setGeometry(twips(1440, 600, 255, 255));

    RowCounter = new CaptionLabel(client);
    RowCounter->setObjectName(QStringLiteral("RowCounter"));
    RowCounter->setGeometry(twips(1920, 600, 855, 255));

    Log = new CaptionLabel(client);
    Log->setObjectName(QStringLiteral("Log"));
    Log->setGeometry(twips(3960, 600, 3015, 915));

    BMPImage = new PictureBox(client);
    BMPImage->setObjectName(QStringLiteral("BMPImage"));
    BMPImage->setGeometry(twips(120, 960, 3660, 1980));
    BMPImage->setToolTip(QStringLiteral("BMP - Bitmap Image"));
    BMPImage->mask()->setObjectName(QStringLiteral("Mask"));
    connect(BMPImage, &PictureBox::changed, this, &LCDForm::BMPImage_Change);
    connect(BMPImage, &PictureBox::doubleClicked, this, &LCDForm::BMPImage_DblClick);

    BMPHolder = new CaptionLabel(client);
    BMPHolder->setObjectName(QStringLiteral("BMPHolder"));
    BMPHolder->setGeometry(twips(120, 2040, 3600, 1920));
    BMPHolder->hide();

    Progress = new DownloadStatus(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    statusBar()->addWidget(Progress, 1);
    statusBar()->setSizeGripEnabled(true);
}

void LCDForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void LCDForm::Form_Resize() {
    const QWidget* client = centralWidget();
    Lines->setGeometry(0, 0, client->width(), 2);
    Lines->setX2(client->width() * kTwipsPerPixel);
}

bool LCDForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && isActiveWindow()) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->window() == this) {
            Form_KeyDown(static_cast<QKeyEvent*>(event)->key());
        }
    }
    return false; // the key goes on to the control that has the focus
}

void LCDForm::Form_KeyDown(int keyCode) {
    if (keyCode == Qt::Key_Escape) {
        m_state.flags.StopDownload = true;
    }
}

void LCDForm::closeEvent(QCloseEvent* event) {
    if (!Form_QueryUnload()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void LCDForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && Menufile->isEnabled()) {
        event->acceptProposedAction();
    }
}

void LCDForm::dropEvent(QDropEvent* event) {
    const auto urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) {
        return;
    }
    event->acceptProposedAction();
    if (mayDropEdits()) {
        OpenDroppedFile(urls.first().toLocalFile());
    }
}

bool LCDForm::downloadRunning() const {
    return m_download->running();
}

} // namespace vornix::app
