// The reduced-motion state painters ask, set from the settings and the desktop.
#include "ui/motion.h"

namespace ui {

namespace {

struct MotionState {
    bool desktopReduces = false;
    bool reduced = false;
};

MotionState& state() {
    static MotionState s;
    return s;
}

}  // namespace

void setDesktopReducesMotion(bool reduce) {
    state().desktopReduces = reduce;
}

bool effectiveReduceMotion(const store::Settings& s) {
    return s.reduceMotion.value_or(state().desktopReduces);
}

void setMotionReduced(bool reduce) {
    state().reduced = reduce;
}

bool motionReduced() {
    return state().reduced;
}

double motionTime(const Ctx& c) {
    return state().reduced ? kStillMoment : c.t;
}

}  // namespace ui
