// World backgrounds, part one: generating a seeded scene and keeping the current one.
#include <algorithm>
#include <cmath>

#include "core/numbers.h"
#include "core/rng.h"
#include "ui/background.h"

namespace ui {

namespace {

using theme::ShapeKind;

constexpr uint32_t kParasol[6] = {0xFF6B6B, 0x3FC8D4, 0xFFD23D, 0x62C370, 0xFF8FAB, 0x7C9EFF};

struct SceneCache {
    Scene scene;
    int builds = 0;
};

SceneCache& cache() {
    static SceneCache c;
    return c;
}

template <typename T>
T pick(Rng& rnd, const std::vector<T>& list) {
    return list[static_cast<size_t>(rnd.intN(static_cast<int>(list.size())))];
}

// The kinds a world strews over its beach; the scene's own sun is the only sun.
std::vector<ShapeKind> decorationKinds(const theme::World& world) {
    std::vector<ShapeKind> kinds;
    for (ShapeKind k : world.shapes)
        if (k != ShapeKind::Sun) kinds.push_back(k);
    if (kinds.empty()) kinds = {ShapeKind::Dot, ShapeKind::Ring};
    return kinds;
}

// The size, turn and colour a decoration draws after its kind, position and palette colour.
void finishDecoration(Rng& rnd, Shape& s) {
    switch (s.kind) {
        case ShapeKind::Marble:
            s.r = rnd.range(24, 60);
            break;
        case ShapeKind::Shell:
            s.r = rnd.range(20, 46);
            s.rot = (rnd.next() - 0.5) * 1.4;
            break;
        case ShapeKind::Starfish:
            s.r = rnd.range(20, 46);
            s.rot = rnd.next() * 2 * kPi;
            break;
        case ShapeKind::Shovel:
            s.r = rnd.range(26, 56);
            s.rot = (rnd.next() - 0.5) * 1.6;
            break;
        case ShapeKind::Sandcastle:
            s.r = rnd.range(24, 56);
            s.rot = (rnd.next() - 0.5) * 0.3;
            break;
        case ShapeKind::Beachball:
            s.r = rnd.range(18, 42);
            s.rot = rnd.next() * kPi;
            break;
        case ShapeKind::Umbrella: {
            s.r = rnd.range(26, 56);
            s.rot = (rnd.next() - 0.5) * 0.5;
            s.color = kParasol[rnd.intN(6)];
            break;
        }
        case ShapeKind::Wave:
            s.w = rnd.range(70, 160);
            s.rot = (rnd.next() - 0.5) * 0.2;
            s.r = 0;
            break;
        case ShapeKind::Sand:
            s.r = rnd.range(3, 9);
            break;
        case ShapeKind::Dot:
            s.r = rnd.range(6, 20);
            break;
        case ShapeKind::Ring:
            s.r = rnd.range(24, 60);
            s.w = rnd.range(4, 10);
            break;
        case ShapeKind::Sun:
            break;  // never a decoration
    }
}

}  // namespace

Scene generateScene(const theme::World& world, int seed, int tier, double w, double h) {
    Scene sc;
    sc.seed = seed;
    sc.tier = tier;
    sc.w = w;
    sc.h = h;
    Rng rnd(static_cast<uint32_t>(seed) * 9173u + 31u);
    const double horizonY = kHorizonFrac * h;
    const double shoreY = kShoreFrac * h;

    sc.sunCx = rnd.range(0.62, 0.85) * w;
    sc.sunCy = rnd.range(0.28, 0.5) * horizonY;
    sc.sunR = 0.055 * std::min(w, h);

    // Each cloud keeps to its own slice of the width.
    const int cloudCount = 2 + static_cast<int>(rnd.range(0, 2));
    for (int i = 0; i < cloudCount; ++i) {
        Scene::Cloud cl;
        cl.cx = (rnd.range(0.12, 0.8) + i) / cloudCount * w;
        cl.cy = rnd.range(0.18, 0.72) * horizonY;
        cl.r = rnd.range(22, 48);
        cl.alpha = rnd.range(0.4, 0.65);
        sc.clouds.push_back(cl);
    }

    const long sparkCount = std::lround(w / 60 * 2);
    for (long i = 0; i < sparkCount; ++i) {
        Scene::Sparkle sp;
        sp.cx = rnd.range(0, w);
        sp.cy = rnd.range(horizonY + 8, shoreY - 10);
        sp.w = rnd.range(8, 26);
        sc.sparkles.push_back(sp);
    }

    // The beach gets about one object per 60000 square units of sand, 40 % of them marbles.
    const double sandH = h - shoreY;
    const long target = std::lround(sandH * w / 60000);
    const long marbleCount = std::lround(target * 0.4);
    for (long i = 0; i < marbleCount; ++i) {
        Shape s;
        s.kind = ShapeKind::Marble;
        s.cx = rnd.range(-20, w + 20);
        s.cy = rnd.range(0.72 * h, h + 20);
        s.r = rnd.range(12, 40);
        s.color = pick(rnd, world.marbleColors);
        sc.shapes.push_back(s);
    }

    const std::vector<ShapeKind> kinds = decorationKinds(world);
    const long decoCount = std::max(8L, target - marbleCount);
    for (long i = 0; i < decoCount; ++i) {
        Shape s;
        s.kind = pick(rnd, kinds);
        s.cx = rnd.range(-20, w + 20);
        s.cy = s.kind == ShapeKind::Wave ? rnd.range(horizonY + 14, shoreY - 8)
                                         : rnd.range(shoreY + 36, h + 20);
        s.color = pick(rnd, world.shapePalette);
        finishDecoration(rnd, s);
        sc.shapes.push_back(s);
    }
    return sc;
}

const Scene& buildScene(int seed, int tier, double w, double h) {
    SceneCache& c = cache();
    const Scene& old = c.scene;
    if (old.seed == seed && old.tier == tier && old.w == w && old.h == h) return old;
    c.scene = generateScene(theme::worldForTier(std::max(tier, 0)), seed, tier, w, h);
    ++c.builds;
    return c.scene;
}

int sceneBuildCount() {
    return cache().builds;
}

void backgroundShutdown() {
    cache() = SceneCache{};
}

}  // namespace ui
