// The settings screen: music and effect volumes, full screen, the language sheet, the reset of
// all progress behind a confirmation, and reduced motion. Every change takes effect at once and is
// stored.
#include "screens/settings.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/storage.h"
#include "i18n/i18n.h"
#include "platform/audio.h"
#include "screens/common.h"
#include "screens/screens.h"
#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/focus.h"
#include "ui/mirror.h"
#include "ui/motion.h"
#include "ui/widgets.h"

namespace screens {

namespace {

constexpr int kEscape = 27;
constexpr double kRowH = 44;
constexpr uint32_t kWhite = 0xFFFFFF;
// A stored settings file costs a write, an fsync and a rename, tens of milliseconds on a real
// disk: a slider drag stores at most this often and once more when the pointer lets go.
constexpr double kDragWriteInterval = 0.5;

ui::TextStyle style(double size, bool bold, uint32_t color, double maxWidth) {
    ui::TextStyle st = theme::textStyle(theme::TextRole::Body, size);
    st.bold = bold;
    st.color = color;
    st.maxWidth = maxWidth;
    return st;
}

}  // namespace

SettingsLayout settingsLayout(double w, double h) {
    SettingsLayout L;
    L.back = ui::Mirror(0, w).rect({16, 12, 104, 34});  // right to left: at the top right
    const double hw = std::min(w - 264, 260.0);
    L.headline = ui::Rect{(w - hw) / 2, 10, hw, 38};
    const double pw = std::min(w - 40, 520.0);
    L.panel = ui::Rect{(w - pw) / 2, 62, pw, h - 62 - 52};
    L.x0 = L.panel.x + 22;
    L.cw = pw - 44;

    // The blocks sit at fixed heights from 516 units up; lower windows (480 is the smallest)
    // move them closer together instead of stacking the reset button onto the language box.
    const double k = std::clamp((h - 250) / 262, 0.6, 1.0);
    auto at = [&](double y) { return 62 + (y - 62) * k; };
    L.musicY = at(80);
    L.sfxY = at(174);
    L.musicSlider = ui::Rect{L.x0, L.musicY + 44, L.cw, 30};
    L.sfxSlider = ui::Rect{L.x0, L.sfxY + 44, L.cw, 30};
    const double rowY = at(272);
    L.fullscreenRow = ui::Rect{L.x0, rowY, L.cw, kRowH};
    L.fullscreenSwitch = ui::Rect{L.x0 + L.cw - 54, rowY + 8, 54, 28};
    L.languageY = at(324);
    L.languageBox = ui::Rect{L.x0, L.languageY + 20, L.cw, 46};
    const double resetY =
        std::max(std::min(L.panel.bottom() - 60, 404.0), L.languageBox.bottom() + 10);
    L.reset = ui::Rect{L.x0, resetY, L.cw, 44};
    L.accessibilityY = L.reset.bottom() + 22;
    L.motionRow = ui::Rect{L.x0, L.accessibilityY + 22, L.cw, kRowH};
    L.motionSwitch = ui::Rect{L.x0 + L.cw - 54, L.motionRow.y + 8, 54, 28};
    L.contentBottom = L.motionRow.bottom() + 12;
    return L;
}

SettingsLayout scrolledLayout(const SettingsLayout& L, double offset) {
    SettingsLayout s = L;
    for (double* y : {&s.musicY, &s.sfxY, &s.languageY, &s.accessibilityY, &s.contentBottom})
        *y -= offset;
    for (ui::Rect* r : {&s.musicSlider, &s.sfxSlider, &s.fullscreenRow, &s.fullscreenSwitch,
                        &s.languageBox, &s.reset, &s.motionRow, &s.motionSwitch})
        r->y -= offset;
    return s;
}

ui::Rect languageSheetRect(double w, double h) {
    const double sw = std::min(w - 48, 360.0);
    const double sh = std::min(0.75 * h, h - 80);
    return ui::Rect{(w - sw) / 2, (h - sh) / 2, sw, sh};
}

std::string volumePercent(double v) {
    return std::to_string(static_cast<int>(v * 100 + 0.5)) + " %";
}

namespace {

class Settings : public ui::Screen {
  public:
    ~Settings() override {
        // Leaving by any other way than the two exits must not lose a drag's last value.
        if (writePending_) ui::Game::persistSettings();
    }

    void update(ui::Ctx& c) override {
        drawWallpaper(c);
        // An open sheet or dialog owns the pointer: the controls beneath are drawn without it,
        // so they neither take its click nor show hover, press or a slider drag.
        const bool overlay = langOpen_ || confirmOpen_;
        const ui::Input input = c.in;
        if (overlay) {
            c.in = ui::Input{};
            c.in.mouseX = c.in.mouseY = -1e9;
        }
        const bool left = controls(c);
        // Without an overlay the controls keep the frame's input, keys they claimed removed.
        if (overlay) c.in = input;
        if (left) return;

        if (confirmOpen_) {
            const int r = ui::confirmDialog(
                c, i18n::tr("settings.resetTitle"), i18n::tr("settings.resetMessage"),
                i18n::tr("settings.resetConfirm"), i18n::tr("settings.resetCancel"));
            if (r == 1) store::resetProgress();
            // Escape answers the question with "cancel", as in any dialog.
            if (r != 0 || c.in.hasKey(kEscape)) confirmOpen_ = false;
        } else if (langOpen_) {
            drawLanguageSheet(c);
        } else if (c.in.hasKey(kEscape)) {
            leave(c);
            return;
        }
        settleWrite(c);
    }

  private:
    // Everything under the overlays; returns true when the back button left the screen.
    bool controls(ui::Ctx& c) {
        const SettingsLayout base = settingsLayout(c.w, c.h);
        if (ui::pillButton(c, base.back, i18n::tr("settings.back"), ui::PillIcon::Back)) {
            audio::play(audio::Sfx::Click);
            leave(c);
            return true;
        }
        ui::titleCard(c, base.headline, i18n::tr("settings.headline"), "");
        ui::panel(c.cr, base.panel, 0.94);

        // A window too low for the whole panel scrolls its content, clipped to the panel; a
        // press outside the panel is kept from the controls scrolled out of it.
        const double contentH = base.contentBottom - base.panel.y;
        ui::applyScroll(c, base.panel, contentH, &scroll_);
        const bool pressOutside = c.in.pressed && !c.clickUsed && !c.hover(base.panel);
        if (pressOutside) c.clickUsed = true;
        cairo_save(c.cr);
        cairo_rectangle(c.cr, base.panel.x, base.panel.y, base.panel.w, base.panel.h);
        cairo_clip(c.cr);
        const int first = c.focusCount();
        panelContent(c, scrolledLayout(base, scroll_));
        cairo_restore(c.cr);
        ui::scrollToFocus(c, first, c.focusCount(), base.panel, contentH, &scroll_);
        ui::scrollbar(c, base.panel, contentH, scroll_);
        if (pressOutside) c.clickUsed = false;
        ui::footer(c, c.h);
        return false;
    }

    void panelContent(ui::Ctx& c, const SettingsLayout& L) {
        store::Settings& s = c.settings();

        section(c, L, L.musicY, i18n::tr("settings.music"));
        const double music =
            volumeRow(c, L, L.musicY + 20, i18n::tr("settings.musicVolume"), s.musicVolume);
        if (std::fabs(music - s.musicVolume) > 0.001) {
            s.musicVolume = music;
            audio::setMusicVolume(music);
            if (music <= 0)
                audio::stopMusic();
            else
                audio::startMusic();
            updateSoundOn(s);
            writeSoon(c);
        }

        section(c, L, L.sfxY, i18n::tr("settings.sfx"));
        const double sfx =
            volumeRow(c, L, L.sfxY + 20, i18n::tr("settings.sfxVolume"), s.sfxVolume);
        if (std::fabs(sfx - s.sfxVolume) > 0.001) {
            s.sfxVolume = sfx;
            audio::setSfxVolume(sfx);
            updateSoundOn(s);  // first, so that the sample below is heard when sound was off
            if (sfx > 0) audio::play(audio::Sfx::Click);
            writeSoon(c);
        }

        if (toggleRow(c, L, L.fullscreenRow, L.fullscreenSwitch, i18n::tr("settings.fullscreen"),
                      s.fullscreen)) {
            // The main loop sees the changed setting and switches the window.
            s.fullscreen = !s.fullscreen;
            audio::play(audio::Sfx::Click);
            persist(c);
        }

        section(c, L, L.languageY, i18n::tr("settings.language"));
        if (languageBox(c, L.languageBox, currentLanguageLabel(s))) {
            audio::play(audio::Sfx::Click);
            langOpen_ = true;
        }

        if (ui::dangerButton(c, L.reset, i18n::tr("settings.resetProgress"))) {
            audio::play(audio::Sfx::Click);
            confirmOpen_ = true;
        }

        section(c, L, L.accessibilityY, i18n::tr("settings.accessibility"));
        // The switch shows what is in effect, the desktop's choice included; turning it makes
        // the player's own.
        const bool reduced = ui::effectiveReduceMotion(s);
        if (toggleRow(c, L, L.motionRow, L.motionSwitch, i18n::tr("settings.reduceMotion"),
                      reduced)) {
            s.reduceMotion = !reduced;
            audio::play(audio::Sfx::Click);
            persist(c);
        }
    }

    // Right to left, every row starts at the panel's right edge and its number or switch sits
    // at the left one.
    static ui::Mirror rowMirror(const SettingsLayout& L) { return ui::Mirror(L.x0, L.x0 + L.cw); }

    void section(ui::Ctx& c, const SettingsLayout& L, double y, const std::string& text) {
        const ui::Mirror m = rowMirror(L);
        ui::drawText(c.cr, m.x(L.x0), y, text, m.text(style(12, true, theme::kTextMuted, L.cw)));
    }

    // Label, percentage and slider of one volume; returns the slider's value.
    double volumeRow(ui::Ctx& c, const SettingsLayout& L, double y, const std::string& label,
                     double value) {
        const ui::Mirror m = rowMirror(L);
        ui::drawText(c.cr, m.x(L.x0), y, label, m.text(style(15, false, theme::kText, L.cw - 60)));
        ui::TextStyle vs = style(14, false, theme::kTextMuted, 0);
        vs.align = ui::Align::Right;
        ui::drawText(c.cr, m.x(L.x0 + L.cw), y, volumePercent(value), m.text(vs));
        return ui::slider(c, ui::Rect{L.x0, y + 24, L.cw, 30}, value);
    }

    // Separator, label and switch; returns true when the row was clicked.
    bool toggleRow(ui::Ctx& c, const SettingsLayout& L, const ui::Rect& row, const ui::Rect& sw,
                   const std::string& label, bool on) {
        cairo_t* cr = c.cr;
        const ui::Mirror m = rowMirror(L);
        ui::drawLine(cr, L.x0, row.y - 0.5, L.x0 + L.cw, row.y - 0.5, 1, theme::kBorder, 1);
        ui::drawText(cr, m.x(L.x0), row.y + 11, label,
                     m.text(style(16, false, theme::kText, L.cw - 80)));
        ui::fillRoundedRect(cr, m.rect(sw), 14, on ? theme::kAccent : theme::kTextMuted, 1);
        const double knobX = on ? sw.right() - 14 : sw.x + 14;
        ui::fillCircle(cr, m.x(knobX), sw.cy(), 11, kWhite, 1);
        const ui::FocusHit focus = c.focusable(row);
        // Reaching past the row's ends, where the label starts, but not into the rows above and
        // below.
        if (focus.ring)
            ui::drawFocusRing(cr, ui::Rect{row.x - 8, row.y + 4, row.w + 16, row.h - 8}, 10);
        return c.takeClick(row) || focus.activated;
    }

    // Returns whether the box was chosen, which opens the sheet.
    bool languageBox(ui::Ctx& c, const ui::Rect& box, const std::string& label) {
        cairo_t* cr = c.cr;
        const ui::FocusHit focus = c.focusable(box);
        const ui::Mirror m(box);
        ui::fillRoundedRect(cr, box, 12, theme::kTubeBg, 0.6);
        ui::strokeRoundedRect(cr, box.inset(0.5), 12, 1, theme::kBorder, 1);
        ui::drawText(cr, m.x(box.x + 14), box.y + 12, label,
                     m.text(style(16, true, theme::kText, box.w - 50)));
        ui::drawCaret(cr, m.x(box.right() - 20), box.y + 23, 14, theme::kTextMuted, 1);
        // Inside the box, clear of the heading just above it.
        if (focus.ring) ui::drawFocusRing(cr, box.inset(ui::kFocusRingReach), 5);
        return c.takeClick(box) || focus.activated;
    }

    // The stored code when it names a built-in language, otherwise "" (the system language).
    static std::string knownLanguage(const store::Settings& s) {
        for (const i18n::Language& l : i18n::languages())
            if (l.code == s.language) return l.code;
        return "";
    }

    static std::string currentLanguageLabel(const store::Settings& s) {
        for (const i18n::Language& l : i18n::languages())
            if (!s.language.empty() && l.code == s.language) return l.nativeName;
        return i18n::tr("settings.languageSystem");
    }

    void drawLanguageSheet(ui::Ctx& c) {
        cairo_t* cr = c.cr;
        ui::fillRect(cr, ui::Rect{0, 0, c.w, c.h}, 0x000000, 0.4);
        const ui::Rect sheet = languageSheetRect(c.w, c.h);
        ui::fillRoundedRect(cr, sheet, 16, theme::kBg, 1);
        ui::strokeRoundedRect(cr, sheet.inset(0.5), 16, 1, theme::kBorder, 1);

        const double contentH = (i18n::languages().size() + 1) * kRowH;
        ui::applyScroll(c, sheet, contentH, &langScroll_);

        // A press is the sheet's to judge only if nothing took it before (the box press that
        // opened the sheet this frame did). Rows stick out of the sheet where they are cut
        // off, so a press outside the sheet is kept from them.
        const bool freePress = c.in.pressed && !c.clickUsed;
        if (freePress && !c.hover(sheet)) c.clickUsed = true;

        // The sheet is modal for the focus, which starts on the language in use and scrolls
        // with it.
        c.focusLayer();
        scrollToFocusedRow(c, sheet, contentH);
        const std::optional<std::string> picked = languageRows(c, sheet);
        ui::scrollbar(c, sheet, contentH, langScroll_);

        if (picked) {
            pick(c, *picked);
        } else if (freePress || c.in.hasKey(kEscape)) {
            langOpen_ = false;
        }
        c.clickUsed = true;
    }

    // Row i of the sheet (0: System) where the scroll puts it.
    ui::Rect languageRowRect(const ui::Rect& sheet, size_t i) const {
        return ui::Rect{sheet.x, sheet.y + i * kRowH - langScroll_, sheet.w, kRowH};
    }

    // The rows are about to register, from the next place in the focus order on: when one of
    // them has the focus, the sheet scrolls as little as needed to show it whole.
    void scrollToFocusedRow(const ui::Ctx& c, const ui::Rect& sheet, double contentH) {
        if (!c.focusShown()) return;
        const int k = c.focusIndex() - c.focusCount();
        if (k < 0 || k > static_cast<int>(i18n::languages().size())) return;
        const ui::Rect r = languageRowRect(sheet, static_cast<size_t>(k));
        if (r.y < sheet.y) langScroll_ -= sheet.y - r.y;
        if (r.bottom() > sheet.bottom()) langScroll_ += r.bottom() - sheet.bottom();
        langScroll_ = std::clamp(langScroll_, 0.0, std::max(0.0, contentH - sheet.h));
    }

    // Draws the rows clipped to the sheet; returns the code of the row chosen ("" for System),
    // if one was.
    std::optional<std::string> languageRows(ui::Ctx& c, const ui::Rect& sheet) const {
        const std::vector<i18n::Language>& langs = i18n::languages();
        const std::string active = knownLanguage(c.settings());
        std::optional<std::string> picked;
        cairo_save(c.cr);
        ui::roundedRectPath(c.cr, sheet, 16);
        cairo_clip(c.cr);
        for (size_t i = 0; i <= langs.size(); ++i) {
            const ui::Rect row = languageRowRect(sheet, i);
            const std::string code = i == 0 ? "" : langs[i - 1].code;
            if (row.bottom() <= sheet.y || row.y >= sheet.bottom()) {
                c.focusable(row, code == active);  // out of sight, but the focus reaches it
                continue;
            }
            const std::string label =
                i == 0 ? i18n::tr("settings.languageSystem") : langs[i - 1].nativeName;
            // Each name in its own language, so 中文 takes Chinese and 日本語 Japanese forms.
            const char* shaping = i == 0 ? nullptr : i18n::shapingLanguageOf(code);
            if (ui::dropdownRow(c, row, label, code == active, shaping) && !picked) picked = code;
        }
        cairo_restore(c.cr);
        return picked;
    }

    void pick(const ui::Ctx& c, const std::string& code) {
        audio::play(audio::Sfx::Click);
        store::Settings& s = c.settings();
        s.language = code;
        i18n::setLanguage(code);
        persist(c);
        langOpen_ = false;
    }

    void updateSoundOn(store::Settings& s) {
        const bool on = s.musicVolume > 0 || s.sfxVolume > 0;
        if (on == s.soundOn) return;
        s.soundOn = on;
        // Sound switched off at start-up stays off in the mixer until told otherwise.
        audio::setEnabled(on);
        if (on && s.musicVolume > 0) audio::startMusic();
    }

    // A volume change: stored at once unless a drag is still running, in which case the writes
    // are spread out (see kDragWriteInterval) and settleWrite stores the final value.
    void writeSoon(const ui::Ctx& c) {
        if (!writePending_) pendingSince_ = c.t;
        writePending_ = true;
    }

    void settleWrite(const ui::Ctx& c) {
        if (!writePending_) return;
        if (!c.in.mouseDown || c.t - pendingSince_ >= kDragWriteInterval) persist(c);
    }

    void persist(const ui::Ctx& c) {
        c.persistSettings();
        writePending_ = false;
    }

    void leave(const ui::Ctx& c) {
        persist(c);
        c.pop();
    }

    bool langOpen_ = false;
    bool confirmOpen_ = false;
    double langScroll_ = 0;
    double scroll_ = 0;  // of the panel's content, in a window too low to show it whole
    bool writePending_ = false;
    double pendingSince_ = 0;
};

}  // namespace

std::unique_ptr<ui::Screen> makeSettings() {
    return std::make_unique<Settings>();
}

}  // namespace screens
