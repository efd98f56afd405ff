#pragma once

#include "BenchTable.h"

namespace jk::bench {

// A 100,000-character line under way in the real program: how soon it stops once another
// window takes the focus, and how soon a SIGTERM ends the program.
std::vector<Row> benchMidLine(int repeats);

} // namespace jk::bench
