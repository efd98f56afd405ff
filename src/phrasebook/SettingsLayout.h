#pragma once

#include <QString>

// Names of the store's sections and keys.
namespace jk::layout {

inline const QString Settings = QStringLiteral("Settings");
inline const QString Prefix = QStringLiteral("Prefix");
inline const QString CurrentTextSet = QStringLiteral("CurrentTextSet");
inline const QString WindowSize = QStringLiteral("WindowSize");
inline const QString AlwaysOnTop = QStringLiteral("AlwaysOnTop");
inline const QString MainTop = QStringLiteral("MainTop");
inline const QString MainLeft = QStringLiteral("MainLeft");
inline const QString SmallTop = QStringLiteral("SmallTop");
inline const QString SmallLeft = QStringLiteral("SmallLeft");
inline const QString TinyTop = QStringLiteral("TinyTop");
inline const QString TinyLeft = QStringLiteral("TinyLeft");
// The player's own game window classes, tried after the built-in ones: a string list as
// QSettings writes one ("client.exe, cuo"); a single name is a plain value.
inline const QString GameWindowClasses = QStringLiteral("GameWindowClasses");

// Hotkeys, one key per action, each a key sequence in portable text ("Ctrl+Alt+1"); a missing
// key means none. Actions 0..23 send entry n+1's button, then the curse, next set, previous set.
inline constexpr int HotkeyCurse = 24;
inline constexpr int HotkeyNextSet = 25;
inline constexpr int HotkeyPreviousSet = 26;
inline constexpr int HotkeyActions = 27;
inline QString hotkey(int action) {
    return action == HotkeyCurse         ? QStringLiteral("Hotkey-Curse")
           : action == HotkeyNextSet     ? QStringLiteral("Hotkey-NextSet")
           : action == HotkeyPreviousSet ? QStringLiteral("Hotkey-PreviousSet")
                                         : QStringLiteral("Hotkey-Send%1").arg(action + 1);
}

// "TextSet7": the key of set 7's name in "Settings" and the name of its own section.
inline QString textSet(int setNumber) {
    return QStringLiteral("TextSet%1").arg(setNumber);
}
inline QString var(int number) {
    return QStringLiteral("Var%1").arg(number);
}
inline QString style(int entry) {
    return QStringLiteral("Style-%1").arg(entry);
}
inline QString text(int entry) {
    return QStringLiteral("Text--%1").arg(entry);
}
inline QString shortLabel(int entry) {
    return QStringLiteral("Short-%1").arg(entry);
}
inline QString enter(int entry) {
    return QStringLiteral("Enter-%1").arg(entry);
}

} // namespace jk::layout
