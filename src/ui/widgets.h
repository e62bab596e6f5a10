// Immediate-mode widgets of every screen: buttons, cards, chips, sliders, stars, dialogs,
// scrolling.
//
// Each interactive widget draws itself into the frame's cairo context and reports in the same
// call whether it took this frame's click (ui::Ctx::takeClick on the rectangle passed in) or
// was activated by the keyboard or a controller: every interactive widget registers as a
// focusable element (ui/focus.h) and draws the focus ring while it has it. The only state kept
// between frames is the slider's drag. Widgets play no sounds.
//
// Index: buttons - cards and panels - chips and rows - slider - stars and symbols - dialog -
// scrolling - time and date - footer.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

#include "core/daily.h"
#include "ui/app.h"
#include "ui/draw.h"

namespace ui {

// ---- Buttons ----

struct MenuBtnOpts {
    bool primary = false;  // coral face instead of cream
    bool disabled = false;
    int breatheIndex = -1;  // -1: still; otherwise the button's index staggers a gentle pulse
    double fontSize = 20;
};

enum class PillIcon { None = 0, Back = 1, Undo = 2, Restart = 3, Bulb = 4 };

// The raised sand frame most widgets stand on: shadow, bottom edge, face and rim.
void sandFrame(cairo_t* cr, const Rect& r, double radius, uint32_t fill, double fillAlpha,
               uint32_t border, uint32_t borderBottom, double bottomWidth, double shadow);

// The big buttons of the menu and the solved screen. Never clicked while disabled.
bool menuButton(Ctx& ctx, const Rect& r, const std::string& label, const MenuBtnOpts& opts);
// The small rounded buttons of the screen headers, with an optional icon before the label.
bool pillButton(Ctx& ctx, const Rect& r, const std::string& label, PillIcon icon = PillIcon::None,
                bool disabled = false);
// A flat sand button (no hover or press look).
bool plainButton(Ctx& ctx, const Rect& r, const std::string& label, bool disabled = false);
// A flat red-rimmed button for destructive actions.
bool dangerButton(Ctx& ctx, const Rect& r, const std::string& label);

// ---- Cards and panels ----

// A headline on a small raised card; sub may be empty.
void titleCard(Ctx& ctx, const Rect& r, const std::string& title, const std::string& sub);
void panel(cairo_t* cr, const Rect& r, double alpha);
// A level card; dimmed wins over highlighted.
void card(cairo_t* cr, const Rect& r, bool highlighted, bool dimmed);

// ---- Chips and rows ----

// A page tab; marked puts a coral dot in its corner.
bool pageChip(Ctx& ctx, const Rect& r, const std::string& label, bool active, bool marked);
// One row of a drop-down list; the active row is coral with a check mark.
bool dropdownRow(Ctx& ctx, const Rect& r, const std::string& label, bool active,
                 const char* language = nullptr);

// ---- Slider ----

// Draws a slider showing value (clamped to 0-1) and returns the value it shows after this
// frame's input. A drag is told apart from other sliders only by its rectangle's position.
// Focused, Left and Right step it by 5 %.
double slider(Ctx& ctx, const Rect& r, double value);

// ---- Stars and symbols ----

void drawStar(cairo_t* cr, double cx, double cy, double radius, bool filled, uint32_t color,
              double alpha);
// The big three-star display: small, big, small, bottom-aligned on cy + 32 * scale. revealT < 0
// shows the lit stars at once; otherwise they pop in one after another from revealT 0.35 on.
void starRow(Ctx& ctx, double cx, double cy, int stars, double scale, double time, double revealT);
// Three small stars of radius size; the middle one sits size to the right of cx.
void starsInline(cairo_t* cr, double cx, double cy, int stars, double size);
void drawCheck(cairo_t* cr, double cx, double cy, double size, uint32_t color, double alpha);
void drawLock(cairo_t* cr, double cx, double cy, double size, uint32_t color, double alpha);
void drawCaret(cairo_t* cr, double cx, double cy, double size, uint32_t color, double alpha);

// ---- Dialog ----

// A modal question, called every frame while it is open, after the screen's own drawing. It
// swallows the frame's click. Returns 1 when confirmed, -1 when cancelled, 0 otherwise.
int confirmDialog(Ctx& ctx, const std::string& title, const std::string& message,
                  const std::string& confirmLabel, const std::string& cancelLabel);
// Where the dialog puts its box and buttons in a window of w x h.
struct DialogLayout {
    Rect box, cancel, confirm;
};
DialogLayout dialogLayout(double w, double h);

// ---- Scrolling ----

// Moves *offset by the wheel while the pointer is over the viewport and keeps it within
// 0 to max(0, contentH - viewport.h).
void applyScroll(Ctx& ctx, const Rect& viewport, double contentH, double* offset);
// A thin bar at the viewport's right edge, only when the content is taller than the viewport.
void scrollbar(Ctx& ctx, const Rect& viewport, double contentH, double offset);

// ---- Time and date ----

// "MM:SS" of a duration; the minutes grow past two digits when they must.
std::string formatTime(int64_t ms);
// A point in milliseconds since the epoch as a local date and time in the active language's form
// ("14 Nov 2023, 22:13", "14.11.2023 22:13"); "" if the local time cannot be computed.
std::string formatDate(int64_t ms);
// A calendar date alone in the active language's form ("14 Nov 2023", "14.11.2023").
std::string formatDay(const puzzle::Date& d);

// ---- Footer ----

// The maker line with the current year.
std::string makerLine();
// The maker line centred near bottomY.
void footer(Ctx& ctx, double bottomY);

// The widgets' text: sans, centred, shrinking to 60 % at most.
TextStyle widgetTextStyle(double size, bool bold, uint32_t color, double alpha, double maxWidth);

}  // namespace ui
