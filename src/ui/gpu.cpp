// GPU texture cache, blits, the frame layer upload and the named-section profiler.
#include "ui/gpu.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <tuple>
#include <unordered_set>
#include <utility>
#include <vector>

#include "ui/scene.h"

namespace ui {

namespace {

constexpr size_t kMaxEntries = 400;
// How long a texture of an earlier window size may stay unused before it is dropped, in frames,
// and how often the cache looks for such textures.
constexpr int64_t kStaleFrames = 90;
constexpr int64_t kSweepEvery = 30;

struct Entry {
    SDL_Texture* tex = nullptr;
    int w = 0, h = 0;
    int64_t lastUsed = 0;
    size_t bytes = 0;
    // The window size (as a generation) the texture was last painted or used for.
    int64_t sizeGen = 0;
    bool target = false;
};

// The retained frame: copies are recorded while a frame is composed and replayed, at its end,
// only where the picture changed, into a window-sized texture that keeps the rest.
struct Scene {
    bool recording = false;
    SDL_Texture* tex = nullptr;
    int w = 0, h = 0;
    bool valid = false;
    uint32_t fill = 0;
    std::vector<scene::Command> now, last;
    // Textures destroyed while recorded copies may still name them go at the frame's end.
    std::vector<SDL_Texture*> doomed;
    // Render targets being drawn into: copies there are made at once.
    int targetDepth = 0;
};

struct State {
    SDL_Renderer* ren = nullptr;
    double scale = 1.0;
    int drawCalls = 0;
    int64_t frame = 0;
    std::map<std::string, Entry> cache;
    SDL_BlendMode premultiplied = SDL_BLENDMODE_BLEND;
    int liveTextures = 0;
    size_t bytes = 0;
    size_t budget = kGpuCacheBudget;
    int windowW = 0, windowH = 0;
    int64_t sizeGen = 0;
    // Cached textures whose every pixel is opaque: blitted at full opacity they need no blending.
    std::unordered_set<SDL_Texture*> opaque;
    // A number per texture that changes whenever its pixels do.
    std::map<SDL_Texture*, uint64_t> versions;
    uint64_t nextVersion = 1;
    Scene scene;
};

State& state() {
    static State s;
    return s;
}

SDL_BlendMode composePremultiplied() {
    return SDL_ComposeCustomBlendMode(SDL_BLENDFACTOR_ONE, SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA,
                                      SDL_BLENDOPERATION_ADD, SDL_BLENDFACTOR_ONE,
                                      SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA, SDL_BLENDOPERATION_ADD);
}

constexpr const char* kNoPremultiplied =
    "[gpu] kein vormultipliziertes Mischen — nehme das normale\n";

// Gives a new texture the module's blend mode. A renderer that refuses the premultiplied mode
// here (its probe may not have been made) gets ordinary blending from now on, as if the probe
// had been refused; textures made before keep the mode they were given.
void setBlendMode(SDL_Texture* tex) {
    State& s = state();
    if (SDL_SetTextureBlendMode(tex, s.premultiplied) == 0) return;
    if (s.premultiplied != SDL_BLENDMODE_BLEND) std::fputs(kNoPremultiplied, stderr);
    s.premultiplied = SDL_BLENDMODE_BLEND;
    SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_BLEND);
}

// Whether the texture blends straight alpha and so needs its premultiplied pixels converted.
bool blendsStraight(SDL_Texture* tex) {
    SDL_BlendMode mode = SDL_BLENDMODE_NONE;
    return SDL_GetTextureBlendMode(tex, &mode) == 0 && mode == SDL_BLENDMODE_BLEND;
}

void touch(SDL_Texture* tex) {
    State& s = state();
    s.versions[tex] = s.nextVersion++;
}

uint64_t versionOf(SDL_Texture* tex) {
    const auto& v = state().versions;
    auto it = v.find(tex);
    return it == v.end() ? 0 : it->second;
}

void destroyTexture(SDL_Texture* tex) {
    if (!tex) return;
    State& s = state();
    s.opaque.erase(tex);
    s.versions.erase(tex);
    --s.liveTextures;
    if (s.scene.recording)
        s.scene.doomed.push_back(tex);
    else
        SDL_DestroyTexture(tex);
}

std::map<std::string, Entry>::iterator erase(std::map<std::string, Entry>::iterator it) {
    State& s = state();
    destroyTexture(it->second.tex);
    s.bytes -= it->second.bytes;
    return s.cache.erase(it);
}

void clearCache() {
    State& s = state();
    for (auto& kv : s.cache)
        destroyTexture(kv.second.tex);
    s.cache.clear();
    s.bytes = 0;
}

// Keys in eviction order: textures of an earlier window size first, then the least recently
// used, ties by key.
std::vector<std::string> evictionOrder() {
    State& s = state();
    std::vector<std::tuple<bool, int64_t, const std::string*>> order;
    order.reserve(s.cache.size());
    for (const auto& kv : s.cache)
        order.emplace_back(kv.second.sizeGen == s.sizeGen, kv.second.lastUsed, &kv.first);
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
        if (std::get<0>(a) != std::get<0>(b)) return !std::get<0>(a);
        if (std::get<1>(a) != std::get<1>(b)) return std::get<1>(a) < std::get<1>(b);
        return *std::get<2>(a) < *std::get<2>(b);
    });
    std::vector<std::string> keys;
    keys.reserve(order.size());
    for (const auto& o : order)
        keys.push_back(*std::get<2>(o));
    return keys;
}

// Makes room for a texture of `incoming` bytes: drops the stalest third once the cache has
// grown past its entry bound, then as many more as it takes to keep the bytes within budget.
void evictIfFull(size_t incoming) {
    State& s = state();
    const bool tooMany = s.cache.size() > kMaxEntries;
    if (!tooMany && s.bytes + incoming <= s.budget) return;
    const std::vector<std::string> order = evictionOrder();
    const size_t third = tooMany ? order.size() / 3 : 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i >= third && s.bytes + incoming <= s.budget) break;
        erase(s.cache.find(order[i]));
    }
}

// Textures painted for an earlier window size and left unused for a while are not coming back
// (every size has its own keys): they go without waiting for the budget to fill.
void sweepStale() {
    State& s = state();
    for (auto it = s.cache.begin(); it != s.cache.end();) {
        const Entry& e = it->second;
        if (e.sizeGen != s.sizeGen && s.frame - e.lastUsed > kStaleFrames)
            it = erase(it);
        else
            ++it;
    }
}

// Removes a cached key whose size no longer matches; returns the entry when it can be reused.
Entry* lookup(const std::string& key, int wPx, int hPx) {
    State& s = state();
    auto it = s.cache.find(key);
    if (it == s.cache.end()) return nullptr;
    if (it->second.w == wPx && it->second.h == hPx) {
        it->second.sizeGen = s.sizeGen;
        return &it->second;
    }
    erase(it);
    return nullptr;
}

size_t textureBytes(int wPx, int hPx) {
    return static_cast<size_t>(wPx) * static_cast<size_t>(hPx) * 4;
}

bool allOpaque(const unsigned char* data, int stride, int w, int h) {
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        uint32_t acc = 0xFF000000u;
        for (int x = 0; x < w; ++x)
            acc &= row[x];
        if ((acc >> 24) != 0xFF) return false;
    }
    return true;
}

// 255 * 65536 / a, rounded: turns a premultiplied channel into a straight one by one multiply.
const std::array<uint32_t, 256>& unpremultiplyTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t a = 1; a < 256; ++a)
            t[a] = (255u * 65536u + a / 2) / a;
        return t;
    }();
    return table;
}

inline uint32_t unpremultiplyPixel(uint32_t p, const std::array<uint32_t, 256>& table) {
    uint32_t a = p >> 24;
    uint32_t f = table[a];
    uint32_t r = std::min<uint32_t>(255, (((p >> 16) & 0xFF) * f + 0x8000) >> 16);
    uint32_t g = std::min<uint32_t>(255, (((p >> 8) & 0xFF) * f + 0x8000) >> 16);
    uint32_t b = std::min<uint32_t>(255, ((p & 0xFF) * f + 0x8000) >> 16);
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// Copies one row, converting only pixels that are neither transparent nor opaque; those two
// kinds make up nearly all of a frame and are the same in both representations.
void copyRowStraight(const uint32_t* src, uint32_t* dst, int count) {
    const auto& table = unpremultiplyTable();
    for (int i = 0; i < count; ++i) {
        uint32_t p = src[i];
        uint32_t a = p >> 24;
        dst[i] = (a - 1u < 254u) ? unpremultiplyPixel(p, table) : p;
    }
}

Uint8 alphaByte(double alpha) {
    double a = std::clamp(alpha, 0.0, 1.0);
    return static_cast<Uint8>(a * 255 + 0.5);
}

// Premultiplied textures fade by scaling colour and alpha alike; straight ones by alpha only.
void setModulation(scene::Command& cmd, uint32_t rgb, double alpha, bool tinted) {
    Uint8 m = alphaByte(alpha);
    double a = std::clamp(alpha, 0.0, 1.0);
    Uint8 r = 255, g = 255, b = 255;
    if (tinted) {
        r = static_cast<Uint8>((rgb >> 16) & 0xFF);
        g = static_cast<Uint8>((rgb >> 8) & 0xFF);
        b = static_cast<Uint8>(rgb & 0xFF);
    }
    if (!gpuStraightAlpha()) {
        if (tinted) {
            r = static_cast<Uint8>(r * a + 0.5);
            g = static_cast<Uint8>(g * a + 0.5);
            b = static_cast<Uint8>(b * a + 0.5);
        } else {
            r = g = b = m;
        }
    }
    cmd.r = r;
    cmd.g = g;
    cmd.b = b;
    cmd.a = m;
}

int px(double v) {
    return static_cast<int>(std::lround(v * state().scale));
}

SDL_Rect topLeftRect(double x, double y, double w, double h) {
    return SDL_Rect{px(x), px(y), px(w), px(h)};
}

SDL_Rect centredRect(double cx, double cy, double w, double h) {
    return SDL_Rect{px(cx - w / 2), px(cy - h / 2), px(w), px(h)};
}

bool ready(SDL_Texture* tex) {
    return tex && state().ren;
}

// An opaque texture drawn at full opacity and unrotated covers its rectangle whatever lies below:
// copying it is the same picture as blending it, at a fraction of the cost. Rotated copies keep
// blending for their transparent corners.
void chooseBlend(scene::Command& cmd, double alpha, bool rotated) {
    State& s = state();
    SDL_GetTextureBlendMode(cmd.tex, &cmd.blend);
    if (s.opaque.empty() || !s.opaque.count(cmd.tex)) return;
    const bool copyOnly = !rotated && alphaByte(alpha) == 255;
    cmd.blend = copyOnly ? SDL_BLENDMODE_NONE : s.premultiplied;
}

// Filtering only where a copy scales or turns its texture. A copy at the texture's own size lands
// on texel centres, where nearest and linear sampling give the same pixel, and a GL that
// rasterises on the processor pays for the linear filter on every pixel (at 1920 x 1080 the
// background alone cost it as much as the rest of the frame). SDL applies a texture's mode at
// once rather than in the order of queued copies, so those queued go out before it changes.
void chooseScale(SDL_Texture* tex, bool sameSize) {
    const SDL_ScaleMode want = sameSize ? SDL_ScaleModeNearest : SDL_ScaleModeLinear;
    SDL_ScaleMode now = want;
    if (SDL_GetTextureScaleMode(tex, &now) != 0 || now == want) return;
    SDL_RenderFlush(state().ren);
    SDL_SetTextureScaleMode(tex, want);
}

// Makes one copy on the renderer's present target.
void issue(const scene::Command& cmd) {
    SDL_Renderer* ren = state().ren;
    SDL_SetTextureColorMod(cmd.tex, cmd.r, cmd.g, cmd.b);
    SDL_SetTextureAlphaMod(cmd.tex, cmd.a);
    SDL_SetTextureBlendMode(cmd.tex, cmd.blend);
    const SDL_Rect* src = cmd.wholeSrc ? nullptr : &cmd.src;
    if (cmd.turned) {
        chooseScale(cmd.tex, false);
        SDL_RenderCopyEx(ren, cmd.tex, src, &cmd.dst, cmd.angle,
                         cmd.hasPivot ? &cmd.pivot : nullptr,
                         cmd.flipH ? SDL_FLIP_HORIZONTAL : SDL_FLIP_NONE);
        return;
    }
    int w = cmd.src.w, h = cmd.src.h;
    if (cmd.wholeSrc) SDL_QueryTexture(cmd.tex, nullptr, nullptr, &w, &h);
    chooseScale(cmd.tex, w == cmd.dst.w && h == cmd.dst.h);
    SDL_RenderCopy(ren, cmd.tex, src, &cmd.dst);
}

// Made at once, or recorded while a retained frame is composed.
void submit(scene::Command& cmd) {
    State& s = state();
    if (!s.scene.recording || s.scene.targetDepth > 0) {
        issue(cmd);
        return;
    }
    scene::computeBounds(cmd);
    s.scene.now.push_back(cmd);
}

scene::Command commandFor(SDL_Texture* tex, const SDL_Rect& dst) {
    scene::Command cmd;
    cmd.tex = tex;
    cmd.content = versionOf(tex);
    cmd.dst = dst;
    return cmd;
}

void copy(SDL_Texture* tex, const SDL_Rect* src, const SDL_Rect& dst, uint32_t rgb, double alpha,
          bool tinted) {
    scene::Command cmd = commandFor(tex, dst);
    if (src) {
        cmd.src = *src;
        cmd.wholeSrc = false;
    }
    setModulation(cmd, rgb, alpha, tinted);
    chooseBlend(cmd, alpha, false);
    ++state().drawCalls;
    submit(cmd);
}

void copyEx(SDL_Texture* tex, const SDL_Rect& dst, double angleDeg, const SDL_Point* centre,
            bool flipH, uint32_t rgb, double alpha, bool tinted) {
    scene::Command cmd = commandFor(tex, dst);
    cmd.turned = true;
    cmd.angle = angleDeg;
    if (centre) {
        cmd.pivot = *centre;
        cmd.hasPivot = true;
    }
    cmd.flipH = flipH;
    setModulation(cmd, rgb, alpha, tinted);
    chooseBlend(cmd, alpha, true);
    ++state().drawCalls;
    submit(cmd);
}

// A render target holds premultiplied colour however it was blended into; straight-alpha
// renderers need it converted before it is composed again.
void straightenTarget(SDL_Texture* tex, int w, int h) {
    State& s = state();
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
    if (SDL_RenderReadPixels(s.ren, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), w * 4) != 0)
        return;
    unpremultiplyRow(pixels.data(), w * h);
    SDL_UpdateTexture(tex, nullptr, pixels.data(), w * 4);
}

void drawTarget(SDL_Texture* tex, int w, int h, void (*draw)(void*), void* arg) {
    State& s = state();
    SDL_Texture* previous = SDL_GetRenderTarget(s.ren);
    if (SDL_SetRenderTarget(s.ren, tex) != 0) return;
    touch(tex);
    SDL_SetRenderDrawColor(s.ren, 0, 0, 0, 0);
    SDL_RenderClear(s.ren);
    ++s.scene.targetDepth;
    if (draw) draw(arg);
    --s.scene.targetDepth;
    if (blendsStraight(tex)) straightenTarget(tex, w, h);
    SDL_SetRenderTarget(s.ren, previous);
}

void setDrawColour(uint32_t rgb) {
    SDL_SetRenderDrawColor(state().ren, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, 255);
}

void releaseScene() {
    Scene& sc = state().scene;
    for (SDL_Texture* tex : sc.doomed)
        SDL_DestroyTexture(tex);
    if (sc.tex) SDL_DestroyTexture(sc.tex);
    sc = Scene{};
}

// Recomposes the changed areas of the retained frame and copies all of it onto the window. A
// frame that changes nearly everywhere is drawn straight onto the window instead: keeping it
// would cost one more full-window copy and save nothing next frame. A frame the same as the
// retained one draws nothing at all; false then.
bool composeScene() {
    State& s = state();
    Scene& sc = s.scene;
    const SDL_Rect window{0, 0, sc.w, sc.h};
    std::vector<SDL_Rect> areas = scene::changedAreas(sc.last, sc.now, sc.w, sc.h);
    if (areas.empty() && sc.valid) {
        std::swap(sc.last, sc.now);
        sc.now.clear();
        return false;
    }
    const bool whole = areas.size() == 1 && areas[0].w == sc.w && areas[0].h == sc.h;
    if (whole || SDL_SetRenderTarget(s.ren, sc.tex) != 0) {
        setDrawColour(sc.fill);
        SDL_RenderClear(s.ren);
        for (const scene::Command& cmd : sc.now)
            issue(cmd);
        sc.valid = false;
    } else {
        if (!sc.valid) areas = {window};
        SDL_SetRenderDrawBlendMode(s.ren, SDL_BLENDMODE_NONE);
        setDrawColour(sc.fill);
        for (const SDL_Rect& area : areas) {
            SDL_RenderSetClipRect(s.ren, &area);
            SDL_RenderFillRect(s.ren, &area);
            for (const scene::Command& cmd : sc.now)
                if (SDL_HasIntersection(&cmd.bounds, &area)) issue(cmd);
        }
        SDL_RenderSetClipRect(s.ren, nullptr);
        SDL_SetRenderTarget(s.ren, nullptr);
        SDL_RenderCopy(s.ren, sc.tex, nullptr, nullptr);
        sc.valid = true;
    }
    std::swap(sc.last, sc.now);
    sc.now.clear();
    return true;
}

// Whether the renderer's GL draws on the processor (llvmpipe, softpipe, swrast): on a machine
// without a working GPU driver SDL's own software renderer draws the same picture for about half
// the processor time, and needs no shader compiler before the first picture.
bool rasterisesOnProcessor(SDL_Renderer* ren) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(ren, &info) != 0 || !info.name) return false;
    if (std::strncmp(info.name, "opengl", 6) != 0 || !SDL_GL_GetCurrentContext()) return false;
    using GetString = const unsigned char* (*)(unsigned);
    const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    if (!getString) return false;
    const unsigned char* raw = getString(0x1F01);  // GL_RENDERER
    if (!raw) return false;
    const char* name = reinterpret_cast<const char*>(raw);
    for (const char* cpu : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
        if (std::strstr(name, cpu)) return true;
    return false;
}

}  // namespace

// ---- Life cycle and frame ----

SDL_Renderer* gpuCreateRenderer(SDL_Window* win, RendererChoice choice, bool vsync) {
    if (!win) return nullptr;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    // Without this SDL backs the software renderer's window surface with a texture of another
    // (accelerated) renderer, which on a machine without a GPU costs several times the frame.
    // SDL decides this once, when the first window surface is made, so it is set for every kind.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    const Uint32 sync = vsync ? SDL_RENDERER_PRESENTVSYNC : 0;
    SDL_Renderer* ren = nullptr;
    if (choice != RendererChoice::Software)
        ren = SDL_CreateRenderer(win, -1, SDL_RENDERER_ACCELERATED | sync);
    // Unless the player named a renderer ("SDL_RENDER_DRIVER"), a GL without a GPU gives way.
    if (ren && choice == RendererChoice::Any && !SDL_GetHint(SDL_HINT_RENDER_DRIVER) &&
        rasterisesOnProcessor(ren)) {
        SDL_DestroyRenderer(ren);
        ren = nullptr;
    }
    if (!ren && choice != RendererChoice::Accelerated)
        ren = SDL_CreateRenderer(win, -1, SDL_RENDERER_SOFTWARE | sync);
    return ren;
}

void gpuInit(SDL_Renderer* ren) {
    gpuShutdown();
    State& s = state();
    s.ren = ren;
    s.premultiplied = composePremultiplied();
    if (!ren) return;
    SDL_Texture* probe =
        SDL_CreateTexture(ren, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, 1, 1);
    if (!probe) return;
    if (SDL_SetTextureBlendMode(probe, s.premultiplied) != 0) {
        std::fputs(kNoPremultiplied, stderr);
        s.premultiplied = SDL_BLENDMODE_BLEND;
    }
    SDL_DestroyTexture(probe);
}

void gpuShutdown() {
    clearCache();
    releaseScene();
    state().versions.clear();
    state().ren = nullptr;
}

SDL_Renderer* gpuRenderer() {
    return state().ren;
}

void gpuBeginFrame() {
    State& s = state();
    s.drawCalls = 0;
    ++s.frame;
    if (s.frame % kSweepEvery == 0) sweepStale();
}

void gpuSetWindowSize(int wPx, int hPx) {
    State& s = state();
    if (wPx == s.windowW && hPx == s.windowH) return;
    s.windowW = wPx;
    s.windowH = hPx;
    ++s.sizeGen;
}

void gpuBeginScene(uint32_t fillRgb) {
    State& s = state();
    Scene& sc = s.scene;
    sc.recording = false;
    if (!s.ren) return;
    const bool retained = SDL_RenderTargetSupported(s.ren) && s.windowW > 0 && s.windowH > 0;
    if (retained && (!sc.tex || sc.w != s.windowW || sc.h != s.windowH)) {
        if (sc.tex) SDL_DestroyTexture(sc.tex);
        sc.tex = SDL_CreateTexture(s.ren, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                   s.windowW, s.windowH);
        if (sc.tex) {
            SDL_SetTextureBlendMode(sc.tex, SDL_BLENDMODE_NONE);
            SDL_SetTextureScaleMode(sc.tex, SDL_ScaleModeNearest);
        }
        sc.w = s.windowW;
        sc.h = s.windowH;
        sc.valid = false;
    }
    if (!retained || !sc.tex) {
        setDrawColour(fillRgb);
        SDL_RenderClear(s.ren);
        return;
    }
    if (fillRgb != sc.fill) sc.valid = false;
    sc.fill = fillRgb;
    sc.now.clear();
    sc.recording = true;
}

bool gpuEndScene() {
    Scene& sc = state().scene;
    if (!sc.recording) return state().ren != nullptr;
    sc.recording = false;
    const bool changed = composeScene();
    for (SDL_Texture* tex : sc.doomed)
        SDL_DestroyTexture(tex);
    sc.doomed.clear();
    return changed;
}

void gpuInvalidateScene() {
    state().scene.valid = false;
}

void gpuTargetsLost() {
    State& s = state();
    for (auto it = s.cache.begin(); it != s.cache.end();)
        it = it->second.target ? erase(it) : std::next(it);
    gpuInvalidateScene();
}

int gpuDrawCalls() {
    return state().drawCalls;
}

void gpuSetScale(double scale) {
    state().scale = scale > 0 ? scale : 1.0;
}

double gpuScale() {
    return state().scale;
}

SDL_BlendMode gpuBlendMode() {
    return state().premultiplied;
}

bool gpuStraightAlpha() {
    return state().premultiplied == SDL_BLENDMODE_BLEND;
}

// ---- The cache ----

SDL_Texture* gpuTexture(const std::string& key, int wPx, int hPx, void (*paint)(cairo_t*, void*),
                        void* arg) {
    State& s = state();
    if (!s.ren || wPx < 1 || hPx < 1) return nullptr;
    if (Entry* e = lookup(key, wPx, hPx)) {
        e->lastUsed = s.frame;
        return e->tex;
    }
    evictIfFull(textureBytes(wPx, hPx));

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, wPx, hPx);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_set_device_scale(surface, s.scale, s.scale);
    cairo_t* cr = cairo_create(surface);
    if (paint) paint(cr, arg);
    cairo_destroy(cr);
    cairo_surface_flush(surface);

    SDL_Texture* tex =
        SDL_CreateTexture(s.ren, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, wPx, hPx);
    if (!tex) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    ++s.liveTextures;
    setBlendMode(tex);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    if (blendsStraight(tex)) {
        for (int y = 0; y < hPx; ++y)
            unpremultiplyRow(reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride),
                             wPx);
    }
    if (allOpaque(data, stride, wPx, hPx)) s.opaque.insert(tex);
    touch(tex);
    SDL_UpdateTexture(tex, nullptr, data, stride);
    cairo_surface_destroy(surface);
    s.cache[key] = Entry{tex, wPx, hPx, 0, textureBytes(wPx, hPx), s.sizeGen};
    s.bytes += textureBytes(wPx, hPx);
    return tex;
}

SDL_Texture* gpuRenderTarget(const std::string& key, int wPx, int hPx, void (*draw)(void*),
                             void* arg, bool redraw) {
    State& s = state();
    if (!s.ren || wPx <= 0 || hPx <= 0) return nullptr;
    if (Entry* e = lookup(key, wPx, hPx)) {
        if (redraw) drawTarget(e->tex, wPx, hPx, draw, arg);
        return e->tex;
    }
    evictIfFull(textureBytes(wPx, hPx));
    SDL_Texture* tex =
        SDL_CreateTexture(s.ren, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, wPx, hPx);
    if (!tex) return nullptr;
    ++s.liveTextures;
    setBlendMode(tex);
    drawTarget(tex, wPx, hPx, draw, arg);
    s.cache[key] = Entry{tex, wPx, hPx, s.frame, textureBytes(wPx, hPx), s.sizeGen, true};
    s.bytes += textureBytes(wPx, hPx);
    return tex;
}

int gpuCacheSize() {
    return static_cast<int>(state().cache.size());
}

bool gpuCached(const std::string& key, int* wPx, int* hPx) {
    const auto& cache = state().cache;
    auto it = cache.find(key);
    if (it == cache.end()) return false;
    if (wPx) *wPx = it->second.w;
    if (hPx) *hPx = it->second.h;
    return true;
}

int gpuLiveTextures() {
    return state().liveTextures;
}

size_t gpuCacheBytes() {
    return state().bytes;
}

size_t gpuSetCacheBudget(size_t bytes) {
    const size_t previous = state().budget;
    state().budget = bytes;
    return previous;
}

// ---- Blits ----

void gpuBlit(SDL_Texture* tex, double x, double y, double w, double h, double alpha) {
    if (!ready(tex)) return;
    copy(tex, nullptr, topLeftRect(x, y, w, h), 0, alpha, false);
}

void gpuBlitSrc(SDL_Texture* tex, int sx, int sy, int sw, int sh, double x, double y, double w,
                double h, double alpha) {
    if (!ready(tex) || sw <= 0 || sh <= 0) return;
    SDL_Rect src{sx, sy, sw, sh};
    copy(tex, &src, topLeftRect(x, y, w, h), 0, alpha, false);
}

void gpuBlitTinted(SDL_Texture* tex, double x, double y, double w, double h, uint32_t rgb,
                   double alpha) {
    if (!ready(tex)) return;
    copy(tex, nullptr, topLeftRect(x, y, w, h), rgb, alpha, true);
}

void gpuBlitTintedRot(SDL_Texture* tex, double cx, double cy, double w, double h, double angleDeg,
                      uint32_t rgb, double alpha) {
    if (!ready(tex)) return;
    copyEx(tex, centredRect(cx, cy, w, h), angleDeg, nullptr, false, rgb, alpha, true);
}

void gpuBlitRotated(SDL_Texture* tex, double cx, double cy, double w, double h, double angleDeg,
                    double alpha) {
    if (!ready(tex)) return;
    copyEx(tex, centredRect(cx, cy, w, h), angleDeg, nullptr, false, 0, alpha, false);
}

void gpuBlitMirrored(SDL_Texture* tex, double cx, double cy, double w, double h, double angleDeg,
                     bool flipH, double alpha) {
    if (!ready(tex)) return;
    copyEx(tex, centredRect(cx, cy, w, h), angleDeg, nullptr, flipH, 0, alpha, false);
}

void gpuBlitPivot(SDL_Texture* tex, double x, double y, double w, double h, double pivotX,
                  double pivotY, double angleDeg, bool flipH, double alpha) {
    if (!ready(tex)) return;
    SDL_Point pivot{px(pivotX), px(pivotY)};
    copyEx(tex, topLeftRect(x, y, w, h), angleDeg, &pivot, flipH, 0, alpha, false);
}

// ---- The full-window frame layer ----

SDL_Texture* gpuCreateFrameTexture(int wPx, int hPx) {
    State& s = state();
    if (!s.ren || wPx <= 0 || hPx <= 0) return nullptr;
    SDL_Texture* tex =
        SDL_CreateTexture(s.ren, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, wPx, hPx);
    if (!tex) return nullptr;
    setBlendMode(tex);
    // The layer is only ever copied onto the same pixels: no filter needed.
    SDL_SetTextureScaleMode(tex, SDL_ScaleModeNearest);
    touch(tex);
    return tex;
}

void gpuUploadFrame(SDL_Texture* tex, cairo_surface_t* surface, const SDL_Rect* area) {
    if (!tex || !surface) return;
    const unsigned char* src = cairo_image_surface_get_data(surface);
    if (!src) return;
    const int stride = cairo_image_surface_get_stride(surface);
    int w = 0, h = 0;
    if (SDL_QueryTexture(tex, nullptr, nullptr, &w, &h) != 0) return;
    SDL_Rect r{0, 0, std::min(w, cairo_image_surface_get_width(surface)),
               std::min(h, cairo_image_surface_get_height(surface))};
    if (area && !SDL_IntersectRect(area, &r, &r)) return;
    src += static_cast<size_t>(r.y) * stride + static_cast<size_t>(r.x) * 4;
    SDL_BlendMode mode = SDL_BLENDMODE_NONE;
    SDL_GetTextureBlendMode(tex, &mode);
    if (mode != SDL_BLENDMODE_BLEND) {
        SDL_UpdateTexture(tex, &r, src, stride);
        return;
    }
    // Convert while copying into the texture's own memory: one pass, no scratch buffer.
    void* dst = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(tex, &r, &dst, &pitch) != 0) return;
    for (int y = 0; y < r.h; ++y) {
        const auto* in = reinterpret_cast<const uint32_t*>(src + static_cast<size_t>(y) * stride);
        auto* out = reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(dst) +
                                                static_cast<size_t>(y) * pitch);
        copyRowStraight(in, out, r.w);
    }
    SDL_UnlockTexture(tex);
}

void gpuCopyLayer(SDL_Texture* tex, const SDL_Rect& area, uint64_t content) {
    if (!ready(tex)) return;
    scene::Command cmd;
    cmd.tex = tex;
    cmd.content = content;
    cmd.src = cmd.dst = area;
    cmd.wholeSrc = false;
    SDL_GetTextureBlendMode(tex, &cmd.blend);
    submit(cmd);
}

void unpremultiplyRow(uint32_t* px, int count) {
    copyRowStraight(px, px, count);
}

}  // namespace ui
