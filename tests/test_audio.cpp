// Tests of the sound module against a real SDL_mixer on the dummy and disk audio drivers.
#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/assets.h"
#include "platform/audio.h"
#include "test_support.h"

// Which thread last opened music: this binary's definition comes before the library's, and hands
// every call on to it.
namespace {
std::mutex gOpenedMutex;
std::thread::id gMusicOpenedOn;
}  // namespace

extern "C" Mix_Music* Mix_LoadMUS_RW(SDL_RWops* src, int freesrc) {
    using Open = Mix_Music* (*)(SDL_RWops*, int);
    static const Open real = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "Mix_LoadMUS_RW"));
    {
        std::lock_guard<std::mutex> lock(gOpenedMutex);
        gMusicOpenedOn = std::this_thread::get_id();
    }
    return real(src, freesrc);
}

namespace {

// Effects are decoded in the background; these tests play them at once.
bool initAndDecode() {
    if (!audio::init()) return false;
    while (!audio::effectsDecoded())
        SDL_Delay(1);
    return true;
}

// Every test starts from the state the game starts from, on the dummy driver.
class Audio : public testing::Test {
  protected:
    void SetUp() override {
        audio::shutdown();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        audio::setEnabled(true);
        audio::stopMusic();
        audio::setMusicVolume(0.25);
        audio::setSfxVolume(1.0);
    }
    void TearDown() override {
        audio::shutdown();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_DISKAUDIOFILE");
        unsetenv("SDL_DISKAUDIODELAY");
    }
};

// Whether the chunk the mixer last started on channel 0 holds the decoded sound of `file`.
// Each check halts all channels first, so the next effect lands on channel 0.
bool channelZeroPlays(const std::string& file) {
    Mix_Chunk* playing = Mix_GetChunk(0);
    const std::string& bytes = assets::blob(file);
    Mix_Chunk* want = Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), int(bytes.size())), 1);
    bool same = playing && want && playing->alen == want->alen &&
                std::memcmp(playing->abuf, want->abuf, want->alen) == 0;
    if (want) Mix_FreeChunk(want);
    Mix_HaltChannel(-1);
    return same;
}

bool anyChannelStarted() {
    for (int ch = 0; ch < Mix_AllocateChannels(-1); ++ch) {
        if (Mix_GetChunk(ch)) return true;
    }
    return false;
}

std::string drop(int i) {
    return "audio/sfx_drop_" + std::to_string(i) + ".ogg";
}
std::string rise(int i) {
    return "audio/sfx_fluid_rise_" + std::to_string(i) + ".ogg";
}

std::vector<int16_t> readSamples(const std::string& path) {
    std::string raw = testsupport::readText(path);
    std::vector<int16_t> s(raw.size() / 2);
    std::memcpy(s.data(), raw.data(), s.size() * 2);
    return s;
}

}  // namespace

TEST_F(Audio, EachCallPlaysItsOwnFileAndColourIdsAreClamped) {
    ASSERT_TRUE(initAndDecode());
    EXPECT_EQ(Mix_AllocateChannels(-1), 24);
    const char* files[] = {"audio/sfx_click.ogg",     "audio/sfx_pickup.ogg",
                           "audio/sfx_illegal.ogg",   "audio/sfx_success.ogg",
                           "audio/sfx_win_glare.ogg", "audio/sfx_star1.ogg",
                           "audio/sfx_star2.ogg",     "audio/sfx_star3.ogg"};
    for (int i = 0; i < 8; ++i) {
        audio::play(audio::kAllSfx[i]);
        EXPECT_TRUE(channelZeroPlays(files[i])) << files[i];
    }
    const std::pair<int, int> colours[] = {{-1, 0},  {-50, 0}, {0, 0},   {7, 7},
                                           {14, 14}, {15, 14}, {17, 14}, {1000, 14}};
    for (auto [id, file] : colours) {
        audio::playDrop(id);
        EXPECT_TRUE(channelZeroPlays(drop(file))) << "drop " << id;
        audio::playFluidRise(id);
        EXPECT_TRUE(channelZeroPlays(rise(file))) << "rise " << id;
    }
}

TEST_F(Audio, EffectVolumeAndSwitchDecideWhetherAnEffectStarts) {
    ASSERT_TRUE(initAndDecode());
    audio::setSfxVolume(0.0);
    audio::play(audio::Sfx::Click);
    audio::playDrop(3);
    audio::playFluidRise(3);
    EXPECT_FALSE(anyChannelStarted());

    audio::setSfxVolume(1.0);
    audio::setEnabled(false);
    audio::play(audio::Sfx::Click);
    EXPECT_FALSE(anyChannelStarted());

    // The volume is applied to the effect when it is played: 0.25 × 128, truncated.
    audio::setEnabled(true);
    audio::setSfxVolume(0.25);
    audio::play(audio::Sfx::Click);
    ASSERT_NE(Mix_GetChunk(0), nullptr);
    EXPECT_EQ(Mix_VolumeChunk(Mix_GetChunk(0), -1), 32);
    audio::setSfxVolume(2.0);
    audio::play(audio::Sfx::Click);
    EXPECT_EQ(Mix_VolumeChunk(Mix_GetChunk(0), -1), 128);
}

TEST_F(Audio, MusicVolumeIsKeptBeforeInitAndAppliedByIt) {
    audio::setMusicVolume(0.5);  // not ready yet: only remembered
    ASSERT_TRUE(initAndDecode());
    EXPECT_EQ(Mix_VolumeMusic(-1), 64);
    const std::pair<double, int> cases[] = {{1.7, 128}, {-0.2, 0}, {0.999, 127}, {0.25, 32}};
    for (auto [v, mixer] : cases) {
        audio::setMusicVolume(v);
        EXPECT_EQ(Mix_VolumeMusic(-1), mixer) << v;
    }
}

TEST_F(Audio, MusicStartsOnceAndStaysOffAfterTheSwitchIsFlipped) {
    ASSERT_TRUE(initAndDecode());
    audio::startMusic();
    ASSERT_TRUE(Mix_PlayingMusic());
    // A second start must not restart the track; a restart would also undo this pause.
    Mix_PauseMusic();
    audio::startMusic();
    EXPECT_TRUE(Mix_PausedMusic());
    Mix_ResumeMusic();

    audio::setEnabled(false);
    EXPECT_FALSE(Mix_PlayingMusic());
    audio::setEnabled(true);
    EXPECT_FALSE(Mix_PlayingMusic());
    audio::startMusic();
    EXPECT_TRUE(Mix_PlayingMusic());
    audio::stopMusic();
    EXPECT_FALSE(Mix_PlayingMusic());

    // Wanted while switched off: it starts when the switch comes back on.
    audio::setEnabled(false);
    audio::startMusic();
    EXPECT_FALSE(Mix_PlayingMusic());
    audio::setEnabled(true);
    EXPECT_TRUE(Mix_PlayingMusic());

    // Shutting down and starting again loads everything afresh, with the music not yet wanted.
    audio::shutdown();
    ASSERT_TRUE(initAndDecode());
    EXPECT_FALSE(Mix_PlayingMusic());
    audio::play(audio::Sfx::Star3);
    EXPECT_TRUE(channelZeroPlays("audio/sfx_star3.ogg"));
}

// Opening the long track must not hold up the first frame: init() leaves it to the worker, and
// what the frame loop asks of the music meanwhile is what happens once it is open.
TEST_F(Audio, MusicOpensInTheBackgroundAndHonoursWhatWasAskedMeanwhile) {
    struct Case {
        const char* what;
        void (*meanwhile)();
        bool playing;
    };
    const Case cases[] = {
        {"started", [] { audio::startMusic(); }, true},
        {"started, then stopped",
         [] {
             audio::startMusic();
             audio::stopMusic();
         },
         false},
        {"started while switched off",
         [] {
             audio::setEnabled(false);
             audio::startMusic();
         },
         false},
        {"never asked for", [] {}, false},
    };
    for (const Case& c : cases) {
        {
            std::lock_guard<std::mutex> lock(gOpenedMutex);
            gMusicOpenedOn = std::thread::id();
        }
        ASSERT_TRUE(audio::init()) << c.what;
        c.meanwhile();
        while (!audio::effectsDecoded())
            SDL_Delay(1);
        {
            std::lock_guard<std::mutex> lock(gOpenedMutex);
            EXPECT_NE(gMusicOpenedOn, std::thread::id()) << c.what << ": the music was opened";
            EXPECT_NE(gMusicOpenedOn, std::this_thread::get_id()) << c.what;
        }
        EXPECT_EQ(bool(Mix_PlayingMusic()), c.playing) << c.what;
        audio::shutdown();
        audio::setEnabled(true);
    }
}

TEST_F(Audio, WithoutADeviceTheGameGoesOnSilentlyAfterOneMessage) {
    struct Case {
        const char* driver;
        const char* diskFile;
        const char* message;
    };
    const std::string unwritable = testsupport::tempRoot() + "/no/such/dir/out.raw";
    const Case cases[] = {
        {"no-such-driver", nullptr, "[audio] kein Audio-Subsystem: "},
        {"disk", unwritable.c_str(), "[audio] Mix_OpenAudio: "},
    };
    for (const Case& c : cases) {
        setenv("SDL_AUDIODRIVER", c.driver, 1);
        if (c.diskFile) setenv("SDL_DISKAUDIOFILE", c.diskFile, 1);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(audio::init()) << c.driver;
        audio::setMusicVolume(0.8);
        audio::setSfxVolume(0.8);
        audio::play(audio::Sfx::Success);
        audio::playDrop(4);
        audio::playFluidRise(20);
        audio::startMusic();
        audio::setEnabled(false);
        audio::setEnabled(true);
        audio::stopMusic();
        audio::shutdown();
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.rfind(c.message, 0), 0u) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
}

// The disk driver writes what the mixer outputs, in real time, to a file.
TEST_F(Audio, PlayedSoundsReachTheOutput) {
    const std::string out = testsupport::tempRoot() + "/mixer-out.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    ASSERT_TRUE(initAndDecode());
    audio::playDrop(5);
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    audio::setMusicVolume(1.0);
    audio::startMusic();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    audio::shutdown();

    std::vector<int16_t> s = readSamples(out);
    // Silence while the sounds were being decoded, then the drop, then the music at the end.
    size_t first = 0;
    while (first < s.size() && s[first] == 0)
        ++first;
    ASSERT_LT(first + 2 * 44100, s.size());
    auto peak = [&](size_t from, size_t to) {
        int m = 0;
        for (size_t i = from; i < to && i < s.size(); ++i)
            m = std::max(m, std::abs(int(s[i])));
        return m;
    };
    EXPECT_GT(peak(first, first + 2 * 30000), 3000);
    EXPECT_GT(peak(s.size() - 2 * 8820, s.size()), 300);
}

// With no delay the disk driver renders as fast as it can, so the loop point arrives within a
// second or two. Across it the output must be the track's end followed at once by its start.
TEST_F(Audio, MusicLoopsThroughTheMixerWithoutAGap) {
    const std::string out = testsupport::tempRoot() + "/mixer-loop.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    ASSERT_TRUE(initAndDecode());
    audio::setMusicVolume(1.0);
    audio::startMusic();
    // Decoding the effects took a moment, which the driver has already filled with silence.
    std::error_code ec;
    const uintmax_t before = std::filesystem::file_size(out, ec);
    // The whole track, decoded the way the mixer decodes it.
    const std::string& bytes = assets::blob("audio/bgm_calm.ogg");
    Mix_Chunk* track = Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), int(bytes.size())), 1);
    ASSERT_NE(track, nullptr);
    std::vector<int16_t> music(track->alen / 2);
    std::memcpy(music.data(), track->abuf, music.size() * 2);
    Mix_FreeChunk(track);
    const size_t n = music.size() / 2;
    ASSERT_GE(n, size_t(240 * 44100)) << "the loop lasts at least four minutes";

    const uintmax_t enough = before + uintmax_t(n + 2 * 44100) * 4;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (std::filesystem::file_size(out, ec) < enough &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    audio::shutdown();

    std::vector<int16_t> s = readSamples(out);
    // The music starts where the output stops being silent, less any silence it opens with.
    auto firstSound = [](const std::vector<int16_t>& v) {
        size_t i = 0;
        while (i < v.size() && v[i] == 0)
            ++i;
        return i - i % 2;
    };
    const size_t start = firstSound(s) - firstSound(music);
    ASSERT_GE(s.size(), start + 2 * (n + 44100));
    // Half a second either side of the loop point, sample by sample.
    const size_t half = 2 * 22050, loop = start + 2 * n;
    size_t mismatches = 0;
    for (size_t k = 0; k < half; ++k) {
        mismatches += std::abs(s[loop - half + k] - music[2 * n - half + k]) > 1;
        mismatches += std::abs(s[loop + k] - music[k]) > 1;
    }
    EXPECT_EQ(mismatches, 0u);
}

TEST_F(Audio, ShuttingDownWhileEffectsDecodeStopsTheWorkerAndALaterInitHearsThemAll) {
    // The game may be closed in its first moments, while the worker is still decoding.
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(audio::init());
        audio::play(audio::Sfx::Click);  // skipped or played, never waited for
        audio::shutdown();
    }
    ASSERT_TRUE(initAndDecode());
    audio::play(audio::Sfx::Click);
    EXPECT_TRUE(channelZeroPlays("audio/sfx_click.ogg"));
}
