// GPU texture cache: cairo artwork painted once per key and size, composed by the SDL renderer.
#pragma once

#include <SDL.h>
#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace ui {

// ---- Life cycle and frame ----

enum class RendererChoice {
    Any,          // accelerated where the system has it, otherwise software
    Software,     // SDL's software renderer only
    Accelerated,  // an accelerated renderer only
};

// The window's renderer, set up the way the game runs on it: linear scaling, and the software
// renderer drawing straight into the window's framebuffer rather than through a second renderer
// of SDL's own. Null when none of the kinds asked for can be created.
SDL_Renderer* gpuCreateRenderer(SDL_Window* win, RendererChoice choice, bool vsync);

// Empties the cache, remembers the renderer and finds out how it blends premultiplied pixels.
void gpuInit(SDL_Renderer* ren);
// Destroys every cached texture and forgets the renderer; call before destroying the renderer.
void gpuShutdown();
SDL_Renderer* gpuRenderer();
// Stamps the frame, and now and then drops textures of an earlier window size left unused.
void gpuBeginFrame();
// The window's size in device pixels, told every frame: textures painted for another size are
// the first to go when room is needed.
void gpuSetWindowSize(int wPx, int hPx);
// Copies asked for since the frame began (copies of the frame layer not counted).
int gpuDrawCalls();

// A retained frame: between these two calls copies are recorded, and at the end the picture is
// recomposed only where it differs from the last retained frame, into a window-sized texture
// that is then copied onto the window. Where the renderer cannot draw into textures, the window
// is cleared with fillRgb and every copy made at once.
void gpuBeginScene(uint32_t fillRgb);
// Whether the window's picture needs presenting: false when the frame repeated the retained one
// exactly and nothing was drawn onto the window (then presenting would show the same picture).
bool gpuEndScene();
// The next retained frame is recomposed everywhere.
void gpuInvalidateScene();
// The renderer lost what its render targets held: they are drawn again on next use.
void gpuTargetsLost();
// Device pixels per logical pixel; anything not above 0 means 1.
void gpuSetScale(double scale);
double gpuScale();

// The blend mode given to every texture: premultiplied where the renderer composes the custom
// mode, otherwise SDL_BLENDMODE_BLEND, in which case pixels are uploaded as straight alpha.
SDL_BlendMode gpuBlendMode();
bool gpuStraightAlpha();

// ---- The cache ----

// The bound on the pixel bytes of all cached textures: every screen at 3840 x 2160 needs at most
// two full-window textures (about 66 MB) and a few small ones; the rest is headroom.
constexpr size_t kGpuCacheBudget = 96u << 20;

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
// The pixel bytes (4 a pixel) of all cached textures; never above the budget once room is made.
size_t gpuCacheBytes();
// Sets the byte budget (kGpuCacheBudget unless changed) and returns the one before.
size_t gpuSetCacheBudget(size_t bytes);

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

// Copies the area of the frame layer's texture onto the same pixels of the window; content
// identifies what the area holds, so that an unchanged area is not recomposed.
void gpuCopyLayer(SDL_Texture* tex, const SDL_Rect& area, uint64_t content);

// Turns premultiplied ARGB32 pixels into straight alpha in place (only partial alpha changes).
void unpremultiplyRow(uint32_t* px, int count);

}  // namespace ui
