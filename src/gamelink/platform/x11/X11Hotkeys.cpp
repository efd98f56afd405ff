#include "gamelink/platform/x11/X11Hotkeys.h"

#include "gamelink/platform/Log.h"
#include "gamelink/platform/x11/X11ErrorTrap.h"

#include <X11/keysym.h>

#include <algorithm>
#include <array>

namespace jk::platform::x11 {

namespace {

// Named keys from the toolkit's numbering (Qt::Key_Escape and on).
constexpr std::uint32_t NamedBase = 0x01000000;
constexpr std::uint32_t FirstFunction = 0x01000030; // F1
constexpr std::uint32_t FunctionKeys = 35;
constexpr std::array<std::pair<std::uint32_t, KeySym>, 18> Named{{
    {0x01000000, XK_Escape},
    {0x01000001, XK_Tab},
    {0x01000003, XK_BackSpace},
    {0x01000004, XK_Return},
    {0x01000005, XK_KP_Enter},
    {0x01000006, XK_Insert},
    {0x01000007, XK_Delete},
    {0x01000008, XK_Pause},
    {0x01000009, XK_Print},
    {0x0100000A, XK_Sys_Req},
    {0x01000010, XK_Home},
    {0x01000011, XK_End},
    {0x01000012, XK_Left},
    {0x01000013, XK_Up},
    {0x01000014, XK_Right},
    {0x01000015, XK_Down},
    {0x01000016, XK_Prior},
    {0x01000017, XK_Next},
}};

constexpr unsigned RelevantMods =
    ShiftMask | ControlMask | Mod1Mask | Mod2Mask | Mod3Mask | Mod4Mask | Mod5Mask;

} // namespace

KeySym keysymOfKey(std::uint32_t key) {
    if (key >= 'A' && key <= 'Z')
        return XK_a + (key - 'A');
    if ((key >= 0x20 && key <= 0x7E) || (key >= 0xA0 && key <= 0xFF))
        return key; // Latin-1 keysyms are their characters
    if (key >= FirstFunction && key < FirstFunction + FunctionKeys)
        return XK_F1 + (key - FirstFunction);
    if (key >= NamedBase)
        for (const auto& [code, keysym] : Named)
            if (code == key)
                return keysym;
    return NoSymbol;
}

X11Hotkeys::~X11Hotkeys() {
    if (connection_.display() == nullptr || connection_.lost())
        return;
    X11ErrorTrap trap(connection_.display());
    for (const auto& [id, g] : grabs_)
        ungrab(g);
}

bool X11Hotkeys::ready() {
    const bool usable = connection_.open().empty();
    if (usable && connection_.generation() != generation_) {
        // A new connection holds no grabs yet: the old ones went with the old server.
        generation_ = connection_.generation();
        grabs_.clear();
        down_.clear();
        // Only key events are read here, and only while keys are taken: keymap news would pile up.
        XkbSelectEvents(connection_.display(), XkbUseCoreKbd, XkbAllEventsMask, 0);
        Bool detectable = False;
        // Without it a held key reads as presses and releases, each a new press.
        XkbSetDetectableAutoRepeat(connection_.display(), True, &detectable);
        if (!detectable)
            log(LogLevel::Info, "This X server cannot tell held keys from repeated presses.");
    }
    return usable;
}

std::string X11Hotkeys::unavailableReason() {
    std::string reason = connection_.open();
    closeIfIdle();
    return reason;
}

void X11Hotkeys::closeIfIdle() {
    // Every client gets the keymap's news, which nobody reads while no key is taken.
    if (grabs_.empty())
        connection_.close();
}

X11Hotkeys::Modifiers X11Hotkeys::readModifiers() {
    Modifiers m;
    Display* d = connection_.display();
    XModifierKeymap* map = XGetModifierMapping(d);
    if (map == nullptr)
        return m;
    for (int mod = 0; mod < 8; ++mod) {
        for (int k = 0; k < map->max_keypermod; ++k) {
            const KeyCode code = map->modifiermap[mod * map->max_keypermod + k];
            if (code == 0)
                continue;
            m.keys[mod].push_back(code);
            const KeySym sym = XkbKeycodeToKeysym(d, code, 0, 0);
            const unsigned mask = 1U << mod;
            if (sym == XK_Num_Lock)
                m.numLock = mask;
            else if (sym == XK_Scroll_Lock)
                m.scrollLock = mask;
            else if ((sym == XK_Alt_L || sym == XK_Alt_R) && mod >= 3)
                m.alt = mask;
            else if ((sym == XK_Meta_L || sym == XK_Meta_R) && mod >= 3 && m.alt == 0)
                m.alt = mask;
            else if ((sym == XK_Super_L || sym == XK_Super_R) && mod >= 3)
                m.super = mask;
        }
    }
    XFreeModifiermap(map);
    return m;
}

std::vector<unsigned> X11Hotkeys::lockCombinations(const Modifiers& m) const {
    // Caps Lock, Num Lock and Scroll Lock each on or off: the key works in every state.
    const std::array<unsigned, 3> locks{LockMask, m.numLock, m.scrollLock};
    std::vector<unsigned> out;
    for (unsigned subset = 0; subset < 8; ++subset) {
        unsigned mask = 0;
        for (unsigned i = 0; i < 3; ++i)
            if (subset & (1U << i))
                mask |= locks[i];
        if (std::find(out.begin(), out.end(), mask) == out.end())
            out.push_back(mask);
    }
    return out;
}

std::string X11Hotkeys::grab(int id, const Hotkey& key) {
    std::string reason = take(id, key);
    closeIfIdle();
    return reason;
}

std::string X11Hotkeys::take(int id, const Hotkey& key) {
    release(id);
    if (!ready())
        return connection_.open();
    Display* d = connection_.display();
    const KeySym sym = keysymOfKey(key.key);
    const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(d, sym);
    if (code == 0)
        return "No key of this keyboard types it.";
    const Modifiers m = readModifiers();
    if (((key.modifiers & Hotkey::WithAlt) && m.alt == 0) ||
        ((key.modifiers & Hotkey::WithSuper) && m.super == 0))
        return "This keyboard has no such modifier key.";
    const Grab g{code, ((key.modifiers & Hotkey::WithShift) ? unsigned(ShiftMask) : 0U) |
                           ((key.modifiers & Hotkey::WithControl) ? unsigned(ControlMask) : 0U) |
                           ((key.modifiers & Hotkey::WithAlt) ? m.alt : 0U) |
                           ((key.modifiers & Hotkey::WithSuper) ? m.super : 0U)};
    int error = 0;
    {
        X11ErrorTrap trap(d);
        for (const unsigned locks : lockCombinations(m))
            XGrabKey(d, code, g.modifiers | locks, connection_.root(), True, GrabModeAsync,
                     GrabModeAsync);
        XSync(d, False);
        error = trap.lastError();
        if (error != 0)
            ungrab(g); // only our own grabs go; the other program keeps its own
    }
    std::string reason = connection_.lost()   ? connection_.open()
                         : error == BadAccess ? "Another program already holds this key."
                         : error != 0         ? "The X server refused the key."
                                              : "";
    if (reason.empty())
        grabs_[id] = g;
    return reason;
}

void X11Hotkeys::ungrab(const Grab& g) {
    for (const unsigned locks : lockCombinations(readModifiers()))
        XUngrabKey(connection_.display(), g.keycode, g.modifiers | locks, connection_.root());
}

void X11Hotkeys::release(int id) {
    const auto it = grabs_.find(id);
    if (it == grabs_.end())
        return;
    const Grab g = it->second;
    grabs_.erase(it);
    if (connection_.display() == nullptr || connection_.lost())
        return;
    {
        X11ErrorTrap trap(connection_.display());
        ungrab(g);
    }
    closeIfIdle();
}

int X11Hotkeys::eventSource() const {
    if (connection_.display() == nullptr || connection_.lost())
        return -1;
    return ConnectionNumber(connection_.display());
}

std::vector<int> X11Hotkeys::pressed() {
    std::vector<int> out;
    Display* d = connection_.display();
    if (d == nullptr || connection_.lost())
        return out;
    unsigned locks = 0;
    bool locksKnown = false;
    while (!connection_.lost() && XPending(d) > 0) {
        XEvent event;
        XNextEvent(d, &event);
        if (event.type == KeyRelease) {
            down_.erase(static_cast<KeyCode>(event.xkey.keycode));
            continue;
        }
        if (event.type != KeyPress)
            continue;
        const auto code = static_cast<KeyCode>(event.xkey.keycode);
        if (!down_.insert(code).second)
            continue; // the key repeats while held
        if (!locksKnown) {
            const Modifiers m = readModifiers();
            locks = LockMask | m.numLock | m.scrollLock;
            locksKnown = true;
        }
        const unsigned mods = event.xkey.state & RelevantMods & ~locks;
        for (const auto& [id, g] : grabs_)
            if (g.keycode == code && g.modifiers == mods)
                out.push_back(id);
    }
    return out;
}

unsigned X11Hotkeys::stillDown(const Hotkey& key) {
    if (!ready())
        return 0;
    const unsigned held = heldNow(key);
    closeIfIdle(); // once the error trap has gone
    return held;
}

unsigned X11Hotkeys::heldNow(const Hotkey& key) {
    Display* d = connection_.display();
    X11ErrorTrap trap(d);
    char keys[32] = {};
    XQueryKeymap(d, keys);
    auto isDown = [&](KeyCode code) {
        return (keys[code / 8] >> (code % 8)) & 1;
    };
    const Modifiers m = readModifiers();
    auto anyDown = [&](unsigned mask) {
        for (int mod = 0; mod < 8; ++mod)
            if (mask & (1U << mod))
                for (const KeyCode code : m.keys[mod])
                    if (isDown(code))
                        return true;
        return false;
    };
    unsigned held = 0;
    if (anyDown(ShiftMask))
        held |= Hotkey::WithShift;
    if (anyDown(ControlMask))
        held |= Hotkey::WithControl;
    if (anyDown(m.alt))
        held |= Hotkey::WithAlt;
    if (anyDown(m.super))
        held |= Hotkey::WithSuper;
    const KeySym sym = keysymOfKey(key.key);
    const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(d, sym);
    if (code != 0 && isDown(code))
        held |= Hotkey::KeyItself;
    return held;
}

} // namespace jk::platform::x11
