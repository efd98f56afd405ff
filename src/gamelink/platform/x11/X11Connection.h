#pragma once

// The backend's own connection to the X display, opened on first use: the program starts and
// shows its windows even where typing into the game cannot work.

#include "gamelink/platform/x11/X11IoGuard.h"
#include "gamelink/platform/x11/X11Resources.h"

#include <map>
#include <memory>
#include <string>

namespace jk::platform::x11 {

class X11Connection {
public:
    X11Connection() = default;
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    // Opens the display if it is not open (or was lost). Empty when it can be used; otherwise
    // a sentence for the user saying why not.
    std::string open();
    bool lost() const { return guard_ && guard_->lost(); }
    void close();

    Display* display() const { return display_.get(); }
    // Counts the connections opened so far: what was learnt about an earlier one is void.
    unsigned generation() const { return generation_; }
    Window root() const { return DefaultRootWindow(display_.get()); }
    // The atom of that name, created if needed.
    Atom atom(const char* name);
    // The atom of that name, or None if no client has created it yet.
    Atom existingAtom(const char* name);
    // Event type of Xkb events (map and keyboard changes) on this connection.
    int xkbEventType() const { return xkbEventType_; }

private:
    std::string check();

    std::unique_ptr<X11IoGuard> guard_; // outlives the display: closing can fail too
    DisplayHandle display_;
    std::map<std::string, Atom> atoms_;
    int xkbEventType_ = 0;
    unsigned generation_ = 0;
};

} // namespace jk::platform::x11
