// The navigation stack: one pending request per frame, screens rebuilt from their records.
#include "ui/app.h"

#include <algorithm>

#include "ui/focus.h"
#include "ui/mirror.h"
#include "ui/motion.h"

namespace ui {

bool Input::hasKey(int k) const {
    return std::find(keys.begin(), keys.end(), k) != keys.end();
}

bool Ctx::takeClick(const Rect& r) {
    if (clickUsed || !in.pressed || !hover(r)) return false;
    clickUsed = true;
    return true;
}

bool Ctx::takeRightClick(const Rect& r) {
    if (clickUsed || !in.rightPressed || !hover(r)) return false;
    clickUsed = true;
    return true;
}

const GameState& Ctx::record() const {
    static const GameState kNone;
    return self ? *self : kNone;
}
void Ctx::push(const GameState& s) const {
    if (game) game->push(s);
}
void Ctx::pop() const {
    if (game) game->pop();
}
void Ctx::replace(const GameState& s) const {
    if (game) game->replace(s);
}
void Ctx::resetTo(const GameState& s) const {
    if (game) game->resetTo(s);
}
store::Settings& Ctx::settings() const {
    return Game::settings();
}
void Ctx::persistSettings() const {
    Game::persistSettings();
}

WindowPlacement placeWindow(const store::Settings& s, const IntRect& b) {
    WindowPlacement p;
    p.w = s.windowW;
    p.h = s.windowH;
    p.centred = !s.hasPosition();
    p.x = s.windowX;
    p.y = s.windowY;
    if (b.w > 0 && b.h > 0) {
        p.w = std::min(s.windowW, b.w - 20);
        p.h = std::min(s.windowH, b.h - 60);
        if (!p.centred) {
            // max() keeps clamp's bounds ordered on a display smaller than the margins.
            p.x = std::clamp(s.windowX, b.x, std::max(b.x, b.x + b.w - p.w));
            p.y = std::clamp(s.windowY, b.y + 30, std::max(b.y + 30, b.y + b.h - p.h));
        }
    }
    return p;
}

bool noteWindowChange(store::Settings& s, WindowChange change, int a, int b, bool special) {
    switch (change) {
        case WindowChange::Maximized:
            s.maximized = true;
            return true;
        case WindowChange::Restored:
            s.maximized = false;
            return true;
        case WindowChange::Resized:
            if (special || s.fullscreen) return false;
            s.windowW = a;
            s.windowH = b;
            return true;
        case WindowChange::Moved:
            if (special || s.fullscreen) return false;
            s.windowX = a;
            s.windowY = b;
            return true;
    }
    return false;
}

namespace {

enum class RequestKind { None = 0, Push = 1, Pop = 2, Replace = 3, ResetTo = 4 };

struct Request {
    RequestKind kind = RequestKind::None;
    GameState state;
};

struct Shared {
    Request pending;
    bool settingsLoaded = false;
    store::Settings settings;
};

Shared& shared() {
    static Shared s;
    return s;
}

}  // namespace

// The settings record is made first, so that it outlives the stack and its screen.
Game::Game() : stack_{GameState{}}, focus_(std::make_unique<FocusState>()) {
    shared();
}

Game::~Game() = default;

Game* Game::instance() {
    static Game game;
    return &game;
}

void Game::push(const GameState& s) {
    shared().pending = {RequestKind::Push, s};
}
void Game::pop() {
    shared().pending = {RequestKind::Pop, GameState{}};
}
void Game::replace(const GameState& s) {
    shared().pending = {RequestKind::Replace, s};
}
void Game::resetTo(const GameState& s) {
    shared().pending = {RequestKind::ResetTo, s};
}

const GameState& Game::top() const {
    static const GameState kNone;
    return stack_.empty() ? kNone : stack_.back();
}

void Game::ensureScreen() {
    if (screen_ && serial_ == builtSerial_) return;
    if (!make_ || stack_.empty()) return;
    std::unique_ptr<Screen> fresh = make_(top());
    screen_ = std::move(fresh);  // the old screen goes only once the new one exists
    builtSerial_ = serial_;
    focusReset(*focus_);
}

void Game::carryOut() {
    const Request req = shared().pending;
    switch (req.kind) {
        case RequestKind::Push:
            stack_.push_back(req.state);
            break;
        case RequestKind::Pop:
            if (stack_.size() >= 2) stack_.pop_back();
            break;
        case RequestKind::Replace:
            if (stack_.empty())
                stack_.push_back(req.state);
            else
                stack_.back() = req.state;
            break;
        case RequestKind::ResetTo:
            stack_.clear();
            stack_.push_back(req.state);
            break;
        case RequestKind::None:
            return;
    }
    ++serial_;
    shared().pending.kind = RequestKind::None;
    screen_.reset();
}

void Game::update(Ctx& ctx) {
    // A request filed while no screen is on show (the start screen the entry point asks for)
    // is carried out first: the first screen's own first-frame request must not replace it.
    if (!screen_) carryOut();
    ensureScreen();
    if (!screen_) return;
    // The record is copied: the screen's own requests must not change what it reads this frame.
    const GameState self = top();
    ctx.game = this;
    ctx.self = &self;
    ctx.focus = focus_.get();
    // A change in the settings screen shows from the next frame on, on every screen alike.
    setMotionReduced(effectiveReduceMotion(settings()));
    focusBeginFrame(*focus_, ctx.in);
    screen_->update(ctx);
    focusEndFrame(*focus_, ctx.in, rightToLeft());
    ctx.focus = nullptr;
    ctx.self = nullptr;
    carryOut();
}

void Game::shutdown() {
    screen_.reset();
    shared().pending.kind = RequestKind::None;
    stack_.clear();
    ++serial_;
}

store::Settings& Game::settings() {
    Shared& s = shared();
    if (!s.settingsLoaded) {
        s.settings = store::loadSettings();
        s.settingsLoaded = true;
    }
    return s.settings;
}

void Game::persistSettings() {
    store::saveSettings(settings());
}

}  // namespace ui
