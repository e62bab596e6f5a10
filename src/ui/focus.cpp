// Focus: the spatial move, the frame's registrations, the ring and keeping it in view.
#include "ui/focus.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "theme/theme.h"
#include "ui/draw.h"

namespace ui {

namespace {

constexpr double kSideWeight = 3;  // a sideways step counts this many steps ahead
constexpr double kRingOut = 3;     // the ring's line runs this far outside the rectangle
constexpr double kHaloWidth = 8;   // the halo is centred on that line
static_assert(kRingOut + kHaloWidth / 2 == kFocusRingReach, "the halo's outer edge");

bool isActivateKey(int k) {
    return k == SDLK_RETURN || k == SDLK_KP_ENTER || k == SDLK_SPACE;
}

bool isNavigationKey(int k) {
    return isActivateKey(k) || k == SDLK_TAB || k == SDLK_LEFT || k == SDLK_RIGHT || k == SDLK_UP ||
           k == SDLK_DOWN;
}

// The gap between [a0, a1] and [b0, b1]; 0 when they overlap.
double gap(double a0, double a1, double b0, double b1) {
    return std::max({0.0, b0 - a1, a0 - b1});
}

// Of the elements open (indices into rects), the one whose centre lies nearest to r's; the
// first of equally near ones.
int nearestTo(const std::vector<Rect>& rects, const std::vector<int>& open, const Rect& r) {
    int best = open.front();
    double bestD = std::numeric_limits<double>::infinity();
    for (int i : open) {
        const Rect& b = rects[static_cast<size_t>(i)];
        const double d = std::hypot(b.cx() - r.cx(), b.cy() - r.cy());
        if (d < bestD - 1e-9) {
            best = i;
            bestD = d;
        }
    }
    return best;
}

}  // namespace

int focusNeighbour(const std::vector<Rect>& rects, int from, FocusDir dir, bool rtl) {
    if (from < 0 || from >= static_cast<int>(rects.size())) return -1;
    const Rect& a = rects[static_cast<size_t>(from)];
    const bool horizontal = dir == FocusDir::Left || dir == FocusDir::Right;
    const double sign = dir == FocusDir::Right || dir == FocusDir::Down ? 1 : -1;
    int best = -1;
    double bestScore = std::numeric_limits<double>::infinity(), bestOrder = 0;
    for (size_t i = 0; i < rects.size(); ++i) {
        if (static_cast<int>(i) == from) continue;
        const Rect& b = rects[i];
        // Ahead means its centre lies beyond ours and it reaches further than we do.
        const double ahead = horizontal ? sign * (b.cx() - a.cx()) : sign * (b.cy() - a.cy());
        const double reach = horizontal ? (sign > 0 ? b.right() - a.right() : a.x - b.x)
                                        : (sign > 0 ? b.bottom() - a.bottom() : a.y - b.y);
        if (ahead <= 0.5 || reach <= 0.5) continue;
        const double along = horizontal ? gap(a.x, a.right(), b.x, b.right())
                                        : gap(a.y, a.bottom(), b.y, b.bottom());
        const double side = horizontal ? gap(a.y, a.bottom(), b.y, b.bottom())
                                       : gap(a.x, a.right(), b.x, b.right());
        // Among elements in line the nearer centre decides, so a wide row picks its middle.
        const double centre = horizontal ? std::fabs(b.cy() - a.cy()) : std::fabs(b.cx() - a.cx());
        const double score = along + kSideWeight * side + 0.01 * centre;
        // Reading order breaks ties: top first, then from the side reading starts on.
        const double order = b.y * 1e6 + (rtl ? -b.x : b.x);
        if (score < bestScore - 1e-9 ||
            (std::fabs(score - bestScore) <= 1e-9 && order < bestOrder)) {
            best = static_cast<int>(i);
            bestScore = score;
            bestOrder = order;
        }
    }
    return best;
}

void focusReset(FocusState& f) {
    f.index = -1;
    f.beneath = -1;
    f.rects.clear();
    f.disabled.clear();
    f.layerStart = 0;
    f.preferred = -1;
    f.activate = -1;
}

void focusBeginFrame(FocusState& f, Input& in) {
    f.rects.clear();
    f.disabled.clear();
    f.layerStart = 0;
    f.preferred = -1;
    f.activate = -1;
    const bool moved = f.mouseKnown && (in.mouseX != f.mouseX || in.mouseY != f.mouseY);
    f.mouseKnown = true;
    f.mouseX = in.mouseX;
    f.mouseY = in.mouseY;
    if (moved || in.pressed || in.rightPressed) f.visible = false;

    std::vector<int>& keys = in.keys;
    if (!f.visible) {
        const bool wake = in.pad || std::any_of(keys.begin(), keys.end(), isNavigationKey);
        if (!wake) return;
        // The first key only shows where the focus is; it neither moves nor chooses.
        f.visible = true;
        in.toFocus = true;
        keys.erase(std::remove_if(keys.begin(), keys.end(), isNavigationKey), keys.end());
        return;
    }
    if (f.index < 0 || !std::any_of(keys.begin(), keys.end(), isActivateKey)) return;
    f.activate = f.index;
    in.toFocus = true;
    keys.erase(std::remove_if(keys.begin(), keys.end(), isActivateKey), keys.end());
}

void focusEndFrame(FocusState& f, const Input& in, bool rtl) {
    const int n = static_cast<int>(f.rects.size());
    const int lo = std::clamp(f.layerStart, 0, n);
    if (lo > 0 && f.index < lo) {
        // A dialog opened: the focus goes into it and comes back when it closes.
        if (f.beneath < 0) f.beneath = f.index;
        f.index = -1;
    } else if (lo == 0 && f.beneath >= 0) {
        f.index = f.beneath;
        f.beneath = -1;
    }
    // The layer's elements the focus may rest on, in registration order.
    std::vector<int> open;
    for (int i = lo; i < n; ++i)
        if (!f.disabled[static_cast<size_t>(i)]) open.push_back(i);
    if (open.empty()) return;
    if (f.index < 0 || f.index >= n) {
        if (f.index >= n && f.index >= 0 && lo == 0) {
            f.index = n - 1;  // fewer elements than before: the last one
        } else {
            f.index = f.preferred >= lo && f.preferred < n ? f.preferred : open.front();
        }
    }
    if (f.disabled[static_cast<size_t>(f.index)])
        f.index = nearestTo(f.rects, open, f.rects[static_cast<size_t>(f.index)]);
    if (!f.visible) return;

    std::vector<Rect> reachable;
    for (int i : open)
        reachable.push_back(f.rects[static_cast<size_t>(i)]);
    const int count = static_cast<int>(open.size());
    for (int k : in.keys) {
        const int here =
            static_cast<int>(std::find(open.begin(), open.end(), f.index) - open.begin());
        int next = -1;
        switch (k) {
            case SDLK_TAB:
                next = (here + (in.shift ? count - 1 : 1)) % count;
                break;
            case SDLK_LEFT:
                next = focusNeighbour(reachable, here, FocusDir::Left, rtl);
                break;
            case SDLK_RIGHT:
                next = focusNeighbour(reachable, here, FocusDir::Right, rtl);
                break;
            case SDLK_UP:
                next = focusNeighbour(reachable, here, FocusDir::Up, rtl);
                break;
            case SDLK_DOWN:
                next = focusNeighbour(reachable, here, FocusDir::Down, rtl);
                break;
            default:
                break;
        }
        if (next >= 0) f.index = open[static_cast<size_t>(next)];
    }
}

void drawFocusRing(cairo_t* cr, const Rect& r, double radius) {
    const Rect ring = r.inset(-kRingOut);
    const double rad = radius > 0 ? radius + kRingOut : kRingOut;
    // The halo first, so the coral line reads on dark sea and pale sand alike.
    strokeRoundedRect(cr, ring, rad, kHaloWidth, 0xFFFFFF, 0.6);
    strokeRoundedRect(cr, ring, rad, 3.5, theme::kAccent, 1);
}

bool scrollToFocus(const Ctx& c, int first, int last, const Rect& viewport, double contentH,
                   double* offset) {
    if (!c.focus || !offset || !c.focusShown()) return false;
    const FocusState& f = *c.focus;
    if (f.index < first || f.index >= last || f.index >= static_cast<int>(f.rects.size()))
        return false;
    const Rect& r = f.rects[static_cast<size_t>(f.index)];
    const double margin = 6;
    double off = *offset;
    if (r.y - margin < viewport.y)
        off -= viewport.y - (r.y - margin);
    else if (r.bottom() + margin > viewport.bottom())
        off += r.bottom() + margin - viewport.bottom();
    off = std::clamp(off, 0.0, std::max(0.0, contentH - viewport.h));
    if (off == *offset) return false;
    *offset = off;
    return true;
}

// ---- The context's focus calls ----

FocusHit Ctx::focusable(const Rect& r, bool preferred) {
    FocusHit hit;
    if (!focus) return hit;
    const int i = static_cast<int>(focus->rects.size());
    focus->rects.push_back(r);
    focus->disabled.push_back(false);
    if (preferred && focus->preferred < focus->layerStart) focus->preferred = i;
    hit.focused = i == focus->index;
    hit.ring = hit.focused && focus->visible;
    hit.activated = i == focus->activate;
    return hit;
}

FocusHit Ctx::unfocusable(const Rect& r) {
    if (focus) {
        focus->rects.push_back(r);
        focus->disabled.push_back(true);
    }
    return FocusHit{};
}

int Ctx::focusCount() const {
    return focus ? static_cast<int>(focus->rects.size()) : 0;
}

int Ctx::focusIndex() const {
    return focus ? focus->index : -1;
}

bool Ctx::focusShown() const {
    return focus && focus->visible && focus->index >= 0;
}

void Ctx::setFocus(int index) {
    if (!focus) return;
    focus->index = index;
    focus->visible = true;
}

void Ctx::focusLayer() {
    if (focus) focus->layerStart = static_cast<int>(focus->rects.size());
}

bool Ctx::claimKey(int k) {
    auto it = std::find(in.keys.begin(), in.keys.end(), k);
    if (it == in.keys.end()) return false;
    in.keys.erase(it);
    return true;
}

}  // namespace ui
