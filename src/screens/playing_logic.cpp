// The rules half of the playing screen: set-up, moves, undo, restart, clock, saving, solving.
#include "screens/playing_logic.h"

#include <algorithm>
#include <cmath>

#include "platform/audio.h"
#include "theme/theme.h"

namespace screens {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Timings of the win sequence, in seconds after the solve.
constexpr double kSettleAt = 3.2;
constexpr double kGlareAt = 5.05;
constexpr double kGlareRamp = 1.3;
constexpr double kHandOverAt = 6.27;

}  // namespace

bool savedGameFits(const store::SavedGame& g, int level, uint32_t seed,
                   const mar::GameState& initial, int colors) {
    if (!g.valid || g.level != level || g.seed != seed) return false;
    if (g.state.capacity != initial.capacity || g.state.tubeCount() != initial.tubeCount())
        return false;
    if (g.state.marbleCount() != initial.marbleCount()) return false;
    // A file edited by hand may keep the counts right and still hold colours the palette
    // cannot index or tubes the glass cannot hold.
    for (const auto& tube : g.state.tubes) {
        if (static_cast<int>(tube.size()) > g.state.capacity) return false;
        for (int c : tube)
            if (c < 0 || c >= colors) return false;
    }
    // Undo replays the history backwards, so every recorded move must name two real tubes.
    for (const auto& m : g.history) {
        if (m.from < 0 || m.from >= initial.tubeCount() || m.to < 0 ||
            m.to >= initial.tubeCount() || m.from == m.to)
            return false;
    }
    return g.moveCount >= 0 && g.elapsedMs >= 0;
}

PlayingLogic::PlayingLogic(int level, uint32_t seed, bool attract)
    : level_(level),
      seed_(seed),
      attract_(attract),
      info_(mar::levelInfo(level)),
      world_(&theme::worldForTier(info_.tier)),
      palette_(theme::rotatedPalette(*world_, info_.paletteOffset)),
      initial_(mar::loadLevel(level)),
      state_(initial_) {
    resetRotations();
    const size_t n = state_.tubes.size();
    fills.assign(n, 0);
    fillTargets.assign(n, 0);
    fillT.assign(n, 0);
    if (attract_) {
        solution_ = mar::levelSolution(level_);
        return;
    }
    store::SavedGame saved = store::loadGame();
    if (savedGameFits(saved, level_, seed_, initial_, info_.colors)) {
        state_ = saved.state;
        moveCount_ = saved.moveCount;
        elapsedBase_ = saved.elapsedMs;
        for (const auto& m : saved.history)
            history_.push_back({m, 0.0});
        resetRotations();
        written_ = true;
    } else if (saved.valid) {
        // Only one game is ever kept: opening any other board discards it.
        store::clearGame();
    }
    for (int i = 0; i < state_.tubeCount(); ++i) {
        if (mar::isTubeComplete(state_, i)) {
            fillTargets[i] = 1;
            fills[i] = 1;
            fillT[i] = 3.0;
        }
    }
}

void PlayingLogic::beginFrame(double t) {
    if (startedAt_ < 0) startedAt_ = t;
    lastT_ = t;
}

double PlayingLogic::rotationFor(int tube, int slot, int colour) const {
    uint32_t x = seed_ * 31u + static_cast<uint32_t>(level_) * 7919u +
                 static_cast<uint32_t>(tube) * 1009u + static_cast<uint32_t>(slot) * 397u +
                 static_cast<uint32_t>(colour) * 131u;
    uint32_t t = x + 0x6D2B79F5u;
    t = (t ^ (t >> 15)) * (t | 1u);
    t ^= t + (t ^ (t >> 7)) * (t | 61u);
    t ^= t >> 14;
    return t / 4294967296.0 * 2 * kPi;
}

void PlayingLogic::resetRotations() {
    rotations_.assign(state_.tubes.size(), {});
    for (int i = 0; i < state_.tubeCount(); ++i) {
        const auto& tube = state_.tubes[i];
        for (int j = 0; j < static_cast<int>(tube.size()); ++j)
            rotations_[i].push_back(rotationFor(i, j, tube[j]));
    }
}

void PlayingLogic::syncFillTargets() {
    for (int i = 0; i < state_.tubeCount(); ++i) {
        if (mar::isTubeComplete(state_, i) && i != flightTarget_) {
            if (fillTargets[i] <= 0) {
                fillTargets[i] = 1;
                fillT[i] = 0;
                fills[i] = 0;
                audio::playFluidRise(state_.tubes[i].front());
            }
        } else {
            // Liquid leaves at once when the tube stops being complete.
            fillTargets[i] = 0;
            fills[i] = 0;
            fillT[i] = 0;
        }
    }
}

MoveOutcome PlayingLogic::doMove(int fromIdx, int toIdx) {
    MoveOutcome out;
    out.move = {fromIdx, toIdx};
    const auto& src = state_.tubes[fromIdx];
    out.colorId = src.back();
    out.fromSlot = static_cast<int>(src.size()) - 1;
    out.startRotation = rotations_[fromIdx].back();
    out.toSlot = static_cast<int>(state_.tubes[toIdx].size());
    out.endRotation = rotationFor(toIdx, out.toSlot, out.colorId);

    state_ = mar::applyMoveOne(state_, out.move);
    rotations_[fromIdx].pop_back();
    rotations_[toIdx].push_back(out.endRotation);
    history_.push_back({out.move, out.startRotation});
    ++moveCount_;

    out.triggerFlash = mar::isTubeComplete(state_, toIdx);
    flightTarget_ = toIdx;
    audio::playDrop(out.colorId);
    syncFillTargets();
    persist();
    return out;
}

void PlayingLogic::landFlight() {
    flightTarget_ = -1;
    syncFillTargets();
}

void PlayingLogic::undo() {
    // After the solve the board is final: the result was recorded from it.
    if (history_.empty() || flying() || solved()) return;
    HistoryEntry e = history_.back();
    history_.pop_back();
    mar::GameState next = state_;
    auto& dst = next.tubes[e.move.to];
    auto& src = next.tubes[e.move.from];
    if (dst.empty() || static_cast<int>(src.size()) >= next.capacity) return;
    src.push_back(dst.back());
    dst.pop_back();
    state_ = std::move(next);
    if (!rotations_[e.move.to].empty()) rotations_[e.move.to].pop_back();
    rotations_[e.move.from].push_back(e.sourceRotation);
    // Undo is scored as a move: the counter never goes down.
    ++moveCount_;
    audio::play(audio::Sfx::Click);
    syncFillTargets();
    persist();
}

void PlayingLogic::restart() {
    if (solved()) return;
    state_ = initial_;
    resetRotations();
    history_.clear();
    elapsedBase_ = 0;
    moveCount_ = 0;
    startedAt_ = -1;
    flightTarget_ = -1;
    std::fill(fills.begin(), fills.end(), 0.0);
    std::fill(fillTargets.begin(), fillTargets.end(), 0.0);
    std::fill(fillT.begin(), fillT.end(), 0.0);
    audio::play(audio::Sfx::Click);
    syncFillTargets();
    persist();
}

int64_t PlayingLogic::elapsedMs() const {
    if (startedAt_ < 0) return elapsedBase_;
    return elapsedBase_ + static_cast<int64_t>(std::floor((lastT_ - startedAt_) * 1000));
}

void PlayingLogic::persist() const {
    if (attract_ || mar::isSolved(state_)) return;
    store::SavedGame g;
    g.valid = true;
    g.level = level_;
    g.seed = seed_;
    g.state = state_;
    for (const auto& e : history_)
        g.history.push_back(e.move);
    g.moveCount = moveCount_;
    g.elapsedMs = elapsedMs();
    g.savedAt = store::nowMs();
    store::saveGame(g);
    written_ = true;
}

void PlayingLogic::leave() const {
    if (written_) persist();
}

bool PlayingLogic::checkSolved(double t) {
    if (solvedAt_ >= 0 || !mar::isSolved(state_)) return false;
    onSolved(t);
    return true;
}

void PlayingLogic::onSolved(double t) {
    solvedAt_ = t;
    audio::play(audio::Sfx::Success);
    if (attract_) return;
    const double started = startedAt_ < 0 ? t : startedAt_;
    finalElapsed_ = elapsedBase_ + static_cast<int64_t>(std::floor((t - started) * 1000));
    store::clearGame();
    store::SolveEntry e;
    e.id = store::newSolveId();
    e.level = level_;
    e.seed = seed_;
    e.moves = moveCount_;
    e.elapsedMs = finalElapsed_;
    e.solvedAt = store::nowMs();
    e.finalTubes = state_.tubes;
    e.capacity = state_.capacity;
    e.stars = mar::computeStars(moveCount_, info_.solutionLength);
    store::recordSolve(e);
    // The reward is kept with the solve, so leaving during the win sequence loses nothing; the
    // solved screen merges the same values again.
    store::recordBest(level_, {e.stars, e.moves, e.elapsedMs});
    store::advanceUnlockedLevel(level_ + 2);
}

WinStep PlayingLogic::driveWin(double t) {
    if (solvedAt_ < 0) return WinStep::None;
    const double age = t - solvedAt_;
    if (age >= kSettleAt && attract_) settleDone_ = true;
    if (attract_) return WinStep::None;
    if (age >= kGlareAt) {
        if (!glarePlayed_) {
            audio::play(audio::Sfx::WinGlare);
            glarePlayed_ = true;
        }
        winFlash_ = std::min(1.0, (age - kGlareAt) / kGlareRamp);
    }
    return age >= kHandOverAt ? WinStep::HandOver : WinStep::None;
}

}  // namespace screens
