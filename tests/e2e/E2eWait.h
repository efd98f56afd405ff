#pragma once

// Bounded waits for what another process does (the window manager, the peer). A wait that runs
// out is not a time measurement: the check after it fails with what it saw.

#include <chrono>
#include <thread>

namespace jk::e2e {

template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace jk::e2e
