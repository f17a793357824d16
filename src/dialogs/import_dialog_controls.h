#pragma once

#include <QWidget>

#include "image/photo/prepare_options.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QSlider;
class QSpinBox;

namespace vornix::dialogs {

// The import dialog's choices: size, turn, mirror, black-and-white method, threshold and
// inversion, laid out as a form in the order the preparation applies them. Every change, by
// the user or through setOptions, is announced once by changed().
class ImportDialogControls final : public QWidget {
    Q_OBJECT

public:
    // `sourceThreshold` is the threshold the Auto button restores: the one found in the
    // picture's histogram.
    explicit ImportDialogControls(int sourceThreshold, QWidget* parent = nullptr);

    // The choices as preparation options for the panel's size. The threshold is always given
    // as a number (autoThreshold false), so that the preview and the result use the same one.
    image::PrepareOptions options() const;
    // Shows the given choices; autoThreshold stands for the source's threshold.
    void setOptions(const image::PrepareOptions& options);

    int sourceThreshold() const { return m_sourceThreshold; }

    QComboBox* fitBox() const { return m_fit; }
    QComboBox* rotationBox() const { return m_rotation; }
    QComboBox* flipBox() const { return m_flip; }
    QComboBox* ditherBox() const { return m_dither; }
    QSlider* thresholdSlider() const { return m_thresholdSlider; }
    QSpinBox* thresholdSpin() const { return m_thresholdSpin; }
    QPushButton* autoButton() const { return m_auto; }
    QCheckBox* invertBox() const { return m_invert; }

    // The controls in the order Tab visits them.
    QList<QWidget*> tabOrder() const;

signals:
    void changed();

private:
    void buildChoices();
    void buildThreshold();
    void layOut();
    void connectChanges();
    void setThreshold(int threshold);

    int m_sourceThreshold;
    QComboBox* m_fit;
    QComboBox* m_rotation;
    QComboBox* m_flip;
    QComboBox* m_dither;
    QSlider* m_thresholdSlider;
    QSpinBox* m_thresholdSpin;
    QPushButton* m_auto;
    QCheckBox* m_invert;
    bool m_quiet = false; // set while setOptions changes several controls
};

} // namespace vornix::dialogs
