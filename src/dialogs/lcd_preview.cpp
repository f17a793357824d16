#include "dialogs/lcd_preview.h"

#include <string_view>

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include "app/message_text.h"
#include "dialogs/lcd_preview_pane.h"
#include "dialogs/lcd_preview_panel.h"
#include "download/download_view.h"
#include "image/text/messages.h"
#include "lcdsim/framebuffer.h"

namespace vornix::dialogs {

namespace {

using lcdsim::Framebuffer;

QLabel* paneTitle(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// Why the panel may not show what the picture does, beyond the count of differing pixels.
QStringList remarksFor(const QImage& picture, const PanelRun& run, int differing) {
    QStringList remarks;
    if (differing > 0) {
        remarks << QStringLiteral("Pixels that differ are marked red on the panel.");
    }
    const int width = run.header.width;
    if (width > 0 && width % 8 != 0) {
        // The D command tells the controller W / 8 whole bytes per row, so the last few pixels
        // of every row fall outside the area it displays.
        remarks << QStringLiteral("The width, %1, is not a multiple of 8: the panel shows only "
                                  "%2 pixels of each row.")
                       .arg(width)
                       .arg(std::min(width / 8 * 8, Framebuffer::kWidth));
    }
    if (picture.width() > Framebuffer::kWidth || picture.height() > Framebuffer::kHeight) {
        remarks << QStringLiteral("Only the top left 240 x 128 pixels of the picture fit on "
                                  "the panel.");
    }
    if (run.rejectedCommands > 0) {
        remarks << QStringLiteral("The controller rejected %1 command(s), the first: %2")
                       .arg(run.rejectedCommands)
                       .arg(QString::fromStdString(run.firstRejection));
    }
    return remarks;
}

} // namespace

QString DifferenceCaption(int differing) {
    if (differing == 0) {
        return QStringLiteral("All pixels match.");
    }
    if (differing == 1) {
        return QStringLiteral("1 pixel differs.");
    }
    return QStringLiteral("%1 pixels differ.").arg(differing);
}

LcdPreview::LcdPreview(QWidget* parent)
    : QDialog(parent), m_pictureView(new LcdPreviewPane(kZoom, this)),
      m_panelView(new LcdPreviewPane(kZoom, this)), m_caption(new QLabel(this)),
      m_remark(new QLabel(this)) {
    setWindowTitle(app::Text(image::messages::kPreviewLcd));
    setModal(false);
    setObjectName(QStringLiteral("LcdPreview"));
    m_pictureView->setObjectName(QStringLiteral("pictureView"));
    m_panelView->setObjectName(QStringLiteral("panelView"));
    m_caption->setObjectName(QStringLiteral("caption"));
    m_remark->setObjectName(QStringLiteral("remark"));
    m_pictureView->setToolTip(QStringLiteral("The current picture as it should appear"));
    m_panelView->setToolTip(
        QStringLiteral("What the panel shows after the download of the working PXL file"));
    m_remark->setWordWrap(true);
    m_caption->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* views = new QGridLayout;
    views->addWidget(paneTitle(QStringLiteral("Picture"), this), 0, 0);
    views->addWidget(paneTitle(QStringLiteral("LCD panel"), this), 0, 1);
    views->addWidget(m_pictureView, 1, 0);
    views->addWidget(m_panelView, 1, 1);
    views->setHorizontalSpacing(16);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(views);
    layout->addWidget(m_caption);
    layout->addWidget(m_remark);
    layout->addStretch();
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void LcdPreview::showComparison(const QByteArray& pxlText, const QImage& picture) {
    const PanelRun run = RunOnPanel(std::string_view(pxlText.constData(), pxlText.size()));
    const Framebuffer expected = PictureOnPanel(picture);
    m_pictureView->setPixels(PanelImage(expected));
    if (run.error == download::StreamError::None) {
        showPanelOutcome(expected, picture, run);
        return;
    }
    m_differing.reset();
    m_panelView->setPixels(PanelImage(Framebuffer{}));
    if (run.error == download::StreamError::NoHeader) {
        m_caption->setText(QString::fromLatin1(download::kHeaderMissingMessage));
    } else {
        m_caption->setText(QStringLiteral("Nothing would be sent: %1.")
                               .arg(QString::fromLatin1(download::describe(run.error))));
    }
    m_remark->clear();
}

void LcdPreview::showPanelOutcome(const lcdsim::Framebuffer& expected, const QImage& picture,
                                  const PanelRun& run) {
    const Framebuffer difference = PanelDifference(expected, run.framebuffer);
    m_differing = difference.darkPixels();
    m_panelView->setPixels(PanelImage(run.framebuffer, &difference));
    m_caption->setText(DifferenceCaption(*m_differing));
    m_remark->setText(remarksFor(picture, run, *m_differing).join(QLatin1Char('\n')));
}

QString LcdPreview::caption() const {
    return m_caption->text();
}

QString LcdPreview::remark() const {
    return m_remark->text();
}

const QImage& LcdPreview::pictureView() const {
    return m_pictureView->pixels();
}

const QImage& LcdPreview::panelView() const {
    return m_panelView->pixels();
}

} // namespace vornix::dialogs
