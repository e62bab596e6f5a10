// The About screen: title and version, credits, contact and sound links, and the way to the
// licences, on one scrolling panel.
#include "screens/about.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "i18n/i18n.h"
#include "platform/audio.h"
#include "screens/common.h"
#include "screens/links.h"
#include "screens/screens.h"
#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/mirror.h"
#include "ui/widgets.h"

namespace screens {

namespace {

constexpr double kPanelTop = 62;

// Credits of the fictitious maker; names are not translated.
constexpr char kTitle[] = "Vantrel's Marbles";
constexpr char kDevelopers[] = "the Vantrel Software team";
constexpr char kMaker[] = "Vantrel Software";
constexpr char kImprint[] = "Vantrel Software \u00B7 7 Glassblower Lane \u00B7 Sandmere";
constexpr char kMailText[] = "hello@vantrel.example";
constexpr char kMailUrl[] = "mailto:hello@vantrel.example";
constexpr char kWebText[] = "vantrel.example";
constexpr char kWebUrl[] = "https://vantrel.example/";
constexpr char kMusicText[] = "vantrel.example/music";
constexpr char kMusicUrl[] = "https://vantrel.example/music/only-silence-remains/";
constexpr char kSfxText[] = "soundgen, our own synthesiser (tools/soundgen)";
constexpr char kSfxUrl[] = "https://vantrel.example/source/tools/soundgen/";

std::string versionLine() {
    return std::string("v" VANTREL_VERSION " Build ") + std::to_string(VANTREL_BUILD);
}

class About : public ui::Screen {
  public:
    void update(ui::Ctx& c) override {
        drawWallpaper(c);
        if (ui::pillButton(c, ui::Mirror(0, c.w).rect({16, 12, 104, 34}), i18n::tr("about.back"),
                           ui::PillIcon::Back)) {
            audio::play(audio::Sfx::Click);
            c.pop();
            return;
        }
        const double hw = std::min(c.w - 264, 260.0);
        ui::titleCard(c, {(c.w - hw) / 2, 10, hw, 38}, i18n::tr("about.headline"), "");

        const AboutLayout L = aboutLayout(c.w, c.h, scroll_);
        ui::panel(c.cr, L.panel, 0.94);
        cairo_save(c.cr);
        ui::roundedRectPath(c.cr, L.panel, 18);
        cairo_clip(c.cr);
        const bool navigated = content(c, L);
        cairo_restore(c.cr);

        contentH_ = L.contentH;
        ui::applyScroll(c, L.panel, contentH_, &scroll_);
        ui::scrollbar(c, L.panel, contentH_, scroll_);
        if (!navigated && c.in.hasKey(SDLK_ESCAPE)) c.pop();
    }

  private:
    int R(double n) const { return aboutUnits(n, k_); }

    // Returns whether the licences were asked for.
    bool content(ui::Ctx& c, const AboutLayout& L) {
        k_ = L.k;
        panel_ = L.panel;
        const double* y = L.top;
        const double pw = L.panel.w;

        value(c, kTitle, y[kAboutTitle], R(40), true, theme::kAccent, pw - 40);
        label(c, versionLine(), y[kAboutVersion], R(16));
        separator(c, y[kAboutSeparator1]);
        label(c, i18n::tr("about.developedBy"), y[kAboutDevelopedBy], R(13));
        value(c, kDevelopers, y[kAboutDevelopers], R(22), true, theme::kText, 460);
        value(c, kMaker, y[kAboutMaker], R(17), false, theme::kText, 460);
        value(c, kImprint, y[kAboutImprint], R(14), false, theme::kTextMuted, 460);
        separator(c, y[kAboutSeparator2]);
        link(c, kMailText, kMailUrl, y[kAboutMail], R(17));
        link(c, kWebText, kWebUrl, y[kAboutWebsite], R(17));
        separator(c, y[kAboutSeparator3]);
        label(c, i18n::tr("about.musicSound"), y[kAboutMusicSound], R(13));
        value(c, i18n::tr("about.musicCredit"), y[kAboutMusicCredit], R(15), false, theme::kText,
              460);
        link(c, kMusicText, kMusicUrl, y[kAboutMusicLink], R(15));
        value(c, i18n::tr("about.sfxCredit"), y[kAboutSfxCredit], R(15), false, theme::kText, 460);
        link(c, kSfxText, kSfxUrl, y[kAboutSfxLink], R(15));
        separator(c, y[kAboutSeparator4]);

        const bool clicked = ui::plainButton(c, L.licensesButton, i18n::tr("about.licenses"));
        // The button can hang below the panel, clipped away; only its visible part answers.
        if (!clicked || !c.hover(L.panel)) return false;
        audio::play(audio::Sfx::Click);
        ui::GameState s;
        s.kind = ui::ScreenKind::Licenses;
        c.push(s);
        return true;
    }

    ui::TextStyle style(double size, bool bold, uint32_t colour, double maxWidth) const {
        ui::TextStyle st = theme::textStyle(theme::TextRole::Label, size);
        st.bold = bold;
        st.color = colour;
        st.maxWidth = maxWidth;
        return st;
    }
    void label(ui::Ctx& c, const std::string& text, double y, double size) {
        ui::drawText(c.cr, panel_.cx(), y, text, style(size, false, theme::kTextMuted, 0));
    }
    void value(ui::Ctx& c, const std::string& text, double y, double size, bool bold,
               uint32_t colour, double maxWidth) {
        ui::drawText(c.cr, panel_.cx(), y, text, style(size, bold, colour, maxWidth));
    }
    void link(ui::Ctx& c, const char* text, const char* url, double y, double size) {
        drawLink(c, panel_.cx(), y, text, style(size, false, theme::kAccent, 0), url, panel_);
    }
    void separator(ui::Ctx& c, double y) {
        const double sep = R(12);
        ui::drawLine(c.cr, panel_.x + 24, y + sep, panel_.right() - 24, y + sep, 1, theme::kBorder,
                     1);
    }

    double scroll_ = 0;
    double contentH_ = 0;
    double k_ = 1;
    ui::Rect panel_;
};

}  // namespace

double aboutScale(double w, double h) {
    if (h < 500) return 0.58;
    if (std::min(w, h) < 600) return 0.72;
    return 1;
}

int aboutUnits(double n, double k) {
    return static_cast<int>(std::lround(n * k));
}

AboutLayout aboutLayout(double w, double h, double scroll) {
    AboutLayout L;
    L.k = aboutScale(w, h);
    auto R = [&](double n) { return aboutUnits(n, L.k); };
    const double pw = std::min(w - 40, 520.0);
    L.panel = {(w - pw) / 2, kPanelTop, pw, h - kPanelTop - 24};

    // The running top: every row says how far it moves the next one down.
    double y = kPanelTop + R(20) - scroll;
    const double sep = R(12);
    const double advance[kAboutRowCount] = {
        /* title */ static_cast<double>(R(48)),
        /* version */ static_cast<double>(R(34)),
        2 * sep,
        /* developed by */ 1.7 * R(13),
        /* developers */ 1.6 * R(22),
        /* maker */ 1.6 * R(17),
        /* imprint */ 1.6 * R(14) + R(10),
        2 * sep,
        /* mail */ 1.7 * R(17),
        /* website */ 1.7 * R(17) + R(10),
        2 * sep,
        /* music & sound */ 1.7 * R(13),
        /* music credit */ 1.6 * R(15),
        /* music link */ 1.7 * R(15),
        /* effects credit */ 1.6 * R(15),
        /* sound tool link */ 1.7 * R(15) + R(10),
        2 * sep,
    };
    for (int i = 0; i < kAboutRowCount; ++i) {
        L.top[i] = y;
        y += advance[i];
    }
    const double bw = std::min(pw - 60, 260.0);
    L.licensesButton = {(w - bw) / 2, y, bw, static_cast<double>(R(46))};
    L.contentH = (y + R(56)) + scroll - kPanelTop;
    return L;
}

std::unique_ptr<ui::Screen> makeAbout() {
    return std::make_unique<About>();
}

}  // namespace screens
