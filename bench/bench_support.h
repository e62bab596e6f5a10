// Clocks, sample statistics and frame timing shared by the benchmarks, so that every one of them
// measures and rounds its figures the same way.
#pragma once

#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/state.h"
#include "core/storage.h"
#include "harness.h"
#include "screens/playing.h"
#include "ui/app.h"

namespace benchsupport {

using Clock = std::chrono::steady_clock;

inline double microsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
}

inline double millisSince(Clock::time_point t0) {
    return microsSince(t0) / 1000;
}

inline double wallSeconds() {
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

// Process CPU time, so that renderer threads (llvmpipe) are counted too.
inline double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// The process's peak resident memory so far.
inline double peakResidentMb() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss / 1024.0;
}

inline double cpuMs() {
    return cpuSeconds() * 1000.0;
}

// Points the data directory at a new empty one under /tmp, so that a benchmark never reads or
// changes the player's own files, and keeps the sound silent unless asked otherwise. Returns
// the directory, or an empty string when none could be made.
inline std::string useFreshDataDir(const char* name) {
    std::string dir = std::string("/tmp/") + name + "_XXXXXX";
    if (!mkdtemp(dir.data())) {
        std::perror("mkdtemp");
        return "";
    }
    setenv("XDG_DATA_HOME", dir.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    store::ensureDataDirs();
    return dir;
}

struct Figures {
    double mean = 0, median = 0, p95 = 0, p99 = 0, max = 0;
};

// An empty sample gives all zeros rather than reading past the end.
inline Figures summarise(std::vector<double> v) {
    Figures f;
    if (v.empty()) return f;
    std::sort(v.begin(), v.end());
    for (double x : v)
        f.mean += x;
    f.mean /= v.size();
    const auto at = [&](size_t percent) {
        return v[std::min(v.size() - 1, v.size() * percent / 100)];
    };
    f.median = v[v.size() / 2];
    f.p95 = at(95);
    f.p99 = at(99);
    f.max = v.back();
    return f;
}

// The column heads of a mean / median / p95 / max table whose first column is `width` wide.
inline void printHeading(int width) {
    std::printf("%-*s %9s %9s %9s %9s   (microseconds)\n", width, "", "mean", "median", "p95",
                "max");
}

inline void printRow(int width, const char* what, const Figures& f) {
    std::printf("%-*s %9.1f %9.1f %9.1f %9.1f\n", width, what, f.mean, f.median, f.p95, f.max);
}

// The CPU milliseconds of each of `frames` presented frames 1/60 s apart, the clock t advanced.
inline std::vector<double> frameCpuMs(harness::Canvas& canvas, double& t, int frames,
                                      const std::function<void(ui::Ctx&)>& body) {
    std::vector<double> v;
    v.reserve(frames);
    for (int f = 0; f < frames; ++f) {
        t += 1.0 / 60;
        const double c0 = cpuMs();
        canvas.frame(t, body);
        canvas.present();
        v.push_back(cpuMs() - c0);
    }
    return v;
}

struct FrameCost {
    double wallMs = 0, cpuMs = 0;
};

// The average wall and CPU cost of one of `frames` presented frames 1/60 s apart; body gets the
// frame's time as well, for drawings that move with it.
inline FrameCost averageFrameCost(harness::Canvas& canvas, double& t, int frames,
                                  const std::function<void(ui::Ctx&, double)>& body) {
    const double w0 = wallSeconds(), c0 = cpuSeconds();
    for (int f = 0; f < frames; ++f) {
        t += 1.0 / 60;
        const double now = t;
        canvas.frame(now, [&](ui::Ctx& c) {
            if (body) body(c, now);
        });
        canvas.present();
    }
    return FrameCost{(wallSeconds() - w0) * 1000 / frames, (cpuSeconds() - c0) * 1000 / frames};
}

// Taps through a stored solution as a brisk player would, one tap every 0.35 s, so that
// pick-ups, flights, landings and liquid overlap as in real play.
class SolutionTaps {
  public:
    SolutionTaps(const screens::BoardLayout& layout, std::vector<mar::Move> solution, double t)
        : layout_(layout), solution_(std::move(solution)), nextTap_(t + 0.35) {}
    bool done() const { return next_ >= solution_.size(); }
    // Whether a tap falls due in the frame at time t, and where.
    bool tapAt(double t, double* x, double* y) {
        if (done() || t < nextTap_) return false;
        const int tube = pickUp_ ? solution_[next_].from : solution_[next_].to;
        *x = layout_.tubes[tube].r.cx();
        *y = layout_.tubes[tube].r.cy();
        nextTap_ = t + (pickUp_ ? 0.1 : 0.6);
        if (!pickUp_) ++next_;
        pickUp_ = !pickUp_;
        return true;
    }
    // One frame of the game at time t, with the tap that falls due in it; its CPU milliseconds.
    double playFrame(harness::Canvas& canvas, double t) {
        double x = 0, y = 0;
        const bool tap = tapAt(t, &x, &y);
        const double c0 = cpuMs();
        canvas.frame(t, [&](ui::Ctx& c) {
            c.in.pressed = tap;
            c.in.mouseX = x;
            c.in.mouseY = y;
            ui::Game::instance()->update(c);
        });
        canvas.present();
        return cpuMs() - c0;
    }

  private:
    const screens::BoardLayout& layout_;
    std::vector<mar::Move> solution_;
    size_t next_ = 0;
    bool pickUp_ = true;
    double nextTap_;
};

// A fresh board of the level (seed 1, no saved game) asked of the real screen stack; it is
// built on the next frame.
inline void openFreshBoard(int level) {
    store::clearGame();
    ui::GameState rec;
    rec.kind = ui::ScreenKind::Playing;
    rec.level = level;
    rec.seed = 1;
    ui::Game::instance()->resetTo(rec);
}

}  // namespace benchsupport
