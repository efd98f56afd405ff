#pragma once

#include "Harness.h"

namespace jk::bench {

// Entry 1 of the first set holds text, with Enter, in style; the main window is placed clear
// of the game's window, and Jeerkit is started on that store and has handled its first events.
bool startWithEntry1(e2e::PeerProcess& game, e2e::ProgramProcess& program, const QString& text,
                     int style = 0);

} // namespace jk::bench
