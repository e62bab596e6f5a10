// Builds the catalogue: random starts per pool, exact proofs, selection by optimum, checks, output.
#include "catalogue.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <thread>

#include "core/rng.h"
#include "core/solver.h"

namespace levelgen {

// difficulty, colours, tubes, capacity, count, played, optimum range of the played levels
const PoolParams kPoolParams[kPoolCount] = {
    {1, 2, 3, 2, 3, 1, 3, 3},       {2, 2, 3, 3, 9, 1, 3, 3},       {3, 2, 4, 3, 9, 1, 4, 4},
    {4, 3, 4, 3, 15, 6, 6, 8},      {5, 3, 5, 3, 15, 6, 5, 8},      {6, 3, 4, 4, 15, 6, 9, 14},
    {7, 3, 5, 4, 15, 6, 7, 12},     {8, 4, 6, 3, 15, 6, 6, 10},     {9, 4, 6, 4, 15, 6, 12, 14},
    {10, 5, 7, 4, 15, 6, 17, 19},   {11, 6, 8, 4, 15, 6, 19, 24},   {12, 7, 9, 5, 15, 6, 31, 36},
    {13, 8, 10, 5, 15, 6, 37, 45},  {14, 9, 11, 5, 15, 6, 44, 49},  {15, 10, 12, 5, 15, 6, 51, 56},
    {16, 11, 13, 5, 15, 6, 59, 66}, {17, 12, 14, 6, 15, 6, 85, 96}, {18, 13, 15, 5, 15, 6, 70, 83},
    {19, 14, 16, 5, 15, 6, 81, 92}, {20, 15, 17, 5, 15, 6, 88, 95},
};

namespace {

// Proofs have no clock: a start is given up only when its search keeps too many positions.
mar::SolveBudget proofBudget() {
    mar::SolveBudget b;
    b.maxPositions = 30'000'000;
    return b;
}

mar::GameState makeState(int capacity, std::vector<std::vector<int>> tubes) {
    mar::GameState s;
    s.capacity = capacity;
    s.tubes = std::move(tubes);
    return s;
}

const SampleLevel kSamples[4] = {
    {makeState(2, {{0, 1}, {0, 1}, {}}), {{0, 2}, {1, 2}, {0, 1}}},
    {makeState(3, {{1, 1, 0}, {0, 0, 1}, {}}), {{0, 2}, {1, 0}, {2, 1}}},
    {makeState(3, {{1, 1, 0}, {1, 0, 0}, {}, {}}), {{0, 2}, {1, 2}, {1, 2}, {1, 0}}},
    {makeState(3, {{2, 2, 0}, {1, 0, 2}, {0, 1, 1}, {}}),
     {{0, 3}, {1, 0}, {1, 3}, {2, 1}, {2, 1}, {2, 3}}},
};

uint32_t levelSeed(const PoolParams& params, int position) {
    return static_cast<uint32_t>(params.difficulty) * 100000u + static_cast<uint32_t>(position) +
           1u;
}

std::string levelName(int tier, int position, uint32_t seed) {
    return "tier " + std::to_string(tier) + ", position " + std::to_string(position) + " (seed " +
           std::to_string(seed) + ")";
}

// A uniformly shuffled start: the first `colors` tubes full, the rest empty.
mar::GameState drawStart(const PoolParams& params, Rng& rng) {
    std::vector<int> marbles;
    for (int c = 0; c < params.colors; ++c)
        for (int k = 0; k < params.capacity; ++k)
            marbles.push_back(c);
    for (int j = static_cast<int>(marbles.size()) - 1; j > 0; --j)
        std::swap(marbles[j], marbles[rng.intN(j + 1)]);
    mar::GameState s;
    s.capacity = params.capacity;
    s.tubes.resize(params.tubes);
    for (int t = 0; t < params.colors; ++t)
        s.tubes[t].assign(marbles.begin() + t * params.capacity,
                          marbles.begin() + (t + 1) * params.capacity);
    return s;
}

// Each tube with its colours renamed by first appearance (bottom first), the list sorted: equal
// for starts that are the same up to tube order and colour names, so most pairs differ here.
std::vector<std::vector<int>> colourBlindShape(const mar::GameState& s) {
    std::vector<std::vector<int>> out;
    for (const auto& t : s.tubes) {
        std::vector<int> pattern, names;
        for (int c : t) {
            auto it = std::find(names.begin(), names.end(), c);
            if (it == names.end()) {
                pattern.push_back(static_cast<int>(names.size()));
                names.push_back(c);
            } else {
                pattern.push_back(static_cast<int>(it - names.begin()));
            }
        }
        out.push_back(pattern);
    }
    std::sort(out.begin(), out.end());
    return out;
}

int maxColour(const mar::GameState& s) {
    int m = -1;
    for (const auto& t : s.tubes)
        for (int c : t)
            m = std::max(m, c);
    return m;
}

// Matches tube `i` of the order onto an unused tube of b, extending the colour map a -> b.
bool matchTubes(const mar::GameState& a, const mar::GameState& b, const std::vector<int>& order,
                size_t i, std::vector<int>& fwd, std::vector<int>& back, std::vector<bool>& used) {
    if (i == order.size()) return true;
    const auto& ta = a.tubes[order[i]];
    for (size_t j = 0; j < b.tubes.size(); ++j) {
        const auto& tb = b.tubes[j];
        if (used[j] || tb.size() != ta.size()) continue;
        std::vector<int> newly;
        bool ok = true;
        for (size_t k = 0; k < ta.size() && ok; ++k) {
            int x = ta[k], y = tb[k];
            if (fwd[x] < 0 && back[y] < 0) {
                fwd[x] = y;
                back[y] = x;
                newly.push_back(x);
            } else {
                ok = fwd[x] == y;
            }
        }
        if (ok) {
            used[j] = true;
            if (matchTubes(a, b, order, i + 1, fwd, back, used)) return true;
            used[j] = false;
        }
        for (int x : newly) {
            back[fwd[x]] = -1;
            fwd[x] = -1;
        }
    }
    return false;
}

struct Candidate {
    int draw = 0;  // index in the pool's draw sequence
    mar::GameState start;
    std::vector<mar::Move> solution;
};

// The played levels: the sample (if any) and then the first candidates in the range; the rest:
// the first further candidates at least as long as every played one (so sorting keeps the played
// levels in front), never longer than the catalogue's longest.
bool select(const PoolParams& params, const SampleLevel* sample,
            const std::vector<Candidate>& proven, std::vector<const Candidate*>& chosen) {
    chosen.clear();
    const int wantPlayed = params.played - (sample ? 1 : 0);
    std::vector<bool> taken(proven.size(), false);
    int longestPlayed = 0;
    for (size_t i = 0; i < proven.size() && static_cast<int>(chosen.size()) < wantPlayed; ++i) {
        int opt = static_cast<int>(proven[i].solution.size());
        if (opt < params.minOptimum || opt > params.maxOptimum) continue;
        chosen.push_back(&proven[i]);
        taken[i] = true;
        longestPlayed = std::max(longestPlayed, opt);
    }
    if (static_cast<int>(chosen.size()) < wantPlayed) return false;
    const int want = params.count - (sample ? 1 : 0);
    for (size_t i = 0; i < proven.size() && static_cast<int>(chosen.size()) < want; ++i) {
        int opt = static_cast<int>(proven[i].solution.size());
        if (taken[i] || opt < longestPlayed || opt > kLongestOptimum) continue;
        chosen.push_back(&proven[i]);
    }
    return static_cast<int>(chosen.size()) == want;
}

bool buildPool(int tier, const BuildOptions& opt, Pool& pool, std::string& error) {
    const auto t0 = std::chrono::steady_clock::now();
    const PoolParams& params = kPoolParams[tier];
    const SampleLevel* sample = sampleFor(tier);
    const bool colourBlind = tier >= kColourBlindFromTier;
    pool.params = params;
    PoolStats& st = pool.stats;

    std::vector<mar::GameState> seen;
    std::vector<std::vector<std::vector<int>>> seenShape;
    auto isNew = [&](const mar::GameState& s) {
        auto shape = colourBlindShape(s);
        for (size_t i = 0; i < seen.size(); ++i) {
            if (seenShape[i] != shape) continue;
            if (colourBlind ? sameUpToTubesAndColours(s, seen[i]) : sameUpToTubeOrder(s, seen[i]))
                return false;
        }
        seen.push_back(s);
        seenShape.push_back(std::move(shape));
        return true;
    };

    Level first;
    if (sample) {
        isNew(sample->start);
        mar::SolveResult r = mar::solveShortest(sample->start, proofBudget());
        if (r.status != mar::SolveStatus::Shortest || r.moves.size() != sample->solution.size()) {
            error = "tier " + std::to_string(tier) + ": the fixed first level's solution has " +
                    std::to_string(sample->solution.size()) + " moves, the proven shortest " +
                    (r.status == mar::SolveStatus::Shortest ? std::to_string(r.moves.size())
                                                            : std::string("does not exist"));
            return false;
        }
        first.start = sample->start;
        first.solution = sample->solution;
        first.optimum = static_cast<int>(r.moves.size());
    }

    Rng rng(opt.seed ^ (static_cast<uint32_t>(params.difficulty) * 0x9E3779B9u));
    std::vector<Candidate> proven;
    std::vector<const Candidate*> chosen;
    const int batch = std::max(8, opt.jobs * 4);
    bool done = false;
    while (!done && st.drawn < opt.maxDraws) {
        std::vector<Candidate> work;
        // Small tiers have few distinct starts: stop drawing for this batch after a while.
        const int drawLimit = std::min(opt.maxDraws, st.drawn + batch * 64);
        while (static_cast<int>(work.size()) < batch && st.drawn < drawLimit) {
            Candidate c;
            c.draw = st.drawn++;
            c.start = drawStart(params, rng);
            if (mar::isSolved(c.start)) {
                ++st.solvedStarts;
                continue;
            }
            if (!isNew(c.start)) {
                ++st.duplicates;
                continue;
            }
            work.push_back(std::move(c));
        }
        std::vector<mar::SolveResult> results(work.size());
        std::vector<double> seconds(work.size());
        std::atomic<size_t> nextJob{0};
        auto worker = [&] {
            for (size_t i; (i = nextJob++) < work.size();) {
                auto s0 = std::chrono::steady_clock::now();
                results[i] = mar::solveShortest(work[i].start, proofBudget());
                seconds[i] =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - s0).count();
            }
        };
        std::vector<std::thread> threads;
        for (int j = 1; j < opt.jobs; ++j)
            threads.emplace_back(worker);
        worker();
        for (auto& th : threads)
            th.join();
        for (size_t i = 0; i < work.size(); ++i) {
            st.slowestProof = std::max(st.slowestProof, seconds[i]);
            switch (results[i].status) {
                case mar::SolveStatus::NoSolution:
                    ++st.unsolvable;
                    break;
                case mar::SolveStatus::BudgetExhausted:
                    ++st.tooLarge;
                    break;
                case mar::SolveStatus::Shortest:
                    ++st.proven;
                    work[i].solution = std::move(results[i].moves);
                    proven.push_back(std::move(work[i]));
                    break;
            }
        }
        done = select(params, sample, proven, chosen);
    }
    if (!done) {
        error = "tier " + std::to_string(tier) + ": no full selection after " +
                std::to_string(st.drawn) + " draws (" + std::to_string(st.proven) +
                " distinct solvable starts)";
        return false;
    }

    std::vector<const Candidate*> order = chosen;
    std::stable_sort(order.begin(), order.end(), [](const Candidate* a, const Candidate* b) {
        if (a->solution.size() != b->solution.size())
            return a->solution.size() < b->solution.size();
        return a->draw < b->draw;
    });
    pool.levels.clear();
    if (sample) pool.levels.push_back(first);
    for (const Candidate* c : order) {
        Level lv;
        lv.start = c->start;
        lv.solution = c->solution;
        lv.optimum = static_cast<int>(c->solution.size());
        pool.levels.push_back(std::move(lv));
    }
    for (size_t i = 0; i < pool.levels.size(); ++i)
        pool.levels[i].seed = levelSeed(params, static_cast<int>(i));
    st.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    return true;
}

// ---- Writing the unit ----

// Groups of comma-separated values (a tube, a move), never split, wrapped before column 100.
void writeGroups(std::ostringstream& out, const std::vector<int>& values, int groupSize) {
    std::string line = "   ";
    for (size_t i = 0; i < values.size(); i += groupSize) {
        std::string item = " ";
        for (size_t k = i; k < i + groupSize && k < values.size(); ++k)
            item += (k > i ? " " : "") + std::to_string(values[k]) + ",";
        if (line.size() + item.size() > 99) {
            out << line << "\n";
            line = "   ";
        } else if (i > 0) {
            item = " " + item;  // two spaces between groups
        }
        line += item;
    }
    out << line << "\n";
}

}  // namespace

const SampleLevel* sampleFor(int tier) {
    return tier >= 0 && tier < 4 ? &kSamples[tier] : nullptr;
}

bool sameUpToTubeOrder(const mar::GameState& a, const mar::GameState& b) {
    if (a.capacity != b.capacity || a.tubes.size() != b.tubes.size()) return false;
    auto ta = a.tubes, tb = b.tubes;
    std::sort(ta.begin(), ta.end());
    std::sort(tb.begin(), tb.end());
    return ta == tb;
}

bool sameUpToTubesAndColours(const mar::GameState& a, const mar::GameState& b) {
    if (a.capacity != b.capacity || a.tubes.size() != b.tubes.size()) return false;
    if (colourBlindShape(a) != colourBlindShape(b)) return false;
    int colours = std::max(maxColour(a), maxColour(b)) + 1;
    if (colours <= 0) return true;  // both all empty
    for (const auto* s : {&a, &b})
        for (const auto& t : s->tubes)
            for (int c : t)
                if (c < 0) return sameUpToTubeOrder(a, b);
    // Longest tubes first: they fix the most colours and leave few choices for the rest.
    std::vector<int> order(a.tubes.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](int x, int y) { return a.tubes[x].size() > a.tubes[y].size(); });
    std::vector<int> fwd(colours, -1), back(colours, -1);
    std::vector<bool> used(b.tubes.size(), false);
    return matchTubes(a, b, order, 0, fwd, back, used);
}

bool buildCatalogue(const BuildOptions& opt, Catalogue& out, std::string& error) {
    out.pools.assign(kPoolCount, Pool{});
    for (int p = 0; p < kPoolCount; ++p)
        if (!buildPool(p, opt, out.pools[p], error)) return false;
    return true;
}

std::string checkCatalogue(const Catalogue& cat) {
    std::ostringstream bad;
    if (static_cast<int>(cat.pools.size()) != kPoolCount) {
        bad << "the catalogue has " << cat.pools.size() << " pools, not " << kPoolCount << "\n";
        return bad.str();
    }
    for (int p = 0; p < kPoolCount; ++p) {
        const PoolParams& params = kPoolParams[p];
        const Pool& pool = cat.pools[p];
        const SampleLevel* sample = sampleFor(p);
        if (pool.params.difficulty != params.difficulty || pool.params.colors != params.colors ||
            pool.params.tubes != params.tubes || pool.params.capacity != params.capacity)
            bad << "tier " << p << ": pool parameters differ from the tier table\n";
        if (static_cast<int>(pool.levels.size()) != params.count)
            bad << "tier " << p << ": " << pool.levels.size() << " levels, not " << params.count
                << "\n";
        for (size_t i = 0; i < pool.levels.size(); ++i) {
            const Level& lv = pool.levels[i];
            const std::string name = levelName(p, static_cast<int>(i), lv.seed);
            auto fail = [&](const std::string& why) { bad << name << ": " << why << "\n"; };
            const mar::GameState& s = lv.start;
            if (lv.seed != levelSeed(params, static_cast<int>(i)))
                fail("seed is not " + std::to_string(levelSeed(params, static_cast<int>(i))));
            if (s.tubeCount() != params.tubes || s.capacity != params.capacity) {
                fail("has " + std::to_string(s.tubeCount()) + " tubes of " +
                     std::to_string(s.capacity) + ", not " + std::to_string(params.tubes) + " of " +
                     std::to_string(params.capacity));
                continue;
            }
            std::vector<int> count(params.colors, 0);
            bool shapeOk = true;
            for (int t = 0; t < s.tubeCount(); ++t) {
                const auto& tube = s.tubes[t];
                int want = t < params.colors ? params.capacity : 0;
                if (static_cast<int>(tube.size()) != want) {
                    fail("tube " + std::to_string(t) + " holds " + std::to_string(tube.size()) +
                         " marbles, not " + std::to_string(want));
                    shapeOk = false;
                }
                for (int c : tube) {
                    if (c < 0 || c >= params.colors) {
                        fail("colour " + std::to_string(c) + " is out of range");
                        shapeOk = false;
                    } else {
                        ++count[c];
                    }
                }
            }
            for (int c = 0; c < params.colors && shapeOk; ++c)
                if (count[c] != params.capacity)
                    fail("colour " + std::to_string(c) + " occurs " + std::to_string(count[c]) +
                         " times, not " + std::to_string(params.capacity));
            if (mar::isSolved(s)) fail("the start is already solved");
            mar::GameState cur = s;
            bool legal = true;
            for (size_t m = 0; m < lv.solution.size() && legal; ++m) {
                const mar::Move& mv = lv.solution[m];
                if (!mar::canMoveOne(cur, mv.from, mv.to)) {
                    fail("move " + std::to_string(m + 1) + " (" + std::to_string(mv.from) + "->" +
                         std::to_string(mv.to) + ") is not allowed");
                    legal = false;
                } else {
                    cur = mar::applyMoveOne(cur, mv);
                }
            }
            if (legal && !mar::isSolved(cur)) fail("the solution does not end solved");
            if (static_cast<int>(lv.solution.size()) != lv.optimum)
                fail("the solution has " + std::to_string(lv.solution.size()) +
                     " moves, the proven shortest " + std::to_string(lv.optimum));
            if (lv.optimum > kLongestOptimum)
                fail("optimum " + std::to_string(lv.optimum) + " is above " +
                     std::to_string(kLongestOptimum));
            if (static_cast<int>(i) < params.played &&
                (lv.optimum < params.minOptimum || lv.optimum > params.maxOptimum))
                fail("is played but its optimum " + std::to_string(lv.optimum) + " lies outside " +
                     std::to_string(params.minOptimum) + "-" + std::to_string(params.maxOptimum));
            const size_t firstSorted = sample ? 2 : 1;  // a fixed first level may be longer
            if (i >= firstSorted && lv.optimum < pool.levels[i - 1].optimum)
                fail("optimum " + std::to_string(lv.optimum) + " is shorter than the " +
                     std::to_string(pool.levels[i - 1].optimum) + " of the level before it");
            if (i == 0 && sample && (s != sample->start || lv.solution != sample->solution))
                fail("is not the tier's fixed first level");
            for (size_t j = 0; j < i; ++j) {
                const mar::GameState& o = pool.levels[j].start;
                bool same = p >= kColourBlindFromTier ? sameUpToTubesAndColours(s, o)
                                                      : sameUpToTubeOrder(s, o);
                if (same)
                    fail("is the same start as position " + std::to_string(j) +
                         (p >= kColourBlindFromTier ? " up to tube order and colour names"
                                                    : " up to tube order"));
            }
        }
    }
    return bad.str();
}

std::string writeUnit(const Catalogue& cat) {
    std::ostringstream out;
    out << "// generated by tools/levelgen — do not edit (levelgen --out "
           "src/core/levels_data.cpp)\n"
        << "// The level tables: starts tube by tube, bottom first, -1 = empty slot; every "
           "solution\n"
        << "// is a proven shortest one.\n"
        << "// clang-format off\n"
        << "#include \"core/levels_data.h\"\n\n"
        << "namespace levels_data {\n";
    for (size_t p = 0; p < cat.pools.size(); ++p) {
        const Pool& pool = cat.pools[p];
        const PoolParams& params = pool.params;
        out << "\n// ---- Tier " << p << ": " << params.colors << " colours, " << params.tubes
            << " tubes of " << params.capacity << " ----\n";
        for (size_t i = 0; i < pool.levels.size(); ++i) {
            const Level& lv = pool.levels[i];
            std::vector<int> slots, moves;
            for (const auto& tube : lv.start.tubes)
                for (int k = 0; k < params.capacity; ++k)
                    slots.push_back(k < static_cast<int>(tube.size()) ? tube[k] : -1);
            for (const auto& m : lv.solution) {
                moves.push_back(m.from);
                moves.push_back(m.to);
            }
            out << "\n// position " << i << ", seed " << lv.seed << ": shortest solution "
                << lv.solution.size() << " moves\n";
            out << "const int8_t kS_" << p << "_" << i << "[] = {\n";
            writeGroups(out, slots, params.capacity);
            out << "};\n";
            out << "const uint8_t kM_" << p << "_" << i << "[] = {\n";
            writeGroups(out, moves, 2);
            out << "};\n";
        }
        out << "\nconst Level kL_" << p << "[] = {\n";
        for (size_t i = 0; i < pool.levels.size(); ++i) {
            const Level& lv = pool.levels[i];
            out << "    {" << lv.seed << ", kS_" << p << "_" << i << ", " << params.tubes << ", "
                << params.capacity << ", " << lv.solution.size() << ", kM_" << p << "_" << i << ", "
                << lv.solution.size() << "},\n";
        }
        out << "};\n";
    }
    out << "\nconst Pool kPools[kPoolCount] = {\n";
    for (size_t p = 0; p < cat.pools.size(); ++p) {
        const PoolParams& params = cat.pools[p].params;
        out << "    {" << params.difficulty << ", " << params.colors << ", " << params.tubes << ", "
            << params.capacity << ", kL_" << p << ", " << cat.pools[p].levels.size() << "},\n";
    }
    out << "};\n\n}  // namespace levels_data\n";
    return out.str();
}

}  // namespace levelgen
