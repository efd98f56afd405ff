#include "gamelink/TypeLine.h"

#include <algorithm>

namespace jk {

using platform::KeyAction;
using platform::NamedKey;
using platform::TypingResult;
using platform::WaitEnd;
using End = TypingResult::End;

namespace {

bool isEnter(const KeyAction& key) {
    return key.key == NamedKey::Enter;
}

bool isWait(const KeyAction& key) {
    return key.key == NamedKey::GameReads;
}

// The end of the slice that starts at `first`: at most SliceKeys keys, ending with a wait for
// the game and before an Enter, which starts a slice of its own.
std::size_t sliceEnd(const std::vector<KeyAction>& keys, std::size_t first) {
    const std::size_t last = std::min(keys.size(), first + SliceKeys);
    for (std::size_t i = first; i < last; ++i) {
        if (isWait(keys[i]))
            return i + 1;
        if (i > first && isEnter(keys[i]))
            return i;
    }
    return last;
}

End endOf(WaitEnd wait) {
    switch (wait) {
    case WaitEnd::Done:
        return End::Whole;
    case WaitEnd::Stopped:
        return End::Stopped;
    case WaitEnd::Failed:
        return End::Failed;
    }
    return End::Failed;
}

} // namespace

TypingResult typeLine(platform::Platform& platform, platform::WindowId target,
                      const std::vector<KeyAction>& keys, const platform::TypingIdle& idle) {
    const std::unique_ptr<platform::KeySession> session = platform.beginLine(target, keys);
    if (!session)
        return {End::Failed, 0, {}};
    TypingResult result;
    // After a wait: the target still has the focus, and the program has handled its events.
    auto carryOn = [&](WaitEnd waited) {
        result.end = endOf(waited);
        if (result.end == End::Whole && !session->targetHasFocus())
            result.end = End::FocusLost;
        if (result.end == End::Whole && idle && !idle())
            result.end = End::Stopped;
        return result.end == End::Whole;
    };

    bool settled = carryOn(WaitEnd::Done);
    bool stalled = false; // the last send sent nothing
    for (std::size_t i = 0; settled && i < keys.size();) {
        const std::optional<std::size_t> sent = session->send(i, sliceEnd(keys, i));
        // A backend that can send nothing even right after a settle never will.
        if (!sent || (*sent == 0 && stalled)) {
            result.end = End::Failed;
            break;
        }
        stalled = *sent == 0;
        result.keysTyped +=
            std::size_t(std::count_if(keys.begin() + long(i), keys.begin() + long(i + *sent),
                                      [](const KeyAction& k) { return !isWait(k); }));
        i += *sent;
        if (i == keys.size()) {
            // Typed whole, and waited for until handled: only a failing display changes that.
            if (session->settle(idle) == WaitEnd::Failed)
                result.end = End::Failed;
        } else if (*sent > 0 && isWait(keys[i - 1])) {
            // The chat mode must be read before the text that follows it arrives.
            settled = carryOn(session->finishRound(idle));
        } else {
            settled = carryOn(session->settle(idle));
        }
    }
    if (!session->end(result.end == End::Whole) && result.end == End::Whole)
        result.end = End::Failed;
    if (result.end == End::Failed)
        result.problem = session->problem();
    return result;
}

} // namespace jk
