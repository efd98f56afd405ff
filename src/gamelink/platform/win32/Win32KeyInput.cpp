#include "gamelink/platform/win32/Win32KeyInput.h"

#include <utility>

#include <array>
#include <optional>

namespace jk::platform::win32 {

namespace {

// Modifiers in the bit order of KeyAction and of VkKeyScan's shift state: 1 Shift, 2 Control,
// 4 Alt.
constexpr std::array<WORD, 3> ModifierKeys = {VK_SHIFT, VK_CONTROL, VK_MENU};

} // namespace

KeyInputs::VirtualKey KeyInputs::virtualKeyFor(NamedKey key) {
    switch (key) {
    case NamedKey::None:
        return {};
    case NamedKey::Backspace:
        return {VK_BACK, false};
    case NamedKey::Break:
        return {VK_CANCEL, true};
    case NamedKey::CapsLock:
        return {VK_CAPITAL, false};
    case NamedKey::Delete:
        return {VK_DELETE, true};
    case NamedKey::Down:
        return {VK_DOWN, true};
    case NamedKey::End:
        return {VK_END, true};
    case NamedKey::Enter:
        return {VK_RETURN, false};
    case NamedKey::Escape:
        return {VK_ESCAPE, false};
    case NamedKey::Help:
        return {VK_HELP, false};
    case NamedKey::Home:
        return {VK_HOME, true};
    case NamedKey::Insert:
        return {VK_INSERT, true};
    case NamedKey::Left:
        return {VK_LEFT, true};
    case NamedKey::NumLock:
        return {VK_NUMLOCK, true};
    case NamedKey::PageDown:
        return {VK_NEXT, true};
    case NamedKey::PageUp:
        return {VK_PRIOR, true};
    case NamedKey::PrintScreen:
        return {VK_SNAPSHOT, true};
    case NamedKey::Right:
        return {VK_RIGHT, true};
    case NamedKey::ScrollLock:
        return {VK_SCROLL, false};
    case NamedKey::Tab:
        return {VK_TAB, false};
    case NamedKey::Up:
        return {VK_UP, true};
    case NamedKey::F1:
    case NamedKey::F2:
    case NamedKey::F3:
    case NamedKey::F4:
    case NamedKey::F5:
    case NamedKey::F6:
    case NamedKey::F7:
    case NamedKey::F8:
    case NamedKey::F9:
    case NamedKey::F10:
    case NamedKey::F11:
    case NamedKey::F12:
    case NamedKey::F13:
    case NamedKey::F14:
    case NamedKey::F15:
    case NamedKey::F16:
        return {static_cast<WORD>(VK_F1 + (static_cast<int>(key) - static_cast<int>(NamedKey::F1))),
                false};
    case NamedKey::Add:
        return {VK_ADD, false};
    case NamedKey::Subtract:
        return {VK_SUBTRACT, false};
    case NamedKey::Multiply:
        return {VK_MULTIPLY, false};
    case NamedKey::Divide:
        return {VK_DIVIDE, true};
    case NamedKey::GameReads:
        return {};
    }
    return {};
}

KeyInputs::KeyInputs(HKL layout, std::set<Stroke> taken)
    : layout_(layout)
    , taken_(std::move(taken))
    , capsLock_((GetKeyState(VK_CAPITAL) & 1) != 0) {}

void KeyInputs::add(const KeyAction& action) {
    // Nothing is held while the game reads the chat mode.
    if (action.key == NamedKey::GameReads) {
        hold(NoModifier);
        return;
    }
    if (action.key != NamedKey::None) {
        const VirtualKey vk = virtualKeyFor(action.key);
        if (vk.code != 0)
            stroke(vk, action.modifiers);
        return;
    }
    // The key-string parser makes line breaks and tabs named keys and drops other control
    // characters, so text is printable and valid here.
    const char32_t c = action.character;
    const std::uint8_t modifiers = action.modifiers;
    if (const auto key = layoutKey(c)) {
        auto shiftState = key->shiftState;
        // With Caps Lock on, Shift gives the small letter; combinations keep their keys.
        if (capsLock_ && modifiers == NoModifier && key->code >= 'A' && key->code <= 'Z')
            shiftState ^= Shift;
        const auto held = static_cast<std::uint8_t>(modifiers | shiftState);
        // A hotkey's stroke (AltGr is Control+Alt: "@" on a German layout) would fire the
        // hotkey; the character goes as Unicode instead.
        if (!taken_.contains({held, key->code})) {
            stroke({key->code, false}, held);
            return;
        }
    }
    hold(modifiers);
    if (c >= 0x10000) {
        const char32_t v = c - 0x10000;
        unicode(static_cast<WCHAR>(0xD800 + (v >> 10)));
        unicode(static_cast<WCHAR>(0xDC00 + (v & 0x3FF)));
    } else {
        unicode(static_cast<WCHAR>(c));
    }
}

std::vector<INPUT> KeyInputs::take() {
    std::vector<INPUT> out;
    out.swap(inputs_);
    return out;
}

std::vector<INPUT> KeyInputs::finish() {
    hold(NoModifier);
    return take();
}

// The key (and Shift, Control, Alt) that types c on the active layout, so that games
// reading key-down events see the key a player would press. None for characters off the
// layout, on dead keys (they would combine with the next character) or needing other
// shift states (Kana, ...): those go as Unicode packets.
std::optional<KeyInputs::LayoutKey> KeyInputs::layoutKey(char32_t c) const {
    if (c > 0xFFFF)
        return std::nullopt;
    const SHORT scan = VkKeyScanExW(static_cast<WCHAR>(c), layout_);
    if (scan == -1 || (scan & 0xF800) != 0)
        return std::nullopt;
    const auto code = static_cast<WORD>(scan & 0xFF);
    if (MapVirtualKeyExW(code, MAPVK_VK_TO_CHAR, layout_) & 0x80000000U)
        return std::nullopt;
    return LayoutKey{code, static_cast<std::uint8_t>((scan >> 8) & 0x07)};
}

void KeyInputs::key(WORD vk, bool up, bool extended) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC, layout_));
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    inputs_.push_back(in);
}

void KeyInputs::unicode(WCHAR unit) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wScan = unit;
    in.ki.dwFlags = KEYEVENTF_UNICODE;
    inputs_.push_back(in);
    in.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    inputs_.push_back(in);
}

void KeyInputs::stroke(VirtualKey vk, std::uint8_t modifiers) {
    hold(modifiers);
    key(vk.code, false, vk.extended);
    key(vk.code, true, vk.extended);
}

// Releases the held modifiers not wanted, then presses the missing ones.
void KeyInputs::hold(std::uint8_t wanted) {
    for (int i = static_cast<int>(ModifierKeys.size()) - 1; i >= 0; --i) {
        const auto bit = static_cast<std::uint8_t>(1U << i);
        if ((held_ & bit) && !(wanted & bit))
            key(ModifierKeys[static_cast<std::size_t>(i)], true, false);
    }
    for (std::size_t i = 0; i < ModifierKeys.size(); ++i) {
        const auto bit = static_cast<std::uint8_t>(1U << i);
        if ((wanted & bit) && !(held_ & bit))
            key(ModifierKeys[i], false, false);
    }
    held_ = static_cast<std::uint8_t>(wanted & 0x07);
}

} // namespace jk::platform::win32
