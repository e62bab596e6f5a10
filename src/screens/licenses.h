// The open-source libraries the game is built on, as the Licenses screen lists them.
#pragma once

#include <array>

namespace screens {

struct Library {
    const char* name;
    const char* license;
    const char* homepage;
};

extern const std::array<Library, 17> kLibraries;

}  // namespace screens
