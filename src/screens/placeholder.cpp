// Temporary screens for the kinds whose real screens are still being built.
// Each says so on screen; Escape goes back one step.
#include <SDL.h>
#include <pango/pangocairo.h>

#include <string>

#include "screens/placeholder.h"

namespace screens {
namespace {

const char* kindName(ui::ScreenKind k) {
    switch (k) {
        case ui::ScreenKind::Splash:
            return "Splash";
        case ui::ScreenKind::Menu:
            return "Menu";
        case ui::ScreenKind::LevelSelect:
            return "LevelSelect";
        case ui::ScreenKind::Playing:
            return "Playing";
        case ui::ScreenKind::Solved:
            return "Solved";
        case ui::ScreenKind::Ending:
            return "Ending";
        case ui::ScreenKind::Gallery:
            return "Gallery";
        case ui::ScreenKind::Settings:
            return "Settings";
        case ui::ScreenKind::About:
            return "About";
        case ui::ScreenKind::Licenses:
            return "Licenses";
        case ui::ScreenKind::Attract:
            return "Attract";
    }
    return "?";
}

void centredText(cairo_t* cr, const std::string& text, double cx, double cy, double size) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_from_string("sans");
    pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, text.c_str(), -1);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    cairo_move_to(cr, cx - w / 2.0, cy - h / 2.0);
    pango_cairo_show_layout(cr, layout);
    pango_font_description_free(font);
    g_object_unref(layout);
}

class Placeholder : public ui::Screen {
  public:
    explicit Placeholder(ui::ScreenKind kind) : kind_(kind) {}

    void update(ui::Ctx& ctx) override {
        cairo_t* cr = ctx.cr;
        cairo_set_source_rgb(cr, 0xFD / 255.0, 0xF1 / 255.0, 0xD6 / 255.0);
        cairo_paint(cr);
        cairo_set_source_rgb(cr, 0x4A / 255.0, 0x38 / 255.0, 0x26 / 255.0);
        centredText(cr, kindName(kind_), ctx.w / 2, ctx.h / 2 - 24, 40);
        cairo_set_source_rgb(cr, 0x9B / 255.0, 0x87 / 255.0, 0x65 / 255.0);
        centredText(cr, "not built yet", ctx.w / 2, ctx.h / 2 + 24, 22);
        if (ctx.in.hasKey(SDLK_ESCAPE)) ui::Game::instance()->pop();
    }

  private:
    ui::ScreenKind kind_;
};

}  // namespace

std::unique_ptr<ui::Screen> makePlaceholder(ui::ScreenKind kind) {
    return std::make_unique<Placeholder>(kind);
}

}  // namespace screens
