// "quillorn --convert" as a user runs it from a shell or a makefile: the built program with real
// files in scratch folders, its exit code and what it says on standard error.
#include "tests/support/test_env.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>

using namespace quillorn::test;

namespace {

struct Ran {
    int code = -1;
    QStringList errorLines;
};

// The program in folder, with input as its standard input; waited for.
Ran convert(const QString& folder, const QStringList& arguments,
            const QString& input = QProcess::nullDevice()) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setStandardInputFile(input);
    process.start(QStringLiteral(QUILLORN_BINARY),
                  QStringList{QStringLiteral("--convert")} + arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {
        process.exitCode(),
        QString::fromLocal8Bit(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts)};
}

QString folder(const char* name) {
    QString path = scratchDir() + QStringLiteral("/cli/") + QLatin1String(name);
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

QStringList entries(const QString& path) {
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Pages of grey levels 0.1, 0.2, ...: page n is told by its picture.
QByteArray greyPages(int count) {
    QByteArray ps = "%!PS-Adobe-3.0\n%%Pages: " + QByteArray::number(count) + "\n";
    for (int page = 1; page <= count; ++page)
        ps += "%%Page: " + QByteArray::number(page) + ' ' + QByteArray::number(page) + "\n0." +
              QByteArray::number(page) + " setgray 0 0 612 792 rectfill showpage\n";
    return ps + "%%EOF\n";
}

struct UsageCase {
    const char* name;
    QStringList arguments;
    const char* said; // on standard error
};

class UsageError : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageError, EndsWithCode2BeforeTouchingAFile) {
    const QString dir = folder("usage");
    writeTwoPagePostScript(dir + QStringLiteral("/a.ps"));
    writeTwoPagePostScript(dir + QStringLiteral("/b.ps"));
    const Ran ran = convert(dir, GetParam().arguments);
    EXPECT_EQ(ran.code, 2);
    EXPECT_TRUE(ran.errorLines.join(u'\n').contains(QLatin1String(GetParam().said)))
        << ran.errorLines.join(u'\n').toStdString();
    EXPECT_EQ(entries(dir), (QStringList{QStringLiteral("a.ps"), QStringLiteral("b.ps")}));
}

const UsageCase kUsage[] = {
    {"NoInput", {}, "no input"},
    {"UnknownOption", {QStringLiteral("a.ps"), QStringLiteral("--colour")}, "--colour"},
    {"MissingValue", {QStringLiteral("a.ps"), QStringLiteral("--output")}, "--output"},
    {"BadResolution",
     {QStringLiteral("a.ps"), QStringLiteral("--resolution"), QStringLiteral("7x")},
     "7x"},
    {"ZeroJobs", {QStringLiteral("a.ps"), QStringLiteral("--jobs=0")}, "--jobs"},
    {"NegativePage",
     {QStringLiteral("a.ps"), QStringLiteral("--first"), QStringLiteral("-2")},
     "--first"},
    {"FirstAfterLast",
     {QStringLiteral("a.ps"), QStringLiteral("--first=3"), QStringLiteral("--last=2")},
     "--first"},
    {"UnknownFormat",
     {QStringLiteral("a.ps"), QStringLiteral("--format"), QStringLiteral("gif")},
     "gif"},
    {"DeviceOfAnotherFormat",
     {QStringLiteral("a.ps"), QStringLiteral("--format=pdf"), QStringLiteral("--device=pnggray")},
     "pnggray"},
    {"SeveralInputsOneOutput",
     {QStringLiteral("a.ps"), QStringLiteral("b.ps"), QStringLiteral("--output=out.pdf")},
     "--output"},
    {"StandardInputTwice", {QStringLiteral("-"), QStringLiteral("-")}, "once"},
};
INSTANTIATE_TEST_SUITE_P(Arguments, UsageError, ::testing::ValuesIn(kUsage),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLineConversion, AFailingInputIsOneLineAndTheOthersAreConverted) {
    const QString dir = folder("mixed");
    writeTwoPagePostScript(dir + QStringLiteral("/good.ps"));
    writeFile(dir + QStringLiteral("/bad.ps"), "%!PS\nthis-is-no-operator\n");
    writeTwoPagePostScript(dir + QStringLiteral("/also good.ps"));
    const Ran ran = convert(dir, {QStringLiteral("good.ps"), QStringLiteral("bad.ps"),
                                  QStringLiteral("also good.ps"), QStringLiteral("--quiet")});
    EXPECT_EQ(ran.code, 1);
    ASSERT_EQ(ran.errorLines.size(), 1) << ran.errorLines.join(u'\n').toStdString();
    EXPECT_TRUE(ran.errorLines[0].startsWith(QLatin1String("quillorn: bad.ps: ")));
    EXPECT_TRUE(ran.errorLines[0].contains(QLatin1String("this-is-no-operator")));
    EXPECT_TRUE(readFile(dir + QStringLiteral("/good.pdf")).startsWith("%PDF"));
    EXPECT_TRUE(readFile(dir + QStringLiteral("/also good.pdf")).startsWith("%PDF"));
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/bad.pdf")));
}

TEST(CommandLineConversion, AnExistingOutputIsKeptUnlessForced) {
    const QString dir = folder("existing");
    writeTwoPagePostScript(dir + QStringLiteral("/doc.ps"));
    writeFile(dir + QStringLiteral("/doc.pdf"), "mine");
    const Ran kept = convert(dir, {QStringLiteral("doc.ps")});
    EXPECT_EQ(kept.code, 1);
    ASSERT_EQ(kept.errorLines.size(), 1);
    EXPECT_TRUE(kept.errorLines[0].contains(QLatin1String("--force")));
    EXPECT_EQ(readFile(dir + QStringLiteral("/doc.pdf")), "mine");

    const Ran forced = convert(dir, {QStringLiteral("doc.ps"), QStringLiteral("--force")});
    EXPECT_EQ(forced.code, 0) << forced.errorLines.join(u'\n').toStdString();
    EXPECT_TRUE(readFile(dir + QStringLiteral("/doc.pdf")).startsWith("%PDF"));
    EXPECT_EQ(entries(dir), (QStringList{QStringLiteral("doc.pdf"), QStringLiteral("doc.ps")}));
}

TEST(CommandLineConversion, TheInputIsNeverItsOwnOutput) {
    const QString dir = folder("self");
    const QString input = writeTwoPagePostScript(dir + QStringLiteral("/doc.ps"));
    // PostScript to PostScript proposes the input's own name; --force changes nothing.
    const Ran ran = convert(
        dir, {QStringLiteral("doc.ps"), QStringLiteral("--format=ps"), QStringLiteral("--force")});
    EXPECT_EQ(ran.code, 1);
    EXPECT_EQ(ran.errorLines.size(), 1);
    EXPECT_EQ(readFile(input), twoPagePostScript());
    EXPECT_EQ(entries(dir), QStringList{QStringLiteral("doc.ps")});
}

// Ghostscript's library holds a lines.ps of its own: the user's document of that name is the one
// converted.
TEST(CommandLineConversion, ADocumentNamedLikeALibraryFileIsTheUsersOwn) {
    const QString dir = folder("library-name");
    writeFile(dir + QStringLiteral("/lines.ps"), greyPages(1));
    const Ran ran =
        convert(dir, {QStringLiteral("lines.ps"), QStringLiteral("--format=png"),
                      QStringLiteral("--device=pnggray"), QStringLiteral("--resolution=10")});
    ASSERT_EQ(ran.code, 0) << ran.errorLines.join(u'\n').toStdString();
    const QImage picture(dir + QStringLiteral("/lines-1.png"));
    ASSERT_FALSE(picture.isNull()) << entries(dir).join(u' ').toStdString();
    EXPECT_NEAR(qGray(picture.pixel(picture.width() / 2, picture.height() / 2)), 25.5, 2.5);
}

// The pages asked for, shared between two workers: the files are numbered from 1 and hold the
// pages in order.
TEST(CommandLineConversion, APageRangeSharedAmongWorkersKeepsItsPagesInOrder) {
    const QString dir = folder("range");
    writeFile(dir + QStringLiteral("/grey.ps"), greyPages(8));
    const Ran ran = convert(dir, {QStringLiteral("grey.ps"), QStringLiteral("--format=png"),
                                  QStringLiteral("--device=pnggray"), QStringLiteral("--first=3"),
                                  QStringLiteral("--last=7"), QStringLiteral("--jobs=2"),
                                  QStringLiteral("--resolution=10")});
    ASSERT_EQ(ran.code, 0) << ran.errorLines.join(u'\n').toStdString();
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/grey-6.png")));
    for (int file = 1; file <= 5; ++file) {
        const QImage picture(dir + QStringLiteral("/grey-%1.png").arg(file));
        ASSERT_FALSE(picture.isNull()) << file;
        EXPECT_NEAR(qGray(picture.pixel(picture.width() / 2, picture.height() / 2)),
                    (file + 2) * 255.0 / 10, 2.5)
            << file;
    }
}

TEST(CommandLineConversion, APrintJobOnStandardInputIsNamedByItsTitle) {
    const QString dir = folder("job");
    const QString job =
        writeFile(scratchDir() + QStringLiteral("/job.ps"),
                  "%!PS-Adobe-3.0\n%%Title: Quarterly report\n" + twoPagePostScript().mid(15));
    const Ran ran = convert(dir, {QStringLiteral("-")}, job);
    EXPECT_EQ(ran.code, 0) << ran.errorLines.join(u'\n').toStdString();
    EXPECT_EQ(entries(dir), QStringList{QStringLiteral("Quarterly report.pdf")});
    EXPECT_EQ(tempLeftovers(), QStringList());
}

// A signal in the middle of a run: the page already made is not published, the workers are
// stopped and the program ends with 128 and the signal's number.
class Interrupted : public ::testing::TestWithParam<int> {};

TEST_P(Interrupted, LeavesNothingAtTheOutputsNames) {
    const QString dir = folder("interrupted");
    writeFile(dir + QStringLiteral("/slow.ps"),
              "%!PS\n0 0 1 setrgbcolor 10 10 100 100 rectfill showpage\n{} loop\n");
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(
        QStringLiteral(QUILLORN_BINARY),
        {QStringLiteral("--convert"), QStringLiteral("slow.ps"), QStringLiteral("--format=png")});
    // The staged page 1 is there once Ghostscript has made it.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (const QString& staged : entries(dir))
                if (staged.startsWith(u'.') && !entries(dir + u'/' + staged).isEmpty())
                    return true;
            return false;
        },
        60000));
    ASSERT_EQ(::kill(static_cast<pid_t>(process.processId()), GetParam()), 0);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 128 + GetParam());
    EXPECT_EQ(entries(dir), QStringList{QStringLiteral("slow.ps")});
    EXPECT_EQ(tempLeftovers(), QStringList());
}
INSTANTIATE_TEST_SUITE_P(Signals, Interrupted, ::testing::Values(SIGINT, SIGTERM));

} // namespace
