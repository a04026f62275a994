#include "base/message_log.h"
#include "base/number_rule.h"
#include "base/settings_store.h"
#include "base/step_runner.h"
#include "base/temp_files.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_env.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quillorn;

// Blanks count nowhere, reading stops at the first character that does not fit. Whole numbers
// take halves to the even neighbour; a text too long for a field never wraps.
TEST(NumberRule, ReadsTheLeadingNumberAndWholeNumbersThatFit) {
    const std::pair<const char16_t*, double> cases[] = {
        {u"7 2", 72},    {u"\t1\n5 ", 15}, {u"- 3", -3},  {u".5", 0.5},   {u"1D2", 100},
        {u"2.5d+1", 25}, {u" & h 1f", 31}, {u"&O17", 15}, {u"72DPI", 72}, {u"1.2.3", 1.2},
        {u"3,5", 3},     {u"&O19", 1},     {u"", 0},      {u"E5", 0},     {u"\u0663", 0}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(parseLeadingNumber(text), value) << QStringView(text).toString().toStdString();
    const std::pair<const char16_t*, std::optional<std::int64_t>> wholes[] = {
        {u"2.5", 2}, {u"3.5", 4}, {u"-2.5", -2}, {u"32767", 32767}, {u"32768", {}}};
    for (const auto& [text, whole] : wholes)
        EXPECT_EQ(wholeNumberFromText(text, INT16_MIN, INT16_MAX), whole);
    const QString nines(400, u'9');
    for (const QString& text : {nines, u'-' + nines, QStringLiteral("&H") + nines})
        EXPECT_EQ(wholeNumberFromText(text, INT16_MIN, INT16_MAX), std::nullopt);
    EXPECT_EQ(wholeNumberFromText(QString(100000, u' ') + QString(300, u'0') + u'7', 0, 9), 7);
    EXPECT_EQ(wholeNumberFromText(u"1E400", INT64_MIN, INT64_MAX), std::nullopt);
    EXPECT_EQ(wholeNumberFromText(u"9223372036854775808", INT64_MIN, INT64_MAX), std::nullopt);
    // Seconds in the status bar: single precision, no grouping, the locale's separator.
    EXPECT_EQ(secondsText(0.3671875, QLocale::c()), QStringLiteral("0.3671875"));
    EXPECT_EQ(secondsText(1234.25, QLocale(QLocale::German)), QStringLiteral("1234,25"));
}

// Each row: the messages in order, separated by "|", and the log text they make. The loaded
// library's banner (its name, version and date) opens a block as "AFPL" does; the trailer of a
// failed run, which names the library too, does not.
TEST(MessageLog, JoinsMessagesByTheLogRule) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"abc|def|", u"abcdef"},
        {u"AFPL Ghostscript 8.0", u"\r\nAFPL Ghostscript 8.0"},
        {u"x|afpl lower case|AFP", u"xafpl lower caseAFP"},
        {u"one\ntwo\n|three\r\n", u"one\r\ntwo\r\nthree\r\r\n"},
        {u"Quillorn 0.1\r\n\r\n|GPL Ghostscript 10.0.0 (2022-09-21)\nCopyright|GPL is not",
         u"Quillorn 0.1\r\r\n\r\r\n\r\nGPL Ghostscript 10.0.0 (2022-09-21)\r\nCopyrightGPL is not"},
        {u"Error: /undefined\n|GPL Ghostscript 10.00.0: Unrecoverable error, exit code 1\n",
         u"Error: /undefined\r\nGPL Ghostscript 10.00.0: Unrecoverable error, exit code 1\r\n"}};
    for (const auto& [messages, text] : cases) {
        MessageLog log;
        log.setProductName(QStringLiteral("GPL Ghostscript"));
        for (const QString& message : QStringView(messages).toString().split(u'|'))
            log.append(message);
        EXPECT_EQ(log.text(), QStringView(text).toString());
    }
}

// A log that is appended to without end keeps its newest blocks, says what it dropped, and a
// view that has shown part of it gets exactly what followed.
TEST(MessageLog, StaysWithinItsLimitAndAViewGetsWhatFollowed) {
    MessageLog log;
    log.setProductName(QStringLiteral("GPL Ghostscript"));
    const QString line = QString(99, u'x') + u'\n';
    qint64 shown = 0;
    QString view;
    for (int i = 0; i < 100000; ++i) { // 10 million characters
        log.append(i % 1000 == 0 ? QStringLiteral("GPL Ghostscript 10.00.0 (2022-09-21)\n") : line);
        if (i % 7919 == 0) {
            view += log.since(shown);
            shown = log.end();
        }
    }
    EXPECT_LE(log.text().size(), MessageLog::kMaxChars);
    EXPECT_TRUE(log.text().startsWith(QLatin1String("[")));
    EXPECT_TRUE(log.text().contains(QLatin1String("characters of older messages were dropped")));
    EXPECT_TRUE(log.text().endsWith(QString(99, u'x') + QStringLiteral("\r\n")));
    // Caught up once more, the view ends as the log does.
    view += log.since(shown);
    EXPECT_TRUE(view.endsWith(log.text().right(1000)));
}

// Three steps a, b, c; b waits for work that ends later, and fails once. The user's answer, or
// for a missing output the action's own handler, decides which steps run and how the action
// ends; a retried step starts its work again. A file the user cannot read ends the action on
// Ignore too, and is no error to report.
TEST(StepRunner, TheAnswerToAFailedStepDecidesWhatRunsNext) {
    using enum StepRunner::Outcome;
    using Choice = StepRunner::NoOutputChoice;
    const std::tuple<FailureKind, Answer, Choice, const char16_t*, StepRunner::Outcome> cases[] = {
        {FailureKind::Internal, Answer::Abort, Choice::GoOn, u"ab", Aborted},
        {FailureKind::Internal, Answer::Retry, Choice::GoOn, u"abbc", Completed},
        {FailureKind::Internal, Answer::Ignore, Choice::GoOn, u"abc", Completed},
        {FailureKind::FileAccess, Answer::Retry, Choice::GoOn, u"abbc", Completed},
        {FailureKind::FileAccess, Answer::Ignore, Choice::GoOn, u"ab", Aborted},
        {FailureKind::NoOutput, Answer::Abort, Choice::Stop, u"ab", Stopped},
        {FailureKind::NoOutput, Answer::Abort, Choice::GoOn, u"abc", Completed}};
    for (const auto& [kindOfCase, answer, choiceOfCase, expected, outcome] : cases) {
        // clang-tidy (clang 14) cannot capture structured bindings in lambdas.
        const FailureKind kind = kindOfCase;
        const Choice choice = choiceOfCase;
        test::ScriptedDialogs dialogs;
        dialogs.answers = {answer};
        StepRunner runner(dialogs, QStringLiteral("redrawing"),
                          [&](const Failure&) { return choice; });
        QString ran;
        int failures = 1;
        std::optional<StepRunner::Outcome> ended;
        const auto waits = [&] {
            ran += u'b';
            runner.suspend();
            QTimer::singleShot(0, QCoreApplication::instance(), [&] {
                runner.resume([&] {
                    if (failures-- > 0)
                        throw Failure{kind, QStringLiteral("Disk full")};
                });
            });
        };
        runner.start({[&] { ran += u'a'; }, waits, [&] { ran += u'c'; }},
                     [&](StepRunner::Outcome o) { ended = o; });
        EXPECT_FALSE(ended); // b waits
        ASSERT_TRUE(QTest::qWaitFor([&] { return ended.has_value(); }, 10000));
        EXPECT_EQ(*ended, outcome);
        EXPECT_EQ(ran, QStringView(expected).toString());
        // A missing output is the action's own to say; every other failure is put to the user.
        EXPECT_EQ(dialogs.boxes.size(), kind == FailureKind::NoOutput ? 0u : 1u);
    }
}

TEST(SettingsStore, KeepsExactTexts) {
    const QString section = QStringLiteral("Options"), key = QStringLiteral("Safer");
    SettingsStore store;
    EXPECT_EQ(store.value(section, key, QStringLiteral("True")), QStringLiteral("True"));
    store.setValue(section, key, QStringLiteral("1000.5"));
    EXPECT_TRUE(store.sync());
    EXPECT_TRUE(test::readFile(store.fileName()).contains("[Options]\nSafer=1000.5"));
    // A hand-edited value with a comma reads back as its text, not as a list.
    const SettingsStore edited(
        test::writeFile(QStringLiteral("edited.ini"), "[Options]\nSafer=1,5"));
    EXPECT_EQ(edited.value(section, key), QStringLiteral("1,5"));
}

// A file-size limit makes the write fail the way a full disk does, for root too.
TEST(SettingsStore, AStoreThatCannotBeWrittenSaysSoAndKeepsWhatItHeld) {
    const QByteArray held = "[Options]\nSafer=False\n";
    const QString path = test::writeFile(QStringLiteral("full.ini"), held);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit oldLimit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
    const rlimit tiny{16, oldLimit.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    SettingsStore store(path);
    store.setValue(QStringLiteral("Options"), QStringLiteral("Units"), QStringLiteral("3"));
    const bool synced = store.sync();
    const QString problem = store.writeProblem(); // the system's own words for the cause
    setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(synced);
    EXPECT_EQ(problem, qt_error_string(EFBIG));
    EXPECT_EQ(test::readFile(path), held);
}

// A file above 1 MB is set aside unread under a free name; an earlier one set aside stays.
TEST(SettingsStore, AnOversizedStoreIsSetAsideAndNeverRead) {
    const QByteArray huge = "[Options]\nSafer=False\n" + QByteArray(kLargestStoreBytes, '#');
    const QString path = test::writeFile(QStringLiteral("huge/Quillorn.ini"), huge);
    const QByteArray earlier = "set aside before";
    test::writeFile(path + QStringLiteral(".bad"), earlier);
    EXPECT_EQ(SettingsStore(path).value(QStringLiteral("Options"), QStringLiteral("Safer")),
              QString()); // too large to be read even where it cannot be set aside
    const QString note = setAsideOversizedStore(path);
    EXPECT_TRUE(note.contains(path + QStringLiteral(".bad.2"))) << note.toStdString();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(test::readFile(path + QStringLiteral(".bad.2")) == huge);
    EXPECT_EQ(test::readFile(path + QStringLiteral(".bad")), earlier);
    // At the limit a file is an ordinary store.
    test::writeFile(path, QByteArray(kLargestStoreBytes, '#'));
    EXPECT_EQ(setAsideOversizedStore(path), QString());
    EXPECT_TRUE(QFile::exists(path));
}

// Only a regular file is a store. A link to one (as dotfile managers make) is read and written
// through, and stays a link; a pipe, a link to a device or a dangling link is neither read nor
// written, and the start-up note says that the settings are not kept. (A hang is an alarm.)
TEST(SettingsStore, OnlyARegularFileIsAStore) {
    const QString section = QStringLiteral("Options"), key = QStringLiteral("Units");
    const QString dir = test::scratchDir() + QStringLiteral("/stores");
    QDir(dir).removeRecursively();
    const QString kept =
        test::writeFile(dir + QStringLiteral("/repo/Quillorn.ini"), "[Options]\nUnits=2\n");
    const QString linked = dir + QStringLiteral("/linked.ini");
    ASSERT_TRUE(QFile::link(kept, linked));
    ::alarm(20);
    {
        SettingsStore store(linked);
        EXPECT_EQ(store.value(section, key), QStringLiteral("2"));
        store.setValue(section, key, QStringLiteral("3"));
        EXPECT_TRUE(store.sync());
    }
    EXPECT_EQ(QFileInfo(linked).symLinkTarget(), kept);
    EXPECT_TRUE(test::readFile(kept).contains("Units=3"));
    EXPECT_EQ(setAsideOversizedStore(linked), QString());

    const QString fifo = dir + QStringLiteral("/fifo.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString toNull = dir + QStringLiteral("/null.ini");
    const QString dangling = dir + QStringLiteral("/dangling.ini");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), toNull));
    ASSERT_TRUE(QFile::link(dir + QStringLiteral("/nowhere.ini"), dangling));
    for (const QString& path : {fifo, toNull, dangling}) {
        SCOPED_TRACE(path.toStdString());
        const QFileInfo before(path);
        SettingsStore store(path);
        EXPECT_EQ(store.value(section, key, QStringLiteral("0")), QStringLiteral("0"));
        store.setValue(section, key, QStringLiteral("1"));
        EXPECT_TRUE(store.sync()); // nothing to keep, and the user has been told
        EXPECT_TRUE(setAsideOversizedStore(path).contains(QStringLiteral("are not kept")));
        EXPECT_EQ(QFileInfo(path).symLinkTarget(), before.symLinkTarget());
        EXPECT_FALSE(QFileInfo(path).isFile());
    }
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/nowhere.ini")));
    // A store whose file becomes a pipe while it is open says so, and waits for nothing.
    const QString later = test::writeFile(dir + QStringLiteral("/later.ini"), "[Options]\n");
    SettingsStore store(later);
    QFile::remove(later);
    ASSERT_EQ(::mkfifo(QFile::encodeName(later).constData(), 0600), 0);
    store.setValue(section, key, QStringLiteral("1"));
    EXPECT_FALSE(store.sync());
    EXPECT_EQ(store.writeProblem(), QStringLiteral("it is not a file"));
    ::alarm(0);
}

TEST(TempFiles, DistinctEmptyKmwFilesInTmpdirOrNone) {
    {
        const TempFileGuard first(createTempFile()), second(createTempFile());
        const QFileInfo info(first.path());
        EXPECT_TRUE(info.exists() && info.size() == 0 && info.fileName().startsWith(u"KMW"));
        EXPECT_EQ(info.absolutePath(), QDir(qEnvironmentVariable("TMPDIR")).absolutePath());
        EXPECT_NE(first.path(), second.path());
    }
    EXPECT_TRUE(test::tempLeftovers().isEmpty()); // the guards took their files along
    const QByteArray old = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(test::scratchDir() + QStringLiteral("/no/such/dir")));
    EXPECT_EQ(createTempFile(), QString());
    qputenv("TMPDIR", old);
}

// The staging a killed conversion left in an output folder goes at the next start: only names of
// exactly that form, only of dead processes, and never through a link.
TEST(TempFiles, StagingOfDeadProcessesInRememberedOutputFoldersIsSwept) {
    const QString out = test::scratchDir() + QStringLiteral("/output folder");
    QDir(out).removeRecursively();
    for (int n = 0; n < kRememberedOutputFolders + 5; ++n)
        rememberOutputFolder(test::scratchDir() + QStringLiteral("/older-%1").arg(n));
    rememberOutputFolder(out);
    const QStringList folders = rememberedOutputFolders();
    EXPECT_EQ(folders.size(), kRememberedOutputFolders);
    EXPECT_EQ(folders.value(0), out);

    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0); // a process id of no process now
    const QString dead = QString::number(child), live = QString::number(::getppid());
    const QString victim =
        test::writeFile(test::scratchDir() + QStringLiteral("/victim/keep"), "x");
    const auto at = [&out](const QString& name) { return out + u'/' + name; };
    const QStringList gone = {
        test::writeFile(at(QStringLiteral(".quillorn-%1-aB3xYz/page-1").arg(dead)), "page"),
        test::writeFile(at(QStringLiteral("report.pdf.quillorn-%1-Qw12er").arg(dead)), "pdf")};
    const QStringList stay = {
        test::writeFile(at(QStringLiteral(".quillorn-%1-aB3xYz/page-1").arg(live)), "page"),
        test::writeFile(at(QStringLiteral("report.pdf.quillorn-%1-Qw12er").arg(live)), "pdf"),
        test::writeFile(at(QStringLiteral("report.pdf.quillorn-%1-Qw12e").arg(dead)), "mine"),
        test::writeFile(at(QStringLiteral("report.pdf.quillorn-%1-Qw12er.bak").arg(dead)), "mine"),
        test::writeFile(at(QStringLiteral("report.pdf")), "mine")};
    const QString linkedFolder = at(QStringLiteral(".quillorn-%1-LnK001").arg(dead));
    const QString linkedFile = at(QStringLiteral("a.pdf.quillorn-%1-LnK002").arg(dead));
    ASSERT_TRUE(QFile::link(QFileInfo(victim).absolutePath(), linkedFolder));
    ASSERT_TRUE(QFile::link(victim, linkedFile));

    sweepStaleTemporaries();
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(gone[0]).absolutePath()));
    EXPECT_FALSE(QFileInfo::exists(gone[1]));
    for (const QString& path : stay)
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    EXPECT_TRUE(QFileInfo(linkedFolder).isSymLink() && QFileInfo(linkedFile).isSymLink());
    EXPECT_EQ(test::readFile(victim), QByteArray("x"));
}
