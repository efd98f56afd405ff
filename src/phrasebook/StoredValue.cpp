#include "phrasebook/StoredValue.h"

#include <cmath>
#include <limits>

namespace jk::stored {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

std::optional<qint16> roundToInt16(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value); // default rounding: halves to even
    if (rounded < std::numeric_limits<qint16>::min() ||
        rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(rounded);
}

// Length of the longest decimal number at the start of text (sign, digits, one point,
// exponent), or 0 when there is none.
qsizetype leadingNumberLength(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == u'.') {
        qsizetype j = i + 1;
        qsizetype fraction = 0;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128) {
            ++j;
            ++fraction;
        }
        if (digits + fraction > 0) {
            i = j;
            digits += fraction;
        }
    }
    if (digits == 0)
        return 0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        const qsizetype start = j;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128)
            ++j;
        if (j > start)
            i = j;
    }
    return i;
}

std::optional<double> parseWholeNumber(const QString& text) {
    const QStringView trimmed = QStringView(text).trimmed();
    if (trimmed.isEmpty() || leadingNumberLength(trimmed) != trimmed.size())
        return std::nullopt;
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<qint16> parseStyle(const QString& text) {
    QStringView view(text);
    while (!view.isEmpty() && isBlank(view.front()))
        view = view.mid(1);
    const qsizetype len = leadingNumberLength(view);
    if (len == 0)
        return 0;
    bool ok = false;
    const double value = view.left(len).toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return roundToInt16(value);
}

std::optional<qint16> parseInt16(const QString& text) {
    const auto value = parseWholeNumber(text);
    if (!value)
        return std::nullopt;
    return roundToInt16(*value);
}

std::optional<bool> parseBoolean(const QString& text) {
    const QString word = text.trimmed();
    if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    const auto value = parseWholeNumber(text);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return *value != 0.0;
}

std::optional<float> parseSingle(const QString& text) {
    const auto value = parseWholeNumber(text);
    if (!value)
        return std::nullopt;
    const auto single = static_cast<float>(*value);
    if (!std::isfinite(single))
        return std::nullopt;
    return single;
}

QString formatStyle(qint16 style) {
    return style < 0 ? QString::number(style) : QLatin1Char(' ') + QString::number(style);
}

QString formatBoolean(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString formatSingle(float value) {
    // Nine significant digits read back as the same single; whole twips stay plain ("1000").
    return QString::number(double(value), 'g', 9);
}

} // namespace jk::stored
