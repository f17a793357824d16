#include "image/edit/drawing.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace vornix::image::edit {

namespace {

bool inside(const PackedPicture& picture, int x, int y) {
    return x >= 0 && y >= 0 && x < picture.width() && y < picture.height();
}

// Columns first..last of one row, clipped by the caller.
void fillSpan(PackedPicture& picture, int y, int first, int last, bool dark) {
    for (int x = first; x <= last; ++x) {
        picture.setDark(x, y, dark);
    }
}

// The columns of the filled ellipse in each row of its box: row r of the box covers
// columns first[r] .. last[r].
struct EllipseRows {
    std::vector<int> first;
    std::vector<int> last;
};

// Each row takes the pixels whose centres lie inside the ellipse through the box's edges; a
// row the curve only grazes keeps its middle pixel (two for an even width), so the shape
// reaches every side of the box.
EllipseRows ellipseRows(PixelArea box) {
    EllipseRows rows;
    rows.first.resize(static_cast<std::size_t>(box.height));
    rows.last.resize(static_cast<std::size_t>(box.height));
    const double rx = box.width / 2.0;
    const double ry = box.height / 2.0;
    for (int r = 0; r < box.height; ++r) {
        // Rows are symmetric: compute the upper half and mirror it.
        const int upper = r < (box.height + 1) / 2 ? r : box.height - 1 - r;
        const double dy = (upper + 0.5 - ry) / ry;
        const double half = rx * std::sqrt(std::max(0.0, 1.0 - dy * dy));
        int first = static_cast<int>(std::ceil(rx - half - 0.5));
        int last = box.width - 1 - first;
        if (first > last) {
            first = (box.width - 1) / 2;
            last = box.width / 2;
        }
        rows.first[static_cast<std::size_t>(r)] = box.x + first;
        rows.last[static_cast<std::size_t>(r)] = box.x + last;
    }
    return rows;
}

} // namespace

PixelArea WholeArea(const PackedPicture& picture) {
    return {0, 0, picture.width(), picture.height()};
}

PixelArea DrawPixel(PackedPicture& picture, PixelPoint p, bool dark) {
    if (!inside(picture, p.x, p.y)) {
        return {};
    }
    picture.setDark(p.x, p.y, dark);
    return {p.x, p.y, 1, 1};
}

PixelArea DrawLine(PackedPicture& picture, PixelPoint a, PixelPoint b, bool dark) {
    const int dx = std::abs(b.x - a.x);
    const int dy = -std::abs(b.y - a.y);
    const int stepX = a.x < b.x ? 1 : -1;
    const int stepY = a.y < b.y ? 1 : -1;
    int error = dx + dy;
    int x = a.x;
    int y = a.y;
    for (;;) {
        if (inside(picture, x, y)) {
            picture.setDark(x, y, dark);
        }
        if (x == b.x && y == b.y) {
            break;
        }
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += stepX;
        }
        if (twice <= dx) {
            error += dx;
            y += stepY;
        }
    }
    return PixelArea::Spanning(a, b).intersected(WholeArea(picture));
}

PixelPoint StraightLineEnd(PixelPoint start, PixelPoint end) {
    const int dx = end.x - start.x;
    const int dy = end.y - start.y;
    const int ax = std::abs(dx);
    const int ay = std::abs(dy);
    // Within 22.5 degrees of an axis (tan 22.5 ~ 0.414 ~ 5/12) the line lies on the axis.
    if (ay * 12 <= ax * 5) {
        return {end.x, start.y};
    }
    if (ax * 12 <= ay * 5) {
        return {start.x, end.y};
    }
    const int side = std::max(ax, ay);
    return {start.x + (dx < 0 ? -side : side), start.y + (dy < 0 ? -side : side)};
}

PixelPoint SquareEnd(PixelPoint start, PixelPoint end) {
    const int dx = end.x - start.x;
    const int dy = end.y - start.y;
    const int side = std::max(std::abs(dx), std::abs(dy));
    return {start.x + (dx < 0 ? -side : side), start.y + (dy < 0 ? -side : side)};
}

PixelArea DrawRectangle(PackedPicture& picture, PixelArea box, bool dark, bool filled) {
    if (filled || box.width <= 2 || box.height <= 2) {
        return FillArea(picture, box, dark);
    }
    FillArea(picture, {box.x, box.y, box.width, 1}, dark);
    FillArea(picture, {box.x, box.bottom() - 1, box.width, 1}, dark);
    FillArea(picture, {box.x, box.y + 1, 1, box.height - 2}, dark);
    FillArea(picture, {box.right() - 1, box.y + 1, 1, box.height - 2}, dark);
    return box.intersected(WholeArea(picture));
}

PixelArea DrawEllipse(PackedPicture& picture, PixelArea box, bool dark, bool filled) {
    const PixelArea clipped = box.intersected(WholeArea(picture));
    if (clipped.empty()) {
        return {};
    }
    const EllipseRows rows = ellipseRows(box);
    const auto span = [&](int r, int& first, int& last) {
        if (r < 0 || r >= box.height) {
            first = 1;
            last = 0; // no pixels above or below the box
            return;
        }
        first = rows.first[static_cast<std::size_t>(r)];
        last = rows.last[static_cast<std::size_t>(r)];
    };
    for (int r = std::max(0, -box.y); r < box.height && box.y + r < picture.height(); ++r) {
        const int y = box.y + r;
        int first = 0;
        int last = 0;
        span(r, first, last);
        if (filled) {
            fillSpan(picture, y, std::max(first, 0), std::min(last, picture.width() - 1), dark);
            continue;
        }
        // The outline is the filled shape's pixels that have a neighbour outside it.
        int aboveFirst = 0;
        int aboveLast = 0;
        int belowFirst = 0;
        int belowLast = 0;
        span(r - 1, aboveFirst, aboveLast);
        span(r + 1, belowFirst, belowLast);
        const int innerFirst = std::max({first + 1, aboveFirst, belowFirst});
        const int innerLast = std::min({last - 1, aboveLast, belowLast});
        for (int x = std::max(first, 0); x <= std::min(last, picture.width() - 1); ++x) {
            if (x < innerFirst || x > innerLast) {
                picture.setDark(x, y, dark);
            }
        }
    }
    return clipped;
}

PixelArea FloodFill(PackedPicture& picture, PixelPoint seed, bool dark) {
    if (!inside(picture, seed.x, seed.y) || picture.isDark(seed.x, seed.y) == dark) {
        return {};
    }
    PixelArea changed;
    std::vector<PixelPoint> pending{seed};
    while (!pending.empty()) {
        const PixelPoint p = pending.back();
        pending.pop_back();
        if (picture.isDark(p.x, p.y) == dark) {
            continue; // filled since it was listed
        }
        int first = p.x;
        while (first > 0 && picture.isDark(first - 1, p.y) != dark) {
            --first;
        }
        int last = p.x;
        while (last + 1 < picture.width() && picture.isDark(last + 1, p.y) != dark) {
            ++last;
        }
        fillSpan(picture, p.y, first, last, dark);
        changed = changed.united({first, p.y, last - first + 1, 1});
        // One entry for each run of unfilled pixels touching the span above and below.
        for (const int y : {p.y - 1, p.y + 1}) {
            if (y < 0 || y >= picture.height()) {
                continue;
            }
            bool inRun = false;
            for (int x = first; x <= last; ++x) {
                const bool open = picture.isDark(x, y) != dark;
                if (open && !inRun) {
                    pending.push_back({x, y});
                }
                inRun = open;
            }
        }
    }
    return changed;
}

PixelArea InvertArea(PackedPicture& picture, PixelArea area) {
    const PixelArea clipped = area.intersected(WholeArea(picture));
    for (int y = clipped.y; y < clipped.bottom(); ++y) {
        for (int x = clipped.x; x < clipped.right(); ++x) {
            picture.setDark(x, y, !picture.isDark(x, y));
        }
    }
    return clipped;
}

PixelArea FillArea(PackedPicture& picture, PixelArea area, bool dark) {
    const PixelArea clipped = area.intersected(WholeArea(picture));
    for (int y = clipped.y; y < clipped.bottom(); ++y) {
        fillSpan(picture, y, clipped.x, clipped.right() - 1, dark);
    }
    return clipped;
}

PixelArea MirrorArea(PackedPicture& picture, PixelArea area, MirrorAxis axis) {
    const PixelArea clipped = area.intersected(WholeArea(picture));
    if (axis == MirrorAxis::LeftRight) {
        for (int y = clipped.y; y < clipped.bottom(); ++y) {
            for (int l = clipped.x, r = clipped.right() - 1; l < r; ++l, --r) {
                const bool left = picture.isDark(l, y);
                picture.setDark(l, y, picture.isDark(r, y));
                picture.setDark(r, y, left);
            }
        }
    } else {
        for (int t = clipped.y, b = clipped.bottom() - 1; t < b; ++t, --b) {
            for (int x = clipped.x; x < clipped.right(); ++x) {
                const bool top = picture.isDark(x, t);
                picture.setDark(x, t, picture.isDark(x, b));
                picture.setDark(x, b, top);
            }
        }
    }
    return clipped;
}

PackedPicture Turned(const PackedPicture& picture, int quarterTurns) {
    const int turns = ((quarterTurns % 4) + 4) % 4;
    const int w = picture.width();
    const int h = picture.height();
    if (turns == 0 || picture.empty()) {
        return picture;
    }
    PackedPicture turned = turns == 2 ? PackedPicture(w, h) : PackedPicture(h, w);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!picture.isDark(x, y)) {
                continue;
            }
            switch (turns) {
            case 1:
                turned.setDark(h - 1 - y, x, true);
                break;
            case 2:
                turned.setDark(w - 1 - x, h - 1 - y, true);
                break;
            default:
                turned.setDark(y, w - 1 - x, true);
                break;
            }
        }
    }
    return turned;
}

PackedPicture CopyArea(const PackedPicture& picture, PixelArea area) {
    PackedPicture copy(area.width, area.height);
    const PixelArea clipped = area.intersected(WholeArea(picture));
    for (int y = clipped.y; y < clipped.bottom(); ++y) {
        for (int x = clipped.x; x < clipped.right(); ++x) {
            if (picture.isDark(x, y)) {
                copy.setDark(x - area.x, y - area.y, true);
            }
        }
    }
    return copy;
}

PixelArea PasteOver(PackedPicture& target, const PackedPicture& source, PixelPoint at) {
    const PixelArea clipped =
        PixelArea{at.x, at.y, source.width(), source.height()}.intersected(WholeArea(target));
    for (int y = clipped.y; y < clipped.bottom(); ++y) {
        for (int x = clipped.x; x < clipped.right(); ++x) {
            target.setDark(x, y, source.isDark(x - at.x, y - at.y));
        }
    }
    return clipped;
}

PixelArea InkOver(PackedPicture& target, const PackedPicture& source, PixelPoint at) {
    const PixelArea clipped =
        PixelArea{at.x, at.y, source.width(), source.height()}.intersected(WholeArea(target));
    for (int y = clipped.y; y < clipped.bottom(); ++y) {
        for (int x = clipped.x; x < clipped.right(); ++x) {
            if (source.isDark(x - at.x, y - at.y)) {
                target.setDark(x, y, true);
            }
        }
    }
    return clipped;
}

void RestoreArea(PackedPicture& target, const PackedPicture& source, PixelArea area) {
    const PixelArea clipped = area.intersected(WholeArea(target));
    if (clipped.empty() || source.width() != target.width() || source.height() != target.height()) {
        return;
    }
    const auto firstByte = static_cast<std::size_t>(clipped.x >> 3);
    const auto byteCount = static_cast<std::size_t>((clipped.right() - 1) >> 3) + 1 - firstByte;
    for (int y = clipped.y; y < clipped.bottom(); ++y) {
        std::memcpy(target.row(y).data() + firstByte, source.row(y).data() + firstByte, byteCount);
    }
}

PixelPoint AnchorOffset(int oldWidth, int oldHeight, int newWidth, int newHeight, Anchor anchor) {
    const int column = static_cast<int>(anchor) % 3; // 0 left, 1 centre, 2 right
    const int row = static_cast<int>(anchor) / 3;    // 0 top, 1 middle, 2 bottom
    const auto place = [](int oldSide, int newSide, int where) {
        const int spare = newSide - oldSide;
        return where == 0 ? 0 : where == 1 ? spare / 2 : spare;
    };
    return {place(oldWidth, newWidth, column), place(oldHeight, newHeight, row)};
}

PackedPicture ResizedCanvas(const PackedPicture& picture, int width, int height, Anchor anchor) {
    PackedPicture canvas(width, height);
    PasteOver(canvas, picture,
              AnchorOffset(picture.width(), picture.height(), width, height, anchor));
    return canvas;
}

} // namespace vornix::image::edit
