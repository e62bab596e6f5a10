// The texture cache: painting, replacement, eviction, blits, blending and the profiler.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "harness.h"
#include "ui/gpu.h"
#include "ui/profiler.h"

using harness::Canvas;
using harness::Options;
using harness::RendererKind;

namespace {

struct PaintLog {
    int calls = 0;
    uint32_t argb = 0xFFFFFFFF;  // premultiplied colour the painter fills with
};

void paintSolid(cairo_t* cr, void* arg) {
    auto* log = static_cast<PaintLog*>(arg);
    ++log->calls;
    const uint32_t p = log->argb;
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    const double a = (p >> 24) / 255.0;
    // cairo takes straight colour and premultiplies it itself.
    auto ch = [&](int shift) { return a > 0 ? ((p >> shift) & 0xFF) / 255.0 / a : 0.0; };
    cairo_set_source_rgba(cr, ch(16), ch(8), ch(0), a);
    cairo_paint(cr);
}

Options small(RendererKind kind, double scale = 1.0) {
    return Options{64, 48, scale, kind, false};
}

const RendererKind kBothRenderers[] = {RendererKind::Software, RendererKind::Accelerated};

}  // namespace

TEST(GpuCache, SameKeyAndSizePaintsOnceAndANewSizeReplacesTheTexture) {
    Canvas canvas(small(RendererKind::Software));
    ASSERT_TRUE(canvas.ok());
    PaintLog log;
    SDL_Texture* a = ui::gpuTexture("test/a", 8, 6, paintSolid, &log);
    SDL_Texture* b = ui::gpuTexture("test/a", 8, 6, paintSolid, &log);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(log.calls, 1);

    SDL_Texture* c = ui::gpuTexture("test/a", 10, 6, paintSolid, &log);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(log.calls, 2) << "a new size repaints";
    int w = 0, h = 0;
    ASSERT_TRUE(ui::gpuCached("test/a", &w, &h));
    EXPECT_EQ(w, 10);
    EXPECT_EQ(h, 6);
    EXPECT_EQ(ui::gpuCacheSize(), 1);
    EXPECT_EQ(ui::gpuLiveTextures(), 1) << "the texture of the old size was destroyed";

    EXPECT_EQ(ui::gpuTexture("test/zero", 0, 6, paintSolid, &log), nullptr);
    EXPECT_EQ(ui::gpuTexture("test/zero", 6, 0, paintSolid, &log), nullptr);
    EXPECT_EQ(log.calls, 2);
}

TEST(GpuCache, PassingFourHundredEntriesEvictsAThirdWithTheSmallestStamps) {
    Canvas canvas(small(RendererKind::Software));
    ASSERT_TRUE(canvas.ok());
    PaintLog log;
    auto key = [](const char* prefix, int i) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%s/%03d", prefix, i);
        return std::string(buf);
    };
    ui::gpuBeginFrame();
    for (int i = 0; i < 400; ++i)
        ui::gpuTexture(key("k", i), 1, 1, paintSolid, &log);
    // The first half is used again later, so it is younger than the never reused rest.
    ui::gpuBeginFrame();
    for (int i = 0; i < 200; ++i)
        ui::gpuTexture(key("k", i), 1, 1, paintSolid, &log);
    ASSERT_EQ(ui::gpuCacheSize(), 400);

    ui::gpuTexture("n/400", 1, 1, paintSolid, &log);
    EXPECT_EQ(ui::gpuCacheSize(), 401) << "400 entries take one more without eviction";

    ui::gpuTexture("n/401", 1, 1, paintSolid, &log);
    EXPECT_EQ(ui::gpuCacheSize(), 269) << "401 shrink by 133 to 268, then the new key";
    EXPECT_EQ(ui::gpuLiveTextures(), 269);
    // Stamp 0 goes first, ties by key: k/200 ... k/332 leave; k/333 and n/400 stay.
    EXPECT_FALSE(ui::gpuCached("k/200", nullptr, nullptr));
    EXPECT_FALSE(ui::gpuCached("k/332", nullptr, nullptr));
    EXPECT_TRUE(ui::gpuCached("k/333", nullptr, nullptr));
    EXPECT_TRUE(ui::gpuCached("n/400", nullptr, nullptr));
    EXPECT_TRUE(ui::gpuCached("k/000", nullptr, nullptr));
    EXPECT_TRUE(ui::gpuCached("k/199", nullptr, nullptr));
    EXPECT_TRUE(ui::gpuCached("n/401", nullptr, nullptr));
}

TEST(GpuCache, PixelBytesStayWithinTheBudgetEvictingTheLeastRecentlyUsed) {
    Canvas canvas(small(RendererKind::Software));
    ASSERT_TRUE(canvas.ok());
    PaintLog log;
    const size_t tile = 32 * 32 * 4;
    const size_t before = ui::gpuSetCacheBudget(10 * tile);
    size_t most = 0;
    for (int f = 0; f < 40; ++f) {
        ui::gpuBeginFrame();
        // One texture used every frame, and a stream of new ones of two sizes.
        ui::gpuTexture("keep", 32, 32, paintSolid, &log);
        const int side = f % 2 ? 32 : 16;
        ASSERT_NE(ui::gpuTexture("new/" + std::to_string(f), side, side, paintSolid, &log),
                  nullptr);
        most = std::max(most, ui::gpuCacheBytes());
        EXPECT_TRUE(ui::gpuCached("new/" + std::to_string(f), nullptr, nullptr));
    }
    EXPECT_LE(most, 10 * tile) << "the budget is never exceeded";
    EXPECT_GT(most, 8 * tile) << "and is used";
    EXPECT_TRUE(ui::gpuCached("keep", nullptr, nullptr)) << "the one in use every frame stays";
    EXPECT_FALSE(ui::gpuCached("new/0", nullptr, nullptr)) << "the oldest went";
    EXPECT_EQ(ui::gpuLiveTextures(), ui::gpuCacheSize());
    ui::gpuSetCacheBudget(before);
}

TEST(GpuCache, TexturesOfAnEarlierWindowSizeGoFirstAndLeaveWhenLongUnused) {
    Canvas canvas(small(RendererKind::Software));
    ASSERT_TRUE(canvas.ok());
    PaintLog log;
    const size_t tile = 32 * 32 * 4;
    const size_t before = ui::gpuSetCacheBudget(3 * tile);
    ui::gpuSetWindowSize(800, 600);
    ui::gpuBeginFrame();
    ui::gpuTexture("old/a", 32, 32, paintSolid, &log);
    ui::gpuTexture("old/b", 32, 32, paintSolid, &log);
    ui::gpuTexture("any/c", 32, 32, paintSolid, &log);
    ui::gpuBeginFrame();
    ui::gpuTexture("old/a", 32, 32, paintSolid, &log);  // recently used, but for the old size
    ui::gpuSetWindowSize(1000, 700);
    ui::gpuBeginFrame();
    ui::gpuTexture("any/c", 32, 32, paintSolid, &log);  // used at the new size too
    ui::gpuTexture("new/d", 32, 32, paintSolid, &log);  // never reused: stamp 0
    ui::gpuTexture("new/e", 32, 32, paintSolid, &log);
    EXPECT_FALSE(ui::gpuCached("old/b", nullptr, nullptr));
    EXPECT_FALSE(ui::gpuCached("old/a", nullptr, nullptr))
        << "an earlier size's texture goes before an older one of the current size";
    EXPECT_TRUE(ui::gpuCached("new/d", nullptr, nullptr));
    EXPECT_TRUE(ui::gpuCached("any/c", nullptr, nullptr));
    EXPECT_LE(ui::gpuCacheBytes(), 3 * tile);

    // Well within the budget, a texture of an earlier size still leaves once long unused.
    ui::gpuSetCacheBudget(100 * tile);
    ui::gpuTexture("mid/f", 32, 32, paintSolid, &log);
    ui::gpuSetWindowSize(1200, 800);
    for (int f = 0; f < 200; ++f) {
        ui::gpuBeginFrame();
        ui::gpuTexture("any/c", 32, 32, paintSolid, &log);
    }
    EXPECT_FALSE(ui::gpuCached("mid/f", nullptr, nullptr));
    EXPECT_FALSE(ui::gpuCached("new/e", nullptr, nullptr));
    EXPECT_TRUE(ui::gpuCached("any/c", nullptr, nullptr)) << "in use at every size: kept";
    EXPECT_EQ(ui::gpuLiveTextures(), ui::gpuCacheSize());
    ui::gpuSetCacheBudget(before);
}

TEST(GpuBlit, ANullTextureOrNoRendererDrawsNothingAndCountsNoDrawCall) {
    {
        Canvas canvas(small(RendererKind::Software));
        ASSERT_TRUE(canvas.ok());
        PaintLog log;
        SDL_Texture* tex = ui::gpuTexture("test/t", 4, 4, paintSolid, &log);
        ASSERT_NE(tex, nullptr);
        ui::gpuBeginFrame();
        ui::gpuBlit(nullptr, 0, 0, 4, 4, 1);
        ui::gpuBlitRotated(nullptr, 2, 2, 4, 4, 30, 1);
        ui::gpuBlitSrc(tex, 0, 0, 0, 4, 0, 0, 4, 4, 1);
        ui::gpuBlitSrc(tex, 0, 0, 4, -1, 0, 0, 4, 4, 1);
        EXPECT_EQ(ui::gpuDrawCalls(), 0);

        ui::gpuBlit(tex, 0, 0, 4, 4, 1);
        ui::gpuBlitSrc(tex, 0, 0, 2, 2, 0, 0, 4, 4, 1);
        ui::gpuBlitTinted(tex, 0, 0, 4, 4, 0xFF0000, 1);
        ui::gpuBlitTintedRot(tex, 2, 2, 4, 4, 10, 0xFF0000, 1);
        ui::gpuBlitRotated(tex, 2, 2, 4, 4, 10, 1);
        ui::gpuBlitMirrored(tex, 2, 2, 4, 4, 10, true, 1);
        ui::gpuBlitPivot(tex, 0, 0, 4, 4, 1, 1, 10, false, 1);
        EXPECT_EQ(ui::gpuDrawCalls(), 7) << "every blit that reaches the renderer counts";

        SDL_Texture* foreign = SDL_CreateTexture(canvas.renderer(), SDL_PIXELFORMAT_ARGB8888,
                                                 SDL_TEXTUREACCESS_STATIC, 2, 2);
        ui::gpuShutdown();
        ui::gpuBeginFrame();
        ui::gpuBlit(foreign, 0, 0, 4, 4, 1);
        ui::gpuBlitMirrored(foreign, 2, 2, 4, 4, 0, true, 1);
        EXPECT_EQ(ui::gpuDrawCalls(), 0) << "no renderer: nothing reaches it";
        EXPECT_EQ(ui::gpuTexture("test/t", 4, 4, paintSolid, &log), nullptr);
        EXPECT_EQ(ui::gpuRenderer(), nullptr);
        SDL_DestroyTexture(foreign);
    }
}

TEST(GpuScale, ScaleNotAboveZeroBecomesOne) {
    ui::gpuSetScale(2.5);
    EXPECT_EQ(ui::gpuScale(), 2.5);
    ui::gpuSetScale(0);
    EXPECT_EQ(ui::gpuScale(), 1.0);
    ui::gpuSetScale(-2);
    EXPECT_EQ(ui::gpuScale(), 1.0);
}

TEST(GpuBlit, PlacesRoundedDevicePixelsAndModulatesOpacityAndTintOnEitherRenderer) {
    for (RendererKind kind : kBothRenderers) {
        Canvas canvas(small(kind, 1.5));
        ASSERT_TRUE(canvas.ok());
        SCOPED_TRACE(canvas.rendererName());
        PaintLog white;
        canvas.frame(0, [&](ui::Ctx&) {
            SDL_Texture* tex = ui::gpuTexture("test/white", 6, 6, paintSolid, &white);
            // (2.2, 3.3, 4, 4) logical at scale 1.5: device (3, 5, 6, 6).
            ui::gpuBlit(tex, 2.2, 3.3, 4, 4, 1);
            ui::gpuBlit(tex, 20, 4, 4, 4, 0.5);
            ui::gpuBlitTinted(tex, 30, 4, 4, 4, 0xFF8000, 1);
            ui::gpuBlitTinted(tex, 40, 4, 4, 4, 0xFF8000, 0.5);
        });
        harness::Image img = canvas.snapshot();
        ASSERT_GT(img.w, 0);
        EXPECT_EQ(img.at(3, 5) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(img.at(8, 10) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(img.at(2, 7) & 0xFFFFFF, 0u);
        EXPECT_EQ(img.at(9, 7) & 0xFFFFFF, 0u);
        EXPECT_EQ(img.at(5, 4) & 0xFFFFFF, 0u);
        EXPECT_EQ(img.at(5, 11) & 0xFFFFFF, 0u);

        // Half opacity over black gives half grey, not a quarter: the fade is applied once.
        uint32_t half = img.at(33, 9);
        EXPECT_NEAR(harness::redOf(half), 128, 3);
        EXPECT_NEAR(harness::blueOf(half), 128, 3);
        uint32_t tinted = img.at(48, 9);
        EXPECT_NEAR(harness::redOf(tinted), 255, 2);
        EXPECT_NEAR(harness::greenOf(tinted), 128, 3);
        EXPECT_NEAR(harness::blueOf(tinted), 0, 2);
        uint32_t tintedHalf = img.at(63, 9);
        EXPECT_NEAR(harness::redOf(tintedHalf), 128, 3);
        EXPECT_NEAR(harness::greenOf(tintedHalf), 64, 3);
    }
}

TEST(GpuBlit, OpaqueTexturesCoverOnlyTheirPixelsWhateverTheOpacityOrRotation) {
    for (RendererKind kind : kBothRenderers) {
        Canvas canvas(small(kind));
        if (!canvas.ok()) continue;  // no accelerated renderer here
        SCOPED_TRACE(canvas.rendererName());
        PaintLog white;
        canvas.frame(
            1,
            [&](ui::Ctx&) {
                SDL_Texture* tex = ui::gpuTexture("test/opaque", 12, 12, paintSolid, &white);
                ui::gpuBlit(tex, 2, 2, 12, 12, 1);
                ui::gpuBlit(tex, 18, 2, 12, 12, 0.5);
                ui::gpuBlitRotated(tex, 42, 8, 12, 12, 45, 1);
                // Full opacity again after a faded and a rotated blit.
                ui::gpuBlit(tex, 2, 20, 12, 12, 1);
            },
            0x0000FF);
        const harness::Image img = canvas.snapshot();
        EXPECT_EQ(img.at(8, 8) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(img.at(8, 26) & 0xFFFFFF, 0xFFFFFFu);
        const uint32_t half = img.at(24, 8);
        EXPECT_NEAR(harness::redOf(half), 128, 3) << "faded: blended over the blue";
        EXPECT_NEAR(harness::blueOf(half), 255, 2);
        EXPECT_EQ(img.at(42, 8) & 0xFFFFFF, 0xFFFFFFu);
        // The corners a rotated square leaves uncovered keep what was below.
        EXPECT_EQ(img.at(37, 3) & 0xFFFFFF, 0x0000FFu);
        EXPECT_EQ(img.at(47, 13) & 0xFFFFFF, 0x0000FFu);
    }
}

TEST(GpuBlend, StraightAlphaConversionOnlyTouchesPartialAlpha) {
    std::vector<uint32_t> row = {0x00000000, 0xFF123456, 0x80404040, 0x01010101, 0x40102030};
    ui::unpremultiplyRow(row.data(), static_cast<int>(row.size()));
    EXPECT_EQ(row[0], 0x00000000u);
    EXPECT_EQ(row[1], 0xFF123456u);
    EXPECT_EQ(row[2], 0x80808080u);
    EXPECT_EQ(row[3], 0x01FFFFFFu);
    EXPECT_EQ(row[4], 0x404080BFu);  // 16, 32, 48 at a quarter alpha: 64, 128, 191
}

TEST(GpuBlend, FallbackBlendingIsNotDarkerThanPremultipliedBlending) {
    // A half-transparent white texture and a half-transparent white frame layer over black.
    harness::Image pictures[2];
    bool straight[2] = {false, false};
    for (int i = 0; i < 2; ++i) {
        Canvas canvas(small(kBothRenderers[i]));
        ASSERT_TRUE(canvas.ok());
        straight[i] = ui::gpuStraightAlpha();
        PaintLog halfWhite{0, 0x80808080};
        canvas.frame(0, [&](ui::Ctx& ctx) {
            ui::gpuBlit(ui::gpuTexture("test/half", 8, 8, paintSolid, &halfWhite), 0, 0, 8, 8, 1);
            cairo_set_source_rgba(ctx.cr, 1, 1, 1, 0.5);
            cairo_rectangle(ctx.cr, 16, 0, 8, 8);
            cairo_fill(ctx.cr);
        });
        pictures[i] = canvas.snapshot();
        ASSERT_GT(pictures[i].w, 0);
    }
    EXPECT_TRUE(straight[0]) << "the software renderer refuses the premultiplied mode";
    EXPECT_FALSE(straight[1]);
    for (int x : {4, 20}) {
        SCOPED_TRACE(x);
        int soft = harness::brightness(pictures[0].at(x, 4));
        int accel = harness::brightness(pictures[1].at(x, 4));
        EXPECT_NEAR(accel, 3 * 128, 9);
        EXPECT_GE(soft, accel - 6) << "premultiplied pixels blended again would give a quarter";
    }
}

namespace {

void fillTarget(void* arg) {
    auto* calls = static_cast<int*>(arg);
    ++*calls;
    SDL_Renderer* ren = ui::gpuRenderer();
    SDL_SetRenderDrawBlendMode(ren, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(ren, 255, 0, 0, 255);
    SDL_Rect left{0, 0, 4, 8};
    SDL_RenderFillRect(ren, &left);
}

}  // namespace

TEST(GpuRenderTarget, DrawsOnceUnlessAskedToRedrawAndComposesLikeAnyTexture) {
    for (RendererKind kind : kBothRenderers) {
        Canvas canvas(small(kind));
        ASSERT_TRUE(canvas.ok());
        SCOPED_TRACE(canvas.rendererName());
        int calls = 0;
        canvas.frame(0, [&](ui::Ctx&) {
            SDL_Texture* a = ui::gpuRenderTarget("test/rt", 8, 8, fillTarget, &calls, false);
            SDL_Texture* b = ui::gpuRenderTarget("test/rt", 8, 8, fillTarget, &calls, false);
            EXPECT_EQ(a, b);
            EXPECT_EQ(calls, 1);
            ui::gpuRenderTarget("test/rt", 8, 8, fillTarget, &calls, true);
            EXPECT_EQ(calls, 2);
            ui::gpuBlit(a, 10, 10, 8, 8, 1);
        });
        harness::Image img = canvas.snapshot();
        EXPECT_EQ(img.at(11, 12) & 0xFFFFFF, 0xFF0000u) << "the drawn half";
        EXPECT_EQ(img.at(16, 12) & 0xFFFFFF, 0x000000u) << "the cleared half stays transparent";
    }
}

TEST(Profiler, ReportsMeanTimesOnlyWhenStatsAreOn) {
    // The switch is read once per process, so each case runs in a fresh one.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            unsetenv("VANTREL_STATS");
            ui::profBegin("paint");
            ui::profEnd("paint");
            std::exit(ui::profReport().empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            setenv("VANTREL_STATS", "", 1);
            bool ok = ui::profReport().empty();
            ui::profBegin("b");
            ui::profEnd("b");
            ui::profBegin("a");
            ui::profEnd("a");
            ui::profEnd("a");
            std::string r = ui::profReport();
            // Name order, a leading blank each, then the sections are reset.
            ok = ok && r.rfind(" a ", 0) == 0 && r.find(" b ") != std::string::npos &&
                 r.find(" a ") < r.find(" b ");
            ok = ok && ui::profReport().empty();
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(FrameLayer, WhatALaterFrameNoLongerDrawsIsGoneAndPartialAlphaStaysRight) {
    // The layer clears and uploads only where ink was or is; a stale band would keep old ink.
    for (RendererKind kind : kBothRenderers) {
        Canvas canvas(Options{200, 300, 1.0, kind, false});
        ASSERT_TRUE(canvas.ok());
        SCOPED_TRACE(canvas.rendererName());
        auto square = [](ui::Ctx& ctx, double x, double y, double alpha) {
            cairo_set_source_rgba(ctx.cr, 1, 1, 1, alpha);
            cairo_rectangle(ctx.cr, x, y, 20, 20);
            cairo_fill(ctx.cr);
        };
        // Ink in the first band, in a middle band spanning two bands, and near the bottom.
        canvas.frame(0, [&](ui::Ctx& ctx) {
            square(ctx, 10, 10, 1);
            square(ctx, 150, 120, 1);
            square(ctx, 90, 270, 0.5);
        });
        harness::Image img = canvas.snapshot();
        EXPECT_EQ(img.at(20, 20) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(img.at(160, 130) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_NEAR(harness::brightness(img.at(100, 280)), 3 * 128, 9);

        // The next frame draws one square elsewhere in a band that held ink.
        canvas.frame(0.1, [&](ui::Ctx& ctx) { square(ctx, 60, 125, 1); });
        img = canvas.snapshot();
        EXPECT_EQ(img.at(20, 20) & 0xFFFFFF, 0u);
        EXPECT_EQ(img.at(160, 130) & 0xFFFFFF, 0u);
        EXPECT_EQ(img.at(100, 280) & 0xFFFFFF, 0u);
        EXPECT_EQ(img.at(70, 135) & 0xFFFFFF, 0xFFFFFFu);

        canvas.frame(0.2, [](ui::Ctx&) {});
        img = canvas.snapshot();
        for (int y = 0; y < 300; y += 7)
            for (int x = 0; x < 200; x += 7)
                ASSERT_EQ(img.at(x, y) & 0xFFFFFF, 0u) << x << "," << y;
    }
}
