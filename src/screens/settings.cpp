// Temporary: the real screen is still being built.
#include "screens/placeholder.h"
#include "screens/screens.h"

namespace screens {

std::unique_ptr<ui::Screen> makeSettings() {
    return makePlaceholder(ui::ScreenKind::Settings);
}

}  // namespace screens
