// Puzzle codes: short, typable names of generated puzzles ("3Q7-4XD-92H"). Case does not matter,
// the alphabet leaves out look-alikes (0/O, 1/I/L), and a check character catches every single
// mistyped character and every swap of two neighbours.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/puzzle.h"

namespace puzzle {

// The 31 characters a code is made of.
inline constexpr std::string_view kCodeAlphabet = "23456789ABCDEFGHJKMNPQRSTUVWXYZ";
// Seeds a code can carry: six characters of the alphabet.
inline constexpr uint32_t kSeedLimit = 31u * 31u * 31u * 31u * 31u * 31u;

// The code of an id, in three groups of three joined by dashes. The seed is taken modulo
// kSeedLimit; version and size must lie within the alphabet's 31 values.
std::string encode(const Id& id);
// The id a code names; nothing for anything that is not a whole, correct code. Dashes and spaces
// may stand anywhere, and the case does not matter.
std::optional<Id> decode(std::string_view code);
// Upper case, without dashes and spaces, cut at the code's length: what a player has typed so far
// in the form the field shows, with any character outside the alphabet dropped.
std::string normalizeTyping(std::string_view typed);

}  // namespace puzzle
