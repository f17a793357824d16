// The picture editor: its drawing tools against the shapes they promise, and its undo history
// against long random runs of every tool and command.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "image/edit/drawing.h"
#include "image/edit/edit_history.h"
#include "image/edit/picture_editor.h"

namespace vornix::image::edit {
namespace {

PackedPicture randomPicture(int width, int height, std::mt19937& random) {
    PackedPicture picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (auto& byte : picture.row(y)) {
            byte = static_cast<std::uint8_t>(random());
        }
    }
    picture.clearPadding();
    return picture;
}

std::set<std::pair<int, int>> darkPixels(const PackedPicture& picture) {
    std::set<std::pair<int, int>> dark;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.isDark(x, y)) {
                dark.insert({x, y});
            }
        }
    }
    return dark;
}

bool paddingClear(const PackedPicture& picture) {
    PackedPicture cleared = picture;
    cleared.clearPadding();
    return cleared == picture;
}

TEST(DrawingTest, LinesRunFromEndToEndOnePixelAStep) {
    const std::pair<PixelPoint, PixelPoint> lines[] = {
        {{0, 0}, {0, 0}},    {{0, 0}, {19, 0}},    {{5, 2}, {5, 17}}, {{0, 0}, {19, 19}},
        {{19, 0}, {0, 19}},  {{3, 4}, {17, 9}},    {{17, 9}, {3, 4}}, {{2, 18}, {7, 1}},
        {{-5, -3}, {25, 9}}, {{10, 10}, {11, 19}},
    };
    for (const auto& [a, b] : lines) {
        PackedPicture picture(20, 20);
        DrawLine(picture, a, b, true);
        const auto dark = darkPixels(picture);
        PackedPicture big(60, 60);
        DrawLine(big, {a.x + 20, a.y + 20}, {b.x + 20, b.y + 20}, true);
        const auto whole = darkPixels(big);
        const std::size_t steps =
            static_cast<std::size_t>(std::max(std::abs(b.x - a.x), std::abs(b.y - a.y))) + 1;
        EXPECT_EQ(whole.size(), steps) << a.x << "," << a.y << " " << b.x << "," << b.y;
        EXPECT_TRUE(whole.count({a.x + 20, a.y + 20}) && whole.count({b.x + 20, b.y + 20}));
        // Each pixel but the ends has a neighbour on either side: one connected line.
        for (const auto& [x, y] : whole) {
            int neighbours = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    neighbours += (dx || dy) && whole.count({x + dx, y + dy});
                }
            }
            EXPECT_GE(neighbours, steps > 1 ? 1 : 0);
        }
        // Clipping keeps exactly the pixels that lie inside.
        std::size_t insideCount = 0;
        for (const auto& [x, y] : whole) {
            insideCount += x >= 20 && y >= 20 && x < 40 && y < 40;
        }
        EXPECT_EQ(dark.size(), insideCount);
    }
}

TEST(DrawingTest, StraightLinesAndSquaresSnap) {
    struct Row {
        PixelPoint end;
        PixelPoint straight;
        PixelPoint square;
    };
    const PixelPoint start{10, 10};
    const Row rows[] = {
        {{20, 12}, {20, 10}, {20, 20}}, {{12, 20}, {10, 20}, {20, 20}},
        {{18, 17}, {18, 18}, {18, 18}}, {{2, 3}, {2, 2}, {2, 2}},
        {{0, 14}, {0, 10}, {0, 20}},    {{13, -5}, {10, -5}, {25, -5}},
        {{10, 10}, {10, 10}, {10, 10}},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(StraightLineEnd(start, r.end), r.straight) << r.end.x << "," << r.end.y;
        EXPECT_EQ(SquareEnd(start, r.end), r.square) << r.end.x << "," << r.end.y;
    }
}

TEST(DrawingTest, RectanglesAndEllipsesFillTheirBoxes) {
    const PixelArea boxes[] = {{3, 3, 1, 1},   {3, 3, 2, 2},   {2, 5, 3, 5},  {1, 1, 10, 4},
                               {0, 0, 31, 17}, {4, 2, 64, 64}, {5, 5, 7, 40}, {0, 0, 2, 9}};
    for (const PixelArea& box : boxes) {
        SCOPED_TRACE(testing::Message() << box.width << "x" << box.height);
        PackedPicture outline(80, 80);
        PackedPicture filled(80, 80);
        DrawRectangle(outline, box, true, false);
        DrawRectangle(filled, box, true, true);
        const auto border = static_cast<std::size_t>(box.width <= 2 || box.height <= 2
                                                         ? box.width * box.height
                                                         : 2 * box.width + 2 * box.height - 4);
        EXPECT_EQ(darkPixels(outline).size(), border);
        EXPECT_EQ(darkPixels(filled).size(), static_cast<std::size_t>(box.width * box.height));

        PackedPicture ring(80, 80);
        PackedPicture disc(80, 80);
        DrawEllipse(ring, box, true, false);
        DrawEllipse(disc, box, true, true);
        const auto ringPixels = darkPixels(ring);
        const auto discPixels = darkPixels(disc);
        int left = 1000, right = -1, top = 1000, bottom = -1;
        for (const auto& [x, y] : discPixels) {
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            // Symmetric in both axes of the box.
            EXPECT_TRUE(discPixels.count({2 * box.x + box.width - 1 - x, y}));
            EXPECT_TRUE(discPixels.count({x, 2 * box.y + box.height - 1 - y}));
        }
        EXPECT_EQ(PixelArea::Spanning({left, top}, {right, bottom}), box);
        // The outline lies on the filled shape and holds its edge: every filled pixel beside a
        // pixel outside the shape.
        for (const auto& [x, y] : discPixels) {
            const bool edge = !discPixels.count({x - 1, y}) || !discPixels.count({x + 1, y}) ||
                              !discPixels.count({x, y - 1}) || !discPixels.count({x, y + 1});
            EXPECT_EQ(ringPixels.count({x, y}) == 1, edge) << x << "," << y;
        }
        EXPECT_EQ(ringPixels.size() <= discPixels.size(), true);
        // Each row of the filled shape is one run.
        for (int y = box.y; y < box.bottom(); ++y) {
            int runs = 0;
            for (int x = 0; x < 80; ++x) {
                runs += disc.isDark(x, y) && (x == 0 || !disc.isDark(x - 1, y));
            }
            EXPECT_EQ(runs, 1) << "row " << y;
        }
    }
}

TEST(DrawingTest, FloodFillTakesTheConnectedRegionOnly) {
    // A ring with a gap only diagonally: 4-connected filling stays inside.
    PackedPicture picture(12, 12);
    DrawRectangle(picture, {2, 2, 8, 8}, true, false);
    picture.setDark(2, 2, false); // a corner open only diagonally
    const PixelArea changed = FloodFill(picture, {5, 5}, true);
    EXPECT_EQ(changed, (PixelArea{3, 3, 6, 6}));
    EXPECT_FALSE(picture.isDark(0, 0));
    EXPECT_FALSE(picture.isDark(2, 2));
    EXPECT_EQ(darkPixels(picture).size(), 27u + 36u);
    // Filling with the colour already there changes nothing.
    EXPECT_TRUE(FloodFill(picture, {5, 5}, true).empty());
    EXPECT_TRUE(FloodFill(picture, {-1, 5}, false).empty());
}

TEST(DrawingTest, FloodFillCoversALongWindingPathWithoutDeepCalls) {
    // A serpentine corridor one pixel wide through a 1025 x 1025 picture: a recursive fill
    // would go half a million calls deep.
    const int side = 1025;
    PackedPicture picture(side, side);
    FillArea(picture, WholeArea(picture), true);
    std::size_t corridor = 0;
    for (int y = 0; y < side; y += 2) {
        FillArea(picture, {0, y, side, 1}, false);
        corridor += side;
        if (y + 1 < side) {
            const int x = (y / 2) % 2 == 0 ? side - 1 : 0;
            picture.setDark(x, y + 1, false);
            ++corridor;
        }
    }
    FloodFill(picture, {0, 0}, true);
    EXPECT_EQ(darkPixels(picture).size(), static_cast<std::size_t>(side) * side);
    EXPECT_GT(corridor, 500000u);
}

TEST(DrawingTest, TurnsAndMirrorsMoveEveryPixelWhereItBelongs) {
    std::mt19937 random(7);
    for (const auto& [w, h] :
         {std::pair{241, 7}, std::pair{1, 1}, std::pair{8, 3}, std::pair{33, 65}}) {
        const PackedPicture picture = randomPicture(w, h, random);
        const PackedPicture quarter = Turned(picture, 1);
        ASSERT_EQ(quarter.width(), h);
        ASSERT_EQ(quarter.height(), w);
        const PackedPicture half = Turned(picture, 2);
        const PackedPicture back = Turned(picture, -1);
        PackedPicture leftRight = picture;
        MirrorArea(leftRight, WholeArea(picture), MirrorAxis::LeftRight);
        PackedPicture topBottom = picture;
        MirrorArea(topBottom, WholeArea(picture), MirrorAxis::TopBottom);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const bool dark = picture.isDark(x, y);
                ASSERT_EQ(quarter.isDark(h - 1 - y, x), dark);
                ASSERT_EQ(half.isDark(w - 1 - x, h - 1 - y), dark);
                ASSERT_EQ(back.isDark(y, w - 1 - x), dark);
                ASSERT_EQ(leftRight.isDark(w - 1 - x, y), dark);
                ASSERT_EQ(topBottom.isDark(x, h - 1 - y), dark);
            }
        }
        EXPECT_EQ(Turned(quarter, 3), picture);
        EXPECT_TRUE(paddingClear(quarter) && paddingClear(half) && paddingClear(leftRight));
    }
}

TEST(DrawingTest, CanvasAnchorsPlaceTheOldPicture) {
    struct Row {
        Anchor anchor;
        PixelPoint grown;  // the old top-left pixel on a 9 x 6 canvas
        PixelPoint shrunk; // on a 2 x 1 canvas
    };
    const Row rows[] = {
        {Anchor::TopLeft, {0, 0}, {0, 0}},       {Anchor::Top, {2, 0}, {-1, 0}},
        {Anchor::TopRight, {5, 0}, {-2, 0}},     {Anchor::Left, {0, 1}, {0, -1}},
        {Anchor::Centre, {2, 1}, {-1, -1}},      {Anchor::Right, {5, 1}, {-2, -1}},
        {Anchor::BottomLeft, {0, 3}, {0, -2}},   {Anchor::Bottom, {2, 3}, {-1, -2}},
        {Anchor::BottomRight, {5, 3}, {-2, -2}},
    };
    PackedPicture picture(4, 3);
    picture.setDark(0, 0, true);
    picture.setDark(3, 2, true);
    for (const Row& r : rows) {
        EXPECT_EQ(AnchorOffset(4, 3, 9, 6, r.anchor), r.grown);
        EXPECT_EQ(AnchorOffset(4, 3, 2, 1, r.anchor), r.shrunk);
        const PackedPicture grown = ResizedCanvas(picture, 9, 6, r.anchor);
        EXPECT_EQ(darkPixels(grown), (std::set<std::pair<int, int>>{
                                         {r.grown.x, r.grown.y}, {r.grown.x + 3, r.grown.y + 2}}));
        EXPECT_TRUE(paddingClear(grown));
        EXPECT_EQ(ResizedCanvas(grown, 4, 3, r.anchor), picture);
    }
}

TEST(EditHistoryTest, KeepsOnlyTheChangedBytes) {
    PackedPicture before(1024, 1024);
    PackedPicture after = before;
    after.setDark(517, 900, true);
    EditHistory history;
    EXPECT_FALSE(history.record(before, before, WholeArea(before)));
    ASSERT_TRUE(history.record(before, after, WholeArea(before)));
    EXPECT_EQ(history.bytesHeld(), 2u);
    // A line across the picture keeps one byte column block of its rows.
    PackedPicture line = after;
    DrawLine(line, {0, 10}, {1023, 10}, true);
    ASSERT_TRUE(history.record(after, line, {0, 10, 1024, 1}));
    EXPECT_EQ(history.bytesHeld(), 2u + 2u * 128u);
    // Undo refuses a picture the history does not belong to.
    PackedPicture other(10, 10);
    EXPECT_TRUE(history.undo(other).empty());
    EXPECT_EQ(history.stepsDone(), 2u);
    PackedPicture picture = line;
    EXPECT_EQ(history.undo(picture), (PixelArea{0, 10, 1024, 1}));
    EXPECT_EQ(picture, after);
}

// One random action of the editor: a gesture of any tool or a command. True for an undo or
// a redo.
bool randomAction(PictureEditor& editor, std::mt19937& random, int w, int h) {
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto point = [&] { return PixelPoint{pick(w + 8) - 4, pick(h + 8) - 4}; };
    const auto keys = [&] { return GestureKeys{pick(3) != 0, pick(3) == 0, pick(3) == 0}; };
    switch (pick(18)) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4: {
        editor.setTool(static_cast<Tool>(pick(9)));
        const GestureKeys k = keys();
        editor.press(point(), k);
        for (int i = pick(6); i > 0; --i) {
            editor.move(point(), k);
        }
        editor.release(point(), k);
        break;
    }
    case 5:
        editor.invert();
        break;
    case 6:
        editor.mirror(pick(2) ? MirrorAxis::LeftRight : MirrorAxis::TopBottom);
        break;
    case 7:
        editor.turn(pick(4));
        break;
    case 8:
        editor.resizeCanvas(1 + pick(w + 20), 1 + pick(h + 20), static_cast<Anchor>(pick(9)));
        break;
    case 9:
        editor.paste(randomPicture(1 + pick(w), 1 + pick(h), random), point());
        break;
    case 10:
        editor.paste(editor.cut(), point());
        break;
    case 11:
        editor.selectAll();
        break;
    case 12:
        editor.paste(editor.copy(), point());
        break;
    case 13:
        editor.replace(randomPicture(1 + pick(w), 1 + pick(h), random));
        break;
    case 14: // a text typed: each call redraws the floating text
        for (int i = 1 + pick(3); i > 0; --i) {
            editor.placeText(randomPicture(1 + pick(w), 1 + pick(h), random), point());
        }
        break;
    case 15:
        editor.cancelFloating();
        break;
    case 16:
        editor.undo();
        return true;
    default:
        editor.redo();
        return true;
    }
    return false;
}

struct RunSize {
    int width;
    int height;
};

TEST(PictureEditorTest, UndoingEveryStepGivesTheOriginalAndRedoingGivesTheEdit) {
    const RunSize sizes[] = {{241, 7}, {240, 128}, {1, 1}, {8, 8}, {17, 33}, {64, 3}};
    for (const unsigned seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        for (const RunSize size : sizes) {
            SCOPED_TRACE(testing::Message()
                         << "seed " << seed << ", " << size.width << "x" << size.height);
            std::mt19937 random(seed);
            const PackedPicture original = randomPicture(size.width, size.height, random);
            PictureEditor editor(original);
            // The picture after each number of steps done, where it was seen.
            std::vector<std::optional<PackedPicture>> seen{original};
            for (int action = 0; action < 300; ++action) {
                const std::size_t doneBefore = editor.history().stepsDone();
                const std::size_t countBefore = editor.history().stepCount();
                const bool travelled = randomAction(editor, random, editor.picture().width(),
                                                    editor.picture().height());
                ASSERT_TRUE(paddingClear(editor.picture()));
                const std::size_t done = editor.history().stepsDone();
                const std::size_t count = editor.history().stepCount();
                // New steps replace the undone ones; the pictures they end in are seen only
                // when no floating selection hides them.
                const bool recorded =
                    travelled ? count != countBefore : count != countBefore || done != doneBefore;
                if (recorded) {
                    seen.resize(doneBefore + 1);
                    seen.resize(count + 1);
                }
                if (editor.floating()) {
                    continue;
                }
                // Whatever changed the picture was recorded, and undo and redo bring back
                // exactly the pictures seen before.
                if (seen[done] && (travelled || !recorded)) {
                    ASSERT_EQ(*seen[done], editor.picture()) << "action " << action;
                }
                seen[done] = editor.picture();
            }
            editor.dropSelection();
            const PackedPicture edited = editor.picture();
            const std::size_t steps = editor.history().stepsDone();
            while (editor.canUndo()) {
                editor.undo();
                const std::size_t done = editor.history().stepsDone();
                if (done < seen.size() && seen[done]) {
                    ASSERT_EQ(editor.picture(), *seen[done]) << "undone to step " << done;
                }
            }
            EXPECT_EQ(editor.picture(), original);
            EXPECT_FALSE(editor.modified());
            for (std::size_t i = 0; i < steps; ++i) {
                editor.redo();
            }
            EXPECT_EQ(editor.picture(), edited);
            EXPECT_EQ(editor.canRedo(), steps < editor.history().stepCount());
        }
    }
}

TEST(PictureEditorTest, GesturesMakeOneStepEach) {
    PictureEditor editor(PackedPicture(40, 20));
    editor.setTool(Tool::Pencil);
    editor.press({1, 1}, {});
    for (int x = 2; x < 30; ++x) {
        editor.move({x, 1}, {});
    }
    EXPECT_FALSE(editor.takeFinishedChange()); // drawing goes on
    editor.release({30, 1}, {});
    EXPECT_TRUE(editor.takeFinishedChange());
    EXPECT_EQ(editor.history().stepCount(), 1u);
    EXPECT_EQ(darkPixels(editor.picture()).size(), 30u);
    EXPECT_TRUE(editor.modified());

    // A line dragged about leaves only its last position; Shift holds it horizontal.
    editor.setTool(Tool::Line);
    editor.press({0, 10}, {});
    editor.move({39, 19}, {});
    editor.move({20, 0}, {});
    editor.release({20, 12}, {true, true, false});
    EXPECT_EQ(editor.history().stepCount(), 2u);
    EXPECT_EQ(darkPixels(editor.picture()).size(), 30u + 21u);
    EXPECT_TRUE(editor.picture().isDark(20, 10));

    // The right button draws light.
    editor.setTool(Tool::Pencil);
    editor.press({5, 1}, {false, false, false});
    editor.release({5, 1}, {false, false, false});
    EXPECT_FALSE(editor.picture().isDark(5, 1));

    // A selection moved and put down is one step; the place it left is light.
    editor.setTool(Tool::Select);
    editor.press({0, 0}, {});
    editor.release({9, 2}, {});
    ASSERT_EQ(editor.selection(), (PixelArea{0, 0, 10, 3}));
    editor.press({2, 1}, {});
    editor.move({5, 6}, {});
    editor.release({6, 11}, {});
    EXPECT_TRUE(editor.floating());
    EXPECT_EQ(editor.selection(), (PixelArea{4, 10, 10, 3}));
    editor.dropSelection();
    EXPECT_EQ(editor.history().stepCount(), 4u);
    EXPECT_FALSE(editor.picture().isDark(1, 1));
    EXPECT_TRUE(editor.picture().isDark(5, 11));
    editor.undo();
    EXPECT_TRUE(editor.picture().isDark(1, 1));

    // Sizes the canvas cannot take change nothing.
    EXPECT_FALSE(editor.resizeCanvas(0, 5, Anchor::Centre));
    EXPECT_FALSE(editor.resizeCanvas(40000, 5, Anchor::Centre));
    EXPECT_FALSE(editor.resizeCanvas(30000, 30000, Anchor::Centre));
    EXPECT_TRUE(editor.resizeCanvas(240, 128, Anchor::Centre));
    EXPECT_EQ(editor.picture().width(), 240);

    // A new picture starts a new history.
    editor.reset(PackedPicture(3, 3));
    EXPECT_FALSE(editor.canUndo());
    EXPECT_FALSE(editor.modified());
}

// Placed text is ink: its dark pixels darken the picture, its light ones leave it be. Retyped,
// it replaces itself; put down, it is one step; cancelled, it leaves no trace.
TEST(PictureEditorTest, TextFloatsAsInkUntilPutDownOrCancelled) {
    PackedPicture start(16, 4);
    start.setDark(0, 0, true);
    start.setDark(5, 1, true);
    PictureEditor editor(start);
    PackedPicture first(3, 2);
    first.setDark(0, 0, true);
    editor.placeText(first, {4, 0});
    EXPECT_TRUE(editor.floatingText());
    EXPECT_TRUE(editor.takeFinishedChange());
    EXPECT_TRUE(editor.picture().isDark(4, 0));
    EXPECT_TRUE(editor.picture().isDark(5, 1)) << "light text pixels let the picture show";
    PackedPicture second(2, 1);
    second.setDark(1, 0, true);
    editor.placeText(second, {10, 3});
    EXPECT_FALSE(editor.picture().isDark(4, 0)) << "the text typed before is gone";
    EXPECT_TRUE(editor.picture().isDark(11, 3));
    EXPECT_EQ(editor.history().stepCount(), 0u);

    editor.cancelFloating();
    EXPECT_FALSE(editor.floating());
    EXPECT_EQ(editor.picture(), start);
    EXPECT_EQ(editor.history().stepCount(), 0u);
    EXPECT_FALSE(editor.modified());

    editor.setTool(Tool::Text);
    editor.placeText(first, {4, 0});
    editor.placeText(second, {10, 3});
    EXPECT_TRUE(editor.floatingText());
    // A click with the text tool puts the text down.
    editor.press({1, 1}, {});
    editor.release({1, 1}, {});
    EXPECT_FALSE(editor.floating());
    EXPECT_EQ(editor.history().stepCount(), 1u);
    PackedPicture expected = start;
    expected.setDark(11, 3, true);
    EXPECT_EQ(editor.picture(), expected);
    editor.undo();
    EXPECT_EQ(editor.picture(), start);
}

} // namespace
} // namespace vornix::image::edit
