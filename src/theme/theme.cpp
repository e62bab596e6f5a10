// Worlds and palettes: the fixed world table and the colour helpers every painter uses.
#include "theme/theme.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdio>

namespace theme {

namespace {

using S = ShapeKind;

uint32_t clampChannel(double v) {
    if (!(v >= 0)) return 0;  // also catches NaN, which must not reach the integer cast
    if (v > 255) return 255;
    return static_cast<uint32_t>(v + 0.5);
}

template <typename F>
uint32_t mapChannels(uint32_t rgb, F f) {
    uint32_t out = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        double c = static_cast<double>((rgb >> shift) & 0xFF);
        out |= clampChannel(f(c)) << shift;
    }
    return out;
}

}  // namespace

const std::vector<World>& worlds() {
    static const std::vector<World> table = {
        {"sandstrand",
         0xFBE8C2,
         {0x82C8E1, 0.30},
         {0x9FD9F2, 0xDCF2FB},
         {0x4FB9D4, 0x93DDE8},
         0xFFE89A,
         0xC2E6F0,
         MarbleSkin::Classic,
         {0xFF6B6B, 0xFFD23D, 0x3FC8D4, 0xFF8FAB, 0x62C370, 0xFF9F45, 0x7C9EFF, 0xC98FFF, 0xFF5C8A,
          0x36B9C9, 0xFFE066, 0x9ED36A, 0xFF7E54, 0x5CC8FF, 0xE07BFF},
         {S::Marble, S::Shell, S::Starfish, S::Shovel, S::Sandcastle, S::Beachball, S::Umbrella,
          S::Sand},
         {0xE8C98A, 0xF0D9A8, 0xD9AD62, 0xFFB59C, 0xFFF0D0}},
        {"lagune",
         0xD8F1EA,
         {0x50C8D2, 0.32},
         {0xAEEAF0, 0xE4FAF6},
         {0x2FB8B4, 0x7CDCD2},
         0xFFF2B0,
         0xBDEEE6,
         MarbleSkin::Bubble,
         {0x2BC4D4, 0xFF6B6B, 0xFFD23D, 0xFF8FAB, 0x62C370, 0x7C9EFF, 0xFF9F45, 0xC98FFF, 0x36B9C9,
          0xFF5C8A, 0x9ED36A, 0xFFE066, 0x5CC8FF, 0xFF7E54, 0xE07BFF},
         {S::Marble, S::Wave, S::Shell, S::Starfish, S::Beachball, S::Umbrella, S::Sand},
         {0x8AD8D0, 0xAEE6DD, 0x6CC7BE, 0xFFD9A0, 0xFFFFFF}},
        {"tropeninsel",
         0xECF3C8,
         {0x78CD87, 0.28},
         {0xA2E0D0, 0xE0F4DC},
         {0x35B393, 0x82D8BA},
         0xFFE89A,
         0xD2ECC8,
         MarbleSkin::Classic,
         {0x3BB568, 0xFF5C8A, 0xFFD23D, 0x3FC8D4, 0xFF6B6B, 0xFF9F45, 0x7C9EFF, 0xC98FFF, 0x36B9C9,
          0xFF8FAB, 0xFFE066, 0x9ED36A, 0xFF7E54, 0x5CC8FF, 0xE07BFF},
         {S::Marble, S::Umbrella, S::Beachball, S::Shell, S::Sun, S::Sand},
         {0xCFE39A, 0xE0ECB8, 0xB6D488, 0xFFCF8F, 0xFFF2C8}},
        {"muschelbucht",
         0xFBE3DF,
         {0xFFA5B4, 0.28},
         {0xF2C6DC, 0xFDEEF2},
         {0xE2799E, 0xF4B4C6},
         0xFFF0C0,
         0xF5D4D9,
         MarbleSkin::Swirl,
         {0xFF8FAB, 0x36B9C9, 0xFFD23D, 0x62C370, 0xFF6B6B, 0x7C9EFF, 0xFF9F45, 0xC98FFF, 0x3FC8D4,
          0xFF5C8A, 0xFFE066, 0x9ED36A, 0xFF7E54, 0x5CC8FF, 0xE07BFF},
         {S::Marble, S::Shell, S::Starfish, S::Shell, S::Sandcastle, S::Beachball, S::Umbrella,
          S::Sand},
         {0xF3C9C0, 0xF8D9D0, 0xE8A89C, 0xFFD9A0, 0xFFF0E6}},
        {"abendstrand",
         0xFCDFBE,
         {0xFF9655, 0.32},
         {0xFF9E5C, 0xFFDFAE},
         {0xE0784E, 0xFFB488},
         0xFFD27A,
         0xFFD6AD,
         MarbleSkin::Classic,
         {0xFF8A3C, 0x5CC8FF, 0xFFD23D, 0xFF5C8A, 0x62C370, 0x7C9EFF, 0xFF6B6B, 0xC98FFF, 0x36B9C9,
          0xFF8FAB, 0xFFE066, 0x9ED36A, 0xFF7E54, 0x3FC8D4, 0xE07BFF},
         {S::Marble, S::Sun, S::Umbrella, S::Beachball, S::Starfish, S::Shell, S::Wave},
         {0xFFCAA0, 0xFFD9B8, 0xF0A878, 0xFFE0C0, 0xFFB38A}},
    };
    return table;
}

const World& worldForTier(int tier0Based) {
    const std::vector<World>& all = worlds();
    assert(!all.empty());
    int index = tier0Based / 4;
    if (index < 0) index = 0;
    if (index > static_cast<int>(all.size()) - 1) index = static_cast<int>(all.size()) - 1;
    return all[static_cast<std::size_t>(index)];
}

std::vector<uint32_t> rotatedPalette(const World& w, int offset) {
    const std::vector<uint32_t>& colors = w.marbleColors;
    const int n = static_cast<int>(colors.size());
    if (n == 0) return {};
    const int off = (n + offset % n) % n;
    if (off == 0) return colors;
    std::vector<uint32_t> out(colors.size());
    for (int i = 0; i < n; ++i)
        out[static_cast<std::size_t>(i)] = colors[static_cast<std::size_t>((off + i) % n)];
    return out;
}

uint32_t lighten(uint32_t rgb, double amount) {
    return mapChannels(rgb, [amount](double c) { return c + (255.0 - c) * amount; });
}

uint32_t darken(uint32_t rgb, double amount) {
    return mapChannels(rgb, [amount](double c) { return c * (1.0 - amount); });
}

// ---- Colour conversion ----

Channels channels(uint32_t rgb) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

std::string hex6(uint32_t rgb) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%06x", rgb & 0xFFFFFFu);
    return buf;
}

uint32_t hueColor(double hueDeg, double c, double m) {
    double hue = std::fmod(hueDeg, 360.0);
    if (hue < 0) hue += 360;
    const double hp = hue / 60;
    const double x = c * (1 - std::fabs(std::fmod(hp, 2.0) - 1));
    double r = 0, g = 0, b = 0;
    switch (std::min(5, static_cast<int>(hp))) {
        case 0:
            r = c, g = x;
            break;
        case 1:
            r = x, g = c;
            break;
        case 2:
            g = c, b = x;
            break;
        case 3:
            g = x, b = c;
            break;
        case 4:
            r = x, b = c;
            break;
        default:
            r = c, b = x;
            break;
    }
    auto channel = [m](double v) {
        return static_cast<uint32_t>(std::clamp((v + m) * 255, 0.0, 255.0) + 0.5);
    };
    return channel(r) << 16 | channel(g) << 8 | channel(b);
}

// ---- Text styles ----

TextStyle textStyle(TextRole role, double size) {
    TextStyle st;
    st.size = size;
    st.bold = role != TextRole::Body;
    st.color = kText;
    st.align = role == TextRole::Body ? Align::Left : Align::Center;
    st.minScale = role == TextRole::Glyph ? 0 : 0.6;
    switch (role) {
        case TextRole::Headline:
            st.color = kAccent;
            break;
        case TextRole::Raised:
            st.shadowRadius = 3;
            st.shadowDy = 2;
            st.shadowColor = kText;
            st.shadowAlpha = 0.22;
            break;
        case TextRole::OverScenery:
            st.color = 0xFFFFFF;
            st.shadowRadius = 4;
            st.shadowDy = 2;
            st.shadowColor = 0x32230F;
            st.shadowAlpha = 0.55;
            break;
        case TextRole::Glyph:
            st.color = 0xFFFFFF;
            break;
        case TextRole::Label:
        case TextRole::Body:
            break;
    }
    return st;
}

}  // namespace theme
