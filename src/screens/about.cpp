// The About screen: title and version, credits, contact and sound links, and the way to the
// licences, on one scrolling panel.
#include "screens/about.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

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

// What each row of the table names: its action, its keys and its controller buttons. Key
// names are the symbols printed on keyboards; the buttons are the letters on the controller.
struct ControlRow {
    const char* action;
    std::vector<const char*> keys;
    std::vector<const char*> buttons;
};

const std::vector<ControlRow>& controlRows() {
    static const std::vector<ControlRow> rows = {
        {"controls.focus", {"\u2190", "\u2191", "\u2192", "\u2193"}, {"\u271A", "LS"}},
        {"controls.order", {"Tab", "\u21E7 Tab"}, {}},
        {"controls.activate", {"Enter", "Space"}, {"A"}},
        {"controls.back", {"Esc"}, {"B"}},
        {"controls.pages", {"PgUp", "PgDn"}, {}},
        {"controls.firstLast", {"Home", "End"}, {}},
        {"controls.tubes", {"1 \u2026 9", "0"}, {}},
        {"controls.undo", {"U", "\u232B"}, {"X"}},
        {"controls.restart", {"R"}, {"Y"}},
        {"controls.hint", {"H"}, {"RB"}},
        {"controls.menu", {"Esc"}, {"Start"}},
        {"controls.fullscreen", {"F11"}, {}},
        {"controls.quit", {"Ctrl+Q"}, {}},
    };
    return rows;
}

// The face colours of the four letter buttons, as most controllers print them.
uint32_t buttonColour(const std::string& b) {
    if (b == "A") return 0x3E9B4F;
    if (b == "B") return 0xC8473A;
    if (b == "X") return 0x3A6FC8;
    if (b == "Y") return 0xC9A22A;
    return theme::kTextMuted;
}

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
        if (L.controlsBeside) {
            ui::panel(c.cr, L.controlsPanel, 0.94);
            controlsTable(c, L);
        }
        cairo_save(c.cr);
        ui::roundedRectPath(c.cr, L.panel, 18);
        cairo_clip(c.cr);
        const int firstFocusable = c.focusCount();
        const bool navigated = content(c, L);
        if (!L.controlsBeside) controlsTable(c, L);
        cairo_restore(c.cr);

        contentH_ = L.contentH;
        // The focused link or button comes into view from the next frame on.
        ui::scrollToFocus(c, firstFocusable, c.focusCount(), L.panel.inset(4), contentH_, &scroll_);
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

        const bool focused = c.focusShown() && c.focusIndex() == c.focusCount();
        const bool clicked = ui::plainButton(c, L.licensesButton, i18n::tr("about.licenses"));
        // The button can hang below the panel, clipped away; only its visible part answers the
        // pointer. The focus scrolls it into view.
        if (!clicked || (!focused && !c.hover(L.panel))) return false;
        audio::play(audio::Sfx::Click);
        ui::GameState s;
        s.kind = ui::ScreenKind::Licenses;
        c.push(s);
        return true;
    }

    // One row a control: the action at the reading start, then its keys, then its buttons.
    void controlsTable(ui::Ctx& c, const AboutLayout& L) {
        cairo_t* cr = c.cr;
        const ui::Rect& t = L.controls;
        const ui::Mirror m(t);
        const double rowH = L.controlsRowH, capH = std::round(0.74 * rowH);
        const double actionW = 0.42 * t.w, keysW = 0.38 * t.w;
        const ui::TextStyle capStyle = style(std::round(0.46 * rowH), true, theme::kText, 0);
        for (size_t i = 0; i < controlRows().size(); ++i) {
            const ControlRow& row = controlRows()[i];
            const double y = t.y + i * rowH, cy = y + rowH / 2;
            if (y > c.h || y + rowH < 0) continue;
            ui::TextStyle st = style(std::round(0.52 * rowH), false, theme::kText, actionW - 8);
            st.align = ui::Align::Left;
            double tw = 0, th = 0;
            ui::measureText(cr, i18n::tr(row.action), st, &tw, &th);
            ui::drawText(cr, m.x(t.x), cy - th / 2, i18n::tr(row.action), m.text(st));
            double x = t.x + actionW;
            for (const char* key : row.keys) {
                double kw = 0, kh = 0;
                ui::measureText(cr, key, capStyle, &kw, &kh);
                const ui::Rect cap = m.rect({x, cy - capH / 2, std::max(kw + 12, capH), capH});
                ui::fillRoundedRect(cr, cap, 5, theme::kBgElevated, 1);
                ui::strokeRoundedRect(cr, cap.inset(0.5), 5, 1, theme::kBorder, 1);
                ui::drawTextCentered(cr, cap.cx(), cap.cy(), key, capStyle);
                x += cap.w + 4;
            }
            x = t.x + actionW + keysW;
            for (const char* button : row.buttons) {
                double bw = 0, bh = 0;
                ui::TextStyle bs = capStyle;
                const uint32_t face = buttonColour(button);
                const bool letter = face != theme::kTextMuted;
                if (letter) bs.color = 0xFFFFFF;
                ui::measureText(cr, button, bs, &bw, &bh);
                const ui::Rect cap = m.rect({x, cy - capH / 2, std::max(bw + 12, capH), capH});
                ui::fillRoundedRect(cr, cap, capH / 2, letter ? face : theme::kBgElevated, 1);
                if (!letter) ui::strokeRoundedRect(cr, cap.inset(0.5), capH / 2, 1, face, 1);
                ui::drawTextCentered(cr, cap.cx(), cap.cy(), button, bs);
                x += cap.w + 4;
            }
        }
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
    // Wide windows show the keys on a panel of their own beside the credits.
    const double tableW = 440, between = 20;
    L.controlsBeside = w >= pw + between + tableW + 40;
    L.controlsRowH = R(26);
    if (L.controlsBeside) {
        const double x0 = (w - pw - between - tableW) / 2;
        L.panel.x = ui::Mirror(0, w).on() ? x0 + tableW + between : x0;
        L.controlsPanel = {ui::Mirror(0, w).on() ? x0 : x0 + pw + between, kPanelTop, tableW,
                           kControlRows * L.controlsRowH + 2 * R(20)};
        L.controls = L.controlsPanel.inset(R(20));
    }

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
    L.licensesButton = {L.panel.cx() - bw / 2, y, bw, static_cast<double>(R(46))};
    y += R(56);
    if (!L.controlsBeside) {
        L.controls = {L.panel.x + R(24), y, pw - 2 * R(24), kControlRows * L.controlsRowH};
        y += L.controls.h + R(20);
    }
    L.contentH = y + scroll - kPanelTop;
    return L;
}

std::unique_ptr<ui::Screen> makeAbout() {
    return std::make_unique<About>();
}

}  // namespace screens
