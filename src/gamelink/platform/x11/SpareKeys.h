#pragma once

// Keycodes without keysyms that the backend binds to characters off the layout. Bindings are
// kept across lines (a client looks a keycode up when it handles the key, so changing a binding
// right after typing garbles the keys still in its queue) and undone only on release.
// No X11 headers here: the X side applies what this decides.

#include "gamelink/platform/x11/KeyboardLayout.h"

#include <bitset>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace jk::platform::x11 {

using KeycodeSet = std::bitset<256>;

class SpareKeys {
public:
    // Takes the layout's empty keycodes as the free spare keys. Bindings that the layout no
    // longer shows are forgotten: someone else has loaded a keymap over them.
    void reconcile(const KeyboardLayout& layout);

    std::optional<Keycode> keycodeFor(Keysym keysym) const;
    bool isSpare(Keycode keycode) const { return spare_.test(keycode); }
    std::size_t spareCount() const { return spare_.count(); }

    // Binds keysym to a spare key that is not busy: an unbound one if there is one, otherwise
    // the one used longest ago. Nothing when every spare key is busy.
    std::optional<Keycode> bind(Keysym keysym, const KeycodeSet& busy);
    void touch(Keycode keycode);

    // Bound keycodes, highest first.
    std::vector<Keycode> boundKeycodes() const;
    bool hasBindings() const { return !bound_.empty(); }
    // After the keycodes have been given back their original (empty) mapping.
    void forgetBindings();

private:
    KeycodeSet spare_;
    std::map<Keycode, Keysym> bound_;
    std::map<Keycode, std::uint64_t> lastUse_;
    std::uint64_t clock_ = 0;
};

} // namespace jk::platform::x11
