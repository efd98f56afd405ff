#pragma once

#include <optional>

namespace jk {

// Answers --help and --version, and refuses anything else, before any window or display is
// needed. Returns the exit status when the program should end here, nothing when it should
// start. All configuration lives in the settings store, so there are no other options.
std::optional<int> answerCommandLine(int argc, char* argv[]);

} // namespace jk
