// Game controllers: hot plug, the driving controller, buttons and the stick as keys.
#include "platform/controller.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace controller {

namespace {

struct Pad {
    SDL_GameController* handle = nullptr;
    SDL_JoystickID id = -1;
};

struct State {
    std::vector<Pad> pads;
    SDL_JoystickID driver = -1;  // the controller in use; -1 until one is used
    int stickX = 0, stickY = 0;
    int heldKey = 0;  // the direction held by the D-pad or the stick; 0: none
    bool heldByStick = false;
    double nextRepeat = 0;
};

State& state() {
    static State s;
    return s;
}

void press(ui::Input& in, int key) {
    in.keys.push_back(key);
    in.pad = true;
}

void hold(ui::Input& in, int key, bool byStick, double now) {
    State& s = state();
    press(in, key);
    s.heldKey = key;
    s.heldByStick = byStick;
    s.nextRepeat = now + kFirstRepeat;
}

// The key a button stands for; 0 for the buttons the game does not use.
int keyOf(int button, bool onBoard) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_A:
            return SDLK_RETURN;
        case SDL_CONTROLLER_BUTTON_B:
            return SDLK_ESCAPE;
        case SDL_CONTROLLER_BUTTON_X:
            return SDLK_u;
        case SDL_CONTROLLER_BUTTON_Y:
            return SDLK_r;
        case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
            return SDLK_h;
        case SDL_CONTROLLER_BUTTON_START:
            return onBoard ? SDLK_ESCAPE : 0;
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return SDLK_UP;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return SDLK_DOWN;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return SDLK_LEFT;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return SDLK_RIGHT;
        default:
            return 0;
    }
}

bool isDirection(int key) {
    return key == SDLK_UP || key == SDLK_DOWN || key == SDLK_LEFT || key == SDLK_RIGHT;
}

// The direction the stick points in, by its stronger axis beyond the dead zone; 0 at rest.
int stickKey(int x, int y) {
    if (std::max(std::abs(x), std::abs(y)) < kDeadZone) return 0;
    if (std::abs(x) >= std::abs(y)) return x > 0 ? SDLK_RIGHT : SDLK_LEFT;
    return y > 0 ? SDLK_DOWN : SDLK_UP;
}

void added(int deviceIndex) {
    if (!SDL_IsGameController(deviceIndex)) return;
    SDL_GameController* handle = SDL_GameControllerOpen(deviceIndex);
    if (!handle) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(handle));
    State& s = state();
    for (const Pad& p : s.pads)
        if (p.id == id) {
            SDL_GameControllerClose(handle);  // already open: SDL counts the second opening
            return;
        }
    s.pads.push_back({handle, id});
}

void removed(SDL_JoystickID id) {
    State& s = state();
    auto it = std::find_if(s.pads.begin(), s.pads.end(), [&](const Pad& p) { return p.id == id; });
    if (it == s.pads.end()) return;
    SDL_GameControllerClose(it->handle);
    s.pads.erase(it);
    if (s.driver == id) {
        // The next controller used takes over, from rest.
        s.driver = -1;
        s.heldKey = 0;
        s.stickX = s.stickY = 0;
    }
}

// Whether the event's controller may drive the game; the first one used becomes the driver.
bool drives(SDL_JoystickID id) {
    State& s = state();
    if (s.driver < 0) s.driver = id;
    return s.driver == id;
}

void button(const SDL_ControllerButtonEvent& ev, ui::Input& in, bool onBoard, double now) {
    State& s = state();
    const int key = keyOf(ev.button, onBoard);
    if (ev.type == SDL_CONTROLLERBUTTONUP) {
        if (key != 0 && key == s.heldKey && !s.heldByStick) s.heldKey = 0;
        return;
    }
    if (!drives(ev.which)) return;
    in.pad = true;
    if (key == 0) return;
    if (isDirection(key))
        hold(in, key, false, now);
    else
        press(in, key);
}

void axis(const SDL_ControllerAxisEvent& ev, ui::Input& in, double now) {
    State& s = state();
    if (ev.axis != SDL_CONTROLLER_AXIS_LEFTX && ev.axis != SDL_CONTROLLER_AXIS_LEFTY) return;
    const int before = stickKey(s.stickX, s.stickY);
    const int x = ev.axis == SDL_CONTROLLER_AXIS_LEFTX ? ev.value : s.stickX;
    const int y = ev.axis == SDL_CONTROLLER_AXIS_LEFTY ? ev.value : s.stickY;
    const int after = stickKey(x, y);
    // A stick at rest does not make its controller the driver.
    if (s.driver < 0 && after == 0) return;
    if (!drives(ev.which)) return;
    s.stickX = x;
    s.stickY = y;
    if (after == before) return;
    if (after == 0) {
        if (s.heldByStick) s.heldKey = 0;
        return;
    }
    hold(in, after, true, now);
}

}  // namespace

bool handleEvent(const SDL_Event& ev, ui::Input& in, bool onBoard, double now) {
    switch (ev.type) {
        case SDL_CONTROLLERDEVICEADDED:
            added(ev.cdevice.which);
            return true;
        case SDL_CONTROLLERDEVICEREMOVED:
            removed(ev.cdevice.which);
            return true;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            button(ev.cbutton, in, onBoard, now);
            return true;
        case SDL_CONTROLLERAXISMOTION:
            axis(ev.caxis, in, now);
            return true;
        default:
            return false;
    }
}

double nextRepeatAt() {
    const State& s = state();
    return s.heldKey == 0 ? -1 : s.nextRepeat;
}

void tick(ui::Input& in, double now) {
    State& s = state();
    if (s.heldKey == 0) return;
    // A long frame gives one repeat, not a burst.
    if (now < s.nextRepeat) return;
    press(in, s.heldKey);
    s.nextRepeat += kRepeat;
    if (s.nextRepeat <= now) s.nextRepeat = now + kRepeat;
}

int openCount() {
    return static_cast<int>(state().pads.size());
}

void closeAll() {
    State& s = state();
    for (const Pad& p : s.pads)
        SDL_GameControllerClose(p.handle);
    s = State{};
}

}  // namespace controller
