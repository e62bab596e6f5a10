// Level catalogue figures: time and memory to prove each tier's levels, and the whole generation
// on two threads.  Prints figures only; nothing here fails on a slow machine.
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/levels_data.h"
#include "core/solver.h"
#include "levelgen/catalogue.h"

namespace {

using namespace benchsupport;

}  // namespace

int main(int argc, char** argv) {
    bool generate = !(argc > 1 && std::strcmp(argv[1], "--proofs-only") == 0);

    std::printf("proving every stored level again (one thread)\n");
    std::printf("tier  levels  median ms    max ms  median MB   max MB  max positions\n");
    int mismatches = 0;
    for (int p = 0; p < levels_data::kPoolCount; ++p) {
        const auto& pool = levels_data::kPools[p];
        std::vector<double> ms, mb;
        size_t maxStored = 0;
        for (int i = 0; i < pool.count; ++i) {
            const auto& lv = pool.levels[i];
            mar::GameState s;
            s.capacity = lv.capacity;
            s.tubes.resize(lv.tubeCount);
            for (int t = 0; t < lv.tubeCount; ++t)
                for (int k = 0; k < lv.capacity && lv.slots[t * lv.capacity + k] >= 0; ++k)
                    s.tubes[t].push_back(lv.slots[t * lv.capacity + k]);
            const auto t0 = Clock::now();
            mar::SolveResult r = mar::solveShortest(s);
            ms.push_back(millisSince(t0));
            mb.push_back(r.peakBytes / 1e6);
            maxStored = std::max(maxStored, r.stored);
            if (static_cast<int>(r.moves.size()) != lv.solutionLength) {
                std::printf("  tier %d, position %d: proved %zu moves, stored %d\n", p, i,
                            r.moves.size(), lv.solutionLength);
                ++mismatches;
            }
        }
        const Figures elapsed = summarise(ms), memory = summarise(mb);
        std::printf("%4d  %6d  %9.1f  %8.1f  %9.1f  %7.1f  %13zu\n", p, pool.count, elapsed.median,
                    elapsed.max, memory.median, memory.max, maxStored);
    }
    if (mismatches) std::printf("%d levels proved a different length than stored\n", mismatches);

    if (generate) {
        levelgen::BuildOptions opt;
        opt.jobs = 2;
        levelgen::Catalogue cat;
        std::string error;
        const auto t0 = Clock::now();
        bool ok = levelgen::buildCatalogue(opt, cat, error);
        const double wall = millisSince(t0) / 1000;
        if (ok)
            std::printf("whole catalogue generated in %.2f s wall on 2 threads\n", wall);
        else
            std::printf("generation failed after %.2f s: %s\n", wall, error.c_str());
    }
    struct rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("process peak resident memory %.1f MB\n", ru.ru_maxrss / 1024.0);
    return 0;
}
