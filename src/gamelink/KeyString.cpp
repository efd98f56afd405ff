#include "gamelink/KeyString.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace jk {

namespace {

using platform::KeyAction;
using platform::NamedKey;

struct KeyName {
    std::string_view name; // upper case
    NamedKey key;
};

constexpr std::array KeyNames = {
    KeyName{"BACKSPACE", NamedKey::Backspace},
    KeyName{"BS", NamedKey::Backspace},
    KeyName{"BKSP", NamedKey::Backspace},
    KeyName{"BREAK", NamedKey::Break},
    KeyName{"CAPSLOCK", NamedKey::CapsLock},
    KeyName{"DELETE", NamedKey::Delete},
    KeyName{"DEL", NamedKey::Delete},
    KeyName{"DOWN", NamedKey::Down},
    KeyName{"END", NamedKey::End},
    KeyName{"ENTER", NamedKey::Enter},
    KeyName{"ESC", NamedKey::Escape},
    KeyName{"HELP", NamedKey::Help},
    KeyName{"HOME", NamedKey::Home},
    KeyName{"INSERT", NamedKey::Insert},
    KeyName{"INS", NamedKey::Insert},
    KeyName{"LEFT", NamedKey::Left},
    KeyName{"NUMLOCK", NamedKey::NumLock},
    KeyName{"PGDN", NamedKey::PageDown},
    KeyName{"PGUP", NamedKey::PageUp},
    KeyName{"PRTSC", NamedKey::PrintScreen},
    KeyName{"RIGHT", NamedKey::Right},
    KeyName{"SCROLLLOCK", NamedKey::ScrollLock},
    KeyName{"TAB", NamedKey::Tab},
    KeyName{"UP", NamedKey::Up},
    KeyName{"F1", NamedKey::F1},
    KeyName{"F2", NamedKey::F2},
    KeyName{"F3", NamedKey::F3},
    KeyName{"F4", NamedKey::F4},
    KeyName{"F5", NamedKey::F5},
    KeyName{"F6", NamedKey::F6},
    KeyName{"F7", NamedKey::F7},
    KeyName{"F8", NamedKey::F8},
    KeyName{"F9", NamedKey::F9},
    KeyName{"F10", NamedKey::F10},
    KeyName{"F11", NamedKey::F11},
    KeyName{"F12", NamedKey::F12},
    KeyName{"F13", NamedKey::F13},
    KeyName{"F14", NamedKey::F14},
    KeyName{"F15", NamedKey::F15},
    KeyName{"F16", NamedKey::F16},
    KeyName{"ADD", NamedKey::Add},
    KeyName{"SUBTRACT", NamedKey::Subtract},
    KeyName{"MULTIPLY", NamedKey::Multiply},
    KeyName{"DIVIDE", NamedKey::Divide},
};

constexpr std::size_t LongestKeyName = 10; // SCROLLLOCK

// Key names are ASCII, so the comparison folds ASCII letters only: no locale, and no
// look-alike letter from elsewhere in Unicode can spell a key name.
NamedKey findKeyName(QStringView text) {
    if (text.size() > qsizetype(LongestKeyName))
        return NamedKey::None;
    for (const KeyName& k : KeyNames) {
        if (qsizetype(k.name.size()) != text.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < k.name.size() && same; ++i) {
            char16_t c = text[qsizetype(i)].unicode();
            if (c >= u'a' && c <= u'z')
                c = char16_t(c - u'a' + u'A');
            same = c == char16_t(k.name[i]);
        }
        if (same)
            return k.key;
    }
    return NamedKey::None;
}

std::uint8_t modifierOf(QChar c) {
    switch (c.unicode()) {
    case u'+':
        return platform::Shift;
    case u'^':
        return platform::Control;
    case u'%':
        return platform::Alt;
    default:
        return platform::NoModifier;
    }
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// What a position of the line starts.
struct Piece {
    enum Kind : std::uint8_t {
        Stroke,     // a key, `count` times
        Nothing,    // a control character that is not typed
        Modifier,   // + ^ %
        GroupOpen,  // (
        GroupClose, // )
        Malformed,  // typed as the characters it consists of
    };
    Kind kind = Nothing;
    qsizetype end = 0; // index after the piece
    KeyAction action{};
    int count = 1;
};

Piece stroke(KeyAction action, qsizetype end) {
    return {Piece::Stroke, end, action, 1};
}

// One pass, left to right. A piece is read at most twice (a group that turns out malformed
// is read again as plain text), and the brace indexes make each brace an O(1) look-up, so
// the work stays linear in the line even for lines full of unmatched braces.
class Parser {
public:
    explicit Parser(QStringView input)
        : line(input)
        , n(input.size()) {
        if (input.contains(u'{'))
            indexBraces();
        keys.reserve(std::size_t(n));
    }

    std::vector<KeyAction> run() {
        qsizetype i = 0;
        while (i < n)
            i = parseUnit(i);
        return std::move(keys);
    }

private:
    QStringView line;
    qsizetype n;
    // The index of the first '{' and '}' at or after i, n when there is none.
    std::vector<qsizetype> nextOpen;
    std::vector<qsizetype> nextClose;
    std::vector<KeyAction> keys;

    void indexBraces() {
        nextOpen.assign(std::size_t(n) + 1, n);
        nextClose.assign(std::size_t(n) + 1, n);
        for (qsizetype i = n; i-- > 0;) {
            nextOpen[i] = line[i] == u'{' ? i : nextOpen[i + 1];
            nextClose[i] = line[i] == u'}' ? i : nextClose[i + 1];
        }
    }

    // One character as text: a surrogate pair is one character, CR LF is one Enter, an
    // unpaired surrogate cannot be typed and stands as U+FFFD.
    Piece readCharacter(qsizetype i) const {
        const char16_t c = line[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && line[i + 1].isLowSurrogate())
            return stroke(KeyAction::text(QChar::surrogateToUcs4(c, line[i + 1].unicode())), i + 2);
        if (QChar::isSurrogate(c))
            return stroke(KeyAction::text(U'\uFFFD'), i + 1);
        if (c == u'\t')
            return stroke(KeyAction::named(NamedKey::Tab), i + 1);
        if (c == u'\r')
            return stroke(KeyAction::named(NamedKey::Enter),
                          i + 1 < n && line[i + 1] == u'\n' ? i + 2 : i + 1);
        if (c == u'\n')
            return stroke(KeyAction::named(NamedKey::Enter), i + 1);
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
            return {Piece::Nothing, i + 1};
        return stroke(KeyAction::text(c), i + 1);
    }

    Piece readKey(qsizetype i) const {
        switch (line[i].unicode()) {
        case u'+':
        case u'^':
        case u'%':
            return {Piece::Modifier, i + 1};
        case u'(':
            return {Piece::GroupOpen, i + 1};
        case u')':
            return {Piece::GroupClose, i + 1};
        case u'}':
            return {Piece::Malformed, i + 1};
        case u'~':
            return stroke(KeyAction::named(NamedKey::Enter), i + 1);
        case u'{':
            return readBrace(i);
        default:
            return readCharacter(i);
        }
    }

    Piece readBrace(qsizetype open) const {
        if (open + 1 < n && line[open + 1] == u'}') {
            // "{}}" and "{} 3}" brace a '}'; any other "{}" is just those two characters.
            const qsizetype close = nextClose[open + 2];
            if (close < n) {
                const Piece braced = readBraced(open + 1, close);
                if (braced.kind != Piece::Malformed)
                    return braced;
            }
            return {Piece::Malformed, open + 2};
        }
        const qsizetype close = nextClose[open + 1];
        // No '}' for this '{', or the '}' closes a later '{': this one stands alone.
        // (The first braced character may itself be '{', as in "{{}".)
        if (close == n || nextOpen[open + 2] < close)
            return {Piece::Malformed, open + 1};
        const Piece braced = readBraced(open + 1, close);
        // "{{ENTER}": not a braced '{' but a lone '{' before a named key, as when a text that
        // ends in '{' gets its closing Enter.
        if (braced.kind == Piece::Malformed && line[open + 1] == u'{' &&
            readBraced(open + 2, close).kind != Piece::Malformed)
            return {Piece::Malformed, open + 1};
        return braced;
    }

    // The text between a '{' and its '}': one character or a key name, then optionally a
    // blank and a repeat count.
    Piece readBraced(qsizetype from, qsizetype to) const {
        qsizetype keyEnd = to;
        int count = 1;
        qsizetype digits = to;
        while (digits > from && isDigit(line[digits - 1]))
            --digits;
        if (digits < to && digits - 1 > from && line[digits - 1] == u' ') {
            count = 0;
            for (qsizetype i = digits; i < to; ++i)
                count = std::min(count * 10 + (line[i].unicode() - u'0'), MaxKeyRepeat + 1);
            if (count > MaxKeyRepeat)
                return {Piece::Malformed, to + 1};
            keyEnd = digits - 1;
        }

        Piece key = readCharacter(from);
        if (key.end != keyEnd) {
            const NamedKey named = findKeyName(line.sliced(from, keyEnd - from));
            if (named == NamedKey::None)
                return {Piece::Malformed, to + 1};
            key = stroke(KeyAction::named(named), keyEnd);
        }
        key.end = to + 1;
        key.count = count;
        return key;
    }

    void press(const Piece& piece, std::uint8_t modifiers) {
        KeyAction action = piece.action;
        action.modifiers = modifiers;
        keys.insert(keys.end(), std::size_t(piece.count), action);
    }

    void typeLiterally(qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to;) {
            const Piece p = readCharacter(i);
            if (p.kind == Piece::Stroke)
                keys.push_back(p.action);
            i = p.end;
        }
    }

    // A run of modifiers and the key or group they apply to, or a key alone. Whatever is not
    // well formed is typed as written, modifiers included.
    qsizetype parseUnit(qsizetype start) {
        std::uint8_t modifiers = platform::NoModifier;
        qsizetype i = start;
        while (i < n) {
            const Piece p = readKey(i);
            switch (p.kind) {
            case Piece::Modifier:
                modifiers |= modifierOf(line[i]);
                break;
            case Piece::Nothing:
                break; // untyped, so it does not separate a modifier from its key
            case Piece::Stroke:
                press(p, modifiers);
                return p.end;
            case Piece::GroupOpen:
                if (modifiers != platform::NoModifier) {
                    if (const qsizetype end = parseGroup(i, modifiers); end > 0)
                        return end;
                }
                typeLiterally(start, p.end);
                return p.end;
            case Piece::GroupClose:
            case Piece::Malformed:
                typeLiterally(start, p.end);
                return p.end;
            }
            i = p.end;
        }
        typeLiterally(start, n); // modifiers with no key after them
        return n;
    }

    // "(keys)" after modifiers: characters, braced pieces and '~' only. Returns the index
    // after ')', or 0 when the group is not well formed; then nothing has been typed.
    qsizetype parseGroup(qsizetype open, std::uint8_t modifiers) {
        const std::size_t mark = keys.size();
        bool empty = true;
        for (qsizetype i = open + 1; i < n;) {
            if (line[i] == u')') {
                if (empty)
                    break;
                return i + 1;
            }
            const Piece p = readKey(i);
            if (p.kind == Piece::Stroke) {
                press(p, modifiers);
                empty = false;
            } else if (p.kind != Piece::Nothing) {
                break;
            }
            i = p.end;
        }
        keys.resize(mark);
        return 0;
    }
};

} // namespace

std::vector<platform::KeyAction> ParseKeyString(QStringView line) {
    return Parser(line).run();
}

} // namespace jk
