// Level thumbnails: the row rules, the sizes derived from the card, and the drawn picture.
#include <gtest/gtest.h>

#include "core/levels.h"
#include "harness.h"
#include "theme/theme.h"
#include "ui/thumbnail.h"

namespace {

const ui::Rect kCard{10, 20, 240, 160};

struct Surface {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 300, 220);
    cairo_t* cr = cairo_create(s);
    ~Surface() {
        cairo_destroy(cr);
        cairo_surface_destroy(s);
    }
    uint32_t at(int x, int y) {
        cairo_surface_flush(s);
        const unsigned char* data = cairo_image_surface_get_data(s);
        return reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(s))[x];
    }
    bool blank() {
        for (int y = 0; y < 220; ++y)
            for (int x = 0; x < 300; ++x)
                if (at(x, y) != 0) return false;
        return true;
    }
};

std::vector<std::vector<int>> sampleTubes(int n, int capacity) {
    std::vector<std::vector<int>> tubes(static_cast<size_t>(n));
    for (int t = 0; t + 2 < n; ++t)
        for (int k = 0; k < capacity; ++k)
            tubes[static_cast<size_t>(t)].push_back((t + k) % (n - 2));
    return tubes;
}

}  // namespace

TEST(Thumbnail, SevenTubesFitOneRowEightAndNineTwo) {
    ui::ThumbLayout seven = ui::thumbLayout(kCard, 7, 4);
    EXPECT_EQ(seven.rows, 1);
    EXPECT_EQ(seven.cols, 7);
    EXPECT_EQ(seven.rowGap, 0);
    ui::ThumbLayout eight = ui::thumbLayout(kCard, 8, 4);
    EXPECT_EQ(eight.rows, 2);
    EXPECT_EQ(eight.cols, 4);
    EXPECT_EQ(eight.rowGap, 6);
    ui::ThumbLayout nine = ui::thumbLayout(kCard, 9, 4);
    EXPECT_EQ(nine.rows, 2);
    EXPECT_EQ(nine.cols, 5);
    EXPECT_DOUBLE_EQ(nine.tubeX(5), nine.tubeX(0)) << "the second row starts under the first";
    EXPECT_DOUBLE_EQ(nine.tubeY(5), nine.tubeY(0) + nine.tubeH + 6);
}

TEST(Thumbnail, SizesComeFromTheCardAndAreWholePixels) {
    // Eight tubes of four: height limits, (160 - 8 - 6) / 2 / 5.5 = 13.27.
    ui::ThumbLayout L = ui::thumbLayout(kCard, 8, 4);
    EXPECT_DOUBLE_EQ(L.tubeW, 13);
    EXPECT_DOUBLE_EQ(L.marbleD, 10);
    EXPECT_DOUBLE_EQ(L.tubeH, 53);  // 3 + 40 + 4 + 6
    EXPECT_DOUBLE_EQ(L.originX, 10 + (240 - (3 * 3 + 4 * 13)) / 2.0);
    EXPECT_DOUBLE_EQ(L.originY, 20 + (160 - (2 * 53 + 6)) / 2.0);
    EXPECT_DOUBLE_EQ(L.tubeX(3), L.originX + 3 * 16);

    // Three tubes of two in a wide card: width limits, (240 - 8) / 3 * 0.88 = 68.05.
    L = ui::thumbLayout(ui::Rect{0, 0, 240, 400}, 3, 2);
    EXPECT_DOUBLE_EQ(L.tubeW, 68);
    EXPECT_DOUBLE_EQ(L.marbleD, 53);
    EXPECT_DOUBLE_EQ(L.tubeH, 1 + 106 + 21 + 6);
}

TEST(Thumbnail, EveryCatalogueLevelFitsOnItsCard) {
    const ui::Rect card{0, 0, 200, 130};
    for (int level = 0; level < mar::totalLevels(); ++level) {
        mar::GameState s = mar::loadLevel(level);
        ui::ThumbLayout L = ui::thumbLayout(card, s.tubeCount(), s.capacity);
        SCOPED_TRACE(level);
        ASSERT_GE(L.marbleD, 2);
        EXPECT_GE(L.originX, card.x);
        EXPECT_GE(L.originY, card.y);
        EXPECT_LE(L.tubeX(L.cols - 1) + L.tubeW, card.right());
        EXPECT_LE(L.tubeY(s.tubeCount() - 1) + L.tubeH, card.bottom());
        EXPECT_LT(L.marbleD, L.tubeW) << "marbles fit between the tube's walls";
    }
}

TEST(Thumbnail, DrawsNothingForAnEmptyOrDegenerateLevel) {
    Surface surf;
    const std::vector<uint32_t> palette = {0xFF0000};
    ui::drawLevelThumbnail(surf.cr, kCard, {}, 4, palette);
    ui::drawLevelThumbnail(surf.cr, kCard, sampleTubes(5, 4), 0, palette);
    ui::drawLevelThumbnail(surf.cr, kCard, sampleTubes(5, 4), 4, {});
    ui::drawLevelThumbnail(surf.cr, ui::Rect{0, 0, 4, 100}, sampleTubes(5, 4), 4, palette);
    ui::drawLevelThumbnail(surf.cr, ui::Rect{0, 0, 100, 4}, sampleTubes(5, 4), 4, palette);
    EXPECT_TRUE(surf.blank());
}

TEST(Thumbnail, CardAndMarblesUseTheirColours) {
    Surface surf;
    // Tube 0 holds ids 0 and 16 (wrapping to 1), tube 1 holds id 2.
    const std::vector<std::vector<int>> tubes = {{0, 16}, {2}, {}};
    const std::vector<uint32_t> palette = {0xFF0000, 0x00FF00, 0x0000FF, 0x777777, 0x777777,
                                           0x777777, 0x777777, 0x777777, 0x777777, 0x777777,
                                           0x777777, 0x777777, 0x777777, 0x777777, 0x777777};
    ui::drawLevelThumbnail(surf.cr, kCard, tubes, 2, palette);
    EXPECT_EQ(surf.at(static_cast<int>(kCard.x) + 20, static_cast<int>(kCard.y) + 6),
              0xFF000000u | theme::kTubeBg);
    EXPECT_EQ(surf.at(static_cast<int>(kCard.x), static_cast<int>(kCard.y)), 0u)
        << "rounded corner";

    ui::ThumbLayout L = ui::thumbLayout(kCard, 3, 2);
    auto marbleCentre = [&](int tube, int slot) {
        double cx = L.tubeX(tube) + L.tubeW / 2;
        double cy = L.tubeY(tube) + L.tubeH - 4 - L.marbleD / 2 - slot * (L.marbleD + 1);
        return surf.at(static_cast<int>(cx), static_cast<int>(cy));
    };
    auto dominant = [](uint32_t p) {
        int r = harness::redOf(p), g = harness::greenOf(p), b = harness::blueOf(p);
        return r > g + 60 && r > b + 60   ? 'r'
               : g > r + 60 && g > b + 60 ? 'g'
               : b > r + 60 && b > g + 60 ? 'b'
                                          : '?';
    };
    EXPECT_EQ(dominant(marbleCentre(0, 0)), 'r');
    EXPECT_EQ(dominant(marbleCentre(0, 1)), 'g') << "ids wrap round the palette";
    EXPECT_EQ(dominant(marbleCentre(1, 0)), 'b');
    EXPECT_EQ(marbleCentre(2, 0), 0xFF000000u | theme::kTubeBg) << "an empty tube";
}
