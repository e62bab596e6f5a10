// The puzzle maker: one thread that works off a queue of ids, urgent ones first, and keeps the
// last puzzles it made.
#include "platform/puzzle_maker.h"

#include <SDL.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace maker {
namespace {

// Puzzles kept once made: the one on the board, the next few of endless play and a daily row.
constexpr size_t kKept = 40;

// The game loop alone calls in and owns `worker`; the rest is shared and only touched under
// `mutex`, which is never held while a puzzle is made.
struct State {
    std::thread worker;
    std::mutex mutex;
    std::condition_variable wake;
    bool quit = false;
    std::deque<puzzle::Id> queue;  // urgent ones at the front
    bool running = false;
    puzzle::Id current;
    std::vector<std::shared_ptr<const puzzle::Puzzle>> made;  // oldest first

    ~State() { stop(); }

    void stop() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            quit = true;
            queue.clear();
            wake.notify_one();
        }
        if (worker.joinable()) worker.join();
        std::lock_guard<std::mutex> lock(mutex);
        quit = false;
        made.clear();
    }
};

State& st() {
    static State s;
    return s;
}

std::shared_ptr<const puzzle::Puzzle> findMade(const State& s, const puzzle::Id& id) {
    for (const auto& p : s.made)
        if (p->id == id) return p;
    return nullptr;
}

void work() {
    State& s = st();
    std::unique_lock<std::mutex> lock(s.mutex);
    for (;;) {
        s.wake.wait(lock, [&] { return s.quit || !s.queue.empty(); });
        if (s.quit) return;
        s.current = s.queue.front();
        s.queue.pop_front();
        s.running = true;
        lock.unlock();
        auto p = std::make_shared<const puzzle::Puzzle>(puzzle::generate(s.current));
        lock.lock();
        s.running = false;
        s.made.push_back(std::move(p));
        if (s.made.size() > kKept) s.made.erase(s.made.begin());
        // A loop asleep over a still screen wakes to show the puzzle at once.
        SDL_Event ev{};
        ev.type = SDL_USEREVENT;
        SDL_PushEvent(&ev);
    }
}

// Queues the id (at the front when urgent) unless it is made or on its way; under the lock.
void enqueue(State& s, const puzzle::Id& id, bool urgent) {
    if (!puzzle::supported(id) || findMade(s, id)) return;
    auto it = std::find(s.queue.begin(), s.queue.end(), id);
    if (it != s.queue.end()) {
        if (!urgent) return;
        s.queue.erase(it);
    } else if (s.running && s.current == id) {
        return;
    }
    if (urgent)
        s.queue.push_front(id);
    else
        s.queue.push_back(id);
    if (!s.worker.joinable()) {
        try {
            s.worker = std::thread(work);
        } catch (const std::system_error&) {
            // No thread to be had: the puzzle is made by the next get() on the caller's thread.
            s.queue.clear();
            return;
        }
    }
    s.wake.notify_one();
}

}  // namespace

std::shared_ptr<const puzzle::Puzzle> get(const puzzle::Id& id) {
    State& s = st();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (auto p = findMade(s, id)) return p;
        enqueue(s, id, true);
        if (s.worker.joinable() || !puzzle::supported(id)) return nullptr;
    }
    // Without a worker thread there is no other way than to make it here.
    auto p = std::make_shared<const puzzle::Puzzle>(puzzle::generate(id));
    std::lock_guard<std::mutex> lock(s.mutex);
    s.made.push_back(p);
    if (s.made.size() > kKept) s.made.erase(s.made.begin());
    return p;
}

void prefetch(const puzzle::Id& id) {
    State& s = st();
    std::lock_guard<std::mutex> lock(s.mutex);
    enqueue(s, id, false);
}

bool busy() {
    State& s = st();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.running || !s.queue.empty();
}

void shutdown() {
    st().stop();
}

}  // namespace maker
