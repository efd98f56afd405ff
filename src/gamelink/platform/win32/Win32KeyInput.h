#pragma once

// The SendInput events that type a line on Windows. Pulls in <windows.h>: include it only from
// the win32 backend's .cpp files.

#include "gamelink/platform/KeyAction.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace jk::platform::win32 {

// Characters on the layout go as the virtual key (and scan code) that produces them, with the
// modifiers it needs, so that the game sees real key-down events; all others as Unicode
// packets (KEYEVENTF_UNICODE), which need no layout. Named keys go as their virtual keys.
// Modifiers stay pressed from one key to the next while they are wanted.
class KeyInputs {
public:
    // A key with its modifiers (the bits of KeyAction) that must not be pressed: one of the
    // program's hotkeys, which would take the key instead of the game.
    using Stroke = std::pair<std::uint8_t, WORD>;

    explicit KeyInputs(HKL layout, std::set<Stroke> taken = {});

    void add(const KeyAction& action);
    // The events of the keys added since the last take.
    std::vector<INPUT> take();
    // take, with every modifier still pressed released at the end.
    std::vector<INPUT> finish();

private:
    struct LayoutKey {
        WORD code;
        std::uint8_t shiftState;
    };
    struct VirtualKey {
        WORD code = 0;
        bool extended = false; // arrows, Home, End, ... sit on the extended part of the keyboard
    };

    std::optional<LayoutKey> layoutKey(char32_t c) const;
    void key(WORD vk, bool up, bool extended);
    void unicode(WCHAR unit);
    void stroke(VirtualKey vk, std::uint8_t modifiers);
    void hold(std::uint8_t wanted);
    static VirtualKey virtualKeyFor(NamedKey key);

    HKL layout_;
    std::set<Stroke> taken_;
    bool capsLock_;
    std::vector<INPUT> inputs_;
    std::uint8_t held_ = 0;
};

} // namespace jk::platform::win32
