// Synthesis toolkit: modal voices, glides, fades, filters, reverb and level measurement.
#include "synth.h"

#include <algorithm>

namespace synth {

namespace {

// Raised-cosine ramp 0 → 1 over n frames.
double ramp(size_t i, size_t n) {
    if (n == 0 || i >= n) return 1.0;
    return 0.5 - 0.5 * std::cos(kPi * static_cast<double>(i) / static_cast<double>(n));
}

}  // namespace

void addModal(Buffer& out, size_t at, double f0, const std::vector<Mode>& modes, double gain,
              double attackSec, const Pan& pan) {
    const size_t attack = frames(attackSec);
    for (const Mode& m : modes) {
        double f = f0 * m.ratio;
        if (f <= 0.0 || f > 16000.0 || m.amp <= 0.0 || m.tau <= 0.0) continue;
        // A rotating, shrinking phasor is far cheaper than sin() and exp() per sample.
        double w = 2.0 * kPi * f / kRate;
        double d = std::exp(-1.0 / (m.tau * kRate));
        double cw = std::cos(w) * d, sw = std::sin(w) * d;
        double re = 1.0, im = 0.0;
        // Ring until the mode is 100 dB below its start.
        size_t len = static_cast<size_t>(m.tau * kRate * std::log(1e5));
        double amp = gain * m.amp;
        for (size_t i = 0; i < len && at + i < out.size(); ++i) {
            addAt(out, at + i, amp * im * ramp(i, attack), pan);
            double nre = re * cw - im * sw;
            im = re * sw + im * cw;
            re = nre;
        }
    }
}

void addGlide(Buffer& out, size_t at, double f0, double f1, double glideSec, double gain,
              double attackSec, double tau, double lenSec, const Pan& pan) {
    const size_t attack = frames(attackSec);
    const size_t len = frames(lenSec);
    const size_t tailFade = std::min(len / 4, frames(0.006));
    double phase = 0.0;
    for (size_t i = 0; i < len && at + i < out.size(); ++i) {
        double t = static_cast<double>(i) / kRate;
        double x = glideSec > 0.0 ? std::min(t / glideSec, 1.0) : 1.0;
        double f = f0 * std::pow(f1 / f0, x);
        double env = ramp(i, attack) * std::exp(-t / tau);
        if (len - i <= tailFade) env *= ramp(len - i, tailFade);
        addAt(out, at + i, gain * env * std::sin(phase), pan);
        phase += 2.0 * kPi * f / kRate;
        if (phase > 2.0 * kPi) phase -= 2.0 * kPi;
    }
}

void fadeEdges(Buffer& b, double inSec, double outSec) {
    const size_t n = b.size();
    const size_t fin = std::min(n, frames(inSec));
    const size_t fout = std::min(n, frames(outSec));
    for (std::vector<float>* ch : {&b.l, &b.r}) {
        if (ch->empty()) continue;
        for (size_t i = 0; i < fin; ++i)
            (*ch)[i] *= static_cast<float>(ramp(i, fin));
        // The very last frame reaches exact silence.
        for (size_t i = 0; i < fout; ++i)
            (*ch)[n - 1 - i] *= static_cast<float>(ramp(i, fout));
    }
}

void dcBlock(Buffer& b, double hz) {
    const double r = 1.0 - 2.0 * kPi * hz / kRate;
    for (std::vector<float>* ch : {&b.l, &b.r}) {
        double prevX = 0.0, prevY = 0.0;
        for (float& s : *ch) {
            double y = s - prevX + r * prevY;
            prevX = s;
            prevY = y;
            s = static_cast<float>(y);
        }
    }
}

void Svf::set(double hz, double q) {
    hz = std::clamp(hz, 10.0, 0.45 * kRate);
    double g = std::tan(kPi * hz / kRate);
    k_ = 1.0 / q;
    a1_ = 1.0 / (1.0 + g * (g + k_));
    a2_ = g * a1_;
    a3_ = g * a2_;
}

void Svf::tick(double x, double& low, double& band, double& high) {
    double v3 = x - ic2_;
    double v1 = a1_ * ic1_ + a2_ * v3;
    double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    low = v2;
    band = v1;
    high = x - k_ * v1 - v2;
}

// Delay lengths in frames at 44.1 kHz; mutually prime-ish so the echoes do not pile up.
Reverb::Reverb(double roomSize, double damping)
    : feedback_(0.7 + 0.28 * roomSize), damp_(0.4 * damping) {
    static const int kCombs[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const int kAllPasses[] = {556, 441, 341, 225};
    const int spread = 23;  // right channel slightly longer: a wide, decorrelated tail
    for (int c : kCombs) {
        combsL_.push_back(Line{std::vector<float>(c, 0.0f)});
        combsR_.push_back(Line{std::vector<float>(c + spread, 0.0f)});
    }
    for (int a : kAllPasses) {
        apsL_.push_back(Line{std::vector<float>(a, 0.0f)});
        apsR_.push_back(Line{std::vector<float>(a + spread, 0.0f)});
    }
}

double Reverb::comb(Line& c, double x, double feedback, double damp) {
    double out = c.buf[c.pos];
    c.store = out * (1.0 - damp) + c.store * damp;
    c.buf[c.pos] = static_cast<float>(x + c.store * feedback);
    if (++c.pos == c.buf.size()) c.pos = 0;
    return out;
}

double Reverb::allPass(Line& a, double x) {
    double delayed = a.buf[a.pos];
    a.buf[a.pos] = static_cast<float>(x + delayed * 0.5);
    if (++a.pos == a.buf.size()) a.pos = 0;
    return delayed - x;
}

void Reverb::tick(double inL, double inR, double& outL, double& outR) {
    double in = (inL + inR) * 0.015;
    double l = 0.0, r = 0.0;
    for (Line& c : combsL_)
        l += comb(c, in, feedback_, damp_);
    for (Line& c : combsR_)
        r += comb(c, in, feedback_, damp_);
    for (Line& a : apsL_)
        l = allPass(a, l);
    for (Line& a : apsR_)
        r = allPass(a, r);
    outL = l * 3.0;
    outR = r * 3.0;
}

void addReverb(const Buffer& dry, Buffer& out, double roomSize, double damping, double wet,
               bool periodic) {
    Reverb rev(roomSize, damping);
    const size_t n = dry.size();
    const int passes = periodic ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const bool keep = pass == passes - 1;
        for (size_t i = 0; i < n; ++i) {
            double inL = dry.l[i];
            double inR = dry.stereo() ? dry.r[i] : inL;
            double oL, oR;
            rev.tick(inL, inR, oL, oR);
            if (!keep) continue;
            if (out.stereo()) {
                out.l[i] += static_cast<float>(wet * oL);
                out.r[i] += static_cast<float>(wet * oR);
            } else {
                out.l[i] += static_cast<float>(wet * 0.5 * (oL + oR));
            }
        }
    }
}

double peak(const Buffer& b) {
    double p = 0.0;
    for (float s : b.l)
        p = std::max(p, static_cast<double>(std::fabs(s)));
    for (float s : b.r)
        p = std::max(p, static_cast<double>(std::fabs(s)));
    return p;
}

double rms(const Buffer& b) {
    double sum = 0.0;
    for (float s : b.l)
        sum += static_cast<double>(s) * s;
    for (float s : b.r)
        sum += static_cast<double>(s) * s;
    size_t n = b.l.size() + b.r.size();
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
}

double windowRms(const Buffer& b, double winSec) {
    const size_t n = b.size();
    const size_t w = std::max<size_t>(1, std::min(n, frames(winSec)));
    auto energy = [&](size_t i) {
        double e = static_cast<double>(b.l[i]) * b.l[i];
        if (b.stereo()) e = 0.5 * (e + static_cast<double>(b.r[i]) * b.r[i]);
        return e;
    };
    double sum = 0.0, best = 0.0;
    for (size_t i = 0; i < n; ++i) {
        sum += energy(i);
        if (i >= w) sum -= energy(i - w);
        best = std::max(best, sum);
    }
    return std::sqrt(std::max(0.0, best) / static_cast<double>(w));
}

void scale(Buffer& b, double gain) {
    for (float& s : b.l)
        s = static_cast<float>(s * gain);
    for (float& s : b.r)
        s = static_cast<float>(s * gain);
}

}  // namespace synth
