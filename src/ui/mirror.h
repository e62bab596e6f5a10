// Reading direction: in right-to-left languages the interface is read from the right, so texts
// that start at the left edge start at the right one, numbers and switches beside them move to
// the left, and arrows that mean "back" point the other way. Boards, pictures and centred texts
// stay as they are.
#pragma once

#include "ui/app.h"
#include "ui/draw.h"

namespace ui {

// Whether the active language is written right to left.
bool rightToLeft();

// Mirrors horizontal placement inside a span [left, right] when the reading direction asks
// for it; without mirroring every call returns its argument.
class Mirror {
  public:
    Mirror(double left, double right) : Mirror(left, right, rightToLeft()) {}
    explicit Mirror(const Rect& span) : Mirror(span.x, span.right()) {}
    Mirror(double left, double right, bool on) : left_(left), right_(right), on_(on) {}

    bool on() const { return on_; }
    double x(double x) const { return on_ ? left_ + right_ - x : x; }
    Rect rect(const Rect& r) const {
        return on_ ? Rect{left_ + right_ - r.right(), r.y, r.w, r.h} : r;
    }
    // A text placed at x with this style: its anchor and alignment swap sides.
    TextStyle text(TextStyle st) const {
        if (on_ && st.align == Align::Left)
            st.align = Align::Right;
        else if (on_ && st.align == Align::Right)
            st.align = Align::Left;
        return st;
    }
    // +1 for the reading direction's "forward", -1 against it; multiplies horizontal offsets.
    double sign() const { return on_ ? -1 : 1; }

  private:
    double left_, right_;
    bool on_;
};

}  // namespace ui
