// The level select's card layout and its page memory, shared with the tests.
#pragma once

#include "screens/card_pages.h"

namespace screens {

// The grid of a page of count level cards in a window of w x h: two to five columns of cards
// about 190 units wide, each card at most 0.92 of its width tall.
CardGrid levelSelectGrid(double w, double h, int count);

// Forgets the page last chosen with a chip, as at start-up.
void forgetLevelSelectPage();

}  // namespace screens
