#pragma once

#include <optional>

#include <QByteArray>
#include <QDialog>
#include <QImage>

class QLabel;

namespace vornix::lcdsim {
class Framebuffer;
}

namespace vornix::dialogs {

class LcdPreviewPane;
struct PanelRun;

// The "Preview LCD" window: shows, side by side and enlarged twice, the current picture and
// what the panel would show after downloading the working PXL file, with the pixels in which
// they differ marked red on the panel. It runs the download's exact command stream through the
// controller model, so it reveals what a hand-edited PXL file or a width that is not a multiple
// of 8 does on the real display. Modeless; Escape or Close hides it.
class LcdPreview final : public QDialog {
    Q_OBJECT

public:
    static constexpr int kZoom = 2;

    explicit LcdPreview(QWidget* parent = nullptr);

    // Compares the picture with what a download of `pxlText` (the working PXL file's bytes)
    // puts on the panel, and shows the outcome.
    void showComparison(const QByteArray& pxlText, const QImage& picture);

    // How many panel pixels differ from the picture; nullopt when nothing would be sent.
    std::optional<int> differingPixels() const { return m_differing; }

    // The caption under the two views and the remark line below it (empty when none).
    QString caption() const;
    QString remark() const;

    // The two views at real size, the panel with its marks.
    const QImage& pictureView() const;
    const QImage& panelView() const;

private:
    void showPanelOutcome(const lcdsim::Framebuffer& expected, const QImage& picture,
                          const PanelRun& run);

    LcdPreviewPane* m_pictureView;
    LcdPreviewPane* m_panelView;
    QLabel* m_caption;
    QLabel* m_remark;
    std::optional<int> m_differing;
};

// "All pixels match." for no difference, "1 pixel differs." for one, else "<n> pixels differ."
QString DifferenceCaption(int differing);

} // namespace vornix::dialogs
