#pragma once

#include <QStringList>

namespace jk {

// The three built-in word lists of the curse line, in index order.
const QStringList& CurseAdjectives();
const QStringList& CurseCompounds();
const QStringList& CurseNouns();

} // namespace jk
