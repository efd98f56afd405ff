#pragma once

#include <string>

namespace jk::platform {

// The backends are plain C++; what they have to report (a protocol error they trapped, a
// connection that broke) goes to one process-wide sink, which the program routes into its own
// logging. Without a sink, messages go nowhere.
enum class LogLevel { Info, Warning };
using LogSink = void (*)(LogLevel level, const std::string& message);

void setLogSink(LogSink sink);
void log(LogLevel level, const std::string& message);

} // namespace jk::platform
