#include "gamelink/platform/x11/X11Platform.h"

#include "gamelink/platform/Log.h"

#include "gamelink/platform/x11/X11ClientBarrier.h"
#include "gamelink/platform/x11/X11Connection.h"
#include "gamelink/platform/x11/X11ErrorTrap.h"
#include "gamelink/platform/x11/X11Hotkeys.h"
#include "gamelink/platform/x11/X11KeySession.h"
#include "gamelink/platform/x11/X11Keyboard.h"
#include "gamelink/platform/x11/X11Properties.h"
#include "gamelink/platform/x11/X11WindowControl.h"
#include "gamelink/platform/x11/X11WindowFinder.h"
#include "gamelink/platform/x11/X11WindowPicker.h"

#include <cstdlib>

namespace jk::platform {

namespace x11 {

struct X11Platform::State {
    X11Connection connection;
    X11Keyboard keyboard{connection};
    unsigned generation = 0;
    ClientSearch search = ClientSearch::Automatic;
    // A line being typed lets the program handle its events, which may use this backend too:
    // the connection must outlive the line.
    int typing = 0;
    X11Hotkeys hotkeys;

    // Opens the display if needed; false if it cannot be used.
    bool ready() {
        if (typing > 0)
            return !connection.lost();
        const bool usable = connection.open().empty();
        if (!usable || connection.generation() != generation) {
            keyboard.forget();
            generation = connection.generation();
            if (usable) {
                X11ErrorTrap trap(connection.display());
                keyboard.repairLeftovers();
            }
        }
        return usable;
    }

    // After every use: a connection that broke on the way is dropped, to be opened anew.
    void settle() {
        if (connection.lost() && typing == 0) {
            log(LogLevel::Warning, "The connection to the X display broke; it is opened anew on "
                                   "the next use.");
            keyboard.forget();
            connection.close();
        }
    }

    // One use of the display: under an error trap, and settled once the trap has gone.
    template <typename Use>
    auto trapped(Use use) {
        struct Settle {
            State& state;
            ~Settle() { state.settle(); }
        } settleAfter{*this};
        X11ErrorTrap trap(connection.display());
        return use();
    }
};

X11Platform::X11Platform()
    : d_(std::make_unique<State>()) {}

X11Platform::~X11Platform() {
    if (d_->connection.display() != nullptr && !d_->connection.lost()) {
        X11ErrorTrap trap(d_->connection.display());
        d_->keyboard.release();
    }
}

std::string X11Platform::unavailableReason() {
    std::string reason = d_->connection.open();
    d_->ready();
    return reason;
}

WindowId X11Platform::findWindow(const std::vector<std::string>& classes) {
    if (!d_->ready())
        return 0;
    return d_->trapped([&] { return findClientWindow(d_->connection, classes, d_->search); });
}

void X11Platform::activate(WindowId window) {
    if (window == 0 || !d_->ready())
        return;
    d_->trapped([&] { activateWindow(d_->connection, static_cast<Window>(window)); });
}

bool X11Platform::hasFocus(WindowId window) {
    if (window == 0 || !d_->ready())
        return false;
    return d_->trapped([&] { return windowHasFocus(d_->connection, static_cast<Window>(window)); });
}

WindowId X11Platform::activeWindow() {
    if (!d_->ready())
        return 0;
    return d_->trapped([&] { return activeClient(d_->connection); }).value_or(None);
}

std::string X11Platform::windowClass(WindowId window) {
    if (window == 0 || !d_->ready())
        return {};
    const std::optional<WindowClassNames> names = d_->trapped(
        [&] { return windowClassOf(d_->connection.display(), static_cast<Window>(window)); });
    if (!names)
        return {};
    return names->windowClass.empty() ? names->instance : names->windowClass;
}

namespace {

// Every step of a line under an error trap, the connection kept open meanwhile: the program
// handles its events between the steps, and they may use this backend too.
template <typename State>
class TrappedSession final : public KeySession {
public:
    TrappedSession(State& state, std::unique_ptr<X11KeySession> inner)
        : state_(state)
        , inner_(std::move(inner)) {
        ++state_.typing;
    }
    ~TrappedSession() override {
        state_.trapped([&] { inner_.reset(); });
        --state_.typing;
        state_.settle();
    }
    TrappedSession(const TrappedSession&) = delete;
    TrappedSession& operator=(const TrappedSession&) = delete;

    std::optional<std::size_t> send(std::size_t from, std::size_t to) override {
        return state_.trapped([&] { return inner_->send(from, to); });
    }
    WaitEnd settle(const TypingIdle& idle) override {
        return state_.trapped([&] { return inner_->settle(idle); });
    }
    WaitEnd finishRound(const TypingIdle& idle) override {
        return state_.trapped([&] { return inner_->finishRound(idle); });
    }
    bool targetHasFocus() override {
        return state_.trapped([&] { return inner_->targetHasFocus(); });
    }
    bool end(bool whole) override {
        return state_.trapped([&] { return inner_->end(whole); });
    }
    std::string problem() const override { return inner_->problem(); }

private:
    State& state_;
    std::unique_ptr<X11KeySession> inner_;
};

} // namespace

std::unique_ptr<KeySession> X11Platform::beginLine(WindowId target,
                                                   const std::vector<KeyAction>& keys) {
    if (!d_->ready())
        return nullptr;
    std::unique_ptr<X11KeySession> inner = d_->trapped(
        [&] { return X11KeySession::begin(d_->keyboard, static_cast<Window>(target), keys); });
    if (!inner)
        return nullptr;
    return std::make_unique<TrappedSession<State>>(*d_, std::move(inner));
}

void X11Platform::setTopMost(WindowId window, bool onTop) {
    if (window == 0 || !d_->ready())
        return;
    d_->trapped([&] { setWindowAbove(d_->connection, static_cast<Window>(window), onTop); });
}

void X11Platform::clearTitle(WindowId window) {
    if (window == 0 || !d_->ready())
        return;
    d_->trapped([&] { clearWindowTitle(d_->connection, static_cast<Window>(window)); });
}

void X11Platform::releaseKeyboard() {
    // Nothing to give back without a connection, and no reason to open one for it.
    if (d_->connection.display() == nullptr || d_->connection.lost())
        return;
    d_->trapped([&] { d_->keyboard.release(); });
}

std::string X11Platform::hotkeysUnavailableReason() {
    return d_->hotkeys.unavailableReason();
}

std::string X11Platform::grabHotkey(int id, const Hotkey& key) {
    return d_->hotkeys.grab(id, key);
}

void X11Platform::releaseHotkey(int id) {
    d_->hotkeys.release(id);
}

int X11Platform::hotkeyEventSource() {
    return d_->hotkeys.eventSource();
}

std::vector<int> X11Platform::pressedHotkeys() {
    return d_->hotkeys.pressed();
}

unsigned X11Platform::keysStillDown(const Hotkey& key) {
    return d_->hotkeys.stillDown(key);
}

PickResult X11Platform::pickWindow(const TypingIdle& idle) {
    if (!d_->ready())
        return PickResult::ended(PickResult::End::Failed);
    return d_->trapped([&] {
        ++d_->typing; // the idle callback may use the backend too
        PickResult result = pickClientWindow(d_->connection, idle);
        --d_->typing;
        return result;
    });
}

void X11Platform::searchTreeOnly(bool treeOnly) {
    d_->search = treeOnly ? ClientSearch::TreeOnly : ClientSearch::Automatic;
}

} // namespace x11

std::string windowSystemProblem() {
    const char* name = std::getenv("DISPLAY");
    Display* display = name != nullptr && *name != '\0' ? XOpenDisplay(nullptr) : nullptr;
    if (display != nullptr) {
        XCloseDisplay(display);
        return {};
    }
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((name == nullptr || *name == '\0') && wayland != nullptr && *wayland != '\0')
        return "A Wayland session was found, but XWayland is missing or turned off (DISPLAY is "
               "not set): Jeerkit needs XWayland to reach the game.";
    return "There is no X11 display: Jeerkit needs an X11 session or XWayland.";
}

std::unique_ptr<Platform> createPlatform() {
    return std::make_unique<x11::X11Platform>();
}

} // namespace jk::platform
