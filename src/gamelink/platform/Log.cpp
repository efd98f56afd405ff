#include "gamelink/platform/Log.h"

#include <atomic>

namespace jk::platform {

namespace {
std::atomic<LogSink> sink{nullptr};
}

void setLogSink(LogSink s) {
    sink.store(s);
}

void log(LogLevel level, const std::string& message) {
    if (const LogSink s = sink.load())
        s(level, message);
}

} // namespace jk::platform
