#pragma once

// Keycodes without keysyms that the backend binds to characters off the layout. Bindings are
// kept across lines (a client looks a keycode up when it handles the key, so changing a binding
// right after typing garbles the keys still in its queue) and undone only on release.
// No X11 headers here: the X side applies what this decides.
//
// The lowest empty keycodes are bound first, and for a Windows program under Wine only the
// lowest few are used at all. Wine gives each keycode whose keysym it does not know a virtual
// key of its own from a small pool, in keycode order, every time the keymap changes; keycodes
// past the pool's end get none, and their characters never reach the Windows program. Low
// keycodes come before the many vendor keys of common keymaps.

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
    // Spare keys used at most at one time for a program under Wine, and for anyone else.
    static constexpr std::size_t WineSpareKeys = 4;
    static constexpr std::size_t AllSpareKeys = 256;

    // Takes the layout's lowest `limit` empty keycodes as the free spare keys. Bindings that the
    // layout no longer shows are forgotten: someone else has loaded a keymap over them.
    void reconcile(const KeyboardLayout& layout, std::size_t limit = AllSpareKeys);

    std::optional<Keycode> keycodeFor(Keysym keysym) const;
    bool isSpare(Keycode keycode) const { return spare_.test(keycode); }
    std::size_t spareCount() const { return spare_.count(); }

    // Binds keysym to a spare key that is not busy: an unbound one if there is one (the lowest),
    // otherwise the one used longest ago. Nothing when every spare key is busy.
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
