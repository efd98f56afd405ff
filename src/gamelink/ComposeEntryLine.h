#pragma once

#include "phrasebook/PhraseBook.h"

#include <QString>

#include <array>

namespace jk {

// Bounds that keep composing finite when variables refer to one another.
struct ComposeLimits {
    static constexpr int MaxExpansions = 1024;
    static constexpr qsizetype MaxGrowth = 65536; // characters added by expansion
};

// The keystroke line of one entry: chat prefix, text, optional {ENTER}, parentheses to
// brackets, <var1>..<var6> expanded.
QString ComposeEntryLine(qint16 style, qint16 enter, const QString& longText,
                         const std::array<QString, VarCount>& vars);

} // namespace jk
