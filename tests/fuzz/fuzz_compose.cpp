// Composing ends and stays bounded whatever the text and the six variables hold.
#include "gamelink/ComposeEntryLine.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const auto style = static_cast<qint16>(std::int8_t(data[0]) % 8);
    const auto enter = static_cast<qint16>(data[1] % 3);
    // Text and variables separated by '|', so that the fuzzer finds tokens easily.
    const QStringList parts =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2)).split(u'|');
    std::array<QString, jk::VarCount> vars;
    for (int v = 0; v < jk::VarCount && v + 1 < parts.size(); ++v)
        vars[v] = parts[v + 1];
    const QString line = jk::ComposeEntryLine(style, enter, parts[0], vars);
    const qsizetype ownText = parts[0].size() + 9;
    if (line.size() > 2 * ownText + jk::ComposeLimits::MaxGrowth)
        std::abort();
    // The Enter flag always ends the line in an Enter, whatever the expansion did.
    if (enter == 1 && !line.endsWith(QStringLiteral("{ENTER}")))
        std::abort();
    return 0;
}
