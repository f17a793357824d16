#include "dialogs/import_dialog.h"

#include <utility>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/message_text.h"
#include "dialogs/import_dialog_controls.h"
#include "dialogs/import_dialog_images.h"
#include "dialogs/import_dialog_previewer.h"
#include "dialogs/lcd_preview_pane.h"
#include "dialogs/lcd_preview_panel.h"
#include "image/text/messages.h"
#include "image/photo/prepare_defaults.h"
#include "image/photo/prepare_picture.h"
#include "image/photo/prepare_tone.h"

namespace vornix::dialogs {

namespace {

int thresholdOf(const image::GreyImage& source) {
    return source.pixels.empty() ? 128 : image::OtsuThreshold(source);
}

// The result's size, then how fitting kept whole bytes (`fitNote`) and what the panel shows.
QString describeResult(const ImportPreviewer::Preview& preview, const std::string& fitNote) {
    if (preview.outcome != image::PrepareOutcome::Prepared) {
        return app::Text(image::messages::kCannotImport)
            .arg(QString::fromUtf8(image::describe(preview.outcome)));
    }
    const auto [width, height] = preview.resultSize;
    QString text = QStringLiteral("Result: %1 x %2 pixels.").arg(width).arg(height);
    for (const std::string& note : {fitNote, image::PanelNote(preview.resultSize)}) {
        if (!note.empty()) {
            text += QLatin1Char(' ') + QString::fromStdString(note);
        }
    }
    return text;
}

QLabel* caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

ImportDialog::ImportDialog(const QImage& source, QWidget* parent)
    : QDialog(parent), m_previewer(std::make_unique<ImportPreviewer>(GreyFromImage(source))),
      m_controls(new ImportDialogControls(thresholdOf(m_previewer->source()), this)),
      m_actualSize(new LcdPreviewPane(1, this)), m_enlarged(new LcdPreviewPane(kZoom, this)),
      m_status(new QLabel(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)),
      m_refreshTimer(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Import Picture"));
    setObjectName(QStringLiteral("ImportDialog"));
    // The grey copy is left empty for a picture beyond the preparation's pixel limit.
    m_sourceTooLarge = !source.isNull() && m_previewer->source().pixels.empty();
    m_actualSize->setObjectName(QStringLiteral("actualSizeView"));
    m_enlarged->setObjectName(QStringLiteral("enlargedView"));
    m_status->setObjectName(QStringLiteral("status"));
    m_actualSize->setToolTip(QStringLiteral("The panel at its real size"));
    m_enlarged->setToolTip(QStringLiteral("The panel enlarged twice"));
    m_buttons->button(QDialogButtonBox::Ok)
        ->setToolTip(QStringLiteral("Prepares the whole picture with these choices"));
    layOut();

    // Changes are gathered until the event loop runs again, so that a dragged slider redraws
    // once per pass with its latest value instead of once per step.
    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setInterval(0);
    connect(m_refreshTimer, &QTimer::timeout, this, &ImportDialog::refreshNow);
    connect(m_controls, &ImportDialogControls::changed, this, &ImportDialog::scheduleRefresh);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &ImportDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &ImportDialog::reject);

    image::PrepareOptions initial = m_controls->options();
    initial.fit = image::DefaultFit({m_previewer->source().width, m_previewer->source().height});
    m_controls->setOptions(initial);
    refreshNow();
    m_controls->fitBox()->setFocus();
}

ImportDialog::~ImportDialog() = default;

void ImportDialog::layOut() {
    auto* views = new QVBoxLayout;
    views->addWidget(caption(QStringLiteral("Actual size"), this));
    views->addWidget(m_actualSize);
    views->addSpacing(6);
    views->addWidget(caption(QStringLiteral("Enlarged %1 x").arg(kZoom), this));
    views->addWidget(m_enlarged);
    views->addWidget(m_status);
    views->addStretch();

    const image::GreyImage& source = m_previewer->source();
    auto* sourceSize = new QLabel(
        QStringLiteral("Picture: %1 x %2 pixels").arg(source.width).arg(source.height), this);
    sourceSize->setObjectName(QStringLiteral("sourceSize"));
    auto* choices = new QVBoxLayout;
    choices->addWidget(m_controls);
    choices->addWidget(sourceSize);
    choices->addStretch();

    auto* columns = new QHBoxLayout;
    columns->addLayout(choices);
    columns->addSpacing(12);
    columns->addLayout(views);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(m_buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(m_controls->tabOrder().last(), m_buttons);
}

image::PrepareOptions ImportDialog::options() const {
    return m_controls->options();
}

void ImportDialog::setOptions(const image::PrepareOptions& options) {
    m_controls->setOptions(options);
}

int ImportDialog::sourceThreshold() const {
    return m_controls->sourceThreshold();
}

QImage ImportDialog::pictureImage() const {
    return m_picture ? MonoToImage(*m_picture) : QImage();
}

const image::MonoImage& ImportDialog::previewPicture() {
    if (m_refreshTimer->isActive()) {
        refreshNow();
    }
    return m_preview;
}

QImage ImportDialog::previewImage() {
    previewPicture();
    return m_actualSize->pixels();
}

QString ImportDialog::statusText() {
    previewPicture();
    return m_status->text();
}

void ImportDialog::scheduleRefresh() {
    m_refreshTimer->start();
}

void ImportDialog::refreshNow() {
    m_refreshTimer->stop();
    const image::PrepareOptions options = m_controls->options();
    ImportPreviewer::Preview preview = m_previewer->preview(options);
    if (m_sourceTooLarge) {
        preview.outcome = image::PrepareOutcome::TooLarge;
    }
    const bool usable = preview.outcome == image::PrepareOutcome::Prepared;
    m_preview = std::move(preview.picture);
    const QImage panel = PanelImage(MonoOnPanel(m_preview));
    m_actualSize->setPixels(panel);
    m_enlarged->setPixels(panel);
    const image::GreyImage& source = m_previewer->source();
    m_status->setText(describeResult(
        preview,
        image::WholeBytesNote(image::RotatedSize({source.width, source.height}, options.rotation),
                              options)));
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(usable);
}

void ImportDialog::accept() {
    image::PrepareResult result =
        image::PreparePicture(m_previewer->source(), m_controls->options());
    if (!result.prepared()) {
        m_status->setText(app::Text(image::messages::kCannotImport)
                              .arg(QString::fromUtf8(image::describe(result.outcome))));
        return;
    }
    m_picture = std::move(result.picture);
    QDialog::accept();
}

void ImportDialog::reject() {
    m_picture.reset();
    QDialog::reject();
}

} // namespace vornix::dialogs
