#include "gamelink/ComposeEntryLine.h"

#include <algorithm>
#include <array>
#include <cstdint>

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

// Whether `text` is the start of a token, "<" to "<var6", shorter than a whole one.
bool beginsToken(QStringView text) {
    static constexpr char16_t Open[] = u"<var";
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i < 4 ? text[i] != QChar(Open[i]) : (text[i] < u'1' || text[i] > u'6'))
            return false;
    }
    return text.size() < TokenLength;
}

// The longest end of `out` that begins a token. Only that part of what is already written
// can take part in a later token.
qsizetype partialTokenAtEnd(const QString& out) {
    for (qsizetype k = std::min(TokenLength - 1, out.size()); k > 0; --k) {
        if (beginsToken(QStringView(out).last(k)))
            return k;
    }
    return 0;
}

// The variable number (1..6) of the token that ends `out`, or 0.
int tokenAtEnd(const QString& out) {
    const qsizetype n = out.size();
    if (n < TokenLength || out[n - 1] != u'>')
        return 0;
    const QStringView start = QStringView(out).sliced(n - TokenLength, TokenLength - 1);
    return beginsToken(start) ? start[4].unicode() - u'0' : 0;
}

// Placeholder expansion. Replacing the leftmost token and searching again from the start of
// the line is the same as reading left to right, appending each character to the output and
// expanding a token as soon as its last character arrives. What a variable's text turns into
// depends only on the variable and on the start of a token written just before it ("", "<",
// ... "<var6": eleven cases), so each of the 66 pairs is worked out once and then copied.
// That keeps the work linear even when variables fan out, and a pair that is needed while it
// is being worked out is a cycle: that token stays as written.
class Expander {
public:
    Expander(const std::array<QString, VarCount>& vars, qsizetype maxLength)
        : vars_(vars)
        , maxLength_(maxLength) {}

    // Appends `text` to `out`, expanding tokens as they complete. The entry's own text always
    // goes in whole, and an expansion only where the rest of it still fits after it; a
    // variable's text is `bounded`: false when it no longer fits at all.
    bool append(QStringView text, QString& out, bool bounded) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            out += text[i];
            if (bounded && out.size() > maxLength_)
                return false;
            const int var = tokenAtEnd(out);
            if (var == 0)
                continue;
            out.chop(TokenLength);
            const qsizetype k = partialTokenAtEnd(out);
            const QString* value = expansion(var, QStringView(out).last(k));
            const qsizetype rest = bounded ? 0 : text.size() - i - 1;
            if (value && out.size() - k + value->size() + rest <= maxLength_) {
                out.chop(k);
                out += *value;
            } else {
                out += QStringLiteral("<var") + QChar(u'0' + var) + u'>';
            }
        }
        return true;
    }

private:
    struct Known {
        enum : std::uint8_t { Unknown, Working, Done } state = Unknown;
        bool fits = false;
        QString text;
    };

    // What variable `var`'s text turns into after the token start `before`: `before` as the
    // expansion leaves it, then the rest. Null for a cycle or a text that does not fit.
    const QString* expansion(int var, QStringView before) {
        const qsizetype k = before.size();
        Known& known = known_[var - 1][k < 5 ? k : 4 + (before[4].unicode() - u'0')];
        if (known.state == Known::Working)
            return nullptr;
        if (known.state == Known::Unknown) {
            known.state = Known::Working;
            QString text = before.toString();
            known.fits = append(vars_[var - 1], text, true);
            if (known.fits)
                known.text = std::move(text);
            known.state = Known::Done;
        }
        return known.fits ? &known.text : nullptr;
    }

    const std::array<QString, VarCount>& vars_;
    qsizetype maxLength_;
    std::array<std::array<Known, 11>, VarCount> known_{};
};

QString expandPlaceholders(const QString& line, const std::array<QString, VarCount>& vars) {
    if (!line.contains(QStringLiteral("<var")))
        return line; // no token can form
    QString out;
    out.reserve(line.size());
    Expander(vars, line.size() + ComposeLimits::MaxGrowth).append(line, out, false);
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
