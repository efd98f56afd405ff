#pragma once

#include "BenchTable.h"

namespace jk::bench {

// Start-up to the first shown main window (empty and full store) and peak memory after
// start-up, each against the bare window with as many widgets.
std::vector<Row> benchStartupAndMemory(int repeats);

} // namespace jk::bench
