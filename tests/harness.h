// Picture harness: an offscreen window that runs painters or whole frames and reads them back.
#pragma once

#include <SDL.h>
#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/state.h"
#include "ui/app.h"
#include "ui/frame_layer.h"

namespace harness {

enum class RendererKind { Software, Accelerated };

struct Options {
    int w = 640, h = 480;  // logical size; the window has w * scale x h * scale pixels
    double scale = 1.0;    // display scale handed to the texture cache and the cairo layer
    RendererKind renderer = RendererKind::Accelerated;
    bool vsync = false;
};

// A read-back frame, ARGB8888 pixels row by row.
struct Image {
    int w = 0, h = 0;
    std::vector<uint32_t> px;

    uint32_t at(int x, int y) const;
    bool writePng(const std::string& path) const;
    // Side by side, top-aligned, with a gap of background between.
    static Image besideEachOther(const Image& a, const Image& b, int gap, uint32_t background);
};

inline int alphaOf(uint32_t p) {
    return static_cast<int>(p >> 24);
}
inline int redOf(uint32_t p) {
    return static_cast<int>((p >> 16) & 0xFF);
}
inline int greenOf(uint32_t p) {
    return static_cast<int>((p >> 8) & 0xFF);
}
inline int blueOf(uint32_t p) {
    return static_cast<int>(p & 0xFF);
}
// Sum of the three colour channels: a simple brightness to compare pictures by.
inline int brightness(uint32_t p) {
    return redOf(p) + greenOf(p) + blueOf(p);
}

// One offscreen window with its renderer, the texture cache bound to it, and the full-window
// cairo layer that the game loop lays over the textures. The texture cache is global, so only
// one canvas may be open at a time.
class Canvas {
  public:
    explicit Canvas(const Options& opt);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool ok() const { return ren_ != nullptr && layer_.texture != nullptr; }
    std::string rendererName() const;
    SDL_Renderer* renderer() const { return ren_; }
    int pxW() const { return pxW_; }
    int pxH() const { return pxH_; }
    double scale() const { return opt_.scale; }

    // One frame as the game loop runs it: begin the cache frame, clear the renderer to the
    // background, hand body a context on the cleared cairo layer (logical units, time t), then
    // upload the layer over whatever body blitted. Nothing is presented, so it can be read back.
    void frame(double t, const std::function<void(ui::Ctx&)>& body, uint32_t background = 0);
    void present();
    Image snapshot() const;

  private:
    Options opt_;
    SDL_Window* win_ = nullptr;
    SDL_Renderer* ren_ = nullptr;
    ui::FrameLayer layer_;  // composed exactly as the game composes it
    int pxW_ = 0, pxH_ = 0;
    double lastT_ = 0;
};

// ---- Positions ----

// The first level (from level 0 on) with a way of at most `depth` moves from its start into a
// position that still has legal moves but no solution, and that way; false when none is found
// among the first `levels` levels.
bool findTrap(int levels, int depth, int* level, std::vector<mar::Move>* moves);

}  // namespace harness
