// Drives whole screens through the real game loop on one offscreen canvas: opens them, runs
// frames with a fixed clock and scripted clicks, keys or other input, and reads pixels back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>

#include "harness.h"
#include "ui/app.h"

namespace testsupport {

class ScreenDriver {
  public:
    using Script = std::function<void(ui::Input&)>;

    // Without a size the canvas comes with the first resize or open(kind, w, h).
    ScreenDriver() = default;
    ScreenDriver(int w, int h) { resize(w, h); }

    bool ok() const { return canvas_ && canvas_->ok(); }
    double t() const { return t_; }
    int w() const { return w_; }
    int h() const { return h_; }

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

    // The same in the present window.
    void open(ui::ScreenKind kind) { open(kind, w_, h_); }

    // Makes s the only record; its screen is built fresh by the next frame. The screen left over
    // from before may file a request of its own in the frame that carries ours out, so repeat.
    void open(const ui::GameState& s) {
        for (int i = 0; i < 3; ++i) {
            ui::Game::instance()->resetTo(s);
            frame();
            const ui::GameState& top = ui::Game::instance()->top();
            if (ui::Game::instance()->depth() == 1 && top.kind == s.kind && top.runId == s.runId)
                return;
        }
    }

    // One frame `step` seconds after the previous one, the pointer away unless the script puts
    // it somewhere; returns whether it asked to quit.
    bool frame(const Script& script = nullptr, double step = 0.05) {
        t_ += step;
        bool quit = false;
        canvas_->frame(t_, [&](ui::Ctx& c) {
            c.in.mouseX = c.in.mouseY = -1;
            if (script) script(c.in);
            ui::Game::instance()->update(c);
            quit = c.quitRequested;
        });
        return quit;
    }
    // A frame with the key pressed, then one more so that a navigation it filed is shown;
    // returns whether either frame asked to quit.
    bool key(int k) {
        const bool quit = frame([&](ui::Input& in) { in.keys.push_back(k); });
        return frame() || quit;
    }
    // The wheel turned with the pointer at (x, y); negative amounts scroll down.
    void wheel(double x, double y, double amount) {
        frame([&](ui::Input& in) {
            in.mouseX = x;
            in.mouseY = y;
            in.wheel = amount;
        });
    }
    // A click at (x, y), then one more frame so that a navigation it filed is shown; returns
    // whether either frame asked to quit.
    bool click(double x, double y) {
        const bool quit = frame([&](ui::Input& in) {
            in.mouseX = x;
            in.mouseY = y;
            in.pressed = in.mouseDown = true;
        });
        return frame() || quit;
    }
    bool click(const ui::Rect& r) { return click(r.cx(), r.cy()); }
    // Frames without input until `seconds` have passed.
    void idle(double seconds, double step = 0.05) {
        for (double s = 0; s < seconds - 1e-9; s += step)
            frame(nullptr, step);
    }
    // Runs fn with the frame's cairo context, without a screen update.
    void measure(const std::function<void(ui::Ctx&)>& fn) { canvas_->frame(t_, fn); }

    harness::Image snapshot() const { return canvas_->snapshot(); }

  private:
    std::unique_ptr<harness::Canvas> canvas_;
    int w_ = 0, h_ = 0;
    double t_ = 100;
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

inline ui::ScreenKind topKind() {
    return ui::Game::instance()->top().kind;
}

}  // namespace testsupport
