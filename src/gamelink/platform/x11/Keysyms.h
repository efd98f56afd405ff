#pragma once

// Keysym arithmetic for the X11 backend. No X11 headers here: unit tests use it as is.

#include "gamelink/platform/KeyAction.h"

#include <cstdint>

namespace jk::platform::x11 {

using Keysym = std::uint32_t;
inline constexpr Keysym NoKeysym = 0;

// The keysym that stands for a character: Latin-1 characters are their own keysyms, all others
// use the Unicode keysym range (0x01000000 + code point). Invalid code points give U+FFFD's.
Keysym keysymForCharacter(char32_t c);

// The keysym of a key named in a key string (XK_Return for Enter, XK_KP_Add for Add, ...).
Keysym keysymForNamedKey(NamedKey key);

// The character a keysym types, or 0: the inverse of keysymForCharacter, plus the legacy
// keysyms that layouts use for many scripts (Cyrillic_a, Greek_alpha, EuroSign, ...).
// Keypad, function and dead keysyms type no character of their own here.
char32_t characterForKeysym(Keysym keysym);

// What the keyboard has to produce for one key action.
struct WantedKey {
    char32_t character = 0; // non-zero: any key that types this character will do
    Keysym keysym = NoKeysym;
    std::uint8_t modifiers = NoModifier; // jk::platform::Modifier bits held around the key

    bool operator==(const WantedKey&) const = default;
};

// The key-string parser makes line breaks and tabs named keys and drops other control
// characters: text here is printable.
WantedKey wantedKeyFor(const KeyAction& action);

} // namespace jk::platform::x11
