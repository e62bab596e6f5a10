// The frame layer: most of a frame's text and controls cover a small part of the window, so
// clearing, uploading and blending the whole window each frame costs far more than drawing them.
#include "ui/frame_layer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "ui/gpu.h"

namespace ui {

namespace {

// Bands this tall keep the skipped area large (a header and a footer are two short runs of
// bands) while the blits stay few: at most about 17 at 1080 pixels.
constexpr int kBandPx = 64;

bool emptyRect(const SDL_Rect& r) {
    return r.w <= 0 || r.h <= 0;
}

SDL_Rect unite(const SDL_Rect& a, const SDL_Rect& b) {
    if (emptyRect(a)) return b;
    if (emptyRect(b)) return a;
    SDL_Rect u;
    SDL_UnionRect(&a, &b, &u);
    return u;
}

// The columns of rows [y0, y1) holding any non-transparent pixel, as a rectangle over those rows.
SDL_Rect inkOfBand(const unsigned char* data, int stride, int w, int y0, int y1) {
    int left = w, right = -1;
    for (int y = y0; y < y1; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        int x = 0;
        while (x < left && row[x] == 0)
            ++x;
        if (x == w) continue;  // an empty row
        left = std::min(left, x);
        int r = w - 1;
        while (r > right && row[r] == 0)
            --r;
        right = std::max(right, r);
    }
    if (right < left) return SDL_Rect{0, y0, 0, 0};
    return SDL_Rect{left, y0, right - left + 1, y1 - y0};
}

bool sameRect(const SDL_Rect& a, const SDL_Rect& b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

// A hash of the pixels in r: four independent lanes of 8 bytes, so that hashing runs at memory
// speed rather than at one multiply's latency per pixel pair.
uint64_t hashOf(const unsigned char* data, int stride, const SDL_Rect& r) {
    constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
    uint64_t lane[4] = {static_cast<uint64_t>(r.x) + 1, static_cast<uint64_t>(r.w) + 2, 3, 4};
    const size_t bytes = static_cast<size_t>(r.w) * 4;
    for (int y = r.y; y < r.y + r.h; ++y) {
        const unsigned char* row =
            data + static_cast<size_t>(y) * stride + static_cast<size_t>(r.x) * 4;
        size_t k = 0;
        for (; k + 32 <= bytes; k += 32)
            for (int i = 0; i < 4; ++i) {
                uint64_t v;
                std::memcpy(&v, row + k + 8 * i, 8);
                lane[i] = (lane[i] ^ v) * kMul;
            }
        for (; k < bytes; k += 4) {
            uint32_t v;
            std::memcpy(&v, row + k, 4);
            lane[0] = (lane[0] ^ v) * kMul;
        }
        lane[1] ^= lane[0] >> 31;  // rows of the same pixels in another order differ
    }
    uint64_t h = 0;
    for (uint64_t l : lane)
        h = (h ^ l ^ (l >> 29)) * kMul;
    return h;
}

}  // namespace

void frameLayerEnsure(FrameLayer& layer, int wPx, int hPx) {
    if (layer.surface && layer.w == wPx && layer.h == hPx) return;
    frameLayerRelease(layer);
    layer.surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, wPx, hPx);
    // Blended as premultiplied alpha, or converted on upload where the renderer refuses that.
    layer.texture = gpuCreateFrameTexture(wPx, hPx);
    layer.w = wPx;
    layer.h = hPx;
    // A new texture holds undefined pixels: the first frame uploads every band.
    for (int y = 0; y < hPx; y += kBandPx)
        layer.ink.push_back(SDL_Rect{0, y, wPx, std::min(kBandPx, hPx - y)});
    layer.inkHash.assign(layer.ink.size(), 0);
}

cairo_t* frameLayerBegin(FrameLayer& layer) {
    cairo_surface_flush(layer.surface);
    unsigned char* data = cairo_image_surface_get_data(layer.surface);
    const int stride = cairo_image_surface_get_stride(layer.surface);
    if (data) {
        // Outside last frame's ink the layer is transparent already.
        for (const SDL_Rect& r : layer.ink)
            for (int y = r.y; y < r.y + r.h && !emptyRect(r); ++y)
                std::memset(data + static_cast<size_t>(y) * stride + static_cast<size_t>(r.x) * 4,
                            0, static_cast<size_t>(r.w) * 4);
    }
    cairo_surface_mark_dirty(layer.surface);
    return cairo_create(layer.surface);
}

void frameLayerCompose(FrameLayer& layer) {
    cairo_surface_flush(layer.surface);
    const unsigned char* data = cairo_image_surface_get_data(layer.surface);
    if (!data || !layer.texture) return;
    const int stride = cairo_image_surface_get_stride(layer.surface);
    for (size_t b = 0; b < layer.ink.size(); ++b) {
        const int y0 = static_cast<int>(b) * kBandPx;
        const SDL_Rect now = inkOfBand(data, stride, layer.w, y0, std::min(layer.h, y0 + kBandPx));
        const uint64_t hash = emptyRect(now) ? 0 : hashOf(data, stride, now);
        const bool same = sameRect(now, layer.ink[b]) && hash == layer.inkHash[b];
        // The texture must lose last frame's ink too, so the changed area is the union.
        const SDL_Rect changed = unite(layer.ink[b], now);
        if (!same && !emptyRect(changed)) gpuUploadFrame(layer.texture, layer.surface, &changed);
        if (!emptyRect(now)) gpuCopyLayer(layer.texture, now, hash);
        layer.ink[b] = now;
        layer.inkHash[b] = hash;
    }
}

void frameLayerRelease(FrameLayer& layer) {
    if (layer.surface) cairo_surface_destroy(layer.surface);
    if (layer.texture) SDL_DestroyTexture(layer.texture);
    layer = FrameLayer{};
}

}  // namespace ui
