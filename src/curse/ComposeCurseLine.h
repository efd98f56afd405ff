#pragma once

#include <QString>

namespace jk {

class RandomSource;

// prefix + " " + adjective + " " + compound + " " + noun + "!{ENTER}", drawing the three
// words in that order.
QString ComposeCurseLine(const QString& prefix, RandomSource& random);

// floor(value * count), kept inside 0..count-1 whatever rounding does.
int DrawIndex(float value, int count);

} // namespace jk
