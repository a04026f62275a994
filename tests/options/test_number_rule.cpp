#include "options/core/number_rule.h"

#include <QString>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using namespace quillorn::options;

// Blanks, tabs and line feeds count nowhere; reading stops at the first character that does not
// fit; digits of other scripts are not digits here.
TEST(NumberFromText, ReadsTheLeadingNumber) {
    const std::pair<const char16_t*, double> cases[] = {
        {u"72", 72},     {u" 150", 150},  {u"7 2", 72},  {u"\t1\n5 ", 15}, {u"- 3", -3},
        {u"+3", 3},      {u"1.50", 1.5},  {u".5", 0.5},  {u"1E2", 100},    {u"1D2", 100},
        {u"1e-2", 0.01}, {u"2.5d+1", 25}, {u"&H1F", 31}, {u" & h 1f", 31}, {u"&O17", 15},
        {u"72DPI", 72},  {u"1.2.3", 1.2}, {u"1E+", 1},   {u"3,5", 3},      {u"&O19", 1},
        {u"&H1G", 1},    {u"", 0},        {u"abc", 0},   {u"DPI", 0},      {u"-", 0},
        {u".", 0},       {u"&X1", 0},     {u"E5", 0},    {u"\u0663", 0},   {u"1E-400", 0}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(NumberFromText(text), value) << QString::fromUtf16(text).toStdString();
}

TEST(NumberFromText, WholeNumbersTakeHalvesToEvenAndNeverWrap) {
    for (const auto& [value, rounded] :
         {std::pair{0.5, 0.0}, {-2.5, -2.0}, {-3.5, -4.0}, {2.4999, 2.0}, {2.5001, 3.0}})
        EXPECT_EQ(RoundHalfEven(value), rounded) << value;
    constexpr std::int64_t kMin16 = std::numeric_limits<std::int16_t>::min();
    constexpr std::int64_t kMax16 = std::numeric_limits<std::int16_t>::max();
    // A text longer than any field, and than a double can hold, stays out of range.
    const QString nines(400, u'9');
    const std::pair<QString, std::optional<std::int64_t>> cases[] = {
        {"2.5", 2},
        {"3.5", 4},
        {"-3", -3},
        {"32767", 32767},
        {"32768", {}},
        {"-32769", {}},
        {nines, {}},
        {"-" + nines, {}},
        {"&H" + QString(400, u'F'), {}},
        {QString(300, u'0') + "75", 75},
        {QString(100000, u' ') + "5", 5}};
    for (const auto& [text, whole] : cases)
        EXPECT_EQ(WholeNumberFromText(text, kMin16, kMax16), whole) << text.left(20).toStdString();
    EXPECT_EQ(NumberFromText(nines), std::numeric_limits<double>::max());
    EXPECT_EQ(WholeNumberFromText(u"1E400", INT64_MIN, INT64_MAX), std::nullopt);
    EXPECT_EQ(WholeNumberFromText(u"9223372036854775808", INT64_MIN, INT64_MAX), std::nullopt);
}
