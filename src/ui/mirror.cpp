// Reading direction of the active language.
#include "ui/mirror.h"

#include "i18n/i18n.h"

namespace ui {

bool rightToLeft() {
    return i18n::currentIsRtl();
}

}  // namespace ui
