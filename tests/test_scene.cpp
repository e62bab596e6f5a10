// The retained frame: recomposing only where copies changed must give the picture a full
// recomposition gives, frame after frame.
#include <gtest/gtest.h>

#include <vector>

#include "core/levels.h"
#include "core/storage.h"
#include "harness.h"
#include "screens/playing.h"
#include "ui/app.h"
#include "ui/gpu.h"
#include "ui/scene.h"

namespace {

ui::scene::Command copyAt(int x, int y, uint64_t content = 1) {
    ui::scene::Command c;
    c.tex = reinterpret_cast<SDL_Texture*>(0x1000);
    c.content = content;
    c.dst = SDL_Rect{x, y, 10, 10};
    ui::scene::computeBounds(c);
    return c;
}

}  // namespace

TEST(SceneDiff, OnlyCopiesWithoutACounterpartInOrderMarkChangedAreas) {
    using ui::scene::changedAreas;
    const std::vector<ui::scene::Command> base = {copyAt(0, 0), copyAt(100, 0), copyAt(200, 0)};
    EXPECT_TRUE(changedAreas(base, base, 400, 300).empty());

    // A copy inserted in the middle: only its own pixels.
    std::vector<ui::scene::Command> inserted = base;
    inserted.insert(inserted.begin() + 1, copyAt(50, 100));
    auto areas = changedAreas(base, inserted, 400, 300);
    ASSERT_EQ(areas.size(), 1u);
    EXPECT_EQ(areas[0].x, 49);
    EXPECT_EQ(areas[0].y, 99);

    // New pixels in a texture at the same place, and a copy moved: both places of the move.
    std::vector<ui::scene::Command> changed = base;
    changed[0].content = 2;
    changed[2] = copyAt(200, 150);
    areas = changedAreas(base, changed, 400, 300);
    EXPECT_EQ(areas.size(), 3u);

    // Two copies swapping order paint their overlap differently.
    std::vector<ui::scene::Command> swapped = {copyAt(0, 0), copyAt(200, 0), copyAt(100, 0)};
    EXPECT_FALSE(changedAreas(base, swapped, 400, 300).empty());

    // A turned copy may reach beyond its rectangle.
    ui::scene::Command turned = copyAt(100, 100);
    turned.turned = true;
    turned.angle = 45;
    ui::scene::computeBounds(turned);
    EXPECT_LT(turned.bounds.x, 100);
    EXPECT_GT(turned.bounds.x + turned.bounds.w, 110);

    // Most of the window changed: one area, the whole window.
    std::vector<ui::scene::Command> many;
    for (int y = 0; y < 300; y += 12)
        for (int x = 0; x < 400; x += 12)
            many.push_back(copyAt(x, y));
    areas = changedAreas({}, many, 400, 300);
    ASSERT_EQ(areas.size(), 1u);
    EXPECT_EQ(areas[0].w, 400);
    EXPECT_EQ(areas[0].h, 300);
}

TEST(RetainedScene, EveryFrameOfPlayMatchesTheSameFrameComposedAfresh) {
    constexpr int kLevel = 104;
    for (harness::RendererKind kind :
         {harness::RendererKind::Software, harness::RendererKind::Accelerated}) {
        harness::Canvas canvas(harness::Options{720, 480, 1.0, kind, false});
        if (!canvas.ok()) continue;
        SCOPED_TRACE(canvas.rendererName());
        store::clearGame();
        ui::GameState rec;
        rec.kind = ui::ScreenKind::Playing;
        rec.level = kLevel;
        rec.seed = 1;
        ui::Game::instance()->resetTo(rec);
        const mar::GameState start = mar::loadLevel(kLevel);
        screens::BoardLayout layout;
        screens::layoutBoard(layout, 720, 480, start.tubeCount(), start.capacity, false);
        const auto solution = mar::levelSolution(kLevel);

        double t = 0;
        int mismatched = 0;
        for (int f = 0; f < 160; ++f) {
            t += 1.0 / 60;
            // Taps along the solution: pick-ups, flights and landings; the pointer also rests on
            // the Undo pill for a while.
            const size_t move = static_cast<size_t>(f / 24);
            const bool tap = f % 12 == 6 && move < solution.size();
            const int tube = (f % 24 < 12) ? solution[move].from : solution[move].to;
            double x = layout.tubes[tube].r.cx(), y = layout.tubes[tube].r.cy();
            if (f >= 120) x = 720 - 60, y = 30;
            // A tight budget evicts textures in the middle of frames whose copies are pending.
            if (f == 80) ui::gpuSetCacheBudget(2u << 20);
            if (f == 100) ui::gpuSetCacheBudget(ui::kGpuCacheBudget);
            const auto body = [&](bool input) {
                return [&, input](ui::Ctx& c) {
                    c.in.pressed = input && tap;
                    c.in.mouseX = x;
                    c.in.mouseY = y;
                    ui::Game::instance()->update(c);
                };
            };
            // Input is handled after drawing, so the picture it changes is the next one.
            canvas.frame(t, body(true));
            canvas.present();
            canvas.frame(t, body(false));
            const harness::Image retained = canvas.snapshot();
            canvas.present();
            // The same moment again, recomposed everywhere.
            ui::gpuInvalidateScene();
            canvas.frame(t, body(false));
            const harness::Image afresh = canvas.snapshot();
            canvas.present();
            ASSERT_EQ(retained.px.size(), afresh.px.size());
            if (retained.px != afresh.px) {
                ++mismatched;
                if (mismatched == 1) {
                    retained.writePng("retained-frame.png");
                    afresh.writePng("afresh-frame.png");
                }
            }
        }
        EXPECT_EQ(mismatched, 0) << "first mismatch written to retained-frame.png";
        store::clearGame();
        store::clearAllSolves();
    }
}
