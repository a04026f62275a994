#include "app/core/settings_store.h"
#include "app/core/temp_file.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <gtest/gtest.h>

using namespace quillorn;

TEST(SettingsStore, KeepsExactTextsInTheUsersConfigDirectory) {
    {
        SettingsStore store;
        EXPECT_TRUE(store.FileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
        EXPECT_EQ(store.GetSetting(QStringLiteral("Options"), QStringLiteral("Safer"),
                                   QStringLiteral("True")),
                  QStringLiteral("True"));
        store.SaveSetting(QStringLiteral("Options"), QStringLiteral("Safer"),
                          QStringLiteral("False"));
        store.SaveSetting(QStringLiteral("DisplaySettings"), QStringLiteral("Resolution"),
                          QStringLiteral("75"));
        store.SaveSetting(QStringLiteral("Settings"), QStringLiteral("MainLeft"),
                          QStringLiteral("1000.5"));
        EXPECT_TRUE(store.Sync());
    }
    SettingsStore again;
    EXPECT_EQ(again.GetSetting(QStringLiteral("Options"), QStringLiteral("Safer"),
                               QStringLiteral("True")),
              QStringLiteral("False"));
    EXPECT_EQ(again.GetSetting(QStringLiteral("DisplaySettings"), QStringLiteral("Resolution")),
              QStringLiteral("75"));
    EXPECT_EQ(again.GetSetting(QStringLiteral("Settings"), QStringLiteral("MainLeft")),
              QStringLiteral("1000.5"));
    QFile ini(again.FileName());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    EXPECT_TRUE(text.contains("[Options]\nSafer=False")) << text.constData();
}

TEST(SettingsStore, AHandEditedValueWithACommaStaysText) {
    const QString path =
        test::WriteFile(QStringLiteral("edited.conf"), "[DisplaySettings]\nResolution=1,5\n");
    SettingsStore store(path);
    EXPECT_EQ(store.GetSetting(QStringLiteral("DisplaySettings"), QStringLiteral("Resolution"),
                               QStringLiteral("75")),
              QStringLiteral("1,5"));
}

TEST(TempFile, MakesDistinctEmptyKmwFilesInTmpdir) {
    QSet<QString> seen;
    for (int i = 0; i < 20; ++i) {
        const QString path = GetTempFile();
        ASSERT_FALSE(path.isEmpty());
        const QFileInfo info(path);
        EXPECT_TRUE(info.exists());
        EXPECT_EQ(info.size(), 0);
        EXPECT_TRUE(info.fileName().startsWith(QStringLiteral("KMW")));
        EXPECT_EQ(info.absolutePath(), QDir(qEnvironmentVariable("TMPDIR")).absolutePath());
        seen.insert(path);
        QFile::remove(path);
    }
    EXPECT_EQ(seen.size(), 20);
}

TEST(TempFile, EmptyTextWhenTheDirectoryIsUnusable) {
    const QByteArray old = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(test::ScratchDir() + QStringLiteral("/no/such/dir")));
    EXPECT_EQ(GetTempFile(), QString());
    qputenv("TMPDIR", old);
}
