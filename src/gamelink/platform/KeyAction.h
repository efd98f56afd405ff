#pragma once

#include <cstdint>

namespace jk::platform {

// Keys that key strings name in braces ({ENTER}, {LEFT}, {F5}, ...).
enum class NamedKey : std::uint8_t {
    None,
    Backspace,
    Break,
    CapsLock,
    Delete,
    Down,
    End,
    Enter,
    Escape,
    Help,
    Home,
    Insert,
    Left,
    NumLock,
    PageDown,
    PageUp,
    PrintScreen,
    Right,
    ScrollLock,
    Tab,
    Up,
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12,
    F13,
    F14,
    F15,
    F16,
    Add,
    Subtract,
    Multiply,
    Divide,
    // Not a key: typing waits here until the game has read every key before it. Put in by the
    // game link only, never by a key string.
    GameReads,
};

enum Modifier : std::uint8_t {
    NoModifier = 0,
    Shift = 1,
    Control = 2,
    Alt = 4,
};

// One key stroke: a character (typed as the character itself, with whatever the keyboard
// needs to produce it) or a named key, with modifiers held around it.
struct KeyAction {
    char32_t character = 0; // used when key is None
    NamedKey key = NamedKey::None;
    std::uint8_t modifiers = NoModifier;

    static KeyAction text(char32_t c, std::uint8_t mods = NoModifier) {
        return {c, NamedKey::None, mods};
    }
    static KeyAction named(NamedKey k, std::uint8_t mods = NoModifier) { return {0, k, mods}; }
    bool operator==(const KeyAction&) const = default;
};

} // namespace jk::platform
