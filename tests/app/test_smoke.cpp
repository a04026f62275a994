// The built program, started as a user would, with its home and configuration in scratch
// directories and nothing on standard input: start-up must reach its questions and wait there.
#include "tests/support/test_env.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Smoke, TheBuiltProgramStartsAndKeepsRunning) {
    QTemporaryDir root(quillorn::test::ScratchDir() + QStringLiteral("/smoke-XXXXXX"));
    ASSERT_TRUE(root.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* sub : {"home", "config", "data", "cache", "tmp"})
        QDir(root.path()).mkpath(QLatin1String(sub));
    env.insert(QStringLiteral("HOME"), root.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), root.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), root.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("TMPDIR"), root.filePath(QStringLiteral("tmp")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    QProcess program;
    program.setProcessEnvironment(env);
    program.setStandardInputFile(QProcess::nullDevice());
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(QUILLORN_BINARY), {});
    ASSERT_TRUE(program.waitForStarted(10000)) << program.errorString().toStdString();
    const bool finished = program.waitForFinished(5000);
    EXPECT_FALSE(finished) << "ended with " << program.exitCode() << ": "
                           << program.readAll().toStdString();
    EXPECT_EQ(program.state(), QProcess::Running);
    program.kill();
    program.waitForFinished(10000);
    // Without input there is no print job, so no temporary job file.
    EXPECT_TRUE(QDir(root.filePath(QStringLiteral("tmp")))
                    .entryList({QStringLiteral("KMW*")}, QDir::Files)
                    .isEmpty());
}
