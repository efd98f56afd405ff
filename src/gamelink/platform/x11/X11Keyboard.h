#pragma once

// Typing through XTest on the keyboard's current layout, with spare keycodes bound for the
// characters the layout does not have.

#include "gamelink/platform/KeyAction.h"
#include "gamelink/platform/Platform.h"
#include "gamelink/platform/x11/KeyboardLayout.h"
#include "gamelink/platform/x11/SpareKeys.h"
#include "gamelink/platform/x11/TypingPlan.h"
#include "gamelink/platform/x11/X11Connection.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace jk::platform::x11 {

class X11Keyboard {
public:
    explicit X11Keyboard(X11Connection& connection)
        : connection_(connection) {}

    // Gives the spare keycodes their original (empty) mapping back.
    void release();
    // The connection was closed or lost: its keymap and bindings mean nothing any more.
    void forget();
    // Gives back the spare keys that a program which ended without releasing them (killed,
    // crashed) left bound, as recorded on the root window.
    void repairLeftovers();

private:
    // A line's typing uses the layout, the spare keys and the bindings.
    friend class X11KeySession;

    // Reads the keymap again if it changed; the keyboard state, nothing if the display failed.
    std::optional<XkbStateRec> syncLayout();
    void refreshLayout(int group);
    // False, with nothing recorded, when the server refused the change.
    bool applyBindings(const std::vector<Binding>& bindings);
    // Before a line's first binding: makes sure the focused client follows keymap changes.
    void wakeKeymapFollowing();
    bool focusedClientIsWine();
    // Binds spare keys to keysyms (NoKeysym: back to empty) in the cached keymap and on the
    // server.
    void unbindSpareKeys();
    bool changeSpareKeys(const std::vector<std::pair<Keycode, Keysym>>& keys);
    // The same through the core protocol, for servers that refuse the XKB request.
    bool changeCoreMapping(std::vector<std::pair<Keycode, Keysym>> keys);
    // Keeps the root window's record of what this program has bound in step: a later start
    // repairs what a killed program left.
    void recordBindings(const std::vector<std::pair<Keycode, Keysym>>& keys);

    X11Connection& connection_;
    XkbDescHandle desc_;
    int group_ = -1;
    bool stale_ = true;
    KeyboardLayout layout_;
    SpareKeys spares_;
    std::map<Keycode, Keysym> recorded_;
    Window owner_ = None; // exists as long as this connection: proof that the record is live
    std::size_t spareLimit_ = SpareKeys::AllSpareKeys;
    bool xkbRefused_ = false;
};

} // namespace jk::platform::x11
