// A raster conversion shared among workers: how the pages are shared, the files are those one run
// writes, a document that does not keep to page ranges is converted in one run, and Cancel ends
// every worker without touching the user's files.
#include "convert/core/output_files.h"
#include "convert/core/split_conversion.h"
#include "tests/convert/conversion_fixture.h"

#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>

using namespace quillorn;
using namespace quillorn::convert;
using namespace quillorn::test;

namespace {

// Eight DSC pages of text and shapes, each page different; prolog is put before the pages and
// tail after them.
QByteArray eightPages(const QByteArray& prolog = {}, const QByteArray& tail = {}) {
    QByteArray ps = "%!PS-Adobe-3.0\n%%Pages: 8\n%%EndComments\n" + prolog +
                    "/Helvetica findfont 18 scalefont setfont\n";
    for (int page = 1; page <= 8; ++page) {
        const QByteArray n = QByteArray::number(page);
        ps += "%%Page: " + n + ' ' + n + '\n' + QByteArray::number(page % 3 * 0.4) +
              " 0.3 0.7 setrgbcolor\n72 700 moveto (Page " + n + ": the quick brown fox) show\n" +
              "newpath 300 400 " + QByteArray::number(40 + 10 * page) + " 0 360 arc fill\n" +
              "0 0 1 setrgbcolor 72 100 " + QByteArray::number(50 * page) + " 60 rectfill\n" +
              "showpage\n";
    }
    return ps + tail + "%%EOF\n";
}

// Stands in for the progress window: what it was told.
struct Progress : ConversionProgress {
    void started(std::optional<int> pageCount, std::function<void()> cancel) override {
        count = pageCount;
        if (onStart)
            onStart(std::move(cancel));
    }
    void pageReached(int page) override { pages.push_back(page); }
    void finished() override { ++ends; }
    std::optional<int> count;
    std::vector<int> pages;
    int ends = 0;
    std::function<void(std::function<void()>)> onStart;
};

// A TIFF page records the moment it was written; the rest must be the same bytes.
QByteArray withoutTime(const QByteArray& file) {
    static const QRegularExpression time(
        QStringLiteral("\\d{4}:\\d\\d:\\d\\d \\d\\d:\\d\\d:\\d\\d"));
    return QString::fromLatin1(file).remove(time).toLatin1();
}

gs::RunResult runSplit(SplitConversion& run) {
    QSignalSpy finished(&run, &SplitConversion::finished);
    run.start();
    EXPECT_TRUE(finished.wait(300000));
    return run.result();
}

class SplitRun : public ConversionRun {
protected:
    // Converts with the given workers (1: one run) to files named after the tag; returns the
    // contents of the files written, page 1's first.
    QList<QByteArray> convert(const QString& from, int format, int choice, const QString& tag,
                              int workers, const QString& ending = {}) {
        const QString output =
            dir + u'/' + tag + QString::number(workers) +
            (ending.isEmpty() ? QLatin1String(formatAt(format)->nameEnding) : ending);
        const ConvertSettings s = settings(from, format, choice, output);
        OutputStaging staging(output, writesOnePagePerFile(format));
        progress = {};
        SplitConversion run(s, libraryArguments(convertArgumentList(s, options)), staging,
                            {dialogs, runner, messages, {}, &progress});
        run.setWorkers(workers);
        result = runSplit(run);
        QList<QByteArray> files;
        for (const QString& file : staging.publish())
            files << withoutTime(readFile(file));
        return files;
    }
    Progress progress;
    gs::RunResult result;
};

} // namespace

TEST(SplitPlan, WorkersByCoresMemoryAndPagesAndEvenRanges) {
    constexpr qint64 kGiB = 1LL << 30;
    struct Row {
        int pages, cores;
        qint64 available, perWorker;
        int workers;
    };
    for (const Row& r : {Row{87, 2, 20 * kGiB, 8 * kGiB, 2}, Row{87, 8, 20 * kGiB, 8 * kGiB, 2},
                         Row{87, 8, 7 * kGiB, 8 * kGiB, 1}, Row{87, 8, 7 * kGiB, 0, 8},
                         Row{3, 8, 64 * kGiB, kGiB, 1}, Row{5, 8, 64 * kGiB, kGiB, 5}})
        EXPECT_EQ(splitWorkers(r.pages, r.cores, r.available, r.perWorker), r.workers)
            << r.pages << " pages, " << r.cores << " cores, " << r.available / kGiB << " GiB";
    EXPECT_EQ(splitRanges(87, 2), (std::vector<PageRange>{{1, 44}, {45, 87}}));
    EXPECT_EQ(splitRanges(8, 3), (std::vector<PageRange>{{1, 3}, {4, 6}, {7, 8}}));
    EXPECT_EQ(splitRanges(4, 4), (std::vector<PageRange>{{1, 1}, {2, 2}, {3, 3}, {4, 4}}));
}

TEST_F(SplitRun, SharedPagesAreTheFilesOneRunWrites) {
    const QString ps = writeFile(dir + QStringLiteral("/eight.ps"), eightPages());
    const QString pdf = dir + QStringLiteral("/eight.pdf");
    ASSERT_EQ(test::convertAndWait(settings(ps, kFormatPdf, -1, pdf), options, context()),
              RunOutcome::CloseDialog);
    struct Row {
        const char* name;
        int format, choice;
        const char* ending; // empty: the format's own, with a page placeholder
    };
    for (const QString& input : {ps, pdf})
        for (const Row& r : {Row{"png", kFormatPng, 4, ""}, Row{"tiff", kFormatTiff, 0, ""},
                             Row{"tifflzw", kFormatTiff, 4, ""}, Row{"jpeg", kFormatJpeg, 1, ""},
                             Row{"pngalone", kFormatPng, 5, ".png"}}) {
            SCOPED_TRACE(QFileInfo(input).suffix().toStdString() + " to " + r.name);
            const QString tag = QFileInfo(input).suffix() + QLatin1String(r.name);
            const QString ending = QLatin1String(r.ending);
            messages.log.clear();
            const QList<QByteArray> whole = convert(input, r.format, r.choice, tag, 1, ending);
            ASSERT_EQ(whole.size(), 8);
            const QList<QByteArray> split = convert(input, r.format, r.choice, tag, 3, ending);
            EXPECT_TRUE(result.succeeded());
            EXPECT_EQ(result.pages, 8);
            ASSERT_EQ(split.size(), 8);
            for (qsizetype page = 0; page < 8; ++page)
                EXPECT_TRUE(split[page] == whole[page]) << "page " << page + 1;
            // Counted over all workers, against the document's count.
            EXPECT_EQ(progress.count, 8);
            EXPECT_TRUE(std::is_sorted(progress.pages.begin(), progress.pages.end()));
            EXPECT_EQ(progress.pages.back(), 8);
            EXPECT_EQ(progress.ends, 1);
            // One banner for the one run, one for each of the three workers.
            EXPECT_EQ(messages.log.count(QStringLiteral("GPL Ghostscript")), 4);
        }
    // Each worker's words together, in page order: the PDF's "Page N" lines as one run has them.
    QStringList pageLines;
    static const QRegularExpression pageLine(QStringLiteral("^Page (\\d)$"),
                                             QRegularExpression::MultilineOption);
    for (auto it = pageLine.globalMatch(messages.log); it.hasNext();)
        pageLines << it.next().captured(1);
    EXPECT_EQ(pageLines.join(u','), QStringLiteral("1,2,3,4,5,6,7,8,1,2,3,4,5,6,7,8"));
}

TEST_F(SplitRun, DocumentsThatDoNotKeepToPageRangesAreConvertedInOneRun) {
    // Two copies of every page; two pages on every sheet, the sheet shipped every second page.
    const QByteArray twoUp = "/realshow /showpage load def /n 0 def\n"
                             "/showpage { /n n 1 add def n 2 mod 0 eq { realshow } if } def\n";
    for (const auto& [name, document, files] :
         {std::tuple{"copies", eightPages("/#copies 2 def\n"), 16},
          std::tuple{"two up", eightPages(twoUp), 4}}) {
        SCOPED_TRACE(name);
        const QString doc =
            writeFile(dir + u'/' + QLatin1String(name) + QStringLiteral(".ps"), document);
        const QString tag = QLatin1String(name);
        const QList<QByteArray> whole = convert(doc, kFormatPng, 4, tag, 1);
        ASSERT_EQ(whole.size(), files);
        messages.log.clear();
        EXPECT_TRUE(convert(doc, kFormatPng, 4, tag, 2) == whole);
        // Only the one run's words: a single banner.
        EXPECT_EQ(messages.log.count(QStringLiteral("GPL Ghostscript")), 1);
    }
}

TEST_F(SplitRun, CancelAndStopEndEveryWorkerAndLeaveTheFilesAsTheyWere) {
    const QString doc =
        writeFile(dir + QStringLiteral("/endless.ps"), eightPages({}, "{ 1 pop } loop\n"));
    const QString mine = writeFile(dir + QStringLiteral("/endless2-1.png"), "my own page");
    const QStringList before = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden);
    for (const bool byProgress : {true, false}) {
        SCOPED_TRACE(byProgress ? "Cancel" : "the runner's stop");
        progress.onStart = [&](const std::function<void()>& cancel) {
            QTimer::singleShot(1000, &runner, [&, cancel] {
                EXPECT_TRUE(runner.isRunning());
                byProgress ? cancel() : runner.stop();
            });
        };
        const QString output = dir + QStringLiteral("/endless2-%d.png");
        const ConvertSettings s = settings(doc, kFormatPng, 4, output);
        OutputStaging staging(output, false);
        SplitConversion run(s, libraryArguments(convertArgumentList(s, options)), staging,
                            {dialogs, runner, messages, {}, &progress});
        run.setWorkers(2);
        EXPECT_EQ(runSplit(run).end, gs::RunResult::End::Stopped);
        EXPECT_FALSE(runner.isRunning());
        EXPECT_EQ(staging.filesWritten(), 0);
    }
    EXPECT_EQ(readFile(mine), QByteArray("my own page"));
    EXPECT_EQ(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden), before);
    EXPECT_EQ(tempLeftovers(), QStringList());
}
