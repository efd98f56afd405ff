#pragma once

// Typing through XTest on the keyboard's current layout, with spare keycodes bound for the
// characters the layout does not have.

#include "gamelink/platform/KeyAction.h"
#include "gamelink/platform/Platform.h"
#include "gamelink/platform/x11/KeyboardLayout.h"
#include "gamelink/platform/x11/SpareKeys.h"
#include "gamelink/platform/x11/TypingPlan.h"
#include "gamelink/platform/x11/X11Connection.h"

#include <optional>
#include <utility>
#include <vector>

namespace jk::platform::x11 {

class X11Keyboard {
public:
    explicit X11Keyboard(X11Connection& connection)
        : connection_(connection) {}

    // Types the keys into whatever window has the focus and waits until the server has
    // handled them; with a target, only while the target holds the focus. Goes in slices,
    // calling idle between them and during waits (see Platform::typeInto).
    TypingResult type(const std::vector<KeyAction>& keys, Window target = None,
                      const TypingIdle& idle = {});
    // Gives the spare keycodes their original (empty) mapping back.
    void release();
    // The connection was closed or lost: its keymap and bindings mean nothing any more.
    void forget();

private:
    // Reads the keymap again if it changed; the keyboard state, nothing if the display failed.
    std::optional<XkbStateRec> syncLayout();
    void refreshLayout(int group);
    void applyBindings(const std::vector<Binding>& bindings);
    // Binds spare keys to keysyms (NoKeysym: back to empty) in the cached keymap and on the
    // server.
    void unbindSpareKeys();
    void changeSpareKeys(const std::vector<std::pair<Keycode, Keysym>>& keys);

    X11Connection& connection_;
    XkbDescHandle desc_;
    int group_ = -1;
    bool stale_ = true;
    KeyboardLayout layout_;
    SpareKeys spares_;
};

} // namespace jk::platform::x11
