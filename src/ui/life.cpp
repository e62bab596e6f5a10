// Ambient life: now and then a crab, fish, boat, gull or turtle passes over the background.
//
// Index: the schedule; placement of each kind; the critter pictures; drawing per frame.
#include "ui/life.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/numbers.h"
#include "core/rng.h"
#include "ui/draw.h"
#include "ui/gpu.h"
#include "ui/motion.h"

namespace ui {

namespace {

struct LifeModule {
    Life life;
    bool forcedRead = false;
    Critter forced = Critter::None;
    double lastPrint = -1;  // throttles the gull line
};

LifeModule& module() {
    static LifeModule m;
    return m;
}

Life& life() {
    return module().life;
}

Critter forcedCritter() {
    LifeModule& m = module();
    if (!m.forcedRead) {
        m.forced = critterFromName(std::getenv("VANTREL_LIFE"));
        m.forcedRead = true;
    }
    return m.forced;
}

// ---- The schedule ----

void startForced(Life& l, Critter kind, double t, double W, double H) {
    l.kind = kind;
    l.startedAt = t;
    l.x = 0.4 * W;
    l.dir = 1;
    l.leftSide = true;
    switch (kind) {
        case Critter::Fish:
            l.duration = 1.7;
            l.y = 0.75 * H;
            break;
        case Critter::GullFly:
            l.duration = 9;
            l.y = 0.12 * H;
            break;
        case Critter::GullPeek:
            l.duration = 6;
            l.y = 0.1 * H;
            break;
        default:
            l.duration = 6;
            l.y = 0.75 * H;
            break;
    }
}

void startRandom(Life& l, double t, double W, double H) {
    l.startedAt = t;
    const uint32_t h =
        (l.seed * 0x9E3779B1u) ^ static_cast<uint32_t>(static_cast<int64_t>(t * 1000));
    l.seed = l.seed * 1664525u + 1013904223u;
    Rng rnd(h);
    const double roll = rnd.next();
    l.dir = rnd.next() < 0.5 ? 1 : -1;
    l.leftSide = rnd.next() < 0.5;
    const double a = rnd.next();
    if (roll < 0.16) {
        l.kind = Critter::Crab;
        l.y = (0.66 + 0.24 * a) * H;
        l.duration = 9 + 4 * rnd.next();
    } else if (roll < 0.34) {
        l.kind = Critter::Fish;
        l.x = (0.12 + 0.7 * a) * W;
        l.duration = 1.7;
    } else if (roll < 0.48) {
        l.kind = Critter::Boat;
        l.duration = 17 + 6 * a;
    } else if (roll < 0.64) {
        l.kind = Critter::GullFly;
        l.y = (0.05 + 0.16 * a) * H;
        l.duration = 9 + 3 * rnd.next();
    } else if (roll < 0.76) {
        l.kind = Critter::GullPeek;
        l.duration = 4.2;
        l.y = (0.06 + 0.14 * a) * H;
    } else if (roll < 0.90) {
        l.kind = Critter::TurtleWalk;
        l.y = (0.7 + 0.2 * a) * H;
        l.duration = 17 + 5 * rnd.next();
    } else {
        l.kind = Critter::TurtlePeek;
        l.duration = 4.2;
        l.y = (0.72 + 0.18 * a) * H;
    }
}

// ---- Placement ----

// Left edge of a picture of width pw crossing the window at progress p.
double crossingX(const Life& l, double p, double W, double pw) {
    const double from = l.dir > 0 ? -pw : W + pw;
    const double to = l.dir > 0 ? W + pw : -pw;
    return from + p * (to - from);
}

CritterBlit centred(const char* name, double cx, double cy, double w, double h, double angle,
                    bool flip, double alpha) {
    CritterBlit b;
    b.name = name;
    b.cx = cx;
    b.cy = cy;
    b.w = w;
    b.h = h;
    b.angleDeg = angle;
    b.flipH = flip;
    b.alpha = alpha;
    return b;
}

// A wing turning about the middle of its bottom edge.
CritterBlit wing(const char* name, double x, double y, double w, double h, double angle) {
    CritterBlit b;
    b.name = name;
    b.x = x;
    b.y = y;
    b.w = w;
    b.h = h;
    b.angleDeg = angle;
    b.pivoted = true;
    b.pivotX = w / 2;
    b.pivotY = h;
    return b;
}

double smoothstep(double r) {
    return r * r * (3 - 2 * r);
}

CritterBlit peek(const Life& l, double p, double W, const char* name, double pw, double ph,
                 double reach) {
    double s = 1;
    if (p < 0.18) {
        s = smoothstep(p / 0.18);
    } else if (p > 0.78) {
        const double r = (1 - p) / 0.22;
        s = r > 0 ? smoothstep(r) : 0;
    }
    const double d = reach * s;
    const double wiggle = p >= 0.18 && p <= 0.78 ? 4 * std::sin(26 * p) : 0;
    const double left = l.leftSide ? d - pw : W - d;
    return centred(name, left + pw / 2, l.y + ph / 2, pw, ph, wiggle, !l.leftSide, 1);
}

}  // namespace

std::vector<CritterBlit> critterPose(const Life& l, double p, double W, double H) {
    std::vector<CritterBlit> out;
    switch (l.kind) {
        case Critter::None:
            break;
        case Critter::Crab: {
            // Sideways, rocking and bobbing 30 times per crossing.
            const double x = crossingX(l, p, W, 76);
            const double v = std::sin(60 * kPi * p);
            out.push_back(centred("crab", x + 38, l.y + 25 + 2 * v, 76, 50, 3 * v, false, 1));
            break;
        }
        case Critter::Fish: {
            const double v = std::sin(kPi * p);
            double alpha = 1;
            if (p < 0.12) alpha = p / 0.12;
            if (p > 0.88) alpha = (1 - p) / 0.12;
            // Nose up on the way out of the water, down on the way back.
            out.push_back(centred("fish", l.x + 46 * p, 0.366 * H - 0.07 * H * v, 56, 34,
                                  130 * p - 65, false, alpha));
            break;
        }
        case Critter::Boat: {
            const double x = crossingX(l, p, W, 120);
            const double b = std::sin(14 * kPi * p);
            out.push_back(
                centred("boat", x + 60, 0.3 * H - 32 + 2 * b, 120, 92, 2.5 * b, l.dir > 0, 1));
            break;
        }
        case Critter::GullFly: {
            const double x = crossingX(l, p, W, 66);
            const double yy = l.y + 10 * std::sin(5 * kPi * p);
            out.push_back(centred("gullbody", x + 33, yy + 23, 66, 46, 0, l.dir < 0, 1));
            const double phi = 60 * kPi * p;
            const double far = 30 * std::sin(phi + 0.7) - 35;
            const double near = 38 * std::sin(phi) - 40;
            if (l.dir > 0) {
                out.push_back(wing("wingfar", x + 20, yy + 2, 14, 22, far));
                out.push_back(wing("wingnear", x + 24, yy, 16, 26, near));
            } else {
                out.push_back(wing("wingfar", x + 32, yy + 2, 14, 22, -far));
                out.push_back(wing("wingnear", x + 26, yy, 16, 26, -near));
            }
            break;
        }
        case Critter::GullPeek:
            out.push_back(peek(l, p, W, "gullhead", 72, 76, 58));
            break;
        case Critter::TurtleWalk: {
            const double x = crossingX(l, p, W, 92);
            const double c = std::sin(50 * kPi * p);
            out.push_back(centred("turtle", x + 46, l.y + 31 - 1.5 * std::fabs(c), 92, 62, 2.5 * c,
                                  l.dir < 0, 1));
            break;
        }
        case Critter::TurtlePeek:
            out.push_back(peek(l, p, W, "turtle", 92, 62, 70));
            break;
    }
    return out;
}

// ---- The critter pictures (opaque, canvas coordinates, y downwards) ----

namespace {

void poly(cairo_t* cr, std::initializer_list<std::pair<double, double>> pts, uint32_t rgb) {
    for (const auto& p : pts)
        cairo_line_to(cr, p.first, p.second);
    cairo_close_path(cr);
    setColor(cr, rgb, 1);
    cairo_fill(cr);
}

void paintCrab(cairo_t* cr, void*) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    const double legs[6][4] = {{24, 30, 8, 40},  {52, 30, 68, 40}, {22, 34, 11, 43},
                               {54, 34, 65, 43}, {20, 38, 14, 46}, {56, 38, 62, 46}};
    for (const auto& l : legs)
        drawLine(cr, l[0], l[1], l[2], l[3], 2.5, 0xA83F1E, 1);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    fillCircle(cr, 10, 22, 7, 0xE05A3A, 1);
    fillCircle(cr, 66, 22, 7, 0xE05A3A, 1);
    fillCircle(cr, 8, 19, 3, 0xFBE8C2, 1);
    fillCircle(cr, 68, 19, 3, 0xFBE8C2, 1);
    fillOval(cr, 38, 30, 22, 14, 0xE8633A, 1);
    fillOval(cr, 38, 25, 18, 6, 0xF08A5C, 1);
    drawLine(cr, 30, 18, 27, 8, 2, 0xA83F1E, 1);
    drawLine(cr, 46, 18, 49, 8, 2, 0xA83F1E, 1);
    for (double ex : {27.0, 49.0}) {
        fillCircle(cr, ex, 7, 4.5, 0xFFFFFF, 1);
        fillCircle(cr, ex, 7, 2, 0x2A1A10, 1);
    }
}

void paintFish(cairo_t* cr, void*) {
    poly(cr, {{14, 17}, {2, 6}, {5, 17}, {2, 28}}, 0x2F93B8);
    fillOval(cr, 30, 17.5, 18, 9.5, 0x3FA8C8, 1);
    fillOval(cr, 29, 14, 13, 4, 0x7CC8DE, 1);
    cairo_move_to(cr, 24, 10);
    cairo_curve_to(cr, 28, 3.3, 33.3, 3, 38, 9);
    cairo_close_path(cr);
    setColor(cr, 0x2F93B8, 1);
    cairo_fill(cr);
    fillCircle(cr, 42, 15, 3.5, 0xFFFFFF, 1);
    fillCircle(cr, 43, 15, 1.8, 0x112233, 1);
    fillCircle(cr, 6, 6, 2, 0xFFFFFF, 0.8);
    fillCircle(cr, 10, 30, 1.5, 0xFFFFFF, 0.7);
}

void paintBoat(cairo_t* cr, void*) {
    drawLine(cr, 46, 62, 46, 14, 3, 0x5A3A20, 1);
    poly(cr, {{46, 14}, {64, 19}, {46, 25}}, 0xE8633A);
    drawLine(cr, 88, 46, 114, 28, 2, 0x5A3A20, 1);
    drawLine(cr, 114, 28, 114, 58, 1, 0xFFFFFF, 0.65);
    fillRect(cr, Rect{62, 44, 26, 20}, 0xF4E6C8, 1);
    poly(cr, {{58, 44}, {92, 44}, {88, 38}, {62, 38}}, 0xC8763C);
    cairo_move_to(cr, 8, 64);
    cairo_line_to(cr, 112, 64);
    cairo_line_to(cr, 98, 82);
    cairo_curve_to(cr, 85.3, 86, 34.7, 86, 22, 82);
    cairo_close_path(cr);
    setColor(cr, 0x8A4B2F, 1);
    cairo_fill(cr);
    drawLine(cr, 12, 66, 108, 66, 2.5, 0x6E3A22, 1);
    fillOval(cr, 17, 79, 13, 3, 0xFFFFFF, 0.55);
    fillOval(cr, 103, 78.5, 11, 2.5, 0xFFFFFF, 0.45);
}

void paintGullBody(cairo_t* cr, void*) {
    fillOval(cr, 33, 30.5, 17, 6.5, 0xF6F6F2, 1);
    poly(cr, {{20, 27}, {8, 22}, {10, 32}}, 0xE4E4DE);
    fillCircle(cr, 50, 26, 6.5, 0xFFFFFF, 1);
    poly(cr, {{55, 24}, {64, 27}, {55, 30}}, 0xF2B53C);
    fillCircle(cr, 52.5, 24.5, 1.7, 0x22180E, 1);
}

struct WingArgs {
    double w, h;
    uint32_t color;
};

void paintWing(cairo_t* cr, void* arg) {
    const WingArgs& a = *static_cast<WingArgs*>(arg);
    const double w = a.w, h = a.h;
    cairo_move_to(cr, 0.25 * w, h);
    cairo_curve_to(cr, 0.083 * w, 0.57 * h, 0.15 * w, 0.24 * h, 0.45 * w, 2);
    cairo_curve_to(cr, 0.82 * w, 0.2 * h, 0.93 * w, 0.53 * h, 0.78 * w, h);
    cairo_close_path(cr);
    setColor(cr, a.color, 1);
    cairo_fill(cr);
}

void paintGullHead(cairo_t* cr, void*) {
    fillOval(cr, 8, 53, 22, 19, 0xF2F2EE, 1);
    fillCircle(cr, 34, 30, 22, 0xFFFFFF, 1);
    cairo_move_to(cr, 52, 26);
    cairo_curve_to(cr, 64, 27.3, 70.3, 29, 71, 31);
    cairo_line_to(cr, 52, 34);
    cairo_close_path(cr);
    setColor(cr, 0xF2B53C, 1);
    cairo_fill(cr);
    poly(cr, {{52, 34}, {68, 33}, {52, 40}}, 0xDFA02E);
    fillCircle(cr, 40, 22, 5.5, 0xFFFFFF, 1);
    fillCircle(cr, 41.5, 22, 3.2, 0x22180E, 1);
    fillCircle(cr, 42.8, 20.8, 1.1, 0xFFFFFF, 1);
    drawLine(cr, 24, 12, 34, 9, 2, 0xD8D8D2, 1);
}

void paintTurtle(cairo_t* cr, void*) {
    cairo_move_to(cr, 2, 52);
    cairo_curve_to(cr, 3.3, 25.3, 14, 12, 34, 12);
    cairo_curve_to(cr, 52.7, 12, 62.7, 25.3, 64, 52);
    cairo_close_path(cr);
    setColor(cr, 0x4E9A5E, 1);
    cairo_fill(cr);
    fillRect(cr, Rect{0, 50, 68, 7}, 0x3D7A4A, 1);
    fillCircle(cr, 26, 30, 7, 0x3D7A4A, 1);
    fillCircle(cr, 44, 24, 6, 0x3D7A4A, 1);
    fillCircle(cr, 40, 40, 5.5, 0x3D7A4A, 1);
    fillOval(cr, 61, 51.5, 13, 5.5, 0x6FB96F, 1);
    fillOval(cr, 66, 29, 10, 7, 0x6FB96F, 1);
    fillCircle(cr, 80, 24, 11, 0x6FB96F, 1);
    fillCircle(cr, 84, 21, 3.6, 0xFFFFFF, 1);
    fillCircle(cr, 85, 21, 1.9, 0x1D2B1A, 1);
    drawLine(cr, 84, 29, 89, 27.5, 1.6, 0x3D7A4A, 1);
}

struct Picture {
    const char* name;
    double w, h;
    void (*paint)(cairo_t*, void*);
    WingArgs wing;  // only for the wings
};

const Picture kPictures[] = {
    {"crab", 76, 50, paintCrab, {}},
    {"fish", 56, 34, paintFish, {}},
    {"boat", 120, 92, paintBoat, {}},
    {"gullbody", 66, 46, paintGullBody, {}},
    {"wingfar", 14, 22, paintWing, {14, 22, 0xD0D0C8}},
    {"wingnear", 16, 26, paintWing, {16, 26, 0xFFFFFF}},
    {"gullhead", 72, 76, paintGullHead, {}},
    {"turtle", 92, 62, paintTurtle, {}},
};

const Picture* pictureNamed(const std::string& name) {
    for (const Picture& p : kPictures)
        if (name == p.name) return &p;
    return nullptr;
}

int picturePx(double logical) {
    return std::max(4, static_cast<int>(std::lround(logical * gpuScale())));
}

// The height stays out of the key: each name has one fixed aspect.
SDL_Texture* critterTexture(const Picture& pic) {
    WingArgs args = pic.wing;
    return gpuTexture(critterTextureKey(pic.name), picturePx(pic.w), picturePx(pic.h), pic.paint,
                      &args);
}

void drawPose(const std::vector<CritterBlit>& pose) {
    for (const CritterBlit& b : pose) {
        const Picture* pic = pictureNamed(b.name);
        if (!pic) continue;
        SDL_Texture* tex = critterTexture(*pic);
        if (b.pivoted)
            gpuBlitPivot(tex, b.x, b.y, b.w, b.h, b.pivotX, b.pivotY, b.angleDeg, b.flipH, b.alpha);
        else if (b.flipH)
            gpuBlitMirrored(tex, b.cx, b.cy, b.w, b.h, b.angleDeg, true, b.alpha);
        else
            gpuBlitRotated(tex, b.cx, b.cy, b.w, b.h, b.angleDeg, b.alpha);
    }
}

}  // namespace

std::string critterTextureKey(const std::string& name) {
    const Picture* pic = pictureNamed(name);
    const int wPx = picturePx(pic ? pic->w : 0);
    return "life." + name + "/" + std::to_string(wPx);
}

// ---- Drawing per frame ----

const Life& lifeState() {
    return life();
}

Critter critterFromName(const char* name) {
    if (!name) return Critter::None;
    static const struct {
        const char* name;
        Critter kind;
    } kNames[] = {{"crab", Critter::Crab},         {"fish", Critter::Fish},
                  {"boat", Critter::Boat},         {"gullfly", Critter::GullFly},
                  {"gullpeek", Critter::GullPeek}, {"turtlewalk", Critter::TurtleWalk},
                  {"turtle", Critter::TurtlePeek}};
    for (const auto& n : kNames)
        if (std::strcmp(name, n.name) == 0) return n.kind;
    return Critter::None;
}

void lifeShutdown() {
    module() = LifeModule{};
}

void drawAmbientLife(Ctx& c) {
    Life& l = life();
    const double W = c.w, H = c.h, t = c.t;
    // No critter passes while motion is reduced; the schedule starts afresh when it returns.
    if (motionReduced()) {
        l.kind = Critter::None;
        l.nextAt = -1;
        return;
    }
    const Critter forced = forcedCritter();
    if (l.nextAt < 0) l.nextAt = t + 5;  // nothing in the first seconds after start

    if (l.kind != Critter::None) {
        const double p = std::max(0.0, (t - l.startedAt) / l.duration);
        if (p >= 1) {
            l.kind = Critter::None;
            l.nextAt = forced != Critter::None ? t : t + 5 + (l.seed % 9000) / 1000.0;
            return;
        }
        const std::vector<CritterBlit> pose = critterPose(l, p, W, H);
        drawPose(pose);
        if (l.kind == Critter::GullFly && forced == Critter::GullFly &&
            t - module().lastPrint > 0.25) {
            module().lastPrint = t;
            const CritterBlit& body = pose.front();
            std::fprintf(stderr, "[gull] x=%.0f y=%.0f\n", body.cx - 33, body.cy - 23);
        }
        return;
    }

    if (forced != Critter::None) {
        startForced(l, forced, t, W, H);
        return;
    }
    if (t < l.nextAt) return;
    startRandom(l, t, W, H);
}

}  // namespace ui
