// Re-proves every stored solution of the catalogue a shortest one with a plain breadth-first
// search, written apart from the generator's search so that one's mistake cannot hide in both.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "core/levels_data.h"
#include "core/state.h"

namespace {

// A tube is a number: digit k (base colours + 1, lowest digit = bottom) is colour + 1, and no
// digit once the tube ends.  A position is its tube numbers in ascending order: the rules treat
// every tube alike, so positions that differ only in the order of tubes are one position.
class Breadth {
  public:
    Breadth(int tubes, int capacity, int colours)
        : tubes_(tubes), cap_(capacity), base_(colours + 1) {
        pow_.push_back(1);
        for (int k = 0; k < cap_; ++k)
            pow_.push_back(pow_.back() * base_);
        full_ = (pow_[cap_] - 1) / (base_ - 1);  // all digits 1
        index_.assign(1u << 12, 0);
    }

    // Number of moves of a shortest solution, searching no deeper than `limit` moves;
    // -1 when none is that short.
    int shortest(const std::vector<uint32_t>& start, int limit) {
        std::vector<uint32_t> first = start;
        std::sort(first.begin(), first.end());
        bool added = false;
        std::vector<uint32_t> frontier{insert(first.data(), added)};
        for (int depth = 0; depth <= limit; ++depth) {
            for (uint32_t id : frontier)
                if (solved(at(id))) return depth;
            if (depth == limit) break;
            std::vector<uint32_t> next;
            for (uint32_t id : frontier)
                expand(id, next);
            frontier.swap(next);
        }
        return -1;
    }

    size_t positions() const { return count_; }

  private:
    static constexpr int kMaxTubes = 32;

    int length(uint32_t tube) const {
        int n = 0;
        while (n < cap_ && tube >= pow_[n + 1])
            ++n;
        return tube == 0 ? 0 : n + 1;
    }

    bool solved(const uint32_t* p) const {
        for (int t = 0; t < tubes_; ++t)
            if (p[t] % full_ != 0) return false;  // 0 (empty) or one digit repeated cap times
        return true;
    }

    const uint32_t* at(uint32_t id) const {
        return &chunks_[id / kChunk][static_cast<size_t>(id % kChunk) * tubes_];
    }

    void expand(uint32_t id, std::vector<uint32_t>& next) {
        uint32_t p[kMaxTubes], q[kMaxTubes], top[kMaxTubes];
        int len[kMaxTubes];
        std::copy(at(id), at(id) + tubes_, p);
        for (int t = 0; t < tubes_; ++t) {
            len[t] = length(p[t]);
            top[t] = len[t] ? p[t] / pow_[len[t] - 1] : 0;
        }
        // Moves onto the second or a later empty tube, or of a lone marble onto an empty tube,
        // lead to a position already reached (tube order is forgotten): not tried again.
        int firstEmpty = -1;
        for (int t = tubes_ - 1; t >= 0; --t)
            if (len[t] == 0) firstEmpty = t;
        for (int a = 0; a < tubes_; ++a) {
            if (len[a] == 0) continue;
            for (int b = 0; b < tubes_; ++b) {
                if (a == b || len[b] == cap_) continue;
                if (len[b] > 0 && top[b] != top[a]) continue;
                if (len[b] == 0 && (b != firstEmpty || len[a] == 1)) continue;
                std::copy(p, p + tubes_, q);
                q[a] -= top[a] * pow_[len[a] - 1];
                q[b] += top[a] * pow_[len[b]];
                std::sort(q, q + tubes_);
                bool added = false;
                uint32_t nid = insert(q, added);
                if (added) next.push_back(nid);
            }
        }
    }

    static uint64_t hash(const uint32_t* p, int n) {
        uint64_t h = 0;
        for (int i = 0; i < n; ++i)
            h = (h + p[i] + 1) * 0xff51afd7ed558ccdull, h ^= h >> 33;
        return h;
    }

    // Returns the id of the position, adding it when new.  An index entry is the hash's high
    // half beside id + 1 (0 = free), so a probe seldom has to read a stored position.
    uint32_t insert(const uint32_t* p, bool& added) {
        const uint64_t h = hash(p, tubes_);
        const uint64_t tag = h & 0xFFFFFFFF00000000ull;
        size_t mask = index_.size() - 1;
        size_t i = h & mask;
        added = false;
        for (; index_[i] != 0; i = (i + 1) & mask) {
            if ((index_[i] & 0xFFFFFFFF00000000ull) != tag) continue;
            uint32_t id = static_cast<uint32_t>(index_[i]) - 1;
            if (std::equal(p, p + tubes_, at(id))) return id;
        }
        uint32_t id = count_++;
        if (id % kChunk == 0) chunks_.emplace_back(static_cast<size_t>(kChunk) * tubes_);
        std::copy(p, p + tubes_, &chunks_.back()[static_cast<size_t>(id % kChunk) * tubes_]);
        index_[i] = tag | (id + 1u);
        added = true;
        if (static_cast<size_t>(count_) * 2 > index_.size()) rehash();
        return id;
    }

    void rehash() {
        std::vector<uint64_t> bigger(index_.size() * 2, 0);
        size_t mask = bigger.size() - 1;
        for (uint64_t e : index_) {
            if (e == 0) continue;
            size_t i = hash(at(static_cast<uint32_t>(e) - 1), tubes_) & mask;
            while (bigger[i] != 0)
                i = (i + 1) & mask;
            bigger[i] = e;
        }
        index_.swap(bigger);
    }

    int tubes_, cap_;
    uint32_t base_;
    std::vector<uint32_t> pow_;
    uint32_t full_;
    static constexpr uint32_t kChunk = 1u << 16;  // positions per chunk
    std::vector<std::vector<uint32_t>> chunks_;   // positions, tubes_ numbers each
    uint32_t count_ = 0;
    std::vector<uint64_t> index_;  // open addressing over ids
};

std::string where(int tier, int idx) {
    return "tier " + std::to_string(tier) + ", position " + std::to_string(idx);
}

// Checks one stored level; returns what is wrong, or an empty string.
std::string reprove(int tier, int idx) {
    const auto& pool = levels_data::kPools[tier];
    const auto& lv = pool.levels[idx];
    mar::GameState s;
    s.capacity = lv.capacity;
    s.tubes.resize(lv.tubeCount);
    std::vector<uint32_t> numbers(lv.tubeCount, 0);
    uint32_t base = static_cast<uint32_t>(pool.colors) + 1;
    for (int t = 0; t < lv.tubeCount; ++t) {
        uint32_t weight = 1;
        for (int k = 0; k < lv.capacity; ++k) {
            int c = lv.slots[t * lv.capacity + k];
            if (c < 0) break;
            s.tubes[t].push_back(c);
            numbers[t] += static_cast<uint32_t>(c + 1) * weight;
            weight *= base;
        }
    }
    if (lv.moveCount != lv.solutionLength)
        return where(tier, idx) + ": moveCount differs from solutionLength";
    for (int m = 0; m < lv.moveCount; ++m) {
        int from = lv.moves[2 * m], to = lv.moves[2 * m + 1];
        if (!mar::canMoveOne(s, from, to))
            return where(tier, idx) + ": stored move " + std::to_string(m + 1) + " is not allowed";
        s = mar::applyMoveOne(s, {from, to});
    }
    if (!mar::isSolved(s)) return where(tier, idx) + ": the stored solution does not end solved";
    Breadth bfs(lv.tubeCount, lv.capacity, pool.colors);
    int found = bfs.shortest(numbers, lv.solutionLength - 1);
    if (found >= 0)
        return where(tier, idx) + ": solved in " + std::to_string(found) + " moves, stored " +
               std::to_string(lv.solutionLength);
    return {};
}

class CatalogueProof : public ::testing::TestWithParam<int> {};

}  // namespace

TEST_P(CatalogueProof, NoLevelOfTheTierHasAShorterSolutionThanItsStoredOne) {
    const int tier = GetParam();
    const auto& pool = levels_data::kPools[tier];
    std::vector<std::string> problems(pool.count);
    std::atomic<int> next{0};
    auto worker = [&] {
        for (int i; (i = next++) < pool.count;)
            problems[i] = reprove(tier, i);
    };
    std::vector<std::thread> threads;
    unsigned n = std::max(1u, std::min(std::thread::hardware_concurrency(), 4u));
    for (unsigned t = 1; t < n; ++t)
        threads.emplace_back(worker);
    worker();
    for (auto& t : threads)
        t.join();
    for (const auto& p : problems)
        EXPECT_TRUE(p.empty()) << p;
}

INSTANTIATE_TEST_SUITE_P(EveryTier, CatalogueProof, ::testing::Range(0, levels_data::kPoolCount),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Tier" + std::to_string(info.param);
                         });

TEST(CatalogueProof, TheSearchFindsKnownShortestSolutionsAndNothingShorter) {
    // [0 1] [0 1] [ ] needs three moves; [0 0] [1 1] [ ] is already solved.
    Breadth a(3, 2, 2);
    EXPECT_EQ(a.shortest({1 + 2 * 3, 1 + 2 * 3, 0}, 10), 3);
    Breadth b(3, 2, 2);
    EXPECT_EQ(b.shortest({1 + 2 * 3, 1 + 2 * 3, 0}, 2), -1);
    Breadth c(3, 2, 2);
    EXPECT_EQ(c.shortest({1 + 1 * 3, 2 + 2 * 3, 0}, 5), 0);
    // [0 1 1] [0 1 2] [2 0 2] [ ] has no solution at all: the whole reachable space is searched.
    Breadth d(4, 3, 3);
    EXPECT_EQ(d.shortest({1 + 2 * 4 + 2 * 16, 1 + 2 * 4 + 3 * 16, 3 + 1 * 4 + 3 * 16, 0}, 1000),
              -1);
    EXPECT_LT(d.positions(), 100u);
}
