#pragma once

#include <QStringView>
#include <cstdint>
#include <optional>

namespace quillorn::options {

// Reads a number from the start of a text: blanks, tabs and line feeds are skipped wherever
// they stand; then an optional sign, digits with at most one "." and an optional exponent (E or
// D). "&H" and "&O" read a hexadecimal or octal whole number. Reading stops at the first
// character that does not fit; a text without a leading number reads as 0. A number too large
// for a double reads as the largest finite double of its sign.
double NumberFromText(QStringView text);

// Rounds to the nearest whole number, a half to the even neighbour.
double RoundHalfEven(double value);

// NumberFromText rounded to a whole number, or nothing when that does not fit [min, max].
std::optional<std::int64_t> WholeNumberFromText(QStringView text, std::int64_t min,
                                                std::int64_t max);

} // namespace quillorn::options
