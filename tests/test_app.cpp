// The screen stack, the per-frame context and the window geometry rules.
#include <gtest/gtest.h>

#include "ui/app.h"

using ui::GameState;
using ui::ScreenKind;

namespace {

GameState of(ScreenKind k, int level = 0) {
    GameState s;
    s.kind = k;
    s.level = level;
    return s;
}

// Runs one frame of the stack with a context whose screen output goes to a small surface.
struct Frame {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 64, 48);
    cairo_t* cr = cairo_create(surface);
    ~Frame() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    void run() {
        ui::Ctx ctx;
        ctx.cr = cr;
        ctx.w = 64;
        ctx.h = 48;
        ui::Game::instance()->update(ctx);
    }
};

}  // namespace

TEST(ScreenStack, OnlyTheLastRequestOfAFrameIsCarriedOut) {
    auto* g = ui::Game::instance();
    Frame f;
    g->resetTo(of(ScreenKind::Menu));
    f.run();
    ASSERT_EQ(g->depth(), 1);
    EXPECT_EQ(g->top().kind, ScreenKind::Menu);

    g->push(of(ScreenKind::Gallery));
    g->replace(of(ScreenKind::Settings));
    f.run();
    EXPECT_EQ(g->depth(), 1) << "the push was overwritten by the replace";
    EXPECT_EQ(g->top().kind, ScreenKind::Settings);

    g->push(of(ScreenKind::Playing, 7));
    f.run();
    EXPECT_EQ(g->depth(), 2);
    EXPECT_EQ(g->top().level, 7);

    g->pop();
    f.run();
    g->pop();
    f.run();
    EXPECT_EQ(g->depth(), 1) << "the last record is never popped";
    EXPECT_EQ(g->top().kind, ScreenKind::Settings);

    g->resetTo(of(ScreenKind::About));
    f.run();
    EXPECT_EQ(g->depth(), 1);
    EXPECT_EQ(g->top().kind, ScreenKind::About);
}

TEST(ScreenStack, NavigationRecordDefaults) {
    GameState s;
    EXPECT_EQ(s.kind, ScreenKind::Splash);
    EXPECT_EQ(s.forcePerfect, -1);
    EXPECT_EQ(s.seed, 0u);
    EXPECT_EQ(s.runId, 0u);
    EXPECT_EQ(static_cast<int>(ScreenKind::Attract), 10);
}

TEST(InputContext, OnlyTheFirstElementAskedTakesTheClick) {
    ui::Ctx ctx;
    ctx.in.pressed = true;
    ctx.in.mouseX = 15;
    ctx.in.mouseY = 15;
    ui::Rect front{10, 10, 20, 20}, behind{0, 0, 100, 100};
    EXPECT_TRUE(ctx.takeClick(front));
    EXPECT_FALSE(ctx.takeClick(behind));
    EXPECT_FALSE(ctx.takeRightClick(behind)) << "right clicks share the one flag";
    EXPECT_TRUE(ctx.hover(behind)) << "hover ignores the used click";

    ui::Ctx none;
    none.in.mouseX = 15;
    none.in.mouseY = 15;
    EXPECT_FALSE(none.takeClick(front)) << "no press, no click";
    none.in.rightPressed = true;
    EXPECT_TRUE(none.takeRightClick(front));
}

TEST(InputContext, RectanglesAreHalfOpenOnTheRightAndBottom) {
    ui::Rect r{10, 20, 30, 40};
    EXPECT_TRUE(r.contains(10, 20));
    EXPECT_TRUE(r.contains(39.999, 59.999));
    EXPECT_FALSE(r.contains(40, 30));
    EXPECT_FALSE(r.contains(20, 60));
    EXPECT_FALSE(r.contains(9.999, 30));
    ui::Rect in = r.inset(5);
    EXPECT_DOUBLE_EQ(in.x, 15);
    EXPECT_DOUBLE_EQ(in.w, 20);
    EXPECT_DOUBLE_EQ(in.bottom(), 55);
    EXPECT_DOUBLE_EQ(r.cx(), 25);
    EXPECT_DOUBLE_EQ(r.cy(), 40);
}

TEST(InputContext, AnyInputMeansAnActNotAMovement) {
    ui::Input in;
    in.mouseX = 50;
    in.mouseDown = true;
    in.released = true;
    EXPECT_FALSE(in.any());
    in.wheel = -1;
    EXPECT_TRUE(in.any());
    ui::Input k;
    k.keys = {113};
    EXPECT_TRUE(k.any());
    EXPECT_TRUE(k.hasKey(113));
    EXPECT_FALSE(k.hasKey(114));
}

TEST(WindowGeometry, AStoredWindowIsFittedIntoTheUsableDisplay) {
    store::Settings s;
    s.windowW = 3000;
    s.windowH = 2000;
    ui::WindowPlacement p = ui::placeWindow(s, {0, 0, 1920, 1050});
    EXPECT_EQ(p.w, 1900);
    EXPECT_EQ(p.h, 990);
    EXPECT_TRUE(p.centred) << "no stored position";

    s.windowW = 800;
    s.windowH = 600;
    s.windowX = 5000;
    s.windowY = -50;
    p = ui::placeWindow(s, {100, 0, 1920, 1050});
    EXPECT_FALSE(p.centred);
    EXPECT_EQ(p.x, 100 + 1920 - 800) << "kept inside horizontally";
    EXPECT_EQ(p.y, 30) << "at least 30 px below the top";

    s.windowX = -1000000;
    s.windowY = 400;
    EXPECT_TRUE(ui::placeWindow(s, {0, 0, 1920, 1050}).centred) << "either sentinel centres";

    s.windowX = 40;
    s.windowY = 70;
    p = ui::placeWindow(s, {0, 0, 0, 0});
    EXPECT_EQ(p.w, 800) << "unknown bounds leave the size alone";
    EXPECT_EQ(p.x, 40);
    EXPECT_EQ(p.y, 70);
}

TEST(WindowGeometry, OnlyThePlainWindowsGeometryIsRemembered) {
    store::Settings s;
    EXPECT_TRUE(ui::noteWindowChange(s, ui::WindowChange::Resized, 900, 700, false));
    EXPECT_TRUE(ui::noteWindowChange(s, ui::WindowChange::Moved, 12, 34, false));
    EXPECT_EQ(s.windowW, 900);
    EXPECT_EQ(s.windowY, 34);

    EXPECT_FALSE(ui::noteWindowChange(s, ui::WindowChange::Resized, 1920, 1080, true));
    EXPECT_FALSE(ui::noteWindowChange(s, ui::WindowChange::Moved, 0, 0, true));
    s.fullscreen = true;
    EXPECT_FALSE(ui::noteWindowChange(s, ui::WindowChange::Resized, 1920, 1080, false));
    EXPECT_EQ(s.windowW, 900);
    EXPECT_EQ(s.windowX, 12);

    EXPECT_TRUE(ui::noteWindowChange(s, ui::WindowChange::Maximized, 0, 0, true));
    EXPECT_TRUE(s.maximized) << "maximise is remembered in every state";
    EXPECT_TRUE(ui::noteWindowChange(s, ui::WindowChange::Restored, 0, 0, true));
    EXPECT_FALSE(s.maximized);
}
