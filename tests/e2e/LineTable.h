#pragma once

// The lines that every end-to-end run of the whole program types into a stand-in game (the
// X11 one, the Win32 one under Wine, and jeerkit.exe's own run), and exactly what the game
// must receive for each.
//
//   for (const TableLine& line : lineTable()) { ... line.received ... }
//   writeLineTable(store);   // entry i of text set 1 is lineTable()[i]; the variables too
//
// Entry i is button i of set 1 (at most 24 rows). Columns: style (0 Say, 1 Emote, 2 Yell,
// 3 Whisper, 4 Gesture, other values none), Enter flag, the entry's text as the player writes
// it, what the game's record must hold afterwards (Enter as "\n"). Variables: LineVars.

#include "phrasebook/SettingsLayout.h"
#include "phrasebook/SettingsStore.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace jk::e2e {

struct TableLine {
    const char* name;
    int style;
    int enter;
    QString text;
    QString received;
};

// Var1, Var2, ...
inline const QStringList LineVars = {QStringLiteral("Bob"), QStringLiteral("(x)")};

inline QList<TableLine> lineTable() {
    // Printable ASCII: the key-string syntax characters braced, parentheses become brackets.
    QString plain;
    for (char c = 0x20; c < 0x7F; ++c) {
        if (!QByteArrayLiteral("+^%~{}()").contains(c))
            plain += QChar(c);
    }
    QString longText;
    for (int i = 0; longText.size() < 1000; ++i)
        longText += QString::fromUtf8("%1 déjà vu, Ж ж. ").arg(i);
    longText.truncate(1000);

    return {
        {"say, brackets, variable", 0, 1, "Hail (friend) <var1>!", "Hail [friend] Bob!\n"},
        {"emote", 1, 1, "bows", ": bows\n"},
        {"yell", 2, 1, "Help!", "! Help!\n"},
        {"whisper, variable", 3, 1, "psst <var2>", "; psst (x)\n"},
        {"gesture", 4, 1, "wave", "`wave\n"},
        {"no style", 7, 1, "{{}braces{}}", "{braces}\n"},
        {"no Enter", 0, 0, "no Enter here", "no Enter here"},
        {"Enter inside", 0, 1, QString::fromUtf8("5€ ~ `tick`"),
         QString::fromUtf8("5€ \n `tick`\n")},
        {"printable ASCII", 0, 1, plain + "{+}{^}{%}{~}{{}{}}()", plain + "+^%~{}[]\n"},
        {"accents", 0, 1, QString::fromUtf8("é ü ß € ñ Grüße, très café"),
         QString::fromUtf8("é ü ß € ñ Grüße, très café\n")},
        {"Cyrillic", 2, 1, QString::fromUtf8("Привет, мир! Ёё Щщ"),
         QString::fromUtf8("! Привет, мир! Ёё Щщ\n")},
        {"1,000 characters", 0, 1, longText, longText + "\n"},
        {"ends in a brace", 0, 1, "hello {", "hello {\n"},
    };
}

inline void writeLineTable(SettingsStore& store) {
    const QList<TableLine> lines = lineTable();
    for (int e = 0; e < lines.size(); ++e) {
        store.write(layout::textSet(1), layout::style(e), QString::number(lines[e].style));
        store.write(layout::textSet(1), layout::enter(e), QString::number(lines[e].enter));
        store.write(layout::textSet(1), layout::text(e), lines[e].text);
    }
    for (int v = 0; v < LineVars.size(); ++v)
        store.write(layout::Settings, layout::var(v + 1), LineVars[v]);
}

} // namespace jk::e2e
