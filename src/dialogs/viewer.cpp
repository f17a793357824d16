#include "dialogs/viewer.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "dialogs/edit_session.h"
#include "dialogs/named_control.h"
#include "dialogs/text_panel.h"
#include "dialogs/text_placement.h"
#include "dialogs/viewer_enlarger.h"

namespace vornix::dialogs {

using image::edit::MirrorAxis;
using image::edit::Tool;

namespace {

struct ToolEntry {
    Tool tool;
    const char* caption;
    const char* name;
};

const ToolEntry kTools[] = {
    {Tool::Select, "&Select", "ToolSelect"},
    {Tool::Pencil, "&Pencil", "ToolPencil"},
    {Tool::Line, "&Line", "ToolLine"},
    {Tool::Rectangle, "&Rectangle", "ToolRectangle"},
    {Tool::FilledRectangle, "Filled Rect&angle", "ToolFilledRectangle"},
    {Tool::Ellipse, "&Ellipse", "ToolEllipse"},
    {Tool::FilledEllipse, "Filled Ell&ipse", "ToolFilledEllipse"},
    {Tool::Fill, "&Fill", "ToolFill"},
    {Tool::Text, "&Text", "ToolText"},
};

} // namespace

Viewer::Viewer(QWidget* parent)
    : QWidget(parent, Qt::Window), m_enlarger(new ViewerEnlarger()),
      m_area(Named(new QScrollArea(this), QStringLiteral("PictureArea"),
                   QStringLiteral("Picture area"))) {
    setObjectName(QStringLiteral("Viewer"));
    setWindowTitle(QStringLiteral("Viewer"));
    // Closing destroys the window, so nothing of it (size, position) outlives it.
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = Named(new QMenuBar(this), QStringLiteral("ViewerMenu"), QStringLiteral("Menu"));
    layout->setMenuBar(bar);
    // The tools stand in a column left of the picture, as in paint programs, so that the
    // picture area keeps the window's whole width.
    auto* middle = new QHBoxLayout();
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    m_tools = Named(new QToolBar(this), QStringLiteral("ViewerTools"), QStringLiteral("Tools"));
    m_tools->setOrientation(Qt::Vertical);
    m_tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    middle->addWidget(m_tools);
    m_area->setFrameShape(QFrame::NoFrame);
    m_area->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_area->setWidgetResizable(true);
    m_area->setWidget(m_enlarger);
    middle->addWidget(m_area, 1);
    layout->addLayout(middle, 1);
    // The text tool's panel lies under the picture, shown only while that tool is chosen.
    m_textPanel = new TextPanel(this);
    m_textPanel->hide();
    layout->addWidget(m_textPanel);
    m_text = new TextPlacement(m_textPanel, this);
    connect(m_text, &TextPlacement::message, this, &Viewer::showTextMessage);
    connect(m_text, &TextPlacement::ended, this, [this] {
        if (m_textPanel->isAncestorOf(QApplication::focusWidget())) {
            m_area->setFocus(Qt::OtherFocusReason);
        }
    });
    m_status = Named(new QLabel(this), QStringLiteral("ViewerStatus"), QStringLiteral("Status"));
    m_status->setContentsMargins(4, 2, 4, 2);
    // A long status text is cut, never a reason for a wider window.
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(m_status);
    buildMenus(bar);
    buildTools();

    // The picture area takes the design size; the bars around it add theirs.
    const QSize chrome(m_tools->sizeHint().width(),
                       bar->sizeHint().height() + m_status->sizeHint().height());
    m_designSize = QSize(kDesignWidth, kDesignHeight) + chrome;
    resize(m_designSize);
    connect(m_enlarger, &ViewerEnlarger::doubleClicked, this, &Viewer::BMPEnlarger_DblClick);
    connect(m_enlarger, &ViewerEnlarger::pointerAt, this, &Viewer::showPointer);
    connect(m_enlarger, &ViewerEnlarger::zoomStep, this, &Viewer::zoomAt);
    connect(m_enlarger, &ViewerEnlarger::textClicked, m_text, &TextPlacement::begin);
    updateCommands();
}

QAction* Viewer::command(QMenu* menu, const QString& caption, const QString& name,
                         const QList<QKeySequence>& keys) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setShortcuts(keys);
    return action;
}

void Viewer::buildMenus(QMenuBar* bar) {
    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("ViewerEdit"));
    m_undo = command(edit, QStringLiteral("&Undo"), QStringLiteral("ViewerUndo"),
                     {QKeySequence(Qt::CTRL | Qt::Key_Z)});
    m_redo = command(
        edit, QStringLiteral("&Redo"), QStringLiteral("ViewerRedo"),
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit->addSeparator();
    m_cut = command(edit, QStringLiteral("Cu&t"), QStringLiteral("ViewerCut"),
                    {QKeySequence(Qt::CTRL | Qt::Key_X)});
    QAction* copy = command(edit, QStringLiteral("&Copy"), QStringLiteral("ViewerCopy"),
                            {QKeySequence(Qt::CTRL | Qt::Key_C)});
    QAction* paste = command(edit, QStringLiteral("&Paste"), QStringLiteral("ViewerPaste"),
                             {QKeySequence(Qt::CTRL | Qt::Key_V)});
    QAction* pasteNew =
        command(edit, QStringLiteral("Paste as &New Picture"), QStringLiteral("ViewerPasteNew"));
    edit->addSeparator();
    QAction* all = command(edit, QStringLiteral("Select &All"), QStringLiteral("ViewerSelectAll"),
                           {QKeySequence(Qt::CTRL | Qt::Key_A)});
    QAction* none = command(edit, QStringLiteral("&Deselect"), QStringLiteral("ViewerDeselect"),
                            {QKeySequence(Qt::Key_Escape)});
    QAction* putText =
        command(edit, QStringLiteral("&Put Down Text"), QStringLiteral("ViewerPutDownText"),
                {QKeySequence(Qt::CTRL | Qt::Key_Enter), QKeySequence(Qt::CTRL | Qt::Key_Return)});

    QMenu* image = bar->addMenu(QStringLiteral("&Image"));
    image->setObjectName(QStringLiteral("ViewerImage"));
    QAction* invert = command(image, QStringLiteral("&Invert"), QStringLiteral("ViewerInvert"),
                              {QKeySequence(Qt::CTRL | Qt::Key_I)});
    QAction* leftRight = command(image, QStringLiteral("Mirror &Left-Right"),
                                 QStringLiteral("ViewerMirrorLeftRight"));
    QAction* topBottom = command(image, QStringLiteral("Mirror &Top-Bottom"),
                                 QStringLiteral("ViewerMirrorTopBottom"));
    QAction* right =
        command(image, QStringLiteral("Turn &Right"), QStringLiteral("ViewerTurnRight"),
                {QKeySequence(Qt::CTRL | Qt::Key_R)});
    QAction* left = command(image, QStringLiteral("Turn L&eft"), QStringLiteral("ViewerTurnLeft"),
                            {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R)});
    QAction* half = command(image, QStringLiteral("Turn &Half"), QStringLiteral("ViewerTurnHalf"));
    image->addSeparator();
    QAction* canvas =
        command(image, QStringLiteral("Canvas &Size..."), QStringLiteral("ViewerCanvasSize"));

    // The tools are also a menu, so that the keyboard reaches them (Alt+T).
    m_toolMenu = bar->addMenu(QStringLiteral("&Tools"));
    m_toolMenu->setObjectName(QStringLiteral("ViewerToolMenu"));

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("ViewerView"));
    QAction* in =
        command(view, QStringLiteral("Zoom &In"), QStringLiteral("ViewerZoomIn"),
                {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    QAction* out = command(view, QStringLiteral("Zoom &Out"), QStringLiteral("ViewerZoomOut"),
                           {QKeySequence(Qt::CTRL | Qt::Key_Minus)});
    QAction* fit = command(view, QStringLiteral("&Fit Window"), QStringLiteral("ViewerFit"),
                           {QKeySequence(Qt::CTRL | Qt::Key_0)});

    const auto withSession = [this](auto work) {
        return [this, work] {
            if (m_session) {
                work(*m_session);
            }
        };
    };
    connect(m_undo, &QAction::triggered, this, withSession([](EditSession& s) { s.undo(); }));
    connect(m_redo, &QAction::triggered, this, withSession([](EditSession& s) { s.redo(); }));
    connect(m_cut, &QAction::triggered, this, withSession([](EditSession& s) {
                if (const QImage pixels = s.cut(); !pixels.isNull()) {
                    QApplication::clipboard()->setImage(pixels);
                }
            }));
    connect(copy, &QAction::triggered, this, withSession([](EditSession& s) {
                if (const QImage pixels = s.copy(); !pixels.isNull()) {
                    QApplication::clipboard()->setImage(pixels);
                }
            }));
    connect(paste, &QAction::triggered, this, &Viewer::pasteRequested);
    connect(pasteNew, &QAction::triggered, this, &Viewer::pasteAsNewRequested);
    connect(all, &QAction::triggered, this, withSession([this](EditSession& s) {
                s.selectAll();
                selectTool(Tool::Select);
            }));
    // Escape takes a text being placed off again; otherwise it puts down the selection.
    connect(none, &QAction::triggered, this, withSession([this](EditSession& s) {
                if (m_text->active()) {
                    m_text->cancel();
                } else {
                    s.dropSelection();
                }
            }));
    connect(putText, &QAction::triggered, this, [this] { m_text->commit(); });
    connect(invert, &QAction::triggered, this, withSession([](EditSession& s) { s.invert(); }));
    connect(leftRight, &QAction::triggered, this,
            withSession([](EditSession& s) { s.mirror(MirrorAxis::LeftRight); }));
    connect(topBottom, &QAction::triggered, this,
            withSession([](EditSession& s) { s.mirror(MirrorAxis::TopBottom); }));
    connect(right, &QAction::triggered, this, withSession([](EditSession& s) { s.turn(1); }));
    connect(left, &QAction::triggered, this, withSession([](EditSession& s) { s.turn(3); }));
    connect(half, &QAction::triggered, this, withSession([](EditSession& s) { s.turn(2); }));
    connect(canvas, &QAction::triggered, this, &Viewer::canvasSizeRequested);
    connect(in, &QAction::triggered, this, &Viewer::zoomIn);
    connect(out, &QAction::triggered, this, &Viewer::zoomOut);
    connect(fit, &QAction::triggered, this, [this] { setZoom(0); });
    m_editCommands = {m_cut,     copy,      all,   none, putText, invert,
                      leftRight, topBottom, right, left, half,    canvas};
}

void Viewer::buildTools() {
    m_toolGroup = new QActionGroup(this);
    m_toolGroup->setExclusive(true);
    for (const ToolEntry& entry : kTools) {
        QAction* action = m_tools->addAction(QString::fromLatin1(entry.caption));
        action->setObjectName(QString::fromLatin1(entry.name));
        action->setCheckable(true);
        action->setData(static_cast<int>(entry.tool));
        action->setChecked(entry.tool == Tool::Pencil);
        m_toolGroup->addAction(action);
        m_toolMenu->addAction(action);
        connect(action, &QAction::triggered, this, [this, entry] { selectTool(entry.tool); });
    }
    // The tool buttons carry their captions as accessible names.
    for (QAction* action : m_toolGroup->actions()) {
        if (QWidget* button = m_tools->widgetForAction(action)) {
            button->setObjectName(action->objectName() + QStringLiteral("Button"));
            button->setAccessibleName(action->text().remove(QLatin1Char('&')));
        }
    }
}

void Viewer::selectTool(Tool tool) {
    // Any other tool puts a text being placed down, Select included (which would otherwise
    // keep it floating).
    if (tool != Tool::Text) {
        m_text->commit();
    }
    m_enlarger->setTool(tool);
    m_textPanel->setVisible(tool == Tool::Text);
    for (QAction* action : m_toolGroup->actions()) {
        if (action->data().toInt() == static_cast<int>(tool)) {
            action->setChecked(true);
        }
    }
}

void Viewer::setPicture(const QImage& picture) {
    m_enlarger->setPicture(picture);
    showZoom();
}

const QImage& Viewer::picture() const {
    return m_enlarger->picture();
}

void Viewer::setSession(EditSession* session) {
    if (m_session) {
        disconnect(m_session, nullptr, this, nullptr);
    }
    m_session = session;
    m_enlarger->setSession(session);
    m_text->setSession(session);
    if (session) {
        connect(session, &EditSession::stateChanged, this, &Viewer::updateCommands);
        for (QAction* action : m_toolGroup->actions()) {
            if (action->isChecked()) {
                m_enlarger->setTool(static_cast<Tool>(action->data().toInt()));
            }
        }
    }
    updateCommands();
}

// The commands and tools work when there is a picture to edit; the tool bar shows the tool
// the editor uses (a paste takes it to Select).
void Viewer::updateCommands() {
    const bool editing = m_session && m_session->editable();
    for (QAction* action : m_editCommands) {
        action->setEnabled(editing);
    }
    m_toolGroup->setEnabled(editing);
    m_undo->setEnabled(editing && m_session->editor().canUndo());
    m_redo->setEnabled(editing && m_session->editor().canRedo());
    m_cut->setEnabled(editing && m_session->editor().selection().has_value());
    if (editing) {
        const Tool tool = m_session->editor().tool();
        for (QAction* action : m_toolGroup->actions()) {
            if (action->data().toInt() == static_cast<int>(tool) && !action->isChecked()) {
                action->setChecked(true);
            }
        }
        m_textPanel->setVisible(tool == Tool::Text);
    }
    m_textPanel->setEnabled(editing);
    showZoom();
}

void Viewer::setZoom(int zoom) {
    if (zoom == m_enlarger->zoom()) {
        return;
    }
    m_area->setWidgetResizable(zoom == 0);
    m_enlarger->setZoom(zoom);
    if (zoom == 0) {
        Form_Resize();
    }
    showZoom();
}

int Viewer::zoom() const {
    return m_enlarger->zoom();
}

// The wheel zooms about the pointer: the picture point under it stays under it.
void Viewer::zoomAt(int steps, const QPointF& at) {
    const QSizeF before = m_enlarger->scale();
    const QPointF picturePoint(at.x() / before.width(), at.y() / before.height());
    const QPointF inView = at + QPointF(m_enlarger->pos());
    for (; steps > 0; --steps) {
        zoomIn();
    }
    for (; steps < 0; ++steps) {
        zoomOut();
    }
    if (m_enlarger->zoom() == 0) {
        return;
    }
    const QSizeF after = m_enlarger->scale();
    m_area->horizontalScrollBar()->setValue(
        static_cast<int>(picturePoint.x() * after.width() - inView.x()));
    m_area->verticalScrollBar()->setValue(
        static_cast<int>(picturePoint.y() * after.height() - inView.y()));
}

// From fit, the first step beyond the fitted scale; otherwise the next step.
void Viewer::zoomIn() {
    const double current = m_enlarger->zoom() > 0 ? m_enlarger->zoom()
                                                  : std::min(m_enlarger->scale().width(),
                                                             m_enlarger->scale().height());
    for (const int step : kZoomSteps) {
        if (step > current + 1e-9) {
            setZoom(step);
            return;
        }
    }
}

void Viewer::zoomOut() {
    const double current = m_enlarger->zoom() > 0 ? m_enlarger->zoom()
                                                  : std::min(m_enlarger->scale().width(),
                                                             m_enlarger->scale().height());
    int chosen = 0;
    for (const int step : kZoomSteps) {
        if (step < current - 1e-9) {
            chosen = step;
        }
    }
    if (chosen > 0) {
        setZoom(chosen);
    }
}

// "x 12, y 5 | row 5, byte 1, bit 3": the pixel and where the panel keeps it, bit 7 being a
// byte's leftmost pixel.
void Viewer::showPointer(const QPoint& pixel, bool inside) {
    m_pointerText = inside ? QStringLiteral("x %1, y %2 | row %2, byte %3, bit %4")
                                 .arg(pixel.x())
                                 .arg(pixel.y())
                                 .arg(pixel.x() / 8)
                                 .arg(7 - pixel.x() % 8)
                           : QString();
    showZoom();
}

void Viewer::showZoom() {
    const QSize size = m_enlarger->shownSize();
    QString text = size.isEmpty() ? QStringLiteral("No picture")
                                  : QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
    text += m_enlarger->zoom() > 0 ? QStringLiteral(" | %1x").arg(m_enlarger->zoom())
                                   : QStringLiteral(" | fit");
    if (!m_pointerText.isEmpty()) {
        text += QStringLiteral(" | ") + m_pointerText;
    }
    if (!m_textMessage.isEmpty()) {
        text += QStringLiteral(" | ") + m_textMessage;
    }
    m_status->setText(text);
    m_status->setAccessibleDescription(text);
}

void Viewer::showTextMessage(const QString& text) {
    m_textMessage = text;
    showZoom();
}

QString Viewer::statusText() const {
    return m_status->text();
}

void Viewer::Form_Resize() {
    if (m_enlarger->zoom() == 0) {
        m_enlarger->resize(m_area->viewport()->size());
    }
}

void Viewer::BMPEnlarger_DblClick() {
    close();
}

void Viewer::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Viewer::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!m_unloaded) {
        m_unloaded = true;
        emit unloaded();
    }
}

} // namespace vornix::dialogs
