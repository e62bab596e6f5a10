// Loudness after ITU-R BS.1770 and the figures of a seamless loop.
#include "analysis.h"

#include <algorithm>
#include <cmath>

namespace analysis {

namespace {

using synth::Buffer;
using synth::kPi;
using synth::kRate;

// Transposed direct form II; coefficients normalised so that a0 is 1.
struct Biquad {
    double b0, b1, b2, a1, a2;
    double z1 = 0.0, z2 = 0.0;
    double tick(double x) {
        double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

// The K-weighting's two stages, designed for our rate from their analogue prototypes: a shelf
// of about +4 dB above 1.7 kHz (the head) and a high-pass near 38 Hz.
Biquad shelf() {
    const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
    const double k = std::tan(kPi * f0 / kRate);
    const double vh = std::pow(10.0, gainDb / 20.0), vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
            2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

Biquad highPass() {
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    const double k = std::tan(kPi * f0 / kRate);
    const double a0 = 1.0 + k / q + k * k;
    return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

double lufsOf(double meanSquare) {
    return meanSquare > 0.0 ? -0.691 + 10.0 * std::log10(meanSquare) : -200.0;
}

}  // namespace

double integratedLufs(const Buffer& b) {
    const size_t block = synth::frames(0.4), hop = synth::frames(0.1);
    // A sound shorter than one block is measured as one block, padded with silence.
    const size_t n = std::max(b.size(), block);
    std::vector<double> power(n, 0.0);
    for (const std::vector<float>* ch : {&b.l, b.stereo() ? &b.r : &b.l}) {
        Biquad s = shelf(), h = highPass();
        for (size_t i = 0; i < n; ++i) {
            double y = h.tick(s.tick(i < ch->size() ? (*ch)[i] : 0.0));
            power[i] += y * y;
        }
    }
    std::vector<double> prefix(n + 1, 0.0);
    for (size_t i = 0; i < n; ++i)
        prefix[i + 1] = prefix[i] + power[i];
    std::vector<double> blocks;
    for (size_t at = 0; at + block <= n; at += hop)
        blocks.push_back((prefix[at + block] - prefix[at]) / static_cast<double>(block));
    auto gatedMean = [&](double gate) {
        double sum = 0.0;
        size_t count = 0;
        for (double z : blocks) {
            if (lufsOf(z) > gate) {
                sum += z;
                ++count;
            }
        }
        return count ? sum / static_cast<double>(count) : 0.0;
    };
    const double absolute = gatedMean(-70.0);
    return lufsOf(gatedMean(lufsOf(absolute) - 10.0));
}

LoopFigures loopFigures(const Buffer& b) {
    LoopFigures f;
    const size_t n = b.size();
    if (n < 2) return f;
    f.seconds = static_cast<double>(n) / kRate;
    f.peakDb = synth::toDb(synth::peak(b));
    f.lufs = integratedLufs(b);
    const size_t near = std::min(n / 2, static_cast<size_t>(kRate));
    for (const std::vector<float>* ch : {&b.l, &b.r}) {
        if (ch->empty()) continue;
        const std::vector<float>& x = *ch;
        f.joinStep = std::max(f.joinStep, static_cast<double>(std::fabs(x[0] - x[n - 1])));
        for (size_t i = 1; i < n; ++i) {
            double step = std::fabs(x[i] - x[i - 1]);
            f.innerStep = std::max(f.innerStep, step);
            if (i <= near || i >= n - near) f.nearStep = std::max(f.nearStep, step);
        }
    }
    // Silent runs; the one that touches the end continues into the one at the start.
    const float quiet = static_cast<float>(synth::dbToGain(-60.0));
    auto silent = [&](size_t i) {
        return std::fabs(b.l[i]) < quiet && (!b.stereo() || std::fabs(b.r[i]) < quiet);
    };
    size_t head = 0;
    while (head < n && silent(head))
        ++head;
    size_t longest = head, run = 0;
    for (size_t i = head; i < n; ++i) {
        run = silent(i) ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    if (head < n) longest = std::max(longest, run + head);
    f.silenceMs = 1000.0 * static_cast<double>(longest) / kRate;
    const size_t w = std::min(n / 2, synth::frames(0.2));
    auto rmsOver = [&](size_t from) {
        double sum = 0.0;
        for (size_t i = from; i < from + w; ++i) {
            sum += static_cast<double>(b.l[i]) * b.l[i];
            if (b.stereo()) sum += static_cast<double>(b.r[i]) * b.r[i];
        }
        return std::sqrt(sum / static_cast<double>(w * b.channels()));
    };
    f.edgeJumpDb = std::fabs(synth::toDb(rmsOver(n - w)) - synth::toDb(rmsOver(0)));
    return f;
}

}  // namespace analysis
