#include "gamelink/platform/x11/SpareKeys.h"

#include <algorithm>

namespace jk::platform::x11 {

void SpareKeys::reconcile(const KeyboardLayout& layout, std::size_t limit) {
    for (auto it = bound_.begin(); it != bound_.end();) {
        if (layout.baseKeysym(it->first) != it->second) {
            lastUse_.erase(it->first);
            it = bound_.erase(it);
        } else {
            ++it;
        }
    }
    spare_.reset();
    for (const auto& [k, ks] : bound_)
        spare_.set(k);
    std::vector<Keycode> empty = layout.emptyKeycodes();
    std::sort(empty.begin(), empty.end());
    for (Keycode k : empty) {
        if (spare_.count() >= limit)
            break;
        spare_.set(k);
    }
}

std::optional<Keycode> SpareKeys::keycodeFor(Keysym keysym) const {
    for (const auto& [k, ks] : bound_) {
        if (ks == keysym)
            return k;
    }
    return std::nullopt;
}

std::optional<Keycode> SpareKeys::bind(Keysym keysym, const KeycodeSet& busy) {
    std::optional<Keycode> choice;
    // Unbound keys first, from the bottom (see the header).
    for (int k = 0; k < 256 && !choice; ++k) {
        const auto kc = static_cast<Keycode>(k);
        if (spare_.test(kc) && !busy.test(kc) && !bound_.contains(kc))
            choice = kc;
    }
    if (!choice) {
        std::uint64_t oldest = UINT64_MAX;
        for (const auto& [k, ks] : bound_) {
            const std::uint64_t used = lastUse_[k];
            if (!busy.test(k) && used < oldest) {
                oldest = used;
                choice = k;
            }
        }
    }
    if (!choice)
        return std::nullopt;
    bound_[*choice] = keysym;
    touch(*choice);
    return choice;
}

void SpareKeys::touch(Keycode keycode) {
    lastUse_[keycode] = ++clock_;
}

std::vector<Keycode> SpareKeys::boundKeycodes() const {
    std::vector<Keycode> keys;
    for (auto it = bound_.rbegin(); it != bound_.rend(); ++it)
        keys.push_back(it->first);
    return keys;
}

void SpareKeys::forgetBindings() {
    bound_.clear();
    lastUse_.clear();
}

} // namespace jk::platform::x11
