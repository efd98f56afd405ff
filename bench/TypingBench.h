#pragma once

#include "BenchTable.h"

namespace jk::bench {

// Typing lines into the stand-in game client until the last character has arrived, against
// xdotool on the same lines; and a click on a numbered button to the last key arriving.
std::vector<Row> benchTyping(int repeats);
std::vector<Row> benchClickToLastKey(int repeats);
// Control+Alt+1 pressed and let go of while the game has the focus, to the line's last key.
std::vector<Row> benchHotkeyToLastKey(int repeats);

} // namespace jk::bench
