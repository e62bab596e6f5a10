// Widgets: who takes the click, disabled buttons, the slider's drag, the modal dialog, scrolling,
// stars, frames and the time and date texts.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "i18n/dates.h"
#include "i18n/i18n.h"
#include "theme/theme.h"
#include "ui/focus.h"
#include "ui/widgets.h"

namespace {

// A transparent ARGB32 frame with a context on it, as a screen gets it each frame.
struct Frame {
    cairo_surface_t* s;
    cairo_t* cr;
    ui::Ctx ctx;

    explicit Frame(int w = 640, int h = 480)
        : s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h)), cr(cairo_create(s)) {
        ctx.cr = cr;
        ctx.w = w;
        ctx.h = h;
        ctx.t = 1;
        away();
    }
    ~Frame() {
        cairo_destroy(cr);
        cairo_surface_destroy(s);
    }
    // A new frame's input: the pointer at (x, y), the button held or pressed this frame.
    void pointer(double x, double y, bool down, bool pressed) {
        ctx.in = ui::Input{};
        ctx.in.mouseX = x;
        ctx.in.mouseY = y;
        ctx.in.mouseDown = down;
        ctx.in.pressed = pressed;
        ctx.clickUsed = false;
    }
    void press(double x, double y) { pointer(x, y, true, true); }
    void away() { pointer(-1000, -1000, false, false); }
    void clear() {
        cairo_save(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    std::vector<uint32_t> pixels() {
        cairo_surface_flush(s);
        const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
        const int stride = cairo_image_surface_get_stride(s);
        const unsigned char* data = cairo_image_surface_get_data(s);
        std::vector<uint32_t> out;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                out.push_back(reinterpret_cast<const uint32_t*>(data + y * stride)[x]);
        return out;
    }
    uint32_t at(int x, int y) {
        cairo_surface_flush(s);
        const unsigned char* data = cairo_image_surface_get_data(s);
        return reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(s))[x];
    }
    int alphaAt(int x, int y) { return static_cast<int>(at(x, y) >> 24); }
    uint32_t rgbAt(int x, int y) { return at(x, y) & 0xFFFFFF; }
    bool blank() {
        for (uint32_t p : pixels())
            if (p >> 24) return false;
        return true;
    }
    // Rows with any ink in column x.
    int inkRows(int x) {
        int n = 0;
        for (int y = 0; y < cairo_image_surface_get_height(s); ++y)
            if (alphaAt(x, y) > 0) ++n;
        return n;
    }
};

using Widget = std::function<bool(ui::Ctx&, const ui::Rect&)>;

struct NamedWidget {
    const char* name;
    Widget ask;
};

std::vector<NamedWidget> clickableWidgets() {
    return {
        {"menu", [](ui::Ctx& c,
                    const ui::Rect& r) { return ui::menuButton(c, r, "Play", ui::MenuBtnOpts{}); }},
        {"menu primary",
         [](ui::Ctx& c, const ui::Rect& r) {
             return ui::menuButton(c, r, "Play", ui::MenuBtnOpts{true, false, 2, 20});
         }},
        {"pill",
         [](ui::Ctx& c, const ui::Rect& r) {
             return ui::pillButton(c, r, "Undo", ui::PillIcon::Undo, false);
         }},
        {"plain", [](ui::Ctx& c, const ui::Rect& r) { return ui::plainButton(c, r, "No"); }},
        {"danger", [](ui::Ctx& c, const ui::Rect& r) { return ui::dangerButton(c, r, "Reset"); }},
        {"chip",
         [](ui::Ctx& c, const ui::Rect& r) { return ui::pageChip(c, r, "1-10", false, true); }},
        {"row", [](ui::Ctx& c, const ui::Rect& r) { return ui::dropdownRow(c, r, "Dansk", true); }},
    };
}

// Frame a button is drawn in with the pointer resting on it, held or not.
std::vector<uint32_t> drawnWithPointer(const Widget& w, const ui::Rect& r, bool held) {
    Frame f(300, 160);
    f.pointer(r.cx(), r.cy(), held, false);
    w(f.ctx, r);
    return f.pixels();
}

// TZ for one scope; the old value comes back at the end.
struct ZoneScope {
    std::string old;
    bool had;
    explicit ZoneScope(const char* tz) {
        const char* o = std::getenv("TZ");
        had = o != nullptr;
        if (had) old = o;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~ZoneScope() {
        if (had)
            setenv("TZ", old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
};

}  // namespace

// ---- Clicks ----

TEST(WidgetClicks, OfTwoOverlappingWidgetsOnlyTheFirstAskedTakesTheClick) {
    const ui::Rect front{40, 40, 200, 50}, back{120, 60, 200, 50};
    for (const NamedWidget& w : clickableWidgets()) {
        SCOPED_TRACE(w.name);
        Frame f;
        f.press(150, 70);  // inside both
        EXPECT_TRUE(w.ask(f.ctx, front));
        EXPECT_TRUE(f.ctx.clickUsed);
        EXPECT_FALSE(w.ask(f.ctx, back));

        // Held but not pressed this frame, or pressed on the right or bottom edge: no click.
        f.pointer(150, 70, true, false);
        EXPECT_FALSE(w.ask(f.ctx, front));
        f.press(front.right(), 60);
        EXPECT_FALSE(w.ask(f.ctx, front));
        f.press(60, front.bottom());
        EXPECT_FALSE(w.ask(f.ctx, front));
        f.press(front.x, front.y);
        EXPECT_TRUE(w.ask(f.ctx, front)) << "the top-left edge belongs to the widget";
    }
}

TEST(WidgetClicks, AMenuButtonIsClickedOnItsLaidOutRectangleWhateverItsBreathing) {
    const ui::Rect r{100, 100, 200, 60};
    ui::MenuBtnOpts breathing{false, false, 0, 20};
    Frame f;
    // At t = 2.55 the button has shrunk by 2.2 %: its own left edge still takes the click.
    f.ctx.t = 2.55;
    f.press(100.5, 130);
    EXPECT_TRUE(ui::menuButton(f.ctx, r, "Play", breathing));
    // At t = 0.85 it has grown: the grown margin does not.
    f.ctx.t = 0.85;
    f.press(99, 130);
    EXPECT_FALSE(ui::menuButton(f.ctx, r, "Play", breathing));
    // Pressed, the face moves down by 2, yet its last two rows still answer.
    f.press(200, 159.5);
    EXPECT_TRUE(ui::menuButton(f.ctx, r, "Play", ui::MenuBtnOpts{}));
}

TEST(WidgetClicks, DisabledButtonsNeverReportAClickNorShowAPressOffset) {
    const ui::Rect r{40, 40, 200, 56};
    const std::vector<NamedWidget> disabled = {
        {"menu",
         [](ui::Ctx& c, const ui::Rect& rr) {
             return ui::menuButton(c, rr, "Play", ui::MenuBtnOpts{false, true, -1, 20});
         }},
        {"menu primary",
         [](ui::Ctx& c, const ui::Rect& rr) {
             return ui::menuButton(c, rr, "Play", ui::MenuBtnOpts{true, true, -1, 20});
         }},
        {"pill",
         [](ui::Ctx& c, const ui::Rect& rr) {
             return ui::pillButton(c, rr, "Back", ui::PillIcon::Back, true);
         }},
        {"plain",
         [](ui::Ctx& c, const ui::Rect& rr) { return ui::plainButton(c, rr, "No", true); }},
    };
    for (const NamedWidget& w : disabled) {
        SCOPED_TRACE(w.name);
        Frame f;
        f.press(r.cx(), r.cy());
        EXPECT_FALSE(w.ask(f.ctx, r));
        EXPECT_FALSE(f.ctx.clickUsed) << "the click is left to what lies behind";
        EXPECT_EQ(drawnWithPointer(w.ask, r, true), drawnWithPointer(w.ask, r, false));
    }

    // The enabled menu and pill buttons do move down while held: 2 and 1 units.
    Frame f(300, 160);
    f.pointer(r.cx(), r.cy(), true, false);
    ui::menuButton(f.ctx, r, "Play", ui::MenuBtnOpts{});
    EXPECT_EQ(f.alphaAt(70, 40), 0) << "top row left empty";
    EXPECT_GT(f.alphaAt(70, 42), 200);
    f.clear();
    f.away();
    ui::menuButton(f.ctx, r, "Play", ui::MenuBtnOpts{});
    EXPECT_GT(f.alphaAt(70, 40), 200);
    f.clear();
    f.pointer(r.cx(), r.cy(), true, false);
    ui::pillButton(f.ctx, ui::Rect{40, 40, 120, 34}, "Undo", ui::PillIcon::Undo, false);
    EXPECT_EQ(f.alphaAt(100, 40), 0);
    EXPECT_GT(f.alphaAt(100, 41), 200);
}

// ---- Frames ----

TEST(WidgetLooks, RaisedFramesUseTheirFaceBottomEdgeAndShadowColours) {
    const ui::Rect r{20, 20, 200, 56};
    Frame f(300, 200);
    ui::menuButton(f.ctx, r, "", ui::MenuBtnOpts{});
    EXPECT_EQ(f.at(40, 60), 0xFFFFF6E2u) << "cream face";
    EXPECT_EQ(f.at(120, 74), 0xFFCFA96Au) << "sand bottom edge, 4 high";
    EXPECT_EQ(f.at(120, 20) & 0xFFFFFF, 0xE3C48Eu) << "rim";
    EXPECT_GT(f.alphaAt(120, 77), 0) << "shadow 3 below";
    EXPECT_EQ(f.alphaAt(120, 80), 0);

    f.clear();
    ui::menuButton(f.ctx, r, "", ui::MenuBtnOpts{true, false, -1, 20});
    EXPECT_EQ(f.at(40, 60), 0xFFE8633Au) << "coral face";
    EXPECT_EQ(f.at(120, 74), 0xFFA83F1Eu);

    // Cards: the highlighted one has a coral rim, the dimmed one wins and casts no shadow.
    const ui::Rect c{20, 20, 160, 120};
    f.clear();
    ui::card(f.cr, c, true, false);
    EXPECT_EQ(f.rgbAt(100, 21), theme::kAccent);
    EXPECT_EQ(f.at(100, 136), 0xFFBF4F2Du) << "bottom edge, 4 high";
    f.clear();
    ui::card(f.cr, c, true, true);
    EXPECT_NE(f.rgbAt(100, 21), theme::kAccent);
    EXPECT_EQ(f.at(100, 139), 0xFFC4AB7Au) << "bottom edge, 3 high";
    EXPECT_EQ(f.alphaAt(100, 141), 0) << "no shadow";
    f.clear();
    ui::card(f.cr, c, false, false);
    EXPECT_GT(f.alphaAt(100, 141), 0) << "shadow 2 below";
}

// ---- Slider ----

TEST(Slider, ShowsItsValueClampedAndADragFollowsThePointerWithinTheTrack) {
    const ui::Rect r{100, 100, 222, 30};  // track from x 111, 200 wide
    Frame f;
    EXPECT_EQ(ui::slider(f.ctx, r, -0.5), 0);
    EXPECT_EQ(f.rgbAt(111, 115), 0xFFFFFFu) << "white thumb at the track's start";
    EXPECT_EQ(ui::slider(f.ctx, r, 1.7), 1);
    EXPECT_DOUBLE_EQ(ui::slider(f.ctx, r, 0.4), 0.4);

    // Grab the thumb at 40 %; the drag goes on outside the slider until the button is let go.
    f.press(191, 115);
    EXPECT_DOUBLE_EQ(ui::slider(f.ctx, r, 0.4), 0.4);
    EXPECT_TRUE(f.ctx.clickUsed);
    f.pointer(0, 400, true, false);
    EXPECT_EQ(ui::slider(f.ctx, r, 0.4), 0) << "left of the track";
    f.pointer(600, 0, true, false);
    EXPECT_EQ(ui::slider(f.ctx, r, 0.0), 1) << "right of the track";
    f.pointer(161, 115, true, false);
    EXPECT_DOUBLE_EQ(ui::slider(f.ctx, r, 1.0), 0.25);
    f.pointer(211, 115, false, false);
    EXPECT_DOUBLE_EQ(ui::slider(f.ctx, r, 0.25), 0.25) << "released: the drag is over";
    f.pointer(211, 115, true, false);
    EXPECT_DOUBLE_EQ(ui::slider(f.ctx, r, 0.25), 0.25) << "holding without a press starts nothing";

    // The grab zone reaches 6 units beyond the rectangle.
    f.press(311, 95);
    EXPECT_DOUBLE_EQ(ui::slider(f.ctx, r, 0.25), 1);
    f.pointer(311, 95, false, false);
    ui::slider(f.ctx, r, 1);
    f.press(311, 93);
    EXPECT_DOUBLE_EQ(ui::slider(f.ctx, r, 0.25), 0.25);
    EXPECT_FALSE(f.ctx.clickUsed);
}

TEST(Slider, ADragMovesOnlyTheSliderItStartedOnAndAUsedClickStartsNone) {
    const ui::Rect a{100, 100, 222, 30}, b{100, 200, 222, 30};
    Frame f;
    f.press(211, 115);
    EXPECT_DOUBLE_EQ(ui::slider(f.ctx, a, 0.1), 0.5);
    EXPECT_DOUBLE_EQ(ui::slider(f.ctx, b, 0.1), 0.1);
    EXPECT_FALSE(ui::plainButton(f.ctx, a, "behind")) << "the slider took the click";

    // Over the other slider with the button still held: the first one follows, the other not.
    f.pointer(261, 215, true, false);
    EXPECT_DOUBLE_EQ(ui::slider(f.ctx, a, 0.5), 0.75);
    EXPECT_DOUBLE_EQ(ui::slider(f.ctx, b, 0.1), 0.1);
    f.pointer(261, 215, false, false);
    ui::slider(f.ctx, a, 0.75);

    // A press whose click an earlier widget took moves the thumb this frame but starts no drag.
    f.press(131, 215);
    f.ctx.clickUsed = true;
    EXPECT_DOUBLE_EQ(ui::slider(f.ctx, b, 0.9), 0.1);
    f.pointer(291, 215, true, false);
    EXPECT_DOUBLE_EQ(ui::slider(f.ctx, b, 0.1), 0.1);
}

// ---- Dialog ----

TEST(ConfirmDialog, SwallowsTheFramesClickAndAnswersOnlyForItsButtons) {
    Frame f;
    const ui::DialogLayout d = ui::dialogLayout(640, 480);
    EXPECT_EQ(d.box.x, 110);
    EXPECT_EQ(d.box.w, 420);
    EXPECT_EQ(d.box.h, 260);
    EXPECT_EQ(d.cancel.x, 130);
    EXPECT_EQ(d.cancel.w, 180);
    EXPECT_EQ(d.cancel.y, 304);
    EXPECT_EQ(d.confirm.x, 330);
    const ui::DialogLayout small = ui::dialogLayout(300, 200);
    EXPECT_EQ(small.box.w, 252);
    EXPECT_EQ(small.box.h, 120);
    i18n::setLanguage("he");  // right to left the answers change sides
    EXPECT_EQ(ui::dialogLayout(640, 480).cancel.x, 330);
    EXPECT_EQ(ui::dialogLayout(640, 480).confirm.x, 130);
    i18n::setLanguage("en");

    auto ask = [&] { return ui::confirmDialog(f.ctx, "Reset?", "Sure?", "Reset", "Keep"); };
    f.press(10, 10);  // outside the box
    EXPECT_EQ(ask(), 0);
    EXPECT_TRUE(f.ctx.clickUsed);
    EXPECT_FALSE(ui::plainButton(f.ctx, ui::Rect{0, 0, 50, 50}, "behind"));
    f.press(200, 150);  // inside the box, beside the buttons
    EXPECT_EQ(ask(), 0);
    f.away();
    EXPECT_EQ(ask(), 0);
    EXPECT_TRUE(f.ctx.clickUsed) << "marked used even without a click";

    f.press(d.cancel.cx(), d.cancel.cy());
    EXPECT_EQ(ask(), -1);
    f.press(d.confirm.cx(), d.confirm.cy());
    EXPECT_EQ(ask(), 1);
    f.press(d.confirm.cx(), d.confirm.cy());
    f.ctx.clickUsed = true;  // taken by something asked earlier
    EXPECT_EQ(ask(), 0);

    // The window is dimmed everywhere with black at 40 %.
    f.clear();
    f.away();
    ask();
    EXPECT_EQ(f.at(5, 5), 0x66000000u);
}

// ---- Scrolling ----

TEST(Scrolling, ShortContentStaysAtZeroAndLongContentScrollsWithinItsRange) {
    const ui::Rect vp{50, 50, 200, 200};
    Frame f;
    double off = 0;
    for (double wheel : {-3.0, 3.0}) {
        f.pointer(100, 100, false, false);
        f.ctx.in.wheel = wheel;
        ui::applyScroll(f.ctx, vp, 120, &off);
        EXPECT_EQ(off, 0);
    }
    off = 50;
    f.away();
    ui::applyScroll(f.ctx, vp, 120, &off);
    EXPECT_EQ(off, 0) << "a stale offset is clamped without any wheel";

    f.pointer(100, 100, false, false);
    f.ctx.in.wheel = -1;  // towards the user: further down the content
    ui::applyScroll(f.ctx, vp, 500, &off);
    EXPECT_EQ(off, 60);
    f.ctx.in.wheel = -10;
    ui::applyScroll(f.ctx, vp, 500, &off);
    EXPECT_EQ(off, 300);
    f.ctx.in.wheel = 1;
    ui::applyScroll(f.ctx, vp, 500, &off);
    EXPECT_EQ(off, 240);
    f.pointer(10, 10, false, false);
    f.ctx.in.wheel = 1;
    ui::applyScroll(f.ctx, vp, 500, &off);
    EXPECT_EQ(off, 240) << "the wheel outside the viewport";
    ui::applyScroll(f.ctx, vp, 500, nullptr);
}

TEST(Scrolling, TheScrollbarShowsOnlyForTallContentAndTracksTheOffset) {
    const ui::Rect vp{50, 50, 200, 200};  // bar at x 244 to 248
    Frame f(300, 300);
    ui::scrollbar(f.ctx, vp, 200, 0);
    ui::scrollbar(f.ctx, vp, 120, 0);
    EXPECT_TRUE(f.blank());

    ui::scrollbar(f.ctx, vp, 400, 0);  // 100 high at the top
    EXPECT_EQ(f.inkRows(246), 100);
    EXPECT_GT(f.alphaAt(246, 55), 0);
    EXPECT_EQ(f.alphaAt(246, 245), 0);
    f.clear();
    ui::scrollbar(f.ctx, vp, 400, 200);  // at the bottom
    EXPECT_EQ(f.alphaAt(246, 55), 0);
    EXPECT_GT(f.alphaAt(246, 245), 0);
    f.clear();
    ui::scrollbar(f.ctx, vp, 100000, 0);  // never shorter than 30
    EXPECT_EQ(f.inkRows(246), 30);
}

// A focused list row draws its ring wholly inside itself: the list's rounded clip and its
// scrollbar, drawn over the rows, leave every ring pixel as it was, on the top row and on one in
// the middle alike.
TEST(Scrolling, AFocusedRowsRingShowsWholeInsideTheListBesideItsScrollbar) {
    const ui::Rect list{40, 40, 300, 132};  // three rows of 44
    auto draw = [&](int focusedRow, bool inList) {
        Frame f(400, 220);
        ui::FocusState focus;
        focus.index = focusedRow;  // the rows register in order
        focus.visible = true;
        f.ctx.focus = &focus;
        cairo_save(f.cr);
        if (inList) {
            ui::roundedRectPath(f.cr, list, 16);
            cairo_clip(f.cr);
        }
        for (int i = 0; i < 3; ++i)
            ui::dropdownRow(f.ctx, {list.x, list.y + 44 * i, list.w, 44}, "Dansk", i == 0);
        cairo_restore(f.cr);
        if (inList) ui::scrollbar(f.ctx, list, 400, 0);
        return f.pixels();
    };
    const std::vector<uint32_t> plain = draw(-1, false);
    for (int row : {0, 1}) {
        SCOPED_TRACE("row " + std::to_string(row));
        const std::vector<uint32_t> ring = draw(row, false), listed = draw(row, true);
        int ringPixels = 0, lost = 0;
        for (size_t i = 0; i < plain.size(); ++i) {
            if (ring[i] == plain[i]) continue;
            ++ringPixels;
            if (listed[i] != ring[i]) ++lost;
        }
        EXPECT_GT(ringPixels, 1000);
        EXPECT_EQ(lost, 0);
    }
}

// ---- Stars ----

TEST(StarRow, UnlitStarsAreGreyAndTheLitOnesAppearMiddleFirst) {
    // scale 1 at (200, 100): left star at (142.96, 114), middle (200, 100), right (257.04, 114).
    const int xs[3] = {143, 200, 257}, ys[3] = {114, 100, 114};
    Frame f(400, 200);
    ui::starRow(f.ctx, 200, 100, 0, 1, 0, -1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(f.alphaAt(xs[i], ys[i]), 102, 2) << "grey at 40 %, star " << i;
        const int radius = i == 1 ? 32 : 18;
        EXPECT_LT(f.alphaAt(xs[i], ys[i] - radius - 2), 3) << "bottom-aligned, star " << i;
    }

    f.clear();
    ui::starRow(f.ctx, 200, 100, 3, 1, 0, 0.5);  // middle p = 0.3125: alpha 0.78
    EXPECT_EQ(f.alphaAt(xs[0], ys[0]), 0);
    EXPECT_NEAR(f.alphaAt(xs[1], ys[1]), 199, 2);
    EXPECT_EQ(f.alphaAt(xs[2], ys[2]), 0);

    f.clear();
    ui::starRow(f.ctx, 200, 100, 2, 1, 3, -1);  // two stars at once: middle and left
    EXPECT_EQ(f.at(xs[0], ys[0]), 0xFFFFC83Du);
    EXPECT_EQ(f.at(xs[1], ys[1]), 0xFFFFC83Du);
    EXPECT_NEAR(f.alphaAt(xs[2], ys[2]), 102, 2);
    f.clear();
    ui::starRow(f.ctx, 200, 100, 3, 1, 0, 5);  // long after the reveal
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(f.at(xs[i], ys[i]), 0xFFFFC83Du) << i;
}

TEST(StarsInline, TheMiddleStarSitsOneSizeRightOfTheCentre) {
    Frame f(200, 60);
    ui::starsInline(f.cr, 100, 30, 1, 10);  // centres 84.5, 110, 135.5
    EXPECT_EQ(f.at(84, 30), 0xFFFFC83Du);
    EXPECT_NEAR(f.alphaAt(110, 30), 102, 2);
    EXPECT_NEAR(f.alphaAt(135, 30), 102, 2);
    EXPECT_EQ(f.alphaAt(100, 22), 0) << "nothing drawn above the centre itself";
}

// ---- Time, date and footer ----

TEST(FormatTime, WholeMinutesAndSecondsWithAtLeastTwoDigits) {
    EXPECT_EQ(ui::formatTime(61000), "01:01");
    EXPECT_EQ(ui::formatTime(3600000), "60:00");
    EXPECT_EQ(ui::formatTime(0), "00:00");
    EXPECT_EQ(ui::formatTime(999), "00:00");
    EXPECT_EQ(ui::formatTime(59999), "00:59");
    EXPECT_EQ(ui::formatTime(5999999), "99:59");
    EXPECT_EQ(ui::formatTime(6000000), "100:00");
}

TEST(FormatDate, TheReadersOwnOrderAndMonthNamesInTheLocalZone) {
    {
        ZoneScope utc("UTC0");
        i18n::setLanguage("de");  // German keeps its numeric form
        EXPECT_EQ(ui::formatDate(0), "01.01.1970 00:00");
        EXPECT_EQ(ui::formatDate(999), "01.01.1970 00:00");
        EXPECT_EQ(ui::formatDate(1700000000000LL), "14.11.2023 22:13");
        EXPECT_EQ(ui::formatDate(-60000), "31.12.1969 23:59");
        i18n::setLanguage("en");
        EXPECT_EQ(ui::formatDate(1700000000000LL), "14 Nov 2023, 22:13");
        EXPECT_EQ(ui::formatDate(1765455000000LL), "11 Dec 2025, 12:10");
        i18n::setLanguage("ja");
        EXPECT_EQ(ui::formatDate(1700000000000LL), "2023年11月14日 22:13");
        i18n::setLanguage("pt");
        EXPECT_EQ(ui::formatDate(1700000000000LL), "14 de nov. de 2023, 22:13");
    }
    ZoneScope east("XXX-3");  // three hours ahead of UTC
    i18n::setLanguage("de");
    EXPECT_EQ(ui::formatDate(0), "01.01.1970 03:00");
    i18n::setLanguage("en");

    // Every catalogue names twelve months and uses only the pattern's fields and quoted text,
    // so no stray letter of a pattern reaches the screen.
    const i18n::DateTime when{2026, 12, 1, 9, 5};
    for (const i18n::Language& lang : i18n::languages()) {
        i18n::setLanguage(lang.code);
        const std::vector<std::string> months = i18n::splitMonths(i18n::tr("date.monthsShort"));
        ASSERT_EQ(months.size(), 12u) << lang.code;
        for (const std::string& m : months)
            EXPECT_FALSE(m.empty()) << lang.code;
        bool inQuote = false;
        for (char ch : i18n::tr("date.pattern")) {
            if (ch == '\'') inQuote = !inQuote;
            if (!inQuote && std::isalpha(static_cast<unsigned char>(ch))) {
                EXPECT_NE(std::string("yMdHm").find(ch), std::string::npos) << lang.code;
            }
        }
        EXPECT_FALSE(inQuote) << lang.code;
        const std::string text = i18n::formatDateTime(when);
        EXPECT_NE(text.find("2026"), std::string::npos) << lang.code << ": " << text;
        EXPECT_NE(text.find("05"), std::string::npos) << lang.code << ": " << text;
    }
    i18n::setLanguage("en");
}

TEST(Footer, TheMakerLineNamesTheYearAndIsDrawnJustAboveTheBottom) {
    const std::time_t now = std::time(nullptr);
    std::tm tmv{};
    localtime_r(&now, &tmv);
    const std::string line = ui::makerLine();
    EXPECT_NE(line.find("Vantrel Software"), std::string::npos) << line;
    EXPECT_NE(line.find(std::to_string(tmv.tm_year + 1900)), std::string::npos) << line;

    Frame f(400, 300);
    ui::footer(f.ctx, 250);
    int top = -1, bottom = -1;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            if (f.alphaAt(x, y) > 0) {
                if (top < 0) top = y;
                bottom = y;
                break;
            }
    EXPECT_GE(top, 220);
    EXPECT_LT(bottom, 250);
}
