// Factories of the screens; each screen class is private to its own unit.
#pragma once

#include <memory>

#include "ui/app.h"

namespace screens {

std::unique_ptr<ui::Screen> makeSplash();
std::unique_ptr<ui::Screen> makeMenu();
std::unique_ptr<ui::Screen> makeLevelSelect();
std::unique_ptr<ui::Screen> makePlaying(const ui::GameState& s);
std::unique_ptr<ui::Screen> makeSolved(const ui::GameState& s);
std::unique_ptr<ui::Screen> makeEnding(const ui::GameState& s);
std::unique_ptr<ui::Screen> makeGallery();
std::unique_ptr<ui::Screen> makeSettings();
std::unique_ptr<ui::Screen> makeAbout();
std::unique_ptr<ui::Screen> makeLicenses();
std::unique_ptr<ui::Screen> makeAttract(const ui::GameState& s);
std::unique_ptr<ui::Screen> makeDaily();
std::unique_ptr<ui::Screen> makeEndless();
std::unique_ptr<ui::Screen> makeEnterCode();

// The screen of a record by its kind.
std::unique_ptr<ui::Screen> makeScreen(const ui::GameState& s);
// Hands makeScreen to the screen stack; every program that runs screens calls it once at start.
void install(ui::Game& game);

}  // namespace screens
