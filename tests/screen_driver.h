// Drives whole screens offscreen: opens one above the menu, runs frames with a fixed clock and
// scripted clicks or keys, and reads pixels back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "harness.h"
#include "ui/app.h"

namespace testsupport {

class ScreenDriver {
  public:
    // A window of w x h; the texture cache serves one canvas at a time, so the old one goes first.
    void resize(int w, int h) {
        if (canvas_ && w == w_ && h == h_) return;
        canvas_.reset();
        harness::Options o;
        o.w = w;
        o.h = h;
        canvas_ = std::make_unique<harness::Canvas>(o);
        ASSERT_TRUE(canvas_->ok());
        w_ = w;
        h_ = h;
    }

    // The menu alone on the stack, then kind pushed above it and shown for a couple of frames.
    void open(ui::ScreenKind kind, int w, int h) {
        resize(w, h);
        ui::GameState menu;
        menu.kind = ui::ScreenKind::Menu;
        ui::Game::instance()->resetTo(menu);
        frame();
        ui::GameState s;
        s.kind = kind;
        ui::Game::instance()->push(s);
        frame();
        frame();
        frame();
    }

    // A frame with a click at (x, y) unless x is negative, and an optional key.
    void frame(double x = -1, double y = -1, int key = 0) {
        t_ += 0.05;
        canvas_->frame(t_, [&](ui::Ctx& c) {
            c.in.mouseX = x;
            c.in.mouseY = y;
            c.in.pressed = x >= 0;
            if (key) c.in.keys.push_back(key);
            ui::Game::instance()->update(c);
        });
    }
    // The wheel turned with the pointer at (x, y); negative amounts scroll down.
    void wheel(double x, double y, double amount) {
        t_ += 0.05;
        canvas_->frame(t_, [&](ui::Ctx& c) {
            c.in.mouseX = x;
            c.in.mouseY = y;
            c.in.wheel = amount;
            ui::Game::instance()->update(c);
        });
    }
    // A click, then one more frame so that a navigation it filed is shown.
    void click(double x, double y) {
        frame(x, y);
        frame();
    }
    void click(const ui::Rect& r) { click(r.cx(), r.cy()); }

    harness::Image snapshot() const { return canvas_->snapshot(); }
    int w() const { return w_; }
    int h() const { return h_; }

  private:
    std::unique_ptr<harness::Canvas> canvas_;
    int w_ = 0, h_ = 0;
    double t_ = 10;
};

// Whether a pixel shows rgb, within tol on every channel.
inline bool near(uint32_t px, uint32_t rgb, int tol) {
    return std::abs(harness::redOf(px) - static_cast<int>((rgb >> 16) & 0xFF)) <= tol &&
           std::abs(harness::greenOf(px) - static_cast<int>((rgb >> 8) & 0xFF)) <= tol &&
           std::abs(harness::blueOf(px) - static_cast<int>(rgb & 0xFF)) <= tol;
}

// How many pixels of the rectangle show rgb within tol.
inline int countNear(const harness::Image& img, const ui::Rect& r, uint32_t rgb, int tol) {
    int n = 0;
    for (int y = static_cast<int>(r.y); y < static_cast<int>(r.bottom()); ++y)
        for (int x = static_cast<int>(r.x); x < static_cast<int>(r.right()); ++x)
            if (near(img.at(x, y), rgb, tol)) ++n;
    return n;
}

// Chip i of the bar of the 105-level catalogue in a window w wide: centred where all eleven
// fit, otherwise from the left margin (the bar not scrolled).
inline ui::Rect chipAt(double w, int i) {
    const double barW = 11 * 84 + 10 * 8;
    const double x0 = barW <= w - 32 ? 16 + (w - 32 - barW) / 2 : 16;
    return {x0 + 92 * i, 58, 84, 34};
}

inline const ui::GameState& topRecord() {
    return ui::Game::instance()->top();
}

}  // namespace testsupport
