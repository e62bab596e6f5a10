// Sound module: opens the music and decodes the embedded effects once, off the frame loop, and
// plays them through SDL2_mixer.
#include "platform/audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/assets.h"

namespace audio {

namespace {

constexpr int kFrequency = 44100;
constexpr int kChannels = 2;
constexpr int kChunkFrames = 1024;
constexpr int kMixChannels = 24;
constexpr int kColourSounds = 15;
const char kMusicFile[] = "audio/bgm_calm.ogg";

struct State {
    bool ready = false;
    bool enabled = true;
    double musicVolume = 0.25;
    double sfxVolume = 1.0;
    // The music is opened on the worker too: `music`, `musicWanted`, `enabled` and `ready` are
    // shared with it under musicMutex, so a start asked for before the track is open is carried
    // out by the worker once it is, and a stop asked for meanwhile wins.
    std::mutex musicMutex;
    bool musicWanted = false;
    Mix_Music* music = nullptr;
    // Effects are decoded on a worker so the first frame never waits for them; one asked for
    // before it is ready is skipped. The map is shared with that worker.
    std::mutex sfxMutex;
    std::map<std::string, Mix_Chunk*> sfx;
    std::thread decoder;
    std::atomic<bool> stopDecoding{false};
    std::atomic<bool> decoded{false};

    // A program that never shut the module down still must not end with the worker running.
    ~State() {
        stopDecoding = true;
        if (decoder.joinable()) decoder.join();
    }
};

State& st() {
    static State s;
    return s;
}

const char* fileFor(Sfx sfx) {
    switch (sfx) {
        case Sfx::Click:
            return "audio/sfx_click.ogg";
        case Sfx::Pickup:
            return "audio/sfx_pickup.ogg";
        case Sfx::Illegal:
            return "audio/sfx_illegal.ogg";
        case Sfx::Success:
            return "audio/sfx_success.ogg";
        case Sfx::WinGlare:
            return "audio/sfx_win_glare.ogg";
        case Sfx::Star1:
            return "audio/sfx_star1.ogg";
        case Sfx::Star2:
            return "audio/sfx_star2.ogg";
        case Sfx::Star3:
            return "audio/sfx_star3.ogg";
    }
    return "";
}

std::string colourFile(const char* family, int colorId) {
    return std::string(family) + std::to_string(std::clamp(colorId, 0, kColourSounds - 1)) + ".ogg";
}

// NaN counts as 0, so a corrupt setting cannot reach the mixer.
double clampVolume(double v) {
    return v > 0.0 ? std::min(v, 1.0) : 0.0;
}

int mixerVolume(double v) {
    return static_cast<int>(v * MIX_MAX_VOLUME);
}

using DecodeJob = std::pair<std::string, const std::string*>;  // name, encoded bytes

// Call with musicMutex held.
void playMusicIfWanted(State& s) {
    if (s.ready && s.enabled && s.musicWanted && s.music && !Mix_PlayingMusic())
        Mix_PlayMusic(s.music, -1);
}

// Runs on the worker: only the mixer, never the asset store, which is not shared. The music
// comes first, so that it starts as soon as it can.
void decodeAll(const std::string* musicBytes, const std::vector<DecodeJob>& jobs) {
    // The mixer reports errors through SDL, which keeps them per thread; a thread SDL did not
    // start must hand that storage back itself, or every init leaks it.
    struct ThreadStorageRelease {
        ~ThreadStorageRelease() { SDL_TLSCleanup(); }
    } releaseOnExit;
    State& s = st();
    if (musicBytes) {
        // Opened, not decoded: the mixer streams it from the cached bytes, which live as long
        // as the program does.
        SDL_RWops* rw =
            SDL_RWFromConstMem(musicBytes->data(), static_cast<int>(musicBytes->size()));
        Mix_Music* music = rw ? Mix_LoadMUS_RW(rw, 1) : nullptr;
        if (!music) std::fprintf(stderr, "[audio] Musik fehlgeschlagen (%s)\n", Mix_GetError());
        std::lock_guard<std::mutex> lock(s.musicMutex);
        s.music = music;
        playMusicIfWanted(s);
    }
    for (const DecodeJob& job : jobs) {
        if (s.stopDecoding) return;
        const std::string& bytes = *job.second;
        SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
        Mix_Chunk* chunk = rw ? Mix_LoadWAV_RW(rw, 1) : nullptr;
        if (!chunk) {
            std::fprintf(stderr, "[audio] Klang fehlgeschlagen: %s (%s)\n", job.first.c_str(),
                         Mix_GetError());
            continue;
        }
        std::lock_guard<std::mutex> lock(s.sfxMutex);
        s.sfx[job.first] = chunk;
    }
    s.decoded = true;
}

void playByName(const std::string& name) {
    State& s = st();
    if (!s.ready || !s.enabled || s.sfxVolume <= 0.0) return;
    Mix_Chunk* chunk = nullptr;
    {
        std::lock_guard<std::mutex> lock(s.sfxMutex);
        auto it = s.sfx.find(name);
        if (it != s.sfx.end()) chunk = it->second;
    }
    if (!chunk) return;
    Mix_VolumeChunk(chunk, mixerVolume(s.sfxVolume));
    // With all channels busy the mixer drops the effect, which is what we want.
    Mix_PlayChannel(-1, chunk, 0);
}

}  // namespace

bool init() {
    State& s = st();
    if (s.ready) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "[audio] kein Audio-Subsystem: %s\n", SDL_GetError());
        return false;
    }
    if (Mix_OpenAudio(kFrequency, AUDIO_S16SYS, kChannels, kChunkFrames) != 0) {
        std::fprintf(stderr, "[audio] Mix_OpenAudio: %s\n", Mix_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_AllocateChannels(kMixChannels);

    // The encoded bytes are fetched here, on the caller's thread; their cache keeps them alive.
    std::vector<std::string> names;
    for (Sfx sfx : kAllSfx)
        names.push_back(fileFor(sfx));
    for (int i = 0; i < kColourSounds; ++i) {
        names.push_back(colourFile("audio/sfx_drop_", i));
        names.push_back(colourFile("audio/sfx_fluid_rise_", i));
    }
    std::vector<DecodeJob> jobs;
    for (const std::string& name : names) {
        const std::string& bytes = assets::blob(name);
        if (!bytes.empty()) jobs.emplace_back(name, &bytes);  // else the store has said why
    }
    const std::string& music = assets::blob(kMusicFile);
    if (music.empty()) std::fprintf(stderr, "[audio] Musik fehlgeschlagen (%s)\n", Mix_GetError());
    {
        std::lock_guard<std::mutex> lock(s.musicMutex);
        s.ready = true;
    }
    Mix_VolumeMusic(mixerVolume(s.musicVolume));
    s.stopDecoding = false;
    s.decoded = false;
    s.decoder = std::thread(decodeAll, music.empty() ? nullptr : &music, std::move(jobs));
    return true;
}

bool effectsDecoded() {
    return st().decoded;
}

void shutdown() {
    State& s = st();
    if (!s.ready) return;
    s.stopDecoding = true;
    if (s.decoder.joinable()) s.decoder.join();
    s.ready = false;
    s.musicWanted = false;
    Mix_HaltMusic();
    Mix_HaltChannel(-1);
    if (s.music) Mix_FreeMusic(s.music);
    s.music = nullptr;
    for (auto& entry : s.sfx)
        Mix_FreeChunk(entry.second);
    s.sfx.clear();
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void play(Sfx sfx) {
    playByName(fileFor(sfx));
}

void playDrop(int colorId) {
    playByName(colourFile("audio/sfx_drop_", colorId));
}

void playFluidRise(int colorId) {
    playByName(colourFile("audio/sfx_fluid_rise_", colorId));
}

void setMusicVolume(double v) {
    State& s = st();
    s.musicVolume = clampVolume(v);
    if (s.ready) Mix_VolumeMusic(mixerVolume(s.musicVolume));
}

void setSfxVolume(double v) {
    st().sfxVolume = clampVolume(v);
}

void startMusic() {
    State& s = st();
    std::lock_guard<std::mutex> lock(s.musicMutex);
    s.musicWanted = true;
    playMusicIfWanted(s);
}

void stopMusic() {
    State& s = st();
    std::lock_guard<std::mutex> lock(s.musicMutex);
    s.musicWanted = false;
    if (s.ready) Mix_HaltMusic();
}

void setEnabled(bool on) {
    State& s = st();
    {
        std::lock_guard<std::mutex> lock(s.musicMutex);
        s.enabled = on;
    }
    if (!on) {
        stopMusic();
    } else if (s.musicWanted) {
        startMusic();
    }
}

}  // namespace audio
