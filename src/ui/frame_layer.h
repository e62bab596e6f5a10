// The full-window cairo layer laid over the composed textures: cleared, uploaded and blended
// only where something was drawn this frame or the last.
#pragma once

#include <SDL.h>
#include <cairo.h>

#include <vector>

namespace ui {

struct FrameLayer {
    cairo_surface_t* surface = nullptr;
    SDL_Texture* texture = nullptr;
    int w = 0, h = 0;
    // Per horizontal band of the layer, the columns holding ink in the last composed frame.
    std::vector<SDL_Rect> ink;
    // And a hash of those pixels, so that a band drawn the same again is neither uploaded nor
    // recomposed.
    std::vector<uint64_t> inkHash;
};

// Makes the layer wPx x hPx device pixels; a new size starts from a blank layer.
void frameLayerEnsure(FrameLayer& layer, int wPx, int hPx);
// Clears what the last frame drew and returns a context on the layer for this one.
cairo_t* frameLayerBegin(FrameLayer& layer);
// After drawing: uploads what changed and lays the drawn bands over the frame's copies.
void frameLayerCompose(FrameLayer& layer);
void frameLayerRelease(FrameLayer& layer);

}  // namespace ui
