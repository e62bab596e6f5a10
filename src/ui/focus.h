// Keyboard and controller focus: every focusable element registers its rectangle each frame in
// drawing order; Enter or Space activates the focused one at the start of a frame, and arrows
// (spatially) or Tab (in registration order) move the focus once the frame is drawn.
//
// The record outlives frames and belongs to the screen stack (ui::Game), which starts it afresh
// for every screen it builds. Screens and widgets reach it through ui::Ctx::focusable and the
// other focus calls of the context. The ring shows only after a navigation key or a controller
// button; moving the mouse hides it, and the next key brings it back where it was.
#pragma once

#include <cairo.h>

#include <vector>

#include "ui/app.h"

namespace ui {

enum class FocusDir { Left = 0, Right = 1, Up = 2, Down = 3 };

// The element a move in dir from rects[from] lands on, or -1 when none lies that way: the
// nearest one ahead, where a sideways offset costs more than the distance ahead. Of two equally
// near ones the one first in reading order wins (leftmost, or rightmost when rtl).
int focusNeighbour(const std::vector<Rect>& rects, int from, FocusDir dir, bool rtl);

struct FocusState {
    // Kept from frame to frame.
    int index = -1;  // the focused element's place in the registration order; -1: none yet
    bool visible = false;
    int beneath = -1;  // the focus under an open dialog, given back when it closes
    bool mouseKnown = false;
    double mouseX = 0, mouseY = 0;

    // This frame's registrations.
    std::vector<Rect> rects;
    std::vector<bool> disabled;  // one per rectangle: drawn disabled, never focused
    int layerStart = 0;          // elements before it lie under a modal layer and cannot be reached
    int preferred = -1;          // where the focus first lands; the layer's first element otherwise
    int activate = -1;           // the element activated this frame
};

// A fresh screen: no element focused yet; whether the ring shows carries over.
void focusReset(FocusState& f);
// Before the screen's frame: the mouse hides the ring, a navigation key shows it (and does
// nothing more), Enter or Space picks the element to activate. Keys used are taken out of in.
void focusBeginFrame(FocusState& f, Input& in);
// After the screen's frame: arrows and Tab left in in move the focus. When the focused element
// was drawn disabled, the focus moves to the nearest one that was not.
void focusEndFrame(FocusState& f, const Input& in, bool rtl);

// How far the ring reaches beyond the rectangle it is drawn around: r.inset(kFocusRingReach)
// keeps it wholly inside r, clear of neighbours close by and of a list's clipping.
constexpr double kFocusRingReach = 7;

// The ring around a focused widget: a light halo and a coral line along its outline.
void drawFocusRing(cairo_t* cr, const Rect& r, double radius);

// When the focused element is one of those registered as first to last - 1 and its ring shows,
// moves *offset as little as needed to bring it (its rectangle as drawn at *offset) wholly into
// the viewport; returns whether it moved.
bool scrollToFocus(const Ctx& c, int first, int last, const Rect& viewport, double contentH,
                   double* offset);

}  // namespace ui
