// Temporary: the real screen is still being built.
#include "screens/placeholder.h"
#include "screens/screens.h"

namespace screens {

std::unique_ptr<ui::Screen> makeMenu() {
    return makePlaceholder(ui::ScreenKind::Menu);
}

}  // namespace screens
