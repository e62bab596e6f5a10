// Widgets, second half: the confirm dialog, scrolling and its bar, time and date text, the footer.
#include "core/numbers.h"
#include "ui/widgets.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "i18n/dates.h"
#include "i18n/i18n.h"
#include "theme/theme.h"
#include "ui/draw.h"

namespace ui {

namespace {

constexpr char kMaker[] = "Vantrel Software";

}  // namespace

// ---- Dialog ----

DialogLayout dialogLayout(double w, double h) {
    DialogLayout d;
    const double bw = std::min(420.0, w - 48), bh = std::min(260.0, h - 80);
    d.box = Rect{(w - bw) / 2, (h - bh) / 2, bw, bh};
    const double btnW = (bw - 60) / 2, btnY = d.box.bottom() - 20 - 46;
    d.cancel = Rect{d.box.x + 20, btnY, btnW, 46};
    d.confirm = Rect{d.box.right() - 20 - btnW, btnY, btnW, 46};
    // Right to left the harmless answer comes first, at the right.
    if (i18n::currentIsRtl()) std::swap(d.cancel, d.confirm);
    return d;
}

int confirmDialog(Ctx& ctx, const std::string& title, const std::string& message,
                  const std::string& confirmLabel, const std::string& cancelLabel) {
    cairo_t* cr = ctx.cr;
    fillRect(cr, Rect{0, 0, ctx.w, ctx.h}, 0x000000, 0.4);

    const DialogLayout d = dialogLayout(ctx.w, ctx.h);
    const Rect& box = d.box;
    sandFrame(cr, box, 18, theme::kPillFill, 0.98, theme::kPillBorder, theme::kPillBorderBottom, 4,
              3);
    drawTextCentered(cr, box.cx(), box.y + 34, title,
                     widgetTextStyle(20, true, theme::kText, 1, box.w - 40));
    drawTextWrapped(cr, box.x + 20, box.y + 62, box.w - 40, message,
                    widgetTextStyle(14, false, theme::kText, 0.8, 0));

    // The dialog is modal for the focus too: it starts on cancel, the harmless answer.
    ctx.focusLayer();
    int result = 0;
    if (plainButton(ctx, d.cancel, cancelLabel, false)) result = -1;
    if (dangerButton(ctx, d.confirm, confirmLabel)) result = 1;
    // Modal: whatever lies behind the dialog must not see this frame's click.
    ctx.clickUsed = true;
    return result;
}

// ---- Scrolling ----

void applyScroll(Ctx& ctx, const Rect& viewport, double contentH, double* offset) {
    if (!offset) return;
    const double maxOff = std::max(0.0, contentH - viewport.h);
    if (ctx.in.wheel != 0 && ctx.hover(viewport)) *offset -= ctx.in.wheel * 60;
    *offset = std::clamp(*offset, 0.0, maxOff);
}

void scrollbar(Ctx& ctx, const Rect& viewport, double contentH, double offset) {
    if (!(contentH > viewport.h)) return;
    const double barH = std::max(30.0, viewport.h * viewport.h / contentH);
    const double y = viewport.y + (viewport.h - barH) * offset / (contentH - viewport.h);
    fillRoundedRect(ctx.cr, Rect{viewport.x + viewport.w - 6, y, 4, barH}, 2, theme::kTextMuted,
                    0.45);
}

// ---- Time and date ----

std::string formatTime(int64_t ms) {
    const long long minutes = ms / 60000;
    const long long seconds = ms / 1000 - minutes * 60;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld", minutes, seconds);
    return buf;
}

std::string formatDate(int64_t ms) {
    const time_t secs = static_cast<time_t>(ms / 1000);
    struct tm tmv {};
    if (!localtime_r(&secs, &tmv)) return "";
    return i18n::formatDateTime(
        {tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday, tmv.tm_hour, tmv.tm_min});
}

std::string formatDay(const puzzle::Date& d) {
    return i18n::formatDateTime(i18n::tr("date.patternDay"), i18n::tr("date.monthsShort"),
                                {d.year, d.month, d.day, 0, 0});
}

// ---- Footer ----

std::string makerLine() {
    const time_t now = time(nullptr);
    struct tm tmv {};
    if (!localtime_r(&now, &tmv)) return std::string("\u00A9 ") + kMaker;
    char buf[64];
    std::snprintf(buf, sizeof buf, "\u00A9 %d %s", tmv.tm_year + 1900, kMaker);
    return buf;
}

void footer(Ctx& ctx, double bottomY) {
    drawTextCentered(ctx.cr, ctx.w / 2, bottomY - 14, makerLine(),
                     widgetTextStyle(11, true, theme::kTextMuted, 0.85, ctx.w - 32));
}

}  // namespace ui
