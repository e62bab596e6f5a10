// Ogg Vorbis encoding of generated buffers, and decoding for the generator's own measurements.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "synth.h"

namespace vorbis_io {

using Tags = std::vector<std::pair<std::string, std::string>>;

// Encodes at 44.1 kHz with the VBR quality q (-0.1 … 1). The stream serial is fixed by the
// caller, so the bytes depend only on the input: running the generator again gives the same file.
std::string encode(const synth::Buffer& pcm, float quality, int serial, const Tags& tags);

struct Decoded {
    bool ok = false;
    int rate = 0;
    synth::Buffer pcm;
};
Decoded decode(const std::string& bytes);

}  // namespace vorbis_io
