#include "base/number_rule.h"

#include <QString>
#include <cmath>
#include <limits>

namespace quillorn {

namespace {

bool skippable(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

// The text with every skippable character taken out, as the rule reads it.
QString squeezed(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!skippable(c))
            out += c;
    return out;
}

bool asciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// A value too large for a double stays the largest finite one of its sign, so that it still
// reads as "out of range" for every field and never turns into an infinity.
double bounded(double value) {
    constexpr double kMax = std::numeric_limits<double>::max();
    return value > kMax ? kMax : value < -kMax ? -kMax : value;
}

double radixNumber(QStringView digits, int radix) {
    double value = 0;
    for (QChar c : digits) {
        const QChar upper = c.toUpper();
        const int d = asciiDigit(c) ? c.unicode() - u'0'
                      : (radix == 16 && upper >= u'A' && upper <= u'F')
                          ? upper.unicode() - u'A' + 10
                          : -1;
        if (d < 0 || d >= radix)
            break;
        value = value * radix + d;
    }
    return bounded(value);
}

} // namespace

double parseLeadingNumber(QStringView text) {
    const QString s = squeezed(text);
    if (s.size() >= 2 && s[0] == u'&') {
        const QChar kind = s[1].toUpper();
        if (kind == u'H')
            return radixNumber(QStringView(s).mid(2), 16);
        if (kind == u'O')
            return radixNumber(QStringView(s).mid(2), 8);
    }
    // Collect the longest prefix of the form [sign] digits [. digits] [(E|D) [sign] digits].
    QString number;
    qsizetype i = 0;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        number += s[i++];
    bool anyDigit = false, dot = false;
    for (; i < s.size(); ++i) {
        if (asciiDigit(s[i])) {
            number += s[i];
            anyDigit = true;
        } else if (s[i] == u'.' && !dot) {
            number += s[i];
            dot = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return 0;
    if (i < s.size() && (s[i].toUpper() == u'E' || s[i].toUpper() == u'D')) {
        qsizetype j = i + 1;
        QString exponent = QStringLiteral("e");
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-'))
            exponent += s[j++];
        const qsizetype digitsStart = j;
        while (j < s.size() && asciiDigit(s[j]))
            exponent += s[j++];
        if (j > digitsStart)
            number += exponent;
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (ok)
        return value;
    // Qt gives an infinity for a number too large and 0 for one too small for a double.
    return std::isinf(value) ? bounded(value) : 0;
}

double roundHalfEven(double value) {
    // Spelled out rather than left to the floating-point environment's rounding mode, which a
    // loaded library may have changed.
    if (!std::isfinite(value))
        return value;
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction < 0.5)
        return floor;
    if (fraction > 0.5)
        return floor + 1;
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

std::optional<std::int64_t> wholeNumberFromText(QStringView text, std::int64_t min,
                                                std::int64_t max) {
    const double rounded = roundHalfEven(parseLeadingNumber(text));
    // 2^63 itself compares equal to a max of INT64_MAX once that is converted to a double.
    constexpr double kTwoToThe63 = 9223372036854775808.0;
    if (!(rounded >= static_cast<double>(min) && rounded <= static_cast<double>(max) &&
          rounded < kTwoToThe63))
        return std::nullopt;
    return static_cast<std::int64_t>(rounded);
}

QString secondsText(double seconds, const QLocale& locale) {
    QLocale format = locale;
    format.setNumberOptions(QLocale::OmitGroupSeparator);
    return format.toString(static_cast<double>(static_cast<float>(seconds)), 'g', 7);
}

} // namespace quillorn
