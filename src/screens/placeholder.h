// A temporary screen for a kind whose real screen is still being built; it says so on screen.
#pragma once

#include <memory>

#include "ui/app.h"

namespace screens {

std::unique_ptr<ui::Screen> makePlaceholder(ui::ScreenKind kind);

}  // namespace screens
