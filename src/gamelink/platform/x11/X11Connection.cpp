#include "gamelink/platform/x11/X11Connection.h"

#include <X11/extensions/XTest.h>

#include <cstdlib>

namespace jk::platform::x11 {

X11Connection::~X11Connection() {
    close();
}

void X11Connection::close() {
    display_.reset();
    guard_.reset();
    atoms_.clear();
}

std::string X11Connection::open() {
    if (display_ && !lost())
        return {};
    close();

    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        return "No X display: Jeerkit types into the game through X11 (set DISPLAY; on Wayland "
               "run under XWayland).";
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return std::string("Cannot open the X display \"") + name +
               "\": Jeerkit types into the game through X11 (is DISPLAY right and the X server "
               "running?).";
    }
    guard_ = std::make_unique<X11IoGuard>(display);
    display_.reset(display);
    ++generation_;

    std::string reason = check();
    if (!reason.empty())
        close();
    return reason;
}

std::string X11Connection::check() {
    Display* d = display_.get();
    const std::string name = DisplayString(d);
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(d, &eventBase, &errorBase, &major, &minor)) {
        return "The X display \"" + name +
               "\" lacks the XTEST extension, which Jeerkit needs to type into the game.";
    }
    int opcode = 0;
    int xkbMajor = XkbMajorVersion;
    int xkbMinor = XkbMinorVersion;
    if (!XkbQueryExtension(d, &opcode, &xkbEventType_, &errorBase, &xkbMajor, &xkbMinor)) {
        return "The X display \"" + name +
               "\" lacks the XKEYBOARD extension, which Jeerkit needs to read the keyboard "
               "layout.";
    }
    // Keyboard map changes tell the backend to read the layout again.
    const unsigned int events = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;
    XkbSelectEvents(d, XkbUseCoreKbd, events, events);
    return {};
}

Atom X11Connection::atom(const char* name) {
    const auto it = atoms_.find(name);
    if (it != atoms_.end())
        return it->second;
    const Atom a = XInternAtom(display_.get(), name, False);
    atoms_.emplace(name, a);
    return a;
}

Atom X11Connection::existingAtom(const char* name) {
    const auto it = atoms_.find(name);
    if (it != atoms_.end())
        return it->second;
    const Atom a = XInternAtom(display_.get(), name, True);
    if (a != None)
        atoms_.emplace(name, a);
    return a;
}

} // namespace jk::platform::x11
