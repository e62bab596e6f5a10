// Drives the screen stack on one offscreen canvas with a fixed clock and scripted input.
#pragma once

#include <functional>

#include "harness.h"
#include "ui/app.h"

namespace testsupport {

class ScreenLoop {
  public:
    using Script = std::function<void(ui::Input&)>;

    ScreenLoop(int w, int h) : canvas_(options(w, h)) {}

    bool ok() const { return canvas_.ok(); }
    double t() const { return t_; }

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

    // One frame `step` seconds after the previous one; returns whether it asked to quit.
    bool frame(const Script& script = nullptr, double step = 0.05) {
        t_ += step;
        bool quit = false;
        canvas_.frame(t_, [&](ui::Ctx& c) {
            c.in.mouseX = c.in.mouseY = -1;
            if (script) script(c.in);
            ui::Game::instance()->update(c);
            quit = c.quitRequested;
        });
        return quit;
    }
    bool click(const ui::Rect& r) {
        return frame([&](ui::Input& in) {
            in.mouseX = r.cx();
            in.mouseY = r.cy();
            in.pressed = in.mouseDown = true;
        });
    }
    // Frames without input until `seconds` have passed.
    void idle(double seconds, double step = 0.05) {
        for (double s = 0; s < seconds - 1e-9; s += step)
            frame(nullptr, step);
    }
    // Runs fn with the frame's cairo context, without a screen update.
    void measure(const std::function<void(ui::Ctx&)>& fn) { canvas_.frame(t_, fn); }

    harness::Image shot() const { return canvas_.snapshot(); }

  private:
    static harness::Options options(int w, int h) {
        harness::Options o;
        o.w = w;
        o.h = h;
        return o;
    }
    harness::Canvas canvas_;
    double t_ = 100;
};

inline ui::ScreenKind topKind() {
    return ui::Game::instance()->top().kind;
}

}  // namespace testsupport
