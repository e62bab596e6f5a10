// Sound: short effects and the looping music through SDL2_mixer; silent when there is no device.
#pragma once

namespace audio {

enum class Sfx {
    Click = 0,
    Pickup = 1,
    Illegal = 2,
    Success = 3,
    WinGlare = 4,
    Star1 = 5,
    Star2 = 6,
    Star3 = 7
};

constexpr Sfx kAllSfx[] = {Sfx::Click,    Sfx::Pickup, Sfx::Illegal, Sfx::Success,
                           Sfx::WinGlare, Sfx::Star1,  Sfx::Star2,   Sfx::Star3};

// Opens the audio device and starts opening the music and decoding every effect in the
// background, so the caller never waits for them. Returns false (after one diagnostic line)
// when there is no usable device; every other call then does nothing audible.
bool init();
// True once the music has been opened and every effect decoded (or has failed to); until then an
// effect that is not ready yet is skipped when asked for, and music asked for starts once open.
bool effectsDecoded();
// Stops everything, frees the sounds and closes the device; a later init() starts afresh.
void shutdown();

void play(Sfx sfx);
// The drop and the rising-liquid sound of a marble colour; ids beyond 0…14 use the nearest one.
void playDrop(int colorId);
void playFluidRise(int colorId);

// Volumes from 0 to 1 (clamped). The effect volume applies from the next effect played.
void setMusicVolume(double v);
void setSfxVolume(double v);

void startMusic();
void stopMusic();
// Switching off also forgets that music was wanted: switching on again stays quiet until
// startMusic() is called.
void setEnabled(bool on);

}  // namespace audio
