// The settings screen through the real game loop: scripted pointer and keys on an offscreen
// window, with the stored settings file checked after each change.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/levels.h"
#include "core/storage.h"
#include "harness.h"
#include "i18n/i18n.h"
#include "screen_driver.h"
#include "screens/settings.h"
#include "test_support.h"
#include "theme/theme.h"
#include "ui/focus.h"
#include "ui/motion.h"
#include "ui/widgets.h"

using harness::Canvas;
using harness::Options;
using screens::languageSheetRect;
using screens::SettingsLayout;
using screens::settingsLayout;
using ui::ScreenKind;
using namespace testsupport;

namespace {

constexpr double kDt = 1.0 / 60;
constexpr int kEscape = 27;

struct Pointer {
    double x = -1, y = -1;
    bool pressed = false, down = false;
    double wheel = 0;
    int key = 0;
};

class SettingsScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        wipeDataDir();
        store::ensureDataDirs();
        ui::Game::instance()->settings() = store::Settings{};
        i18n::setLanguage("en");
    }
    void TearDown() override {
        canvas_.reset();
        ui::Game::instance()->settings() = store::Settings{};
        i18n::setLanguage("en");
    }

    // The settings screen above a menu, so that leaving it has somewhere to go.
    void open(int w = 1280, int h = 720) {
        w_ = w;
        h_ = h;
        canvas_.reset();  // the texture cache serves one canvas at a time
        Options o;
        o.w = w;
        o.h = h;
        canvas_ = std::make_unique<Canvas>(o);
        ASSERT_TRUE(canvas_->ok());
        ui::GameState menu;
        menu.kind = ScreenKind::Menu;
        ui::Game::instance()->resetTo(menu);
        idle();
        ui::GameState s;
        s.kind = ScreenKind::Settings;
        ui::Game::instance()->push(s);
        idle();
        idle();
        ASSERT_EQ(top(), ScreenKind::Settings);
    }
    void frame(const Pointer& p) {
        t_ += kDt;
        canvas_->frame(t_, [&](ui::Ctx& c) {
            c.in.mouseX = p.x;
            c.in.mouseY = p.y;
            c.in.pressed = p.pressed;
            c.in.mouseDown = p.down;
            c.in.wheel = p.wheel;
            if (p.key) c.in.keys.push_back(p.key);
            ui::Game::instance()->update(c);
        });
    }
    void idle() { frame(Pointer{}); }
    // A press and its release one frame later.
    void click(double x, double y) {
        frame(Pointer{x, y, true, true});
        frame(Pointer{x, y, false, false});
    }
    void key(int k) {
        Pointer p;
        p.key = k;
        frame(p);
    }
    // Where on a slider's track the pointer must be to show value v.
    double sliderX(const ui::Rect& r, double v) const { return r.x + 11 + v * (r.w - 22); }

    SettingsLayout layout() const { return settingsLayout(w_, h_); }
    store::Settings& live() { return ui::Game::instance()->settings(); }
    static ScreenKind top() { return ui::Game::instance()->top().kind; }

    // Scrolls the open sheet so that language row i (0 = System) is visible and clicks it.
    void pickRow(size_t i) {
        const ui::Rect sheet = languageSheetRect(w_, h_);
        const double contentH = (i18n::languages().size() + 1) * 44.0;
        Pointer p;
        p.x = sheet.cx();
        p.y = sheet.cy();
        p.wheel = 1000;  // to the top
        frame(p);
        double offset = 0;
        if ((i + 1) * 44 > sheet.h) {
            p.wheel = -1000;  // to the end
            frame(p);
            offset = contentH - sheet.h;
        }
        click(sheet.cx(), sheet.y + i * 44 - offset + 22);
    }
    static size_t rowOf(const std::string& code) {
        const auto& langs = i18n::languages();
        for (size_t i = 0; i < langs.size(); ++i)
            if (langs[i].code == code) return i + 1;
        ADD_FAILURE() << "no language " << code;
        return 0;
    }
    bool stored() const { return fileExists(dataDir() + "/settings.json"); }

    std::unique_ptr<Canvas> canvas_;
    int w_ = 1280, h_ = 720;
    double t_ = 50;
};

// Everything on the progress side that a reset deletes.
void makeProgress() {
    store::setUnlockedLevel(7);
    store::recordBest(2, {3, 12, 40000});
    store::SolveEntry e;
    e.id = store::newSolveId();
    e.level = 2;
    e.moves = 12;
    e.finalTubes = {{0, 0}, {}};
    e.capacity = 2;
    e.stars = 3;
    store::recordSolve(e);
    store::SavedGame g;
    g.valid = true;
    g.level = 3;
    g.state = mar::loadLevel(3);
    store::saveGame(g);
}

}  // namespace

TEST(SettingsText, PercentRoundsToTheNearestWholeNumber) {
    EXPECT_EQ(screens::volumePercent(0.996), "100 %");
    EXPECT_EQ(screens::volumePercent(0.5), "50 %");
    EXPECT_EQ(screens::volumePercent(0.004), "0 %");
    EXPECT_EQ(screens::volumePercent(0), "0 %");
    EXPECT_EQ(screens::volumePercent(1), "100 %");
}

TEST(SettingsLayoutRules, ControlsNeverOverlapFromTheSmallestWindowUp) {
    for (double w : {640.0, 800.0, 1280.0, 1920.0}) {
        for (double h : {480.0, 500.0, 515.0, 516.0, 600.0, 720.0, 1200.0}) {
            const SettingsLayout L = settingsLayout(w, h);
            SCOPED_TRACE("window " + std::to_string(w) + " x " + std::to_string(h));
            // Each block starts below the previous one (a slider's grab reaches 6 beyond it).
            EXPECT_LE(L.musicSlider.bottom() + 6, L.sfxY);
            EXPECT_LE(L.sfxSlider.bottom() + 6, L.fullscreenRow.y);
            EXPECT_LE(L.fullscreenRow.bottom(), L.languageY);
            EXPECT_LE(L.languageBox.bottom() + 8, L.reset.y);
            EXPECT_LE(L.reset.bottom() + 12, L.panel.bottom());
            EXPECT_LE(L.back.right() + 8, L.headline.x);
            EXPECT_LE(L.panel.right(), w);
        }
    }
    // From 516 units up the blocks keep their fixed heights.
    const SettingsLayout L = settingsLayout(1280, 720);
    EXPECT_EQ(L.musicSlider.y, 124);
    EXPECT_EQ(L.sfxSlider.y, 218);
    EXPECT_EQ(L.fullscreenRow.y, 272);
    EXPECT_EQ(L.languageBox.y, 344);
    EXPECT_EQ(L.reset.y, 404);
    EXPECT_EQ(settingsLayout(800, 516).reset.y, 404);
}

TEST_F(SettingsScreen, VolumeSlidersSetTheVolumesAndTheSoundSwitch) {
    open();
    const SettingsLayout L = layout();
    const double y = L.musicSlider.cy();

    // Music down to nothing: effects still play, so sound stays on.
    frame(Pointer{sliderX(L.musicSlider, 0.25), y, true, true});
    for (double v = 0.25; v > -0.1; v -= 0.05)
        frame(Pointer{sliderX(L.musicSlider, v), y, false, true});
    frame(Pointer{sliderX(L.musicSlider, 0), y, false, false});
    EXPECT_EQ(live().musicVolume, 0);
    EXPECT_TRUE(live().soundOn);
    EXPECT_EQ(store::loadSettings().musicVolume, 0);

    // Effects to nothing as well: sound is off, on disk too.
    click(sliderX(L.sfxSlider, 0), L.sfxSlider.cy());
    EXPECT_EQ(live().sfxVolume, 0);
    EXPECT_FALSE(live().soundOn);
    EXPECT_FALSE(store::loadSettings().soundOn);

    // Either volume raised again switches sound back on.
    click(sliderX(L.sfxSlider, 0.6), L.sfxSlider.cy());
    EXPECT_NEAR(live().sfxVolume, 0.6, 0.003);
    EXPECT_TRUE(live().soundOn);
    click(sliderX(L.sfxSlider, 0), L.sfxSlider.cy());
    EXPECT_FALSE(live().soundOn);
    click(sliderX(L.musicSlider, 0.5), y);
    const store::Settings disk = store::loadSettings();
    EXPECT_NEAR(disk.musicVolume, 0.5, 0.003);
    EXPECT_EQ(disk.sfxVolume, 0);
    EXPECT_TRUE(disk.soundOn);
    EXPECT_EQ(top(), ScreenKind::Settings);
}

TEST_F(SettingsScreen, ALongDragStoresNowAndThenAndTheFinalValueOnRelease) {
    live().musicVolume = 0.5;
    open();
    const SettingsLayout L = layout();
    const double y = L.musicSlider.cy();
    frame(Pointer{sliderX(L.musicSlider, 0.5), y, true, true});
    // The first few frames of the drag follow the pointer without touching the disk.
    for (int i = 1; i <= 10; ++i)
        frame(Pointer{sliderX(L.musicSlider, 0.5 + 0.01 * i), y, false, true});
    EXPECT_NEAR(live().musicVolume, 0.6, 0.003);
    EXPECT_FALSE(stored());
    // Held for longer, the value in between reaches the disk.
    for (int i = 11; i <= 40; ++i)
        frame(Pointer{sliderX(L.musicSlider, 0.5 + 0.01 * i), y, false, true});
    ASSERT_TRUE(stored());
    const double between = store::loadSettings().musicVolume;
    EXPECT_GT(between, 0.6);
    EXPECT_LT(between, 0.9);
    // Letting go stores the final value at once.
    frame(Pointer{sliderX(L.musicSlider, 0.9), y, false, false});
    EXPECT_NEAR(store::loadSettings().musicVolume, 0.9, 0.003);
}

TEST_F(SettingsScreen, ChangesOfAThousandthOrLessWriteNothing) {
    live().musicVolume = 0.5;
    live().sfxVolume = 0.5;
    open();
    const SettingsLayout L = layout();
    click(sliderX(L.musicSlider, 0.5008), L.musicSlider.cy());
    click(sliderX(L.sfxSlider, 0.4992), L.sfxSlider.cy());
    EXPECT_EQ(live().musicVolume, 0.5);
    EXPECT_EQ(live().sfxVolume, 0.5);
    EXPECT_FALSE(stored());
    click(sliderX(L.sfxSlider, 0.503), L.sfxSlider.cy());
    EXPECT_TRUE(stored());
    EXPECT_NEAR(store::loadSettings().sfxVolume, 0.503, 0.001);
}

TEST_F(SettingsScreen, TheFullscreenRowTogglesAnywhereOnIt) {
    open(800, 480);
    const SettingsLayout L = layout();
    click(L.fullscreenRow.x + 10, L.fullscreenRow.cy());
    EXPECT_TRUE(live().fullscreen);
    EXPECT_TRUE(store::loadSettings().fullscreen);
    click(L.fullscreenSwitch.cx(), L.fullscreenSwitch.cy());
    EXPECT_FALSE(live().fullscreen);
    EXPECT_FALSE(store::loadSettings().fullscreen);
}

TEST_F(SettingsScreen, TheReduceMotionSwitchShowsWhatIsInEffectAndStoresThePlayersChoice) {
    // Whether the switch is drawn on: its track is coral where the knob is not.
    auto shownOn = [&](bool rtl) {
        const ui::Rect sw = layout().motionSwitch;
        const double x = rtl ? (layout().x0 + layout().x0 + layout().cw) - (sw.x + 6) : sw.x + 6;
        return near(canvas_->snapshot().at(static_cast<int>(x), static_cast<int>(sw.cy())),
                    theme::kAccent, 24);
    };
    // Nothing chosen: the desktop's wish shows, and the first click turns it the other way.
    ui::setDesktopReducesMotion(true);
    open();
    ASSERT_FALSE(live().reduceMotion.has_value());
    EXPECT_TRUE(shownOn(false));
    click(layout().motionRow.x + 10, layout().motionRow.cy());
    EXPECT_EQ(live().reduceMotion, std::optional<bool>(false));
    EXPECT_EQ(store::loadSettings().reduceMotion, std::optional<bool>(false));
    EXPECT_FALSE(shownOn(false));
    ui::setDesktopReducesMotion(false);

    // By keys in the lowest window: the focus walks down to the row, scrolled into view.
    open(800, 480);
    int tabs = 0;
    const ui::FocusState& f = ui::Game::instance()->focus();
    while (f.index != static_cast<int>(f.rects.size()) - 1 && tabs++ < 20)
        key(SDLK_TAB);
    ASSERT_LT(tabs, 20);
    idle();  // the frame that scrolls, and the one drawn scrolled
    idle();
    const ui::Rect row = f.rects[f.index], panel = layout().panel;
    EXPECT_GE(row.y, panel.y);
    EXPECT_LE(row.bottom(), panel.bottom()) << "the focused row is scrolled into the panel";
    key(SDLK_RETURN);
    idle();
    EXPECT_EQ(live().reduceMotion, std::optional<bool>(true));
    EXPECT_TRUE(store::loadSettings().reduceMotion.value_or(false));

    // Right to left the switch stands at the left end of its row.
    live().language = "ar";
    i18n::setLanguage("ar");
    open();
    EXPECT_TRUE(shownOn(true));
    click(layout().motionRow.right() - 10, layout().motionRow.cy());
    EXPECT_FALSE(shownOn(true));
    EXPECT_EQ(live().reduceMotion, std::optional<bool>(false));
    ui::setMotionReduced(false);
}

TEST_F(SettingsScreen, PickingALanguageSwitchesEveryTextAndStoresIt) {
    open();
    const SettingsLayout L = layout();
    click(L.languageBox.cx(), L.languageBox.cy());
    pickRow(rowOf("de"));
    EXPECT_EQ(live().language, "de");
    EXPECT_EQ(store::loadSettings().language, "de");
    EXPECT_EQ(i18n::currentLanguage(), "de");
    EXPECT_NE(i18n::tr("settings.headline"), "Settings");

    // The last language needs the sheet scrolled to its end: 23 rows of 44 units.
    click(L.languageBox.cx(), L.languageBox.cy());
    const std::string last = i18n::languages().back().code;
    pickRow(i18n::languages().size());
    EXPECT_EQ(live().language, last);
    EXPECT_EQ(i18n::currentLanguage(), last);

    // "System" stores an empty code and follows the environment again.
    click(L.languageBox.cx(), L.languageBox.cy());
    pickRow(0);
    EXPECT_EQ(live().language, "");
    EXPECT_EQ(store::loadSettings().language, "");
    EXPECT_EQ(i18n::currentLanguage(), i18n::detectSystemLanguage());
    EXPECT_EQ(top(), ScreenKind::Settings);
}

TEST_F(SettingsScreen, EscapeClosesTheSheetFirstAndLeavesOnTheSecondPress) {
    open();
    const SettingsLayout L = layout();
    click(L.languageBox.cx(), L.languageBox.cy());
    live().musicVolume = 0.125;  // only leaving the screen writes this
    key(kEscape);
    idle();
    EXPECT_EQ(top(), ScreenKind::Settings);
    EXPECT_FALSE(stored());
    key(kEscape);
    idle();
    EXPECT_EQ(top(), ScreenKind::Menu);
    EXPECT_EQ(store::loadSettings().musicVolume, 0.125);
}

TEST_F(SettingsScreen, AnOpenSheetKeepsItsClicksFromTheControlsBeneath) {
    open();
    const SettingsLayout L = layout();
    const ui::Rect sheet = languageSheetRect(w_, h_);
    ASSERT_TRUE(sheet.contains(sheet.cx(), L.musicSlider.cy()));
    ASSERT_TRUE(sheet.contains(sheet.cx(), L.fullscreenRow.cy()));
    const double music = live().musicVolume;

    // A row lying over the music slider: the language changes, the volume does not.
    click(L.languageBox.cx(), L.languageBox.cy());
    click(sheet.cx(), L.musicSlider.cy());
    EXPECT_EQ(live().musicVolume, music);
    const size_t overSlider = static_cast<size_t>((L.musicSlider.cy() - sheet.y) / 44);
    ASSERT_GE(overSlider, 1u);
    EXPECT_EQ(live().language, i18n::languages()[overSlider - 1].code);

    // A row over the full-screen switch row.
    click(L.languageBox.cx(), L.languageBox.cy());
    click(sheet.cx(), L.fullscreenRow.cy());
    EXPECT_FALSE(live().fullscreen);

    // The press that opens the sheet, held and dragged across the slider beneath, moves
    // nothing; the sheet stays open until a press outside it.
    frame(Pointer{L.languageBox.cx(), L.languageBox.cy(), true, true});
    for (int i = 0; i <= 12; ++i)
        frame(Pointer{L.musicSlider.x + 40 * i, L.languageBox.cy() - 20 * i, false, true});
    frame(Pointer{L.musicSlider.right(), L.musicSlider.cy(), false, false});
    EXPECT_EQ(live().musicVolume, music);
    click(L.musicSlider.x + 2, L.musicSlider.cy());
    EXPECT_EQ(live().musicVolume, music);

    // The sheet is closed now: the same drag moves the slider.
    frame(Pointer{sliderX(L.musicSlider, 0.8), L.musicSlider.cy(), true, true});
    frame(Pointer{sliderX(L.musicSlider, 0.8), L.musicSlider.cy(), false, false});
    EXPECT_NEAR(live().musicVolume, 0.8, 0.003);

    // Just below the sheet lies the cut-off part of a row: a press there picks nothing.
    const std::string before = live().language;
    click(L.languageBox.cx(), L.languageBox.cy());
    ASSERT_NE(std::fmod(sheet.h, 44.0), 0.0);
    click(sheet.cx(), sheet.bottom() + 3);
    EXPECT_EQ(live().language, before);

    // A press on the back button behind the veil closes the sheet and stays on the screen.
    click(L.languageBox.cx(), L.languageBox.cy());
    click(L.back.cx(), L.back.cy());
    idle();
    EXPECT_EQ(top(), ScreenKind::Settings);
    live().sfxVolume = 0.375;  // the back button stores before it leaves
    click(L.back.cx(), L.back.cy());
    EXPECT_EQ(top(), ScreenKind::Menu);
    EXPECT_EQ(store::loadSettings().sfxVolume, 0.375);
}

TEST_F(SettingsScreen, TheResetDialogKeepsItsClicksFromTheControlsBeneath) {
    open();
    const SettingsLayout L = layout();
    const ui::DialogLayout d = ui::dialogLayout(w_, h_);
    click(L.reset.cx(), L.reset.cy());
    // Beside the dialog, on the full-screen row and the music slider.
    ASSERT_FALSE(d.box.contains(L.fullscreenRow.x + 5, L.fullscreenRow.cy()));
    click(L.fullscreenRow.x + 5, L.fullscreenRow.cy());
    click(sliderX(L.musicSlider, 0.9), L.musicSlider.cy());
    EXPECT_FALSE(live().fullscreen);
    EXPECT_EQ(live().musicVolume, store::Settings{}.musicVolume);
    click(d.cancel.cx(), d.cancel.cy());
    click(L.fullscreenRow.x + 5, L.fullscreenRow.cy());
    EXPECT_TRUE(live().fullscreen);
    // Escape cancels the question and stays; only a second Escape leaves.
    click(L.reset.cx(), L.reset.cy());
    key(kEscape);
    idle();
    EXPECT_EQ(top(), ScreenKind::Settings);
    click(L.fullscreenRow.x + 5, L.fullscreenRow.cy());
    EXPECT_FALSE(live().fullscreen);
    EXPECT_EQ(store::unlockedLevel(), 1);
    key(kEscape);
    idle();
    EXPECT_EQ(top(), ScreenKind::Menu);
}

TEST_F(SettingsScreen, ResetDeletesProgressButKeepsTheSettings) {
    live().language = "de";
    live().musicVolume = 0.375;
    live().fullscreen = true;
    i18n::setLanguage("de");
    ui::Game::instance()->persistSettings();
    const std::string settingsBefore = readText(dataDir() + "/settings.json");
    makeProgress();
    open(800, 480);
    const SettingsLayout L = layout();
    const ui::DialogLayout d = ui::dialogLayout(w_, h_);

    // Cancel keeps everything.
    click(L.reset.cx(), L.reset.cy());
    click(d.cancel.cx(), d.cancel.cy());
    EXPECT_EQ(store::unlockedLevel(), 7);
    EXPECT_EQ(store::bestFor(2).stars, 3);
    EXPECT_EQ(store::listSolves().size(), 1u);
    EXPECT_TRUE(store::loadGame().valid);

    click(L.reset.cx(), L.reset.cy());
    click(d.confirm.cx(), d.confirm.cy());
    EXPECT_EQ(store::unlockedLevel(), 1);
    EXPECT_EQ(store::bestFor(2).stars, 0);
    EXPECT_TRUE(store::listSolves().empty());
    EXPECT_FALSE(store::loadGame().valid);
    EXPECT_EQ(readText(dataDir() + "/settings.json"), settingsBefore);
    EXPECT_EQ(live().language, "de");
    EXPECT_EQ(top(), ScreenKind::Settings);
    // The dialog is gone: the next press reaches the controls again.
    click(L.fullscreenRow.x + 5, L.fullscreenRow.cy());
    EXPECT_FALSE(live().fullscreen);
}

// Whichever control has the focus, its ring leaves every text of the screen as it was drawn
// without it: in Japanese, whose glyphs reach lowest, in a large and in the smallest window.
TEST_F(SettingsScreen, TheFocusRingCoversNoText) {
    i18n::setLanguage("ja");
    for (auto [w, h] : {std::pair{1280, 720}, std::pair{800, 480}}) {
        SCOPED_TRACE("window " + std::to_string(w) + " x " + std::to_string(h));
        open(w, h);
        const SettingsLayout L = layout();
        struct Text {
            std::string s;
            double x, y, size;
            bool rightAligned;
        };
        const double right = L.x0 + L.cw;
        const std::vector<Text> texts = {
            {i18n::tr("settings.music"), L.x0, L.musicY, 12, false},
            {i18n::tr("settings.musicVolume"), L.x0, L.musicY + 20, 15, false},
            {screens::volumePercent(live().musicVolume), right, L.musicY + 20, 14, true},
            {i18n::tr("settings.sfx"), L.x0, L.sfxY, 12, false},
            {i18n::tr("settings.sfxVolume"), L.x0, L.sfxY + 20, 15, false},
            {screens::volumePercent(live().sfxVolume), right, L.sfxY + 20, 14, true},
            {i18n::tr("settings.fullscreen"), L.x0, L.fullscreenRow.y + 11, 16, false},
            {i18n::tr("settings.language"), L.x0, L.languageY, 12, false},
            {i18n::tr("settings.languageSystem"), L.x0 + 14, L.languageBox.y + 12, 16, false},
        };
        // Each text's ink: the bounding box of its dark pixels within its line.
        std::vector<ui::Rect> bands;
        canvas_->frame(t_, [&](ui::Ctx& c) {
            for (const Text& t : texts) {
                double tw = 0, th = 0;
                ui::measureText(c.cr, t.s, theme::textStyle(theme::TextRole::Body, t.size), &tw,
                                &th);
                bands.push_back({t.rightAligned ? t.x - tw : t.x, t.y, tw, th});
            }
        });
        frame(Pointer{5, 5});  // the mouse hides any ring left from before
        idle();
        const harness::Image plain = canvas_->snapshot();
        std::vector<ui::Rect> ink;
        for (const ui::Rect& b : bands) {
            int x0 = 1 << 20, y0 = 1 << 20, x1 = -1, y1 = -1;
            for (int y = static_cast<int>(b.y); y < static_cast<int>(b.bottom()); ++y)
                for (int x = static_cast<int>(b.x); x < static_cast<int>(b.right()); ++x)
                    if (harness::brightness(plain.at(x, y)) < 600) {
                        x0 = std::min(x0, x);
                        y0 = std::min(y0, y);
                        x1 = std::max(x1, x);
                        y1 = std::max(y1, y);
                    }
            ASSERT_GE(x1, 0) << "no ink in the band at y " << b.y;
            ink.push_back({double(x0), double(y0), double(x1 - x0 + 1), double(y1 - y0 + 1)});
        }

        // Back, both sliders, the full screen row, the language box and the reset button.
        key(SDLK_TAB);  // shows the ring on the back button
        for (int control = 0; control < 6; ++control) {
            idle();
            const harness::Image focused = canvas_->snapshot();
            for (size_t i = 0; i < ink.size(); ++i) {
                int changed = 0;
                for (int y = static_cast<int>(ink[i].y); y < ink[i].bottom(); ++y)
                    for (int x = static_cast<int>(ink[i].x); x < ink[i].right(); ++x)
                        if (std::abs(harness::brightness(focused.at(x, y)) -
                                     harness::brightness(plain.at(x, y))) > 24)
                            ++changed;
                EXPECT_EQ(changed, 0) << "the ring of control " << control << " covers text " << i;
            }
            key(SDLK_TAB);
        }
    }
}

TEST_F(SettingsScreen, AnUnknownStoredLanguageShowsSystemInTheBox) {
    auto boxPixels = [&](const std::string& code) {
        live().language = code;
        open();
        for (int i = 0; i < 3; ++i)
            idle();
        const harness::Image img = canvas_->snapshot();
        const ui::Rect box = layout().languageBox;
        std::vector<uint32_t> px;
        for (int y = static_cast<int>(box.y) + 4; y < static_cast<int>(box.bottom()) - 4; ++y)
            for (int x = static_cast<int>(box.x) + 4; x < static_cast<int>(box.right()) - 40; ++x)
                px.push_back(img.at(x, y));
        return px;
    };
    const auto system = boxPixels("");
    EXPECT_EQ(boxPixels("tlh"), system);
    EXPECT_NE(boxPixels("de"), system);
    // Only showing the screen writes nothing, so the odd code stays as it was.
    EXPECT_FALSE(stored());
}

TEST_F(SettingsScreen, RightToLeftLanguagesMirrorRowsSliderAndBackChevron) {
    struct Seen {
        double headingLeft, headingRight;   // ink of the "Music" heading
        int darkestAtLeft, darkestAtRight;  // the volume row's ends: label dark, number muted
        bool filledAtLeft, filledAtRight;   // the music slider's coloured part
        double iconTopX, iconMidX;          // the back chevron: arm ends and point
    };
    auto look = [&](const char* lang) {
        i18n::setLanguage(lang);
        live().musicVolume = 0.5;
        open();
        const harness::Image img = canvas_->snapshot();
        const SettingsLayout L = layout();
        const int x0 = static_cast<int>(L.x0), x1 = static_cast<int>(L.x0 + L.cw);
        auto ink = [&](uint32_t p) { return harness::brightness(p) < 650; };
        Seen s{1e9, -1e9, 765, 765, false, false, 0, 0};
        for (int y = static_cast<int>(L.musicY) + 1; y < L.musicY + 13; ++y)
            for (int x = x0 - 8; x <= x1 + 8; ++x)
                if (ink(img.at(x, y))) {
                    s.headingLeft = std::min(s.headingLeft, double(x));
                    s.headingRight = std::max(s.headingRight, double(x));
                }
        for (int y = static_cast<int>(L.musicY) + 21; y < L.musicY + 36; ++y)
            for (int d = 0; d < 40; ++d) {
                s.darkestAtLeft = std::min(s.darkestAtLeft, harness::brightness(img.at(x0 + d, y)));
                s.darkestAtRight =
                    std::min(s.darkestAtRight, harness::brightness(img.at(x1 - d, y)));
            }
        const ui::Rect& sl = L.musicSlider;
        const int ty = static_cast<int>(sl.cy());
        s.filledAtLeft = near(img.at(static_cast<int>(sl.x + 30), ty), theme::kAccent, 30);
        s.filledAtRight = near(img.at(static_cast<int>(sl.right() - 30), ty), theme::kAccent, 30);
        // The chevron is the coral cluster at the pill's reading start; compare where its ink
        // lies near the top (the arms' ends) with where it lies at the middle (the point).
        auto coral = [&](int x, int y) {
            const uint32_t p = img.at(x, y);
            return harness::redOf(p) - harness::greenOf(p) > 70;
        };
        const ui::Rect back = L.back;
        const double s14 = 0.42 * back.h, cy = back.y + (back.h - 3) / 2;
        const bool rtl = i18n::currentIsRtl();
        int edge = rtl ? -1 : 1000;
        for (int x = static_cast<int>(back.x) + 1; x < back.right() - 1; ++x)
            for (int y = static_cast<int>(cy - s14 / 2); y <= cy + s14 / 2; ++y)
                if (coral(x, y)) edge = rtl ? std::max(edge, x) : std::min(edge, x);
        auto meanX = [&](int y) {
            double sum = 0;
            int n = 0;
            for (int d = 0; d <= s14; ++d) {
                const int x = rtl ? edge - d : edge + d;
                if (coral(x, y)) sum += x, ++n;
            }
            return n ? sum / n : 0.0;
        };
        s.iconTopX = meanX(static_cast<int>(cy - 0.36 * s14));
        s.iconMidX = meanX(static_cast<int>(cy));
        return s;
    };

    const Seen en = look("en");
    for (const char* lang : {"ar", "he"}) {
        SCOPED_TRACE(lang);
        const Seen rtl = look(lang);
        const SettingsLayout L = layout();
        EXPECT_NEAR(en.headingLeft, L.x0, 3) << "left to right, the heading starts at the left";
        EXPECT_LT(en.headingRight, L.x0 + L.cw / 2);
        EXPECT_NEAR(rtl.headingRight, L.x0 + L.cw, 3) << "right to left it starts at the right";
        EXPECT_GT(rtl.headingLeft, L.x0 + L.cw / 2);
        EXPECT_LT(en.darkestAtLeft, en.darkestAtRight) << "English: label left, percentage right";
        EXPECT_LT(rtl.darkestAtRight, rtl.darkestAtLeft) << "the percentage moves to the left";
        EXPECT_TRUE(en.filledAtLeft && !en.filledAtRight);
        EXPECT_TRUE(rtl.filledAtRight && !rtl.filledAtLeft) << "the volume grows to the left";
        EXPECT_GT(en.iconTopX, en.iconMidX + 2) << "the chevron points left";
        EXPECT_LT(rtl.iconTopX, rtl.iconMidX - 2) << "the chevron points right";
        EXPECT_GT(rtl.iconMidX, L.back.cx()) << "and leads the label from the right";
        EXPECT_NEAR(L.back.right(), 1280 - 16, 0.01) << "back stands at the top right";
    }
}

// Writes the pictures worth looking at when VANTREL_SHOTS names a directory.
TEST_F(SettingsScreen, Screenshots) {
    const char* dir = std::getenv("VANTREL_SHOTS");
    if (!dir) GTEST_SKIP() << "set VANTREL_SHOTS to write the pictures";
    for (const char* lang : {"en", "de", "ja", "ar", "el", "fi", "ro", "cs"}) {
        for (auto [w, h] : {std::pair{1280, 720}, std::pair{800, 480}}) {
            const std::string base = std::string(dir) + "/settings_" + lang + "_" +
                                     std::to_string(w) + "x" + std::to_string(h);
            ui::Game::instance()->settings() = store::Settings{};
            i18n::setLanguage(lang);
            open(w, h);
            const SettingsLayout L = layout();
            const ui::Rect sheet = languageSheetRect(w, h);
            for (int i = 0; i < 3; ++i)
                idle();
            canvas_->snapshot().writePng(base + "_closed.png");
            // The panel scrolled to its end, where a low window keeps the accessibility block.
            Pointer end;
            end.x = L.panel.cx();
            end.y = L.panel.cy();
            end.wheel = -1000;
            frame(end);
            canvas_->snapshot().writePng(base + "_scrolled.png");
            end.wheel = 1000;
            frame(end);
            click(L.languageBox.cx(), L.languageBox.cy());
            frame(Pointer{sheet.cx(), sheet.y + 70});
            canvas_->snapshot().writePng(base + "_sheet.png");
            key(kEscape);
            click(L.reset.cx(), L.reset.cy());
            idle();
            canvas_->snapshot().writePng(base + "_dialog.png");
            click(ui::dialogLayout(w, h).cancel.cx(), ui::dialogLayout(w, h).cancel.cy());
        }
    }
    // A chosen language in the box and the sheet scrolled to its end, in the smallest window.
    ui::Game::instance()->settings() = store::Settings{};
    ui::Game::instance()->settings().language = "ja";
    i18n::setLanguage("ja");
    open(640, 480);
    idle();
    canvas_->snapshot().writePng(std::string(dir) + "/settings_ja_640x480_chosen.png");
    const SettingsLayout L = layout();
    click(L.languageBox.cx(), L.languageBox.cy());
    Pointer p;
    p.x = w_ / 2.0;
    p.y = h_ / 2.0;
    p.wheel = -1000;
    frame(p);
    canvas_->snapshot().writePng(std::string(dir) + "/settings_ja_640x480_sheet_end.png");
}
