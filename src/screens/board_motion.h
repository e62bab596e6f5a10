// How each tube of the board moves between positions: the bounce when a marble lands, the glow
// when the tube is completed, and the liquid that rises in a complete tube. One record per tube,
// advanced once per frame; the rules know nothing of it.
#pragma once

#include <vector>

#include "core/state.h"

namespace screens {

struct TubeMotion {
    enum class Bounce { Resting, Sinking, Springing };
    enum class Glow { Off, Brightening, Fading };
    enum class Liquid { Empty, Rising, Full };

    Bounce bounce = Bounce::Resting;
    double dip = 0;       // how far the tube is pushed down, in logical units
    double dipSpeed = 0;  // while springing back
    double dipDepth = 0;  // how deep this landing pushes it
    double bounceT = 0;   // seconds in the present bounce phase

    Glow glow = Glow::Off;
    double glowLevel = 0;  // 0..1
    double glowT = 0;

    Liquid liquid = Liquid::Empty;
    double fill = 0;  // 0..1 of the tube's height
    double fillT = 0;

    // A marble landed: the tube sinks by `depth` and springs back; a completing landing glows.
    void land(double depth, bool completes);
    void step(double dt);
    // Nothing about the tube changes from frame to frame.
    bool still() const;
};

// Brings each tube's liquid in line with the position: a complete tube fills (except the one
// whose marble is still in the air), any other tube drains at once. Returns the tubes that
// began to fill, so the screen can voice them.
std::vector<int> syncLiquid(std::vector<TubeMotion>& tubes, const mar::GameState& s,
                            int awaitingMarble);

// The motion of a board opened at `s`: every tube at rest, complete tubes already full.
std::vector<TubeMotion> restingMotion(const mar::GameState& s);

}  // namespace screens
