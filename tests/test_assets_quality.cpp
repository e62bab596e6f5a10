// Tests of the shipped sound set itself, decoded through SDL_mixer as the game hears it:
// format, headroom, offset, clean edges, the drops' loudness and pitches, the music loop.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "assets_data.h"
#include "platform/assets.h"

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// Interleaved stereo 16-bit frames, as the mixer holds them.
struct Pcm {
    std::vector<int16_t> s;
    size_t frames() const { return s.size() / 2; }
    double at(size_t frame, int ch) const { return s[2 * frame + ch] / 32768.0; }
};

double dbfs(double v) {
    return 20.0 * std::log10(std::max(v, 1e-12));
}

class SoundSet : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        setenv("SDL_AUDIODRIVER", "dummy", 1);  // decoding needs an open mixer, not a device
        ok_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 &&
              Mix_OpenAudio(kRate, AUDIO_S16SYS, 2, 1024) == 0;
    }
    static void TearDownTestSuite() {
        if (ok_) Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    void SetUp() override { ASSERT_TRUE(ok_) << "mixer: " << Mix_GetError(); }

    static Pcm decode(const std::string& name) {
        Pcm p;
        const std::string& bytes = assets::blob(name);
        Mix_Chunk* c = Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), int(bytes.size())), 1);
        if (!c) return p;
        p.s.resize(c->alen / 2);
        std::memcpy(p.s.data(), c->abuf, p.s.size() * 2);
        Mix_FreeChunk(c);
        return p;
    }

    static std::vector<std::string> effects() {
        std::vector<std::string> names;
        for (const assets_data::Entry& e : assets_data::kEntries) {
            if (std::string(e.name) != "audio/bgm_calm.ogg") names.push_back(e.name);
        }
        return names;
    }

    static inline bool ok_ = false;
};

// Sample rate and channel count from the Vorbis identification header.
bool vorbisFormat(const std::string& bytes, int& rate, int& channels) {
    size_t at = bytes.find("\x01vorbis");
    if (at == std::string::npos || at + 16 > bytes.size()) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at + 11);
    channels = p[0];
    rate = p[1] | p[2] << 8 | p[3] << 16 | p[4] << 24;
    return true;
}

double peakOf(const Pcm& p, size_t from, size_t to) {
    double m = 0.0;
    for (size_t f = from; f < to && f < p.frames(); ++f) {
        m = std::max({m, std::fabs(p.at(f, 0)), std::fabs(p.at(f, 1))});
    }
    return m;
}

double rmsOf(const Pcm& p, size_t from, size_t to) {
    double sum = 0.0;
    to = std::min(to, p.frames());
    for (size_t f = from; f < to; ++f)
        sum += p.at(f, 0) * p.at(f, 0) + p.at(f, 1) * p.at(f, 1);
    return to > from ? std::sqrt(sum / (2.0 * (to - from))) : 0.0;
}

// Strongest frequency between lo and hi over 200 ms from `fromSec`: a Goertzel scan in 1 Hz steps.
double dominantHz(const Pcm& p, double fromSec, double lo, double hi) {
    size_t start = size_t(fromSec * kRate), n = size_t(0.2 * kRate);
    std::vector<double> x(n);
    for (size_t i = 0; i < n && start + i < p.frames(); ++i) {
        double hann = 0.5 - 0.5 * std::cos(2.0 * kPi * i / (n - 1));
        x[i] = hann * (p.at(start + i, 0) + p.at(start + i, 1));
    }
    double best = 0.0, bestPower = -1.0;
    for (double f = lo; f <= hi; f += 1.0) {
        double c = 2.0 * std::cos(2.0 * kPi * f / kRate), s1 = 0.0, s2 = 0.0;
        for (double v : x) {
            double s0 = v + c * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        double power = s1 * s1 + s2 * s2 - c * s1 * s2;
        if (power > bestPower) {
            bestPower = power;
            best = f;
        }
    }
    return best;
}

// D major pentatonic from D4 upwards: the pitch of colour i.
double colourHz(int i) {
    static const int kSteps[5] = {0, 2, 4, 7, 9};
    return 440.0 * std::pow(2.0, (62 + 12 * (i / 5) + kSteps[i % 5] - 69) / 12.0);
}

}  // namespace

TEST_F(SoundSet, EveryFileIsA44100HzVorbisThatTheMixerDecodes) {
    size_t total = 0;
    for (const assets_data::Entry& e : assets_data::kEntries) {
        const std::string& bytes = assets::blob(e.name);
        total += bytes.size();
        int rate = 0, channels = 0;
        ASSERT_TRUE(vorbisFormat(bytes, rate, channels)) << e.name;
        EXPECT_EQ(rate, 44100) << e.name;
        EXPECT_TRUE(channels == 1 || channels == 2) << e.name;
        EXPECT_GT(decode(e.name).frames(), 1000u) << e.name << ": " << Mix_GetError();
    }
    // The game streams the music rather than holding it decoded.
    const std::string& music = assets::blob("audio/bgm_calm.ogg");
    Mix_Music* m = Mix_LoadMUS_RW(SDL_RWFromConstMem(music.data(), int(music.size())), 1);
    EXPECT_NE(m, nullptr) << Mix_GetError();
    if (m) Mix_FreeMusic(m);
    EXPECT_LE(total, 6u * 1024 * 1024) << "the whole set must stay within 6 MB";
}

TEST_F(SoundSet, PeaksStayBelowMinusOneDbfsWithoutOffset) {
    for (const assets_data::Entry& e : assets_data::kEntries) {
        Pcm p = decode(e.name);
        ASSERT_GT(p.frames(), 0u) << e.name;
        EXPECT_LE(dbfs(peakOf(p, 0, p.frames())), -1.0) << e.name;
        for (int ch = 0; ch < 2; ++ch) {
            double sum = 0.0;
            for (size_t f = 0; f < p.frames(); ++f)
                sum += p.at(f, ch);
            EXPECT_LE(dbfs(std::fabs(sum / p.frames())), -60.0) << e.name << " channel " << ch;
        }
    }
}

TEST_F(SoundSet, EffectsFadeInAndOutWithoutClicks) {
    for (const std::string& name : effects()) {
        Pcm p = decode(name);
        ASSERT_GT(p.frames(), 1000u) << name;
        const size_t n = p.frames();
        double whole = peakOf(p, 0, n);
        // The first and last frames are near silence, the first 0.1 ms is still ramping up, and
        // the last 3 ms have faded out.
        EXPECT_LE(dbfs(peakOf(p, 0, 1)), -40.0) << name;
        EXPECT_LE(dbfs(peakOf(p, n - 1, n)), -40.0) << name;
        EXPECT_LE(peakOf(p, 0, 4), 0.3 * whole) << name;
        EXPECT_LE(dbfs(peakOf(p, n - size_t(0.003 * kRate), n)), -40.0) << name;
    }
}

TEST_F(SoundSet, DropsMatchInLoudnessAndClimbThePentatonicScale) {
    double quietest = 1e9, loudest = -1e9, previous = 0.0;
    for (int i = 0; i < 15; ++i) {
        std::string drop = "audio/sfx_drop_" + std::to_string(i) + ".ogg";
        Pcm p = decode(drop);
        ASSERT_GT(p.frames(), size_t(0.3 * kRate)) << drop;
        double level = dbfs(rmsOf(p, 0, p.frames()));
        quietest = std::min(quietest, level);
        loudest = std::max(loudest, level);

        double want = colourHz(i);
        double got = dominantHz(p, 0.03, want * 0.8, want * 1.25);
        EXPECT_NEAR(got, want, want * 0.015) << drop;
        EXPECT_GT(got, previous) << drop;
        previous = got;

        // The rising liquid settles on the same pitch once its glide is over.
        std::string rise = "audio/sfx_fluid_rise_" + std::to_string(i) + ".ogg";
        Pcm r = decode(rise);
        ASSERT_GT(r.frames(), size_t(2.3 * kRate)) << rise;
        EXPECT_NEAR(dominantHz(r, 2.0, want * 0.8, want * 1.25), want, want * 0.015) << rise;
        double seconds = double(r.frames()) / kRate;
        EXPECT_TRUE(seconds >= 1.5 && seconds <= 3.0) << rise << ": " << seconds << " s";
    }
    EXPECT_LE(loudest - quietest, 3.0);
}

TEST_F(SoundSet, MusicLoopIsLongEnoughAndItsEndFlowsIntoItsStart) {
    Pcm p = decode("audio/bgm_calm.ogg");
    const size_t n = p.frames();
    ASSERT_GE(n, size_t(240 * kRate));
    // The step across the loop point is no larger than ordinary steps near it.
    double largestStep = 0.0, joinStep = 0.0;
    for (int ch = 0; ch < 2; ++ch) {
        joinStep = std::max(joinStep, std::fabs(p.at(0, ch) - p.at(n - 1, ch)));
        for (size_t f = 1; f < size_t(kRate); ++f) {
            largestStep = std::max({largestStep, std::fabs(p.at(f, ch) - p.at(f - 1, ch)),
                                    std::fabs(p.at(n - f, ch) - p.at(n - f - 1, ch))});
        }
    }
    EXPECT_LE(joinStep, largestStep);
    // No gap: the music is still sounding at the end and already sounding at the start, at a
    // similar level.
    const size_t w = size_t(0.2 * kRate);
    double endDb = dbfs(rmsOf(p, n - w, n)), startDb = dbfs(rmsOf(p, 0, w));
    EXPECT_GT(endDb, -45.0);
    EXPECT_GT(startDb, -45.0);
    EXPECT_NEAR(endDb, startDb, 6.0);
}
