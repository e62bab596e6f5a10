// The settings screen's geometry and value text, shared with its tests.
#pragma once

#include <string>

#include "ui/app.h"

namespace screens {

struct SettingsLayout {
    ui::Rect back, headline, panel;
    double x0 = 0, cw = 0;        // content left edge and width inside the panel
    double musicY = 0, sfxY = 0;  // top of each volume block (heading, then label, then slider)
    ui::Rect musicSlider, sfxSlider;
    ui::Rect fullscreenRow, fullscreenSwitch;
    double languageY = 0;  // the language heading
    ui::Rect languageBox, reset;
    double accessibilityY = 0;  // the accessibility heading, under the reset button
    ui::Rect motionRow, motionSwitch;
    double contentBottom = 0;  // where the panel's content ends; below its bottom it scrolls
};

// The controls of a window of w x h, unscrolled. Windows lower than 516 units close the gaps
// between the blocks, so that the reset button never lies on the language box; in the lowest
// the accessibility block lies below the panel's edge until scrolled into view.
SettingsLayout settingsLayout(double w, double h);
// The same with the panel's content moved up by offset (the panel, back and headline stay).
SettingsLayout scrolledLayout(const SettingsLayout& L, double offset);
// The language sheet, centred.
ui::Rect languageSheetRect(double w, double h);
// A volume from 0 to 1 as the row shows it: "50 %".
std::string volumePercent(double v);

}  // namespace screens
