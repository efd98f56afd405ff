#pragma once

#include "BenchTable.h"

namespace jk::bench {

// CPU time used during one 100 ms pause before typing, and the longest gap between ticks
// of a 5 ms timer running meanwhile (whether the program stays live).
std::vector<Row> benchPause(int repeats);

} // namespace jk::bench
