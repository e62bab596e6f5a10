// Time spent in named sections of a frame, for the statistics line (active only when
// VANTREL_STATS is set, so an ordinary run pays one test per call).
#pragma once

#include <string>

namespace ui {

void profBegin(const char* name);
void profEnd(const char* name);
// " name mean-ms" per section with calls since the last report; empty when there are none.
std::string profReport();

}  // namespace ui
