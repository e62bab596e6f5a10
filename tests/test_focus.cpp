// The focus: where an arrow leads, and whole walks through the screens by keys alone and by a
// game controller plugged in on the way.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/levels.h"
#include "core/storage.h"
#include "i18n/i18n.h"
#include "platform/controller.h"
#include "screen_driver.h"
#include "screens/gallery.h"
#include "screens/level_select.h"
#include "screens/menu.h"
#include "screens/settings.h"
#include "test_support.h"
#include "theme/theme.h"
#include "ui/focus.h"
#include "ui/mirror.h"

using ui::FocusDir;
using ui::Rect;
using ui::ScreenKind;
using namespace testsupport;

TEST(FocusNeighbour, ArrowsLeadToTheNearestElementThatWayAndTiesGoByReadingOrder) {
    // A column of buttons: up and down only, nothing beyond either end or to the sides.
    const std::vector<Rect> column = {{100, 0, 200, 40}, {100, 60, 200, 40}, {100, 120, 200, 40}};
    EXPECT_EQ(ui::focusNeighbour(column, 0, FocusDir::Down, false), 1);
    EXPECT_EQ(ui::focusNeighbour(column, 2, FocusDir::Up, false), 1);
    EXPECT_EQ(ui::focusNeighbour(column, 0, FocusDir::Up, false), -1);
    EXPECT_EQ(ui::focusNeighbour(column, 1, FocusDir::Left, false), -1);
    EXPECT_EQ(ui::focusNeighbour(column, 1, FocusDir::Right, false), -1);
    EXPECT_EQ(ui::focusNeighbour(column, 7, FocusDir::Down, false), -1);

    // A wide button over a row of three cards, a card below the middle one, and one far to
    // the right in the wide button's line.
    const std::vector<Rect> grid = {
        {0, 0, 300, 40},                                           // 0: wide
        {0, 60, 90, 90},    {105, 60, 90, 90}, {210, 60, 90, 90},  // 1-3: a row
        {105, 170, 90, 90},                                        // 4: below the middle
        {900, 0, 60, 40},                                          // 5: far right, in line
    };
    EXPECT_EQ(ui::focusNeighbour(grid, 1, FocusDir::Right, false), 2);
    EXPECT_EQ(ui::focusNeighbour(grid, 3, FocusDir::Left, false), 2);
    EXPECT_EQ(ui::focusNeighbour(grid, 2, FocusDir::Down, false), 4);
    EXPECT_EQ(ui::focusNeighbour(grid, 4, FocusDir::Up, false), 2);
    // From a card at the row's end, up lands on the button above it, not on its neighbours.
    EXPECT_EQ(ui::focusNeighbour(grid, 3, FocusDir::Up, false), 0);
    // Down from the wide button: the middle card lies straight below its centre.
    EXPECT_EQ(ui::focusNeighbour(grid, 0, FocusDir::Down, false), 2);
    // In line far away beats near but off the line.
    EXPECT_EQ(ui::focusNeighbour(grid, 0, FocusDir::Right, false), 5);
    // Nothing below the lowest card, though cards lie diagonally above.
    EXPECT_EQ(ui::focusNeighbour(grid, 4, FocusDir::Down, false), -1);

    // Two equally near below: the reading start wins, the left one or, right to left, the right.
    const std::vector<Rect> pair = {{100, 0, 100, 40}, {0, 60, 100, 40}, {200, 60, 100, 40}};
    EXPECT_EQ(ui::focusNeighbour(pair, 0, FocusDir::Down, false), 1);
    EXPECT_EQ(ui::focusNeighbour(pair, 0, FocusDir::Down, true), 2);
    // A mirrored row reads from the right: the arrows stay where they point.
    const std::vector<Rect> mirrored = {{210, 0, 90, 90}, {105, 0, 90, 90}, {0, 0, 90, 90}};
    EXPECT_EQ(ui::focusNeighbour(mirrored, 0, FocusDir::Left, true), 1);
    EXPECT_EQ(ui::focusNeighbour(mirrored, 0, FocusDir::Right, true), -1);
}

namespace {

class FocusWalk : public ::testing::Test {
  protected:
    void SetUp() override {
        wipeDataDir();
        store::ensureDataDirs();
        i18n::setLanguage("en");
        screens::forgetLevelSelectPage();
        screens::forgetGalleryPage();
        store::setUnlockedLevel(15);  // levels 1 to 15 open: the level select opens on page 2
        store::SolveEntry e;
        e.id = store::newSolveId();
        e.level = 3;
        e.moves = 20;
        e.stars = 2;
        e.capacity = 4;
        e.finalTubes = mar::loadLevel(3).tubes;
        e.solvedAt = store::nowMs();
        store::recordSolve(e);
    }

    void openMenu() {
        ui::GameState menu;
        menu.kind = ScreenKind::Menu;
        d_.open(menu);
        d_.frame([](ui::Input& in) { in.mouseX = in.mouseY = 5; });  // hides any ring left
        d_.frame();
    }

    // A key pressed in one frame, then a frame to show what it led to.
    void key(int k, bool shift = false) {
        d_.frame([&](ui::Input& in) {
            in.keys.push_back(k);
            in.shift = shift;
        });
        d_.frame();
    }

    // Coral in a thin band just above the rectangle, where a focus ring runs.
    int ringAbove(const Rect& r) const {
        return countNear(d_.snapshot(), {r.x + 24, r.y - 4.5, r.w - 48, 2}, theme::kAccent, 40);
    }

    // Where the focus is, as registered in the latest frame; empty when nowhere.
    static Rect focused() {
        const ui::FocusState& f = ui::Game::instance()->focus();
        return f.index >= 0 && f.index < static_cast<int>(f.rects.size())
                   ? f.rects[static_cast<size_t>(f.index)]
                   : Rect{};
    }

    Rect firstMenuButton() {
        Rect r;
        d_.measure([&](ui::Ctx& c) {
            r = screens::menuButtonRects(c.w, c.h, screens::menuTitleSize(c.cr, c.w, c.h), 6)[0];
        });
        return r;
    }

    ScreenDriver d_{1280, 800};
};

}  // namespace

TEST_F(FocusWalk, KeysAloneReachEveryScreenChangeTheSettingsAndOpenCards) {
    openMenu();
    const Rect levels = firstMenuButton();
    EXPECT_EQ(ringAbove(levels), 0) << "no ring before a key";
    key(SDLK_DOWN);  // shows the ring on the first button and moves nowhere
    EXPECT_GT(ringAbove(levels), 20);
    d_.frame([](ui::Input& in) { in.mouseX = in.mouseY = 5; });  // the mouse hides it
    d_.frame([](ui::Input& in) { in.mouseX = in.mouseY = 5; });
    EXPECT_EQ(ringAbove(levels), 0);
    key(SDLK_TAB);  // back where it was, without moving
    EXPECT_GT(ringAbove(levels), 20);

    // The level select opens on the active level's page, focused on its card; Home goes to the
    // page's first card and Left from there to the previous page's last card.
    key(SDLK_RETURN);
    ASSERT_EQ(topKind(), ScreenKind::LevelSelect);
    key(SDLK_HOME);
    key(SDLK_LEFT);
    key(SDLK_SPACE);
    ASSERT_EQ(topKind(), ScreenKind::Playing);
    EXPECT_EQ(topRecord().level, 9);
    key(SDLK_ESCAPE);
    ASSERT_EQ(topKind(), ScreenKind::Menu);

    // Page Down from page 1 lands on the next page's first card.
    key(SDLK_RETURN);
    ASSERT_EQ(topKind(), ScreenKind::LevelSelect);
    key(SDLK_PAGEUP);
    key(SDLK_PAGEDOWN);
    key(SDLK_RETURN);
    EXPECT_EQ(topKind(), ScreenKind::Playing);
    EXPECT_EQ(topRecord().level, 10);
    key(SDLK_ESCAPE);

    // Settings, the fourth button: the music slider steps by 5 %, the full screen row toggles,
    // and leaving stores both.
    for (int i = 0; i < 3; ++i)
        key(SDLK_DOWN);
    key(SDLK_RETURN);
    ASSERT_EQ(topKind(), ScreenKind::Settings);
    const double music = ui::Game::settings().musicVolume;
    key(SDLK_DOWN);  // from the back button to the music slider
    key(SDLK_RIGHT);
    key(SDLK_RIGHT);
    EXPECT_EQ(topKind(), ScreenKind::Settings) << "the arrows stayed with the slider";
    key(SDLK_DOWN);
    key(SDLK_DOWN);  // the full screen row
    key(SDLK_RETURN);
    key(SDLK_ESCAPE);
    ASSERT_EQ(topKind(), ScreenKind::Menu);
    const store::Settings saved = store::loadSettings();
    EXPECT_NEAR(saved.musicVolume, music + 0.10, 1e-9);
    EXPECT_TRUE(saved.fullscreen);

    // The gallery opens focused on its first card, which starts the level.
    key(SDLK_DOWN);
    key(SDLK_DOWN);
    key(SDLK_RETURN);
    ASSERT_EQ(topKind(), ScreenKind::Gallery);
    key(SDLK_RETURN);
    EXPECT_EQ(topKind(), ScreenKind::Playing);
    EXPECT_EQ(topRecord().level, 3);
    key(SDLK_ESCAPE);

    // About: Shift+Tab from its back button wraps to the licences button; back by the button.
    for (int i = 0; i < 4; ++i)
        key(SDLK_DOWN);
    key(SDLK_RETURN);
    ASSERT_EQ(topKind(), ScreenKind::About);
    key(SDLK_TAB, true);
    key(SDLK_RETURN);
    ASSERT_EQ(topKind(), ScreenKind::Licenses);
    key(SDLK_ESCAPE);
    ASSERT_EQ(topKind(), ScreenKind::About);
    key(SDLK_RETURN);  // a fresh screen: the back button has the focus
    EXPECT_EQ(topKind(), ScreenKind::Menu);

    // Level 1 by the tube cursor: arrows walk the row, Enter lifts and drops. The solved
    // screen's first button leads on to level 2, and the temple is left by its button.
    ui::GameState one;
    one.kind = ScreenKind::Playing;
    one.seed = 5;
    d_.open(one);
    d_.frame([](ui::Input& in) { in.mouseX = in.mouseY = 5; });  // hides the ring
    key(SDLK_RIGHT);                                             // shows it on the first tube
    int at = 0;
    auto walkTo = [&](int tube) {
        for (; at < tube; ++at)
            key(SDLK_RIGHT);
        for (; at > tube; --at)
            key(SDLK_LEFT);
    };
    for (const mar::Move& m : mar::levelSolution(0)) {
        walkTo(m.from);
        key(SDLK_RETURN);
        walkTo(m.to);
        key(SDLK_RETURN);
        for (int f = 0; f < 14; ++f)
            d_.frame();  // the flight
    }
    ASSERT_EQ(store::listSolves().size(), 2u) << "the walk's solve joins the seeded one";
    for (int f = 0; f < 130 && topKind() != ScreenKind::Solved; ++f)
        d_.frame();
    ASSERT_EQ(topKind(), ScreenKind::Solved);
    d_.frame();  // the solved screen's first frame
    key(SDLK_RETURN);
    EXPECT_EQ(topKind(), ScreenKind::Playing);
    EXPECT_EQ(topRecord().level, 1);
    ui::GameState temple;
    temple.kind = ScreenKind::Ending;
    d_.open(temple);
    d_.frame();
    key(SDLK_RETURN);
    EXPECT_EQ(topKind(), ScreenKind::Menu);
}

namespace {

// A controller made by SDL's virtual joystick driver, pressed and tilted from the test.
class VirtualPad {
  public:
    VirtualPad() {
        const int index =
            SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                      SDL_CONTROLLER_BUTTON_MAX, 0);
        if (index >= 0) joy_ = SDL_JoystickOpen(index);
        if (joy_) id_ = SDL_JoystickInstanceID(joy_);
    }
    ~VirtualPad() {
        if (!joy_) return;
        SDL_JoystickClose(joy_);
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == id_) SDL_JoystickDetachVirtual(i);
    }
    bool ok() const { return joy_ != nullptr; }
    void set(SDL_GameControllerButton b, bool down) {
        SDL_JoystickSetVirtualButton(joy_, b, down ? 1 : 0);
    }
    void tilt(SDL_GameControllerAxis a, int value) { SDL_JoystickSetVirtualAxis(joy_, a, value); }

  private:
    SDL_Joystick* joy_ = nullptr;
    SDL_JoystickID id_ = -1;
};

class ControllerWalk : public FocusWalk {
  protected:
    void SetUp() override {
        FocusWalk::SetUp();
        // The offscreen window never has the keyboard focus, which SDL otherwise requires.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    }
    void TearDown() override { controller::closeAll(); }

    // A frame fed by the controller's events, as the game loop feeds it.
    void padFrame(double step = 0.05) {
        d_.frame(
            [&](ui::Input& in) {
                SDL_Event ev;
                while (SDL_PollEvent(&ev))
                    controller::handleEvent(ev, in, topKind() == ScreenKind::Playing, d_.t());
                controller::tick(in, d_.t());
            },
            step);
    }
    void press(VirtualPad& pad, SDL_GameControllerButton b) {
        pad.set(b, true);
        padFrame();
        pad.set(b, false);
        padFrame();
        padFrame();
    }
};

}  // namespace

TEST_F(ControllerWalk, APadPluggedInOnTheWayWalksTheScreensAndAStickHeldRepeats) {
    openMenu();
    auto first = std::make_unique<VirtualPad>();
    ASSERT_TRUE(first->ok()) << SDL_GetError();
    padFrame();
    ASSERT_EQ(controller::openCount(), 1) << "opened as a game controller when plugged in";

    press(*first, SDL_CONTROLLER_BUTTON_A);  // shows the ring; chooses nothing yet
    EXPECT_EQ(topKind(), ScreenKind::Menu);
    press(*first, SDL_CONTROLLER_BUTTON_A);
    ASSERT_EQ(topKind(), ScreenKind::LevelSelect);
    press(*first, SDL_CONTROLLER_BUTTON_DPAD_LEFT);  // from level 15 to 14
    press(*first, SDL_CONTROLLER_BUTTON_A);
    ASSERT_EQ(topKind(), ScreenKind::Playing);
    EXPECT_EQ(topRecord().level, 13);
    press(*first, SDL_CONTROLLER_BUTTON_START);  // the menu, as Escape on the board
    ASSERT_EQ(topKind(), ScreenKind::Menu);

    // Pulled out and another one plugged in: it drives from its first press on.
    first.reset();
    padFrame();
    EXPECT_EQ(controller::openCount(), 0);
    VirtualPad pad;
    ASSERT_TRUE(pad.ok());
    padFrame();
    ASSERT_EQ(controller::openCount(), 1);

    // A second controller plugged in meanwhile does not drive: its press moves nothing.
    VirtualPad other;
    ASSERT_TRUE(other.ok());
    padFrame();
    EXPECT_EQ(controller::openCount(), 2);

    // Settings: the stick held down walks three buttons on (once, then two repeats), then
    // held right it steps the music: at once, after 0.4 s and 0.12 s later.
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTY, 32000);
    padFrame(0.02);
    for (double t = 0; t < 0.4 + 0.12 + 0.05; t += 0.02)
        padFrame(0.02);
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTY, 0);
    padFrame();
    press(other, SDL_CONTROLLER_BUTTON_DPAD_UP);
    press(pad, SDL_CONTROLLER_BUTTON_A);
    ASSERT_EQ(topKind(), ScreenKind::Settings);
    press(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN);  // the music slider
    const double music = ui::Game::settings().musicVolume;
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTX, 20000);
    padFrame(0.02);
    for (double t = 0; t < 0.4 + 0.12 + 0.05; t += 0.02)
        padFrame(0.02);
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTX, 3000);  // within the dead zone: let go
    for (int i = 0; i < 20; ++i)
        padFrame();
    press(pad, SDL_CONTROLLER_BUTTON_B);
    ASSERT_EQ(topKind(), ScreenKind::Menu);
    EXPECT_NEAR(store::loadSettings().musicVolume, music + 0.15, 1e-9);

    // The gallery's first card, then About and back with B.
    press(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    press(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    press(pad, SDL_CONTROLLER_BUTTON_A);
    ASSERT_EQ(topKind(), ScreenKind::Gallery);
    press(pad, SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(topKind(), ScreenKind::Playing);
    EXPECT_EQ(topRecord().level, 3);
    press(pad, SDL_CONTROLLER_BUTTON_B);
    ASSERT_EQ(topKind(), ScreenKind::Menu);
    for (int i = 0; i < 4; ++i)
        press(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    press(pad, SDL_CONTROLLER_BUTTON_A);
    ASSERT_EQ(topKind(), ScreenKind::About);
    press(pad, SDL_CONTROLLER_BUTTON_B);
    EXPECT_EQ(topKind(), ScreenKind::Menu);
}

// The focused element of a scrolling list: with Shift+Tab from the first element to the last
// one, far below, or down a column of cards in a low window, it ends wholly in view.
TEST_F(FocusWalk, ScrollingListsBringTheFocusedElementIntoView) {
    auto inside = [](const Rect& r, const Rect& view) {
        return r.w > 0 && r.y >= view.y && r.bottom() <= view.bottom();
    };
    d_.resize(800, 480);
    openMenu();
    key(SDLK_DOWN);  // shows the ring

    d_.open(ScreenKind::Licenses);
    key(SDLK_TAB, true);  // the last library's link
    d_.frame();
    EXPECT_TRUE(inside(focused(), {0, 62, 800, 480 - 62 - 16})) << focused().y;

    d_.open(ScreenKind::Settings);
    const screens::SettingsLayout L = screens::settingsLayout(800, 480);
    for (int i = 0; i < 4; ++i)
        key(SDLK_DOWN);  // music, effects, full screen, the language box
    key(SDLK_RETURN);
    key(SDLK_TAB, true);  // from the language in use, System, back to the last one
    d_.frame();
    const Rect sheet = screens::languageSheetRect(800, 480);
    EXPECT_GT(focused().y, sheet.y + 100);
    EXPECT_TRUE(inside(focused(), sheet)) << focused().y;
    key(SDLK_ESCAPE);  // closes the sheet; the focus is back on the box
    EXPECT_DOUBLE_EQ(focused().y, L.languageBox.y);

    d_.open(ScreenKind::LevelSelect);
    key(SDLK_HOME);
    for (int i = 0; i < 4; ++i)
        key(SDLK_DOWN);  // the last row of two cards
    const Rect view = screens::cardGridViewport(800, 480);
    EXPECT_GT(focused().y, view.y);
    EXPECT_TRUE(inside(focused(), view)) << focused().y;
}

// A control drawn disabled never holds the focus. On a fresh board Tab and the arrows pass the
// Undo pill by; once a move is made it takes the focus, and when undoing empties the history the
// focus moves on to its nearest neighbour. On the solved board, where undo, hint and restart are
// all disabled, the back button is all that is left.
TEST_F(FocusWalk, DisabledControlsAreNeverFocused) {
    const double w = 1280;
    auto isBack = [&] { return focused().x == 16 && focused().w == 104; };
    auto isUndo = [&] { return focused().x == w - 16 - 104 && focused().w == 104; };
    auto isHint = [&] { return focused().x == w - 16 - 2 * 104 - 8 && focused().w == 104; };
    auto tap = [&](int tube) {
        key(SDLK_1 + tube);
        for (int f = 0; f < 14; ++f)
            d_.frame();  // the flight
    };
    ui::GameState one;
    one.kind = ScreenKind::Playing;
    one.seed = 5;
    d_.open(one);
    key(SDLK_TAB);  // shows the ring
    const int count = static_cast<int>(ui::Game::instance()->focus().rects.size());
    for (int i = 0; i < 2 * count && !isHint(); ++i) {
        EXPECT_FALSE(isUndo()) << "Tab reached the disabled undo";
        key(SDLK_TAB);
    }
    ASSERT_TRUE(isHint());
    key(SDLK_RIGHT);
    EXPECT_TRUE(isHint()) << "nothing to its right takes the focus";

    const std::vector<mar::Move> solution = mar::levelSolution(0);
    tap(solution[0].from);
    tap(solution[0].to);
    key(SDLK_RIGHT);
    ASSERT_TRUE(isUndo()) << "enabled by the move";
    key(SDLK_RETURN);  // undoes the only move
    EXPECT_TRUE(isHint()) << "the focus left the undo it disabled";
    EXPECT_TRUE(ui::Game::instance()->focus().visible);

    for (const mar::Move& m : solution) {
        tap(m.from);
        tap(m.to);
    }
    ASSERT_EQ(topKind(), ScreenKind::Playing) << "still on the solved board";
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(isBack()) << "after " << i << " Tabs";
        key(SDLK_TAB);
    }
}

// An arrow that leaves a page of cards turns it and lands on the neighbour in reading order:
// forward (Right, Left right to left, Down) on the next page's first card, back (Left, Right
// right to left, Up) on the previous page's last card, which on the short last page is not the
// tenth; the gallery passes over pages without cards, and at either end of the list the arrow
// stays put. Places are page * 10 + card.
TEST_F(FocusWalk, AnArrowPastAPagesEdgeTurnsItOntoTheNeighbourInReadingOrder) {
    auto place = [&](const screens::CardGrid& grid) {
        const harness::Image img = d_.snapshot();
        const ui::Mirror m(16, d_.w() - 16.0);
        int page = -1;
        for (int i = 0; i < 11; ++i) {
            const Rect chip = m.rect(chipAt(d_.w(), i));
            if (near(img.at(static_cast<int>(chip.cx()), 62), theme::kAccent, 12)) page = i;
        }
        const ui::FocusState& f = ui::Game::instance()->focus();
        if (page < 0 || f.index < 0 || f.index >= static_cast<int>(f.rects.size())) return -1;
        const Rect& r = f.rects[static_cast<size_t>(f.index)];
        for (int k = 0; k < 10; ++k) {
            const Rect card = grid.card(k, 0);
            if (std::fabs(card.x - r.x) < 0.5 && std::fabs(card.y - r.y) < 0.5)
                return page * 10 + k;
        }
        return -1;
    };
    auto openShowingRing = [&](ScreenKind kind) {
        d_.open(kind);
        d_.frame([](ui::Input& in) { in.mouseX = in.mouseY = 5; });  // hides any ring left
        d_.frame();
        key(SDLK_DOWN);  // shows the ring where the focus first lands
    };
    struct Step {
        int key;
        int expected;
    };
    auto walk = [&](const screens::CardGrid& grid, int start, const std::vector<Step>& steps) {
        ASSERT_EQ(place(grid), start) << "the walk from " << start;
        for (const Step& s : steps) {
            key(s.key);
            EXPECT_EQ(place(grid), s.expected) << "key " << s.key << " towards " << s.expected;
        }
    };

    // The level select opens on the current level, the catalogue's last; its page holds five.
    store::setUnlockedLevel(200);
    const screens::CardGrid levels = screens::levelSelectGrid(d_.w(), d_.h(), 10);
    ASSERT_EQ(levels.cols, 5);
    openShowingRing(ScreenKind::LevelSelect);
    walk(levels, 104,
         {{SDLK_RIGHT, 104},
          {SDLK_DOWN, 104},  // the list's end
          {SDLK_HOME, 100},
          {SDLK_LEFT, 99},  // the full page's tenth card
          {SDLK_RIGHT, 100},
          {SDLK_UP, 99},
          {SDLK_DOWN, 100},
          {SDLK_PAGEUP, 90},
          {SDLK_RIGHT, 91},
          {SDLK_DOWN, 96},
          {SDLK_RIGHT, 97},
          {SDLK_DOWN, 100},
          {SDLK_UP, 99},
          {SDLK_UP, 94},
          {SDLK_RIGHT, 95},
          {SDLK_LEFT, 94},
          {SDLK_END, 99},
          {SDLK_PAGEDOWN, 100}});
    for (int i = 0; i < 10; ++i)
        key(SDLK_PAGEUP);
    walk(levels, 0, {{SDLK_LEFT, 0}, {SDLK_UP, 0}, {SDLK_RIGHT, 1}, {SDLK_UP, 1}});

    // Right to left the first card is the rightmost and Left leads on.
    i18n::setLanguage("ar");
    openShowingRing(ScreenKind::LevelSelect);
    walk(levels, 0,
         {{SDLK_RIGHT, 0},
          {SDLK_LEFT, 1},
          {SDLK_END, 9},
          {SDLK_LEFT, 10},
          {SDLK_RIGHT, 9},
          {SDLK_DOWN, 10},
          {SDLK_UP, 9}});
    i18n::setLanguage("en");

    // The gallery: level 4 alone on page 0, ten levels on page 1 in rows of three, whose
    // tenth stands alone below, none on page 2 and two on page 3.
    for (int level : {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 30, 31}) {
        store::SolveEntry e;
        e.id = store::newSolveId();
        e.level = level;
        e.moves = 30;
        e.stars = 1;
        e.capacity = 4;
        e.finalTubes = mar::loadLevel(level).tubes;
        e.solvedAt = 1700000000000LL + level;  // older than level 4's: the gallery opens on page 0
        store::recordSolve(e);
    }
    const screens::CardGrid solves = screens::galleryGrid(d_.w(), d_.h(), 10);
    ASSERT_EQ(solves.cols, 3);
    openShowingRing(ScreenKind::Gallery);
    walk(solves, 0, {{SDLK_LEFT, 0},   {SDLK_UP, 0},        {SDLK_RIGHT, 10}, {SDLK_LEFT, 0},
                     {SDLK_DOWN, 10},  {SDLK_END, 19},      {SDLK_RIGHT, 30}, {SDLK_LEFT, 19},
                     {SDLK_DOWN, 30},  {SDLK_UP, 19},       {SDLK_UP, 16},    {SDLK_DOWN, 19},
                     {SDLK_PAGEUP, 0}, {SDLK_PAGEDOWN, 10}, {SDLK_DOWN, 13},  {SDLK_DOWN, 16},
                     {SDLK_RIGHT, 17}, {SDLK_DOWN, 19},     {SDLK_DOWN, 30},  {SDLK_RIGHT, 31},
                     {SDLK_RIGHT, 31}, {SDLK_DOWN, 31}});
}

// Writes the focus ring on the menu and the level select, in English and Arabic, when
// VANTREL_SHOTS names a directory.
TEST_F(FocusWalk, Screenshots) {
    const char* dir = std::getenv("VANTREL_SHOTS");
    if (!dir) GTEST_SKIP() << "set VANTREL_SHOTS to write the pictures";
    for (const char* lang : {"en", "ar"}) {
        i18n::setLanguage(lang);
        openMenu();
        key(SDLK_DOWN);  // shows the ring
        key(SDLK_DOWN);
        const std::string base = std::string(dir) + "/focus_" + lang;
        EXPECT_TRUE(d_.snapshot().writePng(base + "_menu.png"));
        key(SDLK_UP);
        key(SDLK_RETURN);
        key(std::string(lang) == "ar" ? SDLK_RIGHT : SDLK_LEFT);  // towards the row's start
        EXPECT_TRUE(d_.snapshot().writePng(base + "_levels.png"));
        key(SDLK_ESCAPE);
        d_.open(ScreenKind::Settings);
        key(SDLK_DOWN);  // the music slider
        EXPECT_TRUE(d_.snapshot().writePng(base + "_settings.png"));
        // The open language list, focused on the row below System, where the scrollbar runs.
        for (int i = 0; i < 3; ++i)
            key(SDLK_DOWN);
        key(SDLK_RETURN);
        key(SDLK_DOWN);
        EXPECT_TRUE(d_.snapshot().writePng(base + "_language_list.png"));
    }
    // The full screen row and the language box focused under its heading, in Japanese, in a
    // large and the smallest window.
    i18n::setLanguage("ja");
    for (auto [w, h] : {std::pair{1280, 720}, std::pair{800, 480}}) {
        d_.resize(w, h);
        openMenu();
        key(SDLK_DOWN);
        d_.open(ScreenKind::Settings);
        const std::string size = std::to_string(w) + "x" + std::to_string(h);
        for (int i = 0; i < 3; ++i)
            key(SDLK_DOWN);
        EXPECT_TRUE(
            d_.snapshot().writePng(std::string(dir) + "/focus_ja_fullscreen_" + size + ".png"));
        key(SDLK_DOWN);
        EXPECT_TRUE(
            d_.snapshot().writePng(std::string(dir) + "/focus_ja_language_box_" + size + ".png"));
    }
    // A fresh board: Shift+Tab from the first tube walks back past the disabled undo to hint.
    i18n::setLanguage("en");
    ui::GameState one;
    one.kind = ScreenKind::Playing;
    d_.open(one);
    key(SDLK_TAB, true);
    key(SDLK_TAB, true);
    EXPECT_TRUE(d_.snapshot().writePng(std::string(dir) + "/focus_en_board_header.png"));
}
