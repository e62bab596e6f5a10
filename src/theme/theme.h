// Worlds and palettes: the look of each tier, colour helpers and the interface colours.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "theme/text_style.h"

namespace theme {

// ---- Interface colours (0xRRGGBB) ----
inline constexpr uint32_t kBg = 0xFDF1D6;
inline constexpr uint32_t kBgElevated = 0xF4E1B6;
inline constexpr uint32_t kAccent = 0xE8633A;
inline constexpr uint32_t kAccentMuted = 0xBF4F2D;
inline constexpr uint32_t kText = 0x4A3826;
inline constexpr uint32_t kTextMuted = 0x9B8765;
inline constexpr uint32_t kBorder = 0xE0C896;
inline constexpr uint32_t kTubeBg = 0xFFFAF0;
inline constexpr uint32_t kTubeBorder = 0xA98A58;
inline constexpr uint32_t kPillBorder = 0xE3C48E;
inline constexpr uint32_t kPillBorderBottom = 0xCFA96A;
inline constexpr uint32_t kShadow = 0x5A3A10;
inline constexpr uint32_t kPrimaryBorder = 0xD05329;
inline constexpr uint32_t kPrimaryBorderBottom = 0xA83F1E;
inline constexpr uint32_t kSecondaryFill = 0xFFF6E2;
inline constexpr uint32_t kStarGold = 0xFFC83D;
inline constexpr uint32_t kStarDim = 0xB5A583;
inline constexpr uint32_t kPillFill = 0xFFFCF2;

// ---- Worlds ----

struct Rgba {
    uint32_t rgb = 0;
    double a = 1.0;
};

enum class MarbleSkin { Classic = 0, Bubble = 1, Football = 2, Swirl = 3, Crystal = 4, Gear = 5 };

enum class ShapeKind {
    Marble = 0,
    Shell = 1,
    Starfish = 2,
    Shovel = 3,
    Sandcastle = 4,
    Beachball = 5,
    Umbrella = 6,
    Sun = 7,
    Wave = 8,
    Sand = 9,
    Dot = 10,
    Ring = 11,
};

struct World {
    const char* id;  // display name: the translation of "worlds." + id
    uint32_t bg;     // sand colour of the background
    Rgba wash;
    std::array<uint32_t, 2> sky;  // gradient ends
    std::array<uint32_t, 2> sea;
    uint32_t sun;
    uint32_t glassTint;
    MarbleSkin skin;
    std::vector<uint32_t> marbleColors;  // always 15
    std::vector<ShapeKind> shapes;       // a kind listed twice is picked twice as often
    std::vector<uint32_t> shapePalette;  // always 5
};

// The five worlds, built on first use and never changed afterwards.
const std::vector<World>& worlds();

// Four tiers per world; tiers past the last world stay in it, negative tiers use the first.
const World& worldForTier(int tier0Based);

// The world's marble colours rotated left by offset (any offset, negative rotates right).
std::vector<uint32_t> rotatedPalette(const World& w, int offset);

// Moves each channel towards white (lighten) or black (darken) by amount, rounded and clamped.
uint32_t lighten(uint32_t rgb, double amount);
uint32_t darken(uint32_t rgb, double amount);

// ---- Colour conversion ----

// A colour's channels as fractions of one, as cairo takes them.
struct Channels {
    double r = 0, g = 0, b = 0;
};
Channels channels(uint32_t rgb);
// "rrggbb", for cache keys.
std::string hex6(uint32_t rgb);
// The colour of a hue (degrees, any value) with chroma c and lightness offset m, the last step
// of an HSL conversion; channels are rounded and clamped to 0..255.
uint32_t hueColor(double hueDeg, double c, double m);

}  // namespace theme
