// The zoom window drawing on a 1024 x 1024 picture at 8x: the time from a mouse move event to
// the window painted again, for a pencil stroke and for a dragged line, and the time to undo
// 1000 strokes with the window following each. Runs on the offscreen platform unless another
// is named (QT_QPA_PLATFORM); prints the mean and the slowest in milliseconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QMouseEvent>

#include "dialogs/edit_session.h"
#include "dialogs/viewer.h"
#include "dialogs/viewer_enlarger.h"

namespace {

using Clock = std::chrono::steady_clock;
using vornix::dialogs::EditSession;
using vornix::dialogs::Viewer;
using vornix::image::PackedPicture;
using vornix::image::edit::Tool;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void send(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button,
          Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// One stroke of `moves` mouse moves, each followed by the repaint it asks for; returns the
// time of each move in milliseconds.
std::vector<double> stroke(Viewer& viewer, int moves, QPoint from, QPoint step) {
    QWidget* canvas = viewer.BMPEnlarger();
    std::vector<double> times;
    send(canvas, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    QPoint at = from;
    for (int i = 0; i < moves; ++i) {
        at += step;
        const auto start = Clock::now();
        send(canvas, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        viewer.repaint(); // paints the areas the move marked, at once
        times.push_back(Milliseconds(Clock::now() - start));
    }
    send(canvas, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    return times;
}

void report(const char* what, std::vector<double> times) {
    double sum = 0;
    for (const double t : times) {
        sum += t;
    }
    std::sort(times.begin(), times.end());
    std::printf("%-44s mean %7.3f ms   median %7.3f ms   slowest %7.3f ms\n", what,
                sum / static_cast<double>(times.size()), times[times.size() / 2], times.back());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    EditSession session;
    session.reset(PackedPicture(1024, 1024));
    Viewer viewer;
    viewer.setSession(&session);
    viewer.resize(1200, 900);
    viewer.show();
    viewer.setZoom(8);
    QApplication::processEvents();

    viewer.selectTool(Tool::Pencil);
    report("pencil, one mouse move and its repaint", stroke(viewer, 2000, {40, 40}, {1, 0}));
    viewer.selectTool(Tool::Line);
    report("line dragged, one mouse move and its repaint", stroke(viewer, 500, {40, 40}, {1, 1}));

    viewer.selectTool(Tool::Pencil);
    for (int i = 0; i < 1000; ++i) {
        stroke(viewer, 3, {8 * (i % 100) + 4, 8 * (i / 100) * 3 + 4}, {8, 0});
    }
    QAction* undo = viewer.findChild<QAction*>(QStringLiteral("ViewerUndo"));
    const auto start = Clock::now();
    for (int i = 0; i < 1000; ++i) {
        undo->trigger();
    }
    viewer.repaint();
    std::printf("%-44s %7.1f ms\n", "undo 1000 strokes, window repainted",
                Milliseconds(Clock::now() - start));
    return 0;
}
