// The rules half of the playing screen: set-up, moves, undo, restart, clock, saving, solving.
#include "screens/playing_logic.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/numbers.h"
#include "core/puzzle_code.h"
#include "platform/audio.h"
#include "theme/theme.h"

namespace screens {

namespace {

// Timings of the win sequence, in seconds after the solve.
constexpr double kSettleAt = 3.2;
constexpr double kGlareAt = 5.05;
constexpr double kGlareRamp = 1.3;
constexpr double kHandOverAt = 6.27;

// A puzzle's board looks like a level of its size's tier: that world, the palette turned by an
// amount of the seed's, and marble angles that follow the seed, so a code always looks the same.
mar::LevelInfo puzzleInfo(const puzzle::Puzzle& p) {
    const puzzle::Shape& shape = puzzle::shapeOf(p.id.size);
    mar::LevelInfo info;
    info.tier = std::clamp(p.id.size, 0, puzzle::kSizeCount - 1);
    info.colors = shape.colors;
    info.capacity = shape.capacity;
    info.solutionLength = p.optimum;
    info.paletteOffset = static_cast<int>(p.id.seed % 16u) * shape.colors;
    info.seed = p.id.seed;
    return info;
}

}  // namespace

PlayingLogic::PlayingLogic(int level, uint32_t seed, bool attract, const mar::LevelInfo& info,
                           const mar::GameState& start, std::string code, std::string date)
    : level_(level),
      seed_(seed),
      attract_(attract),
      code_(std::move(code)),
      date_(std::move(date)),
      info_(info),
      world_(&theme::worldForTier(info_.tier)),
      palette_(theme::rotatedPalette(*world_, info_.paletteOffset)),
      session_(start) {
    resetRotations();
}

PlayingLogic::PlayingLogic(int level, uint32_t seed, bool attract)
    : PlayingLogic(level, seed, attract, mar::levelInfo(level), mar::loadLevel(level), "", "") {
    if (attract_)
        solution_ = mar::levelSolution(level_);
    else
        resume();
}

PlayingLogic::PlayingLogic(const puzzle::Puzzle& p, const std::string& date)
    : PlayingLogic(-1, p.id.seed * 2654435761u + static_cast<uint32_t>(p.id.size), false,
                   puzzleInfo(p), p.start, puzzle::encode(p.id), date) {
    solution_ = p.solution;
    resume();
}

bool PlayingLogic::isOwnGame(const store::SavedGame& saved) const {
    if (!isPuzzle()) return saved.code.empty() && saved.level == level_ && saved.seed == seed_;
    // Codes are compared by what they name, however they were typed.
    const std::optional<puzzle::Id> id = puzzle::decode(saved.code);
    return id && puzzle::encode(*id) == code_ && saved.date == date_;
}

void PlayingLogic::resume() {
    store::SavedGame saved = store::loadGame();
    const bool usable = store::savedGameProblem(saved).empty();
    if (usable && isOwnGame(saved)) {
        session_ =
            mar::Session(initial(), saved.state, saved.history, saved.moveCount, saved.elapsedMs);
        // A resumed marble goes back with angle 0: how it looked before is not stored.
        sourceRotations_.assign(session_.history().size(), 0.0);
        hints_ = saved.hints;
        resetRotations();
        written_ = true;
    } else if (saved.valid && !usable) {
        // A game no board can resume is of no use to anyone.
        store::clearGame();
    } else {
        // Only one game is ever kept, but merely opening another board must not lose it: it is
        // replaced when this board first changes, which writes this board's game anyway.
        keepsOtherGame_ = saved.valid;
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
    return mix(x + kMixStep) * 2 * kPi;
}

void PlayingLogic::resetRotations() {
    const mar::GameState& s = state();
    rotations_.assign(s.tubes.size(), {});
    for (int i = 0; i < s.tubeCount(); ++i) {
        const auto& tube = s.tubes[i];
        for (int j = 0; j < static_cast<int>(tube.size()); ++j)
            rotations_[i].push_back(rotationFor(i, j, tube[j]));
    }
}

std::optional<mar::Move> PlayingLogic::demoMoveDue(double dt, bool flying) {
    if (!attract_ || flying || mar::isSolved(state())) return std::nullopt;
    demoT_ += dt;
    if (demoT_ < 0.65 || demoNext_ >= static_cast<int>(solution_.size())) return std::nullopt;
    demoT_ = 0;
    const mar::Move m = solution_[demoNext_];
    // A replay that no longer fits the board ends rather than forcing a move.
    if (!mar::canMoveOne(state(), m.from, m.to)) {
        demoNext_ = static_cast<int>(solution_.size());
        return std::nullopt;
    }
    ++demoNext_;
    return m;
}

void PlayingLogic::voice(const mar::Events& events) {
    for (const mar::Event& e : events) {
        switch (e.kind) {
            case mar::EventKind::Moved:
                audio::playDrop(e.colour);
                break;
            case mar::EventKind::Undone:
            case mar::EventKind::Restarted:
                audio::play(audio::Sfx::Click);
                break;
            // Refusals are voiced where the tap is; completion and the solve have their own
            // moments (the liquid rising after the landing, the solve once per frame).
            case mar::EventKind::Refused:
            case mar::EventKind::TubeCompleted:
            case mar::EventKind::Solved:
                break;
        }
    }
}

MoveOutcome PlayingLogic::doMove(int fromIdx, int toIdx) {
    MoveOutcome out;
    out.move = {fromIdx, toIdx};
    const auto& src = state().tubes[fromIdx];
    out.colorId = src.back();
    out.fromSlot = static_cast<int>(src.size()) - 1;
    out.startRotation = rotations_[fromIdx].back();
    out.toSlot = static_cast<int>(state().tubes[toIdx].size());
    out.endRotation = rotationFor(toIdx, out.toSlot, out.colorId);

    const mar::Events events = session_.move(out.move);
    if (events.front().kind != mar::EventKind::Moved) return out;
    rotations_[fromIdx].pop_back();
    rotations_[toIdx].push_back(out.endRotation);
    sourceRotations_.push_back(out.startRotation);
    for (const mar::Event& e : events)
        if (e.kind == mar::EventKind::TubeCompleted) out.triggerFlash = true;
    flightTarget_ = toIdx;
    voice(events);
    persist();
    return out;
}

void PlayingLogic::undo() {
    if (flying()) return;
    const mar::Events events = session_.undo();
    if (events.empty()) return;
    const mar::Event& e = events.front();
    if (!rotations_[e.to].empty()) rotations_[e.to].pop_back();
    rotations_[e.from].push_back(sourceRotations_.empty() ? 0.0 : sourceRotations_.back());
    if (!sourceRotations_.empty()) sourceRotations_.pop_back();
    voice(events);
    persist();
}

void PlayingLogic::restart() {
    const mar::Events events = session_.restart();
    if (events.empty()) return;
    resetRotations();
    sourceRotations_.clear();
    startedAt_ = -1;
    flightTarget_ = -1;
    voice(events);
    // Restarting a board never moved changes nothing worth another game's save.
    if (mayWrite()) persist();
}

void PlayingLogic::noteHint() {
    if (attract_ || session_.solved()) return;
    ++hints_;
    // Until the first move the hint is kept on the board and written with that move.
    if (mayWrite()) persist();
}

int64_t PlayingLogic::elapsedMs() const {
    const int64_t base = session_.elapsedBaseMs();
    if (startedAt_ < 0) return base;
    return base + static_cast<int64_t>(std::floor((lastT_ - startedAt_) * 1000));
}

void PlayingLogic::persist() const {
    if (attract_ || session_.solved()) return;
    store::SavedGame g;
    g.valid = true;
    g.level = level_;
    g.seed = seed_;
    g.state = state();
    g.history = session_.history();
    g.moveCount = session_.moveCount();
    g.elapsedMs = elapsedMs();
    g.savedAt = store::nowMs();
    g.hints = hints_;
    g.code = code_;
    g.date = date_;
    store::saveGame(g);
    written_ = true;
}

void PlayingLogic::leave() const {
    if (written_) persist();
}

bool PlayingLogic::checkSolved(double t) {
    if (solvedAt_ >= 0 || !session_.solved()) return false;
    onSolved(t);
    return true;
}

void PlayingLogic::onSolved(double t) {
    solvedAt_ = t;
    audio::play(audio::Sfx::Success);
    if (attract_) return;
    const double started = startedAt_ < 0 ? t : startedAt_;
    finalElapsed_ =
        session_.elapsedBaseMs() + static_cast<int64_t>(std::floor((t - started) * 1000));
    store::clearGame();
    recordSolve();
}

void PlayingLogic::recordSolve() {
    const int moves = session_.moveCount();
    const int stars = mar::computeStars(moves, info_.solutionLength, hints_);
    const int64_t now = store::nowMs();
    if (isPuzzle()) {
        // A generated puzzle has its own record and leaves the catalogue's progress alone.
        store::PuzzleResult r;
        r.code = code_;
        r.date = date_;
        r.solvedOn = puzzle::isoDate(store::localDate(now));
        r.moves = moves;
        r.optimum = info_.solutionLength;
        r.stars = stars;
        r.hints = hints_;
        r.elapsedMs = finalElapsed_;
        r.solvedAt = now;
        store::recordPuzzleResult(r);
        return;
    }
    store::SolveEntry e;
    e.id = store::newSolveId();
    e.level = level_;
    e.seed = seed_;
    e.moves = moves;
    e.elapsedMs = finalElapsed_;
    e.solvedAt = now;
    e.finalTubes = state().tubes;
    e.capacity = state().capacity;
    e.hints = hints_;
    e.stars = stars;
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
