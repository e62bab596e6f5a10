// The hint worker: one thread that takes the latest position asked about, answers it with the
// exact solver within a budget and leaves the answer for the next poll.
#include "platform/hint_worker.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "core/solver.h"

namespace hints {
namespace {

using Clock = std::chrono::steady_clock;

// The game loop alone calls in and owns `worker`; everything below `mutex` is shared with the
// worker and only touched under it. The mutex is never held during a search, only while a job
// or an answer changes hands, so the frame that asks or polls never waits on the solver.
struct State {
    std::thread worker;
    std::mutex mutex;
    std::condition_variable wake;
    bool quit = false;
    bool pending = false;  // `job` waits to be taken
    mar::GameState job;
    uint64_t jobGeneration = 0;
    bool running = false;
    // The generation whose answer is wanted; none after cancel() until the next request.
    std::optional<uint64_t> wanted;
    std::optional<Answer> ready;
    // Set under the mutex only while a job runs, cleared when the worker takes the next one.
    std::atomic<bool> cancelRunning{false};

    // A program that never shut the module down still must not end with the worker running.
    ~State() { stop(); }

    void stop() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            quit = true;
            pending = false;
            wanted.reset();
            ready.reset();
            cancelRunning = true;
            wake.notify_one();  // under the lock, so thread checkers need no exception
        }
        if (worker.joinable()) worker.join();
        std::lock_guard<std::mutex> lock(mutex);
        quit = false;
        cancelRunning = false;
    }
};

State& st() {
    static State s;
    return s;
}

void work() {
    State& s = st();
    std::unique_lock<std::mutex> lock(s.mutex);
    for (;;) {
        s.wake.wait(lock, [&] { return s.quit || s.pending; });
        if (s.quit) return;
        mar::GameState position = std::move(s.job);
        const uint64_t generation = s.jobGeneration;
        s.pending = false;
        s.running = true;
        s.cancelRunning = false;
        lock.unlock();

        Answer answer = solve(position, &s.cancelRunning);
        answer.generation = generation;

        lock.lock();
        s.running = false;
        // A cancelled search answers nothing, and neither does one a newer request replaced.
        if (!s.cancelRunning && !s.pending && s.wanted == generation) {
            s.ready = answer;
            // A loop asleep over a still board wakes to show the answer at once.
            SDL_Event ev{};
            ev.type = SDL_USEREVENT;
            SDL_PushEvent(&ev);
        }
    }
}

mar::SolveBudget budgetUntil(Clock::time_point deadline, const std::atomic<bool>* cancel) {
    mar::SolveBudget b;
    b.timeUp = [deadline] { return Clock::now() >= deadline; };
    b.cancel = cancel;
    b.maxBytes = kMaxBytes;
    return b;
}

}  // namespace

Answer solve(const mar::GameState& position, const std::atomic<bool>* cancel) {
    Answer a;
    if (mar::isSolved(position)) {
        a.kind = Kind::Shortest;
        return a;
    }
    // Without a legal move there is nothing to search.
    if (mar::isDeadEnd(position)) {
        a.kind = Kind::NoWayForward;
        return a;
    }
    const auto budgetMs = std::chrono::milliseconds(kBudgetMs);
    size_t checkBytes = 0;
    const mar::Solvability can =
        mar::solvability(position, budgetUntil(Clock::now() + budgetMs, cancel), &checkBytes);
    a.peakBytes = checkBytes;
    if (can == mar::Solvability::Unsolvable) a.kind = Kind::NoWayForward;
    if (can != mar::Solvability::Solvable) return a;

    const mar::SolveResult r =
        mar::solveShortest(position, budgetUntil(Clock::now() + budgetMs, cancel));
    a.peakBytes = std::max(a.peakBytes, r.peakBytes);
    if (r.cancelled || r.moves.empty()) {
        // Solvable but no way found in time (or told to stop): nothing to show yet.
        if (r.status == mar::SolveStatus::NoSolution) a.kind = Kind::NoWayForward;
        return a;
    }
    a.kind = r.status == mar::SolveStatus::Shortest ? Kind::Shortest : Kind::WayForward;
    a.next = r.moves.front();
    a.movesToGo = static_cast<int>(r.moves.size());
    return a;
}

void request(const mar::GameState& position, uint64_t generation) {
    State& s = st();
    mar::GameState copy = position;  // copied before the lock, so the worker waits no longer
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.job = std::move(copy);
        s.jobGeneration = generation;
        s.pending = true;
        s.wanted = generation;
        s.ready.reset();
        if (s.running) s.cancelRunning = true;
        if (!s.worker.joinable()) {
            try {
                s.worker = std::thread(work);
            } catch (const std::system_error&) {
                // No thread to be had: no hint either, and the game plays on without one.
                s.pending = false;
                s.wanted.reset();
            }
        }
        s.wake.notify_one();
    }
}

void cancel() {
    State& s = st();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.pending = false;
    s.wanted.reset();
    s.ready.reset();
    if (s.running) s.cancelRunning = true;
}

std::optional<Answer> poll() {
    State& s = st();
    std::lock_guard<std::mutex> lock(s.mutex);
    return std::exchange(s.ready, std::nullopt);
}

bool busy() {
    State& s = st();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.pending || s.running;
}

void shutdown() {
    st().stop();
}

}  // namespace hints
