#pragma once

#include <memory>
#include <optional>

#include <QDialog>
#include <QImage>

#include "image/photo/prepare_image.h"
#include "image/photo/prepare_options.h"

class QDialogButtonBox;
class QLabel;
class QTimer;

namespace vornix::dialogs {

class ImportDialogControls;
class ImportPreviewer;
class LcdPreviewPane;

// The "Import Picture" dialog: turns a picture of any kind Qt reads (a photo, a drawing, a
// grey or colour bitmap) into a 1-bit picture for the panel. The user chooses size, turn,
// mirror, threshold or dithering and inversion, and sees the outcome live on the panel, at
// real size and enlarged. OK prepares the whole picture with the chosen options.
class ImportDialog final : public QDialog {
    Q_OBJECT

public:
    static constexpr int kZoom = 2;

    explicit ImportDialog(const QImage& source, QWidget* parent = nullptr);
    ~ImportDialog() override;

    // The options shown; setOptions shows others (autoThreshold: the source's threshold).
    image::PrepareOptions options() const;
    void setOptions(const image::PrepareOptions& options);

    // The threshold found in the source's histogram: the default, restored by Auto.
    int sourceThreshold() const;

    // After OK: the prepared picture, as the image core's type and as a Format_Mono picture
    // whose colour 0 is black (a dark pixel). Before OK and after Cancel: nullopt and a null
    // image.
    const std::optional<image::MonoImage>& picture() const { return m_picture; }
    QImage pictureImage() const;

    // The preview as it stands, brought up to date first: the prepared picture (or its top left
    // corner, for a very large unscaled one), the panel at real size in the glass colours, and
    // the line below the preview that gives the result's size or why there is none.
    const image::MonoImage& previewPicture();
    QImage previewImage();
    QString statusText();

    ImportDialogControls* controls() const { return m_controls; }

    void accept() override;
    void reject() override;

private:
    void scheduleRefresh();
    void refreshNow();
    void layOut();

    std::unique_ptr<ImportPreviewer> m_previewer;
    ImportDialogControls* m_controls;
    LcdPreviewPane* m_actualSize;
    LcdPreviewPane* m_enlarged;
    QLabel* m_status;
    QDialogButtonBox* m_buttons;
    QTimer* m_refreshTimer;
    image::MonoImage m_preview;
    std::optional<image::MonoImage> m_picture;
    bool m_sourceTooLarge = false;
};

} // namespace vornix::dialogs
