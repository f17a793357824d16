#pragma once

#include <optional>
#include <span>
#include <vector>

#include <QDialog>

#include "image/picture/format_io.h"
#include "image/picture/picture_formats.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QSpinBox;

namespace vornix::dialogs {

class ByteInspector;

// "Read Picture": what a C array or raw bytes hold, asked before they are opened. The width,
// the height (0: what a C file names), the byte layout and what a set bit stands for; the
// picture they give is shown at once, or the reason there is none, and OK takes it.
class ReadPictureDialog final : public QDialog {
    Q_OBJECT

public:
    ReadPictureDialog(std::vector<std::uint8_t> bytes, image::PictureFormat format,
                      QWidget* parent = nullptr);

    image::ReadOptions options() const;
    void setOptions(const image::ReadOptions& options);

    // The picture the options give now; after OK, the one taken.
    const std::optional<image::PackedPicture>& picture() const { return m_read.picture; }
    QString statusText() const;
    ByteInspector* inspector() const { return m_inspector; }

private:
    void refresh();

    std::vector<std::uint8_t> m_bytes;
    image::PictureFormat m_format;
    image::PanelPictureRead m_read;
    bool m_setting = false;
    QSpinBox* m_width = nullptr;
    QSpinBox* m_height = nullptr;
    QComboBox* m_layout = nullptr;
    QComboBox* m_ink = nullptr;
    QLabel* m_status = nullptr;
    ByteInspector* m_inspector = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

} // namespace vornix::dialogs
