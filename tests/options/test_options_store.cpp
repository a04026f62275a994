#include "options/core/options_store.h"
#include "tests/options/options_test_util.h"

#include <QSettings>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace quillorn;
using namespace quillorn::options;

TEST(OptionsStore, SavesAllTwelveValuesAsPlainTextsAndReadsThemBack) {
    const QString path = test::FreshStorePath("texts");
    {
        SettingsStore store(path);
        EXPECT_EQ(ReadStoredOptions(store), test::FirstStartOptions());
        SaveOptions(test::ChangedOptions(), store);
        ASSERT_TRUE(store.Sync());
    }
    QSettings raw(path, QSettings::IniFormat);
    EXPECT_EQ(raw.allKeys().size(), 12);
    const std::pair<const char*, const char*> expected[] = {
        {"Options/Units", "3"},
        {"Options/Orientation", "2"},
        {"Options/Safer", "False"},
        {"Options/BoundingBox", "True"},
        {"Options/Media", "9"},
        {"Options/OverrideDefaultMedia", "True"},
        {"CustomMedia/Width", "612"},
        {"CustomMedia/Height", "-792"},
        {"DisplaySettings/Resolution", "1200"},
        {"DisplaySettings/ColourDepth", "0"},
        {"DisplaySettings/TextAlpha", "1"},
        {"DisplaySettings/GraphicsAlpha", "4"}};
    for (const auto& [key, text] : expected)
        EXPECT_EQ(raw.value(QLatin1String(key)).toString(), QLatin1String(text)) << key;
    EXPECT_EQ(ReadStoredOptions(SettingsStore(path)), test::ChangedOptions());
}

TEST(OptionsStore, TextsTheProgramNeverWritesFallBackToTheDefault) {
    SettingsStore store(test::FreshStorePath("odd"));
    const auto put = [&store](const QString& section, const char* key, const QString& text) {
        store.SaveSetting(section, QLatin1String(key), text);
    };
    put(kOptionsSection, "Units", QStringLiteral("4"));
    put(kOptionsSection, "Orientation", QStringLiteral("-1"));
    put(kOptionsSection, "Safer", QStringLiteral("yes"));
    put(kOptionsSection, "BoundingBox", QStringLiteral("1"));
    put(kOptionsSection, "OverrideDefaultMedia", QStringLiteral("true"));
    put(kOptionsSection, "Media", QStringLiteral("10"));
    put(kCustomMediaSection, "Width", QStringLiteral("99999999999"));
    put(kDisplaySettingsSection, "Resolution", QStringLiteral("40000"));
    put(kDisplaySettingsSection, "ColourDepth", QStringLiteral("5"));
    put(kDisplaySettingsSection, "TextAlpha", QString(500, u'9'));
    EXPECT_EQ(ReadStoredOptions(store), test::FirstStartOptions());

    // Texts that read as a number within the field are taken by the number rule.
    put(kOptionsSection, "Units", QStringLiteral("2.5"));
    put(kOptionsSection, "Orientation", QStringLiteral("&H3"));
    put(kCustomMediaSection, "Height", QStringLiteral("-2147483648"));
    put(kDisplaySettingsSection, "Resolution", QStringLiteral("150 dpi"));
    put(kDisplaySettingsSection, "TextAlpha", QStringLiteral("3")); // kept: the dialog shows it
    put(kDisplaySettingsSection, "GraphicsAlpha", QString());       // no leading number: 0
    const Options read = ReadStoredOptions(store);
    EXPECT_EQ(read.Units, 2);
    EXPECT_EQ(read.Orientation, 3);
    EXPECT_EQ(read.CustomMedia.Height, -2147483647 - 1);
    EXPECT_EQ(read.Resolution, 150);
    EXPECT_EQ(read.TextAlpha, 3);
    EXPECT_EQ(read.GraphicsAlpha, 0);
}

// A file-size limit makes the store's write fail the way a full disk does, for root too.
TEST(OptionsStore, AStoreThatCannotBeWrittenKeepsWhatItHeld) {
    const QString path = test::FreshStorePath("full");
    {
        SettingsStore store(path);
        SaveOptions(test::ChangedOptions(), store);
        ASSERT_TRUE(store.Sync());
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray held = file.readAll();
    file.close();

    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit oldLimit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
    rlimit tiny = oldLimit;
    tiny.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    bool synced = true;
    {
        SettingsStore store(path);
        SaveOptions(test::FirstStartOptions(), store);
        synced = store.Sync();
    }
    setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(synced);
    // The bytes on disk, as the next run reads them; this process's settings cache still holds
    // the values that could not be written.
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), held);
}
