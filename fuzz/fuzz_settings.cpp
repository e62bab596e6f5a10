// Arbitrary bytes as "settings.json": the loaded record must be one the audio and the window
// code can use as it is, and saving it must give back the same record.
#include <cmath>
#include <cstdint>
#include <string>

#include "core/json.h"
#include "core/storage.h"
#include "fuzz_support.h"

namespace {

// Volumes compare by value, so a stored -0 and 0 are the same volume.
bool same(const store::Settings& a, const store::Settings& b) {
    return a.language == b.language && a.soundOn == b.soundOn && a.musicVolume == b.musicVolume &&
           a.sfxVolume == b.sfxVolume && a.fullscreen == b.fullscreen &&
           a.maximized == b.maximized && a.windowW == b.windowW && a.windowH == b.windowH &&
           a.windowX == b.windowX && a.windowY == b.windowY;
}

bool isVolume(double v) {
    return std::isfinite(v) && v >= 0.0 && v <= 1.0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::useTemporaryDataDir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::placeFile("settings.json", data, size);
    const store::Settings s = store::loadSettings();
    const store::Settings defaults;

    FUZZ_REQUIRE(isVolume(s.musicVolume));
    FUZZ_REQUIRE(isVolume(s.sfxVolume));
    // The window code clamps the size to the display; below these it would not fit the layout.
    FUZZ_REQUIRE(s.windowW >= 640 && s.windowH >= 480);

    const json::Value doc = json::parse(std::string(reinterpret_cast<const char*>(data), size));
    if (!doc.isObject()) {
        FUZZ_REQUIRE(same(s, defaults));
    } else {
        // A member of the wrong type leaves its default in place.
        if (!doc["language"].isString()) FUZZ_REQUIRE(s.language == defaults.language);
        if (!doc["soundOn"].isBool()) FUZZ_REQUIRE(s.soundOn == defaults.soundOn);
        if (!doc["musicVolume"].isNumber()) FUZZ_REQUIRE(s.musicVolume == defaults.musicVolume);
        if (!doc["sfxVolume"].isNumber()) FUZZ_REQUIRE(s.sfxVolume == defaults.sfxVolume);
        if (!doc["windowX"].isNumber()) FUZZ_REQUIRE(s.windowX == defaults.windowX);
        if (!doc["windowW"].isNumber()) FUZZ_REQUIRE(s.windowW == defaults.windowW);
    }

    store::saveSettings(s);
    FUZZ_REQUIRE(same(store::loadSettings(), s));
    fuzzsupport::checkSetAside("settings.json", data, size, size > 0 && !doc.isObject());
    return 0;
}
