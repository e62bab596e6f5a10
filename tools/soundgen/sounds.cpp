// Recipes of the effects: every sound is built from struck glass, water bubbles, chimes and air.
#include "sounds.h"

#include <algorithm>
#include <cstdint>

#include "core/rng.h"

namespace sounds {

using synth::addGlide;
using synth::addModal;
using synth::Buffer;
using synth::frames;
using synth::kPi;
using synth::kRate;
using synth::midiHz;
using synth::Mode;
using synth::Pan;

namespace {

double easeInOutCubic(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return x < 0.5 ? 4.0 * x * x * x : 1.0 - std::pow(-2.0 * x + 2.0, 3.0) / 2.0;
}

double smoothstep(double a, double b, double x) {
    double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// Band-limited contact noise: the "tick" of glass meeting glass.
void addTick(Buffer& out, size_t at, double centreHz, double gain, double tau, uint32_t seed,
             const Pan& pan = Pan()) {
    Rng rng(seed);
    synth::Svf bp;
    bp.set(centreHz, 1.4);
    const size_t len = frames(tau * 8.0);
    const size_t attack = frames(0.0004);
    for (size_t i = 0; i < len; ++i) {
        double lo, band, hi;
        bp.tick(rng.range(-1.0, 1.0), lo, band, hi);
        double env = std::exp(-static_cast<double>(i) / (tau * kRate));
        if (i < attack) env *= static_cast<double>(i) / attack;
        synth::addAt(out, at + i, gain * env * band, pan);
    }
}

// A glass bell: harmonic body plus the inharmonic modes that make it sound like glass.
std::vector<Mode> bellModes(double decay) {
    return {{1.0, 1.0, decay},
            {2.0, 0.32, decay * 0.55},
            {3.0, 0.11, decay * 0.3},
            {4.16, 0.07, decay * 0.18},
            {5.43, 0.04, decay * 0.1}};
}

}  // namespace

double colourNote(int colour) {
    static const int kSteps[5] = {0, 2, 4, 7, 9};
    colour = std::clamp(colour, 0, kColours - 1);
    return 62.0 + 12.0 * (colour / 5) + kSteps[colour % 5];
}

// ---- Marbles ----

Buffer drop(int colour) {
    const double f = midiHz(colourNote(colour));
    // Small marbles on high notes ring shorter, as real glass does.
    const double tau = 0.2 * std::pow(587.33 / f, 0.35);
    const std::vector<Mode> modes = {{1.0, 1.0, tau},        {2.0, 0.28, tau * 0.45},
                                     {3.0, 0.1, tau * 0.25}, {2.76, 0.12, 0.035},
                                     {5.4, 0.06, 0.018},     {8.93, 0.03, 0.01}};
    Buffer b(frames(0.75), false);
    // The landing, then two ever smaller bounces.
    const double hits[3][2] = {{0.0, 1.0}, {0.072, 0.3}, {0.118, 0.11}};
    for (int h = 0; h < 3; ++h) {
        size_t at = frames(hits[h][0]);
        addModal(b, at, f, modes, hits[h][1], 0.0008);
        addTick(b, at, 5200.0, 0.9 * hits[h][1], 0.0012, 7001u + 31u * colour + h);
    }
    synth::dcBlock(b);
    synth::fadeEdges(b, 0.001, 0.06);
    return b;
}

Buffer fluidRise(int colour) {
    const double f = midiHz(colourNote(colour));
    const double len = 2.9, peakAt = 2.2;
    Buffer b(frames(len), false);
    auto swell = [&](double t) {
        if (t < peakAt) return easeInOutCubic(t / peakAt);
        return 0.5 + 0.5 * std::cos(kPi * std::min(1.0, (t - peakAt) / (len - peakAt)));
    };

    // The swell: a rubbed-glass tone that glides up a fourth into the colour's pitch.
    double phase = 0.0;
    for (size_t i = 0; i < b.size(); ++i) {
        double t = static_cast<double>(i) / kRate;
        double semis = -5.0 + 5.0 * easeInOutCubic(t / 1.9);
        double vib = 1.0 + 0.0015 * smoothstep(1.4, 2.0, t) * std::sin(2.0 * kPi * 5.0 * t);
        phase += 2.0 * kPi * f * std::pow(2.0, semis / 12.0) * vib / kRate;
        double tone = std::sin(phase) + 0.22 * std::sin(2.0 * phase) +
                      0.07 * std::sin(3.0 * phase) + 0.03 * std::sin(4.0 * phase);
        b.l[i] += static_cast<float>(0.3 * swell(t) * tone);
    }

    // Bubbles: each a short upward chirp (a bubble's pitch rises as it closes); they grow
    // denser as the liquid rises and, like a filling bottle, climb in pitch.
    Rng rng(9001u + 17u * colour);
    static const double kRatios[4] = {1.0, 1.5, 2.0, 3.0};
    const int count = 60;
    for (int k = 0; k < count; ++k) {
        double t = 0.05 + 2.45 * std::sqrt(rng.next());
        double progress = t / 2.5;
        double fb = f * kRatios[rng.intN(4)] * (1.0 + 0.3 * progress) * rng.range(0.985, 1.015);
        while (fb > 3800.0)
            fb *= 0.5;
        while (fb < 380.0)
            fb *= 2.0;
        double tauB = rng.range(0.012, 0.03);
        double g = rng.range(0.08, 0.22) * (0.35 + 0.65 * swell(t));
        addGlide(b, frames(t), fb, fb * rng.range(1.25, 1.45), 0.03, g, 0.0015, tauB, tauB * 6.0);
    }

    // A faint wash of moving water under it all.
    Rng noise(9501u + colour);
    synth::Svf lp;
    for (size_t i = 0; i < b.size(); ++i) {
        double t = static_cast<double>(i) / kRate;
        lp.set(500.0 + 2000.0 * easeInOutCubic(t / peakAt), 0.7);
        double lo, band, hi;
        lp.tick(noise.range(-1.0, 1.0), lo, band, hi);
        b.l[i] += static_cast<float>(0.05 * swell(t) * lo);
    }

    synth::dcBlock(b);
    synth::fadeEdges(b, 0.005, 0.12);
    return b;
}

// ---- Interface ----

Buffer click() {
    Buffer b(frames(0.09), false);
    const double f = midiHz(93);  // A6
    addModal(b, 0, f, {{0.5, 0.5, 0.014}, {1.0, 1.0, 0.008}, {2.76, 0.2, 0.003}}, 1.0, 0.0004);
    addTick(b, 0, 3000.0, 0.35, 0.0007, 101u);
    synth::dcBlock(b);
    synth::fadeEdges(b, 0.0005, 0.02);
    return b;
}

Buffer pickup() {
    Buffer b(frames(0.22), false);
    // Up a fifth, D5 to A5: light, like a marble leaving the tube.
    addGlide(b, 0, midiHz(74), midiHz(81), 0.07, 1.0, 0.006, 0.07, 0.22);
    addGlide(b, 0, midiHz(86), midiHz(93), 0.07, 0.15, 0.006, 0.05, 0.2);
    addModal(b, 0, midiHz(81), {{2.76, 0.12, 0.01}}, 1.0, 0.0006);
    synth::dcBlock(b);
    synth::fadeEdges(b, 0.001, 0.04);
    return b;
}

Buffer illegal() {
    Buffer b(frames(0.45), false);
    // Two soft, low notes falling a minor third; only low partials, so it never bites.
    const std::vector<Mode> soft = {{1.0, 1.0, 0.09}, {2.0, 0.3, 0.05}, {3.0, 0.08, 0.03}};
    addModal(b, 0, midiHz(57), soft, 1.0, 0.01);
    addModal(b, frames(0.14), midiHz(54), soft, 0.9, 0.01);
    synth::dcBlock(b);
    synth::fadeEdges(b, 0.002, 0.08);
    return b;
}

// ---- Celebration ----

Buffer success() {
    Buffer dry(frames(2.0), true);
    const int notes[5] = {74, 78, 81, 86, 90};  // D major, upwards
    for (int i = 0; i < 5; ++i) {
        addModal(dry, frames(0.07 * i), midiHz(notes[i]), bellModes(0.55), 0.8 + 0.05 * i, 0.0015,
                 Pan(-0.5 + 0.25 * i));
    }
    // A soft chord underneath holds the arpeggio together.
    for (int n : {69, 74, 78}) {
        addGlide(dry, frames(0.05), midiHz(n), midiHz(n), 0.0, 0.12, 0.1, 0.8, 1.9, Pan());
    }
    Buffer b = dry;
    synth::addReverb(dry, b, 0.6, 0.4, 0.25, false);
    synth::dcBlock(b);
    synth::fadeEdges(b, 0.001, 0.3);
    return b;
}

Buffer winGlare() {
    const double len = 2.4, top = 1.35;
    Buffer dry(frames(len), true);
    auto swell = [&](double t) {
        if (t < top) return smoothstep(0.0, top, t) * smoothstep(0.0, top, t);
        return std::exp(-(t - top) / 0.45);
    };

    // Shimmer: a cluster of high sines, each trembling at its own rate.
    Rng rng(4242u);
    const int notes[8] = {86, 88, 90, 93, 95, 98, 100, 102};
    for (int n : notes) {
        for (double detune : {-3.0, 3.0}) {
            double f = midiHz(n + detune / 100.0);
            double rate = rng.range(6.0, 11.0), ph = rng.range(0.0, 2.0 * kPi);
            Pan pan(rng.range(-0.8, 0.8));
            double g = 0.06 * (n < 95 ? 1.0 : 0.6);
            for (size_t i = 0; i < dry.size(); ++i) {
                double t = static_cast<double>(i) / kRate;
                double trem = 0.6 + 0.4 * std::sin(2.0 * kPi * rate * t + ph);
                synth::addAt(dry, i, g * swell(t) * trem * std::sin(2.0 * kPi * f * t), pan);
            }
        }
    }

    // White: airy noise whose band climbs as the glare takes over.
    Rng noise(4343u);
    synth::Svf bandL, bandR;
    for (size_t i = 0; i < dry.size(); ++i) {
        double t = static_cast<double>(i) / kRate;
        double centre = 2500.0 + 6500.0 * smoothstep(0.2, top, t);
        bandL.set(centre, 0.8);
        bandR.set(centre * 1.07, 0.8);
        double lo, bl, br, hi;
        bandL.tick(noise.range(-1.0, 1.0), lo, bl, hi);
        bandR.tick(noise.range(-1.0, 1.0), lo, br, hi);
        double g = 0.16 * smoothstep(0.4, top, t) * swell(t);
        dry.l[i] += static_cast<float>(g * bl);
        dry.r[i] += static_cast<float>(g * br);
    }

    Buffer b = dry;
    synth::addReverb(dry, b, 0.7, 0.3, 0.3, false);
    synth::dcBlock(b);
    synth::fadeEdges(b, 0.01, 0.25);
    return b;
}

Buffer star(int n) {
    n = std::clamp(n, 1, 3);
    // A, D, F#: the three stars spell a D major chord upwards.
    const int mains[3] = {81, 86, 90};
    const int graces[3] = {76, 81, 86};
    const double pans[3] = {-0.35, 0.0, 0.35};
    const std::vector<Mode> chime = {{1.0, 1.0, 0.45},
                                     {2.0, 0.2, 0.25},
                                     {2.76, 0.15, 0.12},
                                     {5.4, 0.08, 0.05},
                                     {8.93, 0.03, 0.02}};
    Buffer dry(frames(1.2), true);
    Pan pan(pans[n - 1]);
    addModal(dry, 0, midiHz(graces[n - 1]), chime, 0.45, 0.001, pan);
    addModal(dry, frames(0.06), midiHz(mains[n - 1]), chime, 1.0, 0.001, pan);
    if (n == 3) addModal(dry, frames(0.12), midiHz(mains[2] + 12), chime, 0.35, 0.001, Pan(0.6));
    Buffer b = dry;
    synth::addReverb(dry, b, 0.55, 0.4, 0.22, false);
    synth::dcBlock(b);
    synth::fadeEdges(b, 0.001, 0.2);
    return b;
}

}  // namespace sounds
