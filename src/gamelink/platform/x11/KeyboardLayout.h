#pragma once

// Which key and which level modifiers type each keysym on the keyboard's current layout.
// No X11 headers here: X11Keyboard fills it from the server's Xkb map, unit tests by hand.

#include "gamelink/platform/x11/Keysyms.h"

#include <array>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace jk::platform::x11 {

using Keycode = std::uint8_t;

// Modifiers that pick a key's level (not those a key string asks for).
enum LevelModifier : std::uint8_t {
    LevelShift = 1,
    LevelThree = 2, // AltGr on most layouts (ISO_Level3_Shift)
};

struct Stroke {
    Keycode keycode = 0;
    std::uint8_t levelModifiers = 0; // LevelModifier bits

    bool operator==(const Stroke&) const = default;
};

// The keys to hold for modifiers; 0 where the layout has none.
struct ModifierKeycodes {
    Keycode shift = 0;
    Keycode control = 0;
    Keycode alt = 0;
    Keycode levelThree = 0;

    bool operator==(const ModifierKeycodes&) const = default;
};

class KeyboardLayout {
public:
    // The key types keysym when levelModifiers are held. Where several keys or levels give the
    // same keysym, the one needing the fewest modifiers wins, then the one added first.
    void addLevel(Keycode keycode, std::uint8_t levelModifiers, Keysym keysym);
    // A keycode without any keysym or modifier: free to be bound for characters off the layout.
    void addEmptyKeycode(Keycode keycode);
    void setModifierKeycodes(const ModifierKeycodes& keys) { modifiers_ = keys; }

    std::optional<Stroke> findKeysym(Keysym keysym) const;
    std::optional<Stroke> findCharacter(char32_t c) const;
    // The keysym the key types without modifiers; NoKeysym if none.
    Keysym baseKeysym(Keycode keycode) const { return base_[keycode]; }
    const std::vector<Keycode>& emptyKeycodes() const { return empty_; }
    const ModifierKeycodes& modifierKeycodes() const { return modifiers_; }

private:
    std::unordered_map<Keysym, Stroke> byKeysym_;
    std::unordered_map<char32_t, Stroke> byCharacter_;
    std::array<Keysym, 256> base_{};
    std::vector<Keycode> empty_;
    ModifierKeycodes modifiers_;
};

} // namespace jk::platform::x11
