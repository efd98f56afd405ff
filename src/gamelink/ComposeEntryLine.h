#pragma once

#include "phrasebook/PhraseBook.h"

#include <QString>

#include <array>

namespace jk {

// Variables that fan out into one another can ask for more text than anyone could type; a
// placeholder whose text would make the line longer than the entry's own text plus this many
// characters stays as written. A variable that comes back to itself (a cycle) stays as
// written where it comes back.
struct ComposeLimits {
    static constexpr qsizetype MaxGrowth = 1'000'000;
};

// The keystroke line of one entry: chat prefix, text, optional {ENTER}, parentheses to
// brackets, <var1>..<var6> expanded.
QString ComposeEntryLine(qint16 style, qint16 enter, const QString& longText,
                         const std::array<QString, VarCount>& vars);

} // namespace jk
