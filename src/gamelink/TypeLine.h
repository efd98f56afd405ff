#pragma once

// The one way a line is typed on every platform: in slices, each followed by a look at the
// focus and at the program's own events, the chat mode read by the game before the rest goes,
// and every key let go of at the end. The backends only carry out the steps (KeySession).

#include "gamelink/platform/Platform.h"

#include <cstddef>
#include <vector>

namespace jk {

// Key actions sent between two looks at the focus: about a millisecond of a display's work, and
// the most that can reach another window when the focus moves mid-line.
inline constexpr std::size_t SliceKeys = 100;

// Types keys into target (0: into whatever has the focus, with no focus check) while it holds
// the focus. idle runs between slices and during waits; false stops the line. An Enter is only
// ever sent after a focus check that follows every key before it, so a window that took the
// focus mid-line never gets one.
platform::TypingResult typeLine(platform::Platform& platform, platform::WindowId target,
                                const std::vector<platform::KeyAction>& keys,
                                const platform::TypingIdle& idle = {});

// Types keys into whatever has the focus; whether every key went out.
inline bool typeAll(platform::Platform& platform, const std::vector<platform::KeyAction>& keys) {
    return typeLine(platform, 0, keys).end == platform::TypingResult::End::Whole;
}
} // namespace jk
