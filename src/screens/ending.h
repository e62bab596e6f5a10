// The temple ending's rules without a window: the three-star count, the Buddha's marble over
// time and where each part of the screen goes.
#pragma once

#include <cairo.h>

#include "ui/app.h"

namespace screens {

struct EndingCounts {
    bool allPerfect = false;
    int perfectCount = 0;  // levels whose stored best has three stars, 0 … total
    int total = 0;
};

// Counts the stored three-star bests and applies a navigation record's forcePerfect:
// below 0 the stored bests decide, 0 forces the normal ending, above 0 the perfect one.
EndingCounts endingCounts(int forcePerfect);

// The marble's hue in degrees at time t (seconds): one full turn every 7.5 s.
double buddhaHue(double t);
// The number on the marble: 1 … 15, the next one every half second, then over again.
int buddhaDigit(double t);
// The number's opacity: it fades out and in around each change.
double buddhaDigitAlpha(double t);

struct EndingLayout {
    double headSize = 0;  // headline font size
    double sceneW = 0, sceneH = 0, left = 0, top = 0;
    double messageY = 0, messageW = 0;
    double progressY = 0;
    ui::Rect back;  // the button back to the menu
};

// Geometry of a w x h window; messageH is the height of the wrapped message. Where the button
// would have to cover the progress line, the scene gives up some of its height.
EndingLayout endingLayout(double w, double h, double messageH);
// The height the message of the perfect or the normal ending takes in a w-wide window.
double endingMessageHeight(cairo_t* cr, double w, bool perfect);

}  // namespace screens
