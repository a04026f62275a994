// Ghostscript in its worker process: what the program hears from a run is what the library
// says, a run can be stopped, a worker that dies is reported, and nothing is left behind.
#include "base/failure.h"
#include "base/message_log.h"
#include "base/temp_files.h"
#include "gs/arguments.h"
#include "gs/document_info.h"
#include "gs/worker_runner.h"
#include "tests/support/runs.h"
#include "tests/support/test_env.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

using namespace quillorn;

namespace {

struct Log : MessageSink {
    MessageLog log;
    void addMessage(const QString& text) override { log.append(text); }
};

QStringList renderArgs(const QString& document, const QString& page, bool safer = true) {
    gs::Arguments args;
    args << gs::unattendedSwitches() << gs::saferSwitch(safer)
         << gs::deviceSwitch(QStringLiteral("bmp16m")) << gs::resolutionSwitch(75)
         << gs::alphaSwitches(2, 2) << gs::outputFileSwitch(page)
         << gs::inputFileArgument(document);
    return args.list();
}

// Private folders of Ghostscript runs left in the temporary directory.
QStringList runFolders() {
    return QDir::temp().entryList({QStringLiteral("quillorn-*")}, QDir::Dirs | QDir::Hidden);
}

// Worker processes of this process that have not ended.
int liveWorkers() {
    int count = 0;
    const QString self = QString::number(QCoreApplication::applicationPid());
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        // pid (comm) state ppid ...
        const QStringList fields = stat.open(QIODevice::ReadOnly)
                                       ? QString::fromLatin1(stat.readAll()).split(u' ')
                                       : QStringList();
        count += fields.size() > 3 && fields[1] == u"(quillorn-gs)" && fields[2] != u"Z" &&
                 fields[3] == self;
    }
    return count;
}

} // namespace

// The loaded library's banner opens a block of the log; every line ends in CR LF.
TEST(Worker, RelaysExactlyWhatTheLibrarySaysAndTheVectorItWasGiven) {
    const QString doc = test::writeTwoPagePostScript(QStringLiteral("worker/two pages.ps"));
    const QString page = test::scratchDir() + QStringLiteral("/worker/page.bmp");
    gs::Binding binding;
    gs::WorkerRunner worker;
    Log here, there;
    const QString product = binding.revision().value_or(gs::Revision{}).product;
    here.log.setProductName(product), there.log.setProductName(product);
    ASSERT_TRUE(test::runInProcess(binding, renderArgs(doc, page), here).succeeded());
    const gs::RunResult result = test::runAndWait(worker, renderArgs(doc, page), there);
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.pages, 2);
    const QString& log = there.log.text();
    EXPECT_EQ(log, here.log.text());
    EXPECT_TRUE(!product.isEmpty() && log.startsWith(QStringLiteral("\r\n") + product))
        << log.toStdString();
    EXPECT_EQ(log.count(u'\n'), log.count(QStringLiteral("\r\n")));

    // The vector reaches the worker element by element, blanks and all.
    worker.setEcho(true);
    Log echo;
    test::runAndWait(worker, renderArgs(doc, page), echo);
    EXPECT_TRUE(echo.log.text().startsWith(renderArgs(doc, page).join(QStringLiteral("\r\n")) +
                                           QStringLiteral("\r\n")));
    EXPECT_TRUE(runFolders().isEmpty());
}

// With the diagnostics turned on, a run can be followed to its end, and a document's password
// never reaches them.
TEST(Worker, DiagnosticsFollowARunAndKeepThePasswordOut) {
    static QStringList said;
    QLoggingCategory::setFilterRules(QStringLiteral("quillorn.*=true"));
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { said << text; });
    const QString doc = test::writeTwoPagePostScript(QStringLiteral("traced/doc.ps"));
    QStringList args = renderArgs(doc, QStringLiteral("/dev/null"));
    args.insert(1, QStringLiteral("-sPDFPassword=sesame"));
    gs::WorkerRunner worker;
    Log log;
    const bool succeeded = test::runAndWait(worker, args, log).succeeded();
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules({});
    EXPECT_TRUE(succeeded);
    const QString all = said.join(u'\n');
    EXPECT_TRUE(all.contains(QLatin1String("run finished: code 0"))) << all.toStdString();
    EXPECT_FALSE(all.contains(QLatin1String("sesame"))) << all.toStdString();
}

TEST(Worker, SeveralRunsGoAtOnceEachToItsSinkAndOneStopEndsThemAll) {
    const QString loop = test::writeFile(QStringLiteral("worker/loop.ps"), "%!PS\n{} loop\n");
    const QString doc = test::writeTwoPagePostScript(QStringLiteral("worker/together.ps"));
    gs::WorkerRunner worker;
    std::vector<gs::RunRequest> requests(3);
    requests[0].args = renderArgs(loop, QStringLiteral("/dev/null"));
    requests[1].args = renderArgs(doc, test::scratchDir() + QStringLiteral("/worker/t-%d.bmp"));
    requests[2].args = requests[0].args;
    Log logs[3];
    // Both endless runs must be going for one stop() to end them.
    QTimer::singleShot(1500, &worker, [&] { worker.stop(); });
    const std::vector<gs::RunResult> results =
        test::runAndWait(worker, requests, {&logs[0], &logs[1], &logs[2]});
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].end, gs::RunResult::End::Stopped);
    EXPECT_TRUE(results[1].succeeded());
    EXPECT_EQ(results[1].pages, 2);
    EXPECT_EQ(results[2].end, gs::RunResult::End::Stopped);
    for (const Log& log : logs)
        EXPECT_EQ(log.log.text().count(QLatin1String("GPL Ghostscript")), 1);
    EXPECT_FALSE(worker.isRunning());
    EXPECT_TRUE(runFolders().isEmpty());

    // A PDF's pages as Ghostscript counts them; nothing for a file it cannot read as one.
    const QString pdf = test::writeTwoPagePdf(QStringLiteral("worker/two (pages).pdf"));
    const auto count = [&](const QString& path) {
        struct Said : MessageSink {
            QString text;
            void addMessage(const QString& piece) override { text += piece; }
        } said;
        return test::runAndWait(worker, gs::pdfPageCountArguments(path), said).succeeded()
                   ? gs::pageCountFromOutput(said.text)
                   : std::nullopt;
    };
    EXPECT_EQ(count(pdf), 2);
    EXPECT_EQ(count(doc), std::nullopt);
}

// The next worker starts beside the run the user waits for, to have the library loaded by the
// time it is wanted; after a page drawn ahead, which the user may be waiting for, not beside it.
TEST(Worker, TheNextWorkerStartsBesideTheUsersRunAndAfterARunAhead) {
    const QString loop = test::writeFile(QStringLiteral("worker/ready.ps"), "%!PS\n{} loop\n");
    gs::WorkerRunner worker;
    Log log;
    gs::RunRequest endless;
    endless.args = renderArgs(loop, QStringLiteral("/dev/null"));
    ASSERT_EQ(liveWorkers(), 0);
    std::unique_ptr<gs::RunJob> job = worker.start(endless, log, gs::Urgency::Now);
    EXPECT_EQ(liveWorkers(), QThread::idealThreadCount() > 1 ? 2 : 1); // given a core for it
    job.reset();
    EXPECT_EQ(liveWorkers(), 1);
    job = worker.start(endless, log, gs::Urgency::Soon);
    EXPECT_EQ(liveWorkers(), 1);
    job->stop();
    for (const QDeadlineTimer deadline(60000); !job->isFinished() && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(liveWorkers(), 1);
}

TEST(Worker, RunsOutOfMemoryCrashesAndExitsAreReportedAndTheNextRunWorks) {
    const QString bomb =
        test::writeFile(QStringLiteral("worker/alloc.ps"),
                        "%!PS\n/a null def { /a [ a 1048576 string ] def } loop\n");
    const QString doc = test::writeTwoPagePostScript(QStringLiteral("worker/fine.ps"));
    const QString page = test::scratchDir() + QStringLiteral("/worker/fine.bmp");
    gs::WorkerRunner worker;
    worker.setMemoryLimit(300LL * 1024 * 1024);
    Log log;
    gs::RunResult result;
#ifndef __SANITIZE_ADDRESS__ // a sanitized worker runs without the address-space limit
    result = test::runAndWait(worker, renderArgs(bomb, page), log);
    EXPECT_EQ(result.end, gs::RunResult::End::OutOfMemory);
    EXPECT_EQ(gs::describeEnd(result, worker.memoryLimit()),
              QStringLiteral("Ghostscript ran out of memory (limit 0.293 GB)"));
#endif

    // Stand-ins for a library that crashes, and one that ends the process, in the middle.
    for (const auto& [library, signal] : {std::pair{CRASHING_GS, 11}, {EXITING_GS, 0}}) {
        worker.setLibraryCandidates({QLatin1String(library)});
        result = test::runAndWait(worker, renderArgs(doc, page), log);
        EXPECT_EQ(result.end, gs::RunResult::End::Crashed) << library;
#ifdef __SANITIZE_ADDRESS__ // the sanitizer reports a crash and aborts instead
        if (signal != 0)
            continue;
#endif
        EXPECT_EQ(result.signal, signal);
        EXPECT_TRUE(log.log.text().endsWith(QLatin1String("half a page\r\n")));
    }
    worker.setLibraryCandidates({QStringLiteral("/nonexistent/libgs.so")});
    result = test::runAndWait(worker, renderArgs(doc, page), log);
    EXPECT_EQ(result.end, gs::RunResult::End::NotStarted);
    EXPECT_EQ(result.failure.kind, FailureKind::LibraryMissing);
    worker.setLibraryCandidates({});
    EXPECT_TRUE(test::runAndWait(worker, renderArgs(doc, page), log).succeeded());
    EXPECT_TRUE(runFolders().isEmpty());
}

// A document that prints without end reaches the log only up to the bound of one run, and is
// ended once it has written far more.
TEST(Worker, AFloodOfMessagesIsBoundedAndEnded) {
    const QString flood =
        test::writeFile(QStringLiteral("worker/flood.ps"),
                        "%!PS\n{ (" + QByteArray(1000, 'x') + "\n) print } loop\n");
    gs::WorkerRunner worker;
    Log log;
    const gs::RunResult result =
        test::runAndWait(worker, renderArgs(flood, QStringLiteral("/dev/null")), log);
    EXPECT_EQ(result.end, gs::RunResult::End::Refused);
    EXPECT_TRUE(result.reason.contains(QLatin1String("MB of messages")));
    EXPECT_LT(log.log.text().size(), 2 << 20);
    EXPECT_TRUE(
        log.log.text().contains(QLatin1String("characters of messages of this run were not kept")));
}

TEST(Worker, NoPrivateFolderNoRunAndStaleFoldersOfDeadProcessesGo) {
    const QString doc = test::writeTwoPagePostScript(QStringLiteral("worker/two.ps"));
    gs::WorkerRunner worker;
    Log log;
    const QByteArray tmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(test::scratchDir() + QStringLiteral("/no such dir")));
    const gs::RunResult result =
        test::runAndWait(worker, renderArgs(doc, QStringLiteral("/dev/null")), log);
    EXPECT_EQ(result.end, gs::RunResult::End::NotStarted);
    EXPECT_EQ(result.failure.kind, FailureKind::FileAccess);
    qputenv("TMPDIR", tmp);
    EXPECT_TRUE(log.log.text().isEmpty());

    // A process that has ended leaves its folder behind; this one is alive.
    QProcess gone;
    gone.start(QStringLiteral("true"));
    gone.waitForStarted();
    const qint64 deadPid = gone.processId();
    gone.waitForFinished();
    const QString dead = QStringLiteral("quillorn-%1-AbCdEf").arg(deadPid);
    const QString alive = QStringLiteral("KMW-%1-AbCdEf").arg(QCoreApplication::applicationPid());
    for (const QString& name : {dead, alive})
        test::writeFile(QDir::temp().filePath(name + QStringLiteral("/page.bmp")), "x");
    sweepStaleTemporaries();
    EXPECT_FALSE(QDir::temp().exists(dead));
    EXPECT_TRUE(QDir::temp().exists(alive));
    QDir(QDir::temp().filePath(alive)).removeRecursively();
}

namespace {
class FileName : public ::testing::TestWithParam<const char*> {};
} // namespace

// A name with a blank, or one Ghostscript would read as a switch, an argument file, a device or
// a pipe, still names its own file: the document is read and its pages are written beside it.
// Without Safer, which refuses every name that holds a pipe, a misread name would run one.
TEST_P(FileName, ReachesTheLibraryAsTheFileItNames) {
    const QString name = QString::fromUtf8(GetParam());
    const QString folder = test::scratchDir() + QStringLiteral("/names");
    test::writeTwoPagePostScript(QStringLiteral("names/") + name);
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder));
    gs::Binding binding;
    Log log;
    const gs::RunResult result = test::runInProcess(
        binding, renderArgs(name, gs::literalOutputPath(name) + QStringLiteral("-%d.bmp"), false),
        log);
    QDir::setCurrent(before);
    EXPECT_EQ(result.pages, 2) << log.log.text().toStdString();
    for (const char* page : {"-1.bmp", "-2.bmp"})
        EXPECT_TRUE(QFileInfo(folder + u'/' + name + QLatin1String(page)).isFile()) << page;
}

INSTANTIATE_TEST_SUITE_P(Awkward, FileName,
                         ::testing::Values("two pages.ps", "-x two.ps", "@list.ps",
                                           "%pipe%cat two.ps", "|cat.ps"));
