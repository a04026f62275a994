#include "app/core/settings_store.h"
#include "app/core/temp_file.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <gtest/gtest.h>

using namespace quillorn;

TEST(SettingsStore, KeepsExactTextsInTheUsersConfigDirectory) {
    const QString options = QStringLiteral("Options"), safer = QStringLiteral("Safer");
    const QString settings = QStringLiteral("Settings"), left = QStringLiteral("MainLeft");
    {
        SettingsStore store;
        EXPECT_TRUE(store.FileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
        EXPECT_EQ(store.GetSetting(options, safer, QStringLiteral("True")), QStringLiteral("True"));
        store.SaveSetting(options, safer, QStringLiteral("False"));
        store.SaveSetting(settings, left, QStringLiteral("1000.5"));
        EXPECT_TRUE(store.Sync());
    }
    SettingsStore again;
    EXPECT_EQ(again.GetSetting(options, safer, QStringLiteral("True")), QStringLiteral("False"));
    EXPECT_EQ(again.GetSetting(settings, left), QStringLiteral("1000.5"));
    EXPECT_TRUE(test::ReadFile(again.FileName()).contains("[Options]\nSafer=False"));
    // A hand-edited value with a comma reads back as its text, not as a list.
    SettingsStore edited(
        test::WriteFile(QStringLiteral("edited.conf"), "[Settings]\nMainLeft=1,5\n"));
    EXPECT_EQ(edited.GetSetting(settings, left), QStringLiteral("1,5"));
}

TEST(TempFile, MakesDistinctEmptyKmwFilesInTmpdirOrNone) {
    QSet<QString> seen;
    for (int i = 0; i < 20; ++i) {
        const QFileInfo info(GetTempFile());
        EXPECT_TRUE(info.exists() && info.size() == 0);
        EXPECT_TRUE(info.fileName().startsWith(QStringLiteral("KMW")));
        EXPECT_EQ(info.absolutePath(), QDir(qEnvironmentVariable("TMPDIR")).absolutePath());
        seen.insert(info.filePath());
        QFile::remove(info.filePath());
    }
    EXPECT_EQ(seen.size(), 20);
    const QByteArray old = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(test::ScratchDir() + QStringLiteral("/no/such/dir")));
    EXPECT_EQ(GetTempFile(), QString());
    qputenv("TMPDIR", old);
}
