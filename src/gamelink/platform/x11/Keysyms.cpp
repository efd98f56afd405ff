#include "gamelink/platform/x11/Keysyms.h"

#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace jk::platform::x11 {

namespace {

constexpr Keysym UnicodeKeysymBase = 0x01000000;
constexpr char32_t ReplacementCharacter = 0xFFFD;

bool isLatin1Keysym(Keysym ks) {
    return (ks >= 0x20 && ks <= 0x7E) || (ks >= 0xA0 && ks <= 0xFF);
}

bool isValidCodePoint(char32_t c) {
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

struct LegacyKeysym {
    Keysym keysym;
    char32_t character;
};

const std::vector<LegacyKeysym>& legacyKeysyms() {
    // Never destroyed: a backend held in a static object may still read layouts at exit.
    static const auto* table = [] {
        auto* t = new std::vector<LegacyKeysym>{
#include "KeysymUnicodeTable.inc"
        };
        std::stable_sort(t->begin(), t->end(), [](const LegacyKeysym& a, const LegacyKeysym& b) {
            return a.keysym < b.keysym;
        });
        return t;
    }();
    return *table;
}

} // namespace

Keysym keysymForCharacter(char32_t c) {
    if (!isValidCodePoint(c) || c == 0)
        c = ReplacementCharacter;
    if (isLatin1Keysym(c))
        return c;
    return UnicodeKeysymBase + c;
}

Keysym keysymForNamedKey(NamedKey key) {
    switch (key) {
    case NamedKey::None:
        return NoKeysym;
    case NamedKey::Backspace:
        return XK_BackSpace;
    case NamedKey::Break:
        return XK_Break;
    case NamedKey::CapsLock:
        return XK_Caps_Lock;
    case NamedKey::Delete:
        return XK_Delete;
    case NamedKey::Down:
        return XK_Down;
    case NamedKey::End:
        return XK_End;
    case NamedKey::Enter:
        return XK_Return;
    case NamedKey::Escape:
        return XK_Escape;
    case NamedKey::Help:
        return XK_Help;
    case NamedKey::Home:
        return XK_Home;
    case NamedKey::Insert:
        return XK_Insert;
    case NamedKey::Left:
        return XK_Left;
    case NamedKey::NumLock:
        return XK_Num_Lock;
    case NamedKey::PageDown:
        return XK_Next;
    case NamedKey::PageUp:
        return XK_Prior;
    case NamedKey::PrintScreen:
        return XK_Print;
    case NamedKey::Right:
        return XK_Right;
    case NamedKey::ScrollLock:
        return XK_Scroll_Lock;
    case NamedKey::Tab:
        return XK_Tab;
    case NamedKey::Up:
        return XK_Up;
    case NamedKey::F1:
        return XK_F1;
    case NamedKey::F2:
        return XK_F2;
    case NamedKey::F3:
        return XK_F3;
    case NamedKey::F4:
        return XK_F4;
    case NamedKey::F5:
        return XK_F5;
    case NamedKey::F6:
        return XK_F6;
    case NamedKey::F7:
        return XK_F7;
    case NamedKey::F8:
        return XK_F8;
    case NamedKey::F9:
        return XK_F9;
    case NamedKey::F10:
        return XK_F10;
    case NamedKey::F11:
        return XK_F11;
    case NamedKey::F12:
        return XK_F12;
    case NamedKey::F13:
        return XK_F13;
    case NamedKey::F14:
        return XK_F14;
    case NamedKey::F15:
        return XK_F15;
    case NamedKey::F16:
        return XK_F16;
    case NamedKey::Add:
        return XK_KP_Add;
    case NamedKey::Subtract:
        return XK_KP_Subtract;
    case NamedKey::Multiply:
        return XK_KP_Multiply;
    case NamedKey::Divide:
        return XK_KP_Divide;
    case NamedKey::GameReads:
        return NoKeysym;
    }
    return NoKeysym;
}

char32_t characterForKeysym(Keysym keysym) {
    if (isLatin1Keysym(keysym))
        return keysym;
    if (keysym >= UnicodeKeysymBase + 0x100 && keysym <= UnicodeKeysymBase + 0x10FFFF) {
        const char32_t c = keysym - UnicodeKeysymBase;
        return isValidCodePoint(c) ? c : 0;
    }
    const auto& table = legacyKeysyms();
    const auto it =
        std::lower_bound(table.begin(), table.end(), keysym,
                         [](const LegacyKeysym& entry, Keysym ks) { return entry.keysym < ks; });
    return it != table.end() && it->keysym == keysym ? it->character : 0;
}

WantedKey wantedKeyFor(const KeyAction& action) {
    if (action.key != NamedKey::None)
        return {0, keysymForNamedKey(action.key), action.modifiers};
    return {action.character, keysymForCharacter(action.character), action.modifiers};
}

} // namespace jk::platform::x11
