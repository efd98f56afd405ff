#pragma once

namespace jk {

struct PhraseBook;

// Fills the built-in set names, the stock phrases of set 1 and the gesture words: the
// defaults that a first run (or any missing key) falls back on.
void LoadBuiltIns(PhraseBook& book);

} // namespace jk
