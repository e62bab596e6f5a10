// Temporary: the real screen is still being built.
#include "screens/placeholder.h"
#include "screens/screens.h"

namespace screens {

std::unique_ptr<ui::Screen> makeAttract(const ui::GameState&) {
    return makePlaceholder(ui::ScreenKind::Attract);
}

}  // namespace screens
