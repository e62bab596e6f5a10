// Marbles: cache keys and sizes, sharing, the smallest radius, and probes of the drawn picture.
#include <gtest/gtest.h>

#include <cmath>

#include "harness.h"
#include "ui/gpu.h"
#include "ui/marble.h"

using harness::Canvas;
using harness::Options;
using harness::RendererKind;
using theme::MarbleSkin;

namespace {

constexpr uint32_t kGround = 0x202020;

bool cachedAt(const std::string& key, int w, int h) {
    int cw = 0, ch = 0;
    if (!ui::gpuCached(key, &cw, &ch)) return false;
    return cw == w && ch == h;
}

}  // namespace

TEST(Marble, CacheKeysNameColourSkinNumberAndDevicePixels) {
    Canvas canvas(Options{200, 100, 1.0, RendererKind::Software, false});
    ASSERT_TRUE(canvas.ok());
    ui::gpuBeginFrame();
    ui::blitMarble(50, 50, 24, 0xFF6B6B, MarbleSkin::Swirl, 12, 0, 1);
    EXPECT_TRUE(cachedAt("m.sh/48", 48, 15));
    EXPECT_TRUE(cachedAt("m.b/ff6b6b/3/48", 48, 48));
    EXPECT_TRUE(cachedAt("m.o/ff6b6b/12/48", 48, 48));
    EXPECT_EQ(ui::gpuCacheSize(), 3);

    ui::gpuSetScale(2);
    ui::blitMarble(50, 50, 24, 0x0A0B0C, MarbleSkin::Gear, 0, 0, 1);
    EXPECT_TRUE(cachedAt("m.sh/96", 96, 31));
    EXPECT_TRUE(cachedAt("m.b/0a0b0c/5/96", 96, 96));
    EXPECT_TRUE(cachedAt("m.o/0a0b0c/0/96", 96, 96));

    ui::gpuSetScale(1);
    ui::blitMarble(50, 50, 10.3, 0x123456, MarbleSkin::Classic, -2, 0, 1);
    EXPECT_TRUE(cachedAt("m.b/123456/0/21", 21, 21)) << "2 x 10.3 = 20.6 rounds to 21";
    EXPECT_TRUE(cachedAt("m.o/123456/0/21", 21, 21)) << "a number below 1 shows none";
    EXPECT_TRUE(cachedAt("m.sh/21", 21, 7));
}

TEST(Marble, RadiusHalfAPixelDrawsNothingAndJustAboveGetsTheSmallestTextures) {
    Canvas canvas(Options{40, 40, 1.0, RendererKind::Software, false});
    ASSERT_TRUE(canvas.ok());
    ui::gpuBeginFrame();
    ui::blitMarble(20, 20, 0.5, 0xFF0000, MarbleSkin::Classic, 1, 0, 1);
    EXPECT_EQ(ui::gpuDrawCalls(), 0);
    EXPECT_EQ(ui::gpuCacheSize(), 0);

    ui::blitMarble(20, 20, 0.51, 0xFF0000, MarbleSkin::Classic, 1, 0, 1);
    EXPECT_EQ(ui::gpuDrawCalls(), 3);
    EXPECT_TRUE(cachedAt("m.sh/4", 4, 2));
    EXPECT_TRUE(cachedAt("m.b/ff0000/0/4", 4, 4));
    EXPECT_TRUE(cachedAt("m.o/ff0000/1/4", 4, 4));
}

TEST(Marble, EqualMarblesShareTexturesWhateverTheirRotationAndAlpha) {
    Canvas canvas(Options{200, 100, 1.0, RendererKind::Software, false});
    ASSERT_TRUE(canvas.ok());
    ui::gpuBeginFrame();
    ui::blitMarble(30, 50, 20, 0x62C370, MarbleSkin::Bubble, 4, 0, 1);
    ui::blitMarble(90, 50, 20, 0x62C370, MarbleSkin::Bubble, 4, 1.2, 0.3);
    EXPECT_EQ(ui::gpuCacheSize(), 3);
    EXPECT_EQ(ui::gpuLiveTextures(), 3);
    ui::blitMarble(150, 50, 20, 0x62C370, MarbleSkin::Bubble, 5, 0, 1);
    EXPECT_EQ(ui::gpuCacheSize(), 4) << "another number: only a new glass layer";
    EXPECT_EQ(ui::gpuDrawCalls(), 9);
}

TEST(Marble, InvisibleAtAlphaZeroButStillThreeDrawCalls) {
    Canvas canvas(Options{100, 100, 1.0, RendererKind::Accelerated, false});
    ASSERT_TRUE(canvas.ok());
    int calls = 0;
    canvas.frame(
        0,
        [&](ui::Ctx&) {
            ui::blitMarble(50, 50, 30, 0xFFD23D, MarbleSkin::Classic, 3, 0, 0);
            calls = ui::gpuDrawCalls();
        },
        kGround);
    EXPECT_EQ(calls, 3);
    harness::Image img = canvas.snapshot();
    for (int y = 10; y < 95; y += 5)
        for (int x = 10; x < 95; x += 5)
            ASSERT_EQ(img.at(x, y) & 0xFFFFFF, kGround) << x << "," << y;
}

TEST(Marble, PictureHasItsHighlightShadowAndDigitsWhereExpected) {
    for (RendererKind kind : {RendererKind::Software, RendererKind::Accelerated}) {
        Canvas canvas(Options{240, 120, 1.0, kind, false});
        ASSERT_TRUE(canvas.ok());
        SCOPED_TRACE(canvas.rendererName());
        const double r = 30;
        const uint32_t ground = 0x808080;
        canvas.frame(
            0,
            [&](ui::Ctx&) {
                ui::blitMarble(50, 50, r, 0x7C9EFF, MarbleSkin::Classic, 12, 0, 1);
                ui::blitMarble(130, 50, r, 0x7C9EFF, MarbleSkin::Classic, 0, 0, 1);
                ui::blitMarble(200, 50, r, 0x7C9EFF, MarbleSkin::Classic, -3, 0, 1);
            },
            ground);
        harness::Image img = canvas.snapshot();

        // The big highlight dot sits up and left of the centre, near white.
        uint32_t hl = img.at(static_cast<int>(50 - 0.36 * r), static_cast<int>(50 - 0.4 * r));
        EXPECT_GT(harness::redOf(hl), 235);
        EXPECT_GT(harness::greenOf(hl), 235);
        EXPECT_GT(harness::blueOf(hl), 235);
        // The ground shadow lies below the marble and darkens the ground a little.
        uint32_t shadow = img.at(50, static_cast<int>(50 + 1.05 * r));
        EXPECT_LT(harness::brightness(shadow), 3 * 0x80 - 30);
        EXPECT_GT(harness::brightness(shadow), 3 * 0x50);
        // Digits are near black; without a number (0 or negative) the body has none.
        auto darkPixels = [&](int cx) {
            int n = 0;
            for (int y = 50 - 15; y < 50 + 15; ++y)
                for (int x = cx - 15; x < cx + 15; ++x)
                    if (harness::brightness(img.at(x, y)) < 3 * 0x40) ++n;
            return n;
        };
        EXPECT_GT(darkPixels(50), 40);
        EXPECT_EQ(darkPixels(130), 0);
        EXPECT_EQ(darkPixels(200), 0);
    }
}

TEST(Marble, RotationTurnsOnlyTheBodyAndMatchesTheDirectDrawing) {
    Canvas canvas(Options{240, 120, 1.0, RendererKind::Accelerated, false});
    ASSERT_TRUE(canvas.ok());
    const double r = 30, rot = 0.9;
    canvas.frame(
        0,
        [&](ui::Ctx& ctx) {
            ui::blitMarble(60, 50, r, 0xFF9F45, MarbleSkin::Football, 0, rot, 1);
            // The same marble drawn directly into the frame layer, which lies over the textures.
            cairo_set_source_rgb(ctx.cr, 0x20 / 255.0, 0x20 / 255.0, 0x20 / 255.0);
            cairo_rectangle(ctx.cr, 120, 0, 120, 120);
            cairo_fill(ctx.cr);
            ui::drawMarbleCairo(ctx.cr, 180, 50, r, 0xFF9F45, MarbleSkin::Football, 0, rot);
        },
        kGround);
    harness::Image img = canvas.snapshot();
    int compared = 0, off = 0;
    for (int dy = -36; dy <= 40; dy += 2)
        for (int dx = -34; dx <= 34; dx += 2) {
            uint32_t a = img.at(60 + dx, 50 + dy), b = img.at(180 + dx, 50 + dy);
            ++compared;
            if (std::abs(harness::brightness(a) - harness::brightness(b)) > 24) ++off;
        }
    // Only resampled edges may differ (about 4 %); a wrong offset or turn differs over 40 %.
    EXPECT_LT(off, compared / 12) << "the cached layers compose into the direct picture";

    // Turning by a half turn moves the hexagon's corners but not the highlight.
    canvas.frame(
        0,
        [&](ui::Ctx&) {
            ui::blitMarble(60, 50, r, 0xFF9F45, MarbleSkin::Football, 0, 0, 1);
            ui::blitMarble(180, 50, r, 0xFF9F45, MarbleSkin::Football, 0, M_PI / 6, 1);
        },
        kGround);
    img = canvas.snapshot();
    uint32_t hlA = img.at(static_cast<int>(60 - 0.36 * r), static_cast<int>(50 - 0.4 * r));
    uint32_t hlB = img.at(static_cast<int>(180 - 0.36 * r), static_cast<int>(50 - 0.4 * r));
    EXPECT_NEAR(harness::brightness(hlA), harness::brightness(hlB), 6);
    // A corner of the unturned hexagon at -30 degrees is dark; turned by 30 degrees it is not.
    const double cr = 0.42 * r;
    int cx = static_cast<int>(std::lround(cr * std::cos(-M_PI / 6)));
    int cy = static_cast<int>(std::lround(cr * std::sin(-M_PI / 6)));
    EXPECT_LT(harness::brightness(img.at(60 + cx, 50 + cy)) + 60,
              harness::brightness(img.at(180 + cx, 50 + cy)));
}

TEST(Marble, DigitsStayUprightWhateverTheTurnSoSixAndNineDiffer) {
    Canvas canvas(Options{240, 120, 1.0, RendererKind::Software, false});
    ASSERT_TRUE(canvas.ok());
    const double r = 30;
    canvas.frame(
        0,
        [&](ui::Ctx&) {
            ui::blitMarble(60, 60, r, 0xFFD23D, MarbleSkin::Classic, 6, 0, 1);
            ui::blitMarble(180, 60, r, 0xFFD23D, MarbleSkin::Classic, 6, M_PI, 1);
        },
        kGround);
    harness::Image img = canvas.snapshot();
    // The near-black digit pixels of the turned marble lie where the unturned one has them;
    // a digit turned with the body would put a 9 there instead.
    int digit = 0, moved = 0;
    for (int dy = -18; dy <= 18; ++dy)
        for (int dx = -18; dx <= 18; ++dx) {
            const bool a = harness::brightness(img.at(60 + dx, 60 + dy)) < 3 * 0x40;
            const bool b = harness::brightness(img.at(180 + dx, 60 + dy)) < 3 * 0x40;
            digit += a;
            moved += a != b;
        }
    ASSERT_GT(digit, 40);
    EXPECT_LT(moved, digit / 10);
}

TEST(Marble, BackgroundMarbleIsASimpleShadedBall) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 100, 100);
    cairo_t* cr = cairo_create(s);
    ui::drawBgMarbleCairo(cr, 50, 50, 0.5, 0xFF0000);
    ui::drawMarbleCairo(cr, 50, 50, 0.5, 0xFF0000, MarbleSkin::Gear, 3, 0);
    cairo_surface_flush(s);
    const auto* px = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s));
    const int stride = cairo_image_surface_get_stride(s) / 4;
    bool blank = true;
    for (int i = 0; i < 100 * stride; ++i)
        blank = blank && px[i] == 0;
    EXPECT_TRUE(blank) << "radius 0.5 draws nothing";

    ui::drawBgMarbleCairo(cr, 50, 50, 20, 0x3366CC);
    cairo_surface_flush(s);
    uint32_t centre = px[50 * stride + 50];
    uint32_t highlight = px[(50 - 7) * stride + (50 - 6)];
    uint32_t rim = px[50 * stride + 68];
    EXPECT_EQ(centre >> 24, 255u);
    EXPECT_GT(harness::brightness(highlight), harness::brightness(centre) + 100);
    EXPECT_LT(harness::brightness(rim), harness::brightness(centre));
    EXPECT_GT(px[71 * stride + 50] >> 24, 0u) << "the soft shadow below the ball";
    cairo_destroy(cr);
    cairo_surface_destroy(s);
}
