// Generated puzzles made on a worker thread of their own, so that no frame waits for the
// generator: a screen asks for a puzzle every frame and takes it once it is made.
#pragma once

#include <memory>

#include "core/puzzle.h"

namespace maker {

// The puzzle if it is made; otherwise nothing, and it is made next, before anything only
// prefetched. Never waits. Starts the worker on first use.
std::shared_ptr<const puzzle::Puzzle> get(const puzzle::Id& id);
// Has the puzzle made after the ones asked for with get(), so it is ready when it is wanted.
void prefetch(const puzzle::Id& id);
// Whether a puzzle is waiting to be made or being made.
bool busy();
// Drops what waits, joins the worker and forgets every puzzle made; a later call starts anew.
void shutdown();

}  // namespace maker
