#include "XProbe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <vector>

namespace jk::bench {

namespace {

Display* dpy(void* d) { return static_cast<Display*>(d); }

int ignoreErrors(Display*, XErrorEvent*) { return 0; }

std::vector<Window> clientList(Display* d) {
    const Atom list = XInternAtom(d, "_NET_CLIENT_LIST", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<Window> out;
    if (XGetWindowProperty(d, DefaultRootWindow(d), list, 0, 4096, False, XA_WINDOW, &type, &format,
                           &count, &after, &data) == Success &&
        data) {
        const auto* windows = reinterpret_cast<const Window*>(data);
        out.assign(windows, windows + count);
        XFree(data);
    }
    return out;
}

long cardinal(Display* d, Window w, const char* name) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long value = -1;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1, False, XA_CARDINAL, &type,
                           &format, &count, &after, &data) == Success &&
        data) {
        if (count == 1)
            value = *reinterpret_cast<const long*>(data);
        XFree(data);
    }
    return value;
}

std::string title(Display* d, Window w) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string out;
    if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False), 0, 1024, False,
                           XInternAtom(d, "UTF8_STRING", False), &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        out.assign(reinterpret_cast<const char*>(data), count);
        XFree(data);
    }
    return out;
}

} // namespace

XProbe::XProbe()
    : display_(XOpenDisplay(nullptr)) {
    if (display_)
        XSetErrorHandler(ignoreErrors);
}

XProbe::~XProbe() {
    if (display_)
        XCloseDisplay(dpy(display_));
}

std::uint64_t XProbe::viewableWindowOf(pid_t pid, const std::string& titlePrefix) {
    Display* d = dpy(display_);
    for (Window w : clientList(d)) {
        if (cardinal(d, w, "_NET_WM_PID") != pid)
            continue;
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(d, w, &attributes) || attributes.map_state != IsViewable)
            continue;
        if (title(d, w).rfind(titlePrefix, 0) == 0)
            return w;
    }
    return 0;
}

bool XProbe::rootPosition(std::uint64_t window, int x, int y, int& rootX, int& rootY) {
    Display* d = dpy(display_);
    Window child = 0;
    return XTranslateCoordinates(d, Window(window), DefaultRootWindow(d), x, y, &rootX, &rootY,
                                 &child);
}

void XProbe::moveTo(int rootX, int rootY) {
    Display* d = dpy(display_);
    XTestFakeMotionEvent(d, -1, rootX, rootY, CurrentTime);
    XSync(d, False);
}

void XProbe::click(int rootX, int rootY) {
    Display* d = dpy(display_);
    XTestFakeMotionEvent(d, -1, rootX, rootY, CurrentTime);
    XTestFakeButtonEvent(d, 1, True, CurrentTime);
    XTestFakeButtonEvent(d, 1, False, CurrentTime);
    XSync(d, False);
}

} // namespace jk::bench
