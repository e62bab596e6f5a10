// Ambient life: the quiet start, the random schedule, forced critters, placement of crossing and
// peeking critters, the gull line and the picture keys.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

#include "harness.h"
#include "ui/gpu.h"
#include "ui/life.h"

using harness::Canvas;
using harness::Options;
using harness::RendererKind;
using ui::Critter;

namespace {

// Sets or clears VANTREL_LIFE for one test and forgets the critter state around it.
class ForcedLife {
  public:
    explicit ForcedLife(const char* value) {
        if (value)
            setenv("VANTREL_LIFE", value, 1);
        else
            unsetenv("VANTREL_LIFE");
        ui::lifeShutdown();
    }
    ~ForcedLife() {
        unsetenv("VANTREL_LIFE");
        ui::lifeShutdown();
    }
};

ui::Ctx ctxAt(double w, double h, double t) {
    ui::Ctx c;
    c.w = w;
    c.h = h;
    c.t = t;
    return c;
}

ui::Life lifeOf(Critter kind, int dir, bool leftSide, double y = 100) {
    ui::Life l;
    l.kind = kind;
    l.dir = dir;
    l.leftSide = leftSide;
    l.y = y;
    l.x = 200;
    return l;
}

}  // namespace

TEST(Life, NothingComesDuringTheFirstFiveSecondsAndStartAndEndFramesDrawNothing) {
    ForcedLife none(nullptr);
    Canvas canvas(Options{640, 480, 1.0, RendererKind::Software, false});
    ASSERT_TRUE(canvas.ok());
    double t = 0;
    for (; t < 5 - 1e-9; t += 1 / 30.0) {
        canvas.frame(t, [&](ui::Ctx& c) {
            ui::drawAmbientLife(c);
            EXPECT_EQ(ui::gpuDrawCalls(), 0) << "t " << t;
        });
        ASSERT_EQ(ui::lifeState().kind, Critter::None) << "t " << t;
    }
    // The first critter starts at 5 s without being drawn, and shows from the next frame.
    t = 5;
    canvas.frame(t, [&](ui::Ctx& c) {
        ui::drawAmbientLife(c);
        EXPECT_EQ(ui::gpuDrawCalls(), 0);
    });
    ASSERT_NE(ui::lifeState().kind, Critter::None);
    const double end = ui::lifeState().startedAt + ui::lifeState().duration;
    canvas.frame(t + 1 / 30.0, [&](ui::Ctx& c) {
        ui::drawAmbientLife(c);
        EXPECT_GE(ui::gpuDrawCalls(), 1);
    });
    canvas.frame(end + 1e-6, [&](ui::Ctx& c) {
        ui::drawAmbientLife(c);
        EXPECT_EQ(ui::gpuDrawCalls(), 0) << "the frame in which it ends";
    });
    EXPECT_EQ(ui::lifeState().kind, Critter::None);
}

TEST(Life, RandomCrittersFollowOneAnotherFiveToFourteenSecondsApart) {
    ForcedLife none(nullptr);
    const double W = 1000, H = 600, step = 0.05;
    std::map<Critter, int> seen;
    Critter previous = Critter::None;
    double endedAt = -1;
    int critters = 0;
    for (double t = 0; t < 4000; t += step) {
        ui::Ctx c = ctxAt(W, H, t);
        ui::drawAmbientLife(c);
        const ui::Life& l = ui::lifeState();
        if (previous == Critter::None && l.kind != Critter::None) {
            ++critters;
            ++seen[l.kind];
            if (endedAt >= 0) {
                EXPECT_GE(t - endedAt, 5 - 1e-9);
                EXPECT_LT(t - endedAt, 14 + step);
            }
            EXPECT_EQ(l.startedAt, t);
            EXPECT_TRUE(l.dir == 1 || l.dir == -1);
            SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(l.kind));
            switch (l.kind) {
                case Critter::Crab:
                    EXPECT_GE(l.y, 0.66 * H);
                    EXPECT_LE(l.y, 0.9 * H);
                    EXPECT_GE(l.duration, 9);
                    EXPECT_LE(l.duration, 13);
                    break;
                case Critter::Fish:
                    EXPECT_GE(l.x, 0.12 * W);
                    EXPECT_LE(l.x, 0.82 * W);
                    EXPECT_EQ(l.duration, 1.7);
                    break;
                case Critter::Boat:
                    EXPECT_GE(l.duration, 17);
                    EXPECT_LE(l.duration, 23);
                    break;
                case Critter::GullFly:
                    EXPECT_GE(l.y, 0.05 * H);
                    EXPECT_LE(l.y, 0.21 * H);
                    EXPECT_GE(l.duration, 9);
                    EXPECT_LE(l.duration, 12);
                    break;
                case Critter::GullPeek:
                    EXPECT_GE(l.y, 0.06 * H);
                    EXPECT_LE(l.y, 0.2 * H);
                    EXPECT_EQ(l.duration, 4.2);
                    break;
                case Critter::TurtleWalk:
                    EXPECT_GE(l.y, 0.7 * H);
                    EXPECT_LE(l.y, 0.9 * H);
                    EXPECT_GE(l.duration, 17);
                    EXPECT_LE(l.duration, 22);
                    break;
                case Critter::TurtlePeek:
                    EXPECT_GE(l.y, 0.72 * H);
                    EXPECT_LE(l.y, 0.9 * H);
                    EXPECT_EQ(l.duration, 4.2);
                    break;
                case Critter::None:
                    break;
            }
        }
        if (previous != Critter::None && l.kind == Critter::None) endedAt = t;
        previous = l.kind;
    }
    EXPECT_GT(critters, 150);
    EXPECT_EQ(seen.size(), 7u) << "every kind turns up";
    for (const auto& [kind, n] : seen)
        EXPECT_GT(n, critters / 25) << "kind " << static_cast<int>(kind) << " is not rare";
}

TEST(Life, AForcedFishLeapsBackToBackFromTheSameSpot) {
    ForcedLife fish("fish");
    Canvas canvas(Options{640, 480, 1.0, RendererKind::Software, false});
    ASSERT_TRUE(canvas.ok());
    std::vector<double> starts;
    Critter previous = Critter::None;
    for (int f = 0; f < 60 * 6; ++f) {
        const double t = f / 60.0;
        int calls = 0;
        canvas.frame(t, [&](ui::Ctx& c) {
            ui::drawAmbientLife(c);
            calls = ui::gpuDrawCalls();
        });
        const ui::Life& l = ui::lifeState();
        const bool changed = l.kind != previous;
        if (l.kind == Critter::Fish && previous == Critter::None) {
            starts.push_back(t);
            EXPECT_DOUBLE_EQ(l.x, 0.4 * 640);
            EXPECT_EQ(l.dir, 1);
            EXPECT_EQ(l.duration, 1.7);
        }
        EXPECT_EQ(calls, changed ? 0 : 1) << "frame " << f;
        previous = l.kind;
    }
    ASSERT_GE(starts.size(), 3u);
    EXPECT_EQ(starts[0], 0) << "forced critters ignore the quiet start";
    for (size_t i = 1; i < starts.size(); ++i) {
        // 1.7 s of leap, then one frame to end it and the next one starts it again.
        EXPECT_GE(starts[i] - starts[i - 1], 1.7);
        EXPECT_LE(starts[i] - starts[i - 1], 1.7 + 2 / 60.0 + 1e-9);
    }
}

TEST(Life, OnlyTheSevenExactNamesForceACritter) {
    EXPECT_EQ(ui::critterFromName("crab"), Critter::Crab);
    EXPECT_EQ(ui::critterFromName("fish"), Critter::Fish);
    EXPECT_EQ(ui::critterFromName("boat"), Critter::Boat);
    EXPECT_EQ(ui::critterFromName("gullfly"), Critter::GullFly);
    EXPECT_EQ(ui::critterFromName("gullpeek"), Critter::GullPeek);
    EXPECT_EQ(ui::critterFromName("turtlewalk"), Critter::TurtleWalk);
    EXPECT_EQ(ui::critterFromName("turtle"), Critter::TurtlePeek) << "the peeking one";
    for (const char* other : {"Crab", "CRAB", " crab", "crabs", "gull", "", "none"})
        EXPECT_EQ(ui::critterFromName(other), Critter::None) << '"' << other << '"';
    EXPECT_EQ(ui::critterFromName(nullptr), Critter::None);

    // "Crab" in the environment leaves the ordinary schedule in charge.
    ForcedLife capital("Crab");
    for (double t = 0; t < 4.9; t += 0.1) {
        ui::Ctx c = ctxAt(640, 480, t);
        ui::drawAmbientLife(c);
        ASSERT_EQ(ui::lifeState().kind, Critter::None) << "t " << t;
    }
    ForcedLife turtle("turtle");
    ui::Ctx c = ctxAt(640, 480, 0);
    ui::drawAmbientLife(c);
    EXPECT_EQ(ui::lifeState().kind, Critter::TurtlePeek);
    EXPECT_DOUBLE_EQ(ui::lifeState().y, 0.75 * 480);
}

TEST(Life, PeekingCrittersAreFullyInHalfwayAndOutOfSightAtBothEnds) {
    const double W = 800, H = 480;
    const ui::Life gull = lifeOf(Critter::GullPeek, 1, true, 40);
    std::vector<ui::CritterBlit> b = ui::critterPose(gull, 0.5, W, H);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].name, "gullhead");
    EXPECT_DOUBLE_EQ(b[0].cx - 36 + 72, 58) << "58 units deep: right edge at 58";
    EXPECT_DOUBLE_EQ(b[0].cy, 40 + 38);
    EXPECT_NEAR(b[0].angleDeg, 4 * std::sin(13.0), 1e-12);
    EXPECT_NEAR(b[0].angleDeg, 1.68, 0.01);
    EXPECT_FALSE(b[0].flipH);
    EXPECT_DOUBLE_EQ(ui::critterPose(gull, 0, W, H)[0].cx + 36, 0) << "out of sight at p 0";
    EXPECT_NEAR(ui::critterPose(gull, 0.99999, W, H)[0].cx + 36, 0, 1e-6);
    EXPECT_EQ(ui::critterPose(gull, 0.1, W, H)[0].angleDeg, 0) << "no wiggle while coming in";

    const ui::Life turtle = lifeOf(Critter::TurtlePeek, 1, false, 400);
    b = ui::critterPose(turtle, 0.5, W, H);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].name, "turtle");
    EXPECT_DOUBLE_EQ(b[0].cx - 46, W - 70) << "70 units in from the right edge";
    EXPECT_TRUE(b[0].flipH) << "mirrored when peeking from the right";
    EXPECT_DOUBLE_EQ(ui::critterPose(turtle, 0, W, H)[0].cx - 46, W);
}

TEST(Life, CrossingCrittersFaceTheWayTheyGo) {
    const double W = 800, H = 480;
    for (int dir : {1, -1}) {
        SCOPED_TRACE(testing::Message() << "dir " << dir);
        const auto crab = ui::critterPose(lifeOf(Critter::Crab, dir, true), 0.25, W, H);
        EXPECT_FALSE(crab[0].flipH) << "a crab walks sideways either way";
        const auto boat = ui::critterPose(lifeOf(Critter::Boat, dir, true), 0.25, W, H);
        EXPECT_EQ(boat[0].flipH, dir == 1);
        const auto turtle = ui::critterPose(lifeOf(Critter::TurtleWalk, dir, true), 0.25, W, H);
        EXPECT_EQ(turtle[0].flipH, dir == -1);

        // Enter fully outside one edge, leave fully outside the other.
        const auto start = ui::critterPose(lifeOf(Critter::Crab, dir, true), 0, W, H);
        EXPECT_DOUBLE_EQ(start[0].cx, dir == 1 ? -76 + 38 : W + 76 + 38);
        const auto mid = ui::critterPose(lifeOf(Critter::TurtleWalk, dir, true), 0.5, W, H);
        EXPECT_DOUBLE_EQ(mid[0].cx, W / 2 + 46);
    }

    const double p = 0.013;
    const auto right = ui::critterPose(lifeOf(Critter::GullFly, 1, true), p, W, H);
    const auto left = ui::critterPose(lifeOf(Critter::GullFly, -1, true), p, W, H);
    ASSERT_EQ(right.size(), 3u);
    ASSERT_EQ(left.size(), 3u);
    EXPECT_EQ(right[0].name, "gullbody");
    EXPECT_FALSE(right[0].flipH);
    EXPECT_TRUE(left[0].flipH);
    EXPECT_EQ(right[1].name, "wingfar") << "far wing first, then the near one";
    EXPECT_EQ(right[2].name, "wingnear");
    for (int i = 1; i < 3; ++i) {
        EXPECT_TRUE(right[i].pivoted);
        EXPECT_FALSE(right[i].flipH);
        EXPECT_FALSE(left[i].flipH);
        EXPECT_DOUBLE_EQ(left[i].angleDeg, -right[i].angleDeg);
        EXPECT_DOUBLE_EQ(right[i].pivotX, right[i].w / 2);
        EXPECT_DOUBLE_EQ(right[i].pivotY, right[i].h);
    }
    const double phi = 60 * M_PI * p;
    EXPECT_NEAR(right[1].angleDeg, 30 * std::sin(phi + 0.7) - 35, 1e-12);
    EXPECT_NEAR(right[2].angleDeg, 38 * std::sin(phi) - 40, 1e-12);

    // The fish leaps from its stored start, fading in and out.
    const auto fish = ui::critterPose(lifeOf(Critter::Fish, -1, true), 0.5, W, H);
    EXPECT_DOUBLE_EQ(fish[0].cx, 200 + 23);
    EXPECT_NEAR(fish[0].cy, 0.296 * H, 1e-9);
    EXPECT_DOUBLE_EQ(fish[0].angleDeg, 0);
    EXPECT_NEAR(ui::critterPose(lifeOf(Critter::Fish, 1, true), 0.06, W, H)[0].alpha, 0.5, 1e-12);
    EXPECT_NEAR(ui::critterPose(lifeOf(Critter::Fish, 1, true), 0.94, W, H)[0].alpha, 0.5, 1e-12);
}

TEST(Life, AForcedGullReportsItsPlaceAtMostFourTimesASecond) {
    ForcedLife gull("gullfly");
    testing::internal::CaptureStderr();
    for (int f = 0; f <= 180; ++f) {
        ui::Ctx c = ctxAt(800, 480, f / 60.0);
        ui::drawAmbientLife(c);
    }
    const std::string err = testing::internal::GetCapturedStderr();
    int lines = 0;
    std::istringstream in(err);
    for (std::string l; std::getline(in, l);) {
        int x = 0, y = 0;
        if (std::sscanf(l.c_str(), "[gull] x=%d y=%d", &x, &y) != 2) continue;
        ++lines;
        EXPECT_NEAR(y, 0.12 * 480, 10.5);
    }
    EXPECT_GE(lines, 10);
    EXPECT_LE(lines, 12) << err;
}

TEST(Life, CritterPicturesAreKeyedByNameAndDeviceWidth) {
    EXPECT_EQ(ui::critterTextureKey("turtle"), "life.turtle/92");
    {
        ForcedLife crab("crab");
        Canvas canvas(Options{640, 480, 1.0, RendererKind::Software, false});
        ASSERT_TRUE(canvas.ok());
        canvas.frame(0, ui::drawAmbientLife);
        canvas.frame(1, ui::drawAmbientLife);
        int w = 0, h = 0;
        ASSERT_TRUE(ui::gpuCached("life.crab/76", &w, &h));
        EXPECT_EQ(h, 50);
    }
    {
        ForcedLife gull("gullfly");
        testing::internal::CaptureStderr();
        Canvas canvas(Options{320, 240, 2.0, RendererKind::Software, false});
        ASSERT_TRUE(canvas.ok());
        canvas.frame(0, ui::drawAmbientLife);
        int calls = 0;
        canvas.frame(3, [&](ui::Ctx& c) {
            ui::drawAmbientLife(c);
            calls = ui::gpuDrawCalls();
        });
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(calls, 3) << "body and two wings";
        EXPECT_EQ(ui::critterTextureKey("gullbody"), "life.gullbody/132");
        int w = 0, h = 0;
        ASSERT_TRUE(ui::gpuCached("life.gullbody/132", &w, &h));
        EXPECT_EQ(h, 92);
        ASSERT_TRUE(ui::gpuCached("life.wingfar/28", &w, &h));
        EXPECT_EQ(h, 44);
        ASSERT_TRUE(ui::gpuCached("life.wingnear/32", &w, &h));
        EXPECT_EQ(h, 52);
    }
}
