// World backgrounds: a seeded seaside scene (sky, sun, sea, beach objects) with rolling waves.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

#include "theme/theme.h"
#include "ui/app.h"

namespace ui {

// The horizon and the water's edge, as fractions of the window height.
inline constexpr double kHorizonFrac = 0.3;
inline constexpr double kShoreFrac = 0.42;

// The full background over the window for the world of tier (negative: the first world).
// opacity is the strength of the beach objects; without animation the sea stands still.
void drawBackground(Ctx& c, int seed, int tier, double opacity, bool animated);
// The same still picture straight into a w x h context, without textures.
void drawBackgroundCairo(cairo_t* cr, double w, double h, int seed, int tier, double opacity);

// ---- Scenes ----

struct Shape {
    theme::ShapeKind kind = theme::ShapeKind::Dot;
    double cx = 0, cy = 0;
    double r = 0;
    double rot = 0;  // radians
    double w = 0;    // width of a Wave, stroke width of a Ring
    uint32_t color = 0;
};

struct Scene {
    struct Cloud {
        double cx = 0, cy = 0, r = 0, alpha = 0;
    };
    struct Sparkle {
        double cx = 0, cy = 0, w = 0;  // left end, top, length of a glint on the water
    };

    int seed = -1;
    int tier = -2;
    double w = 0, h = 0;
    double sunCx = 0, sunCy = 0, sunR = 0;
    std::vector<Cloud> clouds;
    std::vector<Sparkle> sparkles;
    std::vector<Shape> shapes;  // the marbles first, then the decorations
};

// The one cached scene, rebuilt when any input differs from the cached one.
const Scene& buildScene(int seed, int tier, double w, double h);
// A fresh scene for a given world; the same inputs always give the same scene, draw for draw.
Scene generateScene(const theme::World& world, int seed, int tier, double w, double h);
// How often the cache has built a scene since start (a repeated request builds nothing).
int sceneBuildCount();
// Forgets the cached scene.
void backgroundShutdown();

// ---- Painters ----

struct SceneArgs {
    const Scene& scene;
    const theme::World& world;
    double opacity;
};

// Paints the still picture of a scene (a texture painter; arg is a SceneArgs).
void paintScene(cairo_t* cr, void* arg);
// One beach object in its own colours.
void drawShape(cairo_t* cr, const Shape& s);

}  // namespace ui
