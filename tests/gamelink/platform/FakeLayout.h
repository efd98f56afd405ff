#pragma once

// A small keyboard for planning tests, and a reader of plans that plays them on it the way a
// client would: it applies each chunk's bindings, follows the held modifiers and reports what
// every key press types.

#include "gamelink/platform/x11/TypingPlan.h"

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace jk::test {

using namespace jk::platform::x11;

inline constexpr Keycode ShiftKey = 50;
inline constexpr Keycode ControlKey = 37;
inline constexpr Keycode AltKey = 64;
inline constexpr Keycode LevelThreeKey = 92;
inline constexpr Keycode ReturnKey = 36;
inline constexpr Keycode LeftKey = 113;

struct FakeKeyboard {
    KeyboardLayout layout;
    // (keycode, level modifiers) -> keysym, as the layout was filled.
    std::map<std::pair<Keycode, std::uint8_t>, Keysym> levels;

    void add(Keycode k, std::uint8_t mods, Keysym ks) {
        layout.addLevel(k, mods, ks);
        levels[{k, mods}] = ks;
    }
};

// A US-like layout with AltGr (level 3) and `spares` empty keycodes from 200 up.
inline FakeKeyboard usLikeKeyboard(int spares, bool withAlt = true) {
    FakeKeyboard kb;
    const std::string lower = "qwertyuiopasdfghjklzxcvbnm";
    for (std::size_t i = 0; i < lower.size(); ++i) {
        const auto k = static_cast<Keycode>(10 + i);
        kb.add(k, 0, Keysym(lower[i]));
        kb.add(k, LevelShift, Keysym(lower[i] - 'a' + 'A'));
    }
    const std::string digits = "1234567890";
    const std::string shifted = "!@#$%^&*()";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const auto k = static_cast<Keycode>(40 + i);
        kb.add(k, 0, Keysym(digits[i]));
        kb.add(k, LevelShift, Keysym(shifted[i]));
    }
    kb.add(65, 0, Keysym(' '));
    kb.add(ReturnKey, 0, 0xFF0D);
    kb.add(LeftKey, 0, 0xFF51);
    kb.add(23, 0, 0xFF09);                     // Tab
    kb.add(10, LevelThree, 0xE6);              // AltGr+q: æ
    kb.add(11, LevelThree, 0x20AC);            // AltGr+w: EuroSign, a legacy keysym
    kb.add(11, LevelShift | LevelThree, 0xA2); // AltGr+Shift+w: ¢
    kb.add(70, 0, 0xFE50);                     // dead_grave
    kb.add(ShiftKey, 0, 0xFFE1);
    kb.add(ControlKey, 0, 0xFFE3);
    if (withAlt)
        kb.add(AltKey, 0, 0xFFE9);
    kb.add(LevelThreeKey, 0, 0xFE03);
    for (int i = 0; i < spares; ++i)
        kb.layout.addEmptyKeycode(static_cast<Keycode>(200 + i));
    kb.layout.setModifierKeycodes(
        ModifierKeycodes{ShiftKey, ControlKey, withAlt ? AltKey : Keycode(0), LevelThreeKey});
    return kb;
}

// One key press as the client sees it.
struct Typed {
    Keysym keysym = NoKeysym;
    bool control = false;
    bool alt = false;

    bool operator==(const Typed&) const = default;
};

struct Playback {
    std::vector<Typed> typed;
    std::string problem; // empty if the plan played cleanly
};

inline Playback play(const FakeKeyboard& kb, const std::vector<TypingChunk>& chunks,
                     std::map<Keycode, Keysym>& bound) {
    Playback result;
    const std::set<Keycode> modifierKeys = {ShiftKey, ControlKey, AltKey, LevelThreeKey};
    for (std::size_t c = 0; c < chunks.size(); ++c) {
        std::set<Keycode> bindingKeys;
        for (const Binding& b : chunks[c].bindings) {
            if (!bindingKeys.insert(b.keycode).second)
                result.problem = "a key bound twice in one chunk";
            bound[b.keycode] = b.keysym;
        }
        std::set<Keycode> down;
        for (const KeyEvent& e : chunks[c].events) {
            if (e.press) {
                if (!down.insert(e.keycode).second)
                    result.problem = "a key pressed twice";
                if (modifierKeys.contains(e.keycode))
                    continue;
                std::uint8_t level = 0;
                if (down.contains(ShiftKey))
                    level |= LevelShift;
                if (down.contains(LevelThreeKey))
                    level |= LevelThree;
                Typed t;
                t.control = down.contains(ControlKey);
                t.alt = down.contains(AltKey);
                if (auto b = bound.find(e.keycode); b != bound.end()) {
                    t.keysym = b->second; // bound on both levels
                } else if (auto l = kb.levels.find({e.keycode, level}); l != kb.levels.end()) {
                    t.keysym = l->second;
                } else {
                    result.problem = "key " + std::to_string(e.keycode) + " at level " +
                                     std::to_string(level) + " types nothing";
                }
                result.typed.push_back(t);
            } else if (down.erase(e.keycode) == 0) {
                result.problem = "a key released that was not down";
            }
        }
        if (!down.empty())
            result.problem = "keys still down at the end of chunk " + std::to_string(c);
    }
    return result;
}

} // namespace jk::test
