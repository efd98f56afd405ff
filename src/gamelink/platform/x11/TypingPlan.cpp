#include "gamelink/platform/x11/TypingPlan.h"

#include <array>
#include <optional>

namespace jk::platform::x11 {

namespace {

// Modifier keys the plan holds, in the order they are pressed (released in reverse).
enum HeldBit : std::uint8_t { HeldShift = 1, HeldControl = 2, HeldAlt = 4, HeldLevelThree = 8 };
constexpr std::array<HeldBit, 4> PressOrder = {HeldShift, HeldControl, HeldAlt, HeldLevelThree};

class Planner {
public:
    Planner(const KeyboardLayout& layout, SpareKeys& spares, std::vector<Keysym>* unplaced)
        : layout_(layout)
        , spares_(spares)
        , unplaced_(unplaced) {
        chunks_.emplace_back();
    }

    void add(const KeyAction& action) {
        // Nothing is held while the game reads the chat mode.
        if (action.key == NamedKey::GameReads)
            holdOnly(0);
        else
            stroke(action);
        chunk().keyEnds.push_back(chunk().events.size());
    }

    std::vector<TypingChunk> finish() {
        holdOnly(0);
        return std::move(chunks_);
    }

private:
    TypingChunk& chunk() { return chunks_.back(); }

    void stroke(const KeyAction& action) {
        const WantedKey wanted = wantedKeyFor(action);
        const std::optional<Stroke> stroke = strokeFor(wanted);
        if (!stroke)
            return;
        holdOnly(heldFor(wanted.modifiers, stroke->levelModifiers));
        chunk().events.push_back({stroke->keycode, true});
        chunk().events.push_back({stroke->keycode, false});
    }

    std::optional<Stroke> strokeFor(const WantedKey& wanted) {
        if (auto bound = spares_.keycodeFor(wanted.keysym))
            return useSpare(*bound);
        const auto onLayout = wanted.character != 0 ? layout_.findCharacter(wanted.character)
                                                    : layout_.findKeysym(wanted.keysym);
        if (onLayout && !spares_.isSpare(onLayout->keycode))
            return onLayout;

        auto fresh = spares_.bind(wanted.keysym, busy_);
        if (!fresh) {
            // Every spare key is taken by this chunk: finish it and re-bind in the next one.
            holdOnly(0);
            chunks_.emplace_back();
            busy_.reset();
            fresh = spares_.bind(wanted.keysym, busy_);
            if (!fresh) { // no spare keys at all
                if (unplaced_)
                    unplaced_->push_back(wanted.keysym);
                return std::nullopt;
            }
        }
        chunk().bindings.push_back({*fresh, wanted.keysym});
        return useSpare(*fresh);
    }

    Stroke useSpare(Keycode keycode) {
        spares_.touch(keycode);
        busy_.set(keycode);
        return Stroke{keycode, 0};
    }

    std::uint8_t heldFor(std::uint8_t modifiers, std::uint8_t levelModifiers) const {
        std::uint8_t held = 0;
        if ((modifiers & Shift) || (levelModifiers & LevelShift))
            held |= HeldShift;
        if (modifiers & Control)
            held |= HeldControl;
        if (modifiers & Alt)
            held |= HeldAlt;
        if (levelModifiers & LevelThree)
            held |= HeldLevelThree;
        return held;
    }

    Keycode keycodeOf(HeldBit bit) const {
        const ModifierKeycodes& keys = layout_.modifierKeycodes();
        switch (bit) {
        case HeldShift:
            return keys.shift;
        case HeldControl:
            return keys.control;
        case HeldAlt:
            return keys.alt;
        case HeldLevelThree:
            return keys.levelThree;
        }
        return 0;
    }

    // Releases the held modifiers not in wanted, then presses the missing ones. Modifiers the
    // layout has no key for are left out.
    void holdOnly(std::uint8_t wanted) {
        for (auto it = PressOrder.rbegin(); it != PressOrder.rend(); ++it) {
            if ((held_ & *it) && !(wanted & *it)) {
                chunk().events.push_back({keycodeOf(*it), false});
                held_ = static_cast<std::uint8_t>(held_ & ~*it);
            }
        }
        for (HeldBit bit : PressOrder) {
            const Keycode key = keycodeOf(bit);
            if ((wanted & bit) && !(held_ & bit) && key != 0) {
                chunk().events.push_back({key, true});
                held_ = static_cast<std::uint8_t>(held_ | bit);
            }
        }
    }

    const KeyboardLayout& layout_;
    SpareKeys& spares_;
    std::vector<Keysym>* unplaced_;
    std::vector<TypingChunk> chunks_;
    KeycodeSet busy_; // spare keys this chunk types with
    std::uint8_t held_ = 0;
};

} // namespace

std::vector<TypingChunk> planTyping(const std::vector<KeyAction>& keys,
                                    const KeyboardLayout& layout, SpareKeys& spares,
                                    std::vector<Keysym>* unplaced) {
    Planner planner(layout, spares, unplaced);
    for (const KeyAction& k : keys)
        planner.add(k);
    return planner.finish();
}

} // namespace jk::platform::x11
