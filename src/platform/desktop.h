// The desktop's own preferences the game follows while the player has not chosen.
#pragma once

#include <optional>

namespace desktop {

// GNOME's "enable-animations" (org.gnome.desktop.interface) through GSettings; nothing when that
// schema is not installed, since asking GSettings for a missing schema aborts the process.
std::optional<bool> animationsEnabled();

}  // namespace desktop
