// Printing through a real CUPS scheduler of the test's own: cupsd runs from the scratch
// directory with a PostScript queue whose device is a file, so what a printer would get can be
// read back. A scheduler that cannot start fails the test; nothing here is skipped.
#include "system/core/printing.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_env.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace quillorn;
using namespace quillorn::system;

namespace {

// A PostScript printer with A4 and Letter paper. Without *cupsFilter lines CUPS sends it
// PostScript through pstops, which applies the copies and the page ranges itself.
const QByteArray kPpd = R"ppd(*PPD-Adobe: "4.3"
*Manufacturer: "Test"
*Product: "(Test PostScript)"
*ModelName: "Test PostScript File Printer"
*NickName: "Test PostScript File Printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*cupsManualCopies: True
*OpenUI *PageSize/Page Size: PickOne
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*PageSize Letter/Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageSize
*DefaultImageableArea: A4
*ImageableArea A4/A4: "12 12 583 830"
*ImageableArea Letter/Letter: "12 12 600 780"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*PaperDimension Letter/Letter: "612 792"
)ppd";

// cupsd and lpadmin live in sbin, which a user's PATH often lacks.
QString tool(const QString& name) {
    const QString onPath = QStandardPaths::findExecutable(name);
    return onPath.isEmpty() ? QStandardPaths::findExecutable(
                                  name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")})
                            : onPath;
}

QString run(const QString& program, const QStringList& arguments, bool* ok = nullptr) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(tool(program), arguments);
    const bool finished = process.waitForFinished(60000);
    if (ok)
        *ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return QString::fromLocal8Bit(process.readAll());
}

// cupsd in a folder of the scratch directory, listening only on a socket there; CUPS_SERVER
// points this process (and the CUPS tools it starts) at it.
class PrivateCups {
public:
    PrivateCups() : dir_(test::scratchDir() + QStringLiteral("/cups")) {
        QDir(dir_).removeRecursively();
        for (const char* sub : {"etc/ppd", "spool/tmp", "cache", "state", "log"})
            QDir().mkpath(dir_ + u'/' + QLatin1String(sub));
        // As root, cupsd runs its filters as the user lp, who must reach the folder.
        const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                          QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        QFile::setPermissions(test::scratchDir(), open);
        QFile::setPermissions(dir_, open);
        test::writeFile(dir_ + QStringLiteral("/etc/cups-files.conf"),
                        QStringLiteral("ServerRoot %1/etc\nRequestRoot %1/spool\n"
                                       "TempDir %1/spool/tmp\nCacheDir %1/cache\n"
                                       "StateDir %1/state\nErrorLog %1/log/error_log\n"
                                       "FileDevice Yes\n")
                            .arg(dir_)
                            .toUtf8());
        test::writeFile(dir_ + QStringLiteral("/etc/cupsd.conf"),
                        QStringLiteral("LogLevel debug\nListen %1/cups.sock\nBrowsing No\n"
                                       "WebInterface No\nErrorPolicy abort-job\n"
                                       "DefaultAuthType None\n"
                                       "<Location />\n  Order allow,deny\n  Allow all\n"
                                       "</Location>\n<Policy default>\n  <Limit All>\n"
                                       "    Order deny,allow\n  </Limit>\n</Policy>\n")
                            .arg(dir_)
                            .toUtf8());
        qputenv("CUPS_SERVER", QFile::encodeName(socket()));
        cupsSetServer(nullptr); // libcups reads CUPS_SERVER afresh
    }
    ~PrivateCups() {
        cupsd_.terminate();
        if (!cupsd_.waitForFinished(10000))
            cupsd_.kill();
        cupsd_.waitForFinished();
        qunsetenv("CUPS_SERVER");
        cupsSetServer(nullptr);
    }
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    QString socket() const { return dir_ + QStringLiteral("/cups.sock"); }

    // The empty text once the scheduler answers, otherwise why it does not.
    QString start() {
        if (socket().toUtf8().size() > 100)
            return QStringLiteral("the socket path is too long for cupsd: ") + socket();
        if (::geteuid() == 0)
            for (QString d = dir_; d != QStringLiteral("/"); d = QFileInfo(d).path())
                if (!(QFile::permissions(d) & QFile::ExeOther))
                    return QStringLiteral("the user lp cannot reach ") + d;
        cupsd_.setProcessChannelMode(QProcess::MergedChannels);
        cupsd_.start(tool(QStringLiteral("cupsd")),
                     {QStringLiteral("-f"), QStringLiteral("-c"),
                      dir_ + QStringLiteral("/etc/cupsd.conf"), QStringLiteral("-s"),
                      dir_ + QStringLiteral("/etc/cups-files.conf")});
        if (!cupsd_.waitForStarted())
            return QStringLiteral("cupsd does not start (package cups-daemon): ") +
                   cupsd_.errorString();
        for (const QDeadlineTimer deadline(20000); !deadline.hasExpired(); QThread::msleep(50)) {
            // lpstat's exit code says nothing; its words do.
            if (run(QStringLiteral("lpstat"), {QStringLiteral("-r")}).trimmed() ==
                QLatin1String("scheduler is running"))
                return {};
            if (cupsd_.state() == QProcess::NotRunning)
                break;
        }
        return QStringLiteral("cupsd did not come up:\n") +
               QString::fromLocal8Bit(cupsd_.readAll()) + log();
    }

    // A PostScript queue writing into the file; the empty text on success.
    QString addQueue(const QString& name, const QString& file) {
        const QString ppd = test::writeFile(dir_ + QStringLiteral("/test.ppd"), kPpd);
        bool ok = false;
        const QString said =
            run(QStringLiteral("lpadmin"),
                {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                 QStringLiteral("file:") + file, QStringLiteral("-P"), ppd},
                &ok);
        return ok ? QString() : said;
    }

    QString log() const {
        return QString::fromUtf8(test::readFile(dir_ + QStringLiteral("/log/error_log")));
    }

private:
    QString dir_;
    QProcess cupsd_;
};

// The job's final state: completed, stopped, cancelled or aborted; 0 when it did not end.
int waitForJob(int id) {
    for (const QDeadlineTimer deadline(60000); !deadline.hasExpired(); QThread::msleep(50)) {
        cups_job_t* jobs = nullptr;
        const int count = cupsGetJobs(&jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
        int state = 0;
        for (int i = 0; i < count; ++i)
            if (jobs[i].id == id)
                state = jobs[i].state;
        cupsFreeJobs(count, jobs);
        if (state >= IPP_JSTATE_STOPPED)
            return state;
    }
    return 0;
}

// Per page of a PostScript file, whether it shows the document's page 2 (red: no cyan ink) or
// page 1 (blue: no yellow ink), by Ghostscript's ink coverage.
QStringList pagesShown(const QString& file) {
    const QString coverage =
        run(QStringLiteral("gs"),
            {QStringLiteral("-q"), QStringLiteral("-dSAFER"), QStringLiteral("-sDEVICE=inkcov"),
             QStringLiteral("-o"), QStringLiteral("-"), file});
    QStringList pages;
    static const QRegularExpression line(QStringLiteral("^\\s*([\\d.]+)\\s+([\\d.]+)\\s+([\\d.]+)"
                                                        "\\s+([\\d.]+)\\s+CMYK"),
                                         QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch& m : line.globalMatch(coverage)) {
        const double cyan = m.captured(1).toDouble(), yellow = m.captured(3).toDouble();
        pages << (cyan == 0 && yellow > 0   ? QStringLiteral("2")
                  : yellow == 0 && cyan > 0 ? QStringLiteral("1")
                                            : QStringLiteral("?"));
    }
    return pages;
}

// No queue at all is said before the print dialog would offer nothing; with one, page 2 twice on
// the paper of Page Setup for PostScript and PDF; a job the scheduler refuses is said clearly.
TEST(Printing, PageTwiceOnThePaperOfPageSetupAndNoPrinterOrARefusedJobSaidClearly) {
    PrivateCups cups;
    const QString started = cups.start();
    ASSERT_TRUE(started.isEmpty()) << started.toStdString();
    test::ScriptedDialogs dialogs;
    PrintSettings settings;
    const QString ps = test::writeTwoPagePostScript(QStringLiteral("two.ps"));
    EXPECT_TRUE(printDocument(ps, dialogs, settings).isEmpty());
    EXPECT_TRUE(dialogs.printRequests.empty());
    EXPECT_TRUE(dialogs.texts().value(0).startsWith(QLatin1String("There is no printer")));
    dialogs.boxes.clear();

    const QString out = test::scratchDir() + QStringLiteral("/cups/printed.ps");
    const QString added = cups.addQueue(QStringLiteral("quillorn-test"), out);
    ASSERT_TRUE(added.isEmpty()) << added.toStdString();
    dialogs.pageSetupAnswers = {QPageSize(QPageSize::Letter)};
    setUpPage(dialogs, settings);
    for (const QString& document : {ps, test::writeTwoPagePdf(QStringLiteral("two.pdf"))}) {
        SCOPED_TRACE(document.toStdString());
        QFile::remove(out);
        dialogs.printRequests.clear();
        dialogs.printAnswers = {
            PrintAnswer{QStringLiteral("quillorn-test"), 2, QStringLiteral("2"), settings.paper}};
        const QString sent = printDocument(document, dialogs, settings);
        ASSERT_EQ(dialogs.printRequests.size(), 1u);
        EXPECT_EQ(dialogs.printRequests[0].paper.id(), QPageSize::Letter);
        EXPECT_EQ(dialogs.printRequests[0].pageCount, 2);
        const int id = sent.section(u' ', -1).toInt();
        ASSERT_GT(id, 0) << sent.toStdString() << dialogs.texts().join(u'|').toStdString();
        ASSERT_EQ(waitForJob(id), IPP_JSTATE_COMPLETED) << cups.log().toStdString();
        EXPECT_EQ(pagesShown(out), (QStringList{QStringLiteral("2"), QStringLiteral("2")}));
        EXPECT_TRUE(test::readFile(out).contains("*PageSize Letter"));
    }
    EXPECT_TRUE(dialogs.boxes.empty()) << dialogs.texts().join(u'|').toStdString();

    dialogs.printAnswers = {PrintAnswer{QStringLiteral("no-such-queue"), 1, {}, {}}};
    EXPECT_TRUE(printDocument(ps, dialogs, settings).isEmpty());
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_TRUE(dialogs.boxes[0].text.startsWith(
        QLatin1String("Could not print two.ps on no-such-queue: ")))
        << dialogs.boxes[0].text.toStdString();
    EXPECT_EQ(dialogs.boxes[0].icon, Icon::Critical);
}

} // namespace
