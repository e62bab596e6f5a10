// Sound generator: synthesises the game's 39 sounds, levels them, encodes them as Ogg Vorbis
// and writes them to a directory (or checks that a directory holds exactly what it would write).
//
//   soundgen <dir>           write audio files into <dir> and print measurements
//   soundgen --check <dir>   exit 1 unless every file in <dir> equals a fresh rendering
//   soundgen --analyse <dir> judge the music in <dir>: length, loop join, gaps, peak, loudness
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "analysis.h"
#include "sounds.h"
#include "synth.h"
#include "vorbis_io.h"

namespace {

using synth::Buffer;

enum class Level {
    Window,  // loudest 300 ms window: short effects that should feel equally present
    Whole,   // the whole file: the drops, which must match each other closely
};

struct Recipe {
    std::string file;
    std::function<Buffer()> render;
    Level level;
    double targetDb;
    float quality;
    double pitchFrom = -1.0;  // where the report measures the pitch (seconds), -1 for none
    double pitchHz = 0.0;     // the pitch it should find there
};

// Loudest permitted peak after encoding; -1 dBFS leaves room for players' resampling too.
constexpr double kPeakCeilingDb = -1.5;
// Before encoding we aim lower, since the codec adds a little overshoot on transients.
constexpr double kPeakTargetDb = -3.0;
constexpr double kLeadInSec = 0.008;

std::vector<Recipe> recipes() {
    std::vector<Recipe> r;
    r.push_back({"bgm_calm.ogg", sounds::music, Level::Whole, -21.0, 0.4f});
    r.push_back({"sfx_click.ogg", sounds::click, Level::Window, -25.0, 0.4f});
    r.push_back({"sfx_pickup.ogg", sounds::pickup, Level::Window, -20.0, 0.4f});
    r.push_back({"sfx_illegal.ogg", sounds::illegal, Level::Window, -19.0, 0.4f});
    r.push_back({"sfx_success.ogg", sounds::success, Level::Window, -17.0, 0.4f});
    r.push_back({"sfx_win_glare.ogg", sounds::winGlare, Level::Window, -18.0, 0.4f});
    for (int s = 1; s <= 3; ++s) {
        r.push_back({"sfx_star" + std::to_string(s) + ".ogg", [s] { return sounds::star(s); },
                     Level::Window, -18.0, 0.4f});
    }
    for (int c = 0; c < sounds::kColours; ++c) {
        double hz = synth::midiHz(sounds::colourNote(c));
        r.push_back({"sfx_drop_" + std::to_string(c) + ".ogg", [c] { return sounds::drop(c); },
                     Level::Whole, -24.0, 0.4f, 0.038, hz});
    }
    for (int c = 0; c < sounds::kColours; ++c) {
        double hz = synth::midiHz(sounds::colourNote(c));
        r.push_back({"sfx_fluid_rise_" + std::to_string(c) + ".ogg",
                     [c] { return sounds::fluidRise(c); }, Level::Window, -20.0, 0.4f, 2.008, hz});
    }
    return r;
}

uint32_t serialFor(const std::string& name) {
    uint32_t h = 2166136261u;  // FNV-1a: a stable stream serial per file
    for (unsigned char ch : name)
        h = (h ^ ch) * 16777619u;
    return h & 0x7fffffffu;
}

// Strongest frequency in [lo, hi] over a Hann-windowed 200 ms stretch, found by a 1 Hz scan and
// refined by a parabola through the three best bins.
double dominantHz(const Buffer& b, double fromSec, double lo, double hi) {
    size_t start = synth::frames(fromSec), n = synth::frames(0.2);
    if (start + n > b.size()) return 0.0;
    std::vector<double> x(n);
    for (size_t i = 0; i < n; ++i) {
        double s = b.l[start + i] + (b.stereo() ? b.r[start + i] : 0.0f);
        x[i] = s * (0.5 - 0.5 * std::cos(2.0 * synth::kPi * i / (n - 1)));
    }
    auto power = [&](double f) {
        double w = 2.0 * synth::kPi * f / synth::kRate, c = 2.0 * std::cos(w);
        double s1 = 0.0, s2 = 0.0;
        for (double v : x) {
            double s0 = v + c * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        return s1 * s1 + s2 * s2 - c * s1 * s2;
    };
    double best = lo, bestP = -1.0;
    for (double f = lo; f <= hi; f += 1.0) {
        double p = power(f);
        if (p > bestP) {
            bestP = p;
            best = f;
        }
    }
    double pm = power(best - 1.0), pp = power(best + 1.0);
    double denom = pm - 2.0 * bestP + pp;
    return denom < 0.0 ? best + 0.5 * (pm - pp) / denom : best;
}

struct Measured {
    double seconds, peakDb, rmsDb, windowDb, dc, edgeDb, pitch;
};

Measured measure(const Buffer& b, const Recipe& rc) {
    Measured m{};
    m.seconds = static_cast<double>(b.size()) / synth::kRate;
    m.peakDb = synth::toDb(synth::peak(b));
    m.rmsDb = synth::toDb(synth::rms(b));
    m.windowDb = synth::toDb(synth::windowRms(b, 0.3));
    double sum = 0.0;
    for (float s : b.l)
        sum += s;
    for (float s : b.r)
        sum += s;
    m.dc = sum / static_cast<double>(b.l.size() + b.r.size());
    // Loudest sample within the first and last 2 ms.
    double edge = 0.0;
    size_t e = std::min(b.size(), synth::frames(0.002));
    for (size_t i = 0; i < e; ++i) {
        for (const std::vector<float>* ch : {&b.l, &b.r}) {
            if (ch->empty()) continue;
            edge = std::max({edge, static_cast<double>(std::fabs((*ch)[i])),
                             static_cast<double>(std::fabs((*ch)[b.size() - 1 - i]))});
        }
    }
    m.edgeDb = synth::toDb(edge);
    m.pitch = rc.pitchFrom >= 0.0 ? dominantHz(b, rc.pitchFrom, rc.pitchHz * 0.8, rc.pitchHz * 1.25)
                                  : 0.0;
    return m;
}

// Levels, encodes and re-checks one sound; lowers the gain if the codec pushed a peak over the
// ceiling. Returns the encoded bytes and the decoded signal for the report.
std::string produce(const Recipe& rc, Buffer& decoded) {
    Buffer pcm = rc.render();
    if (rc.file != "bgm_calm.ogg") {
        // Effects open with a few milliseconds of silence: the codec smears a sharp attack back
        // by up to one short block (256 frames), and that smear must not land on the first frame.
        const size_t lead = synth::frames(kLeadInSec);
        pcm.l.insert(pcm.l.begin(), lead, 0.0f);
        if (pcm.stereo()) pcm.r.insert(pcm.r.begin(), lead, 0.0f);
    }
    double level = rc.level == Level::Whole ? synth::rms(pcm) : synth::windowRms(pcm, 0.3);
    double gain = synth::dbToGain(rc.targetDb) / level;
    gain = std::min(gain, synth::dbToGain(kPeakTargetDb) / synth::peak(pcm));
    std::string bytes;
    for (int attempt = 0; attempt < 4; ++attempt) {
        Buffer scaled = pcm;
        synth::scale(scaled, gain);
        const std::vector<std::pair<std::string, std::string>> tags = {
            {"TITLE", rc.file == "bgm_calm.ogg" ? "Only silence remains" : rc.file}};
        bytes = vorbis_io::encode(scaled, rc.quality, static_cast<int>(serialFor(rc.file)), tags);
        vorbis_io::Decoded d = vorbis_io::decode(bytes);
        decoded = d.pcm;
        double p = synth::peak(d.pcm);
        if (!d.ok || synth::toDb(p) <= kPeakCeilingDb) break;
        gain *= synth::dbToGain(kPeakCeilingDb - 0.3) / p;
    }
    return bytes;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// The game plays the music at a quarter of full volume unless the player moves the slider.
constexpr double kDefaultMusicGain = 0.25;
constexpr double kMinMusicSeconds = 240.0;
// How far the music, at that volume, stays under the quietest drop: the marbles lead.
constexpr double kUnderDropsLu = 6.0;

// Prints the music's loop figures and the drops' loudness; returns whether the track is long
// enough, joins without a step or a gap, keeps its headroom and sits under the drops.
bool reportMusic(const Buffer& music, const std::vector<Buffer>& drops) {
    analysis::LoopFigures f = analysis::loopFigures(music);
    double quietestDrop = 1e9, loudestDrop = -1e9;
    for (const Buffer& d : drops) {
        double l = analysis::integratedLufs(d);
        quietestDrop = std::min(quietestDrop, l);
        loudestDrop = std::max(loudestDrop, l);
    }
    const double asPlayed = f.lufs + synth::toDb(kDefaultMusicGain);
    std::printf("music: %.1f s, peak %.2f dBFS, %.1f LUFS (%.1f LUFS at the default volume)\n",
                f.seconds, f.peakDb, f.lufs, asPlayed);
    std::printf(
        "music loop: step %.5f at the join, largest %.5f inside, %.5f within 1 s of it; "
        "longest silence %.1f ms; level jump %.2f dB\n",
        f.joinStep, f.innerStep, f.nearStep, f.silenceMs, f.edgeJumpDb);
    if (!drops.empty()) std::printf("drops: %.1f to %.1f LUFS\n", quietestDrop, loudestDrop);
    bool ok = true;
    auto require = [&](bool holds, const char* what) {
        if (!holds) std::printf("music fails: %s\n", what);
        ok = ok && holds;
    };
    require(f.seconds >= kMinMusicSeconds, "shorter than four minutes");
    require(f.joinStep <= f.innerStep && f.joinStep <= f.nearStep, "a step at the loop point");
    require(f.silenceMs <= 10.0, "a silent gap longer than 10 ms");
    require(f.edgeJumpDb <= 3.0, "a jump in level at the loop point");
    require(f.peakDb <= -1.0, "peaks above -1 dBFS");
    require(drops.empty() || asPlayed <= quietestDrop - kUnderDropsLu,
            "not under the drops at the default volume");
    return ok;
}

// Decodes a directory's music and drops and judges them as reportMusic does.
int analyse(const std::string& dir) {
    vorbis_io::Decoded music = vorbis_io::decode(readFile(dir + "/bgm_calm.ogg"));
    if (!music.ok || music.rate != synth::kRate) {
        std::printf("cannot decode %s/bgm_calm.ogg\n", dir.c_str());
        return 1;
    }
    std::vector<Buffer> drops;
    for (int c = 0; c < sounds::kColours; ++c) {
        std::string path = dir + "/sfx_drop_" + std::to_string(c) + ".ogg";
        vorbis_io::Decoded d = vorbis_io::decode(readFile(path));
        if (!d.ok) {
            std::printf("cannot decode %s\n", path.c_str());
            return 1;
        }
        drops.push_back(d.pcm);
    }
    return reportMusic(music.pcm, drops) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    bool check = false, analyseOnly = false;
    std::string dir;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--check") == 0) {
            check = true;
        } else if (std::strcmp(argv[i], "--analyse") == 0) {
            analyseOnly = true;
        } else {
            dir = argv[i];
        }
    }
    if (dir.empty()) {
        std::fprintf(stderr, "usage: soundgen [--check | --analyse] <audio-dir>\n");
        return 2;
    }
    if (analyseOnly) return analyse(dir);

    int mismatches = 0;
    size_t total = 0;
    Buffer music;
    std::vector<Buffer> drops;
    std::printf("%-24s %2s %7s %8s %7s %7s %7s %9s %7s %8s\n", "file", "ch", "seconds", "bytes",
                "peak", "rms", "win", "dc", "edges", "pitch");
    for (const Recipe& rc : recipes()) {
        Buffer decoded;
        std::string bytes = produce(rc, decoded);
        std::string path = dir + "/" + rc.file;
        total += bytes.size();
        if (check) {
            if (readFile(path) != bytes) {
                std::printf("differs: %s\n", path.c_str());
                ++mismatches;
            }
        } else if (readFile(path) != bytes && !writeFile(path, bytes)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        Measured m = measure(decoded, rc);
        std::printf("%-24s %2d %7.3f %8zu %7.2f %7.2f %7.2f %9.6f %7.1f", rc.file.c_str(),
                    decoded.channels(), m.seconds, bytes.size(), m.peakDb, m.rmsDb, m.windowDb,
                    m.dc, m.edgeDb);
        if (m.pitch > 0.0) std::printf(" %8.2f (%.2f)", m.pitch, rc.pitchHz);
        std::printf("\n");
        if (rc.file == "bgm_calm.ogg") music = decoded;
        if (rc.file.rfind("sfx_drop_", 0) == 0) drops.push_back(decoded);
    }
    std::printf("total %zu bytes\n", total);
    reportMusic(music, drops);
    if (check && mismatches) {
        std::printf("%d file(s) differ from a fresh rendering\n", mismatches);
        return 1;
    }
    return 0;
}
