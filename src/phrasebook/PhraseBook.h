#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace jk {

inline constexpr int SetCount = 30;
inline constexpr int EntryCount = 24;
inline constexpr int VarCount = 6;
inline constexpr int GestureWordCount = 48;

// Speech style codes: the position of the item in every style box.
enum SpeechStyle : qint16 { Say = 0, Emote = 1, Yell = 2, Whisper = 3, Gesture = 4 };

template <typename T>
using EntryTable = std::array<std::array<T, EntryCount>, SetCount>;

// The whole working data of the program: 30 text sets of 24 entries, the shared prefix and
// variables, and the built-in defaults. One instance lives as long as the program; everyone
// who needs it gets it by reference. Tables are indexed by set index (0..29) and entry
// index (0..23); the built-in tables keep their 1-based numbering (slot 0 unused).
struct PhraseBook {
    bool AlwaysOnTop = false;
    std::array<QString, SetCount> SetName;
    std::array<QString, SetCount + 1> BuiltInSetName; // by set number 1..30
    EntryTable<QString> EntryShort;
    EntryTable<QString> EntryLong;
    EntryTable<qint16> EntryStyle{};
    EntryTable<qint16> EntryEnter{};
    std::array<QString, GestureWordCount + 1> GestureWord; // 1..48
    std::array<QString, EntryCount + 1> BuiltInPhrase;     // 1..24
    qint16 CurrentTextSet = 0;
    bool Loading = false;

    // The curse prefix and the six variables are shared by all sets; the main window's
    // boxes are bound to these values.
    QString Prefix;
    std::array<QString, VarCount> Vars;
    // The player's own game window classes, tried after the built-in ones.
    QStringList GameWindowClasses;

    // Entry writes go to the current set; they are only valid while it names a set.
    bool hasCurrentSet() const { return isSetIndex(CurrentTextSet); }
    static bool isSetIndex(int index) { return index >= 0 && index < SetCount; }
    static bool isEntryIndex(int index) { return index >= 0 && index < EntryCount; }
};

} // namespace jk
