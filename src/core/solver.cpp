// A* over positions whose tube order is forgotten; proves shortest solutions or unsolvability.
#include "core/solver.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace mar {
namespace {

// A tube is one 32-bit code: slot k (bottom = 0) holds colour + 1 in the nibble at bit
// 4 * (cap - 1 - k), 0 when empty.  Comparing codes compares tubes bottom first, so a sorted
// array of codes is the same for every order of the same tubes.
constexpr int kMaxTubes = 24;
constexpr int kMaxCap = 7;
constexpr int kMaxColors = 15;

struct Shape {
    int tubes;
    int cap;
    int keyWords;  // packed size of one position in 64-bit words
};

Shape shapeOf(const GameState& s) {
    return {s.tubeCount(), s.capacity, (s.tubeCount() * 4 * s.capacity + 63) / 64};
}

inline int tubeSize(uint32_t code, int cap) {
    return code == 0 ? 0 : cap - __builtin_ctz(code) / 4;
}
inline int tubeTop(uint32_t code, int cap, int size) {
    return static_cast<int>((code >> (4 * (cap - size))) & 15u);  // colour + 1
}

uint32_t encodeTube(const std::vector<int>& t, int cap) {
    uint32_t code = 0;
    for (size_t k = 0; k < t.size(); ++k)
        code |= static_cast<uint32_t>(t[k] + 1) << (4 * (cap - 1 - static_cast<int>(k)));
    return code;
}

// The sorted codes laid end to end, 4 * cap bits each.
void pack(const uint32_t* codes, const Shape& sh, uint64_t* out) {
    const int w = 4 * sh.cap;
    uint64_t acc = 0;
    int word = 0, bit = 0;
    for (int t = 0; t < sh.tubes; ++t) {
        uint64_t c = codes[t];
        acc |= c << bit;
        if (bit + w >= 64) {
            out[word++] = acc;
            acc = bit + w > 64 ? c >> (64 - bit) : 0;
            bit = bit + w - 64;
        } else {
            bit += w;
        }
    }
    if (word < sh.keyWords) out[word] = acc;
}

// Restores ascending order after two entries changed (insertion sort: few inversions).
inline void resort(uint32_t* codes, int n) {
    for (int i = 1; i < n; ++i) {
        uint32_t v = codes[i];
        int j = i;
        for (; j > 0 && codes[j - 1] > v; --j)
            codes[j] = codes[j - 1];
        codes[j] = v;
    }
}

void unpack(const uint64_t* in, const Shape& sh, uint32_t* codes) {
    const int w = 4 * sh.cap;
    const uint64_t mask = (uint64_t{1} << w) - 1;
    int word = 0, bit = 0;
    for (int t = 0; t < sh.tubes; ++t) {
        uint64_t c = in[word] >> bit;
        if (bit + w > 64) c |= in[word + 1] << (64 - bit);
        codes[t] = static_cast<uint32_t>(c & mask);
        bit += w;
        if (bit >= 64) {
            bit -= 64;
            ++word;
        }
    }
}

uint32_t hashKey(const uint64_t* p, int n) {
    uint64_t h = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < n; ++i) {
        h = (h ^ p[i]) * 0xbf58476d1ce4e5b9ull;
        h ^= h >> 31;
    }
    h *= 0x94d049bb133111ebull;
    return static_cast<uint32_t>(h >> 32);
}

int boundOfCodes(const uint32_t* codes, const Shape& sh) {
    int above = 0;
    int runSum[kMaxColors + 1] = {}, runMax[kMaxColors + 1] = {};
    for (int t = 0; t < sh.tubes; ++t) {
        uint32_t c = codes[t];
        int n = tubeSize(c, sh.cap);
        if (n == 0) continue;
        uint32_t bottom = (c >> (4 * (sh.cap - 1))) & 15u;
        int run = 1;
        while (run < n && ((c >> (4 * (sh.cap - 1 - run))) & 15u) == bottom)
            ++run;
        above += n - run;
        runSum[bottom] += run;
        runMax[bottom] = std::max(runMax[bottom], run);
    }
    int extra = 0;
    for (int v = 1; v <= kMaxColors; ++v)
        extra += runSum[v] - runMax[v];
    return above + extra;
}

// Every position ever generated, packed, with its best known distance and its predecessor.
// Keys live in fixed-size chunks so that growing never copies them.
class PositionTable {
  public:
    explicit PositionTable(int keyWords) : keyWords_(keyWords) { slots_.assign(1u << 16, 0); }

    size_t size() const { return g_.size(); }
    const uint64_t* key(uint32_t id) const {
        return &chunks_[id >> kChunkBits][static_cast<size_t>(id & kChunkMask) * keyWords_];
    }
    uint16_t& g(uint32_t id) { return g_[id]; }
    uint32_t parent(uint32_t id) const { return parent_[id]; }
    void setParent(uint32_t id, uint32_t p) { parent_[id] = p; }

    // Finds the key or adds it; `added` tells which.  A slot holds the key's hash in its high
    // half and id + 1 in its low half (0 = free), so most probes never touch the keys.
    uint32_t findOrAdd(const uint64_t* k, bool& added) {
        return findOrAdd(k, hashKey(k, keyWords_), added);
    }
    void prefetch(uint32_t h) const { __builtin_prefetch(&slots_[h & (slots_.size() - 1)]); }
    uint32_t findOrAdd(const uint64_t* k, uint32_t h, bool& added) {
        size_t mask = slots_.size() - 1;
        for (size_t i = h & mask;; i = (i + 1) & mask) {
            uint64_t s = slots_[i];
            if (s == 0) {
                uint32_t id = static_cast<uint32_t>(g_.size());
                if ((id & kChunkMask) == 0)
                    chunks_.emplace_back(
                        new uint64_t[static_cast<size_t>(keyWords_) << kChunkBits]);
                std::memcpy(&chunks_.back()[static_cast<size_t>(id & kChunkMask) * keyWords_], k,
                            sizeof(uint64_t) * keyWords_);
                g_.push_back(0xFFFF);
                parent_.push_back(0);
                slots_[i] = (static_cast<uint64_t>(h) << 32) | (id + 1u);
                added = true;
                if (g_.size() * 2 > slots_.size()) grow();
                return id;
            }
            if (static_cast<uint32_t>(s >> 32) == h) {
                uint32_t id = static_cast<uint32_t>(s) - 1;
                if (std::memcmp(key(id), k, sizeof(uint64_t) * keyWords_) == 0) {
                    added = false;
                    return id;
                }
            }
        }
    }

    size_t bytes() const {
        return chunks_.size() * (static_cast<size_t>(keyWords_) << kChunkBits) * 8 +
               g_.capacity() * 2 + parent_.capacity() * 4 + slots_.capacity() * 8;
    }

  private:
    static constexpr int kChunkBits = 16;
    static constexpr uint32_t kChunkMask = (1u << kChunkBits) - 1;

    void grow() {
        std::vector<uint64_t> next(slots_.size() * 2, 0);
        size_t mask = next.size() - 1;
        for (uint64_t s : slots_) {
            if (s == 0) continue;
            size_t i = (s >> 32) & mask;
            while (next[i] != 0)
                i = (i + 1) & mask;
            next[i] = s;
        }
        slots_.swap(next);
    }

    int keyWords_;
    std::vector<std::unique_ptr<uint64_t[]>> chunks_;
    std::vector<uint16_t> g_;
    std::vector<uint32_t> parent_;
    std::vector<uint64_t> slots_;
};

// Open list: lowest f first, among equal f the deepest g, last in first out within a bucket.
class OpenList {
  public:
    void push(int f, int g, uint32_t id) {
        if (static_cast<int>(buckets_.size()) <= f) buckets_.resize(f + 1);
        auto& row = buckets_[f];
        if (static_cast<int>(row.size()) <= g) row.resize(g + 1);
        row[g].push_back(id);
        if (f < minF_) minF_ = f;
        ++count_;
    }
    bool pop(int& f, int& g, uint32_t& id) {
        if (count_ == 0) return false;
        for (;; ++minF_) {
            auto& row = buckets_[minF_];
            for (int gg = static_cast<int>(row.size()) - 1; gg >= 0; --gg) {
                if (row[gg].empty()) continue;
                id = row[gg].back();
                row[gg].pop_back();
                f = minF_;
                g = gg;
                --count_;
                return true;
            }
        }
    }
    size_t bytes() const {
        size_t b = 0;
        for (const auto& row : buckets_)
            for (const auto& v : row)
                b += v.capacity() * 4;
        return b;
    }

  private:
    std::vector<std::vector<std::vector<uint32_t>>> buckets_;
    int minF_ = 1 << 30;
    size_t count_ = 0;
};

void canonicalCodes(const GameState& s, uint32_t* codes) {
    for (int t = 0; t < s.tubeCount(); ++t)
        codes[t] = encodeTube(s.tubes[t], s.capacity);
    std::sort(codes, codes + s.tubeCount());
}

// Turns the chain of canonical positions into moves of the start's own tubes: at each step the
// first legal move (in the rules' order) whose result has the next canonical form.
std::vector<Move> realMoves(const GameState& start, const std::vector<std::vector<uint64_t>>& chain,
                            const Shape& sh) {
    std::vector<Move> out;
    GameState cur = start;
    uint32_t codes[kMaxTubes];
    std::vector<uint64_t> k(sh.keyWords);
    for (size_t step = 1; step < chain.size(); ++step) {
        for (const Move& m : legalMoves(cur)) {
            GameState next = applyMoveOne(cur, m);
            canonicalCodes(next, codes);
            pack(codes, sh, k.data());
            if (k == chain[step]) {
                out.push_back(m);
                cur = next;
                break;
            }
        }
    }
    return out;
}

// Which search runs: A* proves a shortest solution; the greedy one expands the position that
// looks closest to solved first and stops at the first solved position it meets, so it finds
// some solution, or proves there is none, far sooner.
enum class Mode { Shortest, Any };

enum class Outcome { Found, Dry, OutOfBudget };

struct Search {
    Outcome outcome = Outcome::Dry;
    bool cancelled = false;
    std::vector<Move> moves;
    size_t expanded = 0;
    size_t stored = 0;
    size_t peakBytes = 0;
};

// No start beyond the packed codes' reach is searched.
bool fitsCodes(const GameState& s) {
    if (s.tubeCount() < 1 || s.tubeCount() > kMaxTubes || s.capacity < 1 || s.capacity > kMaxCap)
        return false;
    for (const auto& t : s.tubes) {
        if (static_cast<int>(t.size()) > s.capacity) return false;
        for (int c : t)
            if (c < 0 || c >= kMaxColors) return false;
    }
    return true;
}

Search search(const GameState& start, const SolveBudget& budget, Mode mode, bool useClock,
              size_t maxPositions) {
    Search res;
    const Shape sh = shapeOf(start);
    PositionTable table(sh.keyWords);
    OpenList open;
    uint32_t codes[kMaxTubes];
    std::vector<uint64_t> k(sh.keyWords);
    // At most one successor per (from, to) pair.
    const size_t maxSucc = static_cast<size_t>(sh.tubes) * sh.tubes;
    std::vector<uint32_t> succCodes(maxSucc * sh.tubes), succHash(maxSucc);
    std::vector<uint64_t> succKeys(maxSucc * sh.keyWords);

    canonicalCodes(start, codes);
    pack(codes, sh, k.data());
    bool added = false;
    uint32_t startId = table.findOrAdd(k.data(), added);
    table.g(startId) = 0;
    table.setParent(startId, startId);
    int h0 = boundOfCodes(codes, sh);
    open.push(h0, 0, startId);

    uint32_t goal = UINT32_MAX;
    int f = 0, g = 0;
    uint32_t id = 0;
    size_t peak = 0;
    bool outOfBudget = false;
    if (h0 == 0) goal = startId;
    while (goal == UINT32_MAX && open.pop(f, g, id)) {
        if (table.g(id) != g) continue;  // a shorter way here was found after this entry
        ++res.expanded;
        if (mode == Mode::Shortest && f - g == 0) {
            goal = id;
            break;
        }
        unpack(table.key(id), sh, codes);
        int sizes[kMaxTubes], tops[kMaxTubes];
        // Tubes with room, listed by their top colour + 1 (0 = the first empty tube only: all
        // empty tubes are alike).
        int roomy[kMaxColors + 1][kMaxTubes];
        int roomyCount[kMaxColors + 1] = {};
        for (int t = 0; t < sh.tubes; ++t) {
            sizes[t] = tubeSize(codes[t], sh.cap);
            tops[t] = sizes[t] ? tubeTop(codes[t], sh.cap, sizes[t]) : 0;
            if (sizes[t] < sh.cap && (sizes[t] > 0 || roomyCount[0] == 0))
                roomy[tops[t]][roomyCount[tops[t]]++] = t;
        }
        // First every successor with its hash (prefetching its slot), then the lookups: the
        // table is far larger than the caches.
        int nSucc = 0;
        for (int from = 0; from < sh.tubes; ++from) {
            if (sizes[from] == 0) continue;
            const int v = tops[from];
            // Onto tubes of the same top colour, then onto an empty tube, unless the marble is
            // alone (moving it there changes nothing once tube order is forgotten).
            const int lists[2] = {v, 0};
            for (int li = 0; li < 2; ++li) {
                if (li == 1 && sizes[from] == 1) break;
                const int list = lists[li];
                for (int n = 0; n < roomyCount[list]; ++n) {
                    const int to = roomy[list][n];
                    if (to == from) continue;
                    uint32_t* nx = &succCodes[static_cast<size_t>(nSucc) * sh.tubes];
                    std::memcpy(nx, codes, sizeof(uint32_t) * sh.tubes);
                    nx[from] &= ~(15u << (4 * (sh.cap - sizes[from])));
                    nx[to] |= static_cast<uint32_t>(v) << (4 * (sh.cap - sizes[to] - 1));
                    resort(nx, sh.tubes);
                    uint64_t* kx = &succKeys[static_cast<size_t>(nSucc) * sh.keyWords];
                    pack(nx, sh, kx);
                    succHash[nSucc] = hashKey(kx, sh.keyWords);
                    table.prefetch(succHash[nSucc]);
                    ++nSucc;
                }
            }
        }
        for (int n = 0; n < nSucc; ++n) {
            const uint32_t* nx = &succCodes[static_cast<size_t>(n) * sh.tubes];
            const uint64_t* kx = &succKeys[static_cast<size_t>(n) * sh.keyWords];
            uint32_t nid = table.findOrAdd(kx, succHash[n], added);
            if (mode == Mode::Any) {
                // Any way to a position will do: the first one found stays.
                if (!added || g + 1 >= 0xFFFF) continue;
            } else if (!added && table.g(nid) <= g + 1) {
                continue;
            }
            table.g(nid) = static_cast<uint16_t>(g + 1);
            table.setParent(nid, id);
            int h = boundOfCodes(nx, sh);
            // In A*, nothing left in the open list is shorter once f is reached again.
            if (h == 0 && (mode == Mode::Any || g + 1 == f)) {
                goal = nid;
                break;
            }
            open.push(mode == Mode::Shortest ? g + 1 + h : h, g + 1, nid);
        }
        if (maxPositions && table.size() > maxPositions) {
            // Past the limit nothing is claimed, not even a solved position just met.
            outOfBudget = true;
            goal = UINT32_MAX;
            break;
        }
        if (budget.cancel && budget.cancel->load(std::memory_order_relaxed)) {
            res.cancelled = outOfBudget = true;
            break;
        }
        if ((res.expanded & 1023) == 0) {
            const size_t bytes = table.bytes() + open.bytes();
            peak = std::max(peak, bytes);
            if ((budget.maxBytes && bytes > budget.maxBytes) ||
                (useClock && budget.timeUp && budget.timeUp())) {
                outOfBudget = true;
                break;
            }
        }
    }
    res.stored = table.size();
    res.peakBytes = std::max(peak, table.bytes() + open.bytes());
    if (goal == UINT32_MAX) {
        res.outcome = outOfBudget ? Outcome::OutOfBudget : Outcome::Dry;
        return res;
    }
    std::vector<std::vector<uint64_t>> chain;
    for (uint32_t at = goal;; at = table.parent(at)) {
        chain.emplace_back(table.key(at), table.key(at) + sh.keyWords);
        if (at == startId) break;
    }
    std::reverse(chain.begin(), chain.end());
    res.moves = realMoves(start, chain, sh);
    res.outcome = Outcome::Found;
    return res;
}

// How far the search for any solution may go when the shortest one could not be proven: enough
// for every shipped level's start, small enough to answer within a fraction of a second.
constexpr size_t kFallbackPositions = 300'000;

}  // namespace

int lowerBound(const GameState& s) {
    uint32_t codes[kMaxTubes];
    canonicalCodes(s, codes);
    return boundOfCodes(codes, shapeOf(s));
}

SolveResult solveShortest(const GameState& start, const SolveBudget& budget) {
    SolveResult res;
    res.status = SolveStatus::BudgetExhausted;
    if (!fitsCodes(start)) return res;
    Search full = search(start, budget, Mode::Shortest, true, budget.maxPositions);
    res.expanded = full.expanded;
    res.stored = full.stored;
    res.peakBytes = full.peakBytes;
    res.cancelled = full.cancelled;
    switch (full.outcome) {
        case Outcome::Found:
            res.status = SolveStatus::Shortest;
            res.moves = std::move(full.moves);
            return res;
        case Outcome::Dry:
            res.status = SolveStatus::NoSolution;
            return res;
        case Outcome::OutOfBudget:
            break;
    }
    if (full.cancelled) return res;
    // The proof ran out; a solution that is merely valid still shows the way forward.
    Search any = search(start, budget, Mode::Any, false, kFallbackPositions);
    res.expanded += any.expanded;
    res.peakBytes = std::max(res.peakBytes, any.peakBytes);
    res.cancelled = any.cancelled;
    if (any.outcome == Outcome::Found) res.moves = std::move(any.moves);
    return res;
}

bool isDeadEnd(const GameState& s) {
    for (int from = 0; from < s.tubeCount(); ++from)
        for (int to = 0; to < s.tubeCount(); ++to)
            if (canMoveOne(s, from, to)) return false;
    return !isSolved(s);
}

Solvability solvability(const GameState& s, const SolveBudget& budget, size_t* peakBytes) {
    if (peakBytes) *peakBytes = 0;
    if (isSolved(s)) return Solvability::Solvable;
    if (isDeadEnd(s)) return Solvability::Unsolvable;
    if (!fitsCodes(s)) return Solvability::Unknown;
    const Search any = search(s, budget, Mode::Any, true, budget.maxPositions);
    if (peakBytes) *peakBytes = any.peakBytes;
    switch (any.outcome) {
        case Outcome::Found:
            return Solvability::Solvable;
        case Outcome::Dry:
            return Solvability::Unsolvable;
        case Outcome::OutOfBudget:
            break;
    }
    return Solvability::Unknown;
}

}  // namespace mar
