// Types every screen shares, and the screen stack that owns the one live screen.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/storage.h"

namespace ui {

struct Rect {
    double x = 0, y = 0, w = 0, h = 0;

    bool contains(double px, double py) const {
        return x <= px && px < x + w && y <= py && py < y + h;
    }
    double right() const { return x + w; }
    double bottom() const { return y + h; }
    double cx() const { return x + w / 2; }
    double cy() const { return y + h / 2; }
    Rect inset(double d) const { return {x + d, y + d, w - 2 * d, h - 2 * d}; }
};

// One frame's input, gathered by the main loop.
struct Input {
    double mouseX = 0, mouseY = 0;
    bool mouseDown = false;
    bool pressed = false;
    bool released = false;
    bool rightPressed = false;
    double wheel = 0;
    std::vector<int> keys;  // SDL keycodes, in arrival order
    std::string text;       // typed text (UTF-8), as the keyboard layout makes it
    bool ctrl = false, shift = false;

    bool pad = false;      // a controller button was pressed or its stick tilted
    bool toFocus = false;  // keys went to the focus and were taken out of keys
    bool hasKey(int k) const;
    // Anything that counts as the player acting; movement and releases do not.
    bool any() const {
        return pressed || rightPressed || !keys.empty() || !text.empty() || wheel != 0 || pad ||
               toFocus;
    }
};

struct GameState;
class Game;
struct FocusState;

// What a focusable element learns when it registers (see ui/focus.h).
struct FocusHit {
    bool focused = false;    // the focused element, whether its ring shows or not
    bool ring = false;       // focused, and the focus is showing: draw the ring
    bool activated = false;  // Enter, Space or controller A chose it this frame
};

// The per-frame context handed to the live screen: the frame, the input, and all a screen may
// reach beyond itself (its own navigation record, navigation requests and the settings).
struct Ctx {
    cairo_t* cr = nullptr;  // already scaled to logical units
    double w = 0, h = 0;
    double t = 0;   // seconds since start-up
    double dt = 0;  // seconds since the previous frame, at most 0.1
    Input in;
    bool quitRequested = false;
    bool clickUsed = false;
    // The time by which a screen whose picture stands still still needs a frame (a timer of its
    // own running out); below 0 when it needs none. The entry point sleeps until then at most.
    double wakeAt = -1;
    void wakeBy(double when) {
        if (wakeAt < 0 || when < wakeAt) wakeAt = when;
    }

    // The first element asked takes the frame's click; later ones see nothing.
    bool takeClick(const Rect& r);
    bool takeRightClick(const Rect& r);
    bool hover(const Rect& r) const { return r.contains(in.mouseX, in.mouseY); }
    bool landscape() const { return w > h; }

    // Set by the screen stack for the screen it runs. A screen that runs another one inside it
    // (the demo its boards) hands that one its own record.
    const GameState* self = nullptr;
    Game* game = nullptr;

    // The record the screen was built from; a default record when none was handed over.
    const GameState& record() const;
    // Navigation requests, carried out once the screen's frame is over.
    void push(const GameState& s) const;
    void pop() const;
    void replace(const GameState& s) const;
    void resetTo(const GameState& s) const;
    store::Settings& settings() const;
    void persistSettings() const;

    // The stack's focus record (ui/focus.h); null for a screen drawn outside the stack, where
    // nothing is focusable and these calls do nothing.
    FocusState* focus = nullptr;
    // Registers a focusable element drawn at r; preferred marks where the focus first lands.
    FocusHit focusable(const Rect& r, bool preferred = false);
    // Registers an element drawn disabled: it keeps its place in the order, so the others keep
    // theirs while it comes and goes, but the focus never rests on it.
    FocusHit unfocusable(const Rect& r);
    // How many elements registered so far this frame: the next one's place in the order.
    int focusCount() const;
    int focusIndex() const;
    bool focusShown() const;
    // Focuses the element registered at index (this frame or the next) and shows the ring.
    void setFocus(int index);
    // A modal layer starts: what registered before it is out of the focus's reach.
    void focusLayer();
    // Takes key k out of this frame's keys, so nothing else acts on it; whether it was there.
    bool claimKey(int k);
};

enum class ScreenKind {
    Splash = 0,
    Menu = 1,
    LevelSelect = 2,
    Playing = 3,
    Solved = 4,
    Ending = 5,
    Gallery = 6,
    Settings = 7,
    About = 8,
    Licenses = 9,
    Attract = 10,
    Daily = 11,
    Endless = 12,
    EnterCode = 13,
};

// A navigation record: enough to build its screen afresh.
struct GameState {
    ScreenKind kind = ScreenKind::Splash;
    int level = 0;
    uint32_t seed = 0;
    int moves = 0;
    int64_t elapsedMs = 0;
    int forcePerfect = -1;
    uint32_t runId = 0;
    int hints = 0;    // hints shown during the solve the solved screen reports
    int optimum = 0;  // the generated puzzle's proven optimum the solved screen reports
    // A generated puzzle instead of a catalogue level: its code, and the date of a daily one.
    std::string code;
    std::string date;
};

// ---- Window geometry (pure, so the rules can be tested without a display) ----

struct IntRect {
    int x = 0, y = 0, w = 0, h = 0;
};

struct WindowPlacement {
    int x = 0, y = 0, w = 0, h = 0;
    bool centred = true;  // no stored position: let the system centre the window
};

// Fits the stored window into the usable display bounds (w or h <= 0: bounds unknown).
WindowPlacement placeWindow(const store::Settings& s, const IntRect& bounds);

enum class WindowChange { Moved, Resized, Maximized, Restored };

// Notes a window change in the settings; `special` is true while the window is full screen,
// maximised or minimised, whose geometry must not replace the remembered windowed one.
// Returns whether anything was noted.
bool noteWindowChange(store::Settings& s, WindowChange change, int a, int b, bool special);

class Screen {
  public:
    virtual ~Screen() = default;
    virtual void update(Ctx& ctx) = 0;
};

// Builds the screen of a navigation record. The entry point hands one over at start-up, so this
// layer knows no screen.
using ScreenFactory = std::unique_ptr<Screen> (*)(const GameState&);

class Game {
  public:
    static Game* instance();

    // Requests are only noted; the last one of a frame is carried out after the screen's update.
    void push(const GameState& s);
    void pop();
    void replace(const GameState& s);
    void resetTo(const GameState& s);

    void setScreenFactory(ScreenFactory make) { make_ = make; }

    void update(Ctx& ctx);
    // Ends the screen on show and empties the stack now, while the modules a screen uses on
    // leaving (the settings, the store, the sound) still run. The entry point calls it once the
    // loop is over, so nothing of a screen is left to run at static destruction.
    void shutdown();
    // The one settings record, loaded on first use; it outlives the stack and its screens.
    static store::Settings& settings();
    static void persistSettings();

    // The top record; after shutdown, when the stack is empty, a default record.
    const GameState& top() const;
    int depth() const { return static_cast<int>(stack_.size()); }
    // The focus record: where the focus is and what registered in the latest frame.
    const FocusState& focus() const { return *focus_; }

    ~Game();

  private:
    Game();
    void carryOut();
    void ensureScreen();

    std::vector<GameState> stack_;
    std::unique_ptr<Screen> screen_;
    ScreenFactory make_ = nullptr;
    int builtSerial_ = -1;
    int serial_ = 0;
    std::unique_ptr<FocusState> focus_;  // reset with every screen built
};

}  // namespace ui
