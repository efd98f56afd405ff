#include "gamelink/platform/win32/Win32Hotkeys.h"

#include <array>
#include <cstdint>
#include <utility>

namespace jk::platform::win32 {

namespace {

// The virtual key of a key as the toolkit numbers it (see Hotkey::key); 0 if unknown.
UINT virtualKeyOf(std::uint32_t key) {
    constexpr std::uint32_t FirstFunction = 0x01000030; // F1
    constexpr std::array<std::pair<std::uint32_t, UINT>, 17> named{{
        {0x01000000, VK_ESCAPE},
        {0x01000001, VK_TAB},
        {0x01000003, VK_BACK},
        {0x01000004, VK_RETURN},
        {0x01000005, VK_RETURN},
        {0x01000006, VK_INSERT},
        {0x01000007, VK_DELETE},
        {0x01000008, VK_PAUSE},
        {0x01000009, VK_SNAPSHOT},
        {0x01000010, VK_HOME},
        {0x01000011, VK_END},
        {0x01000012, VK_LEFT},
        {0x01000013, VK_UP},
        {0x01000014, VK_RIGHT},
        {0x01000015, VK_DOWN},
        {0x01000016, VK_PRIOR},
        {0x01000017, VK_NEXT},
    }};
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') || key == ' ')
        return key; // their virtual keys are their characters
    if (key >= FirstFunction && key < FirstFunction + 24)
        return VK_F1 + (key - FirstFunction);
    for (const auto& [code, vk] : named)
        if (code == key)
            return vk;
    if (key > 0x20 && key <= 0xFF) {
        const SHORT scan = VkKeyScanW(static_cast<WCHAR>(key));
        return scan == -1 ? 0 : static_cast<UINT>(scan & 0xFF);
    }
    return 0;
}

} // namespace

Win32Hotkeys::~Win32Hotkeys() {
    for (const auto& [id, vk] : keys_)
        UnregisterHotKey(window_, id);
    if (window_ != nullptr)
        DestroyWindow(window_);
}

std::string Win32Hotkeys::grab(int id, const Hotkey& key) {
    release(id);
    if (!ready())
        return "Windows refused a window for the program's keys.";
    const UINT vk = virtualKeyOf(key.key);
    if (vk == 0)
        return "No key of this keyboard types it.";
    const UINT mods = MOD_NOREPEAT | ((key.modifiers & Hotkey::WithShift) ? MOD_SHIFT : 0U) |
                      ((key.modifiers & Hotkey::WithControl) ? MOD_CONTROL : 0U) |
                      ((key.modifiers & Hotkey::WithAlt) ? MOD_ALT : 0U) |
                      ((key.modifiers & Hotkey::WithSuper) ? MOD_WIN : 0U);
    if (!RegisterHotKey(window_, id, mods, vk)) {
        return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED
                   ? "Another program already holds this key."
                   : "Windows refused the key.";
    }
    keys_[id] = vk;
    // A hotkey with the Windows key never meets the typing, which does not press it.
    if ((key.modifiers & Hotkey::WithSuper) == 0)
        strokes_[id] = {static_cast<std::uint8_t>(
                            ((key.modifiers & Hotkey::WithShift) ? Shift : NoModifier) |
                            ((key.modifiers & Hotkey::WithControl) ? Control : NoModifier) |
                            ((key.modifiers & Hotkey::WithAlt) ? Alt : NoModifier)),
                        static_cast<WORD>(vk)};
    return {};
}

std::set<KeyInputs::Stroke> Win32Hotkeys::strokes() const {
    std::set<KeyInputs::Stroke> all;
    for (const auto& [id, stroke] : strokes_)
        all.insert(stroke);
    return all;
}

void Win32Hotkeys::release(int id) {
    latched_.erase(id);
    seenUp_.erase(id);
    strokes_.erase(id);
    if (keys_.erase(id) > 0)
        UnregisterHotKey(window_, id);
}

std::vector<int> Win32Hotkeys::pressed() {
    for (auto id = latched_.begin(); id != latched_.end();) {
        const auto key = keys_.find(*id);
        if (key == keys_.end() || (GetAsyncKeyState(int(key->second)) & 0x8000) == 0) {
            seenUp_[*id] = GetTickCount();
            id = latched_.erase(id);
        } else {
            ++id;
        }
    }
    return std::exchange(pressed_, {});
}

unsigned Win32Hotkeys::stillDown(const Hotkey& key) {
    auto down = [](int vk) {
        return (GetAsyncKeyState(vk) & 0x8000) != 0;
    };
    const UINT vk = virtualKeyOf(key.key);
    return (down(VK_SHIFT) ? Hotkey::WithShift : 0U) |
           (down(VK_CONTROL) ? Hotkey::WithControl : 0U) | (down(VK_MENU) ? Hotkey::WithAlt : 0U) |
           (down(VK_LWIN) || down(VK_RWIN) ? Hotkey::WithSuper : 0U) |
           (vk != 0 && down(int(vk)) ? Hotkey::KeyItself : 0U);
}

bool Win32Hotkeys::ready() {
    if (window_ != nullptr)
        return true;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW type{};
    type.lpfnWndProc = &Win32Hotkeys::onMessage;
    type.hInstance = instance;
    type.lpszClassName = L"JeerkitHotkeys";
    RegisterClassW(&type); // fails harmlessly once registered
    window_ = CreateWindowExW(0, type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              instance, nullptr);
    if (window_ != nullptr)
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return window_ != nullptr;
}

LRESULT CALLBACK Win32Hotkeys::onMessage(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_HOTKEY) {
        auto* self = reinterpret_cast<Win32Hotkeys*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr)
            self->fired(static_cast<int>(w));
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

// Wine ignores MOD_NOREPEAT (as Windows Vista did) and sends one for every auto-repeat:
// a key not seen let go of since it last fired is still the same press, and so is one
// posted before the key was seen up, still in the queue behind the look.
void Win32Hotkeys::fired(int id) {
    const auto up = seenUp_.find(id);
    const bool queuedBefore =
        up != seenUp_.end() && LONG(DWORD(GetMessageTime()) - up->second) <= 0;
    if (!queuedBefore && latched_.insert(id).second)
        pressed_.push_back(id);
}

} // namespace jk::platform::win32
