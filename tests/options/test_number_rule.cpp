#include "options/core/number_rule.h"

#include <QString>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using namespace quillorn::options;

TEST(NumberFromText, ReadsDecimalsSkippingBlanksTabsAndLineFeedsAnywhere) {
    EXPECT_EQ(NumberFromText(u"72"), 72);
    EXPECT_EQ(NumberFromText(u" 150"), 150);
    EXPECT_EQ(NumberFromText(u"7 2"), 72);
    EXPECT_EQ(NumberFromText(u"\t1\n5 "), 15);
    EXPECT_EQ(NumberFromText(u"- 3"), -3);
    EXPECT_EQ(NumberFromText(u"+3"), 3);
    EXPECT_EQ(NumberFromText(u"1.50"), 1.5);
    EXPECT_EQ(NumberFromText(u".5"), 0.5);
    EXPECT_EQ(NumberFromText(u"1E2"), 100);
    EXPECT_EQ(NumberFromText(u"1D2"), 100);
    EXPECT_EQ(NumberFromText(u"1e-2"), 0.01);
    EXPECT_EQ(NumberFromText(u"2.5d+1"), 25);
}

TEST(NumberFromText, StopsAtTheFirstCharacterThatDoesNotFit) {
    EXPECT_EQ(NumberFromText(u"72DPI"), 72); // D starts an exponent that never gets digits
    EXPECT_EQ(NumberFromText(u"1.2.3"), 1.2);
    EXPECT_EQ(NumberFromText(u"12abc"), 12);
    EXPECT_EQ(NumberFromText(u"1E+"), 1);
    EXPECT_EQ(NumberFromText(u"3,5"), 3);
    EXPECT_EQ(NumberFromText(u"&O19"), 1);
    EXPECT_EQ(NumberFromText(u"&H1G"), 1);
}

TEST(NumberFromText, ReadsZeroWhenNothingFits) {
    for (const char16_t* text :
         {u"", u"abc", u"DPI", u"-", u".", u"&", u"&X1", u"E5", u"\u0663", u"&H\u0663"})
        EXPECT_EQ(NumberFromText(text), 0) << QString::fromUtf16(text).toStdString();
}

TEST(NumberFromText, ReadsHexadecimalAndOctalPrefixes) {
    EXPECT_EQ(NumberFromText(u"&H1F"), 31);
    EXPECT_EQ(NumberFromText(u"&h1f"), 31);
    EXPECT_EQ(NumberFromText(u" & H 1F"), 31);
    EXPECT_EQ(NumberFromText(u"&O17"), 15);
}

TEST(NumberFromText, RoundsHalvesToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(-3.5), -4);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(RoundHalfEven(2.5001), 3);
    EXPECT_EQ(WholeNumberFromText(u"2.5", 0, 10), 2);
    EXPECT_EQ(WholeNumberFromText(u"3.5", 0, 10), 4);
    EXPECT_EQ(WholeNumberFromText(u"-3", -5, 5), -3);
}

TEST(NumberFromText, TextsLongerThanAnyFieldStayOutOfRangeInsteadOfWrapping) {
    constexpr auto kMin16 = std::numeric_limits<std::int16_t>::min();
    constexpr auto kMax16 = std::numeric_limits<std::int16_t>::max();
    EXPECT_EQ(WholeNumberFromText(u"32767", kMin16, kMax16), 32767);
    EXPECT_EQ(WholeNumberFromText(u"32768", kMin16, kMax16), std::nullopt);
    EXPECT_EQ(WholeNumberFromText(u"-32769", kMin16, kMax16), std::nullopt);

    const QString nines(400, u'9'); // more digits than a double can hold
    EXPECT_EQ(NumberFromText(nines), std::numeric_limits<double>::max());
    EXPECT_EQ(NumberFromText(QStringLiteral("-") + nines), -std::numeric_limits<double>::max());
    EXPECT_EQ(NumberFromText(QStringLiteral("&H") + QString(400, u'F')),
              std::numeric_limits<double>::max());
    EXPECT_EQ(WholeNumberFromText(nines, kMin16, kMax16), std::nullopt);
    EXPECT_EQ(WholeNumberFromText(u"1E400", INT64_MIN, INT64_MAX), std::nullopt);
    EXPECT_EQ(WholeNumberFromText(u"9223372036854775808", INT64_MIN, INT64_MAX), std::nullopt);
    EXPECT_EQ(NumberFromText(u"1E-400"), 0);

    EXPECT_EQ(NumberFromText(QString(300, u'0') + QStringLiteral("75")), 75);
    EXPECT_EQ(NumberFromText(QString(100000, u' ') + QStringLiteral("5")), 5);
}
