// Picture harness: offscreen window, renderer, frame layer, read-back and PNG output.
#include "harness.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "screens/screens.h"
#include "ui/gpu.h"

namespace harness {

// ---- Image ----

uint32_t Image::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= w || y >= h) return 0;
    return px[static_cast<size_t>(y) * w + x];
}

bool Image::writePng(const std::string& path) const {
    if (w <= 0 || h <= 0) return false;
    // The frame is opaque; RGB24 has the same byte layout and ignores the alpha byte.
    std::vector<uint32_t> copy = px;
    cairo_surface_t* s = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(copy.data()), CAIRO_FORMAT_RGB24, w, h, w * 4);
    bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

Image Image::besideEachOther(const Image& a, const Image& b, int gap, uint32_t background) {
    Image out;
    out.w = a.w + gap + b.w;
    out.h = std::max(a.h, b.h);
    out.px.assign(static_cast<size_t>(out.w) * out.h, 0xFF000000u | background);
    for (int y = 0; y < out.h; ++y) {
        for (int x = 0; x < a.w && y < a.h; ++x)
            out.px[static_cast<size_t>(y) * out.w + x] = a.at(x, y);
        for (int x = 0; x < b.w && y < b.h; ++x)
            out.px[static_cast<size_t>(y) * out.w + a.w + gap + x] = b.at(x, y);
    }
    return out;
}

// ---- Canvas ----

namespace {

// Video and the GL library stay up for the rest of the process once a canvas has been opened.
// Unloading the GL driver would strand its private allocations in unmapped code, which the leak
// checker then reports without a name to suppress it by.
bool videoReady() {
    static const bool ready = [] {
        // Never open a real window from a test or a picture run.
        if (!std::getenv("SDL_VIDEODRIVER")) SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
        SDL_GL_LoadLibrary(nullptr);  // without GL the accelerated renderer is simply unavailable
        return true;
    }();
    return ready;
}

}  // namespace

Canvas::Canvas(const Options& opt) : opt_(opt) {
    if (opt_.scale <= 0) opt_.scale = 1.0;
    // A canvas runs the game's screens as the entry point does.
    screens::install(*ui::Game::instance());
    if (!videoReady()) return;

    pxW_ = static_cast<int>(std::lround(opt_.w * opt_.scale));
    pxH_ = static_cast<int>(std::lround(opt_.h * opt_.scale));
    win_ = SDL_CreateWindow("harness", 0, 0, pxW_, pxH_, SDL_WINDOW_HIDDEN);
    if (!win_) return;
    // The same set-up as the game's, so that pictures and figures are what players get.
    ren_ = ui::gpuCreateRenderer(win_,
                                 opt_.renderer == RendererKind::Software
                                     ? ui::RendererChoice::Software
                                     : ui::RendererChoice::Accelerated,
                                 opt_.vsync);
    if (!ren_) return;
    SDL_GetRendererOutputSize(ren_, &pxW_, &pxH_);

    ui::gpuInit(ren_);
    ui::gpuSetScale(opt_.scale);
    ui::frameLayerEnsure(layer_, pxW_, pxH_);
}

Canvas::~Canvas() {
    if (ren_) ui::gpuShutdown();
    ui::frameLayerRelease(layer_);
    if (ren_) SDL_DestroyRenderer(ren_);
    if (win_) SDL_DestroyWindow(win_);
}

std::string Canvas::rendererName() const {
    SDL_RendererInfo info;
    if (!ren_ || SDL_GetRendererInfo(ren_, &info) != 0 || !info.name) return "?";
    return info.name;
}

void Canvas::frame(double t, const std::function<void(ui::Ctx&)>& body, uint32_t background) {
    if (!ok()) return;
    ui::gpuSetScale(opt_.scale);
    ui::gpuSetWindowSize(pxW_, pxH_);
    ui::gpuBeginFrame();

    cairo_t* cr = ui::frameLayerBegin(layer_);
    cairo_scale(cr, opt_.scale, opt_.scale);

    ui::Ctx ctx;
    ctx.cr = cr;
    ctx.w = pxW_ / opt_.scale;
    ctx.h = pxH_ / opt_.scale;
    ctx.t = t;
    ctx.dt = std::clamp(t - lastT_, 0.0, 0.1);
    lastT_ = t;

    ui::gpuBeginScene(background);
    if (body) body(ctx);
    cairo_destroy(cr);
    ui::frameLayerCompose(layer_);
    ui::gpuEndScene();
}

void Canvas::present() {
    if (ren_) SDL_RenderPresent(ren_);
}

Image Canvas::snapshot() const {
    Image img;
    if (!ren_) return img;
    img.w = pxW_;
    img.h = pxH_;
    img.px.assign(static_cast<size_t>(pxW_) * pxH_, 0);
    if (SDL_RenderReadPixels(ren_, nullptr, SDL_PIXELFORMAT_ARGB8888, img.px.data(), pxW_ * 4) != 0)
        return Image{};
    return img;
}

}  // namespace harness
