#include "gamelink/platform/x11/KeyboardLayout.h"

#include <bit>

namespace jk::platform::x11 {

namespace {

bool fewerModifiers(std::uint8_t a, std::uint8_t b) {
    const int ca = std::popcount(a);
    const int cb = std::popcount(b);
    return ca != cb ? ca < cb : a < b;
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
        else if (fewerModifiers(levelModifiers, it->second.levelModifiers))
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
