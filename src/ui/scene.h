// The copies that make up one frame, and where two frames' pictures may differ: a frame that
// repeats most of the last one is recomposed only there.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

namespace ui::scene {

// One copy of a texture onto the window, with everything that decides its pixels.
struct Command {
    SDL_Texture* tex = nullptr;
    // What the texture holds: a version that changes whenever its pixels do, or for the frame
    // layer a hash of the pixels copied.
    uint64_t content = 0;
    SDL_Rect src{0, 0, 0, 0};
    bool wholeSrc = true;
    SDL_Rect dst{0, 0, 0, 0};
    bool turned = false;  // drawn with SDL_RenderCopyEx
    double angle = 0;
    SDL_Point pivot{0, 0};
    bool hasPivot = false;
    bool flipH = false;
    Uint8 r = 255, g = 255, b = 255, a = 255;
    SDL_BlendMode blend = SDL_BLENDMODE_BLEND;
    // The device pixels the copy can touch (derived from the fields above).
    SDL_Rect bounds{0, 0, 0, 0};
};

// Fills in cmd.bounds: the destination, or for a turned copy the box around it turned, with a
// pixel to spare for rounding.
void computeBounds(Command& cmd);

bool same(const Command& a, const Command& b);

// The areas of a w x h window whose pixels may differ between a frame drawn by `last` and one
// drawn by `now`: wherever a copy of either list has no counterpart, in the same order, in the
// other. Overlapping and nearby areas are merged; many areas, or most of the window, become the
// whole window. Empty when the two frames are the same picture.
std::vector<SDL_Rect> changedAreas(const std::vector<Command>& last,
                                   const std::vector<Command>& now, int w, int h);

}  // namespace ui::scene
