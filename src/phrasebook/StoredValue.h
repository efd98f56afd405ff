#pragma once

#include <QString>

#include <optional>

// Conversions between stored text and the values the program works with.
namespace jk::stored {

// Style: blanks skipped, the longest leading decimal number taken (none gives 0), rounded
// to the nearest integer with halves to even. Empty when the number does not fit 16 bits.
std::optional<qint16> parseStyle(const QString& text);
// Whole text as a number (blanks around it allowed, fractions rounded half to even).
std::optional<qint16> parseInt16(const QString& text);
// The words True or False (any case), or a number: 0 is false, anything else true.
std::optional<bool> parseBoolean(const QString& text);
// A finite single-precision number.
std::optional<float> parseSingle(const QString& text);

// " 3" for 3, "-1" for -1.
QString formatStyle(qint16 style);
QString formatBoolean(bool value);
QString formatSingle(float value);

} // namespace jk::stored
