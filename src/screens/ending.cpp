// Temporary: the real screen is still being built.
#include "screens/placeholder.h"
#include "screens/screens.h"

namespace screens {

std::unique_ptr<ui::Screen> makeEnding(const ui::GameState&) {
    return makePlaceholder(ui::ScreenKind::Ending);
}

}  // namespace screens
