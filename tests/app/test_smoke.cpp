// The built program started as a user would, home and configuration in empty scratch
// directories, nothing on standard input: start-up must reach its questions and wait there.
#include "tests/support/test_env.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Smoke, TheBuiltProgramStartsAndKeepsRunning) {
    QTemporaryDir root(quillorn::test::scratchDir() + QStringLiteral("/smoke-XXXXXX"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* var :
         {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "TMPDIR"}) {
        QDir(root.path()).mkpath(QLatin1String(var));
        env.insert(QLatin1String(var), root.filePath(QLatin1String(var)));
    }
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setStandardInputFile(QProcess::nullDevice());
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(QUILLORN_BINARY), {});
    ASSERT_TRUE(program.waitForStarted(10000)) << program.errorString().toStdString();
    EXPECT_FALSE(program.waitForFinished(5000))
        << "ended with " << program.exitCode() << ": " << program.readAll().toStdString();
    program.kill();
    program.waitForFinished(10000);
}
