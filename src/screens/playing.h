// The playing screen's pure geometry, shared with its tests: tube layout and flight arc.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/app.h"

namespace screens {

struct TubeLayout {
    ui::Rect r;
    double marbleD = 0;
};

struct BoardLayout {
    double headerH = 64, footerH = 76;
    int rows = 1, perRow = 1;
    std::vector<TubeLayout> tubes;
};

// A playing screen in demo mode: it plays the level's stored solution by itself, takes no
// input and writes nothing.
std::unique_ptr<ui::Screen> makeAttractBoard(int level, unsigned seed);
// True when board is a playing screen that was solved and has finished settling.
bool attractBoardDone(const std::unique_ptr<ui::Screen>& board);
// The marble in the air as the board drew it last: centre and radius; false while none flies.
bool flightMarble(const std::unique_ptr<ui::Screen>& board, double* x, double* y, double* r);

// Lays n tubes of capacity cap out in a window of w × h logical units.
void layoutBoard(BoardLayout& out, double w, double h, int n, int cap, bool attract);
// Centre y of slot j (0 = bottom) of a tube.
double slotCy(const TubeLayout& t, int j);

}  // namespace screens
