// Generated puzzles: what making and proving one costs per size, on this machine.
//   bench_puzzles [--count N] [--dump FILE]
// prints per size the generation-and-proof time (median, 95th percentile, worst) and the
// search's peak memory over N puzzles (50 unless told) of fixed seeds; --dump writes every puzzle
// as one JSON line {"capacity","tubes","optimum"} so another solver can check the proofs.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/json.h"
#include "core/puzzle.h"

using namespace benchsupport;

namespace {

constexpr double kTargetP95Ms = 1000, kTargetWorstMs = 3000, kTargetMb = 64;

}  // namespace

int main(int argc, char** argv) {
    int count = 50;
    const char* dumpPath = nullptr;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--count") == 0)
            count = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--dump") == 0)
            dumpPath = argv[++i];
    }
    std::FILE* dump = dumpPath ? std::fopen(dumpPath, "w") : nullptr;
    if (dumpPath && !dump) {
        std::perror(dumpPath);
        return 1;
    }
    std::printf(
        "generated puzzles, %d per size (seeds 1 ... %d), generation and proof on one core\n",
        count, count);
    std::printf(
        "size  shape (colours/tubes/capacity)  optimum range  ms median / p95 / worst  "
        "peak MB  starts drawn  in range\n");
    double largestP95 = 0, largestWorst = 0, largestMb = 0;
    for (int size = 0; size < puzzle::kSizeCount; ++size) {
        const puzzle::Shape& shape = puzzle::shapeOf(size);
        std::vector<double> ms;
        double peakMb = 0;
        int attempts = 0, inRange = 0;
        for (int k = 1; k <= count; ++k) {
            const auto t0 = Clock::now();
            const puzzle::Puzzle p =
                puzzle::generate({puzzle::kVersion, size, static_cast<uint32_t>(k)});
            ms.push_back(millisSince(t0));
            peakMb = std::max(peakMb, p.peakBytes / 1048576.0);
            attempts += p.attempts;
            if (p.optimum >= shape.minOptimum && p.optimum <= shape.maxOptimum) ++inRange;
            if (dump)
                std::fprintf(dump, "%s\n", json::Value(puzzle::describe(p, false)).dump().c_str());
        }
        const Figures f = summarise(ms);
        std::printf(
            "%4d  %2d / %2d / %d %22s %3d-%-3d %10.1f / %6.1f / %7.1f  %7.1f  %12.2f  %5d/%d\n",
            size, shape.colors, shape.tubes, shape.capacity, "", shape.minOptimum, shape.maxOptimum,
            f.median, f.p95, f.max, peakMb, static_cast<double>(attempts) / count, inRange, count);
        if (size == puzzle::kSizeCount - 1) {
            largestP95 = f.p95;
            largestWorst = f.max;
            largestMb = peakMb;
        }
    }
    if (dump) std::fclose(dump);
    std::printf(
        "largest size: p95 %.1f ms (target <= %.0f), worst %.1f ms (<= %.0f), "
        "search tables %.1f MB (<= %.0f)\n",
        largestP95, kTargetP95Ms, largestWorst, kTargetWorstMs, largestMb, kTargetMb);
    std::printf("process peak resident memory %.1f MB\n", peakResidentMb());
    return 0;
}
