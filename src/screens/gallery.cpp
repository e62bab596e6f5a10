// Temporary: the real screen is still being built.
#include "screens/placeholder.h"
#include "screens/screens.h"

namespace screens {

std::unique_ptr<ui::Screen> makeGallery() {
    return makePlaceholder(ui::ScreenKind::Gallery);
}

}  // namespace screens
