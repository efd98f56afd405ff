#include "gamelink/platform/x11/X11IoGuard.h"

namespace jk::platform::x11 {

namespace {

// The guards alive, linked through next_. A plain pointer, not a container: a backend held in
// a static object is destroyed at exit in no particular order with other statics.
X11IoGuard* firstGuard = nullptr;

// The handler before ours, for the connections that are not ours.
XIOErrorHandler previousHandler = nullptr;
bool handlerInstalled = false;

} // namespace

X11IoGuard::X11IoGuard(Display* display)
    : display_(display)
    , next_(firstGuard) {
    firstGuard = this;
    if (!handlerInstalled) {
        previousHandler = XSetIOErrorHandler(&X11IoGuard::onIoError);
        handlerInstalled = true;
    }
#ifdef JEERKIT_HAVE_XSETIOERROREXITHANDLER
    // Without this, Xlib exits after the handler returns.
    XSetIOErrorExitHandler(display, &X11IoGuard::onIoErrorExit, this);
#endif
}

X11IoGuard::~X11IoGuard() {
    for (X11IoGuard** link = &firstGuard; *link != nullptr; link = &(*link)->next_) {
        if (*link == this) {
            *link = next_;
            break;
        }
    }
}

int X11IoGuard::onIoError(Display* display) {
    for (X11IoGuard* g = firstGuard; g != nullptr; g = g->next_) {
        if (g->display_ == display) {
            g->lost_ = true;
            return 0;
        }
    }
    return previousHandler != nullptr ? previousHandler(display) : 0;
}

void X11IoGuard::onIoErrorExit(Display* /*display*/, void* guard) {
    static_cast<X11IoGuard*>(guard)->lost_ = true;
}

} // namespace jk::platform::x11
