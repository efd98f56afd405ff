#pragma once

// Building key actions for typing tests and typing them into the peer.

#include "PeerProcess.h"
#include "gamelink/platform/Platform.h"

#include <QMetaType>

#include <string>
#include <vector>

using KeyActions = std::vector<jk::platform::KeyAction>;
Q_DECLARE_METATYPE(KeyActions)

namespace jk::e2e {

// Each character of the text as a key action of its own.
inline KeyActions textKeys(std::u32string_view text, std::uint8_t modifiers = 0) {
    KeyActions keys;
    for (char32_t c : text)
        keys.push_back(platform::KeyAction::text(c, modifiers));
    return keys;
}

inline KeyActions operator+(KeyActions a, const KeyActions& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// What the peer records for the Escape key, typed after each test line so that the test knows
// when the line has arrived in full.
inline constexpr std::string_view EndMarker = "<Escape>";

// Types the keys followed by Escape and returns what the peer recorded for them, marker
// stripped (the whole tail if the marker never came).
inline std::string typeAndRecord(platform::Platform& platform, const PeerProcess& peer,
                                 const KeyActions& keys, bool* typed = nullptr) {
    const std::size_t from = peer.recordSize();
    const bool ok =
        platform.type(keys + KeyActions{platform::KeyAction::named(platform::NamedKey::Escape)});
    if (typed != nullptr)
        *typed = ok;
    std::string got = peer.waitForText(from, EndMarker);
    if (got.ends_with(EndMarker))
        got.resize(got.size() - EndMarker.size());
    return got;
}

} // namespace jk::e2e
