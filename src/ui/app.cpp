// The navigation stack: one pending request per frame, screens rebuilt from their records.
#include "ui/app.h"

#include <algorithm>

#include "screens/screens.h"

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

std::unique_ptr<Screen> buildScreen(const GameState& top) {
    switch (top.kind) {
        case ScreenKind::Splash:
            return screens::makeSplash();
        case ScreenKind::Menu:
            return screens::makeMenu();
        case ScreenKind::LevelSelect:
            return screens::makeLevelSelect();
        case ScreenKind::Playing:
            return screens::makePlaying(top);
        case ScreenKind::Solved:
            return screens::makeSolved(top);
        case ScreenKind::Ending:
            return screens::makeEnding(top);
        case ScreenKind::Gallery:
            return screens::makeGallery();
        case ScreenKind::Settings:
            return screens::makeSettings();
        case ScreenKind::About:
            return screens::makeAbout();
        case ScreenKind::Licenses:
            return screens::makeLicenses();
        case ScreenKind::Attract:
            return screens::makeAttract(top);
    }
    return screens::makeSplash();
}

}  // namespace

Game::Game() : stack_{GameState{}} {}

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

void Game::ensureScreen() {
    if (screen_ && serial_ == builtSerial_) return;
    std::unique_ptr<Screen> fresh = buildScreen(top());
    screen_ = std::move(fresh);  // the old screen goes only once the new one exists
    builtSerial_ = serial_;
}

void Game::update(Ctx& ctx) {
    ensureScreen();
    screen_->update(ctx);
    Request req = shared().pending;
    if (req.kind == RequestKind::None) return;
    switch (req.kind) {
        case RequestKind::Push:
            stack_.push_back(req.state);
            break;
        case RequestKind::Pop:
            if (stack_.size() >= 2) stack_.pop_back();
            break;
        case RequestKind::Replace:
            stack_.back() = req.state;
            break;
        case RequestKind::ResetTo:
            stack_.clear();
            stack_.push_back(req.state);
            break;
        case RequestKind::None:
            break;
    }
    ++serial_;
    shared().pending.kind = RequestKind::None;
    screen_.reset();
}

void Game::closeScreen() {
    screen_.reset();
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
