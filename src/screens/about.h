// Where the About screen puts its rows; shared by the screen and its tests.
#pragma once

#include "ui/app.h"

namespace screens {

// The About screen's scale: 0.58 on windows lower than 500, 0.72 when the shorter side is
// below 600, otherwise 1.
double aboutScale(double w, double h);
// n units at scale k, rounded to a whole unit.
int aboutUnits(double n, double k);

enum AboutRow {
    kAboutTitle,
    kAboutVersion,
    kAboutSeparator1,
    kAboutDevelopedBy,
    kAboutDevelopers,
    kAboutMaker,
    kAboutImprint,
    kAboutSeparator2,
    kAboutMail,
    kAboutWebsite,
    kAboutSeparator3,
    kAboutMusicSound,
    kAboutMusicCredit,
    kAboutMusicLink,
    kAboutSfxCredit,
    kAboutSfxLink,
    kAboutSeparator4,
    kAboutRowCount
};

// The table of keys and controller buttons: its rows, in the order shown.
constexpr int kControlRows = 13;

struct AboutLayout {
    double k = 1;
    ui::Rect panel;
    double top[kAboutRowCount] = {};  // each row's top, already scrolled
    ui::Rect licensesButton;
    // The keys and buttons: beside the panel on its own one in wide windows, otherwise at the
    // end of the scrolling content (then already scrolled).
    bool controlsBeside = false;
    ui::Rect controlsPanel;  // only when beside
    ui::Rect controls;       // the table itself
    double controlsRowH = 0;
    double contentH = 0;  // the scrollable height, independent of the scroll
};

AboutLayout aboutLayout(double w, double h, double scroll);

}  // namespace screens
