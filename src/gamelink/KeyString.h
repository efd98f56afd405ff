#pragma once

#include "gamelink/platform/KeyAction.h"

#include <QStringView>

#include <vector>

namespace jk {

// Repeat counts ({LEFT 42}) above this are not a repeat: the braces are typed as written.
inline constexpr int MaxKeyRepeat = 1000;

// Reads a line in the SendKeys key-string syntax. Never fails: every piece that is not
// well formed is typed as the characters it consists of.
std::vector<platform::KeyAction> ParseKeyString(QStringView line);

} // namespace jk
