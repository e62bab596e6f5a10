// Temporary: the real screen is still being built.
#include "screens/placeholder.h"
#include "screens/screens.h"

namespace screens {

std::unique_ptr<ui::Screen> makeLevelSelect() {
    return makePlaceholder(ui::ScreenKind::LevelSelect);
}

}  // namespace screens
