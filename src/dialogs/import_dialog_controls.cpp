#include "dialogs/import_dialog_controls.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vornix::dialogs {

namespace {

using image::Dither;
using image::Fit;
using image::Flip;
using image::Rotation;

template <typename Enum> void addChoice(QComboBox* box, const QString& text, Enum value) {
    box->addItem(text, static_cast<int>(value));
}

template <typename Enum> Enum choiceOf(const QComboBox* box) {
    return static_cast<Enum>(box->currentData().toInt());
}

template <typename Enum> void choose(QComboBox* box, Enum value) {
    box->setCurrentIndex(std::max(0, box->findData(static_cast<int>(value))));
}

QComboBox* comboBox(const QString& name, const QString& tip, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setToolTip(tip);
    return box;
}

} // namespace

ImportDialogControls::ImportDialogControls(int sourceThreshold, QWidget* parent)
    : QWidget(parent), m_sourceThreshold(std::clamp(sourceThreshold, 0, 255)) {
    buildChoices();
    buildThreshold();
    layOut();
    connectChanges();
}

void ImportDialogControls::buildChoices() {
    m_fit = comboBox(QStringLiteral("fitBox"),
                     QStringLiteral("How the picture is brought to the panel's 240 x 128 pixels"),
                     this);
    addChoice(m_fit, QStringLiteral("Keep its own size"), Fit::Keep);
    addChoice(m_fit, QStringLiteral("Fit inside 240 x 128"), Fit::Fit);
    addChoice(m_fit, QStringLiteral("Stretch to 240 x 128"), Fit::Stretch);
    addChoice(m_fit, QStringLiteral("Centre on 240 x 128, unscaled"), Fit::Center);

    m_rotation = comboBox(QStringLiteral("rotationBox"),
                          QStringLiteral("Turns the picture clockwise before it is sized"), this);
    addChoice(m_rotation, QStringLiteral("None"), Rotation::None);
    addChoice(m_rotation, QStringLiteral("90\u00b0 clockwise"), Rotation::Clockwise90);
    addChoice(m_rotation, QStringLiteral("180\u00b0"), Rotation::Half);
    addChoice(m_rotation, QStringLiteral("270\u00b0 clockwise"), Rotation::Clockwise270);

    m_flip = comboBox(QStringLiteral("flipBox"),
                      QStringLiteral("Mirrors the picture after turning it"), this);
    addChoice(m_flip, QStringLiteral("None"), Flip::None);
    addChoice(m_flip, QStringLiteral("Left to right"), Flip::Horizontal);
    addChoice(m_flip, QStringLiteral("Top to bottom"), Flip::Vertical);

    m_dither = comboBox(QStringLiteral("ditherBox"),
                        QStringLiteral("How grey levels become dark and light pixels: a plain "
                                       "threshold, or a pattern of dots that imitates grey"),
                        this);
    addChoice(m_dither, QStringLiteral("Threshold"), Dither::None);
    addChoice(m_dither, QStringLiteral("Floyd-Steinberg dithering"), Dither::FloydSteinberg);
    addChoice(m_dither, QStringLiteral("Atkinson dithering"), Dither::Atkinson);
    addChoice(m_dither, QStringLiteral("Ordered dithering 4 x 4"), Dither::Bayer4);
    addChoice(m_dither, QStringLiteral("Ordered dithering 8 x 8"), Dither::Bayer8);

    m_invert = new QCheckBox(QStringLiteral("&Invert dark and light"), this);
    m_invert->setObjectName(QStringLiteral("invertBox"));
    m_invert->setToolTip(QStringLiteral("Swaps dark and light pixels as the last step"));
}

void ImportDialogControls::buildThreshold() {
    const QString tip = QStringLiteral(
        "Grey levels below the threshold become dark pixels (0 black, 255 white); with "
        "dithering, the level that comes out half dark");
    m_thresholdSlider = new QSlider(Qt::Horizontal, this);
    m_thresholdSlider->setObjectName(QStringLiteral("thresholdSlider"));
    m_thresholdSlider->setRange(0, 255);
    m_thresholdSlider->setPageStep(16);
    m_thresholdSlider->setToolTip(tip);
    m_thresholdSpin = new QSpinBox(this);
    m_thresholdSpin->setObjectName(QStringLiteral("thresholdSpin"));
    m_thresholdSpin->setRange(0, 255);
    m_thresholdSpin->setToolTip(tip);
    m_auto = new QPushButton(QStringLiteral("&Auto"), this);
    m_auto->setObjectName(QStringLiteral("autoButton"));
    m_auto->setAutoDefault(false);
    m_auto->setToolTip(QStringLiteral("The threshold that best separates the picture's dark "
                                      "and light parts (%1)")
                           .arg(m_sourceThreshold));
    m_thresholdSlider->setValue(m_sourceThreshold);
    m_thresholdSpin->setValue(m_sourceThreshold);
}

void ImportDialogControls::layOut() {
    auto* shape = new QGroupBox(QStringLiteral("Size and orientation"), this);
    auto* shapeForm = new QFormLayout(shape);
    auto* tones = new QGroupBox(QStringLiteral("Black and white"), this);
    auto* tonesForm = new QFormLayout(tones);
    QList<QLabel*> labels;
    const auto addRow = [&labels](QFormLayout* form, const QString& text, QWidget* buddy,
                                  auto* field) {
        auto* label = new QLabel(text, form->parentWidget());
        label->setBuddy(buddy);
        form->addRow(label, field);
        labels << label;
    };
    addRow(shapeForm, QStringLiteral("&Size:"), m_fit, m_fit);
    addRow(shapeForm, QStringLiteral("&Rotate:"), m_rotation, m_rotation);
    addRow(shapeForm, QStringLiteral("&Mirror:"), m_flip, m_flip);
    addRow(tonesForm, QStringLiteral("M&ethod:"), m_dither, m_dither);
    auto* threshold = new QHBoxLayout;
    threshold->addWidget(m_thresholdSlider, 1);
    threshold->addWidget(m_thresholdSpin);
    threshold->addWidget(m_auto);
    addRow(tonesForm, QStringLiteral("&Threshold:"), m_thresholdSlider, threshold);
    tonesForm->addRow(QString(), m_invert);
    // The two groups' fields line up when their labels are equally wide.
    int labelWidth = 0;
    for (const QLabel* label : labels) {
        labelWidth = std::max(labelWidth, label->sizeHint().width());
    }
    for (QLabel* label : labels) {
        label->setMinimumWidth(labelWidth);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(shape);
    layout->addWidget(tones);
    layout->addStretch();

    const QList<QWidget*> order = tabOrder();
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

QList<QWidget*> ImportDialogControls::tabOrder() const {
    return {m_fit,           m_rotation, m_flip,  m_dither, m_thresholdSlider,
            m_thresholdSpin, m_auto,     m_invert};
}

void ImportDialogControls::connectChanges() {
    const auto announce = [this] {
        if (!m_quiet) {
            emit changed();
        }
    };
    for (QComboBox* box : {m_fit, m_rotation, m_flip, m_dither}) {
        connect(box, &QComboBox::currentIndexChanged, this, announce);
    }
    connect(m_invert, &QCheckBox::toggled, this, announce);
    connect(m_thresholdSlider, &QSlider::valueChanged, this, [this, announce](int value) {
        const QSignalBlocker block(m_thresholdSpin);
        m_thresholdSpin->setValue(value);
        announce();
    });
    connect(m_thresholdSpin, &QSpinBox::valueChanged, this, [this, announce](int value) {
        const QSignalBlocker block(m_thresholdSlider);
        m_thresholdSlider->setValue(value);
        announce();
    });
    connect(m_auto, &QPushButton::clicked, this, [this] { setThreshold(m_sourceThreshold); });
}

void ImportDialogControls::setThreshold(int threshold) {
    // The slider passes the value on to the spin box and announces the change once.
    m_thresholdSlider->setValue(std::clamp(threshold, 0, 255));
}

image::PrepareOptions ImportDialogControls::options() const {
    image::PrepareOptions options;
    options.fit = choiceOf<Fit>(m_fit);
    options.rotation = choiceOf<Rotation>(m_rotation);
    options.flip = choiceOf<Flip>(m_flip);
    options.dither = choiceOf<Dither>(m_dither);
    options.threshold = m_thresholdSlider->value();
    options.autoThreshold = false;
    options.invert = m_invert->isChecked();
    return options;
}

void ImportDialogControls::setOptions(const image::PrepareOptions& options) {
    const image::PrepareOptions before = this->options();
    m_quiet = true;
    choose(m_fit, options.fit);
    choose(m_rotation, options.rotation);
    choose(m_flip, options.flip);
    choose(m_dither, options.dither);
    setThreshold(options.autoThreshold ? m_sourceThreshold : options.threshold);
    m_invert->setChecked(options.invert);
    m_quiet = false;
    const image::PrepareOptions after = this->options();
    if (after.fit != before.fit || after.rotation != before.rotation || after.flip != before.flip ||
        after.dither != before.dither || after.threshold != before.threshold ||
        after.invert != before.invert) {
        emit changed();
    }
}

} // namespace vornix::dialogs
