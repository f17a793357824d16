#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/edit/drawing.h"
#include "image/edit/edit_history.h"
#include "image/edit/pixel_area.h"
#include "image/picture/packed_picture.h"

namespace vornix::image::edit {

enum class Tool {
    Pencil,
    Line,
    Rectangle,
    FilledRectangle,
    Ellipse,
    FilledEllipse,
    Fill,
    Select,
    Text,
};

// How a pointer gesture is held: the colour it draws (dark for the left button, light for the
// right), Shift for straight lines and squares, Ctrl for moving a copy of a selection.
struct GestureKeys {
    bool dark = true;
    bool straight = false;
    bool copy = false;
};

// The picture being edited with its tools, its selection and its undo history. A window feeds
// it pointer gestures in picture pixels and commands; it keeps the picture and tells what
// changed. Every change becomes one undo step when it ends: a stroke at the button's release,
// a command at once, a moved or pasted selection when it is put down (clicking elsewhere,
// another tool or command, or undo). The text tool's pixels float the same way until the
// text is put down; a click with it puts down the text before.
//
// A selection is first a marked rectangle of the picture. Dragging it, pasting, or turning it
// makes it floating: its pixels lie over the picture at a place of their own, and the picture
// under them comes back as they move on.
class PictureEditor {
public:
    PictureEditor() = default;
    explicit PictureEditor(PackedPicture picture);

    // A new picture with a new, empty history.
    void reset(PackedPicture picture);
    const PackedPicture& picture() const { return m_picture; }

    Tool tool() const { return m_tool; }
    // Puts down a floating selection and forgets a marked one, unless the tool stays Select.
    void setTool(Tool tool);

    // A pointer gesture: press, any number of moves, release. Points may lie outside the
    // picture. A press while a gesture runs is ignored, as is a move or release without one.
    void press(PixelPoint p, GestureKeys keys);
    void move(PixelPoint p, GestureKeys keys);
    void release(PixelPoint p, GestureKeys keys);
    bool gestureRunning() const { return m_gesture != Gesture::None; }

    // The selected rectangle (floating or marked), if any; it may reach past the picture's edges
    // while floating.
    std::optional<PixelArea> selection() const;
    bool floating() const { return m_floating; }
    void selectAll();
    // Puts a floating selection down (ending its undo step) and forgets the selection.
    void dropSelection();

    // The selection's pixels, or the whole picture without a selection.
    PackedPicture copy() const;
    // The selection's pixels, its place left light. Empty without a selection.
    PackedPicture cut();
    // Lays `pixels` over the picture as a floating selection at `at`.
    void paste(PackedPicture pixels, PixelPoint at);

    // Lays `pixels` (a rendered text) as floating ink at `at`: its dark pixels darken the
    // picture, its light ones let the picture show through. While text floats, another call
    // replaces it in the same undo step, so a text edited and placed is one step.
    void placeText(PackedPicture pixels, PixelPoint at);
    bool floatingText() const { return m_floating && m_floatInk; }
    // Takes floating pixels (a text, a paste, a moved selection) off without a step: the
    // picture is again as it was before they were lifted or pasted.
    void cancelFloating();

    // Commands on the selection, or on the whole picture without one.
    void invert();
    void mirror(MirrorAxis axis);
    void turn(int quarterTurns);

    // The canvas at a new size; false (nothing changes) for a side below 1, a side above
    // kMaxPreparedSide, or more than kMaxPicturePixels pixels.
    bool resizeCanvas(int width, int height, Anchor anchor);
    // Replaces the whole picture as one undo step (an import over the picture).
    void replace(PackedPicture picture);

    bool canUndo() const;
    bool canRedo() const;
    void undo();
    void redo();
    const EditHistory& history() const { return m_history; }

    // The area changed since the last call, for repainting (the whole picture after a change
    // of size), and whether the picture's size changed since then.
    PixelArea takeDamage();
    // True once after each finished change: a step recorded, undone or redone, or floating
    // pixels pasted, moved, or changed by a command (their step ends when they are put down).
    // The moment a window writes the picture out.
    bool takeFinishedChange();
    // True while the picture differs from the one last marked saved.
    bool modified() const { return version() != m_savedVersion; }
    void markSaved() { m_savedVersion = version(); }

private:
    enum class Gesture { None, Stroke, Shape, Fill, Marking, Moving };

    void beginStep();
    void touch(PixelArea area);
    void finishStep();
    void finished();
    void drawShape(PixelPoint end, GestureKeys keys);
    PixelPoint bounded(PixelPoint p) const;
    void lift(bool keepOriginal);
    void placeFloating(PixelPoint at);

    PackedPicture m_picture;
    EditHistory m_history;
    Tool m_tool = Tool::Pencil;

    // The step in progress: the picture as it began and the area it has touched.
    bool m_stepOpen = false;
    PackedPicture m_stepStart;
    PixelArea m_stepArea;

    Gesture m_gesture = Gesture::None;
    GestureKeys m_keys;
    PixelPoint m_start;
    PixelPoint m_last;
    PixelArea m_shapeArea; // the shape drawn at the last move, to take back at the next

    std::optional<PixelArea> m_marked; // the marked rectangle, within the picture
    bool m_floating = false;
    PackedPicture m_under; // the picture without the floating pixels
    PackedPicture m_floatPixels;
    bool m_floatInk = false; // only the floating pixels' dark ones are laid down (a text)
    PixelPoint m_floatAt;    // the floating pixels' top-left corner
    PixelPoint m_moveFrom;   // where a move started: the pointer and the pixels' corner
    PixelPoint m_floatFrom;

    PixelArea m_damage;
    bool m_finishedChange = false;
    // Every recorded step gets a number of its own; the picture's version is the number of the
    // last step done (0 for none), so undoing back to a saved picture counts as unmodified.
    std::size_t version() const;
    std::vector<std::size_t> m_stepNumbers;
    std::size_t m_lastStepNumber = 0;
    std::size_t m_savedVersion = 0;
};

} // namespace vornix::image::edit
