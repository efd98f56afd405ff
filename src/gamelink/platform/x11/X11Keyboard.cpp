#include "gamelink/platform/x11/X11Keyboard.h"

#include "gamelink/platform/Log.h"
#include "gamelink/platform/x11/SpareKeyRecord.h"
#include "gamelink/platform/x11/X11ClientBarrier.h"
#include "gamelink/platform/x11/X11ErrorTrap.h"
#include "gamelink/platform/x11/X11Properties.h"
#include "gamelink/platform/x11/X11WindowControl.h"

#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <chrono>
#include <optional>

namespace jk::platform::x11 {

namespace {

// The group a key uses when the keyboard is in `group`: keys with fewer groups wrap, clamp or
// redirect as their map says.
int groupOfKey(XkbDescPtr xkb, KeyCode keycode, int group) {
    const int groups = XkbKeyNumGroups(xkb, keycode);
    if (groups <= 0)
        return -1;
    if (group < groups)
        return group;
    const unsigned char info = XkbKeyGroupInfo(xkb, keycode);
    switch (XkbOutOfRangeGroupAction(info)) {
    case XkbRedirectIntoRange: {
        const int g = XkbOutOfRangeGroupNumber(info);
        return g < groups ? g : 0;
    }
    case XkbClampIntoRange:
        return groups - 1;
    default:
        return group % groups;
    }
}

// The real modifiers that select this level of the key type, the fewest that will do among the
// allowed ones; nothing if the level cannot be reached with them.
std::optional<unsigned> levelMask(const XkbKeyTypeRec& type, int level, unsigned allowed) {
    if (level == 0)
        return 0U;
    std::optional<unsigned> best;
    for (int i = 0; i < type.map_count; ++i) {
        const XkbKTMapEntryRec& entry = type.map[i];
        const unsigned mask = entry.mods.mask;
        if (!entry.active || entry.level != level || (mask & ~allowed) != 0)
            continue;
        if (!best || std::popcount(mask) < std::popcount(*best))
            best = mask;
    }
    return best;
}

bool hasSymbols(XkbDescPtr xkb, KeyCode keycode) {
    const int count = XkbKeyNumSyms(xkb, keycode);
    for (int i = 0; i < count; ++i) {
        if (XkbKeySymEntry(xkb, keycode, i, 0) != NoSymbol)
            return true;
    }
    return false;
}

KeyboardLayout buildLayout(XkbDescPtr xkb, int group) {
    KeyboardLayout layout;
    ModifierKeycodes modifiers;
    unsigned levelThreeMask = 0;
    const unsigned char* modmap = xkb->map->modmap;

    for (int k = xkb->min_key_code; k <= xkb->max_key_code; ++k) {
        const auto keycode = static_cast<KeyCode>(k);
        const int g = groupOfKey(xkb, keycode, group);
        if (g < 0 || modmap == nullptr || modmap[k] == 0)
            continue;
        const KeySym ks = XkbKeySymEntry(xkb, keycode, 0, g);
        const unsigned mods = modmap[k];
        auto take = [&](Keycode& slot, unsigned mask) {
            if (slot == 0 && (mods & mask) != 0)
                slot = keycode;
        };
        if (ks == XK_Shift_L || ks == XK_Shift_R)
            take(modifiers.shift, ShiftMask);
        else if (ks == XK_Control_L || ks == XK_Control_R)
            take(modifiers.control, ControlMask);
        else if (ks == XK_Alt_L || ks == XK_Alt_R || ks == XK_Meta_L || ks == XK_Meta_R)
            take(modifiers.alt, Mod1Mask);
        else if (ks == XK_ISO_Level3_Shift && modifiers.levelThree == 0) {
            modifiers.levelThree = keycode;
            levelThreeMask = mods;
        }
    }
    layout.setModifierKeycodes(modifiers);

    const unsigned allowed = (modifiers.shift != 0 ? ShiftMask : 0U) | levelThreeMask;
    for (int k = xkb->min_key_code; k <= xkb->max_key_code; ++k) {
        const auto keycode = static_cast<KeyCode>(k);
        if (!hasSymbols(xkb, keycode)) {
            if (modmap == nullptr || modmap[k] == 0)
                layout.addEmptyKeycode(keycode);
            continue;
        }
        const int g = groupOfKey(xkb, keycode, group);
        const XkbKeyTypeRec* type = XkbKeyKeyType(xkb, keycode, g);
        const int width = XkbKeyGroupWidth(xkb, keycode, g);
        for (int level = 0; level < std::min<int>(type->num_levels, width); ++level) {
            const KeySym ks = XkbKeySymEntry(xkb, keycode, level, g);
            const auto mask = ks != NoSymbol ? levelMask(*type, level, allowed) : std::nullopt;
            if (!mask)
                continue;
            std::uint8_t bits = 0;
            if (*mask & ShiftMask)
                bits |= LevelShift;
            if (*mask & levelThreeMask)
                bits |= LevelThree;
            layout.addLevel(keycode, bits, static_cast<Keysym>(ks));
        }
    }
    return layout;
}

// Whether the key holds what this program binds a spare key to: one group of the two-level
// type with keysym on both levels, and no modifier. Real keys of a layout never look like that.
bool isSpareBinding(XkbDescPtr xkb, unsigned long keycode, unsigned long keysym) {
    if (xkb == nullptr || keycode < xkb->min_key_code || keycode > xkb->max_key_code ||
        keysym == NoSymbol)
        return false;
    const auto key = static_cast<KeyCode>(keycode);
    if ((xkb->map->modmap != nullptr && xkb->map->modmap[key] != 0) ||
        XkbKeyNumGroups(xkb, key) != 1 || XkbKeyKeyTypeIndex(xkb, key, 0) != XkbTwoLevelIndex ||
        XkbKeyGroupWidth(xkb, key, 0) != 2)
        return false;
    return XkbKeySymEntry(xkb, key, 0, 0) == keysym && XkbKeySymEntry(xkb, key, 1, 0) == keysym;
}

} // namespace

std::optional<XkbStateRec> X11Keyboard::syncLayout() {
    Display* display = connection_.display();
    // Keymap changes since last time: another layout, or our own bindings.
    while (!connection_.lost() && XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == connection_.xkbEventType() || event.type == MappingNotify)
            stale_ = true;
    }
    XkbStateRec state{};
    if (connection_.lost() || XkbGetState(display, XkbUseCoreKbd, &state) != Success)
        return std::nullopt;
    if (stale_ || !desc_ || state.group != group_)
        refreshLayout(state.group);
    if (!desc_)
        return std::nullopt;
    return state;
}

bool X11Keyboard::focusedClientIsWine() {
    const std::optional<Window> client = focusedClient(connection_);
    const auto names = client ? windowClassOf(connection_.display(), *client) : std::nullopt;
    auto isExe = [](std::string name) {
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return name.size() > 4 && name.ends_with(".exe");
    };
    return names && (isExe(names->windowClass) || isExe(names->instance));
}

void X11Keyboard::wakeKeymapFollowing() {
    // A Wine program starts following keymap changes only once it has handled a key event:
    // a binding made before that is never seen, and its character is lost. A lone Shift tap
    // types nothing; the client's answer tells that it has handled it before anything is bound.
    const Keycode shift = layout_.modifierKeycodes().shift;
    if (shift == 0)
        return;
    Display* display = connection_.display();
    XTestFakeKeyEvent(display, shift, True, CurrentTime);
    XTestFakeKeyEvent(display, shift, False, CurrentTime);
    if (waitForFocusedClient(connection_, std::chrono::milliseconds(1000),
                             std::chrono::milliseconds(50), TypingIdle{})
            .keymapChanged)
        stale_ = true;
}

void X11Keyboard::refreshLayout(int group) {
    if (stale_ || !desc_) {
        desc_.reset(XkbGetMap(connection_.display(),
                              XkbKeyTypesMask | XkbKeySymsMask | XkbModifierMapMask,
                              XkbUseCoreKbd));
        stale_ = false;
    }
    if (!desc_ || desc_->map == nullptr) {
        desc_.reset();
        return;
    }
    layout_ = buildLayout(desc_.get(), group);
    group_ = group;
    spares_.reconcile(layout_, spareLimit_);
}

bool X11Keyboard::applyBindings(const std::vector<Binding>& bindings) {
    std::vector<std::pair<Keycode, Keysym>> keys;
    for (const Binding& b : bindings)
        keys.emplace_back(b.keycode, b.keysym);
    return changeSpareKeys(keys);
}

bool X11Keyboard::changeSpareKeys(const std::vector<std::pair<Keycode, Keysym>>& keys) {
    XkbDescPtr xkb = desc_.get();
    if (keys.empty())
        return true;
    if (xkb == nullptr || connection_.lost())
        return false;
    // One request for all keys: every keymap change makes each client (window managers above
    // all, which grab their shortcuts anew) reread the keymap.
    XkbMapChangesRec changes{};
    int first = 255;
    int last = 0;
    for (const auto& [keycode, keysym] : keys) {
        if (keysym == NoKeysym) {
            // Back to no symbols at all, as the key was.
            if (XkbChangeTypesOfKey(xkb, keycode, 0, XkbGroup1Mask, nullptr, &changes) != Success)
                continue;
        } else {
            // The same keysym on both levels, so that Shift changes nothing: a single level
            // would let a capital be read as the shifted form of its small letter.
            int types[XkbNumKbdGroups] = {XkbTwoLevelIndex};
            if (XkbChangeTypesOfKey(xkb, keycode, 1, XkbGroup1Mask, types, &changes) != Success)
                continue;
            KeySym* syms = XkbResizeKeySyms(xkb, keycode, 2);
            if (syms == nullptr)
                continue;
            syms[0] = keysym;
            syms[1] = keysym;
        }
        first = std::min<int>(first, keycode);
        last = std::max<int>(last, keycode);
    }
    if (first > last)
        return false;
    changes.changed = XkbKeySymsMask;
    changes.first_key_sym = static_cast<KeyCode>(first);
    changes.num_key_syms = static_cast<unsigned char>(last - first + 1);
    stale_ = true;
    if (!xkbRefused_) {
        X11ErrorTrap trap(connection_.display());
        XkbChangeMap(connection_.display(), xkb, &changes);
        if (connection_.lost())
            return false;
        // XWayland refuses XKB keymap changes on its keyboards, which follow the compositor's
        // keymap, but takes the core request, which gives the keys the same two levels.
        xkbRefused_ = trap.errors() > 0;
    }
    if (xkbRefused_ && !changeCoreMapping(keys))
        return false;
    recordBindings(keys);
    return true;
}

bool X11Keyboard::changeCoreMapping(std::vector<std::pair<Keycode, Keysym>> keys) {
    Display* display = connection_.display();
    std::sort(keys.begin(), keys.end());
    X11ErrorTrap trap(display);
    // One request per run of neighbouring keycodes: a core request sets every key in its range.
    for (std::size_t from = 0; from < keys.size();) {
        std::size_t to = from + 1;
        while (to < keys.size() && keys[to].first == keys[to - 1].first + 1)
            ++to;
        std::vector<KeySym> syms;
        for (std::size_t k = from; k < to; ++k)
            syms.insert(syms.end(), 2, keys[k].second == NoKeysym ? NoSymbol : keys[k].second);
        XChangeKeyboardMapping(display, keys[from].first, 2, syms.data(), int(to - from));
        from = to;
    }
    return trap.errors() == 0 && !connection_.lost();
}

void X11Keyboard::recordBindings(const std::vector<std::pair<Keycode, Keysym>>& keys) {
    Display* display = connection_.display();
    for (const auto& [keycode, keysym] : keys) {
        if (keysym == NoKeysym)
            recorded_.erase(keycode);
        else
            recorded_[keycode] = keysym;
    }
    if (owner_ == None && !recorded_.empty())
        owner_ = XCreateWindow(display, connection_.root(), -1, -1, 1, 1, 0, CopyFromParent,
                               InputOnly, CopyFromParent, 0, nullptr);
    // Another program's entries stay as they are.
    const SpareKeyRecord record(DisplayString(display));
    std::vector<SpareKeyRecord::Entry> entries;
    for (const SpareKeyRecord::Entry& e : record.read()) {
        if (e.owner != owner_)
            entries.push_back(e);
    }
    for (const auto& [keycode, keysym] : recorded_)
        entries.push_back({owner_, keycode, keysym});
    // Makes sure the owner exists on the server before the record names it.
    XSync(display, False);
    if (!record.write(entries))
        log(LogLevel::Warning, "The note of bound spare keys could not be written to \"" +
                                   record.path() + "\": a killed Jeerkit leaves them bound.");
}

void X11Keyboard::repairLeftovers() {
    Display* display = connection_.display();
    const SpareKeyRecord record(DisplayString(display));
    const std::vector<SpareKeyRecord::Entry> old = record.read();
    if (old.empty() || !syncLayout())
        return;
    std::vector<SpareKeyRecord::Entry> alive;
    std::vector<std::pair<Keycode, Keysym>> repair;
    for (const SpareKeyRecord::Entry& e : old) {
        if (queryTree(display, e.owner)) {
            alive.push_back(e);
            continue;
        }
        // Only a key exactly as this program binds one, and not rebound by anyone since: the
        // record may be of another X server, or older than the keymap.
        if (isSpareBinding(desc_.get(), e.keycode, e.keysym))
            repair.emplace_back(static_cast<Keycode>(e.keycode), NoKeysym);
    }
    changeSpareKeys(repair);
    record.write(alive);
    XSync(display, False);
}

void X11Keyboard::release() {
    if (!spares_.hasBindings() || connection_.lost())
        return;
    // The last line's keys may still wait in the client's queue: it reads each key with the
    // keymap of the moment it handles it. (A longer wait would freeze the windows when the
    // focused client is this program's own box, which cannot answer while it waits.)
    waitForFocusedClient(connection_, std::chrono::milliseconds(1000),
                         std::chrono::milliseconds(100), {});
    // Sends whole ranges of keys: only ever from a keymap that is current.
    if (syncLayout() && spares_.hasBindings())
        unbindSpareKeys();
    spares_.forgetBindings();
    stale_ = true;
    XSync(connection_.display(), False);
}

void X11Keyboard::unbindSpareKeys() {
    std::vector<std::pair<Keycode, Keysym>> keys;
    for (Keycode k : spares_.boundKeycodes())
        keys.emplace_back(k, NoKeysym);
    changeSpareKeys(keys);
    spares_.forgetBindings();
}

void X11Keyboard::forget() {
    recorded_.clear();
    owner_ = None;
    xkbRefused_ = false;
    desc_.reset();
    stale_ = true;
    group_ = -1;
    layout_ = KeyboardLayout();
    spares_ = SpareKeys();
}

} // namespace jk::platform::x11
