// "Only silence remains": a calm loop of glass bells, a soft pad and the sea, rendered as one
// period of an endless piece so that its end flows into its start.
#include <algorithm>
#include <cstdint>

#include "core/rng.h"
#include "sounds.h"

namespace sounds {

using synth::addModal;
using synth::Buffer;
using synth::frames;
using synth::kPi;
using synth::kRate;
using synth::midiHz;
using synth::Mode;
using synth::Pan;

namespace {

// 60 beats a minute, four beats a bar: one bar is four seconds and 24 bars make 96 s.
constexpr double kBeat = 1.0;
constexpr int kBars = 24;
constexpr double kLength = kBars * 4 * kBeat;
// Room left after the period for notes that ring past it; folded back onto the start.
constexpr double kTail = 16.0;

struct Chord {
    int bass;
    int voices[4];
};

// Eight bars in D major, played three times: Dmaj7, Bm7, Gmaj7, Asus4, Em9, F#m7, Gmaj9, Asus2.
const Chord kChords[8] = {
    {38, {50, 57, 61, 66}}, {35, {50, 54, 57, 62}}, {43, {50, 54, 59, 62}}, {45, {52, 57, 62, 64}},
    {40, {55, 59, 62, 66}}, {42, {52, 57, 61, 64}}, {43, {50, 54, 57, 59}}, {45, {52, 57, 59, 64}},
};

struct Note {
    double beat;  // from the start of the eight-bar phrase
    int midi;
    double vel;
};

// The tune of the second phrase.
const Note kTuneA[] = {
    {0, 78, .9},    {2, 76, .7},   {3, 74, .75},  {4, 76, .8},   {5.5, 78, .7},
    {6, 81, .9},    {8, 83, .9},   {9.5, 81, .7}, {10, 78, .8},  {11, 76, .6},
    {12, 76, .85},  {14, 74, .6},  {15, 76, .55}, {16, 79, .85}, {17, 78, .7},
    {18, 76, .8},   {20, 73, .7},  {21, 76, .7},  {22, 78, .85}, {24, 81, .85},
    {25.5, 83, .7}, {26, 86, .95}, {28, 83, .75}, {29, 81, .7},  {30, 76, .8},
};

// Its answer in the third phrase: higher, sparser, and dying away towards the loop's start.
const Note kTuneB[] = {
    {0, 81, .8},  {1.5, 78, .6},  {3, 85, .6},   {4, 86, .85}, {6, 83, .7},   {7, 81, .55},
    {8, 83, .8},  {9, 86, .7},    {10, 90, .75}, {12, 88, .8}, {14, 86, .6},  {15, 88, .5},
    {16, 86, .7}, {17.5, 83, .6}, {18, 79, .7},  {20, 81, .7}, {22, 78, .65}, {23, 76, .5},
    {24, 74, .6}, {26, 78, .5},   {28, 76, .4},
};

// A few quiet notes in the first phrase, so the opening is not empty.
const Note kTuneIntro[] = {
    {16, 81, .5}, {20, 78, .45}, {24, 76, .45}, {26, 74, .35}, {28, 76, .4},
};

size_t at(double beat) {
    return frames(beat * kBeat);
}

// Folds everything after the period back onto its start: the loop plays the tail of its last
// notes over its first bars, exactly as an endless performance would.
Buffer fold(const Buffer& b) {
    const size_t n = frames(kLength);
    Buffer out(n, true);
    for (size_t i = 0; i < b.size(); ++i) {
        out.l[i % n] += b.l[i];
        out.r[i % n] += b.r[i];
    }
    return out;
}

void mixInto(Buffer& dst, const Buffer& src, double gain) {
    for (size_t i = 0; i < dst.size(); ++i) {
        dst.l[i] += static_cast<float>(gain * src.l[i]);
        dst.r[i] += static_cast<float>(gain * src.r[i]);
    }
}

// ---- Voices ----

// Pad: each chord tone as two slightly detuned soft tones, swelling in and fading out so that
// consecutive chords cross-fade.
Buffer pads() {
    Buffer b(frames(kLength + kTail), true);
    const double partials[4] = {1.0, 0.3, 0.12, 0.05};
    const double attack = 1.6, release = 0.9;
    const size_t len = frames(4.0 + 5.0 * release);
    std::vector<float> env(len);
    for (size_t i = 0; i < len; ++i) {
        double t = static_cast<double>(i) / kRate;
        double e = t < attack ? 0.5 - 0.5 * std::cos(kPi * t / attack) : 1.0;
        if (t > 4.0) e *= std::exp(-(t - 4.0) / release);
        env[i] = static_cast<float>(e);
    }
    for (int bar = 0; bar < kBars; ++bar) {
        const Chord& c = kChords[bar % 8];
        for (int v = 0; v < 4; ++v) {
            for (double detune : {-4.0, 4.0}) {
                Pan pan((v - 1.5) * 0.2 + detune * 0.08);
                double f = midiHz(c.voices[v] + detune / 100.0);
                for (int p = 0; p < 4; ++p) {
                    double w = 2.0 * kPi * f * (p + 1) / kRate;
                    double cw = std::cos(w), sw = std::sin(w), re = 1.0, im = 0.0;
                    size_t start = at(bar * 4.0);
                    for (size_t i = 0; i < len; ++i) {
                        synth::addAt(b, start + i, partials[p] * env[i] * im, pan);
                        double nre = re * cw - im * sw;
                        im = re * sw + im * cw;
                        re = nre;
                    }
                }
            }
        }
    }
    return b;
}

// Sub-bass heartbeat: the root at each bar, a softer echo of it later in the bar.
Buffer bass() {
    Buffer b(frames(kLength + kTail), true);
    const std::vector<Mode> modes = {{1.0, 1.0, 2.2}, {2.0, 0.12, 1.0}, {3.0, 0.03, 0.5}};
    for (int bar = 0; bar < kBars; ++bar) {
        bool full = bar >= 8 && bar < 22;
        int root = kChords[bar % 8].bass;
        addModal(b, at(bar * 4.0), midiHz(root), modes, full ? 1.0 : 0.7, 0.03);
        if (full) addModal(b, at(bar * 4.0 + 2.5), midiHz(root + 12), modes, 0.3, 0.03);
    }
    return b;
}

// Bells: the tune, each note with two echoes that answer from the other side.
Buffer bells() {
    Buffer b(frames(kLength + kTail), true);
    const std::vector<Mode> bell = {
        {1.0, 1.0, 1.5}, {2.0, 0.25, 0.8}, {3.0, 0.08, 0.4}, {4.07, 0.05, 0.25}, {5.43, 0.02, 0.1}};
    auto play = [&](const Note* tune, size_t count, double phraseBeat) {
        for (size_t k = 0; k < count; ++k) {
            const Note& n = tune[k];
            double beat = phraseBeat + n.beat;
            double pan = (n.midi - 80) * 0.05;
            addModal(b, at(beat), midiHz(n.midi), bell, n.vel, 0.004, Pan(pan));
            addModal(b, at(beat + 0.75), midiHz(n.midi), bell, n.vel * 0.28, 0.004,
                     Pan(-pan - 0.4));
            addModal(b, at(beat + 1.5), midiHz(n.midi), bell, n.vel * 0.1, 0.004, Pan(pan + 0.4));
        }
    };
    play(kTuneIntro, sizeof(kTuneIntro) / sizeof(Note), 0.0);
    play(kTuneA, sizeof(kTuneA) / sizeof(Note), 32.0);
    play(kTuneB, sizeof(kTuneB) / sizeof(Note), 64.0);
    return b;
}

// Ripples: the chord's tones one or two octaves up, struck like marbles on glass.
Buffer ripples() {
    Buffer b(frames(kLength + kTail), true);
    const std::vector<Mode> glass = {{1.0, 1.0, 0.35}, {2.0, 0.2, 0.15}, {2.76, 0.08, 0.04}};
    const int pattern[8] = {0, 2, 1, 3, 2, 1, 3, 0};
    Rng rng(2024u);
    for (int bar = 0; bar < kBars; ++bar) {
        // Sparse in the first phrase, flowing in the middle, thinning again at the end so the
        // last bar leads back into the first.
        std::vector<double> beats;
        double gain = 0.25;
        if (bar < 2 || bar == 23) {
            beats = {0.0, 2.0};
            gain = 0.14;
        } else if (bar < 8) {
            beats = {0.0, 1.5, 2.5};
            gain = 0.17;
        } else if (bar == 22) {
            beats = {0.0, 1.0, 2.0, 3.0};
            gain = 0.2;
        } else {
            for (int e = 0; e < 8; ++e)
                beats.push_back(0.5 * e);
        }
        const Chord& c = kChords[bar % 8];
        for (size_t k = 0; k < beats.size(); ++k) {
            int idx = pattern[(static_cast<int>(beats[k] * 2.0) + bar) % 8];
            int note = c.voices[idx] + 12 + (idx >= 2 ? 0 : 12);
            double g = gain * rng.range(0.8, 1.1);
            addModal(b, at(bar * 4.0 + beats[k]), midiHz(note), glass, g, 0.002,
                     Pan(k % 2 ? 0.45 : -0.45));
        }
    }
    return b;
}

// Wind chimes in the sea breeze: rare, high, wide.
Buffer chimes() {
    Buffer b(frames(kLength + kTail), true);
    const std::vector<Mode> bar = {
        {1.0, 1.0, 1.1}, {2.76, 0.3, 0.4}, {5.4, 0.12, 0.15}, {8.93, 0.05, 0.07}};
    const int notes[6] = {86, 88, 90, 93, 95, 98};
    Rng rng(777u);
    for (double t = rng.range(0.5, 3.0); t < kLength; t += rng.range(1.5, 4.5)) {
        addModal(b, frames(t), midiHz(notes[rng.intN(6)]), bar, rng.range(0.08, 0.18), 0.002,
                 Pan(rng.range(-0.8, 0.8)));
    }
    return b;
}

// The sea: filtered noise swelling with a wave every eight seconds, foam hissing at each crest.
// Everything here is a function of time modulo the period, and the filters run over the period
// twice (keeping the second pass), so the waves are seamless across the loop point too.
Buffer sea() {
    const size_t n = frames(kLength);
    Buffer b(n, true);
    Rng rng(31337u);
    const int waves = static_cast<int>(kLength / 8.0);
    std::vector<double> heights(waves);
    for (double& h : heights)
        h = rng.range(0.55, 1.0);
    auto swell = [&](double t) {
        // Sum of the waves around t, each rising over 2.6 s and ebbing over the next 5.4 s.
        double v = 0.0;
        for (int k = 0; k < waves; ++k) {
            double s = std::fmod(t - 8.0 * k + 2.0 * kLength, kLength);
            double e =
                s < 2.6 ? std::pow(std::sin(0.5 * kPi * s / 2.6), 2.0) : std::exp(-(s - 2.6) / 1.6);
            v += heights[k] * e;
        }
        return 0.12 + 0.88 * std::min(v, 1.0);
    };
    std::vector<float> noise[2];
    for (auto& ch : noise) {
        ch.resize(n);
        for (float& s : ch)
            s = static_cast<float>(rng.range(-1.0, 1.0));
    }
    for (int ch = 0; ch < 2; ++ch) {
        synth::Svf body, foam;
        foam.set(3500.0, 0.7);
        std::vector<float>& out = ch == 0 ? b.l : b.r;
        // The right ear hears each wave a little later: the shore runs across the listener.
        const double lag = ch == 0 ? 0.0 : 0.35;
        std::vector<double> sw(n);
        for (size_t i = 0; i < n; ++i)
            sw[i] = swell(static_cast<double>(i) / kRate - lag);
        for (int pass = 0; pass < 2; ++pass) {
            for (size_t i = 0; i < n; ++i) {
                double w = sw[i];
                body.set(300.0 + 1300.0 * std::pow(w, 1.5), 0.6);
                double lo, band, hi, flo, fband, fhi;
                body.tick(noise[ch][i], lo, band, hi);
                foam.tick(noise[ch][i], flo, fband, fhi);
                if (pass == 1) out[i] = static_cast<float>(w * lo + 0.25 * w * w * w * fhi);
            }
        }
    }
    return b;
}

// High-pass at 20 Hz run over the period twice, so the loop keeps no offset and no seam.
void removeOffsetPeriodic(Buffer& b) {
    const double r = 1.0 - 2.0 * kPi * 20.0 / kRate;
    for (std::vector<float>* ch : {&b.l, &b.r}) {
        std::vector<float> src = *ch;
        double px = src.back(), py = 0.0;
        for (int pass = 0; pass < 2; ++pass) {
            for (size_t i = 0; i < src.size(); ++i) {
                double y = src[i] - px + r * py;
                px = src[i];
                py = y;
                if (pass == 1) (*ch)[i] = static_cast<float>(y);
            }
        }
    }
}

}  // namespace

double musicSeconds() {
    return kLength;
}

Buffer music() {
    const size_t n = frames(kLength);
    Buffer dry(n, true), send(n, true);
    // Levels of each voice in the mix, and how much of it goes into the reverb.
    struct Part {
        Buffer (*render)();
        double level, reverb;
    };
    const Part parts[] = {
        {pads, 0.028, 0.5},  {bass, 0.16, 0.05}, {bells, 0.2, 0.6},
        {ripples, 0.4, 0.7}, {chimes, 0.3, 1.5},
    };
    for (const Part& p : parts) {
        Buffer voice = fold(p.render());
        mixInto(dry, voice, p.level);
        mixInto(send, voice, p.level * p.reverb);
    }
    Buffer waves = sea();
    mixInto(dry, waves, 0.5);
    mixInto(send, waves, 0.5 * 0.2);
    synth::addReverb(send, dry, 0.88, 0.35, 0.3, true);
    removeOffsetPeriodic(dry);
    return dry;
}

}  // namespace sounds
