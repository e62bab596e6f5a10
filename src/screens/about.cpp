// Temporary: the real screen is still being built.
#include "screens/placeholder.h"
#include "screens/screens.h"

namespace screens {

std::unique_ptr<ui::Screen> makeAbout() {
    return makePlaceholder(ui::ScreenKind::About);
}

}  // namespace screens
