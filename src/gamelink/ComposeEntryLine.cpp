#include "gamelink/ComposeEntryLine.h"

#include <algorithm>
#include <array>
#include <cstdint>
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

// Whether `text` is the start of a token, "<" to "<var6", shorter than a whole one.
bool beginsToken(QStringView text) {
    static constexpr char16_t Open[] = u"<var";
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i < 4 ? text[i] != QChar(Open[i]) : (text[i] < u'1' || text[i] > u'6'))
            return false;
    }
    return text.size() < TokenLength;
}

// The longest end of `out` that begins a token: the only part of `out` that the next
// character can complete. What lies before it is again such a start, or can never change.
qsizetype partialTokenAtEnd(QStringView out) {
    for (qsizetype k = std::min(TokenLength - 1, out.size()); k > 0; --k) {
        if (beginsToken(out.last(k)))
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

// Whether `c` can follow the first character of a token.
bool canContinueToken(QChar c) {
    return c == u'v' || c == u'a' || c == u'r' || c == u'>' || (c >= u'1' && c <= u'6');
}

QString asWritten(int var) {
    return QStringLiteral("<var") + QChar(u'0' + var) + u'>';
}

// Placeholder expansion. Replacing the leftmost token and searching again from the start of
// the line is the same as reading left to right, appending each character to the output and
// expanding a token as soon as its last character arrives (tokens cannot overlap, so the
// first to complete is the leftmost). The end of the output is a pile of token starts ("<",
// "<v", ... "<var6"); a character extends the top one, completes it, starts a new one with
// "<", or freezes the whole pile for good.
//
// A variable's expansion after the token start `key` on top of the pile is worked out once,
// alone, as if nothing stood below `key` (66 cases), and copied wherever it is needed. The
// copy is exact unless that expansion went below `key` (it used up `key` and then met
// something the pile below would have answered differently); where something does stand
// below, such an expansion is carried out step by step instead, up to MaxSteps steps.
//
// An expansion that is needed again while it is being worked out, with nothing in between
// having gone below where it started (or with nothing standing below, as when it started),
// repeats itself forever: that is a cycle. The token stays as written there, and so does the
// rest, since replacing the leftmost token never gets past it.
//
// Work: the entry's text is read once, each variable's text at most 11 times, plus at most
// MaxSteps characters step by step; the copies go into at most 67 outputs, none longer than
// the length bound, and each replacement takes back at most 11 characters of one. It grows
// with the texts and the bound, never with the number of replacements the rule makes.
class Expander {
public:
    Expander(const std::array<QString, VarCount>& vars, qsizetype maxLength)
        : vars_(vars)
        , maxLength_(maxLength) {}

    QString expand(const QString& line) {
        Run top{QString(), true};
        top.out.reserve(line.size());
        run(top, line, true);
        return top.out;
    }

private:
    struct Run {
        QString out;
        bool sealed = false;    // nothing before `out` can take part in a token any more
        bool readBelow = false; // a step depended on what stands before `out`
        bool endless = false;   // the expansion never ends (or ran out of steps): stop
    };
    struct Memo {
        enum : std::uint8_t { Unknown, Working, Done } state = Unknown;
        bool fits = false;
        bool cycles = false;
        bool readsBelow = false;
        bool seals = false;
        bool endless = false;
        std::size_t run = 0; // while Working: its place in runs_
        QString text;        // the key as the expansion leaves it, then the rest
    };
    struct Piece {
        const QString* text;
        qsizetype pos;
        bool stepwise; // an expansion carried out step by step
    };

    // Reads `text` into `r`, expanding tokens as they complete. The entry's own text (`top`)
    // always goes in whole, and an expansion only where the rest of the entry still fits after
    // it; a variable's expansion returns false when it no longer fits at all.
    bool run(Run& r, const QString& text, bool top) {
        std::vector<Piece> pending{{&text, 0, false}};
        // What is left of the entry's own text.
        const auto rest = [&] {
            return top && !pending.empty() && !pending.front().stepwise
                       ? text.size() - pending.front().pos
                       : 0;
        };
        while (!pending.empty() && !r.endless) {
            Piece& piece = pending.back();
            if (piece.pos == piece.text->size()) {
                pending.pop_back();
                continue;
            }
            if (piece.stepwise && (steps_ == 0 || r.out.size() + rest() >= maxLength_)) {
                r.endless = true;
                break;
            }
            steps_ -= piece.stepwise ? 1 : 0;
            const QChar c = piece.text->at(piece.pos++);
            const bool empty = r.out.isEmpty();
            r.out += c;
            if (!top && r.out.size() > maxLength_)
                return false;
            const int var = tokenAtEnd(r.out);
            if (var == 0) {
                if (!r.sealed && c != u'<' && partialTokenAtEnd(r.out) == 0) {
                    // `c` froze everything before it. On an empty pile, one that can be part
                    // of a token might have gone on a start below instead.
                    r.readBelow = r.readBelow || (empty && canContinueToken(c));
                    r.sealed = true;
                }
                continue;
            }
            r.out.chop(TokenLength);
            if (piece.pos == piece.text->size())
                pending.pop_back(); // keeps the stack flat for a variable ending in a token
            call(r, var, pending, rest());
        }
        // Given up: what is left stays as written, the entry's own text in whole.
        for (auto it = pending.rbegin(); it != pending.rend(); ++it) {
            const QStringView left = QStringView(*it->text).sliced(it->pos);
            if (top && it->text == &text)
                r.out += left;
            else if (r.out.size() < maxLength_)
                r.out += left.first(std::min(left.size(), maxLength_ - r.out.size()));
        }
        return true;
    }

    void call(Run& r, int var, std::vector<Piece>& pending, qsizetype rest) {
        const qsizetype k = partialTokenAtEnd(r.out);
        const QStringView key = QStringView(r.out).last(k);
        const bool below = partialTokenAtEnd(QStringView(r.out).first(r.out.size() - k)) > 0;
        Memo& m = known_[var - 1][k < 5 ? k : 4 + (key[4].unicode() - u'0')];
        if (m.state == Memo::Working) {
            bool clean = true;
            for (std::size_t i = m.run; i < runs_.size(); ++i)
                clean = clean && !runs_[i]->readBelow;
            if (clean || (r.sealed && !below)) {
                // From here on it repeats itself: whatever stands below, or where nothing
                // does, as when it began.
                m.cycles = m.cycles || clean;
                writeAsWritten(r, var);
                r.endless = true;
            } else {
                pending.push_back({&vars_[var - 1], 0, true});
            }
            return;
        }
        if (m.state == Memo::Unknown)
            workOut(m, var, key);
        if (m.readsBelow && below) {
            pending.push_back({&vars_[var - 1], 0, true});
            return;
        }
        r.endless = m.endless;
        if (!m.fits || r.out.size() - k + m.text.size() + rest > maxLength_) {
            writeAsWritten(r, var);
            return;
        }
        r.out.chop(k);
        r.out += m.text;
        r.readBelow = r.readBelow || (m.readsBelow && !r.sealed);
        r.sealed = r.sealed || m.seals;
    }

    void workOut(Memo& m, int var, QStringView key) {
        m.state = Memo::Working;
        m.run = runs_.size();
        Run r{key.toString()};
        runs_.push_back(&r);
        m.fits = run(r, vars_[var - 1], false);
        runs_.pop_back();
        m.state = Memo::Done;
        // A cycle repeats whatever stands below, so its cut-off copy fits everywhere.
        m.readsBelow = r.readBelow && !m.cycles;
        m.seals = r.sealed;
        m.endless = r.endless;
        if (m.fits)
            m.text = std::move(r.out);
    }

    // A token that is not expanded; nothing before it can take part in a token any more.
    static void writeAsWritten(Run& r, int var) {
        r.out += asWritten(var);
        r.sealed = true;
    }

    const std::array<QString, VarCount>& vars_;
    qsizetype maxLength_;
    qsizetype steps_ = ComposeLimits::MaxSteps;
    std::vector<Run*> runs_;
    std::array<std::array<Memo, 11>, VarCount> known_{};
};

QString expandPlaceholders(const QString& line, const std::array<QString, VarCount>& vars) {
    if (!line.contains(QStringLiteral("<var")))
        return line; // no token can form
    return Expander(vars, line.size() + ComposeLimits::MaxGrowth).expand(line);
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
