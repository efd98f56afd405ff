#include "gamelink/platform/x11/X11WindowPicker.h"

#include "gamelink/platform/x11/X11Properties.h"
#include "gamelink/platform/x11/X11WindowFinder.h"

#include <X11/Xatom.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>

#include <poll.h>

namespace jk::platform::x11 {

namespace {

constexpr int IdleEveryMs = 20;

// Both grabs for as long as the pick waits; the keyboard one only for Escape.
class Grab {
public:
    explicit Grab(Display* display)
        : display_(display)
        , cursor_(XCreateFontCursor(display, XC_crosshair)) {
        const Window root = DefaultRootWindow(display);
        pointer_ =
            XGrabPointer(display, root, False, ButtonPressMask | ButtonReleaseMask, GrabModeAsync,
                         GrabModeAsync, None, cursor_, CurrentTime) == GrabSuccess;
        keyboard_ = pointer_ && XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync,
                                              CurrentTime) == GrabSuccess;
    }
    ~Grab() {
        if (keyboard_)
            XUngrabKeyboard(display_, CurrentTime);
        if (pointer_)
            XUngrabPointer(display_, CurrentTime);
        XFreeCursor(display_, cursor_);
        XFlush(display_);
    }
    Grab(const Grab&) = delete;
    Grab& operator=(const Grab&) = delete;
    bool held() const { return pointer_; }

private:
    Display* display_;
    Cursor cursor_;
    bool pointer_ = false;
    bool keyboard_ = false;
};

std::string titleOf(X11Connection& connection, Window window) {
    Display* display = connection.display();
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* raw = nullptr;
    const Atom utf8 = connection.atom("UTF8_STRING");
    if (XGetWindowProperty(display, window, connection.atom("_NET_WM_NAME"), 0, 1024, False, utf8,
                           &type, &format, &count, &remaining, &raw) == Success) {
        XMemory<unsigned char> data(raw);
        if (data && type == utf8 && format == 8)
            return std::string(reinterpret_cast<const char*>(data.get()), count);
    }
    char* name = nullptr;
    XFetchName(display, window, &name);
    XMemory<char> owned(name);
    return owned ? std::string(owned.get()) : std::string();
}

// Why the window cannot be the game; empty if it can.
std::string refusalOf(X11Connection& connection, Window client) {
    const auto types =
        readLongs(connection.display(), client, connection.atom("_NET_WM_WINDOW_TYPE"), XA_ATOM);
    for (unsigned long t : types) {
        if (t == connection.atom("_NET_WM_WINDOW_TYPE_DESKTOP"))
            return "the desktop";
        if (t == connection.atom("_NET_WM_WINDOW_TYPE_DOCK"))
            return "a dock or panel";
    }
    if (ownWindow(connection, client))
        return "one of Jeerkit's own windows";
    return {};
}

PickResult describe(X11Connection& connection, Window frame) {
    PickResult result = PickResult::ended(PickResult::End::Refused);
    if (frame == None) {
        result.refusal = "the desktop";
        return result;
    }
    const Window client =
        clientInside(connection.display(), frame, connection.existingAtom("WM_STATE"))
            .value_or(frame);
    result.window = client;
    result.title = titleOf(connection, client);
    if (auto names = windowClassOf(connection.display(), client))
        result.windowClass = names->windowClass.empty() ? names->instance : names->windowClass;
    result.refusal = refusalOf(connection, client);
    if (result.refusal.empty() && result.windowClass.empty())
        result.refusal = "a window without a class name";
    if (result.refusal.empty())
        result.end = PickResult::End::Picked;
    return result;
}

} // namespace

PickResult pickClientWindow(X11Connection& connection, const TypingIdle& idle) {
    Display* display = connection.display();
    const Grab grab(display);
    if (!grab.held())
        return PickResult::ended(PickResult::End::Failed);
    // The window is the one pressed on; the pick ends when that button comes up again, so that
    // the release does not reach the window on its own.
    Window pressed = None;
    unsigned int button = 0;
    for (;;) {
        XEvent event;
        // Only the grabs' events: the keyboard's own (layout changes) stay queued for it.
        if (XCheckTypedEvent(display, ButtonPress, &event) && button == 0) {
            button = event.xbutton.button;
            pressed = event.xbutton.subwindow;
            continue;
        }
        if (XCheckTypedEvent(display, ButtonRelease, &event) && event.xbutton.button == button)
            return describe(connection, pressed);
        if (XCheckTypedEvent(display, KeyPress, &event) &&
            XLookupKeysym(&event.xkey, 0) == XK_Escape)
            return PickResult::ended(PickResult::End::Cancelled);
        if (connection.lost())
            return PickResult::ended(PickResult::End::Failed);
        if (idle && !idle())
            return PickResult::ended(PickResult::End::Stopped);
        pollfd wait{ConnectionNumber(display), POLLIN, 0};
        poll(&wait, 1, IdleEveryMs);
    }
}

} // namespace jk::platform::x11
