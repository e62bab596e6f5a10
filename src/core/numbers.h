// Numbers every layer shares: pi, and the mixing function behind every seeded random draw.
#pragma once

#include <cstdint>

inline constexpr double kPi = 3.14159265358979323846;

// Mulberry32: the state advances by kMixStep per draw, and mix() turns a state into [0, 1).
// Painters and the board hash their inputs with the same function, so one seed gives one picture.
inline constexpr uint32_t kMixStep = 0x6D2B79F5u;

inline double mix(uint32_t t) {
    t = (t ^ (t >> 15)) * (t | 1u);
    t ^= t + (t ^ (t >> 7)) * (t | 61u);
    return static_cast<double>(t ^ (t >> 14)) / 4294967296.0;
}
