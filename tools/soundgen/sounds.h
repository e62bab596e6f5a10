// The game's sound set as synthesis recipes: glass, water and chimes by the sea.
#pragma once

#include "synth.h"

namespace sounds {

constexpr int kColours = 15;

// The pitch of a marble colour: D major pentatonic from D4, three octaves (D E F# A B …).
double colourNote(int colour);

synth::Buffer drop(int colour);       // a marble landing on glass, with two small bounces
synth::Buffer fluidRise(int colour);  // bubbling liquid swelling up a tube
synth::Buffer click();                // soft UI tick
synth::Buffer pickup();               // a marble lifted
synth::Buffer illegal();              // soft, low refusal
synth::Buffer success();              // bright arpeggio of glass bells
synth::Buffer winGlare();             // shimmering swell into white
synth::Buffer star(int n);            // rising chime of the n-th star (1 … 3)
// "Only silence remains": the calm music loop; the buffer is exactly one period.
synth::Buffer music();
double musicSeconds();

}  // namespace sounds
