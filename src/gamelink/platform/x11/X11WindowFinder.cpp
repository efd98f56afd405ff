#include "gamelink/platform/x11/X11WindowFinder.h"

#include "gamelink/platform/Log.h"
#include "gamelink/platform/x11/X11Properties.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <deque>
#include <optional>

#include <unistd.h>

namespace jk::platform::x11 {

namespace {

std::vector<Window> childrenOf(Display* display, Window window) {
    std::optional<TreeLinks> links = queryTree(display, window);
    return links ? std::move(links->children) : std::vector<Window>{};
}

} // namespace

std::optional<Window> clientInside(Display* display, Window frame, Atom wmState) {
    if (wmState == None)
        return std::nullopt;
    std::deque<Window> queue{frame};
    while (!queue.empty()) {
        const Window w = queue.front();
        queue.pop_front();
        if (hasProperty(display, w, wmState))
            return w;
        for (Window child : childrenOf(display, w))
            queue.push_back(child);
    }
    return std::nullopt;
}

bool ownWindow(X11Connection& connection, Window window) {
    const Atom pid = connection.existingAtom("_NET_WM_PID");
    const auto owner = pid == None ? std::vector<unsigned long>{}
                                   : readLongs(connection.display(), window, pid, XA_CARDINAL);
    return !owner.empty() && owner[0] == static_cast<unsigned long>(getpid());
}

namespace {

std::vector<Window> clientsFromTree(X11Connection& connection) {
    Display* display = connection.display();
    const Atom wmState = connection.existingAtom("WM_STATE");
    std::vector<Window> clients;
    std::vector<Window> tops = childrenOf(display, connection.root());
    // Topmost first, as the search of the desktop's own finder goes.
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        // Without a window manager the top-level window is the client itself.
        clients.push_back(clientInside(display, *it, wmState).value_or(*it));
    }
    return clients;
}

// The window manager's client list, topmost first: the stacking list read from its end where it
// keeps one, else the list in the order the clients were mapped.
std::vector<Window> clientsFromList(X11Connection& connection) {
    Display* display = connection.display();
    const auto supported =
        readLongs(display, connection.root(), connection.atom("_NET_SUPPORTED"), XA_ATOM);
    auto listed = [&](Atom list) {
        return std::find(supported.begin(), supported.end(), list) != supported.end();
    };
    const Atom stacking = connection.atom("_NET_CLIENT_LIST_STACKING");
    if (listed(stacking)) {
        const auto windows = readLongs(display, connection.root(), stacking, XA_WINDOW);
        if (!windows.empty())
            return std::vector<Window>(windows.rbegin(), windows.rend());
    }
    const Atom clientList = connection.atom("_NET_CLIENT_LIST");
    if (!listed(clientList))
        return {};
    const auto windows = readLongs(display, connection.root(), clientList, XA_WINDOW);
    return std::vector<Window>(windows.begin(), windows.end());
}

} // namespace

std::vector<Window> clientWindows(X11Connection& connection, ClientSearch search) {
    if (search == ClientSearch::Automatic) {
        std::vector<Window> listed = clientsFromList(connection);
        if (!listed.empty())
            return listed;
    }
    return clientsFromTree(connection);
}

Window findClientWindow(X11Connection& connection, const std::vector<std::string>& classes,
                        ClientSearch search) {
    std::vector<std::pair<Window, WindowClassNames>> classed;
    for (Window w : clientWindows(connection, search)) {
        // A window that vanished since the list was read has no class any more.
        std::optional<WindowClassNames> c = windowClassOf(connection.display(), w);
        if (!c)
            continue;
        // Typing into the program's own window would make every send do nothing.
        if (ownWindow(connection, w)) {
            for (const std::string& wanted : classes) {
                if (c->windowClass == wanted || c->instance == wanted)
                    log(LogLevel::Warning, "Window class \"" + wanted +
                                               "\" skipped on one of Jeerkit's own windows: they "
                                               "are never the game.");
            }
            continue;
        }
        classed.emplace_back(w, std::move(*c));
    }
    for (const std::string& wanted : classes) {
        // Either part: programs under Wine show their .exe's name in both, others their own
        // name in one of them.
        for (const auto& [window, names] : classed) {
            if (names.windowClass == wanted || names.instance == wanted)
                return window;
        }
    }
    return None;
}

} // namespace jk::platform::x11
