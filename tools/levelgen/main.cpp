// levelgen: draws, proves and selects the level catalogue and writes the generated tables unit.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "catalogue.h"

namespace {

const char* kUsage =
    "usage: levelgen [--out FILE] [--check FILE] [--jobs N] [--seed N] [--quiet]\n"
    "  --out FILE    write the generated unit to FILE (normally src/core/levels_data.cpp)\n"
    "  --check FILE  regenerate and compare with FILE; exit 1 when they differ\n"
    "  --jobs N      threads for the proofs (default: all cores); the result does not change\n"
    "  --seed N      generator seed (default: the committed catalogue's)\n"
    "  --quiet       no per-tier summary\n";

bool readFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    text = ss.str();
    return true;
}

bool writeFile(const std::string& path, const std::string& text) {
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) return false;
    }
    return std::rename(tmp.c_str(), path.c_str()) == 0;
}

// 1-based number of the first line where the texts differ.
int firstDifferentLine(const std::string& a, const std::string& b) {
    if (a == b) return 0;
    int line = 1;
    for (size_t i = 0; i < a.size() && i < b.size() && a[i] == b[i]; ++i)
        if (a[i] == '\n') ++line;
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    levelgen::BuildOptions opt;
    opt.jobs = std::max(1u, std::thread::hardware_concurrency());
    std::string outPath, checkPath;
    bool quiet = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "[levelgen] %s needs a value\n%s", a.c_str(), kUsage);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--out") {
            outPath = value();
        } else if (a == "--check") {
            checkPath = value();
        } else if (a == "--jobs") {
            opt.jobs = std::max(1, std::atoi(value()));
        } else if (a == "--seed") {
            opt.seed = static_cast<uint32_t>(std::strtoul(value(), nullptr, 0));
        } else if (a == "--quiet") {
            quiet = true;
        } else {
            std::fprintf(stderr, "%s", kUsage);
            return a == "--help" ? 0 : 2;
        }
    }

    const auto t0 = std::chrono::steady_clock::now();
    levelgen::Catalogue cat;
    std::string error;
    if (!levelgen::buildCatalogue(opt, cat, error)) {
        std::fprintf(stderr, "[levelgen] %s\n", error.c_str());
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

    if (!quiet) {
        for (size_t p = 0; p < cat.pools.size(); ++p) {
            const auto& pool = cat.pools[p];
            const auto& st = pool.stats;
            int playedLo = 1 << 30, playedHi = 0, lo = 1 << 30, hi = 0;
            for (size_t i = 0; i < pool.levels.size(); ++i) {
                int o = pool.levels[i].optimum;
                lo = std::min(lo, o);
                hi = std::max(hi, o);
                if (static_cast<int>(i) < pool.params.played) {
                    playedLo = std::min(playedLo, o);
                    playedHi = std::max(playedHi, o);
                }
            }
            std::printf(
                "tier %2zu: played %d-%d, all %d-%d; %d draws: %d proven, %d unsolvable, %d "
                "duplicates, %d already solved, %d too large; slowest proof %.3f s; %.2f s\n",
                p, playedLo, playedHi, lo, hi, st.drawn, st.proven, st.unsolvable, st.duplicates,
                st.solvedStarts, st.tooLarge, st.slowestProof, st.seconds);
        }
        std::printf("generated in %.2f s with %d threads\n", seconds, opt.jobs);
    }

    const std::string broken = levelgen::checkCatalogue(cat);
    if (!broken.empty()) {
        std::fprintf(stderr,
                     "%s[levelgen] refusing to write a catalogue that breaks the rules above\n",
                     broken.c_str());
        return 1;
    }
    const std::string unit = levelgen::writeUnit(cat);
    if (!outPath.empty() && !writeFile(outPath, unit)) {
        std::fprintf(stderr, "[levelgen] cannot write %s\n", outPath.c_str());
        return 1;
    }
    if (!checkPath.empty()) {
        std::string committed;
        if (!readFile(checkPath, committed)) {
            std::fprintf(stderr, "[levelgen] cannot read %s\n", checkPath.c_str());
            return 1;
        }
        if (int line = firstDifferentLine(unit, committed)) {
            std::fprintf(stderr, "[levelgen] %s differs from the regenerated unit at line %d\n",
                         checkPath.c_str(), line);
            return 1;
        }
        if (!quiet) std::printf("%s is reproduced exactly\n", checkPath.c_str());
    }
    return 0;
}
