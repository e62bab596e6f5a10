// The one table from screen kinds to their factories, handed to the screen stack at start-up.
#include "screens/screens.h"

namespace screens {

std::unique_ptr<ui::Screen> makeScreen(const ui::GameState& s) {
    switch (s.kind) {
        case ui::ScreenKind::Splash:
            return makeSplash();
        case ui::ScreenKind::Menu:
            return makeMenu();
        case ui::ScreenKind::LevelSelect:
            return makeLevelSelect();
        case ui::ScreenKind::Playing:
            return makePlaying(s);
        case ui::ScreenKind::Solved:
            return makeSolved(s);
        case ui::ScreenKind::Ending:
            return makeEnding(s);
        case ui::ScreenKind::Gallery:
            return makeGallery();
        case ui::ScreenKind::Settings:
            return makeSettings();
        case ui::ScreenKind::About:
            return makeAbout();
        case ui::ScreenKind::Licenses:
            return makeLicenses();
        case ui::ScreenKind::Attract:
            return makeAttract(s);
        case ui::ScreenKind::Daily:
            return makeDaily();
        case ui::ScreenKind::Endless:
            return makeEndless();
        case ui::ScreenKind::EnterCode:
            return makeEnterCode();
    }
    return makeSplash();
}

void install(ui::Game& game) {
    game.setScreenFactory(makeScreen);
}

}  // namespace screens
