#include "image/edit/picture_editor.h"

#include <algorithm>
#include <utility>

namespace vornix::image::edit {

PictureEditor::PictureEditor(PackedPicture picture) {
    reset(std::move(picture));
}

void PictureEditor::reset(PackedPicture picture) {
    m_picture = std::move(picture);
    m_history.clear();
    m_stepOpen = false;
    m_stepStart = {};
    m_stepArea = {};
    m_gesture = Gesture::None;
    m_marked.reset();
    m_floating = false;
    m_floatInk = false;
    m_under = {};
    m_floatPixels = {};
    m_damage = WholeArea(m_picture);
    m_finishedChange = false;
    m_stepNumbers.clear();
    m_lastStepNumber = 0;
    m_savedVersion = 0;
}

std::size_t PictureEditor::version() const {
    const std::size_t done = m_history.stepsDone();
    return done == 0 ? 0 : m_stepNumbers[done - 1];
}

void PictureEditor::setTool(Tool tool) {
    if (tool != Tool::Select) {
        dropSelection();
    }
    m_tool = tool;
}

void PictureEditor::beginStep() {
    if (m_stepOpen) {
        return;
    }
    m_stepOpen = true;
    m_stepStart = m_picture;
    m_stepArea = {};
}

void PictureEditor::touch(PixelArea area) {
    m_stepArea = m_stepArea.united(area);
    m_damage = m_damage.united(area);
}

void PictureEditor::finishStep() {
    if (!m_stepOpen) {
        return;
    }
    m_stepOpen = false;
    const bool sameSize =
        m_stepStart.width() == m_picture.width() && m_stepStart.height() == m_picture.height();
    if (m_history.record(m_stepStart, m_picture, sameSize ? m_stepArea : WholeArea(m_picture))) {
        m_stepNumbers.resize(m_history.stepsDone() - 1);
        m_stepNumbers.push_back(++m_lastStepNumber);
        finished();
    }
    m_stepStart = {};
    m_stepArea = {};
}

void PictureEditor::finished() {
    m_finishedChange = true;
}

// Far-off points are brought within a picture's size of the edges: what lies beyond changes
// nothing, and the shapes' loops stay bounded by the picture's size.
PixelPoint PictureEditor::bounded(PixelPoint p) const {
    const int w = std::max(1, m_picture.width());
    const int h = std::max(1, m_picture.height());
    return {std::clamp(p.x, -w, 2 * w), std::clamp(p.y, -h, 2 * h)};
}

void PictureEditor::press(PixelPoint p, GestureKeys keys) {
    if (m_gesture != Gesture::None || m_picture.empty()) {
        return;
    }
    p = bounded(p);
    m_keys = keys;
    m_start = p;
    m_last = p;
    m_shapeArea = {};
    switch (m_tool) {
    case Tool::Pencil:
        beginStep();
        touch(DrawPixel(m_picture, p, keys.dark));
        m_gesture = Gesture::Stroke;
        break;
    case Tool::Line:
    case Tool::Rectangle:
    case Tool::FilledRectangle:
    case Tool::Ellipse:
    case Tool::FilledEllipse:
        beginStep();
        m_gesture = Gesture::Shape;
        drawShape(p, keys);
        break;
    case Tool::Fill:
        beginStep();
        touch(FloodFill(m_picture, p, keys.dark));
        m_gesture = Gesture::Fill;
        break;
    case Tool::Text:
        dropSelection(); // the window places a new text where the click was
        break;
    case Tool::Select:
        if (const auto area = selection(); area && area->contains(p)) {
            if (!m_floating) {
                lift(keys.copy);
            } else if (keys.copy) {
                // Ctrl-dragging a floating selection leaves a copy where it lies.
                PasteOver(m_under, m_floatPixels, m_floatAt);
            }
            m_moveFrom = p;
            m_floatFrom = m_floatAt;
            m_gesture = Gesture::Moving;
        } else {
            dropSelection();
            m_gesture = Gesture::Marking;
            m_marked = PixelArea::Spanning(p, p).intersected(WholeArea(m_picture));
            m_damage = m_damage.united(WholeArea(m_picture));
        }
        break;
    }
}

void PictureEditor::drawShape(PixelPoint end, GestureKeys keys) {
    RestoreArea(m_picture, m_stepStart, m_shapeArea);
    m_damage = m_damage.united(m_shapeArea);
    PixelArea area;
    if (m_tool == Tool::Line) {
        area = DrawLine(m_picture, m_start, keys.straight ? StraightLineEnd(m_start, end) : end,
                        keys.dark);
    } else {
        const PixelArea box =
            PixelArea::Spanning(m_start, keys.straight ? SquareEnd(m_start, end) : end);
        const bool filled = m_tool == Tool::FilledRectangle || m_tool == Tool::FilledEllipse;
        area = m_tool == Tool::Rectangle || m_tool == Tool::FilledRectangle
                   ? DrawRectangle(m_picture, box, keys.dark, filled)
                   : DrawEllipse(m_picture, box, keys.dark, filled);
    }
    m_shapeArea = area;
    touch(area);
}

void PictureEditor::move(PixelPoint p, GestureKeys keys) {
    p = bounded(p);
    switch (m_gesture) {
    case Gesture::None:
    case Gesture::Fill:
        return;
    case Gesture::Stroke:
        touch(DrawLine(m_picture, m_last, p, m_keys.dark));
        break;
    case Gesture::Shape:
        drawShape(p, {m_keys.dark, keys.straight, false});
        break;
    case Gesture::Marking: {
        const PixelPoint end = keys.straight ? SquareEnd(m_start, p) : p;
        m_marked = PixelArea::Spanning(m_start, end).intersected(WholeArea(m_picture));
        m_damage = m_damage.united(WholeArea(m_picture));
        break;
    }
    case Gesture::Moving:
        placeFloating({m_floatFrom.x + p.x - m_moveFrom.x, m_floatFrom.y + p.y - m_moveFrom.y});
        break;
    }
    m_last = p;
}

void PictureEditor::release(PixelPoint p, GestureKeys keys) {
    if (m_gesture == Gesture::None) {
        return;
    }
    move(p, keys);
    const Gesture ended = m_gesture;
    m_gesture = Gesture::None;
    switch (ended) {
    case Gesture::Stroke:
    case Gesture::Shape:
    case Gesture::Fill:
        finishStep();
        break;
    case Gesture::Marking:
        if (m_marked && m_marked->width == 1 && m_marked->height == 1 && p == m_start) {
            m_marked.reset(); // a click selects nothing
        } else if (m_marked && m_marked->empty()) {
            m_marked.reset();
        }
        break;
    case Gesture::Moving:
        finished(); // the picture shown changed, though the step runs on
        break;
    case Gesture::None:
        break;
    }
}

// The marked rectangle becomes floating pixels over the picture, its place left light unless
// the original stays (Ctrl). The undo step runs until the pixels are put down.
void PictureEditor::lift(bool keepOriginal) {
    if (!m_marked || m_floating) {
        return;
    }
    beginStep();
    m_floatPixels = CopyArea(m_picture, *m_marked);
    m_floatAt = {m_marked->x, m_marked->y};
    m_under = m_picture;
    if (!keepOriginal) {
        touch(FillArea(m_under, *m_marked, false));
    }
    m_marked.reset();
    m_floating = true;
}

void PictureEditor::placeFloating(PixelPoint at) {
    const PixelArea old{m_floatAt.x, m_floatAt.y, m_floatPixels.width(), m_floatPixels.height()};
    RestoreArea(m_picture, m_under, old);
    touch(old.intersected(WholeArea(m_picture)));
    m_floatAt = at;
    touch(m_floatInk ? InkOver(m_picture, m_floatPixels, at)
                     : PasteOver(m_picture, m_floatPixels, at));
}

std::optional<PixelArea> PictureEditor::selection() const {
    if (m_floating) {
        return PixelArea{m_floatAt.x, m_floatAt.y, m_floatPixels.width(), m_floatPixels.height()};
    }
    return m_marked;
}

void PictureEditor::selectAll() {
    if (m_gesture != Gesture::None || m_picture.empty()) {
        return;
    }
    dropSelection();
    m_marked = WholeArea(m_picture);
    m_damage = m_damage.united(WholeArea(m_picture));
}

void PictureEditor::dropSelection() {
    if (m_gesture == Gesture::Moving || m_gesture == Gesture::Marking) {
        m_gesture = Gesture::None;
    }
    if (m_floating) {
        m_floating = false;
        m_floatInk = false;
        m_under = {};
        m_floatPixels = {};
        finishStep();
    }
    if (m_marked) {
        m_marked.reset();
    }
    m_damage = m_damage.united(WholeArea(m_picture));
}

PackedPicture PictureEditor::copy() const {
    if (m_floating) {
        return m_floatPixels;
    }
    return CopyArea(m_picture, m_marked.value_or(WholeArea(m_picture)));
}

PackedPicture PictureEditor::cut() {
    if (m_gesture != Gesture::None) {
        return {};
    }
    if (m_floating) {
        PackedPicture pixels = std::move(m_floatPixels);
        RestoreArea(m_picture, m_under,
                    {m_floatAt.x, m_floatAt.y, pixels.width(), pixels.height()});
        touch(PixelArea{m_floatAt.x, m_floatAt.y, pixels.width(), pixels.height()}.intersected(
            WholeArea(m_picture)));
        m_floatPixels = {};
        m_under = {};
        m_floating = false;
        m_floatInk = false;
        finishStep();
        return pixels;
    }
    if (!m_marked) {
        return {};
    }
    PackedPicture pixels = CopyArea(m_picture, *m_marked);
    beginStep();
    touch(FillArea(m_picture, *m_marked, false));
    m_marked.reset();
    finishStep();
    return pixels;
}

void PictureEditor::paste(PackedPicture pixels, PixelPoint at) {
    if (m_gesture != Gesture::None || pixels.empty() || m_picture.empty()) {
        return;
    }
    dropSelection();
    beginStep();
    m_under = m_picture;
    m_floatPixels = std::move(pixels);
    m_floatAt = at;
    m_floating = true;
    touch(PasteOver(m_picture, m_floatPixels, at));
    finished();
}

void PictureEditor::placeText(PackedPicture pixels, PixelPoint at) {
    if (m_gesture != Gesture::None || m_picture.empty()) {
        return;
    }
    if (!floatingText()) {
        dropSelection();
        beginStep();
        m_under = m_picture;
        m_floatPixels = {};
        m_floatAt = at;
        m_floating = true;
        m_floatInk = true;
    }
    const PixelArea old{m_floatAt.x, m_floatAt.y, m_floatPixels.width(), m_floatPixels.height()};
    RestoreArea(m_picture, m_under, old);
    touch(old.intersected(WholeArea(m_picture)));
    m_floatPixels = std::move(pixels);
    m_floatAt = at;
    touch(InkOver(m_picture, m_floatPixels, at));
    finished();
}

void PictureEditor::cancelFloating() {
    if (!m_floating || (m_gesture != Gesture::None && m_gesture != Gesture::Moving)) {
        return;
    }
    m_gesture = Gesture::None;
    m_picture = std::move(m_stepStart);
    m_damage = WholeArea(m_picture);
    m_stepOpen = false;
    m_stepStart = {};
    m_stepArea = {};
    m_floating = false;
    m_floatInk = false;
    m_under = {};
    m_floatPixels = {};
    finished();
}

void PictureEditor::invert() {
    if (m_gesture != Gesture::None || m_picture.empty()) {
        return;
    }
    if (m_floating) {
        InvertArea(m_floatPixels, WholeArea(m_floatPixels));
        placeFloating(m_floatAt);
        finished();
        return;
    }
    beginStep();
    touch(InvertArea(m_picture, m_marked.value_or(WholeArea(m_picture))));
    finishStep();
}

void PictureEditor::mirror(MirrorAxis axis) {
    if (m_gesture != Gesture::None || m_picture.empty()) {
        return;
    }
    if (m_floating) {
        MirrorArea(m_floatPixels, WholeArea(m_floatPixels), axis);
        placeFloating(m_floatAt);
        finished();
        return;
    }
    beginStep();
    touch(MirrorArea(m_picture, m_marked.value_or(WholeArea(m_picture)), axis));
    finishStep();
}

// A selection turns about its centre as floating pixels, since its sides change places; the
// whole picture turns with its canvas.
void PictureEditor::turn(int quarterTurns) {
    if (m_gesture != Gesture::None || m_picture.empty() || quarterTurns % 4 == 0) {
        return;
    }
    if (m_marked || m_floating) {
        lift(false);
        const PixelArea old{m_floatAt.x, m_floatAt.y, m_floatPixels.width(),
                            m_floatPixels.height()};
        RestoreArea(m_picture, m_under, old);
        touch(old.intersected(WholeArea(m_picture)));
        m_floatPixels = Turned(m_floatPixels, quarterTurns);
        placeFloating({old.x + (old.width - m_floatPixels.width()) / 2,
                       old.y + (old.height - m_floatPixels.height()) / 2});
        finished();
        return;
    }
    beginStep();
    m_picture = Turned(m_picture, quarterTurns);
    touch(WholeArea(m_picture));
    finishStep();
}

bool PictureEditor::resizeCanvas(int width, int height, Anchor anchor) {
    if (m_gesture != Gesture::None || width < 1 || height < 1 || width > kMaxPreparedSide ||
        height > kMaxPreparedSide ||
        static_cast<std::int64_t>(width) * height > kMaxPicturePixels) {
        return false;
    }
    dropSelection();
    beginStep();
    m_picture = ResizedCanvas(m_picture, width, height, anchor);
    m_stepArea = WholeArea(m_picture);
    m_damage = WholeArea(m_picture);
    finishStep();
    return true;
}

void PictureEditor::replace(PackedPicture picture) {
    if (m_gesture != Gesture::None || picture.empty()) {
        return;
    }
    dropSelection();
    beginStep();
    m_picture = std::move(picture);
    m_stepArea = WholeArea(m_picture);
    m_damage = WholeArea(m_picture);
    finishStep();
}

bool PictureEditor::canUndo() const {
    return m_floating || m_history.canUndo();
}

bool PictureEditor::canRedo() const {
    return !m_floating && m_history.canRedo();
}

void PictureEditor::undo() {
    if (m_gesture != Gesture::None) {
        return;
    }
    dropSelection(); // a floating selection is put down first: its step is the one undone
    const PixelArea area = m_history.undo(m_picture);
    if (!area.empty()) {
        m_damage = m_damage.united(area);
        finished();
    }
}

void PictureEditor::redo() {
    if (m_gesture != Gesture::None || m_floating) {
        return;
    }
    m_marked.reset();
    const PixelArea area = m_history.redo(m_picture);
    if (!area.empty()) {
        m_damage = m_damage.united(area);
        finished();
    }
}

PixelArea PictureEditor::takeDamage() {
    const PixelArea damage = m_damage.intersected(WholeArea(m_picture));
    m_damage = {};
    return damage;
}

bool PictureEditor::takeFinishedChange() {
    return std::exchange(m_finishedChange, false);
}

} // namespace vornix::image::edit
