// The picture editor's costs on a 1024 x 1024 picture: one mouse move of a pencil stroke and
// of a line being dragged, the end of a stroke (when its undo step is recorded), and undoing
// and redoing 1000 steps. Prints the mean of each in microseconds and the history's size.
#include <chrono>
#include <cstdio>
#include <random>

#include "image/edit/picture_editor.h"

namespace {

using namespace vornix::image;
using namespace vornix::image::edit;
using Clock = std::chrono::steady_clock;

double Microseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::micro>(Clock::now() - since).count();
}

} // namespace

int main() {
    const int side = 1024;
    std::mt19937 random(1);
    PictureEditor editor(PackedPicture(side, side));

    // A pencil stroke: at 8x zoom a mouse move covers a picture pixel or two.
    editor.setTool(Tool::Pencil);
    const int moves = 100000;
    PixelPoint p{side / 2, side / 2};
    editor.press(p, {});
    auto start = Clock::now();
    for (int i = 0; i < moves; ++i) {
        p.x = (p.x + static_cast<int>(random() % 5) - 2 + side) % side;
        p.y = (p.y + static_cast<int>(random() % 5) - 2 + side) % side;
        editor.move(p, {});
        editor.takeDamage();
    }
    const double pencilMove = Microseconds(start) / moves;
    start = Clock::now();
    editor.release(p, {});
    const double pencilRelease = Microseconds(start);

    // A line dragged about from the middle to anywhere in the picture.
    editor.setTool(Tool::Line);
    const int lineMoves = 20000;
    editor.press({side / 2, side / 2}, {});
    start = Clock::now();
    for (int i = 0; i < lineMoves; ++i) {
        editor.move({static_cast<int>(random() % side), static_cast<int>(random() % side)}, {});
        editor.takeDamage();
    }
    const double lineMove = Microseconds(start) / lineMoves;
    editor.release({0, 0}, {});

    // 1000 short strokes on a fresh picture, then all of them undone and redone.
    editor.reset(PackedPicture(side, side));
    editor.setTool(Tool::Pencil);
    const int steps = 1000;
    start = Clock::now();
    for (int i = 0; i < steps; ++i) {
        PixelPoint q{static_cast<int>(random() % side), static_cast<int>(random() % side)};
        editor.press(q, {});
        for (int j = 0; j < 20; ++j) {
            q.x += 1;
            q.y += static_cast<int>(random() % 3) - 1;
            editor.move(q, {});
        }
        editor.release(q, {});
    }
    const double stroke = Microseconds(start) / steps;
    start = Clock::now();
    for (int i = 0; i < steps; ++i) {
        editor.undo();
    }
    const double undo = Microseconds(start);
    start = Clock::now();
    for (int i = 0; i < steps; ++i) {
        editor.redo();
    }
    const double redo = Microseconds(start);

    std::printf("picture %d x %d\n", side, side);
    std::printf("pencil, one mouse move           %10.3f us\n", pencilMove);
    std::printf("pencil, release (step recorded)  %10.1f us\n", pencilRelease);
    std::printf("line dragged, one mouse move     %10.3f us\n", lineMove);
    std::printf("short stroke, press to release   %10.1f us\n", stroke);
    std::printf("undo %d steps                  %10.1f us\n", steps, undo);
    std::printf("redo %d steps                  %10.1f us\n", steps, redo);
    std::printf("history: %zu steps, %zu bytes\n", editor.history().stepCount(),
                editor.history().bytesHeld());
    return 0;
}
