#include "options/core/number_rule.h"
#include "options/core/options_store.h"
#include "tests/options/options_test_util.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <sys/resource.h>

using namespace quillorn;
using namespace quillorn::options;

// Blanks count nowhere, reading stops at the first character that does not fit.
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

// Halves go to the even neighbour; a text longer than any field stays out of range.
TEST(NumberFromText, WholeNumbersTakeHalvesToEvenAndNeverWrap) {
    for (const auto& [value, rounded] : {std::pair{0.5, 0.0}, {-2.5, -2.0}, {2.5001, 3.0}})
        EXPECT_EQ(RoundHalfEven(value), rounded) << value;
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
        EXPECT_EQ(WholeNumberFromText(text, INT16_MIN, INT16_MAX), whole)
            << text.left(20).toStdString();
    EXPECT_EQ(WholeNumberFromText(u"1E400", INT64_MIN, INT64_MAX), std::nullopt);
    EXPECT_EQ(WholeNumberFromText(u"9223372036854775808", INT64_MIN, INT64_MAX), std::nullopt);
}

// A file-size limit makes the write fail the way a full disk does, for root too.
TEST(OptionsStore, AStoreThatCannotBeWrittenKeepsWhatItHeld) {
    const QString path = test::FreshStorePath("full");
    const auto save = [&](const Options& o) {
        SettingsStore store(path);
        SaveOptions(o, store);
        return store.Sync();
    };
    ASSERT_TRUE(save(test::ChangedOptions()));
    const QByteArray held = test::ReadFile(path);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit oldLimit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
    rlimit tiny = oldLimit;
    tiny.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const bool synced = save(test::FirstStartOptions());
    setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(synced);
    EXPECT_EQ(test::ReadFile(path), held);
}
