// Clickable web links of the About and Licenses screens, and the desktop opener behind them.
#pragma once

#include <string>

#include "ui/app.h"
#include "ui/draw.h"

namespace screens {

// Hands url to the desktop's opener ("xdg-open") in its own session, with its output discarded,
// and returns at once; nothing is reported, and without an opener nothing happens.
void openUrl(const std::string& url);

// Tests point this at a recording program instead of the real opener; "" restores it.
void setUrlOpener(const std::string& program);

// Where drawLink puts the text: st.align places it around x, y is its top.
ui::Rect linkRect(cairo_t* cr, double x, double y, const std::string& text,
                  const ui::TextStyle& st);
// Draws text as an underlined link: st.align places it around x, y is its top. A click inside
// the text, taken only while the pointer is also inside `visible` (the scrolled panel the link
// is clipped to), or its activation by the focus, plays the click sound and opens url. Returns
// whether it was clicked.
bool drawLink(ui::Ctx& c, double x, double y, const std::string& text, const ui::TextStyle& st,
              const std::string& url, const ui::Rect& visible);

}  // namespace screens
