#include "gamelink/platform/x11/X11ErrorTrap.h"

#include "gamelink/platform/Log.h"

#include <cstdio>

namespace jk::platform::x11 {

namespace {
// Innermost trap; the program has one user-interface thread, which alone talks to X here.
X11ErrorTrap* innermost = nullptr;
} // namespace

X11ErrorTrap::X11ErrorTrap(Display* display)
    : display_(display)
    , previous_(XSetErrorHandler(&X11ErrorTrap::onError))
    , outer_(innermost) {
    innermost = this;
}

X11ErrorTrap::~X11ErrorTrap() {
    if (display_ != nullptr)
        XSync(display_, False);
    XSetErrorHandler(previous_);
    innermost = outer_;
}

int X11ErrorTrap::errors() {
    if (display_ != nullptr)
        XSync(display_, False);
    return errors_;
}

int X11ErrorTrap::onError(Display* display, XErrorEvent* event) {
    for (X11ErrorTrap* t = innermost; t != nullptr; t = t->outer_) {
        if (t->display_ == display) {
            // Reads Xlib's local error database only: no request goes to the server from here.
            char text[160] = {};
            XGetErrorText(display, event->error_code, text, sizeof text);
            char line[256];
            std::snprintf(line, sizeof line, "X error %s (request %d.%d, resource 0x%lx)", text,
                          event->request_code, event->minor_code, event->resourceid);
            log(LogLevel::Info, line);
            ++t->errors_;
            t->lastError_ = event->error_code;
            return 0;
        }
    }
    // Another connection of the process (the toolkit's, say): not ours to judge.
    X11ErrorTrap* outermost = innermost;
    while (outermost != nullptr && outermost->outer_ != nullptr)
        outermost = outermost->outer_;
    if (outermost != nullptr && outermost->previous_ != nullptr)
        return outermost->previous_(display, event);
    return 0;
}

} // namespace jk::platform::x11
