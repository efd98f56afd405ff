#pragma once

#include <cstdint>
#include <string>

#include <sys/types.h>

namespace jk::bench {

// Looks at and pokes the X display the benchmark runs on. Plain Xlib, kept out of the rest.
class XProbe {
public:
    XProbe();
    ~XProbe();
    XProbe(const XProbe&) = delete;
    XProbe& operator=(const XProbe&) = delete;

    bool ok() const { return display_ != nullptr; }
    // A viewable top-level client window of the process (by _NET_WM_PID) whose title starts
    // with titlePrefix; 0 if none yet.
    std::uint64_t viewableWindowOf(pid_t pid, const std::string& titlePrefix = {});
    // Root coordinates of a point inside a window's client area.
    bool rootPosition(std::uint64_t window, int x, int y, int& rootX, int& rootY);
    // A left click at root coordinates, through XTest; returns once the server has it.
    void click(int rootX, int rootY);
    void moveTo(int rootX, int rootY);

private:
    void* display_ = nullptr; // Display*
};

} // namespace jk::bench
