// Measurements of a decoded sound as a listener meets it: loudness, the loop join, gaps, peaks.
#pragma once

#include "synth.h"

namespace analysis {

// Integrated loudness in LUFS (K-weighted, 400 ms blocks, absolute and relative gates). A mono
// buffer counts as heard from both speakers, as the mixer plays it.
double integratedLufs(const synth::Buffer& b);

struct LoopFigures {
    double seconds = 0.0;
    double peakDb = -200.0;
    double lufs = -200.0;
    double joinStep = 0.0;    // largest change between the last frame and the first
    double innerStep = 0.0;   // largest change between neighbouring frames anywhere inside
    double nearStep = 0.0;    // the same within one second either side of the loop point
    double silenceMs = 0.0;   // longest run below -60 dBFS, counted round the loop point
    double edgeJumpDb = 0.0;  // level of the last 200 ms against the first 200 ms
};

// Figures of a buffer that is played as an endless loop.
LoopFigures loopFigures(const synth::Buffer& b);

}  // namespace analysis
