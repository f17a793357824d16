#pragma once

#include "image/edit/pixel_area.h"
#include "image/picture/packed_picture.h"

namespace vornix::image::edit {

// The drawing operations of the picture editor on the one-bit picture. Every operation clips
// at the picture's edges, so a shape may lie partly or wholly outside; each returns the area
// of the picture it may have changed (empty when none), which is what a window repaints and
// what the undo history compares.

PixelArea WholeArea(const PackedPicture& picture);

// One pixel; a pixel outside the picture is ignored.
PixelArea DrawPixel(PackedPicture& picture, PixelPoint p, bool dark);

// The straight line from a to b, both ends included, one pixel a step along the longer axis.
PixelArea DrawLine(PackedPicture& picture, PixelPoint a, PixelPoint b, bool dark);

// The end a line from `start` takes when it is held straight: of the horizontal, the vertical
// and the two 45 degree lines through `start`, the one nearest to `end`.
PixelPoint StraightLineEnd(PixelPoint start, PixelPoint end);

// The corner opposite `start` of the square that a rectangle or ellipse dragged from `start`
// to `end` becomes when held square: its side is the longer of the two drags.
PixelPoint SquareEnd(PixelPoint start, PixelPoint end);

// The rectangle's border one pixel wide, or the whole rectangle when filled.
PixelArea DrawRectangle(PackedPicture& picture, PixelArea box, bool dark, bool filled);

// The ellipse that fits the box, its outline (closed, one pixel wide) or the whole of it. The
// shape is symmetric in both axes of the box and touches all four sides.
PixelArea DrawEllipse(PackedPicture& picture, PixelArea box, bool dark, bool filled);

// Gives `dark` to the 4-connected region of pixels around `seed` that differ from it. Works
// through the region span by span with a list of its own, so any region of any picture size
// is filled without deep calls.
PixelArea FloodFill(PackedPicture& picture, PixelPoint seed, bool dark);

// Every pixel of the area (clipped) turned to the other colour.
PixelArea InvertArea(PackedPicture& picture, PixelArea area);

// Every pixel of the area (clipped) set to one colour.
PixelArea FillArea(PackedPicture& picture, PixelArea area, bool dark);

enum class MirrorAxis {
    LeftRight, // the left and right sides change places
    TopBottom, // the top and bottom change places
};
PixelArea MirrorArea(PackedPicture& picture, PixelArea area, MirrorAxis axis);

// The picture turned clockwise by `quarterTurns` quarters (any integer; 4 is a whole turn).
PackedPicture Turned(const PackedPicture& picture, int quarterTurns);

// The pixels of the area as a picture of their own; the part outside the picture is light.
PackedPicture CopyArea(const PackedPicture& picture, PixelArea area);

// Lays `source` over `target` with its top-left pixel at `at`, light pixels included.
PixelArea PasteOver(PackedPicture& target, const PackedPicture& source, PixelPoint at);

// Darkens in `target` the pixels under the dark pixels of `source` placed at `at`; its light
// pixels let the target show through (text laid over a picture).
PixelArea InkOver(PackedPicture& target, const PackedPicture& source, PixelPoint at);

// Copies the bytes of `source` that hold the area's pixels into the same place of `target`, a
// picture of the same size. Whole bytes are copied: pixels beside the area in the same bytes
// come along, which is what restoring a picture from an earlier copy of it wants.
void RestoreArea(PackedPicture& target, const PackedPicture& source, PixelArea area);

// Where a picture's old pixels go when its canvas changes size.
enum class Anchor {
    TopLeft,
    Top,
    TopRight,
    Left,
    Centre,
    Right,
    BottomLeft,
    Bottom,
    BottomRight,
};

// The place of the old picture's top-left pixel on a canvas of the new size: flush with the
// anchor's sides, centred on the others with an odd pixel at the right or bottom, so that
// growing a canvas and shrinking it back by the same centred amount gives the picture back.
PixelPoint AnchorOffset(int oldWidth, int oldHeight, int newWidth, int newHeight, Anchor anchor);

// The picture on a canvas of the new size: new pixels light, pixels beyond it cut away.
PackedPicture ResizedCanvas(const PackedPicture& picture, int width, int height, Anchor anchor);

} // namespace vornix::image::edit
