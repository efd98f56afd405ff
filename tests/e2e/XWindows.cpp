#include "XWindows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace jk::e2e {

namespace {

int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

Display* display() {
    static Display* d = [] {
        Display* opened = XOpenDisplay(nullptr);
        XSetErrorHandler(ignoreErrors);
        return opened;
    }();
    return d;
}

// The property's data, freed with the holder.
struct Property {
    unsigned char* data = nullptr;
    unsigned long count = 0;
    Property(Window w, const char* name, Atom type, long length) {
        Atom actual = 0;
        int format = 0;
        unsigned long after = 0;
        if (XGetWindowProperty(display(), w, XInternAtom(display(), name, False), 0, length, False,
                               type, &actual, &format, &count, &after, &data) != Success)
            data = nullptr;
    }
    ~Property() {
        if (data)
            XFree(data);
    }
    Property(const Property&) = delete;
    Property& operator=(const Property&) = delete;
};

} // namespace

std::vector<std::uint64_t> viewableWindowsOf(long long pid) {
    std::vector<std::uint64_t> found;
    Display* d = display();
    if (!d)
        return found;
    const Property clients(DefaultRootWindow(d), "_NET_CLIENT_LIST", XA_WINDOW, 4096);
    const auto* windows = reinterpret_cast<const Window*>(clients.data);
    for (unsigned long i = 0; windows && i < clients.count; ++i) {
        const Property owner(windows[i], "_NET_WM_PID", XA_CARDINAL, 1);
        if (!owner.data || owner.count != 1 || *reinterpret_cast<const long*>(owner.data) != pid)
            continue;
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(d, windows[i], &attributes) && attributes.map_state == IsViewable)
            found.push_back(windows[i]);
    }
    return found;
}

std::string textProperty(std::uint64_t window, const char* name) {
    const Property text(Window(window), name, AnyPropertyType, 1024);
    return text.data ? std::string(reinterpret_cast<const char*>(text.data), text.count)
                     : std::string("<none>");
}

std::uint64_t viewableWindowOf(long long pid, const std::string& titlePrefix, bool exact) {
    for (const std::uint64_t window : viewableWindowsOf(pid)) {
        const std::string title = textProperty(window, "_NET_WM_NAME");
        if (exact ? title == titlePrefix : title.rfind(titlePrefix, 0) == 0)
            return window;
    }
    return 0;
}

void closeWindow(std::uint64_t window) {
    Display* d = display();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = Window(window);
    event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, Window(window), False, NoEventMask, &event);
    XSync(d, False);
}

void movePointer(std::uint64_t window, int x, int y) {
    Display* d = display();
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(d, Window(window), DefaultRootWindow(d), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(d, -1, rootX, rootY, CurrentTime);
    XSync(d, False);
}

void clickHere() {
    Display* d = display();
    XTestFakeButtonEvent(d, 1, True, CurrentTime);
    XTestFakeButtonEvent(d, 1, False, CurrentTime);
    XSync(d, False);
}

} // namespace jk::e2e

namespace jk::e2e {

void queueEscape(std::uint64_t window) {
    Display* d = display();
    XEvent event{};
    event.xkey.type = KeyPress;
    event.xkey.display = d;
    event.xkey.window = Window(window);
    event.xkey.root = DefaultRootWindow(d);
    event.xkey.same_screen = True;
    event.xkey.keycode = XKeysymToKeycode(d, XK_Escape);
    XSendEvent(d, Window(window), False, KeyPressMask, &event);
    XSync(d, False);
}

} // namespace jk::e2e
