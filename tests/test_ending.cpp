// The temple ending: the three-star count, the marble's clock, the texture cache and the way
// back to the menu, in process and as the real binary.
#include <gtest/gtest.h>

#include <SDL.h>
#include <cairo.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/levels.h"
#include "harness.h"
#include "i18n/i18n.h"
#include "screens/ending.h"
#include "test_support.h"
#include "ui/draw.h"
#include "ui/gpu.h"

using harness::Canvas;
using harness::Options;
using ui::ScreenKind;
using namespace testsupport;

namespace {

// Stores a best for every level: stars(level) gives the JSON text of its stars member.
template <typename StarsOf>
void storeBests(StarsOf starsOf) {
    std::string bests;
    for (int i = 0; i < mar::totalLevels(); ++i) {
        if (i) bests += ",";
        bests += "\"" + std::to_string(i) +
                 "\":{\"elapsedMs\":9000,\"moves\":12,\"stars\":" + starsOf(i) + "}";
    }
    ASSERT_TRUE(writeText(dataDir() + "/progress.json",
                          "{\"bests\":{" + bests + "},\"unlockedLevel\":106}"));
}

class EndingScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        wipeDataDir();
        store::ensureDataDirs();
        i18n::setLanguage("en");
    }

    void open(int w, int h, int forcePerfect, double scale = 1.0) {
        Options o;
        o.w = w;
        o.h = h;
        o.scale = scale;
        canvas_.reset();  // the texture cache serves one canvas at a time
        canvas_ = std::make_unique<Canvas>(o);
        ASSERT_TRUE(canvas_->ok());
        show(forcePerfect);
    }
    // Replaces the whole stack with an ending record; its screen runs from the second frame.
    void show(int forcePerfect) {
        ui::GameState s;
        s.kind = ScreenKind::Ending;
        s.forcePerfect = forcePerfect;
        ui::Game::instance()->resetTo(s);
        frame();
        frame();
    }
    void frame(double x = -1, double y = -1, int key = 0) {
        t_ += 0.05;
        canvas_->frame(t_, [&](ui::Ctx& c) {
            c.in.mouseX = x;
            c.in.mouseY = y;
            c.in.pressed = x >= 0;
            if (key) c.in.keys.push_back(key);
            ui::Game::instance()->update(c);
        });
    }
    void run(double seconds) {
        for (double s = 0; s < seconds - 1e-9; s += 0.05)
            frame();
    }

    std::unique_ptr<Canvas> canvas_;
    double t_ = 10.02;  // frames fall inside half seconds, away from the digit changes
};

const ui::GameState& top() {
    return ui::Game::instance()->top();
}

}  // namespace

TEST_F(EndingScreen, ForcedVariantsAndStoredBestsDecideTheCount) {
    const int total = mar::totalLevels();
    ASSERT_GT(total, 1);

    // Nothing stored: the forced perfect ending still counts every level.
    screens::EndingCounts k = screens::endingCounts(1);
    EXPECT_TRUE(k.allPerfect);
    EXPECT_EQ(k.perfectCount, total);
    EXPECT_EQ(k.total, total);
    k = screens::endingCounts(-1);
    EXPECT_FALSE(k.allPerfect);
    EXPECT_EQ(k.perfectCount, 0);

    // Every level at three stars: perfect without forcing; forcing normal leaves one short.
    storeBests([](int) { return std::string("3"); });
    k = screens::endingCounts(-1);
    EXPECT_TRUE(k.allPerfect);
    EXPECT_EQ(k.perfectCount, total);
    k = screens::endingCounts(0);
    EXPECT_FALSE(k.allPerfect);
    EXPECT_EQ(k.perfectCount, total - 1);

    // One level with two stars spoils the run.
    storeBests([](int i) { return std::string(i == 7 ? "2" : "3"); });
    k = screens::endingCounts(-1);
    EXPECT_FALSE(k.allPerfect);
    EXPECT_EQ(k.perfectCount, total - 1);

    // Damaged numbers are clamped to the star range: huge ones count as three, negative and
    // non-numbers as none, and the count stays within the catalogue.
    storeBests([](int i) {
        return std::string(i % 3 == 0 ? "1e300" : i % 3 == 1 ? "-1e300" : "\"3\"");
    });
    k = screens::endingCounts(-1);
    EXPECT_EQ(k.perfectCount, (total + 2) / 3);
    EXPECT_FALSE(k.allPerfect);
    storeBests([](int) { return std::string("1e300"); });
    k = screens::endingCounts(-1);
    EXPECT_EQ(k.perfectCount, total);
    EXPECT_TRUE(k.allPerfect);
}

TEST(BuddhaMarble, NumberCountsOneToFifteenAndColourTurnsEverySevenAndAHalfSeconds) {
    for (int step = 0; step < 47; ++step) {
        const double t = 1005 + 0.5 * step + 0.25;  // 2010 half seconds: a multiple of 15
        EXPECT_EQ(screens::buddhaDigit(t), step % 15 + 1) << t;
        EXPECT_DOUBLE_EQ(screens::buddhaDigitAlpha(t), 1.0) << t;
    }
    EXPECT_EQ(screens::buddhaDigit(0), 1);
    EXPECT_EQ(screens::buddhaDigit(7.49), 15);
    EXPECT_EQ(screens::buddhaDigit(7.5), 1);
    // Invisible at the change, fully there a twelfth of a half second either side.
    EXPECT_NEAR(screens::buddhaDigitAlpha(3.0), 0.0, 1e-9);
    EXPECT_NEAR(screens::buddhaDigitAlpha(3.0 + 0.5 / 12), 0.5, 1e-9);
    EXPECT_NEAR(screens::buddhaDigitAlpha(3.0 - 0.5 / 12), 0.5, 1e-9);
    EXPECT_DOUBLE_EQ(screens::buddhaDigitAlpha(3.0 + 0.5 / 6), 1.0);

    for (double t : {0.0, 1.3, 42.0, 1e5 + 0.7}) {
        EXPECT_NEAR(screens::buddhaHue(t + 7.5), screens::buddhaHue(t), 1e-6) << t;
        EXPECT_GE(screens::buddhaHue(t), 0);
        EXPECT_LT(screens::buddhaHue(t), 360);
    }
    EXPECT_NEAR(screens::buddhaHue(3.75), 180, 1e-9);
}

TEST_F(EndingScreen, ArtIsPaintedOncePerSizeAndTheVariantsKeepTheirOwnTemple) {
    open(640, 480, 0);
    const int first = ui::gpuCacheSize();
    frame();
    EXPECT_EQ(ui::gpuCacheSize(), first) << "a second frame paints nothing";
    // A whole colour and number cycle adds exactly the other fourteen numbers.
    run(7.5);
    EXPECT_EQ(ui::gpuCacheSize(), first + 14);
    const int cycled = ui::gpuCacheSize();
    run(7.5);
    EXPECT_EQ(ui::gpuCacheSize(), cycled) << "the colour cycling must never repaint";

    show(1);
    run(1);
    EXPECT_TRUE(ui::gpuCached("ending.temple/normal/520x221", nullptr, nullptr));
    EXPECT_TRUE(ui::gpuCached("ending.temple/perfect/520x221", nullptr, nullptr));

    // On a doubled display the scene is painted at twice the pixels.
    open(640, 480, 1, 2.0);
    int w = 0, h = 0;
    EXPECT_TRUE(ui::gpuCached("ending.temple/perfect/1040x442", &w, &h));
    EXPECT_EQ(w, 1040);
    EXPECT_EQ(h, 442);
    EXPECT_TRUE(ui::gpuCached("ending.sky/1280x960", nullptr, nullptr));
}

TEST_F(EndingScreen, ButtonAndEscapeBothResetToAMenuAlone) {
    struct Case {
        int w, h, forcePerfect;
        const char* lang;
    };
    for (const Case& cs :
         {Case{1280, 720, 1, "en"}, Case{800, 480, 0, "de"}, Case{480, 800, 1, "ar"}}) {
        SCOPED_TRACE(std::to_string(cs.w) + "x" + std::to_string(cs.h) + " " + cs.lang);
        i18n::setLanguage(cs.lang);
        for (bool byKey : {false, true}) {
            open(cs.w, cs.h, cs.forcePerfect);
            // Measured on the frame's own layer, as the screen measures what it draws.
            double mh = 0;
            canvas_->frame(t_, [&](ui::Ctx& c) {
                mh = screens::endingMessageHeight(c.cr, c.w, cs.forcePerfect == 1);
            });
            const ui::Rect back = screens::endingLayout(cs.w, cs.h, mh).back;
            EXPECT_LE(back.bottom(), cs.h);

            // A deeper stack underneath, as after a few screens on the way here.
            ui::GameState under;
            under.kind = ScreenKind::Ending;
            under.forcePerfect = cs.forcePerfect;
            ui::Game::instance()->push(under);
            frame();
            ui::Game::instance()->push(under);
            frame();
            frame();
            ASSERT_EQ(ui::Game::instance()->depth(), 3);
            ASSERT_EQ(top().kind, ScreenKind::Ending);

            frame(back.cx(), back.y - 6);  // just above the button: nothing happens
            EXPECT_EQ(top().kind, ScreenKind::Ending);
            if (byKey)
                frame(-1, -1, SDLK_ESCAPE);
            else
                frame(back.cx(), back.cy());
            EXPECT_EQ(top().kind, ScreenKind::Menu) << (byKey ? "Escape" : "button");
            EXPECT_EQ(ui::Game::instance()->depth(), 1);
        }
    }
}

TEST_F(EndingScreen, TheButtonNeverCoversTheProgressLineInAnyLanguage) {
    open(640, 480, 1);
    for (const i18n::Language& lang : i18n::languages()) {
        i18n::setLanguage(lang.code);
        for (bool perfect : {true, false}) {
            for (auto [w, h] : {std::pair{640, 480}, std::pair{800, 480}, std::pair{480, 800},
                                std::pair{1280, 720}}) {
                double messageH = 0;
                canvas_->frame(t_, [&](ui::Ctx& c) {
                    messageH = screens::endingMessageHeight(c.cr, w, perfect);
                });
                const screens::EndingLayout L = screens::endingLayout(w, h, messageH);
                SCOPED_TRACE(lang.code + (perfect ? " perfect " : " normal ") + std::to_string(w) +
                             "x" + std::to_string(h));
                EXPECT_DOUBLE_EQ(L.back.y, L.progressY + 30);
                EXPECT_LE(L.back.bottom(), h - 24);
                EXPECT_GE(L.sceneH, 0.8 * (w > h ? std::min(0.46 * h, 320.0) : 0.4 * h));
            }
        }
    }
    // Where nothing presses, the scene keeps its full height.
    EXPECT_DOUBLE_EQ(screens::endingLayout(1280, 720, 60).sceneH, 320);
    EXPECT_DOUBLE_EQ(screens::endingLayout(480, 800, 60).sceneH, 320);
}

// The real binary with VANTREL_SCREEN: the ending appears at once, with its own texture
// blits (the statistics line counts them), and the perfect one adds fireworks on top.
TEST(BinaryEnding, VantrelScreenOpensThePerfectOrTheNormalEnding) {
    const auto blitsPerFrame = [](const char* which) {
        wipeDataDir();
        std::vector<std::string> env = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                                        "ASAN_OPTIONS=detect_leaks=0", "VANTREL_STATS="};
        env.push_back(std::string("VANTREL_SCREEN=") + which);
        Child c = startProcess({VANTREL_BINARY}, env);
        EXPECT_TRUE(waitForOutput(c, "[video]")) << readText(c.errPath);
        int most = -1, lines = 0;
        for (int i = 0; i < 400 && lines < 3; ++i) {
            usleep(20000);
            const std::string err = readText(c.errPath);
            lines = 0;
            most = -1;
            for (size_t at = err.find("[stats] "); at != std::string::npos;
                 at = err.find("[stats] ", at + 1)) {
                const size_t copies = err.find(" Kopien", at);
                const size_t start = err.rfind("   ", copies);
                if (copies == std::string::npos || start == std::string::npos) break;
                most = std::max(most, std::atoi(err.c_str() + start + 3));
                ++lines;
            }
        }
        kill(c.pid, SIGINT);
        ProcessResult r = finishProcess(c);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_GE(lines, 3) << r.err;
        return most;
    };
    const int normal = blitsPerFrame("ending-normal");
    const int perfect = blitsPerFrame("ending");
    // Sky, temple and the six pieces of the marble at the least.
    EXPECT_GE(normal, 8);
    EXPECT_GT(perfect, normal);
}

// Writes the pictures worth looking at when VANTREL_SHOTS names a directory.
TEST_F(EndingScreen, Screenshots) {
    const char* dir = std::getenv("VANTREL_SHOTS");
    if (!dir) GTEST_SKIP() << "set VANTREL_SHOTS to write the pictures";
    struct Shot {
        const char* lang;
        int w, h;
        double scale;
    };
    std::vector<Shot> shots;
    for (const char* lang : {"en", "de"})
        for (auto [w, h] : {std::pair{1280, 720}, std::pair{800, 480}, std::pair{480, 800}})
            shots.push_back({lang, w, h, 1.0});
    shots.push_back({"ja", 800, 480, 1.0});
    shots.push_back({"ar", 480, 800, 1.0});
    shots.push_back({"en", 640, 480, 2.0});  // a doubled display, to see the marble up close
    for (const Shot& s : shots) {
        i18n::setLanguage(s.lang);
        for (int forced : {1, 0}) {
            open(s.w, s.h, forced, s.scale);
            run(2.25);  // the number stands at full strength here
            canvas_->snapshot().writePng(std::string(dir) + "/ending_" + s.lang + "_" +
                                         (forced ? "perfect_" : "normal_") + std::to_string(s.w) +
                                         "x" + std::to_string(s.h) + (s.scale > 1 ? "@2" : "") +
                                         ".png");
        }
    }
}

// The sparkle circling on the Buddha's marble passes under its number: where it crosses the
// second digit of a two-digit number, the digit's dark strokes still show.
TEST_F(EndingScreen, TheSparkleNeverHidesTheMarblesNumber) {
    double t = 20;
    while (!(screens::buddhaDigit(t) >= 12 && screens::buddhaDigitAlpha(t) >= 1 &&
             std::cos(2.4 * t) > 0.995))
        t += 0.001;
    open(1280, 720, 1);
    t_ = t - 0.05;
    frame();
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
    cairo_t* cr = cairo_create(s);
    const screens::EndingLayout L =
        screens::endingLayout(1280, 720, screens::endingMessageHeight(cr, 1280, true));
    cairo_destroy(cr);
    cairo_surface_destroy(s);
    const double r = 0.052 * L.sceneW;
    const double sx = L.left + L.sceneW / 2 + 0.42 * r, sy = L.top + 0.74 * L.sceneH;
    const harness::Image img = canvas_->snapshot();
    int dark = 0;
    for (int y = int(sy - 0.2 * r); y <= int(sy + 0.2 * r); ++y)
        for (int x = int(sx - 0.2 * r); x <= int(sx + 0.2 * r); ++x)
            if (std::hypot(x - sx, y - sy) <= 0.2 * r &&
                harness::brightness(img.at(x, y)) < 3 * 110)
                ++dark;
    EXPECT_GT(dark, 4) << "at t " << t;
}
