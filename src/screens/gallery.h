// The gallery's card layout and its page memory, shared with the tests.
#pragma once

#include "screens/card_pages.h"

namespace screens {

// The grid of count solve cards in a window of w x h: three columns where each gets 320 units,
// else two, else one at full width; every card 118 units tall.
CardGrid galleryGrid(double w, double h, int count);

// Forgets the page last chosen with a chip, as at start-up.
void forgetGalleryPage();

}  // namespace screens
