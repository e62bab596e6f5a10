// How text looks: the style record every text painter takes, and the game's styles by role, so
// a widget or screen asks for "a label" and changes only what is its own (size, colour, width).
#pragma once

#include <cstdint>

namespace theme {

enum class Align { Left = 0, Center = 1, Right = 2 };

struct TextStyle {
    const char* family = "sans";
    double size = 16;  // logical pixels, not points
    bool bold = false;
    bool italic = false;
    uint32_t color = 0x000000;
    double alpha = 1.0;
    Align align = Align::Left;
    double maxWidth = 0;  // > 0: single-line text wider than this is shrunk
    double minScale = 0;  // 0: shrink as far as needed
    double shadowRadius = 0;
    double shadowDy = 0;
    uint32_t shadowColor = 0x000000;
    double shadowAlpha = 0;
    // Language tag for the shaper (glyph forms of shared Han characters); null: the game's own.
    const char* language = nullptr;
};

enum class TextRole {
    Label,        // bold, centred, dark brown; shrinks to 60 % at most when too wide
    Body,         // regular, from the left, dark brown; shrinks to 60 % at most
    Headline,     // bold, centred, coral; shrinks to 60 % at most
    Raised,       // bold, centred, dark brown, lifted off the scenery by a soft brown shadow
    OverScenery,  // bold, centred, white over a dark shadow, for text right on the artwork
    Glyph,        // bold, centred, white, never shrunk: title letters and digits
};

TextStyle textStyle(TextRole role, double size);

}  // namespace theme
