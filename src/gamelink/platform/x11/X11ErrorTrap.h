#pragma once

// Catches the protocol errors of the backend's own requests. Xlib's default error handler ends
// the process, and errors are normal here: the game window can vanish between finding it and
// typing (BadWindow), or refuse the focus while unmapped (BadMatch). Each one is logged.

#include "gamelink/platform/x11/X11Resources.h"

namespace jk::platform::x11 {

class X11ErrorTrap {
public:
    explicit X11ErrorTrap(Display* display);
    ~X11ErrorTrap(); // syncs, so that late errors are caught too, then restores the old handler
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Errors caught by this trap so far, once the server has answered every request before.
    int errors();
    // The code of the last error caught so far (0: none); sync first to see them all.
    int lastError() const { return lastError_; }

private:
    static int onError(Display* display, XErrorEvent* event);

    Display* display_;
    XErrorHandler previous_;
    X11ErrorTrap* outer_;
    int errors_ = 0;
    int lastError_ = 0;
};

} // namespace jk::platform::x11
