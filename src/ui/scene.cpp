// Comparing two frames' copies. A pixel outside every copy without a counterpart is covered by
// the same copies in the same order in both frames, so it is the same pixel.
#include "ui/scene.h"

#include <algorithm>
#include <cmath>

namespace ui::scene {

namespace {

// How far ahead a copy is looked for when the lists part: a critter appearing or a marble taking
// off inserts a handful of copies, never dozens.
constexpr size_t kLookAhead = 48;
// Areas closer than this are recomposed as one: a clip and a fill cost more than a few pixels.
constexpr int kNearPx = 8;
// Past these, one area for the whole window is cheaper than many.
constexpr size_t kMostAreas = 8;
constexpr size_t kMostCopies = 96;
constexpr double kMostOfWindow = 0.6;

bool sameRect(const SDL_Rect& a, const SDL_Rect& b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

bool empty(const SDL_Rect& r) {
    return r.w <= 0 || r.h <= 0;
}

bool near(const SDL_Rect& a, const SDL_Rect& b) {
    return a.x - kNearPx < b.x + b.w && b.x - kNearPx < a.x + a.w && a.y - kNearPx < b.y + b.h &&
           b.y - kNearPx < a.y + a.h;
}

SDL_Rect unite(const SDL_Rect& a, const SDL_Rect& b) {
    SDL_Rect u;
    SDL_UnionRect(&a, &b, &u);
    return u;
}

// The first index in [from, from + kLookAhead) of list holding a copy the same as cmd, or npos.
size_t findAhead(const std::vector<Command>& list, size_t from, const Command& cmd) {
    const size_t end = std::min(list.size(), from + kLookAhead);
    for (size_t k = from; k < end; ++k)
        if (same(list[k], cmd)) return k;
    return static_cast<size_t>(-1);
}

std::vector<SDL_Rect> merged(std::vector<SDL_Rect> areas, int w, int h) {
    const SDL_Rect window{0, 0, w, h};
    if (areas.size() > kMostCopies) return {window};
    bool again = true;
    while (again) {
        again = false;
        for (size_t i = 0; i < areas.size() && !again; ++i)
            for (size_t k = i + 1; k < areas.size() && !again; ++k)
                if (near(areas[i], areas[k])) {
                    areas[i] = unite(areas[i], areas[k]);
                    areas.erase(areas.begin() + static_cast<std::ptrdiff_t>(k));
                    again = true;
                }
    }
    if (areas.size() > kMostAreas) {
        SDL_Rect all = areas.front();
        for (const SDL_Rect& r : areas)
            all = unite(all, r);
        areas = {all};
    }
    double covered = 0;
    for (const SDL_Rect& r : areas)
        covered += static_cast<double>(r.w) * r.h;
    if (covered > kMostOfWindow * w * h) return {window};
    return areas;
}

}  // namespace

void computeBounds(Command& cmd) {
    const SDL_Rect& d = cmd.dst;
    if (!cmd.turned || std::fmod(cmd.angle, 360.0) == 0) {
        cmd.bounds = SDL_Rect{d.x - 1, d.y - 1, d.w + 2, d.h + 2};
        return;
    }
    // The turned rectangle stays within the circle about its pivot through its farthest corner.
    const double px = d.x + (cmd.hasPivot ? cmd.pivot.x : d.w / 2.0);
    const double py = d.y + (cmd.hasPivot ? cmd.pivot.y : d.h / 2.0);
    const double fx = std::max(px - d.x, d.x + d.w - px), fy = std::max(py - d.y, d.y + d.h - py);
    const int rad = static_cast<int>(std::ceil(std::hypot(fx, fy))) + 1;
    const int cx = static_cast<int>(std::lround(px)), cy = static_cast<int>(std::lround(py));
    cmd.bounds = SDL_Rect{cx - rad, cy - rad, 2 * rad, 2 * rad};
}

bool same(const Command& a, const Command& b) {
    return a.tex == b.tex && a.content == b.content && a.wholeSrc == b.wholeSrc &&
           (a.wholeSrc || sameRect(a.src, b.src)) && sameRect(a.dst, b.dst) &&
           a.turned == b.turned && a.angle == b.angle && a.hasPivot == b.hasPivot &&
           (!a.hasPivot || (a.pivot.x == b.pivot.x && a.pivot.y == b.pivot.y)) &&
           a.flipH == b.flipH && a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a &&
           a.blend == b.blend;
}

std::vector<SDL_Rect> changedAreas(const std::vector<Command>& last,
                                   const std::vector<Command>& now, int w, int h) {
    const SDL_Rect window{0, 0, w, h};
    std::vector<SDL_Rect> areas;
    auto add = [&](const Command& c) {
        SDL_Rect r;
        if (!empty(c.bounds) && SDL_IntersectRect(&c.bounds, &window, &r)) areas.push_back(r);
    };
    const size_t none = static_cast<size_t>(-1);
    size_t i = 0, j = 0;
    while (i < last.size() && j < now.size()) {
        if (same(last[i], now[j])) {
            ++i;
            ++j;
            continue;
        }
        // Copies inserted into this frame, or left out of it, or one copy changed.
        const size_t jj = findAhead(now, j + 1, last[i]);
        const size_t ii = findAhead(last, i + 1, now[j]);
        if (jj != none && (ii == none || jj - j <= ii - i)) {
            for (; j < jj; ++j)
                add(now[j]);
        } else if (ii != none) {
            for (; i < ii; ++i)
                add(last[i]);
        } else {
            add(last[i++]);
            add(now[j++]);
        }
    }
    for (; i < last.size(); ++i)
        add(last[i]);
    for (; j < now.size(); ++j)
        add(now[j]);
    if (areas.empty()) return areas;
    return merged(std::move(areas), w, h);
}

}  // namespace ui::scene
