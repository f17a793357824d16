#include "image/edit/edit_history.h"

#include <algorithm>
#include <cstring>

#include "image/edit/drawing.h"

namespace vornix::image::edit {

namespace {

std::vector<std::uint8_t> blockBytes(const PackedPicture& picture, int firstRow, int rowCount,
                                     std::size_t firstByte, std::size_t byteCount) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(rowCount) * byteCount);
    for (int r = 0; r < rowCount; ++r) {
        std::memcpy(bytes.data() + static_cast<std::size_t>(r) * byteCount,
                    picture.row(firstRow + r).data() + firstByte, byteCount);
    }
    return bytes;
}

void putBlock(PackedPicture& picture, const std::vector<std::uint8_t>& bytes, int firstRow,
              int rowCount, std::size_t firstByte, std::size_t byteCount) {
    for (int r = 0; r < rowCount; ++r) {
        std::memcpy(picture.row(firstRow + r).data() + firstByte,
                    bytes.data() + static_cast<std::size_t>(r) * byteCount, byteCount);
    }
}

} // namespace

bool EditHistory::record(const PackedPicture& before, const PackedPicture& after,
                         PixelArea changed) {
    Step step;
    step.widthBefore = before.width();
    step.heightBefore = before.height();
    step.widthAfter = after.width();
    step.heightAfter = after.height();
    if (step.widthBefore == step.widthAfter && step.heightBefore == step.heightAfter) {
        const PixelArea area = changed.intersected(WholeArea(after));
        if (area.empty()) {
            return false;
        }
        // The changed bytes' block inside the area the caller names.
        const auto areaFirstByte = static_cast<std::size_t>(area.x >> 3);
        const auto areaLastByte = static_cast<std::size_t>((area.right() - 1) >> 3);
        int firstRow = -1;
        int lastRow = -1;
        std::size_t firstByte = areaLastByte + 1;
        std::size_t lastByte = 0;
        for (int y = area.y; y < area.bottom(); ++y) {
            const auto old = before.row(y);
            const auto now = after.row(y);
            std::size_t b = areaFirstByte;
            while (b <= areaLastByte && old[b] == now[b]) {
                ++b;
            }
            if (b > areaLastByte) {
                continue;
            }
            std::size_t e = areaLastByte;
            while (old[e] == now[e]) {
                --e;
            }
            if (firstRow < 0) {
                firstRow = y;
            }
            lastRow = y;
            firstByte = std::min(firstByte, b);
            lastByte = std::max(lastByte, e);
        }
        if (firstRow < 0) {
            return false;
        }
        step.firstRow = firstRow;
        step.rowCount = lastRow - firstRow + 1;
        step.firstByte = firstByte;
        step.byteCount = lastByte - firstByte + 1;
        step.before = blockBytes(before, step.firstRow, step.rowCount, firstByte, step.byteCount);
        step.after = blockBytes(after, step.firstRow, step.rowCount, firstByte, step.byteCount);
    } else {
        step.before = before.bytes();
        step.after = after.bytes();
    }
    // The undone steps can no longer be redone.
    for (std::size_t i = m_done; i < m_steps.size(); ++i) {
        m_bytesHeld -= m_steps[i].before.size() + m_steps[i].after.size();
    }
    m_steps.resize(m_done);
    m_bytesHeld += step.before.size() + step.after.size();
    m_steps.push_back(std::move(step));
    ++m_done;
    return true;
}

PixelArea EditHistory::apply(PackedPicture& picture, const Step& step, bool forward) const {
    const int widthFrom = forward ? step.widthBefore : step.widthAfter;
    const int heightFrom = forward ? step.heightBefore : step.heightAfter;
    if (picture.width() != widthFrom || picture.height() != heightFrom) {
        return {};
    }
    const std::vector<std::uint8_t>& bytes = forward ? step.after : step.before;
    if (step.widthBefore != step.widthAfter || step.heightBefore != step.heightAfter) {
        const int width = forward ? step.widthAfter : step.widthBefore;
        const int height = forward ? step.heightAfter : step.heightBefore;
        PackedPicture resized(width, height);
        putBlock(resized, bytes, 0, height, 0, resized.stride());
        picture = std::move(resized);
        return WholeArea(picture);
    }
    putBlock(picture, bytes, step.firstRow, step.rowCount, step.firstByte, step.byteCount);
    const int left = static_cast<int>(step.firstByte * 8);
    const int right =
        std::min(picture.width(), static_cast<int>((step.firstByte + step.byteCount) * 8));
    return {left, step.firstRow, right - left, step.rowCount};
}

PixelArea EditHistory::undo(PackedPicture& picture) {
    if (!canUndo()) {
        return {};
    }
    const PixelArea area = apply(picture, m_steps[m_done - 1], false);
    if (!area.empty()) {
        --m_done;
    }
    return area;
}

PixelArea EditHistory::redo(PackedPicture& picture) {
    if (!canRedo()) {
        return {};
    }
    const PixelArea area = apply(picture, m_steps[m_done], true);
    if (!area.empty()) {
        ++m_done;
    }
    return area;
}

void EditHistory::clear() {
    m_steps.clear();
    m_done = 0;
    m_bytesHeld = 0;
}

} // namespace vornix::image::edit
