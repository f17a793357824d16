#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include <QPoint>
#include <QString>
#include <QWidget>

#include "image/picture/byte_layout.h"
#include "image/picture/packed_picture.h"

namespace vornix::dialogs {

// The picture enlarged with a grid, for seeing how its pixels land in bytes. The pixel under
// the pointer names its byte (index, value, bit) and lights the pixels that byte holds;
// lightByte() lights a byte chosen elsewhere (a value clicked in the text).
class ByteInspector final : public QWidget {
    Q_OBJECT

public:
    explicit ByteInspector(QWidget* parent = nullptr);

    void setPicture(const image::PackedPicture& picture);
    void setLayoutChoice(image::LayoutChoice choice);
    // Screen pixels a picture pixel; the grid shows from 4 up.
    void setCellSize(int cell);
    int cellSize() const { return m_cell; }

    // Lights the pixels of byte `index`; nullopt or an index past the end lights none.
    void lightByte(std::optional<std::size_t> index);
    std::optional<std::size_t> litByte() const { return m_lit; }
    const std::vector<image::PixelOfBit>& litPixels() const { return m_litPixels; }
    // "byte 12 (0x00C) = 0x3F, bit 5: x 3, y 1", or "" when no byte is lit.
    QString description() const { return m_description; }

    QSize sizeHint() const override;

signals:
    // The byte under the pointer changed (nullopt: the pointer left the picture).
    void byteHovered(std::optional<std::size_t> index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void describe(std::optional<image::PixelOfBit> pointed);
    void fitSize();

    image::PackedPicture m_picture;
    image::LayoutChoice m_choice;
    std::vector<std::uint8_t> m_bytes; // the picture in the chosen layout
    int m_cell = 8;
    QPoint m_pointed{-1, -1}; // the picture pixel under the pointer
    std::optional<std::size_t> m_lit;
    std::vector<image::PixelOfBit> m_litPixels;
    QString m_description;
};

} // namespace vornix::dialogs
