#include "image/picture/test_pattern.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vornix::image {

namespace {

constexpr std::array<std::pair<std::string_view, TestPattern>, 5> kNames = {{
    {"border", TestPattern::Border},
    {"checker", TestPattern::Checker},
    {"grid", TestPattern::Grid},
    {"ruler", TestPattern::Ruler},
    {"bits", TestPattern::Bits},
}};

constexpr int kMarkInset = 3; // corner marks keep clear of the frame
constexpr int kMarkSize = 7;

// Draws a line of `length` + 1 pixels from (x, y) in steps of (dx, dy).
void drawLine(MonoImage& p, int x, int y, int dx, int dy, int length) {
    for (int i = 0; i <= length; ++i) {
        p.setDark(x + i * dx, y + i * dy);
    }
}

void drawFrame(MonoImage& p) {
    drawLine(p, 0, 0, 1, 0, p.width - 1);
    drawLine(p, 0, p.height - 1, 1, 0, p.width - 1);
    drawLine(p, 0, 0, 0, 1, p.height - 1);
    drawLine(p, p.width - 1, 0, 0, 1, p.height - 1);
}

void drawCornerMarks(MonoImage& p) {
    const int last = kMarkSize - 1;
    const int left = kMarkInset;
    const int top = kMarkInset;
    const int right = p.width - 1 - kMarkInset;
    const int bottom = p.height - 1 - kMarkInset;
    for (int i = 0; i <= last; ++i) {
        drawLine(p, left, top + i, 1, 0, last);                   // top left: filled square
        drawLine(p, right - (last - i), top + i, 1, 0, last - i); // top right: triangle
    }
    const int boxTop = bottom - last;
    drawLine(p, left, boxTop, 1, 0, last); // bottom left: hollow square
    drawLine(p, left, bottom, 1, 0, last);
    drawLine(p, left, boxTop, 0, 1, last);
    drawLine(p, left + last, boxTop, 0, 1, last);
    drawLine(p, right - last, boxTop, 1, 1, last); // bottom right: X
    drawLine(p, right, boxTop, -1, 1, last);
}

// An arrow two pixels thick from the centre up and to the left, its head two strokes from the
// tip, one to the right and one down.
void drawArrow(MonoImage& p) {
    const int length = std::min(p.width, p.height) / 4;
    const int head = std::max(1, length / 3);
    const int tipX = p.width / 2 - length;
    const int tipY = p.height / 2 - length;
    drawLine(p, tipX, tipY, 1, 1, length);
    drawLine(p, tipX + 1, tipY, 1, 1, length);
    drawLine(p, tipX, tipY, 1, 0, head);
    drawLine(p, tipX, tipY + 1, 1, 0, head);
    drawLine(p, tipX, tipY, 0, 1, head);
    drawLine(p, tipX + 1, tipY, 0, 1, head);
}

int tickLength(int position) {
    if (position % 50 == 0) {
        return 9;
    }
    if (position % 10 == 0) {
        return 5;
    }
    return position % 2 == 0 ? 2 : 0;
}

void drawRuler(MonoImage& p) {
    for (int x = 0; x < p.width; ++x) {
        if (const int length = tickLength(x); length > 0) {
            drawLine(p, x, 0, 0, 1, length - 1);
        }
    }
    for (int y = 0; y < p.height; ++y) {
        if (const int length = tickLength(y); length > 0) {
            drawLine(p, 0, y, 1, 0, length - 1);
        }
    }
}

void fillWhere(MonoImage& p, bool (*dark)(int x, int y)) {
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            if (dark(x, y)) {
                p.setDark(x, y);
            }
        }
    }
}

} // namespace

std::optional<TestPattern> TestPatternFromName(std::string_view name) {
    for (const auto& [text, pattern] : kNames) {
        if (text == name) {
            return pattern;
        }
    }
    return std::nullopt;
}

std::string_view TestPatternName(TestPattern pattern) {
    for (const auto& [text, candidate] : kNames) {
        if (candidate == pattern) {
            return text;
        }
    }
    return {};
}

MonoImage MakeTestPattern(TestPattern pattern, int width, int height) {
    if (width < 1 || height < 1) {
        return {};
    }
    MonoImage p(width, height);
    switch (pattern) {
    case TestPattern::Border:
        drawFrame(p);
        drawCornerMarks(p);
        drawArrow(p);
        break;
    case TestPattern::Checker:
        fillWhere(p, [](int x, int y) { return (x / 8 + y / 8) % 2 == 0; });
        break;
    case TestPattern::Grid:
        fillWhere(p, [](int x, int y) { return x % 8 == 0 || y % 8 == 0; });
        break;
    case TestPattern::Ruler:
        drawRuler(p);
        break;
    case TestPattern::Bits:
        // Pixel x shows bit 7 - x % 8 of its column's number x / 8 (its lowest eight bits).
        fillWhere(p, [](int x, int) { return ((x / 8) & (0x80 >> (x % 8))) != 0; });
        break;
    }
    return p;
}

} // namespace vornix::image
