#include "curse/ComposeCurseLine.h"

#include "curse/CurseWords.h"
#include "curse/RandomSource.h"

#include <cmath>

namespace jk {

int DrawIndex(float value, int count) {
    if (!(value >= 0.0f)) // also catches NaN
        return 0;
    // In double the product of a value below 1 stays below count, but keep the bound
    // explicit: an index of `count` would read past the list.
    const int index = static_cast<int>(std::floor(double(value) * count));
    return index < count ? index : count - 1;
}

QString ComposeCurseLine(const QString& prefix, RandomSource& random) {
    const QStringList& adjectives = CurseAdjectives();
    const QStringList& compounds = CurseCompounds();
    const QStringList& nouns = CurseNouns();
    const QString& adjective = adjectives[DrawIndex(random.next(), int(adjectives.size()))];
    const QString& compound = compounds[DrawIndex(random.next(), int(compounds.size()))];
    const QString& noun = nouns[DrawIndex(random.next(), int(nouns.size()))];
    return prefix + u' ' + adjective + u' ' + compound + u' ' + noun + QStringLiteral("!{ENTER}");
}

} // namespace jk
