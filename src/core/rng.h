// Seeded Mulberry32 generator shared by painters, the playing screen and the attract demo.
#pragma once

#include <cstdint>

class Rng {
  public:
    explicit Rng(uint32_t seed = 0) : a_(seed) {}

    // One Mulberry32 step; all arithmetic wraps at 32 bits.
    double next() {
        a_ += 0x6D2B79F5u;
        uint32_t t = a_;
        t = (t ^ (t >> 15)) * (t | 1u);
        t ^= t + (t ^ (t >> 7)) * (t | 61u);
        return static_cast<double>(t ^ (t >> 14)) / 4294967296.0;
    }
    double range(double lo, double hi) { return lo + next() * (hi - lo); }
    int intN(int n) { return static_cast<int>(next() * n); }
    uint32_t state() const { return a_; }

  private:
    uint32_t a_;
};
