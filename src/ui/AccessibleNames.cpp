#include "ui/AccessibleNames.h"

#include "phrasebook/PhraseBook.h"
#include "ui/ControlBuilder.h"

#include <QWidget>

namespace jk::accessible {

namespace {

// Longer phrases are cut at a word in the name; the description holds them whole.
constexpr int NameLength = 40;

// Controls by table name; "%n" is the entry or variable number (index + 1).
struct Naming {
    const char* control;
    int count; // elements of the array; 0: no array
    const char* name;
    const char* description;
};

constexpr Naming Namings[] = {
    {"Command1", 0, "Curse !", "Types a random insult into the game"},
    {"Command3", 0, nullptr, "Shows the next window size in place of this window"},
    {"Command4", 0, nullptr, "Shows the about box"},
    {"ComboTextSet", 0, "Text set", "The text set whose phrases the window shows and sends"},
    {"CheckAlwaysOnTop", 0, nullptr, "Keeps Jeerkit's window above the game"},
    {"Prefix", 0, "Curse prefix", "The word every curse starts with"},
    {"TextVar", 6, "Variable %n", "Fills <var%n> in the phrases"},
    {"TextLong", EntryCount, "Phrase %n", "The text that send button %n types"},
    {"TextShort", EntryCount, "Short label %n", "Shown beside send button %n in the small window"},
    {"ComboSay", EntryCount, "Speech style of phrase %n", "Say, emote, yell, whisper or gesture"},
    {"CheckEnter", EntryCount, "Send phrase %n with Enter", "Ends phrase %n with the Enter key"},
    {"LabelFullText", 0, "Full text", "The whole phrase of the button or label under the mouse"},
};

QString filled(const char* text, int index) {
    return QString::fromUtf8(text).replace(QStringLiteral("%n"), QString::number(index + 1));
}

} // namespace

void nameControls(const BuiltControls& built) {
    for (const Naming& n : Namings) {
        for (int index = n.count ? 0 : -1; index < n.count; ++index) {
            QWidget* control = built.widget(n.control, index);
            if (control == nullptr)
                continue; // not in this window
            if (n.name != nullptr)
                control->setAccessibleName(filled(n.name, index));
            control->setAccessibleDescription(filled(n.description, index));
        }
    }
    for (int i = 0; i < EntryCount; ++i)
        if (QWidget* button = built.widget("Command2", i))
            nameSendButton(*button, i, {});
}

void nameSendButton(QWidget& button, int index, const QString& text) {
    const QString phrase = filled("Send phrase %n", index);
    const QString flat = text.simplified();
    if (flat.isEmpty()) {
        button.setAccessibleName(phrase);
        button.setAccessibleDescription(QStringLiteral("Phrase %1 is empty").arg(index + 1));
        return;
    }
    QString shown = flat;
    if (flat.size() > NameLength) {
        const qsizetype cut = flat.lastIndexOf(u' ', NameLength);
        shown = flat.left(cut > 0 ? cut : NameLength) + u'…';
    }
    button.setAccessibleName(phrase + QStringLiteral(": ") + shown);
    button.setAccessibleDescription(QStringLiteral("Types into the game: ") + flat);
}

} // namespace jk::accessible
