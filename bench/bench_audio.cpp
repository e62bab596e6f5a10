// Benchmark of the sound path: unscrambling the assets, audio start-up, decoding, playing.
#include <SDL.h>
#include <SDL_mixer.h>
#include <stdlib.h>

#include <cstdio>
#include <string>

#include "assets_data.h"
#include "bench_support.h"
#include "platform/assets.h"
#include "platform/audio.h"

namespace {

using namespace benchsupport;

}  // namespace

int main() {
    // A real device is not needed for any of these figures.
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    size_t bytes = 0;
    auto t0 = Clock::now();
    for (const assets_data::Entry& e : assets_data::kEntries)
        bytes += assets::blob(e.name).size();
    double unscrambleMs = millisSince(t0);
    std::printf("assets: %d files, %.2f MB, first access (unscramble) %.2f ms = %.0f MB/s\n",
                assets_data::kEntryCount, bytes / 1048576.0, unscrambleMs,
                bytes / 1048576.0 / (unscrambleMs / 1000.0));
    t0 = Clock::now();
    for (int r = 0; r < 1000; ++r) {
        for (const assets_data::Entry& e : assets_data::kEntries)
            bytes += assets::blob(e.name).size();
    }
    std::printf("assets: cached lookup %.0f ns\n", millisSince(t0) * 1e6 / (1000.0 * 39));

    t0 = Clock::now();
    if (!audio::init()) {
        std::printf("audio: no device, nothing more to measure\n");
        return 0;
    }
    std::printf(
        "audio: init returns after %.1f ms (mixer open; music and effects in the background)\n",
        millisSince(t0));
    while (!audio::effectsDecoded())
        SDL_Delay(1);
    std::printf("audio: music open and all 38 effects decoded in the background after %.1f ms\n",
                millisSince(t0));

    // Memory held by the decoded effects: every chunk is 44.1 kHz 16-bit stereo.
    size_t pcm = 0;
    double effectSeconds = 0.0;
    for (const assets_data::Entry& e : assets_data::kEntries) {
        if (std::string(e.name) == "audio/bgm_calm.ogg") continue;
        const std::string& b = assets::blob(e.name);
        Mix_Chunk* c = Mix_LoadWAV_RW(SDL_RWFromConstMem(b.data(), int(b.size())), 1);
        if (!c) continue;
        pcm += c->alen;
        effectSeconds += c->alen / 4.0 / 44100.0;
        Mix_FreeChunk(c);
    }
    std::printf("audio: decoded effects hold %.2f MB of PCM (%.1f s of sound)\n", pcm / 1048576.0,
                effectSeconds);

    const std::string& music = assets::blob("audio/bgm_calm.ogg");
    t0 = Clock::now();
    Mix_Music* opened = Mix_LoadMUS_RW(SDL_RWFromConstMem(music.data(), int(music.size())), 1);
    std::printf("audio: opening the music for streaming takes %.2f ms (done by the worker)\n",
                millisSince(t0));
    if (opened) Mix_FreeMusic(opened);
    t0 = Clock::now();
    Mix_Chunk* whole = Mix_LoadWAV_RW(SDL_RWFromConstMem(music.data(), int(music.size())), 1);
    double decodeMs = millisSince(t0);
    if (whole) {
        double seconds = whole->alen / 4.0 / 44100.0;
        std::printf(
            "audio: music %.1f s decodes in %.0f ms (%.0fx real time); streamed, it "
            "keeps only its %.2f MB of Ogg in memory\n",
            seconds, decodeMs, seconds * 1000.0 / decodeMs, music.size() / 1048576.0);
        Mix_FreeChunk(whole);
    }

    const int calls = 200000;
    t0 = Clock::now();
    for (int i = 0; i < calls; ++i)
        audio::playDrop(i % 15);
    std::printf("audio: playDrop %.0f ns per call (channels saturated, most dropped)\n",
                millisSince(t0) * 1e6 / calls);
    audio::setSfxVolume(0.0);
    t0 = Clock::now();
    for (int i = 0; i < calls; ++i)
        audio::play(audio::Sfx::Click);
    std::printf("audio: play with effects muted %.1f ns per call\n", millisSince(t0) * 1e6 / calls);

    t0 = Clock::now();
    audio::shutdown();
    std::printf("audio: shutdown %.1f ms\n", millisSince(t0));
    return 0;
}
