// Contact sheets of the widgets and the rainbow title, written as PNG files through the harness.
//
// Index: cells and labels - buttons sheet - cards, stars and symbols sheet - dialog sheet -
// title sheet - output.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "harness.h"
#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/title.h"
#include "ui/widgets.h"

namespace {

constexpr uint32_t kSand = 0xFBE8C2;  // the first world's sand, where most widgets stand
const char* const kTitle = "Vantrel's Marbles";

// ---- Cells and labels ----

enum class Look { Normal, Hover, Pressed, Disabled };
const char* const kLookNames[4] = {"normal", "hover", "pressed", "disabled"};

void label(cairo_t* cr, double x, double y, const std::string& text, double size = 12,
           uint32_t color = theme::kText) {
    ui::TextStyle st;
    st.size = size;
    st.color = color;
    ui::drawText(cr, x, y, text, st);
}

// A copy of the frame's context whose pointer rests on r in the given look. Pressed also
// presses the button this frame; disabled holds the button down to show there is no press look.
ui::Ctx cellCtx(const ui::Ctx& frame, const ui::Rect& r, Look look) {
    ui::Ctx c = frame;
    c.clickUsed = false;
    c.in = ui::Input{};
    if (look == Look::Normal) {
        c.in.mouseX = -100;
        c.in.mouseY = -100;
        return c;
    }
    c.in.mouseX = r.cx();
    c.in.mouseY = r.cy();
    c.in.mouseDown = look != Look::Hover;
    c.in.pressed = look == Look::Pressed;
    return c;
}

// Ends any slider drag the previous cell started.
void releaseSliders(const ui::Ctx& frame) {
    ui::Ctx c = frame;
    c.in = ui::Input{};
    c.in.mouseX = -100;
    cairo_save(c.cr);
    cairo_rectangle(c.cr, 0, 0, 0, 0);
    cairo_clip(c.cr);
    ui::slider(c, ui::Rect{-500, -500, 100, 30}, 0);
    cairo_restore(c.cr);
}

// ---- Buttons sheet ----

constexpr double kColX = 190, kColW = 230;

double cellX(int col) {
    return kColX + col * kColW;
}

void columnHeads(cairo_t* cr, const char* const names[4]) {
    for (int col = 0; col < 4; ++col)
        label(cr, cellX(col), 10, names[col], 14, theme::kAccent);
}

void buttonSheet(ui::Ctx& ctx) {
    cairo_t* cr = ctx.cr;
    columnHeads(cr, kLookNames);
    double y = 40;

    auto row = [&](const char* name, double h, auto&& draw) {
        label(cr, 12, y + h / 2 - 8, name);
        for (int col = 0; col < 4; ++col)
            draw(col, y);
        y += h + 26;
    };

    row("menu button", 56, [&](int col, double top) {
        const ui::Rect r{cellX(col), top, 200, 56};
        ui::Ctx c = cellCtx(ctx, r, static_cast<Look>(col));
        ui::menuButton(c, r, "Continue", ui::MenuBtnOpts{false, col == 3, -1, 20});
    });
    row("menu, primary", 56, [&](int col, double top) {
        const ui::Rect r{cellX(col), top, 200, 56};
        ui::Ctx c = cellCtx(ctx, r, static_cast<Look>(col));
        ui::menuButton(c, r, "Play level 12", ui::MenuBtnOpts{true, col == 3, -1, 20});
    });
    row("menu, long label", 56, [&](int col, double top) {
        const ui::Rect r{cellX(col), top, 200, 56};
        ui::Ctx c = cellCtx(ctx, r, static_cast<Look>(col));
        ui::menuButton(c, r, "A label far too long for the button",
                       ui::MenuBtnOpts{col % 2 == 1, col == 3, -1, 20});
    });

    // The breathing pulse of the menu's buttons at its smallest, middle and largest.
    row("breathing -1 | 0 | +1", 56, [&](int col, double top) {
        const ui::Rect r{cellX(col), top, 200, 56};
        const double times[4] = {2.55, 0, 0.85, 0.85};
        ui::Ctx c = cellCtx(ctx, r, col == 3 ? Look::Disabled : Look::Normal);
        c.t = times[col];
        ui::menuButton(c, r, col == 3 ? "+1, disabled" : "Levels",
                       ui::MenuBtnOpts{true, col == 3, 0, 20});
        ui::strokeRoundedRect(c.cr, r, 18, 1, theme::kText, 0.5);  // the laid-out rectangle
    });

    const char* const pillNames[4] = {"pill, no icon", "pill, Back", "pill, Undo", "pill, Restart"};
    const char* const pillLabels[4] = {"Hint", "Menu", "Undo", "Restart"};
    for (int icon = 0; icon < 4; ++icon) {
        row(pillNames[icon], 34, [&](int col, double top) {
            const ui::Rect r{cellX(col), top, 120, 34};
            ui::Ctx c = cellCtx(ctx, r, static_cast<Look>(col));
            ui::pillButton(c, r, pillLabels[icon], static_cast<ui::PillIcon>(icon), col == 3);
        });
    }
    row("pill, 52 high", 52, [&](int col, double top) {
        const ui::Rect r{cellX(col), top, 170, 52};
        ui::Ctx c = cellCtx(ctx, r, static_cast<Look>(col));
        ui::pillButton(c, r, "Restart", ui::PillIcon::Restart, col == 3);
    });
    row("plain button", 46, [&](int col, double top) {
        const ui::Rect r{cellX(col), top, 180, 46};
        ui::Ctx c = cellCtx(ctx, r, static_cast<Look>(col));
        ui::plainButton(c, r, "Cancel", col == 3);
    });
    row("danger button", 44, [&](int col, double top) {
        if (col == 3) {
            label(cr, cellX(col), top + 14, "(has no disabled form)", 12, theme::kTextMuted);
            return;
        }
        const ui::Rect r{cellX(col), top, 180, 44};
        ui::Ctx c = cellCtx(ctx, r, static_cast<Look>(col));
        ui::dangerButton(c, r, "Reset progress");
    });

    // Chips, rows and sliders have other looks than the four states; they get their own heads.
    y += 6;
    const char* const chipHeads[4] = {"inactive", "active", "inactive, marked", "active, hover"};
    for (int col = 0; col < 4; ++col)
        label(cr, cellX(col), y, chipHeads[col], 14, theme::kAccent);
    y += 26;
    row("page chip", 34, [&](int col, double top) {
        const ui::Rect r{cellX(col), top, 84, 34};
        ui::Ctx c = cellCtx(ctx, r, col == 3 ? Look::Hover : Look::Normal);
        ui::pageChip(c, r, col == 1 || col == 3 ? "11\u201320" : "101\u2013105", col % 2 == 1,
                     col == 2);
    });
    row("dropdown row", 48, [&](int col, double top) {
        const ui::Rect r{cellX(col), top, 210, 48};
        ui::Ctx c = cellCtx(ctx, r, col == 2 || col == 3 ? Look::Hover : Look::Normal);
        ui::dropdownRow(c, r, col == 2 ? "Fran\u00E7ais (hover)" : "Deutsch", col % 2 == 1);
    });

    const char* const sliderHeads[4] = {"value -0.5", "value 0.35", "value 1", "dragging"};
    for (int col = 0; col < 4; ++col)
        label(cr, cellX(col), y, sliderHeads[col], 14, theme::kAccent);
    y += 26;
    row("slider", 30, [&](int col, double top) {
        const ui::Rect r{cellX(col), top, 200, 30};
        const double values[4] = {-0.5, 0.35, 1, 0.2};
        ui::Ctx c = cellCtx(ctx, r, col == 3 ? Look::Pressed : Look::Normal);
        if (col == 3) c.in.mouseX = r.x + 11 + 0.7 * (r.w - 22);  // grabbed at 70 %
        ui::slider(c, r, values[col]);
        releaseSliders(ctx);
    });
}

// ---- Cards, stars and symbols sheet ----

void cardSheet(ui::Ctx& ctx) {
    cairo_t* cr = ctx.cr;
    label(cr, 12, 8, "title cards: with sub | without | 30 high | long title", 14, theme::kAccent);
    ui::titleCard(ctx, ui::Rect{12, 32, 220, 56}, "Level 12", "Sandy Beach");
    ui::titleCard(ctx, ui::Rect{252, 32, 220, 38}, "Level 12", "");
    ui::titleCard(ctx, ui::Rect{492, 32, 160, 30}, "Settings", "");
    ui::titleCard(ctx, ui::Rect{672, 32, 200, 38}, "A headline much too long for its card", "");

    label(cr, 12, 108, "panel alpha 1 | 0.6 | cards: normal | highlighted | dimmed", 14,
          theme::kAccent);
    ui::panel(cr, ui::Rect{12, 132, 150, 120}, 1);
    ui::panel(cr, ui::Rect{182, 132, 150, 120}, 0.6);
    const char* const cardNames[3] = {"normal", "highlighted", "dimmed"};
    for (int i = 0; i < 3; ++i) {
        const ui::Rect r{352 + i * 180.0, 132, 160, 140};
        ui::card(cr, r, i == 1, i == 2);
        label(cr, r.x + 14, r.y + 100, cardNames[i]);
        ui::starsInline(cr, r.x + r.w / 2, r.y + 124, 2 - i, 6);
    }
    ui::drawLock(cr, 352 + 2 * 180.0 + 160 - 16, 132 + 16, 16, theme::kTextMuted, 0.9);
    ui::fillRoundedRect(cr, ui::Rect{352 + 160 - 28, 138, 22, 18}, 9, theme::kAccent, 1);
    ui::drawCheck(cr, 352 + 160 - 17, 147, 11, 0x1A1A1A, 1);

    // Star rows: every star count, then the reveal of three stars over time.
    label(cr, 12, 292, "starRow 0 | 1 | 2 | 3 stars (no reveal), scale 1", 14, theme::kAccent);
    for (int s = 0; s <= 3; ++s)
        ui::starRow(ctx, 110 + s * 220.0, 346, s, 1, 0, -1);
    label(cr, 12, 400, "reveal of 3 stars, revealT 0.3 | 0.5 | 0.7 | 0.9 | 1.1 | 1.6, scale 0.6",
          14, theme::kAccent);
    const double reveals[6] = {0.3, 0.5, 0.7, 0.9, 1.1, 1.6};
    for (int i = 0; i < 6; ++i) {
        ui::starRow(ctx, 80 + i * 150.0, 446, 3, 0.6, 0, reveals[i]);
        ui::drawLine(cr, 80 + i * 150.0, 424, 80 + i * 150.0, 480, 1, theme::kAccent, 0.5);
    }

    label(cr, 12, 492, "starsInline 0-3 (size 6, 10; the line marks cx) | drawStar", 14,
          theme::kAccent);
    for (int s = 0; s <= 3; ++s) {
        const double cx = 60 + s * 110.0;
        ui::drawLine(cr, cx, 512, cx, 560, 1, theme::kAccent, 0.5);
        ui::starsInline(cr, cx, 524, s, 6);
        ui::starsInline(cr, cx, 548, s, 10);
    }
    ui::drawStar(cr, 500, 536, 22, true, theme::kStarGold, 1);
    ui::drawStar(cr, 560, 536, 22, false, theme::kStarDim, 0.4);
    ui::drawStar(cr, 620, 536, 22, true, theme::kStarGold, 0.5);
    ui::drawStar(cr, 670, 536, 10, true, theme::kAccent, 1);

    label(cr, 12, 580, "check | lock | caret at sizes 11, 16, 24, 40", 14, theme::kAccent);
    const double sizes[4] = {11, 16, 24, 40};
    for (int i = 0; i < 4; ++i) {
        const double x = 40 + i * 60.0;
        ui::drawCheck(cr, x, 630, sizes[i], theme::kText, 1);
        ui::drawLock(cr, x + 260, 630, sizes[i], theme::kTextMuted, 0.9);
        ui::drawCaret(cr, x + 520, 630, sizes[i], theme::kText, 1);
    }

    label(cr, 12, 670,
          "scrollbar: short content | offset 0 | middle | end | content 20x (bar at least 30)", 14,
          theme::kAccent);
    const double contents[5] = {100, 300, 300, 300, 2400};
    const double offsets[5] = {0, 0, 70, 140, 1130};
    for (int i = 0; i < 5; ++i) {
        const ui::Rect vp{12 + i * 150.0, 694, 130, 160};
        ui::strokeRoundedRect(cr, vp, 4, 1, theme::kBorder, 1);
        ui::scrollbar(ctx, vp, contents[i], offsets[i]);
    }

    char text[160];
    std::snprintf(text, sizeof text, "formatTime 61000 = %s, 3600000 = %s, 0 = %s",
                  ui::formatTime(61000).c_str(), ui::formatTime(3600000).c_str(),
                  ui::formatTime(0).c_str());
    label(cr, 780, 700, text);
    std::snprintf(text, sizeof text, "formatDate 1700000000000 = %s",
                  ui::formatDate(1700000000000LL).c_str());
    label(cr, 780, 720, text);
    label(cr, 780, 740, "footer at the sheet's bottom:");
    ui::footer(ctx, ctx.h);
}

// ---- Dialog sheet ----

void dialogScene(ui::Ctx& ctx) {
    cairo_t* cr = ctx.cr;
    // Something to dim behind the dialog.
    ui::panel(cr, ui::Rect{16, 60, ctx.w - 32, ctx.h - 100}, 0.9);
    ui::Ctx behind = ctx;
    behind.in = ui::Input{};
    ui::pillButton(behind, ui::Rect{16, 12, 104, 34}, "Menu", ui::PillIcon::Back);
    ui::titleCard(behind, ui::Rect{ctx.w / 2 - 100, 10, 200, 38}, "Settings", "");
    ui::slider(behind, ui::Rect{40, 90, ctx.w - 80, 30}, 0.6);
    // The pointer rests on the confirm button.
    const ui::DialogLayout d = ui::dialogLayout(ctx.w, ctx.h);
    ui::Ctx c = cellCtx(ctx, d.confirm, Look::Hover);
    ui::confirmDialog(c, "Reset progress?",
                      "All stars, records and unlocked levels will be deleted. This cannot be "
                      "undone.",
                      "Reset", "Cancel");
}

// ---- Title sheet ----

void titleSheet(ui::Ctx& ctx) {
    cairo_t* cr = ctx.cr;
    const double cx = ctx.w / 2;
    struct Row {
        const char* name;
        double t;
        bool cached, spin;
        double size;
    };
    // t 0.64 puts glyph 0 half-way through its spin (180 degrees, size x 1.22).
    const Row rows[] = {
        {"t = 0, cached (on screen)", 0, true, true, 62},
        {"t = 0, direct", 0, false, true, 62},
        {"t = 0.64 mid-spin, cached", 0.64, true, true, 62},
        {"t = 0.64 mid-spin, direct", 0.64, false, true, 62},
        {"t = 0.64, direct without spin (colours only)", 0.64, false, false, 62},
        {"t = 2.0, cached, size 48", 2.0, true, true, 48},
        {"t = 2.0, cached, size 33", 2.0, true, true, 33},
    };
    double y = 14;
    for (const Row& row : rows) {
        label(cr, 12, y, row.name, 13, 0xFFFFFF);
        ui::Ctx c = ctx;
        c.t = row.t;
        const double top = y + 22;
        double w = 0;
        if (row.cached)
            w = ui::drawRainbowTitle(c, cx, top, kTitle, row.size);
        else
            w = ui::drawRainbowTitleCairo(cr, cx, top, kTitle, row.size, row.t, row.spin);
        // Ticks at the measured ends of the title.
        ui::drawLine(cr, cx - w / 2, top - 6, cx - w / 2, top, 1, 0xFFFFFF, 0.8);
        ui::drawLine(cr, cx + w / 2, top - 6, cx + w / 2, top, 1, 0xFFFFFF, 0.8);
        y = top + row.size * 1.45 + 12;
    }
}

// ---- Output ----

bool writeSheet(const std::string& dir, const char* name, int w, int h, double scale, double t,
                uint32_t background, harness::RendererKind kind, void (*scene)(ui::Ctx&)) {
    harness::Canvas canvas(harness::Options{w, h, scale, kind, false});
    if (!canvas.ok()) {
        std::fprintf(stderr, "%s: no renderer: %s\n", name, SDL_GetError());
        return false;
    }
    canvas.frame(t, scene, background);
    const std::string path = dir + "/" + name;
    const bool ok = canvas.snapshot().writePng(path);
    std::printf("%s %s (%s, scale %.0f)\n", ok ? "wrote" : "FAILED", path.c_str(),
                canvas.rendererName().c_str(), scale);
    return ok;
}

// The dialog in a roomy and in a cramped window, side by side.
bool writeDialogs(const std::string& dir, harness::RendererKind kind) {
    harness::Image sides[2];
    const int sizes[2][2] = {{640, 480}, {340, 260}};
    for (int i = 0; i < 2; ++i) {
        harness::Canvas canvas(harness::Options{sizes[i][0], sizes[i][1], 1.0, kind, false});
        if (!canvas.ok()) return false;
        canvas.frame(1.0, dialogScene, kSand);
        sides[i] = canvas.snapshot();
    }
    const std::string path = dir + "/dialog.png";
    const bool ok = harness::Image::besideEachOther(sides[0], sides[1], 8, 0x000000).writePng(path);
    std::printf("%s %s (640 x 480 | 340 x 260)\n", ok ? "wrote" : "FAILED", path.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = "sheets_ui";
    auto kind = harness::RendererKind::Accelerated;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--software") == 0)
            kind = harness::RendererKind::Software;
        else
            dir = argv[i];
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);

    const uint32_t sky = theme::worlds()[0].sky[0];
    bool ok = true;
    ok &= writeSheet(dir, "widgets_buttons.png", 1120, 1092, 1.0, 1.0, kSand, kind, buttonSheet);
    ok &= writeSheet(dir, "widgets_buttons_hidpi.png", 1120, 1092, 2.0, 1.0, kSand, kind,
                     buttonSheet);
    ok &= writeSheet(dir, "widgets_cards.png", 1240, 870, 1.0, 1.0, kSand, kind, cardSheet);
    ok &= writeDialogs(dir, kind);
    ok &= writeSheet(dir, "title.png", 900, 830, 1.0, 0.0, sky, kind, titleSheet);
    ok &= writeSheet(dir, "title_hidpi.png", 900, 830, 2.0, 0.0, sky, kind, titleSheet);
    ui::drawShutdown();
    return ok ? 0 : 1;
}
