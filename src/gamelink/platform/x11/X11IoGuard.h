#pragma once

// Keeps a broken X connection (the server ended, the socket closed) from ending the process,
// which is what Xlib does by default: the connection is only marked lost, and the backend
// opens a new one on its next use.

#include "gamelink/platform/x11/X11Resources.h"

namespace jk::platform::x11 {

class X11IoGuard {
public:
    explicit X11IoGuard(Display* display);
    ~X11IoGuard();
    X11IoGuard(const X11IoGuard&) = delete;
    X11IoGuard& operator=(const X11IoGuard&) = delete;

    bool lost() const { return lost_; }

private:
    static int onIoError(Display* display);
    static void onIoErrorExit(Display* display, void* guard);

    Display* display_;
    X11IoGuard* next_;
    bool lost_ = false;
};

} // namespace jk::platform::x11
