// Ambient life: now and then a crab, fish, boat, gull or turtle passes over the background.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/app.h"

namespace ui {

enum class Critter {
    None = 0,
    Crab = 1,
    Fish = 2,
    Boat = 3,
    GullFly = 4,
    GullPeek = 5,
    TurtleWalk = 6,
    TurtlePeek = 7,
};

// Advances the schedule and draws this frame's critter, if any (uses c.w, c.h and c.t).
void drawAmbientLife(Ctx& c);

// ---- Schedule and placement, exposed for the tests and the contact sheets ----

// The one critter of the whole process; it carries on across screen changes.
struct Life {
    Critter kind = Critter::None;
    double startedAt = -1;
    double nextAt = -1;  // below 0: not yet scheduled
    double duration = 0;
    double y = 0;          // vertical placement, meaning per kind
    double x = 0;          // the fish's horizontal start
    int dir = 1;           // +1 left to right, -1 right to left
    bool leftSide = true;  // peeking kinds: from the left edge
    uint32_t seed = 1;
};

const Life& lifeState();
// The kind a value of VANTREL_LIFE forces; None for null or any other text (case matters).
Critter critterFromName(const char* name);
// Forgets the critter, its schedule and the forced kind (VANTREL_LIFE is read again).
void lifeShutdown();

// One blit of a critter picture: centred at (cx, cy) unless pivoted, where (x, y) is the
// top-left corner and (pivotX, pivotY) the turning point measured from it.
struct CritterBlit {
    std::string name;  // picture name, see critterTextureKey
    double cx = 0, cy = 0;
    double x = 0, y = 0;
    double w = 0, h = 0;
    double angleDeg = 0;
    bool flipH = false;
    bool pivoted = false;
    double pivotX = 0, pivotY = 0;
    double alpha = 1;
};

// Where the critter of `life` is drawn at progress p (0 <= p < 1) in a W x H window.
std::vector<CritterBlit> critterPose(const Life& life, double p, double W, double H);
// The cache key of a critter picture at the current display scale ("life.crab/76").
std::string critterTextureKey(const std::string& name);

}  // namespace ui
