#include "dialogs/edit_session.h"

#include <cstring>
#include <utility>

namespace vornix::dialogs {

namespace {

const QList<QRgb> kPanelColours{qRgb(255, 255, 255), qRgb(0, 0, 0)};

} // namespace

EditSession::EditSession(QObject* parent) : QObject(parent) {}

void EditSession::reset(std::optional<image::PackedPicture> picture) {
    m_editable = picture.has_value() && !picture->empty();
    m_editor.reset(m_editable ? std::move(*picture) : image::PackedPicture());
    m_image = m_editable ? ImageOf(m_editor.picture()) : QImage();
    m_editor.takeDamage();
    m_editor.takeFinishedChange();
    emit repaint(QRect(0, 0, m_image.width(), m_image.height()));
    emit stateChanged();
}

void EditSession::setReadOnly(bool readOnly) {
    if (readOnly == m_readOnly) {
        return;
    }
    m_readOnly = readOnly;
    emit stateChanged();
}

void EditSession::changed() {
    const image::edit::PixelArea damage = m_editor.takeDamage();
    const bool sizeChanged = m_image.width() != m_editor.picture().width() ||
                             m_image.height() != m_editor.picture().height();
    if (sizeChanged) {
        m_image = ImageOf(m_editor.picture());
        emit repaint(QRect(0, 0, m_image.width(), m_image.height()));
    } else if (!damage.empty() && !m_image.isNull()) {
        refreshImage(damage);
        emit repaint(QRect(damage.x, damage.y, damage.width, damage.height));
    }
    if (m_editor.takeFinishedChange()) {
        emit finished();
    }
    emit stateChanged();
}

void EditSession::refreshImage(const image::edit::PixelArea& area) {
    const image::PackedPicture& picture = m_editor.picture();
    const auto first = static_cast<std::size_t>(area.x >> 3);
    const auto count = static_cast<std::size_t>((area.right() - 1) >> 3) + 1 - first;
    for (int y = area.y; y < area.bottom(); ++y) {
        std::memcpy(m_image.scanLine(y) + first, picture.row(y).data() + first, count);
    }
}

QImage EditSession::ImageOf(const image::PackedPicture& picture) {
    QImage image(picture.width(), picture.height(), QImage::Format_Mono);
    if (image.isNull()) {
        return image;
    }
    image.setColorTable(kPanelColours);
    for (int y = 0; y < picture.height(); ++y) {
        std::memcpy(image.scanLine(y), picture.row(y).data(), picture.stride());
    }
    return image;
}

void EditSession::undo() {
    if (editable()) {
        m_editor.undo();
        changed();
    }
}

void EditSession::redo() {
    if (editable()) {
        m_editor.redo();
        changed();
    }
}

void EditSession::invert() {
    if (editable()) {
        m_editor.invert();
        changed();
    }
}

void EditSession::mirror(image::edit::MirrorAxis axis) {
    if (editable()) {
        m_editor.mirror(axis);
        changed();
    }
}

void EditSession::turn(int quarterTurns) {
    if (editable()) {
        m_editor.turn(quarterTurns);
        changed();
    }
}

void EditSession::selectAll() {
    if (editable()) {
        m_editor.setTool(image::edit::Tool::Select);
        m_editor.selectAll();
        changed();
    }
}

void EditSession::dropSelection() {
    if (editable()) {
        m_editor.dropSelection();
        changed();
    }
}

QImage EditSession::copy() const {
    if (!m_editable) {
        return {};
    }
    return ImageOf(m_editor.copy());
}

QImage EditSession::cut() {
    if (!editable() || !m_editor.selection()) {
        return {};
    }
    const QImage pixels = ImageOf(m_editor.cut());
    changed();
    return pixels;
}

void EditSession::paste(image::PackedPicture pixels, image::edit::PixelPoint at) {
    if (editable()) {
        m_editor.setTool(image::edit::Tool::Select);
        m_editor.paste(std::move(pixels), at);
        changed();
    }
}

void EditSession::placeText(image::PackedPicture pixels, image::edit::PixelPoint at) {
    if (editable()) {
        m_editor.placeText(std::move(pixels), at);
        changed();
    }
}

void EditSession::cancelFloating() {
    if (editable()) {
        m_editor.cancelFloating();
        changed();
    }
}

bool EditSession::resizeCanvas(int width, int height, image::edit::Anchor anchor) {
    if (!editable() || !m_editor.resizeCanvas(width, height, anchor)) {
        return false;
    }
    changed();
    return true;
}

} // namespace vornix::dialogs
