#include "KeyText.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdio>
#include <vector>

namespace jk::peer {

namespace {

struct Lookup {
    std::string text;
    KeySym keysym = NoSymbol;
};

void appendUtf8(std::string& out, unsigned long c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

Lookup lookUp(XIC ic, XKeyEvent& event) {
    Lookup result;
    if (ic != nullptr) {
        std::vector<char> buffer(64);
        Status status = 0;
        int n = Xutf8LookupString(ic, &event, buffer.data(), static_cast<int>(buffer.size()),
                                  &result.keysym, &status);
        if (status == XBufferOverflow) {
            buffer.resize(static_cast<std::size_t>(n) + 1);
            n = Xutf8LookupString(ic, &event, buffer.data(), static_cast<int>(buffer.size()),
                                  &result.keysym, &status);
        }
        if (status == XLookupChars || status == XLookupBoth)
            result.text.assign(buffer.data(), static_cast<std::size_t>(n));
        if (status != XLookupKeySym && status != XLookupBoth)
            result.keysym = NoSymbol;
        return result;
    }
    // Without an input method: Latin-1 and Unicode keysyms are their characters.
    char latin[8];
    XLookupString(&event, latin, sizeof latin, &result.keysym, nullptr);
    const KeySym ks = result.keysym;
    if ((ks >= 0x20 && ks <= 0x7E) || (ks >= 0xA0 && ks <= 0xFF))
        appendUtf8(result.text, ks);
    else if (ks >= 0x01000100 && ks <= 0x0110FFFF)
        appendUtf8(result.text, ks - 0x01000000);
    return result;
}

bool isModifierKey(KeySym ks) {
    switch (ks) {
    case XK_Shift_L:
    case XK_Shift_R:
    case XK_Control_L:
    case XK_Control_R:
    case XK_Alt_L:
    case XK_Alt_R:
    case XK_Meta_L:
    case XK_Meta_R:
    case XK_Super_L:
    case XK_Super_R:
    case XK_Hyper_L:
    case XK_Hyper_R:
    case XK_ISO_Level3_Shift:
    case XK_ISO_Level5_Shift:
    case XK_Mode_switch:
        return true;
    default:
        return false;
    }
}

bool isPrintable(const std::string& text) {
    if (text.empty())
        return false;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

std::string keysymName(KeySym ks, unsigned int keycode) {
    if (ks != NoSymbol) {
        if (const char* name = XKeysymToString(ks))
            return name;
        char hex[32];
        std::snprintf(hex, sizeof hex, "0x%lx", ks);
        return hex;
    }
    return "keycode " + std::to_string(keycode);
}

} // namespace

std::string keyText(XIC ic, XKeyEvent event) {
    const unsigned int held = event.state & (ControlMask | Mod1Mask);
    // The key as it would be without Control and Alt, so that Control+a reads "a", not U+0001.
    XKeyEvent plain = event;
    plain.state &= ~(ControlMask | Mod1Mask);
    const Lookup key = lookUp(ic, plain);
    const KeySym ks = key.keysym;
    if (isModifierKey(ks))
        return {};

    const bool keypad = IsKeypadKey(ks) && ks != XK_KP_Enter;
    const bool text = isPrintable(key.text) && !keypad;
    if (held != 0) {
        std::string token = "<";
        if (held & ControlMask)
            token += "C-";
        if (held & Mod1Mask)
            token += "A-";
        return token + (text ? key.text : keysymName(ks, event.keycode)) + ">";
    }
    if (ks == XK_Return || ks == XK_KP_Enter)
        return "\n";
    if (text)
        return key.text;
    const std::string shift = (event.state & ShiftMask) ? "S-" : "";
    return "<" + shift + keysymName(ks, event.keycode) + ">";
}

} // namespace jk::peer
