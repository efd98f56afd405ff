#include "gamelink/platform/x11/X11ClientBarrier.h"

#include "gamelink/platform/x11/X11Properties.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <optional>

#include <poll.h>

namespace jk::platform::x11 {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The program's windows stay live during every wait: their events are handled this often.
constexpr milliseconds IdleEvery{10};
// A client that has not answered a ping this long after it is not in a round of event
// handling: a round that handles a few keys and a ping takes well under a millisecond.
constexpr milliseconds LateAnswer{6};
// A client that answers every ping at once for this long is not inside a round that handles a
// few keys: such a round takes well under a millisecond.
constexpr milliseconds AlwaysAnswering{15};

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

std::optional<Window> activeClient(X11Connection& connection) {
    const auto active = readLongs(connection.display(), connection.root(),
                                  connection.atom("_NET_ACTIVE_WINDOW"), XA_WINDOW);
    if (!active.empty() && active.front() != None)
        return static_cast<Window>(active.front());
    return focusedClient(connection);
}

namespace {

bool answersPings(X11Connection& connection, Window client) {
    const auto protocols =
        readLongs(connection.display(), client, connection.atom("WM_PROTOCOLS"), XA_ATOM);
    return std::find(protocols.begin(), protocols.end(), connection.atom("_NET_WM_PING")) !=
           protocols.end();
}

// The pinging of one client, from the moment it is found answering pings.
class Pinger {
public:
    Pinger(X11Connection& connection, Window client, const TypingIdle& idle)
        : connection_(connection)
        , display_(connection.display())
        , client_(client)
        , idle_(idle)
        , protocols_(connection.atom("WM_PROTOCOLS"))
        , ping_(connection.atom("_NET_WM_PING")) {
        // The answer goes to the root window, to those who listen for its children's changes.
        XSelectInput(display_, connection.root(), SubstructureNotifyMask);
    }
    ~Pinger() {
        XSelectInput(display_, connection_.root(), NoEventMask);
        XSync(display_, False);
    }
    Pinger(const Pinger&) = delete;
    Pinger& operator=(const Pinger&) = delete;

    // Pings and waits up to `timeout` for the answer; false if none came (or a stop).
    bool roundTrip(milliseconds timeout) {
        // Our own stamp, so that the window manager's pings and their answers are told apart.
        static long stampCounter = 0;
        const long stamp = 0x4A4B0000L + (++stampCounter & 0xFFFF);
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = client_;
        event.xclient.message_type = protocols_;
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(ping_);
        event.xclient.data.l[1] = stamp;
        event.xclient.data.l[2] = static_cast<long>(client_);
        XSendEvent(display_, client_, False, NoEventMask, &event);
        XFlush(display_);
        bool answered = false;
        wait(Clock::now() + timeout, [&](const XEvent& e) {
            answered = e.type == ClientMessage && e.xclient.message_type == protocols_ &&
                       static_cast<Atom>(e.xclient.data.l[0]) == ping_ &&
                       e.xclient.data.l[1] == stamp;
            return answered;
        });
        return answered;
    }

    // Handles the connection's events until `done` says so or the deadline passes, calling the
    // idle callback every IdleEvery.
    template <typename Done>
    void wait(Clock::time_point deadline, Done done) {
        auto nextIdle = Clock::now() + IdleEvery;
        while (!connection_.lost() && !outcome.stopped) {
            while (XPending(display_) > 0) {
                XEvent received;
                XNextEvent(display_, &received);
                outcome.keymapChanged = outcome.keymapChanged || received.type == MappingNotify ||
                                        received.type == connection_.xkbEventType();
                if (done(received))
                    return;
            }
            const auto now = Clock::now();
            if (now >= nextIdle) {
                nextIdle = now + IdleEvery;
                if (idle_ && !idle_())
                    outcome.stopped = true;
            }
            if (now >= deadline)
                return;
            const auto left = std::min(deadline, nextIdle) - now;
            pollfd fd{ConnectionNumber(display_), POLLIN, 0};
            const auto ms = std::chrono::ceil<milliseconds>(left).count();
            poll(&fd, 1, static_cast<int>(std::max<long>(ms, 1)));
        }
    }

    BarrierOutcome outcome;

private:
    X11Connection& connection_;
    Display* display_;
    Window client_;
    const TypingIdle& idle_;
    Atom protocols_;
    Atom ping_;
};

// A pause that keeps handling events; Pinger is not needed for it, only its waiting.
BarrierOutcome pause(X11Connection& connection, milliseconds length, const TypingIdle& idle) {
    if (connection.lost()) // Xlib crashes on requests after the connection broke
        return {};
    XSync(connection.display(), False);
    Pinger waiter(connection, connection.root(), idle);
    waiter.wait(Clock::now() + length, [](const XEvent&) { return false; });
    return waiter.outcome;
}

std::optional<Window> pingableClient(X11Connection& connection) {
    const std::optional<Window> client = focusedClient(connection);
    if (!client || !answersPings(connection, *client))
        return std::nullopt;
    return client;
}

} // namespace

BarrierOutcome waitForFocusedClient(X11Connection& connection, milliseconds timeout,
                                    milliseconds fallback, const TypingIdle& idle) {
    if (connection.lost())
        return {};
    const std::optional<Window> client = pingableClient(connection);
    if (!client)
        return pause(connection, fallback, idle);
    BarrierOutcome outcome;
    {
        Pinger pinger(connection, *client, idle);
        const bool answered = pinger.roundTrip(timeout);
        outcome = pinger.outcome;
        outcome.answered = answered;
        if (answered || outcome.stopped)
            return outcome;
    }
    const BarrierOutcome paused = pause(connection, fallback, idle);
    return {outcome.keymapChanged || paused.keymapChanged, paused.stopped};
}

BarrierOutcome waitForClientRound(X11Connection& connection, milliseconds frameCap,
                                  const TypingIdle& idle) {
    if (connection.lost())
        return {};
    const std::optional<Window> client = pingableClient(connection);
    if (!client)
        return pause(connection, 2 * frameCap, idle);
    Pinger pinger(connection, *client, idle);
    if (!pinger.roundTrip(std::chrono::seconds(1))) {
        if (pinger.outcome.stopped)
            return pinger.outcome;
        const BarrierOutcome paused = pause(connection, 2 * frameCap, idle);
        return {pinger.outcome.keymapChanged || paused.keymapChanged, paused.stopped};
    }
    // The answer came from the round that read the keys. A ping that the client leaves
    // unanswered for a while shows that round has ended: a round still under way would answer
    // at once.
    const auto start = Clock::now();
    const auto capEnd = start + frameCap;
    while (!pinger.outcome.stopped && !connection.lost() && Clock::now() < capEnd) {
        if (!pinger.roundTrip(LateAnswer))
            break;
        // Answers at once all this while: a client without rounds, or with rounds so short
        // that the one that took the keys has long ended.
        if (Clock::now() - start >= AlwaysAnswering)
            break;
        // A client without rounds answers at once, every time: space the pings out.
        pinger.wait(Clock::now() + milliseconds(1), [](const XEvent&) { return false; });
    }
    return pinger.outcome;
}

} // namespace jk::platform::x11
