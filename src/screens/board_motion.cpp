// Per-tube motion of the board: bounce, glow and liquid.
#include "screens/board_motion.h"

#include <algorithm>
#include <cmath>

namespace screens {

namespace {

constexpr double kSinkTime = 0.07;
constexpr double kGlowRise = 0.12;
constexpr double kGlowFade = 0.7;
constexpr double kFillTime = 3.0;

double easeOutQuad(double t) {
    return 1 - (1 - t) * (1 - t);
}
double easeInOutCubic(double t) {
    return t < 0.5 ? 4 * t * t * t : 1 - std::pow(2 - 2 * t, 3) / 2;
}

void stepBounce(TubeMotion& m, double d) {
    if (m.bounce == TubeMotion::Bounce::Sinking) {
        m.bounceT += d;
        const double p = m.bounceT / kSinkTime;
        m.dip = m.dipDepth * easeOutQuad(std::min(p, 1.0));
        if (p >= 1) {
            m.bounce = TubeMotion::Bounce::Springing;
            m.dipSpeed = 0;
        }
    } else if (m.bounce == TubeMotion::Bounce::Springing) {
        // A damped spring back to the rest height.
        const double acc = (-320 * m.dip - 10 * m.dipSpeed) / 0.8;
        m.dipSpeed += acc * d;
        m.dip += m.dipSpeed * d;
        if (std::fabs(m.dip) < 0.05 && std::fabs(m.dipSpeed) < 0.5) {
            m.dip = m.dipSpeed = 0;
            m.bounce = TubeMotion::Bounce::Resting;
        }
    }
}

void stepGlow(TubeMotion& m, double d) {
    if (m.glow == TubeMotion::Glow::Brightening) {
        m.glowT += d;
        m.glowLevel = std::min(1.0, m.glowT / kGlowRise);
        if (m.glowT >= kGlowRise) {
            m.glow = TubeMotion::Glow::Fading;
            m.glowT = 0;
        }
    } else if (m.glow == TubeMotion::Glow::Fading) {
        m.glowT += d;
        const double r = m.glowT / kGlowFade;
        m.glowLevel = 1 - r;
        if (r >= 1) {
            m.glowLevel = 0;
            m.glow = TubeMotion::Glow::Off;
        }
    }
}

void stepLiquid(TubeMotion& m, double d) {
    if (m.liquid != TubeMotion::Liquid::Rising) return;
    m.fillT += d;
    m.fill = easeInOutCubic(std::min(m.fillT / kFillTime, 1.0));
    if (m.fill >= 1) m.liquid = TubeMotion::Liquid::Full;
}

}  // namespace

void TubeMotion::land(double depth, bool completes) {
    bounce = Bounce::Sinking;
    bounceT = 0;
    dipDepth = depth;
    if (completes) {
        glow = Glow::Brightening;
        glowT = 0;
    }
}

void TubeMotion::step(double dt) {
    stepBounce(*this, dt);
    stepGlow(*this, dt);
    stepLiquid(*this, dt);
}

bool TubeMotion::still() const {
    return dip == 0 && glowLevel <= 0.001 && fill <= 0;
}

std::vector<int> syncLiquid(std::vector<TubeMotion>& tubes, const mar::GameState& s,
                            int awaitingMarble) {
    std::vector<int> started;
    for (int i = 0; i < s.tubeCount() && i < static_cast<int>(tubes.size()); ++i) {
        TubeMotion& m = tubes[i];
        if (mar::isTubeComplete(s, i) && i != awaitingMarble) {
            if (m.liquid != TubeMotion::Liquid::Empty) continue;
            m.liquid = TubeMotion::Liquid::Rising;
            started.push_back(i);
        } else {
            m.liquid = TubeMotion::Liquid::Empty;
        }
        m.fill = 0;
        m.fillT = 0;
    }
    return started;
}

std::vector<TubeMotion> restingMotion(const mar::GameState& s) {
    std::vector<TubeMotion> tubes(s.tubes.size());
    for (int i = 0; i < s.tubeCount(); ++i) {
        if (!mar::isTubeComplete(s, i)) continue;
        tubes[i].liquid = TubeMotion::Liquid::Full;
        tubes[i].fill = 1;
        tubes[i].fillT = kFillTime;
    }
    return tubes;
}

}  // namespace screens
