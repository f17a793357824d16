#pragma once

#include <functional>
#include <string>

#include <QDialog>

#include "image/picture/export_output.h"
#include "image/picture/packed_picture.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace vornix::dialogs {

class ByteInspector;

// "Export": the picture in a firmware format (C source, X11 bitmap, PBM, raw bytes) or as PXL
// text, with the byte layout, a preset for a family of controllers and the C form to choose.
// The first lines of the output show live with its size; beside them the byte inspector shows
// how the pixels land in the bytes: the pixel under the pointer lights its byte, and a value
// clicked in the text lights its pixels. Copy puts text output on the clipboard; Save hands
// the whole output to the window's writer.
class ExportDialog final : public QDialog {
    Q_OBJECT

public:
    // Asks for a file name, given a proposal; empty for none (the user cancelled).
    using ChooseName = std::function<QString(const QString& proposed)>;
    // Writes the output to the named file; an empty text for success, else the reason.
    using Save = std::function<QString(const QString& path, const std::string& bytes)>;

    static constexpr int kPreviewLines = 200;

    ExportDialog(const image::PackedPicture& picture, const QString& pictureName,
                 ChooseName chooseName, Save save, QWidget* parent = nullptr);

    image::ExportChoice choice() const;
    void setChoice(const image::ExportChoice& choice);
    void applyPreset(const QString& name);

    // The whole output for the choice shown, and the lines the preview holds.
    const std::string& output() const { return m_output; }
    QString previewText() const;
    QString sizeText() const;
    ByteInspector* inspector() const { return m_inspector; }

    // Lights the byte whose value holds the preview's text position `offset`.
    void lightValueAt(int offset);

    void copyToClipboard();
    // Asks for a name and saves; the status line says what happened.
    void saveToFile();
    QString statusText() const;

private:
    void buildControls();
    void refresh();
    void showStatus(const QString& text);
    // Marks the value of byte `index` in the text, when the preview holds it.
    void markValue(std::optional<std::size_t> index);

    image::PackedPicture m_picture;
    QString m_pictureName;
    ChooseName m_chooseName;
    Save m_save;
    std::string m_output;
    image::ExportPreview m_preview;
    bool m_refreshing = false;

    QComboBox* m_format = nullptr;
    QComboBox* m_preset = nullptr;
    QComboBox* m_layout = nullptr;
    QComboBox* m_ink = nullptr;
    QComboBox* m_literal = nullptr;
    QSpinBox* m_perLine = nullptr;
    QLineEdit* m_name = nullptr;
    QComboBox* m_placement = nullptr;
    QCheckBox* m_static = nullptr;
    QCheckBox* m_const = nullptr;
    QCheckBox* m_draw = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QLabel* m_size = nullptr;
    QLabel* m_byte = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_copy = nullptr;
    ByteInspector* m_inspector = nullptr;
};

} // namespace vornix::dialogs
