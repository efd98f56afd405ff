// Composing ends, stays bounded, and where replacing the leftmost token again and again ends,
// gives exactly what that gives.
#include "gamelink/ComposeEntryLine.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

// The composer as its rule reads, step by step; nothing when it has not ended after `maxSteps`
// replacements, once the line is longer than `maxLength`, or once the variables replaced
// brought in more characters than the composer reads one by one before it gives up.
std::optional<QString> plainCompose(qint16 style, qint16 enter, const QString& text,
                                    const std::array<QString, jk::VarCount>& vars) {
    constexpr int maxSteps = 400;
    constexpr qsizetype maxLength = 4000;
    static const char* const prefixes[] = {"", ": ", "! ", "; ", "`"};
    QString line = (style >= 1 && style <= 4 ? QString(prefixes[style]) : QString()) + text;
    if (enter == 1)
        line += "{ENTER}";
    line.replace('(', '[').replace(')', ']');
    qsizetype brought = 0;
    for (int step = 0;; ++step) {
        qsizetype at = -1;
        for (qsizetype i = line.indexOf("<var"); i >= 0; i = line.indexOf("<var", i + 1)) {
            if (i + 5 < line.size() && line[i + 4] >= '1' && line[i + 4] <= '6' &&
                line[i + 5] == '>') {
                at = i;
                break;
            }
        }
        if (at < 0)
            return line;
        const QString& var = vars[line[at + 4].unicode() - '1'];
        brought += var.size();
        if (step == maxSteps || line.size() > maxLength || brought > jk::ComposeLimits::MaxSteps)
            return std::nullopt;
        line = line.left(at) + var + line.mid(at + 6);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const auto style = static_cast<qint16>(std::int8_t(data[0]) % 8);
    const auto enter = static_cast<qint16>(data[1] % 3);
    // Text and variables separated by '|', so that the fuzzer finds tokens easily. With the
    // top bit of the second byte, each byte is one of a few characters and pieces of tokens.
    QString input;
    if (data[1] & 0x80) {
        static const char* const pieces[] = {"<", "<v", "<va",    "<var",   "var", "ar", "r",
                                             "1", "2",  "3",      ">",      "1>",  "2>", "|",
                                             "|", "(",  "<var1>", "<var2>", "x{",  "}"};
        for (std::size_t i = 2; i < size; ++i)
            input += pieces[data[i] % std::size(pieces)];
    } else {
        input = QString::fromUtf8(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));
    }
    const QStringList parts = input.split(u'|');
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
    // Short inputs only, where the step-by-step rule is quick.
    const std::optional<QString> plain =
        size <= 300 ? plainCompose(style, enter, parts[0], vars) : std::nullopt;
    if (plain && *plain != line)
        std::abort();
    return 0;
}
