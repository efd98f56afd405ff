#pragma once

// Turns key actions into the key presses and releases that type them on a layout, with the
// spare-key bindings the characters off the layout need. No X11 headers here.

#include "gamelink/platform/KeyAction.h"
#include "gamelink/platform/x11/KeyboardLayout.h"
#include "gamelink/platform/x11/SpareKeys.h"

#include <vector>

namespace jk::platform::x11 {

struct KeyEvent {
    Keycode keycode = 0;
    bool press = false;

    bool operator==(const KeyEvent&) const = default;
};

struct Binding {
    Keycode keycode = 0;
    Keysym keysym = NoKeysym;

    bool operator==(const Binding&) const = default;
};

// Bind these keys, then send these events. A line needs more than one chunk only when it has
// more distinct characters off the layout than there are spare keys; every chunk ends with all
// modifiers released, and so does a NamedKey::GameReads action.
struct TypingChunk {
    std::vector<Binding> bindings;
    std::vector<KeyEvent> events;
    // Per key action planned here, in order, the count of events up to its last one.
    std::vector<std::size_t> keyEnds;
};

// Plans the whole line at once, so that all its bindings are in place before its first key.
// Records the new bindings in spares. Keys that neither the layout nor a spare key can type
// (there are no spare keys at all) are left out, their keysyms added to unplaced.
std::vector<TypingChunk> planTyping(const std::vector<KeyAction>& keys,
                                    const KeyboardLayout& layout, SpareKeys& spares,
                                    std::vector<Keysym>* unplaced = nullptr);

} // namespace jk::platform::x11
