// Seeded Mulberry32 generator shared by painters, the playing screen and the attract demo.
#pragma once

#include <cstdint>

#include "core/numbers.h"

class Rng {
  public:
    explicit Rng(uint32_t seed = 0) : a_(seed) {}

    // One Mulberry32 step; all arithmetic wraps at 32 bits.
    double next() {
        a_ += kMixStep;
        return mix(a_);
    }
    double range(double lo, double hi) { return lo + next() * (hi - lo); }
    int intN(int n) { return static_cast<int>(next() * n); }
    uint32_t state() const { return a_; }

  private:
    uint32_t a_;
};
