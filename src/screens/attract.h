// The attract demo's choice of levels, shared with its tests.
#pragma once

#include <cstdint>

#include "core/rng.h"

namespace screens {

// The demo's generator: seeded with the run id, or with 1 when no run id was given (0).
Rng attractRng(uint32_t runId);

// The flat level of the next demo board: drawn from the upper middle of the catalogue, and
// never the previous level again when the range offers another (lastLevel < 0: first board).
int pickAttractLevel(Rng& rng, int total, int lastLevel);

}  // namespace screens
