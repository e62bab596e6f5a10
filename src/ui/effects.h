// Celebration effects: falling petals, fireworks, a spiral burst of dots and a marble fountain.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/app.h"

namespace ui {

// Each draws one frame of its effect over the whole window; call once per frame.
void drawCherryBlossoms(Ctx& c);
void drawFireworks(Ctx& c);
// The burst's dots fade out towards keepClear and never cover it (an empty rectangle: none).
void drawMarbleBurst(Ctx& c, const Rect& keepClear = {});
// While motion is reduced the fountain stands still, always the same picture.
void drawMarbleFountain(Ctx& c);

// The celebration of a calm screen: a soft halo round `around`, breathing slowly, with no
// particles and nothing beyond the halo's margin.
constexpr double kCalmGlowMargin = 36;
constexpr double kCalmGlowPeriod = 4.0;  // seconds of one slow breath
void drawCalmGlow(Ctx& c, const Rect& around, uint32_t rgb);
// The halo's opacity at time t.
double calmGlowAlpha(double t);

// Forgets every particle and the fountain's respawn generator; the next frame starts afresh.
void effectsShutdown();

// ---- Particles, kept per effect and rebuilt when the window size changes ----

struct Petal {
    double baseX = 0, y = 0, rot = 0;
    double driftAmp = 0, driftFreq = 0, driftPhase = 0;
    double fallSpeed = 0, spinSpeed = 0, size = 0;
    uint32_t color = 0;
};

struct Blossoms {
    bool ready = false;
    double w = 0, h = 0, clock = 0;
    std::vector<Petal> petals;
};

struct Spark {
    double angle = 0, speed = 0, hueShift = 0;
};

struct Rocket {
    double originX = 0, explodeY = 0, cycleTime = 0, phaseOffset = 0, baseHue = 0;
    Spark sparks[14];
};

struct Fireworks {
    bool ready = false;
    double w = 0, h = 0, clock = 0;
    Rocket rockets[5];
};

struct FountainBall {
    double cx = 0, cy = 0, vx = 0, vy = 0, r = 0;
    int colorId = 0;
    bool alive = false;
    double delay = 0;
};

struct Fountain {
    bool ready = false;
    double w = 0, h = 0;
    std::vector<FountainBall> balls;
};

const Blossoms& blossomsState();
const Fireworks& fireworksState();
const Fountain& fountainState();

// ---- Helpers shared by the effects ----

// HSL (hue in degrees, any value; s and l 0 to 1) to 0xRRGGBB.
uint32_t effectHsl(double h, double s, double l);
// Slots per arm of the marble burst in a w x h window (each arm draws one dot more).
int burstArmLength(double w, double h);

}  // namespace ui
