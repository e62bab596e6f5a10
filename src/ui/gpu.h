// GPU texture cache: cairo artwork painted once per key and size, composed by the SDL renderer.
#pragma once

#include <SDL.h>
#include <cairo.h>

#include <cstdint>
#include <string>

namespace ui {

// ---- Life cycle and frame ----

// Empties the cache, remembers the renderer and finds out how it blends premultiplied pixels.
void gpuInit(SDL_Renderer* ren);
// Destroys every cached texture and forgets the renderer; call before destroying the renderer.
void gpuShutdown();
SDL_Renderer* gpuRenderer();
void gpuBeginFrame();
int gpuDrawCalls();
// Device pixels per logical pixel; anything not above 0 means 1.
void gpuSetScale(double scale);
double gpuScale();

// The blend mode given to every texture: premultiplied where the renderer composes the custom
// mode, otherwise SDL_BLENDMODE_BLEND, in which case pixels are uploaded as straight alpha.
SDL_BlendMode gpuBlendMode();
bool gpuStraightAlpha();

// ---- The cache ----

// The texture for key at wPx x hPx device pixels; paint draws it in logical units the first
// time. Null without a renderer or on failure. The pointer is valid until the next call that
// can add a texture, so fetch and blit in one go.
SDL_Texture* gpuTexture(const std::string& key, int wPx, int hPx, void (*paint)(cairo_t*, void*),
                        void* arg);
// The same cache for a texture drawn by the renderer itself (draw runs with it as target).
SDL_Texture* gpuRenderTarget(const std::string& key, int wPx, int hPx, void (*draw)(void*),
                             void* arg, bool redraw);
int gpuCacheSize();
// Whether key is cached, and at which size (either pointer may be null).
bool gpuCached(const std::string& key, int* wPx, int* hPx);
// Textures the cache has created and not yet destroyed (equals gpuCacheSize when all is well).
int gpuLiveTextures();

// ---- Blits (logical coordinates, alpha 0 to 1; a null texture draws nothing) ----

void gpuBlit(SDL_Texture* tex, double x, double y, double w, double h, double alpha);
void gpuBlitSrc(SDL_Texture* tex, int sx, int sy, int sw, int sh, double x, double y, double w,
                double h, double alpha);
void gpuBlitTinted(SDL_Texture* tex, double x, double y, double w, double h, uint32_t rgb,
                   double alpha);
void gpuBlitTintedRot(SDL_Texture* tex, double cx, double cy, double w, double h, double angleDeg,
                      uint32_t rgb, double alpha);
void gpuBlitRotated(SDL_Texture* tex, double cx, double cy, double w, double h, double angleDeg,
                    double alpha);
void gpuBlitMirrored(SDL_Texture* tex, double cx, double cy, double w, double h, double angleDeg,
                     bool flipH, double alpha);
void gpuBlitPivot(SDL_Texture* tex, double x, double y, double w, double h, double pivotX,
                  double pivotY, double angleDeg, bool flipH, double alpha);

// ---- The full-window frame layer ----

// A streaming ARGB8888 texture for the cairo frame layer, with the cache's blend mode.
SDL_Texture* gpuCreateFrameTexture(int wPx, int hPx);
// Uploads the flushed frame surface into that texture, all of it or only the area given (device
// pixels, inside both). Where the texture blends as straight alpha, the pixels with partial alpha
// are converted on the way; all others are copied as they are.
void gpuUploadFrame(SDL_Texture* tex, cairo_surface_t* surface, const SDL_Rect* area = nullptr);

// Turns premultiplied ARGB32 pixels into straight alpha in place (only partial alpha changes).
void unpremultiplyRow(uint32_t* px, int count);

// ---- Profiler (active only when VANTREL_STATS is set) ----

void profBegin(const char* name);
void profEnd(const char* name);
// " name mean-ms" per section with calls since the last report; empty when there are none.
std::string profReport();

}  // namespace ui
