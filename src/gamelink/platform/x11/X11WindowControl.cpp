#include "gamelink/platform/x11/X11WindowControl.h"

#include "gamelink/platform/x11/X11Properties.h"

#include <X11/Xatom.h>

#include <algorithm>

namespace jk::platform::x11 {

namespace {

// EWMH values.
constexpr long SourcePager = 2; // "a pager or similar tool acting for the user": obeyed
constexpr long StateRemove = 0;
constexpr long StateAdd = 1;

void sendToWindowManager(X11Connection& connection, Window window, Atom type,
                         std::initializer_list<long> data) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.display = connection.display();
    event.xclient.window = window;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    int i = 0;
    for (long value : data)
        event.xclient.data.l[i++] = value;
    XSendEvent(connection.display(), connection.root(), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

std::optional<Window> parentOf(Display* display, Window window) {
    const std::optional<TreeLinks> links = queryTree(display, window);
    if (!links || links->parent == None)
        return std::nullopt;
    return links->parent;
}

// Whether ancestor is window or one of the windows it sits in.
bool isWithin(Display* display, Window window, Window ancestor) {
    for (std::optional<Window> w = window; w; w = parentOf(display, *w)) {
        if (*w == ancestor)
            return true;
    }
    return false;
}

// The deepest window under the pointer: where the keys go when the focus follows it.
Window windowUnderPointer(Display* display, Window root) {
    Window w = root;
    for (;;) {
        Window rootReturn = None;
        Window child = None;
        int rx = 0;
        int ry = 0;
        int wx = 0;
        int wy = 0;
        unsigned int mask = 0;
        if (!XQueryPointer(display, w, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask) ||
            child == None)
            return w;
        w = child;
    }
}

// Whether the window manager has taken the window on (mapped or iconic), as opposed to
// withdrawn.
bool isManaged(X11Connection& connection, Window window) {
    const Atom wmState = connection.existingAtom("WM_STATE");
    const auto state = readLongs(connection.display(), window, wmState, wmState);
    return !state.empty() && static_cast<long>(state.front()) != WithdrawnState;
}

} // namespace

bool windowManagerRuns(X11Connection& connection) {
    // A window manager that was killed leaves its properties on the root window; its check
    // window went with it. A live one's check window names itself.
    const Atom check = connection.atom("_NET_SUPPORTING_WM_CHECK");
    const auto named = readLongs(connection.display(), connection.root(), check, XA_WINDOW);
    if (named.empty())
        return false;
    const auto self = readLongs(connection.display(), named.front(), check, XA_WINDOW);
    return !self.empty() && self.front() == named.front();
}

bool windowManagerSupports(X11Connection& connection, const char* atomName) {
    if (!windowManagerRuns(connection))
        return false;
    const auto supported = readLongs(connection.display(), connection.root(),
                                     connection.atom("_NET_SUPPORTED"), XA_ATOM);
    const Atom wanted = connection.atom(atomName);
    return std::find(supported.begin(), supported.end(), wanted) != supported.end();
}

void activateWindow(X11Connection& connection, Window window) {
    if (windowManagerSupports(connection, "_NET_ACTIVE_WINDOW")) {
        sendToWindowManager(connection, window, connection.atom("_NET_ACTIVE_WINDOW"),
                            {SourcePager, CurrentTime, 0});
        return;
    }
    Display* display = connection.display();
    XRaiseWindow(display, window);
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
}

bool windowHasFocus(X11Connection& connection, Window window) {
    Display* display = connection.display();
    const Window root = connection.root();
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus == None || window == None)
        return false;
    if (focus == PointerRoot || focus == root)
        focus = windowUnderPointer(display, root);
    if (isWithin(display, focus, window))
        return true;
    // Some window managers focus the frame: a top-level window holding the client.
    const std::optional<Window> focusParent = parentOf(display, focus);
    return focus != root && focusParent == root && isWithin(display, window, focus);
}

void setWindowAbove(X11Connection& connection, Window window, bool above) {
    Display* display = connection.display();
    const Atom wmStateAtom = connection.atom("_NET_WM_STATE");
    const Atom aboveAtom = connection.atom("_NET_WM_STATE_ABOVE");
    const bool wmRuns = windowManagerRuns(connection);
    if (!wmRuns || !isManaged(connection, window)) {
        // Withdrawn, or being mapped by the toolkit's own connection: the window manager
        // reads the property when it takes the window on. If it has read it already and not
        // yet marked the window managed, it overwrites the property with its own state; the
        // message below, queued after its map request, then reaches it as a managed window's.
        auto states = readLongs(display, window, wmStateAtom, XA_ATOM);
        states.erase(std::remove(states.begin(), states.end(), aboveAtom), states.end());
        if (above)
            states.push_back(aboveAtom);
        XChangeProperty(display, window, wmStateAtom, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(states.data()),
                        static_cast<int>(states.size()));
    }
    if (wmRuns)
        sendToWindowManager(
            connection, window, wmStateAtom,
            {above ? StateAdd : StateRemove, static_cast<long>(aboveAtom), 0, SourcePager});
}

void clearWindowTitle(X11Connection& connection, Window window) {
    Display* display = connection.display();
    const Atom utf8 = connection.atom("UTF8_STRING");
    static const unsigned char Nothing[] = "";
    XChangeProperty(display, window, connection.atom("_NET_WM_NAME"), utf8, 8, PropModeReplace,
                    Nothing, 0);
    XChangeProperty(display, window, XA_WM_NAME, utf8, 8, PropModeReplace, Nothing, 0);
}

} // namespace jk::platform::x11
