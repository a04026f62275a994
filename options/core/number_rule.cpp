#include "options/core/number_rule.h"

#include <QString>
#include <cmath>

namespace quillorn::options {

namespace {

bool Skippable(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

// The text with every skippable character taken out, as the rule reads it.
QString Squeezed(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!Skippable(c))
            out += c;
    return out;
}

double RadixNumber(QStringView digits, int radix) {
    double value = 0;
    for (QChar c : digits) {
        const int d = c.isDigit() ? c.digitValue()
                      : (radix == 16 && c.toUpper() >= u'A' && c.toUpper() <= u'F')
                          ? c.toUpper().unicode() - u'A' + 10
                          : -1;
        if (d < 0 || d >= radix)
            break;
        value = value * radix + d;
    }
    return value;
}

} // namespace

double NumberFromText(QStringView text) {
    const QString s = Squeezed(text);
    if (s.size() >= 2 && s[0] == u'&') {
        const QChar kind = s[1].toUpper();
        if (kind == u'H')
            return RadixNumber(QStringView(s).mid(2), 16);
        if (kind == u'O')
            return RadixNumber(QStringView(s).mid(2), 8);
    }
    // Collect the longest prefix of the form [sign] digits [. digits] [(E|D) [sign] digits].
    QString number;
    qsizetype i = 0;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        number += s[i++];
    bool anyDigit = false, dot = false;
    for (; i < s.size(); ++i) {
        if (s[i].isDigit() && s[i].unicode() < 128) {
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
        while (j < s.size() && s[j].isDigit() && s[j].unicode() < 128)
            exponent += s[j++];
        if (j > digitsStart)
            number += exponent;
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0;
}

double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

std::optional<std::int64_t> WholeNumberFromText(QStringView text, std::int64_t min,
                                                std::int64_t max) {
    const double rounded = RoundHalfEven(NumberFromText(text));
    if (!(rounded >= static_cast<double>(min) && rounded <= static_cast<double>(max)))
        return std::nullopt;
    return static_cast<std::int64_t>(rounded);
}

} // namespace quillorn::options
