// Texts that stand on busy or dim grounds, measured on real frames: the WCAG contrast of the
// text's colour against the pixels right beside its letters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/levels.h"
#include "core/storage.h"
#include "i18n/i18n.h"
#include "screen_driver.h"
#include "screens/attract.h"
#include "screens/level_select.h"
#include "screens/solved.h"
#include "test_support.h"
#include "theme/theme.h"

using namespace testsupport;
using ui::ScreenKind;

namespace {

// The colours the three texts are drawn in.
constexpr uint32_t kLockedName = 0x7B6E53;
constexpr uint32_t kHint = 0x4A3826;
constexpr uint32_t kLevelLine = 0x13505C;

double linear(int c8) {
    const double c = c8 / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
double luminance(uint32_t px) {
    return 0.2126 * linear(harness::redOf(px)) + 0.7152 * linear(harness::greenOf(px)) +
           0.0722 * linear(harness::blueOf(px));
}
// The colour of rgb laid at alpha over ground, as the compositor blends it.
uint32_t over(uint32_t rgb, double alpha, uint32_t ground) {
    uint32_t out = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const double a = (rgb >> shift) & 0xFF, b = (ground >> shift) & 0xFF;
        out |= static_cast<uint32_t>(std::lround(alpha * a + (1 - alpha) * b)) << shift;
    }
    return out;
}

struct Ink {
    bool found = false;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // inclusive bounds of the letters
};

// The letters of text drawn in rgb inside the search rectangle: the pixels of about that colour
// (the glyphs' cores; their anti-aliased edges blend with the ground).
Ink findInk(const harness::Image& img, const ui::Rect& search, uint32_t rgb) {
    Ink ink;
    ink.x0 = ink.y0 = 1 << 30;
    ink.x1 = ink.y1 = -1;
    for (int y = std::max(0, int(search.y)); y < std::min(img.h, int(search.bottom())); ++y)
        for (int x = std::max(0, int(search.x)); x < std::min(img.w, int(search.right())); ++x)
            if (near(img.at(x, y), rgb, 12)) {
                ink.x0 = std::min(ink.x0, x);
                ink.x1 = std::max(ink.x1, x);
                ink.y0 = std::min(ink.y0, y);
                ink.y1 = std::max(ink.y1, y);
            }
    ink.found = ink.x1 >= 0 && ink.x1 - ink.x0 >= 8;
    return ink;
}

// The contrast of rgb at alpha against the ground beside the letters: the pixels 4 to 12 to the
// left and right of them, row by row, taken at their median brightness.
double contrastBeside(const harness::Image& img, const Ink& ink, uint32_t rgb, double alpha) {
    std::vector<uint32_t> ground;
    for (int y = ink.y0; y <= ink.y1; ++y)
        for (int d = 4; d <= 12; ++d)
            for (int x : {ink.x0 - d, ink.x1 + d})
                if (x >= 0 && x < img.w) ground.push_back(img.at(x, y) & 0xFFFFFF);
    if (ground.empty()) return 0;
    std::nth_element(ground.begin(), ground.begin() + ground.size() / 2, ground.end(),
                     [](uint32_t a, uint32_t b) { return luminance(a) < luminance(b); });
    const uint32_t g = ground[ground.size() / 2];
    const double lt = luminance(over(rgb, alpha, g)), lg = luminance(g);
    return (std::max(lt, lg) + 0.05) / (std::min(lt, lg) + 0.05);
}

// The first level of each world, and for the demo a run that opens on a level of that world.
int worldOf(int level) {
    return std::clamp(mar::levelInfo(level).tier / 4, 0,
                      static_cast<int>(theme::worlds().size()) - 1);
}

class Contrast : public ::testing::Test {
  protected:
    void SetUp() override {
        wipeDataDir();
        store::ensureDataDirs();
        i18n::setLanguage("en");
        screens::forgetLevelSelectPage();
    }
    // Runs frames until the clock stands at a whole second plus frac (the demo's pulse).
    void frameAt(double frac) {
        const double now = d_.t();
        double target = std::floor(now) + frac;
        while (target <= now + 0.01)
            target += 2;
        d_.frame(nullptr, target - now);
    }
    void report(const std::string& what, double ratio) {
        std::printf("[contrast] %-44s %5.2f : 1\n", what.c_str(), ratio);
        EXPECT_GE(ratio, 3.0) << what;
    }
    ScreenDriver d_;
};

}  // namespace

TEST_F(Contrast, LockedWorldNamesTheDemoHintAndTheSolvedLevelLineReadAtThreeToOne) {
    const int total = mar::totalLevels();
    for (auto [w, h] : {std::pair{1280, 720}, std::pair{800, 480}}) {
        const std::string size = std::to_string(w) + "x" + std::to_string(h);

        // A fresh install: cards 2 to 10 of the first page are locked.
        d_.open(ScreenKind::LevelSelect, w, h);
        const harness::Image cards = d_.snapshot();
        double worst = 99;
        for (int k = 1; k < 10; ++k) {
            const ui::Rect r = screens::levelSelectGrid(w, h, 10).card(k, 0);
            const double b = r.y + 6 + r.h - 64;
            const Ink ink = findInk(cards, {r.x + 6, b + 19, r.w - 12, 16}, kLockedName);
            if (b + 35 > h - 44) continue;  // below the grid's viewport, not drawn
            ASSERT_TRUE(ink.found) << "card " << k;
            worst = std::min(worst, contrastBeside(cards, ink, kLockedName, 1));
        }
        report("locked world name, " + size, worst);

        // The demo in each world it shows, at the top of the hint's pulse and half-way, where the
        // text and its pill stand at 0.65 of their full strength.
        std::vector<bool> seen(theme::worlds().size(), false);
        for (uint32_t run = 1; run < 400; ++run) {
            Rng rng = screens::attractRng(run);
            const int world = worldOf(screens::pickAttractLevel(rng, total, -1));
            if (seen[world]) continue;
            seen[world] = true;
            ui::GameState demo;
            demo.kind = ScreenKind::Attract;
            demo.runId = run;
            d_.open(demo);
            frameAt(0.5);
            const harness::Image peak = d_.snapshot();
            const Ink ink = findInk(peak, {w / 2.0, h / 2.0 - 20, w / 2.0, 40}, kHint);
            ASSERT_TRUE(ink.found) << "world " << world;
            report("demo hint, world " + std::to_string(world) + ", " + size,
                   contrastBeside(peak, ink, kHint, 1));
            frameAt(0.0);
            report("  the same half-way through the pulse",
                   contrastBeside(d_.snapshot(), ink, kHint, 0.65));
        }

        // The solved screen of each world's first level, once its stars are out.
        for (int world = 0; world < static_cast<int>(theme::worlds().size()); ++world) {
            int level = 0;
            while (level + 1 < total && worldOf(level) < world)
                ++level;
            ui::GameState solved;
            solved.kind = ScreenKind::Solved;
            solved.level = level;
            solved.moves = mar::levelInfo(level).solutionLength;
            d_.open(solved);
            d_.idle(2);
            const screens::SolvedHeading head = screens::solvedHeading(h, 3);
            const Ink ink =
                findInk(d_.snapshot(), {w / 2.0 - 200, head.headlineY + 20, 400, 60}, kLevelLine);
            ASSERT_TRUE(ink.found) << "world " << world;
            report("solved level line, world " + std::to_string(world) + ", " + size,
                   contrastBeside(d_.snapshot(), ink, kLevelLine, 1));
        }
    }
}
