// The splash screen: the rainbow title and tagline for three seconds, then the main menu.
#include <algorithm>
#include <memory>

#include "i18n/i18n.h"
#include "screens/common.h"
#include "screens/menu.h"
#include "screens/screens.h"
#include "theme/theme.h"
#include "ui/draw.h"
#include "ui/title.h"
#include "ui/widgets.h"

namespace screens {
namespace {

constexpr double kSplashSeconds = 3;

class Splash : public ui::Screen {
  public:
    void update(ui::Ctx& c) override {
        drawWallpaper(c);
        if (start_ < 0) start_ = c.t;
        c.wakeBy(start_ + kSplashSeconds);

        const double size = splashTitleSize(c.cr, c.w, c.h);
        const double titleY = 0.42 * c.h;
        ui::drawRainbowTitle(c, 0.5 * c.w, titleY, kGameTitle, size);

        ui::TextStyle tag =
            theme::textStyle(theme::TextRole::Label, std::min(c.w, c.h) >= 600 ? 16 : 14);
        tag.bold = false;
        tag.color = theme::kTextMuted;
        tag.maxWidth = c.w - 48;
        ui::drawText(c.cr, 0.5 * c.w, titleY + size * 1.4, i18n::tr("app.tagline"), tag);

        ui::footer(c, c.h);

        if (c.t - start_ >= kSplashSeconds || c.in.any()) {
            ui::GameState menu;
            menu.kind = ui::ScreenKind::Menu;
            c.replace(menu);
        }
    }

  private:
    double start_ = -1;
};

}  // namespace

std::unique_ptr<ui::Screen> makeSplash() {
    return std::make_unique<Splash>();
}

}  // namespace screens
