// Hint marks and the no-way-forward notice, painted into the frame layer over the board.
#include "ui/hint_marks.h"

#include <algorithm>
#include <cmath>

#include "core/numbers.h"
#include "theme/theme.h"
#include "ui/draw.h"

namespace ui {

namespace {

// A calm sea blue, apart from the coral of a lifted marble and the gold of a completed tube.
constexpr uint32_t kHint = 0x2F8FC4;
constexpr uint32_t kHalo = 0xFFFFFF;

void outlineTube(cairo_t* cr, const Rect& r, double breath) {
    const Rect ring = r.inset(-5);
    const double radius = std::min(ring.w / 2, 18.0);
    // A light halo first, so the ring reads on dark and bright worlds alike.
    strokeRoundedRect(cr, ring, radius, 7, kHalo, 0.55);
    strokeRoundedRect(cr, ring, radius, 3.5, kHint, 0.7 + 0.3 * breath);
}

// ---- Planning ----

constexpr double kMouthAbove = 10;  // the arc leaves and enters a tube this far above its top
constexpr double kHeadLen = 17, kHeadSpread = 8.5;  // the head with its halo
constexpr double kCorner = 12;                      // radius of a routed arc's bends

using Cubic = std::array<HintPoint, 4>;

Cubic line(const HintPoint& a, const HintPoint& b) {
    return {a,
            {a.x + (b.x - a.x) / 3, a.y + (b.y - a.y) / 3},
            {a.x + 2 * (b.x - a.x) / 3, a.y + 2 * (b.y - a.y) / 3},
            b};
}

HintPoint at(const Cubic& c, double t) {
    const double u = 1 - t;
    const double a = u * u * u, b = 3 * u * u * t, d = 3 * u * t * t, e = t * t * t;
    return {a * c[0].x + b * c[1].x + d * c[2].x + e * c[3].x,
            a * c[0].y + b * c[1].y + d * c[2].y + e * c[3].y};
}

double hullLength(const Cubic& c) {
    double len = 0;
    for (int i = 0; i < 3; ++i)
        len += std::hypot(c[i + 1].x - c[i].x, c[i + 1].y - c[i].y);
    return len;
}

// True when a disc of radius `reach` around p stays inside the area and off every rectangle.
bool clearAt(const HintPoint& p, const std::vector<Rect>& keepClear, const Rect& area,
             double reach) {
    if (p.x < area.x || p.x > area.right() || p.y < area.y || p.y > area.bottom()) return false;
    for (const Rect& r : keepClear)
        if (p.x > r.x - reach && p.x < r.right() + reach && p.y > r.y - reach &&
            p.y < r.bottom() + reach)
            return false;
    return true;
}

bool arcClear(const std::vector<Cubic>& arc, const std::vector<Rect>& keepClear, const Rect& area) {
    for (const Cubic& c : arc) {
        // Samples at most 1.5 apart, each kept a unit further off: the line between two stays
        // clear too.
        const int n = std::max(8, static_cast<int>(std::ceil(hullLength(c) / 1.5)));
        for (int i = 0; i <= n; ++i)
            if (!clearAt(at(c, double(i) / n), keepClear, area, kHintArcReach + 1)) return false;
    }
    const std::array<HintPoint, 3> head = hintHead(arc.back()[3]);
    for (int i = 0; i < 3; ++i) {
        const HintPoint& a = head[i];
        const HintPoint& b = head[(i + 1) % 3];
        for (double t : {0.0, 0.5})
            if (!clearAt({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}, keepClear, area,
                         kHintArcReach + 1))
                return false;
    }
    return true;
}

// Up out of the source, across, and straight down into the target: both handles at one
// height, chosen so that the arc tops out at apexY.
Cubic overArc(const HintPoint& a, const HintPoint& b, double apexY) {
    const double handleY = (apexY - 0.25 * (a.y + b.y) / 2) / 0.75;
    return {a, {a.x, handleY}, {b.x, handleY}, b};
}

// A polyline of straight runs joined by rounded bends.
std::vector<Cubic> rounded(const std::vector<HintPoint>& pts) {
    std::vector<Cubic> out;
    HintPoint from = pts.front();
    for (size_t i = 1; i + 1 < pts.size(); ++i) {
        const HintPoint& c = pts[i];
        const double inLen = std::hypot(c.x - pts[i - 1].x, c.y - pts[i - 1].y);
        const double outLen = std::hypot(pts[i + 1].x - c.x, pts[i + 1].y - c.y);
        const double rad = std::min({kCorner, inLen / 2, outLen / 2});
        if (inLen < 1e-6 || outLen < 1e-6) continue;
        const HintPoint a{c.x + (pts[i - 1].x - c.x) * rad / inLen,
                          c.y + (pts[i - 1].y - c.y) * rad / inLen};
        const HintPoint b{c.x + (pts[i + 1].x - c.x) * rad / outLen,
                          c.y + (pts[i + 1].y - c.y) * rad / outLen};
        out.push_back(line(from, a));
        // The usual quarter-circle handle length.
        constexpr double k = 0.5523;
        out.push_back({a,
                       {a.x + k * (c.x - a.x), a.y + k * (c.y - a.y)},
                       {b.x + k * (c.x - b.x), b.y + k * (c.y - b.y)},
                       b});
        from = b;
    }
    out.push_back(line(from, pts.back()));
    return out;
}

// Where a vertical run may cross the rows between y0 and y1: the middles of the gaps between
// the rectangles there, and beside them on either side.
std::vector<double> corridors(const std::vector<Rect>& keepClear, const Rect& area, double y0,
                              double y1) {
    std::vector<std::pair<double, double>> spans;
    for (const Rect& r : keepClear)
        if (r.bottom() > y0 && r.y < y1)
            spans.push_back({r.x - kHintArcReach, r.right() + kHintArcReach});
    std::sort(spans.begin(), spans.end());
    std::vector<double> out;
    if (spans.empty()) return out;
    double reach = spans.front().second;
    for (size_t i = 1; i < spans.size(); ++i) {
        if (spans[i].first > reach) out.push_back((reach + spans[i].first) / 2);
        reach = std::max(reach, spans[i].second);
    }
    out.push_back(std::max(area.x + kHintArcReach + 1, spans.front().first - kCorner));
    out.push_back(std::min(area.right() - kHintArcReach - 1, reach + kCorner));
    return out;
}

// From a tube in one row to a tube in the other: along the gap between the rows, up or down
// through a gap between columns (or beside the board) and along above the upper row.
std::vector<Cubic> routeAcross(const HintPoint& a, const HintPoint& b, bool sourceUpper,
                               const Rect& upper, const Rect& lower,
                               const std::vector<Rect>& keepClear, const Rect& area) {
    // The gap between the rows runs from the upper row's lowest marble to the lower row.
    double bandTop = upper.y;
    for (const Rect& r : keepClear)
        if (r.bottom() <= lower.y) bandTop = std::max(bandTop, r.bottom());
    const double bandY = bandTop + kHintArcReach + 2;
    const double topY = std::max(area.y + kHintArcReach + 2, upper.y - kMouthAbove - kCorner - 12);
    std::vector<Cubic> best;
    double bestLen = 1e18;
    for (double xc : corridors(keepClear, area, topY, bandY)) {
        const HintPoint& up = sourceUpper ? a : b;
        const HintPoint& low = sourceUpper ? b : a;
        std::vector<HintPoint> pts{up, {up.x, topY}, {xc, topY}, {xc, bandY}, {low.x, bandY}, low};
        if (!sourceUpper) std::reverse(pts.begin(), pts.end());
        const double len = std::fabs(up.x - xc) + std::fabs(xc - low.x);
        if (len >= bestLen) continue;
        std::vector<Cubic> arc = rounded(pts);
        if (!arcClear(arc, keepClear, area)) continue;
        best = std::move(arc);
        bestLen = len;
    }
    return best;
}

bool overlaps(const Rect& a, const Rect& b) {
    return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

// The free spot for the label nearest to `anchor`: over the arc, beside the board, or above it.
Rect placeLabel(const HintPoint& anchor, double w, double h, const std::vector<Rect>& keepClear,
                const Rect& head, const Rect& area) {
    double left = area.right(), right = area.x;
    for (const Rect& r : keepClear) {
        left = std::min(left, r.x);
        right = std::max(right, r.right());
    }
    const double lo = area.x + w / 2 + 1, hi = area.right() - w / 2 - 1;
    const double xs[] = {std::clamp(anchor.x, lo, std::max(lo, hi)), left - 14 - w / 2,
                         right + 14 + w / 2};
    auto free = [&](const Rect& r) {
        return r.x >= area.x && r.right() <= area.right() && r.y >= area.y &&
               r.bottom() <= area.bottom() && !overlaps(r, head) &&
               std::none_of(keepClear.begin(), keepClear.end(),
                            [&](const Rect& k) { return overlaps(r, k); });
    };
    Rect best{anchor.x - w / 2, anchor.y - h / 2, w, h};
    if (free(best)) return best;
    double bestScore = 1e18;
    for (double x : xs) {
        for (double y = area.y + h / 2 + 1; y <= area.bottom() - h / 2 - 1; y += 2) {
            const double score = std::fabs(x - anchor.x) + std::fabs(y - anchor.y);
            if (score >= bestScore) continue;
            const Rect r{x - w / 2, y - h / 2, w, h};
            if (!free(r)) continue;
            best = r;
            bestScore = score;
        }
    }
    return best;
}

// ---- Drawing ----

void arrow(cairo_t* cr, const std::vector<Cubic>& arc) {
    const std::array<HintPoint, 3> head = hintHead(arc.back()[3]);
    for (int pass = 0; pass < 2; ++pass) {
        const uint32_t colour = pass == 0 ? kHalo : kHint;
        const double width = pass == 0 ? 7.5 : 4;
        cairo_new_path(cr);
        cairo_move_to(cr, arc.front()[0].x, arc.front()[0].y);
        for (const Cubic& c : arc)
            cairo_curve_to(cr, c[1].x, c[1].y, c[2].x, c[2].y, c[3].x, c[3].y);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_width(cr, width);
        setColor(cr, colour, pass == 0 ? 0.6 : 0.9);
        cairo_stroke(cr);
        // The head points down the arc's last stretch, into the tube; the blue one is smaller.
        const double k = pass == 0 ? 1 : 14 / kHeadLen;
        const HintPoint tip = head[0];
        cairo_new_path(cr);
        cairo_move_to(cr, tip.x, tip.y);
        for (int i = 1; i < 3; ++i)
            cairo_line_to(cr, tip.x + k * (head[i].x - tip.x), tip.y + k * (head[i].y - tip.y));
        cairo_close_path(cr);
        cairo_fill_preserve(cr);
        cairo_stroke(cr);
    }
}

void labelPill(cairo_t* cr, const Rect& halo, const std::string& label, const TextStyle& st) {
    const Rect pill = halo.inset(2);
    fillRoundedRect(cr, halo, halo.h / 2, kHalo, 0.7);
    fillRoundedRect(cr, pill, pill.h / 2, kHint, 0.95);
    drawTextCentered(cr, pill.cx(), pill.cy(), label, st);
}

TextStyle labelStyle() {
    TextStyle st = theme::textStyle(theme::TextRole::Label, 13);
    st.color = 0xFFFFFF;
    st.maxWidth = 320;
    return st;
}

}  // namespace

std::array<HintPoint, 3> hintHead(const HintPoint& end) {
    return {HintPoint{end.x, end.y + 2}, HintPoint{end.x - kHeadSpread, end.y - kHeadLen + 2},
            HintPoint{end.x + kHeadSpread, end.y - kHeadLen + 2}};
}

HintPlan planHint(const Rect& from, const Rect& to, const std::vector<Rect>& keepClear,
                  const Rect& area, double labelW, double labelH) {
    const HintPoint a{from.cx(), from.y - kMouthAbove}, b{to.cx(), to.y - kMouthAbove};
    const double span = std::fabs(b.x - a.x);
    // The arc of a one-row board: high enough for its label above the row.
    const double apex =
        std::max(area.y + 24, std::min(from.y, to.y) - std::clamp(30 + 0.25 * span, 40.0, 110.0));
    // The arc may start as high as the mouths of the tubes, even under a low header.
    const double roomTop = std::min(area.y, std::min(a.y, b.y) - kHintArcReach - 1);
    const Rect room{area.x, roomTop, area.w, area.bottom() - roomTop};
    HintPlan plan;
    // The nearest height to it that keeps clear: higher towards the header, or lower between
    // the rows.
    const double lowest = std::min(a.y, b.y) - 6, highest = room.y + kHintArcReach + 1;
    double chosen = apex;
    auto tryApex = [&](double y) {
        std::vector<Cubic> arc{overArc(a, b, y)};
        if (!arcClear(arc, keepClear, room)) return;
        plan.arc = std::move(arc);
        chosen = y;
    };
    for (double d = 0; plan.arc.empty(); d += 2) {
        const bool lower = d == 0 || apex + d <= lowest, higher = d > 0 && apex - d >= highest;
        if (!lower && !higher) break;
        if (lower) tryApex(apex + d);
        if (higher && plan.arc.empty()) tryApex(apex - d);
    }
    if (plan.arc.empty() && std::fabs(from.y - to.y) > 1) {
        const bool sourceUpper = from.y < to.y;
        plan.arc = routeAcross(a, b, sourceUpper, sourceUpper ? from : to, sourceUpper ? to : from,
                               keepClear, room);
    }
    if (plan.arc.empty()) plan.arc = {overArc(a, b, apex)};  // no room anywhere: as it was
    // The label sits over the arc's highest point, or the nearest free place to it.
    HintPoint top = plan.arc.front()[0];
    for (const Cubic& c : plan.arc)
        for (int i = 0; i <= 16; ++i) {
            const HintPoint p = at(c, i / 16.0);
            if (p.y < top.y) top = p;
        }
    if (plan.arc.size() == 1) top = {(a.x + b.x) / 2, chosen};
    const std::array<HintPoint, 3> head = hintHead(plan.arc.back()[3]);
    const Rect headBox{head[1].x - kHintArcReach, head[1].y - kHintArcReach,
                       head[2].x - head[1].x + 2 * kHintArcReach,
                       head[0].y - head[1].y + 2 * kHintArcReach};
    plan.label = placeLabel({top.x, top.y - 4}, labelW, labelH, keepClear, headBox, area);
    return plan;
}

void drawHintMarks(cairo_t* cr, const Rect& from, const Rect& to,
                   const std::vector<Rect>& keepClear, const Rect& area, const std::string& label,
                   double t) {
    const double breath = (std::sin(2 * kPi * t / 1.6) + 1) / 2;
    outlineTube(cr, from, breath);
    outlineTube(cr, to, breath);
    const TextStyle st = labelStyle();
    double w = 0, h = 0;
    if (!label.empty()) measureText(cr, label, st, &w, &h);
    // The plan holds while the board and the hint stay as they are.
    struct Cache {
        Rect from, to, area;
        std::vector<Rect> keepClear;
        double w = -1, h = -1;
        HintPlan plan;
    };
    static Cache cache;
    auto same = [](const Rect& p, const Rect& q) {
        return p.x == q.x && p.y == q.y && p.w == q.w && p.h == q.h;
    };
    const bool fresh =
        same(cache.from, from) && same(cache.to, to) && same(cache.area, area) && cache.w == w &&
        cache.h == h && cache.keepClear.size() == keepClear.size() &&
        std::equal(keepClear.begin(), keepClear.end(), cache.keepClear.begin(), same);
    if (!fresh)
        cache = Cache{
            from, to, area, keepClear, w, h, planHint(from, to, keepClear, area, w + 28, h + 14)};
    arrow(cr, cache.plan.arc);
    if (!label.empty()) labelPill(cr, cache.plan.label, label, st);
}

void drawNotice(cairo_t* cr, double cx, double cy, double maxW, const std::string& message) {
    TextStyle st = theme::textStyle(theme::TextRole::Label, 15);
    const double textW = std::max(40.0, std::min(maxW, 520.0) - 36);
    const double h = measureWrappedHeight(cr, textW, message, st);
    const Rect card{cx - textW / 2 - 18, cy - h / 2 - 12, textW + 36, h + 24};
    fillRoundedRect(cr, card.inset(-1), 15, theme::kShadow, 0.12);
    fillRoundedRect(cr, card, 14, theme::kBg, 0.96);
    strokeRoundedRect(cr, card.inset(0.5), 14, 1.5, kHint, 0.8);
    drawTextWrapped(cr, card.x + 18, card.y + 12, textW, message, st);
}

}  // namespace ui
