#include "gamelink/platform/x11/KeyboardLayout.h"

#include <bit>

namespace jk::platform::x11 {

namespace {

// Of two keys giving the same keysym, the lower keycode is the main keyboard's (the higher
// ones are extra keys such as a keypad's parentheses, which Wine may leave without a virtual
// key and so without a character); on one key, the level with fewer modifiers.
bool better(const Stroke& a, const Stroke& b) {
    if (a.keycode != b.keycode)
        return a.keycode < b.keycode;
    const int ca = std::popcount(a.levelModifiers);
    const int cb = std::popcount(b.levelModifiers);
    return ca != cb ? ca < cb : a.levelModifiers < b.levelModifiers;
}

template <typename Map, typename Key>
std::optional<Stroke> lookup(const Map& map, Key key) {
    const auto it = map.find(key);
    if (it == map.end())
        return std::nullopt;
    return it->second;
}

} // namespace

void KeyboardLayout::addLevel(Keycode keycode, std::uint8_t levelModifiers, Keysym keysym) {
    if (keysym == NoKeysym)
        return;
    const Stroke stroke{keycode, levelModifiers};
    if (levelModifiers == 0 && base_[keycode] == NoKeysym)
        base_[keycode] = keysym;

    auto update = [&](auto& map, auto key) {
        auto it = map.find(key);
        if (it == map.end())
            map.emplace(key, stroke);
        else if (better(stroke, it->second))
            it->second = stroke;
    };
    update(byKeysym_, keysym);
    if (const char32_t c = characterForKeysym(keysym))
        update(byCharacter_, c);
}

void KeyboardLayout::addEmptyKeycode(Keycode keycode) {
    empty_.push_back(keycode);
}

std::optional<Stroke> KeyboardLayout::findKeysym(Keysym keysym) const {
    return lookup(byKeysym_, keysym);
}

std::optional<Stroke> KeyboardLayout::findCharacter(char32_t c) const {
    return lookup(byCharacter_, c);
}

} // namespace jk::platform::x11
