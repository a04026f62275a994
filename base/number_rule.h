#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace quillorn {

// Reads a number from the start of a text: blanks, tabs and line feeds are skipped wherever
// they stand; then an optional sign, digits with at most one "." and an optional exponent (E or
// D). "&H" and "&O" read a hexadecimal or octal whole number. Reading stops at the first
// character that does not fit; a text without a leading number reads as 0. A number too large
// for a double reads as the largest finite double of its sign.
double parseLeadingNumber(QStringView text);

// Rounds to the nearest whole number, a half to the even neighbour.
double roundHalfEven(double value);

// parseLeadingNumber rounded to a whole number, or nothing when that does not fit [min, max].
std::optional<std::int64_t> wholeNumberFromText(QStringView text, std::int64_t min,
                                                std::int64_t max);

// Seconds as the status bar shows them: single precision, up to seven significant digits, no
// trailing zeros, no grouping, the locale's decimal separator ("1.5", "0.3671875").
QString secondsText(double seconds, const QLocale& locale = QLocale());

} // namespace quillorn
