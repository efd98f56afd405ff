#include "phrasebook/TextSetStore.h"

#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsLayout.h"
#include "phrasebook/SettingsStore.h"
#include "phrasebook/StoredValue.h"

namespace jk {

namespace {

constexpr int GesturesOne = 21;
constexpr int GesturesTwo = 22;

QString defaultName(const PhraseBook& book, int n) {
    if (n == GesturesOne)
        return QStringLiteral("Gestures 1");
    if (n == GesturesTwo)
        return QStringLiteral("Gestures 2");
    return book.BuiltInSetName[n];
}

qint16 defaultStyle(int n, int e) {
    if (n == GesturesOne || n == GesturesTwo)
        return Gesture;
    return e < 19 ? Say : Emote;
}

QString defaultText(const PhraseBook& book, int n, int e) {
    if (n == 1)
        return book.BuiltInPhrase[e + 1];
    if (n == GesturesOne)
        return book.GestureWord[e + 1];
    if (n == GesturesTwo)
        return book.GestureWord[e + 25];
    return {};
}

} // namespace

void LoadTextSet(PhraseBook& book, const SettingsStore& store, int n) {
    Q_ASSERT(n >= 1 && n <= SetCount);
    const int s = n - 1;
    const QString section = layout::textSet(n);

    book.SetName[s] = store.read(layout::Settings, section, defaultName(book, n));
    book.Prefix = store.read(layout::Settings, layout::Prefix, QStringLiteral("Thou"));
    for (int v = 1; v <= VarCount; ++v)
        book.Vars[v - 1] = store.read(layout::Settings, layout::var(v), QString());
    book.GameWindowClasses = store.readList(layout::Settings, layout::GameWindowClasses);

    for (int e = 0; e < EntryCount; ++e) {
        const qint16 style = defaultStyle(n, e);
        // A value that cannot be converted counts as missing.
        book.EntryStyle[s][e] =
            stored::parseStyle(store.read(section, layout::style(e), QString::number(style)))
                .value_or(style);
        book.EntryLong[s][e] = store.read(section, layout::text(e), defaultText(book, n, e));
        book.EntryShort[s][e] = store.read(section, layout::shortLabel(e), book.EntryLong[s][e]);
        book.EntryEnter[s][e] =
            stored::parseInt16(store.read(section, layout::enter(e), QStringLiteral("1")))
                .value_or(1);
    }
}

void SaveTextSet(const PhraseBook& book, SettingsStore& store, int n) {
    Q_ASSERT(n >= 1 && n <= SetCount);
    const int s = n - 1;
    const QString section = layout::textSet(n);

    store.write(layout::Settings, section, book.SetName[s]);
    store.write(layout::Settings, layout::Prefix, book.Prefix);
    for (int v = 1; v <= VarCount; ++v)
        store.write(layout::Settings, layout::var(v), book.Vars[v - 1]);
    for (int e = 0; e < EntryCount; ++e) {
        store.write(section, layout::style(e), stored::formatStyle(book.EntryStyle[s][e]));
        store.write(section, layout::text(e), book.EntryLong[s][e]);
        store.write(section, layout::shortLabel(e), book.EntryShort[s][e]);
        store.write(section, layout::enter(e), QString::number(book.EntryEnter[s][e]));
    }
}

void LoadAllTextSets(PhraseBook& book, const SettingsStore& store) {
    for (int n = 1; n <= SetCount; ++n)
        LoadTextSet(book, store, n);
}

void SaveAllTextSets(const PhraseBook& book, SettingsStore& store) {
    for (int n = 1; n <= SetCount; ++n)
        SaveTextSet(book, store, n);
}

bool TextSetSaved(const PhraseBook& book, const SettingsStore& store, int n) {
    PhraseBook stored = book;
    LoadTextSet(stored, store, n);
    const int s = n - 1;
    return stored.SetName[s] == book.SetName[s] && stored.Prefix == book.Prefix &&
           stored.Vars == book.Vars && stored.EntryLong[s] == book.EntryLong[s] &&
           stored.EntryShort[s] == book.EntryShort[s] &&
           stored.EntryStyle[s] == book.EntryStyle[s] && stored.EntryEnter[s] == book.EntryEnter[s];
}

} // namespace jk
