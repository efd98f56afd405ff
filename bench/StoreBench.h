#pragma once

#include "BenchTable.h"

namespace jk::bench {

// LoadTextSet for all 30 sets of a full store, and SaveTextSet for all 30 with the flush.
std::vector<Row> benchStore(int repeats);

// Writes a full store (30 sets of 24 texts of 76 characters) to path.
void writeFullStore(const QString& path);

} // namespace jk::bench
