#pragma once

#include "phrasebook/PhraseBook.h"

#include <QString>

#include <array>

namespace jk {

// Variables that fan out into one another can ask for more text than anyone could type; a
// placeholder whose text would make the line longer than the entry's own text plus this many
// characters stays as written. A variable that comes back to itself for ever (a cycle) stays
// as written where it comes back, and the rest of the line with it.
struct ComposeLimits {
    static constexpr qsizetype MaxGrowth = 1'000'000;
    // An expansion whose result depends on the text before it is carried out step by step;
    // past this many such steps in one line the rest stays as written. Some of them end only
    // after twice as many steps for every token start before them, so without this no bound
    // on time would hold.
    static constexpr qsizetype MaxSteps = 1 << 16;
};

// The keystroke line of one entry: chat prefix, text, optional {ENTER}, parentheses to
// brackets, <var1>..<var6> expanded.
QString ComposeEntryLine(qint16 style, qint16 enter, const QString& longText,
                         const std::array<QString, VarCount>& vars);

} // namespace jk
