// The zoom window: its three states, the one-viewer rule, and how it stretches the picture.
#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dialogs/edit_session.h"
#include "dialogs/viewer.h"
#include "dialogs/viewer_enlarger.h"
#include "dialogs/viewer_handle.h"
#include "support/row_name.h"

namespace {

using vornix::dialogs::Viewer;
using vornix::dialogs::ViewerEnlarger;
using vornix::dialogs::ViewerHandle;
using State = ViewerHandle::State;

const QRgb kDark = qRgb(0, 0, 0);
const QRgb kLight = qRgb(255, 255, 255);

// Runs what the event loop would run next: geometry changes and deferred deletions.
void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// A 2 x 2 checker board, dark at the top-left and bottom-right.
QImage checker() {
    QImage image(2, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, kDark);
    image.setPixel(1, 0, kLight);
    image.setPixel(0, 1, kLight);
    image.setPixel(1, 1, kDark);
    return image;
}

QImage rendered(QWidget* widget) {
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The picture area is 480 x 256 (a 240 x 128 picture at twice its size) below the menus and
// the tool bar and above the status line.
TEST(ViewerTest, NewViewerHasItsDesignLayout) {
    Viewer viewer;
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("Viewer"));
    EXPECT_TRUE(viewer.isWindow());
    EXPECT_FALSE(viewer.isModal());
    EXPECT_EQ(viewer.size(), viewer.designSize());
    viewer.show();
    settle();
    EXPECT_EQ(viewer.size(), viewer.designSize());
    EXPECT_EQ(viewer.pictureArea()->viewport()->size(), QSize(480, 256));
    ASSERT_NE(viewer.findChild<ViewerEnlarger*>(QStringLiteral("BMPEnlarger")), nullptr);
    EXPECT_EQ(viewer.BMPEnlarger()->geometry(), QRect(0, 0, 480, 256));
    EXPECT_TRUE(viewer.picture().isNull());
}

// A tall narrow window stretches the picture vertically and squeezes it horizontally over the
// whole picture area (the window is no narrower than its menus and tools allow), each picture pixel
// drawn as a hard-edged block (as QImage's own nearest-neighbour scaling draws it).
TEST(ViewerTest, TallNarrowWindowStretchesEachAxisOnItsOwn) {
    ViewerHandle handle;
    handle.showWithPicture(checker());
    Viewer* viewer = handle.viewer();
    settle();
    // The window grows or shrinks by what the picture area differs from 90 x 300.
    viewer->resize(viewer->size() + QSize(90, 300) - viewer->pictureArea()->viewport()->size());
    settle();

    ASSERT_EQ(viewer->pictureArea()->viewport()->size(), QSize(90, 300));
    EXPECT_EQ(viewer->BMPEnlarger()->geometry(), QRect(0, 0, 90, 300));
    const QImage shown = rendered(viewer->BMPEnlarger());
    EXPECT_EQ(shown.pixel(44, 149), kDark);
    EXPECT_EQ(shown.pixel(45, 150), kDark);
    EXPECT_EQ(shown.pixel(45, 149), kLight);
    EXPECT_EQ(shown, checker().scaled(90, 300).convertToFormat(QImage::Format_RGB32));
}

TEST(ViewerTest, WithoutPictureTheAreaIsEmpty) {
    ViewerHandle handle;
    handle.showWithPicture(QImage());
    settle();
    const QImage shown = rendered(handle.viewer()->BMPEnlarger());
    QImage empty(shown.size(), QImage::Format_RGB32);
    empty.fill(shown.pixel(0, 0));
    EXPECT_EQ(shown, empty);
}

// The status line names the pixel under the pointer and where the panel keeps it: the row,
// the byte in the row and the bit, bit 7 being a byte's leftmost pixel.
TEST(ViewerTest, StatusLineNamesThePixelAndItsPanelByte) {
    vornix::dialogs::EditSession session;
    session.reset(vornix::image::PackedPicture(240, 128));
    Viewer viewer;
    viewer.setSession(&session);
    viewer.show();
    viewer.setZoom(1);
    settle();
    struct Row {
        QPoint at;
        QString text;
    };
    const Row rows[] = {
        // (QTest takes the point (0, 0) for the widget's centre.)
        {{1, 0}, QStringLiteral("240 x 128 | 1x | x 1, y 0 | row 0, byte 0, bit 6")},
        {{7, 3}, QStringLiteral("240 x 128 | 1x | x 7, y 3 | row 3, byte 0, bit 0")},
        {{8, 3}, QStringLiteral("240 x 128 | 1x | x 8, y 3 | row 3, byte 1, bit 7")},
        {{239, 127}, QStringLiteral("240 x 128 | 1x | x 239, y 127 | row 127, byte 29, bit 0")},
    };
    for (const Row& row : rows) {
        QTest::mouseMove(viewer.BMPEnlarger(), row.at);
        EXPECT_EQ(viewer.statusText().toStdString(), row.text.toStdString());
    }
    EXPECT_EQ(viewer.BMPEnlarger()->accessibleName(), QStringLiteral("Picture"));
}

// Ctrl with the wheel and the View menu step through the zoom steps; from 4x up a grid
// outlines the pixels of a picture being edited.
TEST(ViewerTest, ZoomStepsAndTheGrid) {
    vornix::dialogs::EditSession session;
    session.reset(vornix::image::PackedPicture(240, 128));
    Viewer viewer;
    viewer.setSession(&session);
    viewer.show();
    settle();
    EXPECT_EQ(viewer.zoom(), 0); // fitted: 2x at the design size
    viewer.zoomIn();
    EXPECT_EQ(viewer.zoom(), 3);
    EXPECT_EQ(viewer.BMPEnlarger()->size(), QSize(720, 384));
    QImage shown = rendered(viewer.BMPEnlarger());
    EXPECT_EQ(shown.pixel(3, 1), kLight) << "no grid below 4x";
    QWheelEvent wheel(QPointF(300, 200), viewer.BMPEnlarger()->mapToGlobal(QPointF(300, 200)),
                      QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(viewer.BMPEnlarger(), &wheel);
    EXPECT_EQ(viewer.zoom(), 4);
    // The picture point under the pointer, (100, 66.7), stays under it: at 4x it lies at
    // (400, 266.7) of the element, so the view scrolls by (100, 66).
    EXPECT_EQ(viewer.pictureArea()->horizontalScrollBar()->value(), 100);
    EXPECT_EQ(viewer.pictureArea()->verticalScrollBar()->value(), 66);
    shown = rendered(viewer.BMPEnlarger());
    EXPECT_NE(shown.pixel(4, 1), kLight) << "a grid line between the first two pixels";
    EXPECT_EQ(shown.pixel(5, 1), kLight);
    for (int i = 0; i < 20; ++i) {
        viewer.zoomIn();
    }
    EXPECT_EQ(viewer.zoom(), 32);
    for (int i = 0; i < 20; ++i) {
        viewer.zoomOut();
    }
    EXPECT_EQ(viewer.zoom(), 1);
    viewer.findChild<QAction*>(QStringLiteral("ViewerFit"))->trigger();
    EXPECT_EQ(viewer.zoom(), 0);
}

// What the main window does to the viewer, and what the user does to it.
enum class Action { ChangePicture, Zoom, DoubleClick, CloseBox, Unload, Resize, DropHandle };
// Which viewer should exist after a step, compared with the one before it.
enum class Identity { Same, Fresh, None };

struct Step {
    Action action;
    State state;
    Identity identity;
};

struct Scenario {
    std::string name;
    std::vector<Step> steps;
};

void PrintTo(const Scenario& row, std::ostream* out) {
    *out << row.name;
}

class ViewerLifecycleTest : public ::testing::TestWithParam<Scenario> {};

TEST_P(ViewerLifecycleTest, FollowsTheSteps) {
    auto handle = std::make_unique<ViewerHandle>();
    QPointer<Viewer> previous;
    const QImage picture = checker();
    int index = 0;
    for (const Step& step : GetParam().steps) {
        SCOPED_TRACE("step " + std::to_string(index++));
        switch (step.action) {
        case Action::ChangePicture:
            handle->setPicture(picture);
            break;
        case Action::Zoom:
            handle->showWithPicture(picture);
            break;
        case Action::DoubleClick:
            ASSERT_NE(handle->viewer(), nullptr);
            QTest::mouseDClick(handle->viewer()->BMPEnlarger(), Qt::LeftButton);
            break;
        case Action::CloseBox:
            ASSERT_NE(handle->viewer(), nullptr);
            handle->viewer()->close();
            break;
        case Action::Unload:
            handle->unload();
            break;
        case Action::Resize:
            ASSERT_NE(handle->viewer(), nullptr);
            handle->viewer()->resize(200, 500);
            break;
        case Action::DropHandle:
            handle.reset();
            break;
        }
        // The handle must know at once, before the window is actually deleted.
        if (handle) {
            EXPECT_EQ(handle->state(), step.state);
            EXPECT_EQ(handle->exists(), step.state != State::NotExisting);
        }
        settle();
        Viewer* current = handle ? handle->viewer() : nullptr;
        switch (step.identity) {
        case Identity::None:
            EXPECT_EQ(current, nullptr);
            EXPECT_TRUE(previous.isNull()) << "the closed viewer must be destroyed";
            break;
        case Identity::Same:
            ASSERT_NE(current, nullptr);
            EXPECT_EQ(current, previous.data());
            break;
        case Identity::Fresh:
            ASSERT_NE(current, nullptr);
            EXPECT_TRUE(previous.isNull()) << "a fresh viewer replaces none that still lives";
            EXPECT_EQ(current->size(), current->designSize());
            break;
        }
        if (current != nullptr && step.action != Action::Resize) {
            EXPECT_EQ(current->picture().cacheKey(), picture.cacheKey())
                << "the viewer holds the main window's picture";
        }
        previous = current;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ViewerLifecycleTest,
    ::testing::Values(Scenario{"PictureChangeCreatesHiddenThenZoomShows",
                               {{Action::ChangePicture, State::Hidden, Identity::Fresh},
                                {Action::ChangePicture, State::Hidden, Identity::Same},
                                {Action::Zoom, State::Shown, Identity::Same},
                                {Action::ChangePicture, State::Shown, Identity::Same}}},
                      Scenario{"ZoomTwiceKeepsOneViewer",
                               {{Action::Zoom, State::Shown, Identity::Fresh},
                                {Action::Zoom, State::Shown, Identity::Same}}},
                      Scenario{"DoubleClickDestroysAndNextZoomStartsAtDesignSize",
                               {{Action::Zoom, State::Shown, Identity::Fresh},
                                {Action::Resize, State::Shown, Identity::Same},
                                {Action::DoubleClick, State::NotExisting, Identity::None},
                                {Action::Zoom, State::Shown, Identity::Fresh}}},
                      Scenario{"CloseBoxDestroysAndPictureChangeRecreatesHidden",
                               {{Action::Zoom, State::Shown, Identity::Fresh},
                                {Action::CloseBox, State::NotExisting, Identity::None},
                                {Action::ChangePicture, State::Hidden, Identity::Fresh}}},
                      Scenario{"UnloadDestroysHiddenAndShownViewers",
                               {{Action::ChangePicture, State::Hidden, Identity::Fresh},
                                {Action::Unload, State::NotExisting, Identity::None},
                                {Action::Unload, State::NotExisting, Identity::None},
                                {Action::Zoom, State::Shown, Identity::Fresh},
                                {Action::Unload, State::NotExisting, Identity::None}}},
                      Scenario{"MainWindowGoingAwayTakesTheViewer",
                               {{Action::Zoom, State::Shown, Identity::Fresh},
                                {Action::DropHandle, State::NotExisting, Identity::None}}}),
    vornix::test::RowName);

} // namespace
