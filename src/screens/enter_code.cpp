// "Enter a code": a field that takes typing, pasting and Backspace, and a grid of the code's
// characters for a controller or the mouse; a valid code opens its puzzle.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "core/puzzle_code.h"
#include "i18n/i18n.h"
#include "platform/audio.h"
#include "screens/card_pages.h"
#include "screens/common.h"
#include "screens/puzzle_screens.h"
#include "screens/screens.h"
#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/mirror.h"
#include "ui/widgets.h"

namespace screens {
namespace {

// More than any code with spaces and dashes; the rest of a longer paste is not even looked at.
constexpr size_t kMaxPaste = 256;
constexpr int kCols = 11;

// The code as typed so far, in groups of three joined by dashes as codes are written.
std::string grouped(const std::string& code) {
    std::string out;
    for (size_t i = 0; i < code.size(); ++i) {
        if (i > 0 && i % 3 == 0) out += '-';
        out += code[i];
    }
    return out;
}

std::string clipboardText() {
    char* text = SDL_GetClipboardText();
    if (!text) return "";
    std::string out(text, std::min(std::strlen(text), kMaxPaste));
    SDL_free(text);
    return out;
}

class EnterCode : public ui::Screen {
  public:
    void update(ui::Ctx& c) override {
        drawWallpaper(c);
        if (cardListHeader(c, i18n::tr("puzzles.back"), i18n::tr("puzzles.codeHeadline"))) return;
        const CodeLayout L = codeLayout(c.w, c.h);
        const double k = puzzleScreenScale(c.w, c.h);
        // A Space typed into the field is not a press of the focused key.
        spaceTyped_ = c.in.text.find(' ') != std::string::npos && !c.in.pressed;
        typing(c, c.focusCount() + static_cast<int>(L.keys.size()) + 1);
        field(c, L, k);
        if (keys(c, L, k)) return;
        ui::footer(c, c.h);
        if (c.in.hasKey(SDLK_ESCAPE)) c.pop();
    }

  private:
    void add(std::string_view text) {
        const std::string next =
            puzzle::normalizeTyping(code_ + std::string(text.substr(0, kMaxPaste)));
        if (next != code_) bad_ = false;
        code_ = next;
    }
    void erase() {
        if (!code_.empty()) code_.pop_back();
        bad_ = false;
    }

    // Typed text, Ctrl+V, Backspace and Enter. Typing puts the focus on Open (openIndex),
    // unless it is on the grid beneath, so that Enter opens the code at once.
    void typing(ui::Ctx& c, int openIndex) {
        const bool paste = c.in.ctrl && c.in.hasKey(SDLK_v);
        const bool typed = !c.in.text.empty() || c.in.hasKey(SDLK_BACKSPACE) || paste;
        add(c.in.text);
        if (paste) add(clipboardText());
        if (c.in.hasKey(SDLK_BACKSPACE)) erase();
        const int gridFirst = openIndex - static_cast<int>(puzzle::kCodeAlphabet.size()) - 1;
        const bool onGrid =
            c.focusShown() && c.focusIndex() >= gridFirst && c.focusIndex() <= openIndex;
        if (typed && !onGrid) c.setFocus(openIndex);
        // Enter the focus left alone: no element was focused.
        if (c.in.hasKey(SDLK_RETURN) || c.in.hasKey(SDLK_KP_ENTER)) open(c);
    }

    void field(ui::Ctx& c, const CodeLayout& L, double k) {
        ui::fillRoundedRect(c.cr, L.field, 12 * k, theme::kTubeBg, 1);
        ui::strokeRoundedRect(c.cr, L.field.inset(1), 12 * k, 2,
                              bad_ ? theme::kAccentMuted : theme::kTubeBorder, 1);
        const double maxW = L.field.w - 24 * k;
        if (code_.empty()) {
            ui::drawTextCentered(c.cr, L.field.cx(), L.field.cy(), i18n::tr("puzzles.codeHint"),
                                 ui::widgetTextStyle(16 * k, false, theme::kTextMuted, 1, maxW));
        } else {
            ui::TextStyle st = ui::widgetTextStyle(26 * k, true, theme::kText, 1, maxW);
            st.family = "monospace";
            ui::drawTextCentered(c.cr, L.field.cx(), L.field.cy(), grouped(code_), st);
        }
        if (bad_)
            ui::drawTextCentered(
                c.cr, L.message.cx(), L.message.cy(), i18n::tr("puzzles.codeBad"),
                ui::widgetTextStyle(15 * k, true, theme::kAccentMuted, 1, L.message.w));
    }

    // The grid of characters, Delete and Open; true when a code was opened.
    bool keys(ui::Ctx& c, const CodeLayout& L, double k) {
        for (size_t i = 0; i < L.keys.size(); ++i) {
            const std::string ch(1, puzzle::kCodeAlphabet[i]);
            if (ui::plainButton(c, L.keys[i], ch) && !spaceTyped_) add(ch);
        }
        if (ui::plainButton(c, L.erase, i18n::tr("puzzles.codeDelete")) && !spaceTyped_) erase();
        ui::MenuBtnOpts o;
        o.primary = true;
        o.fontSize = 16 * k;
        return ui::menuButton(c, L.open, i18n::tr("puzzles.codeOpen"), o) && !spaceTyped_ &&
               open(c);
    }

    // Opens the puzzle of a whole, valid code; anything else is told in the field.
    bool open(ui::Ctx& c) {
        const auto id = puzzle::decode(code_);
        if (!id) {
            bad_ = true;
            audio::play(audio::Sfx::Illegal);
            return false;
        }
        audio::play(audio::Sfx::Click);
        ui::GameState s;
        s.kind = ui::ScreenKind::Playing;
        s.code = puzzle::encode(*id);
        c.push(s);
        return true;
    }

    std::string code_;
    bool bad_ = false;
    bool spaceTyped_ = false;
};

}  // namespace

CodeLayout codeLayout(double w, double h) {
    const double k = puzzleScreenScale(w, h);
    CodeLayout L;
    const double fw = std::min(w - 32, 420 * k);
    L.field = {(w - fw) / 2, 62 * k, fw, 54 * k};
    L.message = {16, L.field.bottom() + 4 * k, w - 32, 28 * k};
    const double gap = 6 * k;
    const double kw = std::min(48 * k, (w - 32 - (kCols - 1) * gap) / kCols);
    const double kh = 38 * k;
    const double gridW = kCols * kw + (kCols - 1) * gap;
    const double x0 = (w - gridW) / 2, y0 = L.message.bottom() + 6 * k;
    // The alphabet reads left to right in every language, like the code itself.
    for (size_t i = 0; i < puzzle::kCodeAlphabet.size(); ++i) {
        const int col = static_cast<int>(i) % kCols, row = static_cast<int>(i) / kCols;
        L.keys.push_back({x0 + col * (kw + gap), y0 + row * (kh + gap), kw, kh});
    }
    const double rows = (puzzle::kCodeAlphabet.size() + kCols - 1) / kCols;
    const double y = y0 + rows * (kh + gap) + 6 * k;
    const double half = (gridW - gap) / 2;
    const ui::Mirror m(0, w);
    L.erase = m.rect({x0, y, half, 44 * k});
    L.open = m.rect({x0 + half + gap, y, half, 44 * k});
    return L;
}

std::unique_ptr<ui::Screen> makeEnterCode() {
    return std::make_unique<EnterCode>();
}

}  // namespace screens
