// The built program started as a user would, home and configuration in empty scratch
// directories: start-up must reach its questions and wait there; "--help" and "--version" need
// no display; a termination signal ends a print job as Cancel would.
#include "base/version.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>

namespace {
// The program started in its own scratch home, configuration and temporary folders, without a
// display, on Qt's platform `platform` and with `input` as its standard input.
struct Program {
    QTemporaryDir root{quillorn::test::scratchDir() + QStringLiteral("/smoke-XXXXXX")};
    QProcess process;

    // `prepare` may plant files in the scratch folders before the start.
    Program(const QStringList& arguments, const char* platform, const QString& input,
            const std::function<void(const QDir&)>& prepare = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* var :
             {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "TMPDIR"}) {
            QDir(root.path()).mkpath(QLatin1String(var));
            env.insert(QLatin1String(var), root.filePath(QLatin1String(var)));
        }
        if (prepare)
            prepare(QDir(root.path()));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("quillorn.store=true"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QLatin1String(platform));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        process.setProcessEnvironment(env);
        process.setStandardInputFile(input);
        process.start(QStringLiteral(QUILLORN_BINARY), arguments);
    }
    ~Program() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(10000);
        }
    }
};

} // namespace

TEST(Smoke, TheBuiltProgramStartsAndKeepsRunning) {
    Program program({}, "offscreen", QProcess::nullDevice());
    ASSERT_TRUE(program.process.waitForStarted(10000))
        << program.process.errorString().toStdString();
    EXPECT_FALSE(program.process.waitForFinished(5000))
        << "ended with " << program.process.exitCode() << ": "
        << program.process.readAllStandardError().toStdString();
}

// On a platform that needs a display: any window, or Qt's look for one, would end the program.
TEST(Smoke, HelpAndVersionPrintOnStandardOutputWithoutAWindow) {
    const std::pair<const char*, QString> cases[] = {
        {"--help", QStringLiteral("Usage: quillorn [--no-splash] [FILE]\n")},
        {"--version", QStringLiteral("Quillorn ") + quillorn::versionText() + u'\n'}};
    for (const auto& [argument, begins] : cases) {
        Program program({QLatin1String(argument)}, "xcb", QProcess::nullDevice());
        ASSERT_TRUE(program.process.waitForFinished(10000));
        EXPECT_EQ(program.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.process.exitCode(), 0)
            << program.process.readAllStandardError().toStdString();
        EXPECT_TRUE(
            QString::fromLocal8Bit(program.process.readAllStandardOutput()).startsWith(begins))
            << argument;
    }
}

// A print job on standard input; once its file exists the handlers are in place. The signal
// closes the conversion dialog (or ends the saving), the program ends normally and leaves
// nothing in the temporary folder.
TEST(Smoke, ATerminationSignalEndsAPrintJobAndLeavesNothing) {
    const QString job = quillorn::test::writeTwoPagePostScript(QStringLiteral("smoke-job.ps"));
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        Program program({}, "offscreen", job);
        const QDir temp(program.root.filePath(QStringLiteral("TMPDIR")));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return !temp.entryList({QStringLiteral("KMW*")}, QDir::Files).isEmpty(); },
            30000));
        ASSERT_EQ(::kill(static_cast<pid_t>(program.process.processId()), signal), 0);
        ASSERT_TRUE(program.process.waitForFinished(30000)) << signal;
        EXPECT_EQ(program.process.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(program.process.exitCode(), 0) << signal;
        EXPECT_EQ(temp.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList())
            << signal;
    }
}

// The settings' folder is a file, so the document the start opens cannot be saved among the
// recent files: the signal's shutdown (which answers the start's questions as Escape would) says
// so on standard error and ends by itself, with no box waiting for an answer.
TEST(Smoke, ATerminationSignalWithUnsavableSettingsEndsAndSaysSoOnStandardError) {
    const QString doc = quillorn::test::writeTwoPagePostScript(QStringLiteral("smoke-doc.ps"));
    Program program({doc}, "offscreen", QProcess::nullDevice(), [](const QDir& root) {
        quillorn::test::writeFile(root.filePath(QStringLiteral("XDG_CONFIG_HOME/Quillorn")), "");
    });
    // Sent once the main window has read the recent files from the store.
    QByteArray said;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return (said += program.process.readAllStandardError()).contains("written:"); },
        30000));
    ASSERT_EQ(::kill(static_cast<pid_t>(program.process.processId()), SIGTERM), 0);
    ASSERT_TRUE(program.process.waitForFinished(20000));
    EXPECT_EQ(program.process.exitStatus(), QProcess::NormalExit);
    said += program.process.readAllStandardError();
    EXPECT_TRUE(said.contains("The settings could not be saved to ")) << said.toStdString();
}
