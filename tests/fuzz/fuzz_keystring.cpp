// Any line parses without crashing, within the repeat bound; any text with its syntax
// characters braced comes out as exactly its characters; and whatever braces, parentheses and
// modifiers surround them, letters and blanks are typed once each.
#include "gamelink/KeyString.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

static void check(bool ok) {
    if (!ok)
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using jk::platform::NamedKey;
    const QString line =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(data), qsizetype(size / 2));
    check(jk::ParseKeyString(line).size() <= std::size_t(line.size()) * jk::MaxKeyRepeat);

    // Control characters are dropped by the parser, lone surrogates become U+FFFD.
    std::u32string text;
    QString braced;
    for (char32_t c : line.toUcs4()) {
        if (c < 0x20 || (c >= 0x7f && c <= 0x9f))
            continue;
        text += c;
        const QString s = QStringView(QChar::fromUcs4(c)).toString(); // fromUcs4 drops U+FEFF
        braced += c < 0x80 && std::strchr("+^%~(){}[]", int(c)) ? u'{' + s + u'}' : s;
    }
    std::u32string typed;
    for (const auto& k : jk::ParseKeyString(braced)) {
        check(k.key == NamedKey::None && k.modifiers == 0);
        typed += k.character;
    }
    check(typed == text);

    // No digits, so no repeats; no key name is spelt with 'a' and 'b' alone.
    QString syntax;
    for (std::size_t i = 0; i < size; ++i)
        syntax += QStringLiteral("{}()+^%~ab ")[data[i] % 11];
    const auto keys = jk::ParseKeyString(syntax);
    check(keys.size() <= std::size_t(syntax.size()));
    for (char16_t c : {u'a', u'b', u' '})
        check(std::count_if(keys.begin(), keys.end(), [c](const auto& k) {
                  return k.key == NamedKey::None && k.character == c;
              }) == syntax.count(QChar(c)));
    return 0;
}
