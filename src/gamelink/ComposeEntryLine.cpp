#include "gamelink/ComposeEntryLine.h"

#include <vector>

namespace jk {

namespace {

QString chatPrefix(qint16 style) {
    switch (style) {
    case Emote:
        return QStringLiteral(": ");
    case Yell:
        return QStringLiteral("! ");
    case Whisper:
        return QStringLiteral("; ");
    case Gesture:
        return QStringLiteral("`");
    default:
        return {};
    }
}

constexpr qsizetype TokenLength = 6; // "<var1>"

// The variable number (1..6) of the token that ends `out`, or 0.
int tokenAtEnd(const QString& out) {
    const qsizetype n = out.size();
    if (n < TokenLength)
        return 0;
    const QChar* t = out.constData() + n - TokenLength;
    if (t[0] != u'<' || t[1] != u'v' || t[2] != u'a' || t[3] != u'r' || t[5] != u'>')
        return 0;
    const char16_t digit = t[4].unicode();
    return digit >= u'1' && digit <= u'6' ? digit - u'0' : 0;
}

// Placeholder expansion. Replacing the leftmost token and searching again from the start of
// the line is the same as scanning left to right, appending each character to the output
// and expanding a token as soon as its last character arrives: an earlier token would have
// completed earlier, and a token that straddles the text before it and an inserted variable
// is still seen. The text still to read is a stack of pieces (the line, then the variables
// being expanded), so each expansion costs no copying.
QString expandPlaceholders(const QString& line, const std::array<QString, VarCount>& vars) {
    struct Piece {
        const QString* text;
        qsizetype pos;
    };
    std::vector<Piece> pending{{&line, 0}};
    QString out;
    out.reserve(line.size());
    int expansions = 0;
    const qsizetype maxLength = line.size() + ComposeLimits::MaxGrowth;

    while (!pending.empty()) {
        Piece& top = pending.back();
        if (top.pos == top.text->size()) {
            pending.pop_back();
            continue;
        }
        out += top.text->at(top.pos++);
        const int var = tokenAtEnd(out);
        if (var == 0)
            continue;
        const QString& value = vars[var - 1];
        if (expansions == ComposeLimits::MaxExpansions ||
            out.size() - TokenLength + value.size() > maxLength)
            break; // runaway: the rest stays as written
        ++expansions;
        out.chop(TokenLength);
        if (top.pos == top.text->size())
            pending.pop_back(); // keeps the stack flat for a variable ending in a token
        pending.push_back({&value, 0});
    }

    // Whatever is left after a bound was hit goes out unexpanded: all of the entry's own
    // text, and of the variables' text as much as the length bound allows.
    for (auto it = pending.rbegin(); it != pending.rend(); ++it) {
        const QStringView rest = QStringView(*it->text).mid(it->pos);
        if (it->text == &line)
            out += rest;
        else if (out.size() < maxLength)
            out += rest.left(maxLength - out.size());
    }
    return out;
}

} // namespace

QString ComposeEntryLine(qint16 style, qint16 enter, const QString& longText,
                         const std::array<QString, VarCount>& vars) {
    QString line = chatPrefix(style) + longText;
    if (enter == 1)
        line += QStringLiteral("{ENTER}");
    line.replace(u'(', u'[').replace(u')', u']');
    return expandPlaceholders(line, vars);
}

} // namespace jk
