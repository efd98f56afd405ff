#include "XDisplayProbe.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>

namespace jk::e2e {

namespace {

int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

// Asking about windows that may be gone: their errors are answers here. Scoped, so that the
// backend under test meets Xlib's default handler, which ends the process, if it lets an
// error through.
class QuietErrors {
public:
    explicit QuietErrors(Display* display)
        : display_(display) {
        XSync(display_, False);
        previous_ = XSetErrorHandler(&ignoreErrors);
    }
    ~QuietErrors() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

private:
    Display* display_;
    XErrorHandler previous_ = nullptr;
};

} // namespace

XDisplayProbe::XDisplayProbe()
    : display_(XOpenDisplay(nullptr)) {}

XDisplayProbe::~XDisplayProbe() {
    if (display_ != nullptr)
        XCloseDisplay(display_);
}

std::string XDisplayProbe::keymapDump() {
    int minKey = 0;
    int maxKey = 0;
    XDisplayKeycodes(display_, &minKey, &maxKey);
    int perKey = 0;
    KeySym* map =
        XGetKeyboardMapping(display_, static_cast<KeyCode>(minKey), maxKey - minKey + 1, &perKey);
    std::string dump;
    for (int k = minKey; k <= maxKey; ++k) {
        dump += std::to_string(k) + ":";
        // Trailing NoSymbols carry no meaning: the width of the map changes with the widest key.
        int last = perKey - 1;
        while (last >= 0 && map[(k - minKey) * perKey + last] == NoSymbol)
            --last;
        for (int i = 0; i <= last; ++i) {
            char hex[32];
            std::snprintf(hex, sizeof hex, " 0x%lx", map[(k - minKey) * perKey + i]);
            dump += hex;
        }
        dump += "\n";
    }
    XFree(map);
    return dump;
}

std::string XDisplayProbe::xkbKeymap() {
    XSync(display_, False);
    std::string out;
    FILE* pipe = popen("xkbcomp -xkb \"$DISPLAY\" - 2>/dev/null", "r");
    if (pipe == nullptr)
        return out;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    pclose(pipe);
    return out;
}

int XDisplayProbe::emptyKeycodeCount() {
    int count = 0;
    const std::string dump = keymapDump();
    for (std::size_t pos = 0; pos < dump.size();) {
        const std::size_t end = dump.find('\n', pos);
        if (dump[end - 1] == ':')
            ++count;
        pos = end + 1;
    }
    return count;
}

std::vector<int> XDisplayProbe::pressedKeycodes() {
    char keys[32];
    XQueryKeymap(display_, keys);
    std::vector<int> down;
    for (int k = 0; k < 256; ++k) {
        if (keys[k / 8] & (1 << (k % 8)))
            down.push_back(k);
    }
    return down;
}

unsigned XDisplayProbe::modifierState() {
    XkbStateRec state{};
    XkbGetState(display_, XkbUseCoreKbd, &state);
    return state.mods;
}

bool XDisplayProbe::capsLocked() {
    XkbStateRec state{};
    XkbGetState(display_, XkbUseCoreKbd, &state);
    return (state.locked_mods & LockMask) != 0;
}

void XDisplayProbe::setCapsLock(bool on) {
    XkbLockModifiers(display_, XkbUseCoreKbd, LockMask, on ? LockMask : 0);
    XSync(display_, False);
}

void XDisplayProbe::lockGroup(int group) {
    XkbLockGroup(display_, XkbUseCoreKbd, static_cast<unsigned>(group));
    XSync(display_, False);
}

int XDisplayProbe::currentGroup() {
    XkbStateRec state{};
    XkbGetState(display_, XkbUseCoreKbd, &state);
    return state.group;
}

std::uint64_t XDisplayProbe::focusWindow() {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    return focus;
}

bool XDisplayProbe::windowExists(std::uint64_t window) {
    QuietErrors quiet(display_);
    XWindowAttributes attributes;
    return XGetWindowAttributes(display_, static_cast<Window>(window), &attributes) != 0;
}

bool XDisplayProbe::isManaged(std::uint64_t window) {
    QuietErrors quiet(display_);
    const Atom wmState = XInternAtom(display_, "WM_STATE", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const bool present =
        XGetWindowProperty(display_, static_cast<Window>(window), wmState, 0, 2, False, wmState,
                           &type, &format, &count, &remaining, &data) == Success &&
        type == wmState;
    XFree(data);
    return present;
}

std::vector<std::string> XDisplayProbe::netWmState(std::uint64_t window) {
    QuietErrors quiet(display_);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::vector<std::string> names;
    if (XGetWindowProperty(display_, static_cast<Window>(window),
                           XInternAtom(display_, "_NET_WM_STATE", False), 0, 1024, False, XA_ATOM,
                           &type, &format, &count, &remaining, &data) == Success &&
        data != nullptr && format == 32) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            char* name = XGetAtomName(display_, atoms[i]);
            names.emplace_back(name != nullptr ? name : "?");
            XFree(name);
        }
    }
    XFree(data);
    return names;
}

std::uint64_t XDisplayProbe::createWindow(const std::string& windowClass, bool map) {
    const Window window =
        XCreateSimpleWindow(display_, DefaultRootWindow(display_), 10, 10, 120, 80, 0, 0, 0);
    std::string instance = "jeerkit-probe";
    std::string cls = windowClass;
    XClassHint hint{instance.data(), cls.data()};
    XSetClassHint(display_, window, &hint);
    if (map)
        XMapWindow(display_, window);
    XSync(display_, False);
    return window;
}

void XDisplayProbe::mapWindow(std::uint64_t window) {
    XMapWindow(display_, static_cast<Window>(window));
    XSync(display_, False);
}

void XDisplayProbe::destroyWindow(std::uint64_t window) {
    XDestroyWindow(display_, static_cast<Window>(window));
    XSync(display_, False);
}

} // namespace jk::e2e
