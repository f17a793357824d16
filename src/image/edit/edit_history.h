#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/edit/pixel_area.h"
#include "image/picture/packed_picture.h"

namespace vornix::image::edit {

// The undo history of one picture. A step keeps only the bytes that changed: the smallest
// block of rows and byte columns that holds every changed byte, before and after. A step that
// changes the picture's size keeps both pictures whole. Undo and redo copy a step's bytes back
// in place, so they cost what the step changed, not what the picture holds.
class EditHistory {
public:
    // Records the change from `before` to `after` as the next step and forgets the steps that
    // were undone. `changed` is where the change may lie when the sizes agree (the caller's
    // promise; pass WholeArea to compare everything). False, with nothing recorded, when the
    // pictures are equal.
    bool record(const PackedPicture& before, const PackedPicture& after, PixelArea changed);

    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_steps.size(); }

    // Takes `picture` one step back or forward; the area returned is what changed (the whole
    // picture when its size changed). Empty, with the picture untouched, when there is no step
    // to take or the picture is not the one the step left (the history belongs to another).
    PixelArea undo(PackedPicture& picture);
    PixelArea redo(PackedPicture& picture);

    void clear();
    std::size_t stepCount() const { return m_steps.size(); }
    std::size_t stepsDone() const { return m_done; }
    // The picture bytes the steps hold, before and after together.
    std::size_t bytesHeld() const { return m_bytesHeld; }

private:
    struct Step {
        int widthBefore = 0;
        int heightBefore = 0;
        int widthAfter = 0;
        int heightAfter = 0;
        // The block, when the size stays: rows firstRow.. and byte columns firstByte..
        int firstRow = 0;
        int rowCount = 0;
        std::size_t firstByte = 0;
        std::size_t byteCount = 0;
        std::vector<std::uint8_t> before;
        std::vector<std::uint8_t> after;
    };

    PixelArea apply(PackedPicture& picture, const Step& step, bool forward) const;

    std::vector<Step> m_steps;
    std::size_t m_done = 0;
    std::size_t m_bytesHeld = 0;
};

} // namespace vornix::image::edit
