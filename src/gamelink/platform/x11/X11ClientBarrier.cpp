#include "gamelink/platform/x11/X11ClientBarrier.h"

#include "gamelink/platform/x11/X11Properties.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <optional>
#include <thread>

#include <poll.h>

namespace jk::platform::x11 {

namespace {

// The top-level client window holding the window that has the focus: the one with WM_STATE,
// or the child of the root without a window manager.
std::optional<Window> focusedClient(X11Connection& connection) {
    Display* display = connection.display();
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus == None || focus == PointerRoot || focus == connection.root())
        return std::nullopt;
    const Atom wmState = connection.existingAtom("WM_STATE");
    for (Window w = focus;;) {
        if (hasProperty(display, w, wmState))
            return w;
        const std::optional<TreeLinks> links = queryTree(display, w);
        if (!links)
            return std::nullopt;
        if (links->parent == links->root)
            return w;
        w = links->parent;
    }
}

bool answersPings(X11Connection& connection, Window client) {
    const auto protocols =
        readLongs(connection.display(), client, connection.atom("WM_PROTOCOLS"), XA_ATOM);
    return std::find(protocols.begin(), protocols.end(), connection.atom("_NET_WM_PING")) !=
           protocols.end();
}

bool isPong(const XEvent& event, Atom protocols, Atom ping, long stamp) {
    return event.type == ClientMessage && event.xclient.message_type == protocols &&
           static_cast<Atom>(event.xclient.data.l[0]) == ping && event.xclient.data.l[1] == stamp;
}

} // namespace

bool waitForFocusedClient(X11Connection& connection, std::chrono::milliseconds timeout,
                          std::chrono::milliseconds fallback) {
    Display* display = connection.display();
    const std::optional<Window> client = focusedClient(connection);
    if (!client || !answersPings(connection, *client)) {
        XSync(display, False);
        std::this_thread::sleep_for(fallback);
        return false;
    }

    // Our own stamp, so that the window manager's pings and their answers are told apart.
    static long stampCounter = 0;
    const long stamp = 0x4A4B0000L + (++stampCounter & 0xFFFF);
    const Atom protocols = connection.atom("WM_PROTOCOLS");
    const Atom ping = connection.atom("_NET_WM_PING");

    // The answer goes to the root window, to those who listen for its children's changes.
    XSelectInput(display, connection.root(), SubstructureNotifyMask);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = *client;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(ping);
    event.xclient.data.l[1] = stamp;
    event.xclient.data.l[2] = static_cast<long>(*client);
    XSendEvent(display, *client, False, NoEventMask, &event);
    XFlush(display);

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool answered = false;
    bool keymapChanged = false;
    while (!answered && !connection.lost()) {
        while (!answered && XPending(display) > 0) {
            XEvent received;
            XNextEvent(display, &received);
            answered = isPong(received, protocols, ping, stamp);
            keymapChanged = keymapChanged || received.type == MappingNotify ||
                            received.type == connection.xkbEventType();
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (answered || left.count() <= 0)
            break;
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(std::min<long>(left.count(), 50)));
    }
    XSelectInput(display, connection.root(), NoEventMask);
    XSync(display, False);
    if (!answered)
        std::this_thread::sleep_for(fallback);
    return keymapChanged;
}

} // namespace jk::platform::x11
