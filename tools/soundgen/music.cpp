// "Only silence remains": a calm piece of glass bells, a soft pipe, a pad and the sea, rendered
// as one period of an endless performance so that its end flows into its start.
//
// 68 bars of four seconds (4 min 32 s), in D major at 60 beats a minute, in five sections:
//   bars  0-15  statement    the pad alone with a few bells, then the tune on the bells
//   bars 16-31  variation    the tune's shape low on the pipe over new chords, then the bells'
//                            answer with the pipe holding a line beneath
//   bars 32-43  open water   chords twice as long, no bass, the tune's notes far apart
//   bars 44-59  return       the tune on the bells doubled by the pipe, then the answer, fullest
//   bars 60-67  ebb          falling fragments thinning into the quiet first bars
#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

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

// 60 beats a minute, four beats a bar: one bar is four seconds.
constexpr double kBeat = 1.0;
constexpr int kBars = 68;
constexpr double kLength = kBars * 4 * kBeat;
// Room left after the period for notes that ring past it; folded back onto the start.
constexpr double kTail = 16.0;

struct Chord {
    int bass;
    int voices[4];
};

// The home progression: Dmaj7, Bm7, Gmaj7, Asus4, Em9, F#m7, Gmaj9, Asus2.
const Chord kHome[8] = {
    {38, {50, 57, 61, 66}}, {35, {50, 54, 57, 62}}, {43, {50, 54, 59, 62}}, {45, {52, 57, 62, 64}},
    {40, {55, 59, 62, 66}}, {42, {52, 57, 61, 64}}, {43, {50, 54, 57, 59}}, {45, {52, 57, 59, 64}},
};
// The variation leans on the relative minor: Bm7, Gmaj7, D/F#, Em9, Bm7, Gmaj9, Em7, Asus4.
const Chord kAway[8] = {
    {35, {50, 54, 57, 62}}, {43, {50, 54, 59, 62}}, {42, {50, 57, 62, 66}}, {40, {55, 59, 62, 66}},
    {35, {50, 54, 57, 61}}, {43, {50, 54, 57, 59}}, {40, {50, 55, 59, 62}}, {45, {52, 57, 62, 64}},
};
// Open water: each chord held for two bars.
const Chord kOpen[6] = {
    {43, {50, 54, 59, 62}}, {42, {52, 57, 61, 64}}, {40, {55, 59, 62, 66}},
    {35, {50, 54, 57, 62}}, {43, {50, 54, 57, 59}}, {45, {52, 57, 62, 64}},
};

// What one bar holds: its chord, how loud the pad swells, the bass, the ripples' motion.
enum class Ripple { None, Rare, Sparse, Loose, Flowing, Low, Settling };
struct Bar {
    Chord chord;
    double pad;
    double bass;  // 0 none; up to 1 with the answering octave from 0.9
    Ripple ripple;
};

std::vector<Bar> plan() {
    std::vector<Bar> bars;
    auto add = [&](const Chord* chords, int count, int repeat, double pad, double bass,
                   Ripple ripple) {
        for (int i = 0; i < count; ++i) {
            for (int r = 0; r < repeat; ++r)
                bars.push_back({chords[i], pad, bass, ripple});
        }
    };
    add(kHome, 8, 1, 0.85, 0.7, Ripple::Loose);    // statement: the opening
    add(kHome, 8, 1, 1.0, 1.0, Ripple::Flowing);   // statement: the tune
    add(kAway, 8, 1, 1.0, 0.9, Ripple::Low);       // variation: the pipe
    add(kHome, 8, 1, 1.0, 1.0, Ripple::Flowing);   // variation: the answer
    add(kOpen, 6, 2, 0.75, 0.0, Ripple::Rare);     // open water
    add(kHome, 8, 1, 1.1, 1.0, Ripple::Flowing);   // return: the tune
    add(kHome, 8, 1, 1.05, 1.0, Ripple::Flowing);  // return: the answer
    add(kHome, 8, 1, 0.85, 0.6, Ripple::Loose);    // ebb
    // The edges: the first and last bars barely move, so the join is the quietest moment.
    for (int b : {0, 1, kBars - 2, kBars - 1})
        bars[b].ripple = Ripple::Sparse;
    bars[31].ripple = bars[59].ripple = Ripple::Settling;
    return bars;
}

struct Note {
    double beat;  // from the start of the phrase
    int midi;
    double vel;
};

// The tune: the motif F#-E-D-E-F# rising to B, answered a bar later.
const Note kTune[] = {
    {0, 78, .9},    {2, 76, .7},   {3, 74, .75},  {4, 76, .8},   {5.5, 78, .7},
    {6, 81, .9},    {8, 83, .9},   {9.5, 81, .7}, {10, 78, .8},  {11, 76, .6},
    {12, 76, .85},  {14, 74, .6},  {15, 76, .55}, {16, 79, .85}, {17, 78, .7},
    {18, 76, .8},   {20, 73, .7},  {21, 76, .7},  {22, 78, .85}, {24, 81, .85},
    {25.5, 83, .7}, {26, 86, .95}, {28, 83, .75}, {29, 81, .7},  {30, 76, .8},
};

// Its answer: higher, sparser, falling back.
const Note kAnswer[] = {
    {0, 81, .8},  {1.5, 78, .6},  {3, 85, .6},   {4, 86, .85}, {6, 83, .7},   {7, 81, .55},
    {8, 83, .8},  {9, 86, .7},    {10, 90, .75}, {12, 88, .8}, {14, 86, .6},  {15, 88, .5},
    {16, 86, .7}, {17.5, 83, .6}, {18, 79, .7},  {20, 81, .7}, {22, 78, .65}, {23, 76, .5},
    {24, 74, .6}, {26, 78, .5},   {28, 76, .4},
};

// The second time the answer climbs once more before it falls, into the ebb.
const Note kAnswerLast[] = {
    {0, 81, .8},  {1.5, 78, .6}, {3, 85, .6},  {4, 86, .85},   {6, 83, .7},
    {7, 81, .55}, {8, 83, .8},   {9, 86, .7},  {10, 90, .75},  {12, 88, .8},
    {13, 90, .6}, {14, 93, .75}, {16, 90, .7}, {17.5, 88, .6}, {18, 86, .7},
    {20, 85, .6}, {22, 81, .6},  {24, 78, .6}, {26, 76, .5},   {28, 74, .5},
};

// A few quiet notes in the opening, so it is not empty.
const Note kOpening[] = {
    {16, 81, .5}, {20, 78, .45}, {24, 76, .45}, {26, 74, .35}, {28, 76, .4},
};

// Open water: the motif's notes a bar or more apart, far away.
const Note kFarAway[] = {
    {0, 78, .5},   {4, 76, .45}, {8, 74, .45}, {14, 76, .4},  {16, 78, .45}, {20, 81, .5},
    {24, 83, .45}, {30, 81, .4}, {32, 78, .4}, {36, 76, .35}, {40, 74, .35}, {44, 76, .3},
};

// The ebb: the motif falling in halves, ever softer.
const Note kEbb[] = {
    {0, 81, .55},  {2, 78, .45},  {4, 76, .5},  {8, 78, .45}, {10, 76, .4},
    {12, 74, .45}, {16, 76, .35}, {18, 74, .3}, {24, 78, .3}, {26, 76, .25},
};

// The pipe's variation: the motif's shape an octave and more below, over the minor chords.
struct Held {
    double beat;
    int midi;
    double beats;  // how long it is held
    double vel;
};
const Held kPipeTune[] = {
    {0, 66, 2, .8},    {2, 64, 1, .6},     {3, 62, 1, .65},   {4, 64, 1.5, .7},  {5.5, 66, .5, .6},
    {6, 71, 2, .85},   {8, 69, 1.5, .75},  {9.5, 66, .5, .6}, {10, 64, 2, .7},   {12, 67, 2, .8},
    {14, 66, 1, .6},   {15, 64, 1, .55},   {16, 62, 2, .7},   {18, 64, 1, .6},   {19, 66, 1, .65},
    {20, 71, 1.5, .8}, {21.5, 69, .5, .6}, {22, 66, 2, .7},   {24, 67, 1.5, .7}, {25.5, 71, .5, .6},
    {26, 74, 2, .8},   {28, 69, 3.5, .7},
};
// Beneath the answer: one long tone a bar, the chords' thirds and sevenths.
const Held kPipeLine[] = {
    {0, 66, 3.5, .5},  {4, 62, 3.5, .45},  {8, 66, 3.5, .5},  {12, 64, 3.5, .45},
    {16, 67, 3.5, .5}, {20, 64, 3.5, .45}, {24, 66, 3.5, .5}, {28, 64, 3.5, .4},
};

size_t at(double beat) {
    return frames(beat * kBeat);
}

double barBeat(int bar) {
    return bar * 4.0;
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
// consecutive chords cross-fade. A chord that lasts several bars is held, not struck again.
Buffer pads(const std::vector<Bar>& bars) {
    Buffer b(frames(kLength + kTail), true);
    const double partials[4] = {1.0, 0.3, 0.12, 0.05};
    const double attack = 1.6, release = 0.9;
    auto sameChord = [](const Chord& a, const Chord& c) {
        return a.bass == c.bass && std::equal(a.voices, a.voices + 4, c.voices);
    };
    for (int bar = 0; bar < kBars;) {
        int held = 1;
        while (bar + held < kBars && sameChord(bars[bar + held].chord, bars[bar].chord))
            ++held;
        const double hold = 4.0 * held;
        const size_t len = frames(hold + 5.0 * release);
        std::vector<float> env(len);
        for (size_t i = 0; i < len; ++i) {
            double t = static_cast<double>(i) / kRate;
            double e = t < attack ? 0.5 - 0.5 * std::cos(kPi * t / attack) : 1.0;
            if (t > hold) e *= std::exp(-(t - hold) / release);
            env[i] = static_cast<float>(e * bars[bar].pad);
        }
        const Chord& c = bars[bar].chord;
        for (int v = 0; v < 4; ++v) {
            for (double detune : {-4.0, 4.0}) {
                Pan pan((v - 1.5) * 0.2 + detune * 0.08);
                double f = midiHz(c.voices[v] + detune / 100.0);
                for (int p = 0; p < 4; ++p) {
                    double w = 2.0 * kPi * f * (p + 1) / kRate;
                    double cw = std::cos(w), sw = std::sin(w), re = 1.0, im = 0.0;
                    size_t start = at(barBeat(bar));
                    for (size_t i = 0; i < len; ++i) {
                        synth::addAt(b, start + i, partials[p] * env[i] * im, pan);
                        double nre = re * cw - im * sw;
                        im = re * sw + im * cw;
                        re = nre;
                    }
                }
            }
        }
        bar += held;
    }
    return b;
}

// Sub-bass heartbeat: the root at each bar, a softer octave answering later in the bar.
Buffer bass(const std::vector<Bar>& bars) {
    Buffer b(frames(kLength + kTail), true);
    const std::vector<Mode> modes = {{1.0, 1.0, 2.2}, {2.0, 0.12, 1.0}, {3.0, 0.03, 0.5}};
    for (int bar = 0; bar < kBars; ++bar) {
        const double g = bars[bar].bass;
        if (g <= 0.0) continue;
        int root = bars[bar].chord.bass;
        addModal(b, at(barBeat(bar)), midiHz(root), modes, g, 0.03);
        if (g >= 0.9) addModal(b, at(barBeat(bar) + 2.5), midiHz(root + 12), modes, 0.3 * g, 0.03);
    }
    return b;
}

// Bells: the tune, each note with two echoes that answer from the other side; far-away notes
// have longer, softer echoes.
Buffer bells() {
    Buffer b(frames(kLength + kTail), true);
    const std::vector<Mode> bell = {
        {1.0, 1.0, 1.5}, {2.0, 0.25, 0.8}, {3.0, 0.08, 0.4}, {4.07, 0.05, 0.25}, {5.43, 0.02, 0.1}};
    auto play = [&](const Note* tune, size_t count, int bar, double echoGap) {
        for (size_t k = 0; k < count; ++k) {
            const Note& n = tune[k];
            double beat = barBeat(bar) + n.beat;
            double pan = (n.midi - 80) * 0.05;
            addModal(b, at(beat), midiHz(n.midi), bell, n.vel, 0.004, Pan(pan));
            addModal(b, at(beat + echoGap), midiHz(n.midi), bell, n.vel * 0.28, 0.004,
                     Pan(-pan - 0.4));
            addModal(b, at(beat + 2.0 * echoGap), midiHz(n.midi), bell, n.vel * 0.1, 0.004,
                     Pan(pan + 0.4));
        }
    };
    auto count = [](const auto& tune) { return sizeof(tune) / sizeof(tune[0]); };
    play(kOpening, count(kOpening), 0, 0.75);
    play(kTune, count(kTune), 8, 0.75);
    play(kAnswer, count(kAnswer), 24, 0.75);
    play(kFarAway, count(kFarAway), 32, 1.5);
    play(kTune, count(kTune), 44, 0.75);
    play(kAnswerLast, count(kAnswerLast), 52, 0.75);
    play(kEbb, count(kEbb), 60, 1.0);
    return b;
}

// A soft pipe, like breath across a bottle: a sine with a little of its second and third
// harmonics, a slow attack and a gentle vibrato that arrives once the note has settled.
void addPipe(Buffer& b, double beat, int midi, double beats, double gain, const Pan& pan) {
    const double f = midiHz(midi), attack = 0.12, release = 0.6;
    const double hold = std::max(beats * kBeat - 0.1, attack);
    const size_t start = at(beat), len = frames(hold + 6.0 * release);
    double phase = 0.0;
    for (size_t i = 0; i < len; ++i) {
        double t = static_cast<double>(i) / kRate;
        double e = t < attack ? 0.5 - 0.5 * std::cos(kPi * t / attack) : 1.0;
        if (t > hold) e *= std::exp(-(t - hold) / release);
        double depth = 0.003 * std::min(1.0, std::max(0.0, (t - 0.4) / 0.6));
        double v = std::sin(phase) + 0.22 * std::sin(2.0 * phase) + 0.07 * std::sin(3.0 * phase);
        synth::addAt(b, start + i, gain * e * v, pan);
        phase += 2.0 * kPi * f * (1.0 + depth * std::sin(2.0 * kPi * 4.6 * t)) / kRate;
        if (phase > 2.0 * kPi) phase -= 2.0 * kPi;
    }
}

Buffer pipe() {
    Buffer b(frames(kLength + kTail), true);
    for (const Held& h : kPipeTune)
        addPipe(b, barBeat(16) + h.beat, h.midi, h.beats, h.vel, Pan(-0.25));
    for (const Held& h : kPipeLine)
        addPipe(b, barBeat(24) + h.beat, h.midi, h.beats, h.vel, Pan(-0.35));
    // The return: the pipe doubles the bells' tune an octave below, softly, each note held
    // until the next.
    const size_t n = sizeof(kTune) / sizeof(Note);
    for (size_t k = 0; k < n; ++k) {
        double next = k + 1 < n ? kTune[k + 1].beat : kTune[k].beat + 3.0;
        addPipe(b, barBeat(44) + kTune[k].beat, kTune[k].midi - 12,
                std::min(next - kTune[k].beat, 2.0), 0.45 * kTune[k].vel, Pan(-0.3));
    }
    return b;
}

// Ripples: the chord's tones one or two octaves up, struck like marbles on glass; how often
// depends on the bar's motion.
Buffer ripples(const std::vector<Bar>& bars) {
    Buffer b(frames(kLength + kTail), true);
    const std::vector<Mode> glass = {{1.0, 1.0, 0.35}, {2.0, 0.2, 0.15}, {2.76, 0.08, 0.04}};
    const int pattern[8] = {0, 2, 1, 3, 2, 1, 3, 0};
    Rng rng(2024u);
    for (int bar = 0; bar < kBars; ++bar) {
        std::vector<double> beats;
        double gain = 0.25;
        int octave = 12;
        switch (bars[bar].ripple) {
            case Ripple::None:
                break;
            case Ripple::Rare:
                if (bar % 2 == 0) beats = {0.0};
                gain = 0.11;
                break;
            case Ripple::Sparse:
                beats = {0.0, 2.0};
                gain = 0.14;
                break;
            case Ripple::Loose:
                beats = {0.0, 1.5, 2.5};
                gain = 0.17;
                break;
            case Ripple::Settling:
                beats = {0.0, 1.0, 2.0, 3.0};
                gain = 0.2;
                break;
            case Ripple::Low:
                // Beneath the pipe: quarter notes, an octave lower than elsewhere.
                beats = {0.0, 1.0, 2.0, 3.0};
                gain = 0.2;
                octave = 0;
                break;
            case Ripple::Flowing:
                for (int e = 0; e < 8; ++e)
                    beats.push_back(0.5 * e);
                break;
        }
        const Chord& c = bars[bar].chord;
        for (size_t k = 0; k < beats.size(); ++k) {
            int idx = pattern[(static_cast<int>(beats[k] * 2.0) + bar) % 8];
            int note = c.voices[idx] + octave + (idx >= 2 ? 0 : 12);
            double g = gain * rng.range(0.8, 1.1);
            addModal(b, at(barBeat(bar) + beats[k]), midiHz(note), glass, g, 0.002,
                     Pan(k % 2 ? 0.45 : -0.45));
        }
    }
    return b;
}

// Wind chimes in the sea breeze: rare, high, wide; a little clearer over open water.
Buffer chimes() {
    Buffer b(frames(kLength + kTail), true);
    const std::vector<Mode> bar = {
        {1.0, 1.0, 1.1}, {2.76, 0.3, 0.4}, {5.4, 0.12, 0.15}, {8.93, 0.05, 0.07}};
    const int notes[6] = {86, 88, 90, 93, 95, 98};
    Rng rng(777u);
    for (double t = rng.range(0.5, 3.0); t < kLength; t += rng.range(1.5, 4.5)) {
        const bool open = t >= barBeat(32) && t < barBeat(44);
        addModal(b, frames(t), midiHz(notes[rng.intN(6)]), bar,
                 rng.range(0.08, 0.18) * (open ? 1.4 : 1.0), 0.002, Pan(rng.range(-0.8, 0.8)));
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
        std::function<Buffer()> render;
        double level, reverb;
    };
    const std::vector<Bar> bars = plan();
    const Part parts[] = {
        {[&] { return pads(bars); }, 0.028, 0.5},
        {[&] { return bass(bars); }, 0.16, 0.05},
        {bells, 0.2, 0.6},
        {pipe, 0.12, 0.7},
        {[&] { return ripples(bars); }, 0.4, 0.7},
        {chimes, 0.3, 1.5},
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
