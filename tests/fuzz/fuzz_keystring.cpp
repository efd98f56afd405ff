// Any line, well formed or not, parses without crashing, and text without key-string
// characters comes out one key per character.
#include "gamelink/KeyString.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString line =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(data), qsizetype(size / 2));
    const auto keys = jk::ParseKeyString(line);
    if (keys.size() > std::size_t(line.size()) * std::size_t(jk::MaxKeyRepeat))
        std::abort();

    static const QString specials = QStringLiteral("+^%~(){}[]");
    bool plain = true;
    for (QChar c : line)
        plain = plain && !specials.contains(c) && c.unicode() >= 0x20 &&
                !(c.unicode() >= 0x7f && c.unicode() <= 0x9f) && !c.isSurrogate();
    if (plain && keys.size() != std::size_t(line.size()))
        std::abort();
    return 0;
}
