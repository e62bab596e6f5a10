// The Licenses screen: every library with its licence and homepage, on one scrolling panel.
#include "screens/licenses.h"

#include <SDL.h>

#include <algorithm>
#include <memory>
#include <string>

#include "i18n/i18n.h"
#include "platform/audio.h"
#include "screens/common.h"
#include "screens/links.h"
#include "screens/screens.h"
#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/focus.h"
#include "ui/mirror.h"
#include "ui/widgets.h"

namespace screens {

const std::array<Library, 17> kLibraries = {{
    {"SDL2", "zlib", "https://www.libsdl.org/"},
    {"SDL2_mixer", "zlib", "https://github.com/libsdl-org/SDL_mixer"},
    {"Cairo", "LGPL-2.1 or MPL-1.1", "https://www.cairographics.org/"},
    {"Pango", "LGPL-2.1-or-later", "https://pango.gnome.org/"},
    {"GLib / GObject / GIO", "LGPL-2.1-or-later", "https://docs.gtk.org/glib/"},
    {"HarfBuzz", "MIT", "https://harfbuzz.github.io/"},
    {"FreeType", "FTL or GPL-2-or-later", "https://freetype.org/"},
    {"Fontconfig", "MIT-style", "https://www.freedesktop.org/wiki/Software/fontconfig/"},
    {"FriBidi", "LGPL-2.1-or-later", "https://github.com/fribidi/fribidi"},
    {"Pixman", "MIT", "http://www.pixman.org/"},
    {"libpng", "libpng license", "http://www.libpng.org/pub/png/libpng.html"},
    {"zlib", "zlib", "https://zlib.net/"},
    {"libogg / libvorbis", "BSD-3-Clause", "https://xiph.org/vorbis/"},
    {"X.Org client libraries", "MIT", "https://www.x.org/"},
    {"Wayland client", "MIT", "https://wayland.freedesktop.org/"},
    {"GNU C Library", "LGPL-2.1-or-later", "https://www.gnu.org/software/libc/"},
    {"GCC runtime", "GPL-3 with runtime exception", "https://gcc.gnu.org/"},
}};

namespace {

constexpr double kPanelTop = 62;
constexpr double kRowH = 72;
constexpr double kPanelBottomEdge = 4;  // the raised edge under a panel's face

ui::Rect panelFace(const ui::Rect& panel) {
    return {panel.x + 1, panel.y + 1, panel.w - 2, panel.h - kPanelBottomEdge - 2};
}

ui::TextStyle textStyle(double size, bool bold, uint32_t colour) {
    ui::TextStyle st = theme::textStyle(theme::TextRole::Body, size);
    st.bold = bold;
    st.color = colour;
    st.minScale = 0;
    return st;
}

ui::TextStyle linkStyle(const ui::Rect& panel) {
    return ui::Mirror(panel).text(textStyle(12, false, theme::kAccent));
}

class Licenses : public ui::Screen {
  public:
    void update(ui::Ctx& c) override {
        drawWallpaper(c);
        if (ui::pillButton(c, ui::Mirror(0, c.w).rect({16, 12, 104, 34}), i18n::tr("licenses.back"),
                           ui::PillIcon::Back)) {
            audio::play(audio::Sfx::Click);
            c.pop();
            return;
        }
        const double hw = std::min(c.w - 264, 260.0);
        ui::titleCard(c, {(c.w - hw) / 2, 10, hw, 38}, i18n::tr("licenses.headline"), "");

        const double pw = std::min(c.w - 32, 560.0);
        const double px = (c.w - pw) / 2;
        const double ph = c.h - kPanelTop - 16;
        const ui::Rect panel{px, kPanelTop, pw, ph};
        ui::panel(c.cr, panel, 0.94);
        cairo_save(c.cr);
        // Only the panel's face holds rows: its rim and raised bottom edge stay clear of them.
        ui::roundedRectPath(c.cr, panelFace(panel), 17);
        cairo_clip(c.cr);

        double y = kPanelTop + 14 - scroll_;
        ui::TextStyle intro = textStyle(13, false, theme::kText);
        intro.alpha = 0.65;
        intro = ui::Mirror(panel).text(intro);  // right to left, the text keeps to the right
        y += ui::drawTextWrapped(c.cr, px + 16, y, pw - 32, i18n::tr("licenses.intro"), intro) + 12;

        const int firstLink = c.focusCount();
        for (const Library& lib : kLibraries) {
            // Rows far outside the panel are skipped but still take their place, so the
            // content height is the same at every scroll offset; their links stay within the
            // focus's reach.
            if (y <= kPanelTop + ph + 40 && y >= kPanelTop - 80)
                row(c, lib, px, pw, y, panel);
            else
                c.focusable(linkRect(c.cr, ui::Mirror(panel).x(px + 16), y + 40, lib.homepage,
                                     linkStyle(panel)));
            y += kRowH;
        }
        cairo_restore(c.cr);

        contentH_ = y + scroll_ - kPanelTop + 12;
        // The focused link comes into view from the next frame on.
        ui::scrollToFocus(c, firstLink, c.focusCount(), panelFace(panel), contentH_, &scroll_);
        ui::applyScroll(c, panel, contentH_, &scroll_);
        ui::scrollbar(c, panel, contentH_, scroll_);
        if (c.in.hasKey(SDLK_ESCAPE)) c.pop();
    }

  private:
    static void row(ui::Ctx& c, const Library& lib, double px, double pw, double y,
                    const ui::Rect& panel) {
        // Right to left, the row's name, badge and link start at the panel's right edge.
        const ui::Mirror m(panel);
        ui::TextStyle name = textStyle(15, true, theme::kText);
        name.maxWidth = pw - 32;
        ui::drawText(c.cr, m.x(px + 16), y, lib.name, m.text(name));

        const ui::TextStyle badge = textStyle(12, true, theme::kAccent);
        double tw = 0, th = 0;
        ui::measureText(c.cr, lib.license, badge, &tw, &th);
        ui::fillRoundedRect(c.cr, m.rect({px + 16, y + 19, tw + 12, th + 2}), 4, theme::kBgElevated,
                            1);
        ui::drawText(c.cr, m.x(px + 22), y + 20, lib.license, m.text(badge));

        drawLink(c, m.x(px + 16), y + 40, lib.homepage, linkStyle(panel), lib.homepage, panel);
        ui::drawLine(c.cr, px + 16, y + 62, px + pw - 16, y + 62, 1, theme::kBorder, 1);
    }

    double scroll_ = 0;
    double contentH_ = 0;
};

}  // namespace

std::unique_ptr<ui::Screen> makeLicenses() {
    return std::make_unique<Licenses>();
}

}  // namespace screens
