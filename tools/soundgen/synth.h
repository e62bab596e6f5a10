// Small synthesis toolkit for the sound generator: buffers, voices, filters, reverb, levels.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

namespace synth {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// Frequency of a MIDI note number (69 = A4 = 440 Hz).
inline double midiHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}
inline size_t frames(double seconds) {
    return static_cast<size_t>(seconds * kRate + 0.5);
}
inline double dbToGain(double db) {
    return std::pow(10.0, db / 20.0);
}
inline double toDb(double v) {
    return v > 0.0 ? 20.0 * std::log10(v) : -200.0;
}

// PCM in floats, -1..1 is full scale. A mono buffer has an empty right channel.
struct Buffer {
    std::vector<float> l, r;

    Buffer() = default;
    Buffer(size_t n, bool stereo) : l(n, 0.0f), r(stereo ? n : 0, 0.0f) {}
    size_t size() const { return l.size(); }
    bool stereo() const { return !r.empty(); }
    int channels() const { return stereo() ? 2 : 1; }
};

// Equal-power pan gains; -1 is hard left, 1 hard right. Mono buffers use the sum of both.
struct Pan {
    double gl = 1.0, gr = 1.0;
    explicit Pan(double pan = 0.0) {
        double a = (pan + 1.0) * 0.25 * kPi;
        gl = std::cos(a) * std::sqrt(2.0);
        gr = std::sin(a) * std::sqrt(2.0);
    }
};

inline void addAt(Buffer& out, size_t i, double v, const Pan& p) {
    if (i >= out.size()) return;
    if (!out.stereo()) {
        out.l[i] += static_cast<float>(v);
        return;
    }
    out.l[i] += static_cast<float>(v * p.gl);
    out.r[i] += static_cast<float>(v * p.gr);
}

// One decaying sinusoid of a struck body: frequency ratio to the fundamental, amplitude and the
// time constant of its exponential decay in seconds.
struct Mode {
    double ratio;
    double amp;
    double tau;
};

// Adds a struck modal voice (a sum of decaying sinusoids) starting at frame `at`. The attack is a
// short raised-cosine ramp so that no mode starts with a step; modes above 16 kHz are skipped.
void addModal(Buffer& out, size_t at, double f0, const std::vector<Mode>& modes, double gain,
              double attackSec, const Pan& pan = Pan());

// Adds a sinusoid whose frequency glides exponentially from f0 to f1 over glideSec, with an
// attack ramp, an exponential decay of time constant tau and a hard bound of lenSec.
void addGlide(Buffer& out, size_t at, double f0, double f1, double glideSec, double gain,
              double attackSec, double tau, double lenSec, const Pan& pan = Pan());

// Raised-cosine fades at the start and the end of the buffer.
void fadeEdges(Buffer& b, double inSec, double outSec);

// Removes any constant offset (first-order high-pass at `hz`).
void dcBlock(Buffer& b, double hz = 15.0);

// Topology-preserving state-variable filter; stays stable while its cutoff moves.
class Svf {
  public:
    void set(double hz, double q);
    // Filters one sample; the three responses are returned through the references.
    void tick(double x, double& low, double& band, double& high);

  private:
    double a1_ = 0.0, a2_ = 0.0, a3_ = 0.0, k_ = 1.0;
    double ic1_ = 0.0, ic2_ = 0.0;
};

// Stereo reverb of the Schroeder/Moorer family: damped parallel combs, then serial all-passes.
class Reverb {
  public:
    Reverb(double roomSize, double damping);
    void tick(double inL, double inR, double& outL, double& outR);

  private:
    struct Line {
        std::vector<float> buf;
        size_t pos = 0;
        double store = 0.0;
    };
    static double comb(Line& c, double x, double feedback, double damp);
    static double allPass(Line& a, double x);

    std::vector<Line> combsL_, combsR_, apsL_, apsR_;
    double feedback_, damp_;
};

// Adds `wet` times the reverb of `dry` to `out` (both stereo, same length). With `periodic` the
// input is treated as one period of an endless loop, so the tail of the end rings into the start
// and the result loops without a seam.
void addReverb(const Buffer& dry, Buffer& out, double roomSize, double damping, double wet,
               bool periodic);

// Level measurements on the float signal.
double peak(const Buffer& b);
double rms(const Buffer& b);
// Loudest RMS over any window of `winSec`: a short-term loudness, independent of the tail.
double windowRms(const Buffer& b, double winSec);
void scale(Buffer& b, double gain);

}  // namespace synth
