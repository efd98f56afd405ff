#pragma once

namespace jk {

struct PhraseBook;
class SettingsStore;

// Reads set number n (1..30) with built-in defaults for whatever is missing, plus the
// prefix and the six variables: 104 reads.
void LoadTextSet(PhraseBook& book, const SettingsStore& store, int n);
// Writes set number n, the prefix and the six variables: 104 writes (not yet flushed).
void SaveTextSet(const PhraseBook& book, SettingsStore& store, int n);
// The same for every set, 1 to 30 in order.
void LoadAllTextSets(PhraseBook& book, const SettingsStore& store);
void SaveAllTextSets(const PhraseBook& book, SettingsStore& store);
// Whether the store gives back set n, the prefix and the variables as the book holds them.
bool TextSetSaved(const PhraseBook& book, const SettingsStore& store, int n);

} // namespace jk
