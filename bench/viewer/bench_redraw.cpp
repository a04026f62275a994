// Redraw of page 1 of a real document at 75 and 300 dpi, from the start of the redraw to the
// page painted, against the gs executable rendering the same page with the same switches to a
// BMP, alternating in one run. F9 (next page) on a 60-page document the same way, once onto a
// page rendered ahead of need and once onto one that is not. Then the peak memory while showing
// a 600 dpi page, as a multiple of the bitmap's size, and while browsing 50 pages at 300 dpi with
// pages rendered ahead, against the cache's limit. Runs in a scratch home and temporary
// directory, offscreen.
#include "bench/documents.h"
#include "bench/process_status.h"
#include "bench/result_row.h"
#include "bench/silent_dialogs.h"
#include "bench/until_drawn.h"
#include "gs/api.h"
#include "gs/arguments.h"
#include "gs/runner.h"
#include "gs/worker_runner.h"
#include "viewer/core/document_controller.h"
#include "viewer/core/render_arguments.h"
#include "viewer/page_view.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace quillorn;

namespace {

// A letter page of text and shapes, like a typical document page.
QByteArray documentText() {
    QByteArray ps = "%!PS-Adobe-3.0\n%%Pages: 1\n%%Page: 1 1\n"
                    "/Helvetica findfont 9 scalefont setfont\n";
    for (int line = 0; line < 70; ++line) {
        ps += "40 " + QByteArray::number(740 - line * 10) + " moveto (Line " +
              QByteArray::number(line) +
              ": The quick brown fox jumps over the lazy dog, 0123456789.) show\n";
    }
    ps += "0.2 0.4 0.8 setrgbcolor 400 600 100 0 360 arc fill\n"
          "0.8 0.2 0.1 setrgbcolor 3 setlinewidth 380 100 moveto 560 300 lineto stroke\n"
          "showpage\n%%EOF\n";
    return ps;
}

// Pages like the one above, each numbered, for paging through.
QByteArray bookText(int pages) {
    QByteArray ps = "%!PS-Adobe-3.0\n%%Pages: " + QByteArray::number(pages) +
                    "\n/Helvetica findfont 9 scalefont setfont\n";
    for (int page = 1; page <= pages; ++page) {
        ps += "%%Page: " + QByteArray::number(page) + ' ' + QByteArray::number(page) + '\n';
        for (int line = 0; line < 70; ++line)
            ps += "40 " + QByteArray::number(740 - line * 10) + " moveto (Page " +
                  QByteArray::number(page) + ", line " + QByteArray::number(line) +
                  ": The quick brown fox jumps over the lazy dog, 0123456789.) show\n";
        ps += QByteArray::number(page % 5 * 0.2) + " 0.4 0.8 setrgbcolor 400 600 " +
              QByteArray::number(60 + page) + " 0 360 arc fill showpage\n";
    }
    return ps + "%%EOF\n";
}

// Answers the page number box with the page set here; every other question as SilentDialogs.
class PageDialogs : public bench::SilentDialogs {
public:
    qint32 page = 1;
    QString getText(const QString&, const QString&, const QString&) override {
        return QString::number(page);
    }
};

// Turns the event loop until the program is idle: no page is being rendered ahead, and none
// started for a few turns.
void settleAhead(const viewer::DocumentController& document) {
    QElapsedTimer limit;
    limit.start();
    for (int quiet = 0; quiet < 3 && limit.elapsed() < 60000;) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
        quiet = document.isRenderingAhead() ? 0 : quiet + 1;
    }
}

// Notes the moment the page view has finished painting a page, once armed.
class PaintClock : public QObject {
public:
    explicit PaintClock(const QElapsedTimer& timer) : timer_(timer) {}
    bool armed = false;
    double shownMs = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!armed || event->type() != QEvent::Paint)
            return false;
        watched->event(event); // paint now, to take the time after it
        shownMs = timer_.nsecsElapsed() / 1e6;
        armed = false;
        return true;
    }
    // Turns the event loop until the page was painted, for at most ten seconds: the window
    // paints when its update request comes round, as it does for the user.
    void waitUntilPainted() const {
        QElapsedTimer limit;
        limit.start();
        while (armed && limit.elapsed() < 10000)
            QApplication::processEvents();
    }

private:
    const QElapsedTimer& timer_;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs a command and waits until the page picture is painted; the milliseconds it took.
double untilPainted(QWidget* picture, const std::function<void()>& command) {
    QElapsedTimer t;
    PaintClock clock(t);
    picture->installEventFilter(&clock);
    clock.armed = true;
    t.start();
    command();
    clock.waitUntilPainted();
    picture->removeEventFilter(&clock);
    return clock.shownMs;
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/quillorn-bench-XXXXXX"));
    if (!scratch.isValid())
        return 2;
    bench::useScratchHome(scratch.path());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const QString doc = scratch.path() + QStringLiteral("/page.ps");
    {
        QFile f(doc);
        if (!f.open(QIODevice::WriteOnly))
            return 2;
        f.write(documentText());
    }
    const int bookPages = 60;
    const QString book = scratch.path() + QStringLiteral("/book.ps");
    {
        QFile f(book);
        if (!f.open(QIODevice::WriteOnly))
            return 2;
        f.write(bookText(bookPages));
    }

    PageDialogs dialogs;
    bench::DroppedMessages messages;
    gs::Binding binding;
    gs::WorkerRunner runner(QStringLiteral(QUILLORN_WORKER));
    runner.prepare();
    options::Options options;
    options.safer = true;
    options.colourDepth = options::ColourDepth::TrueColour;
    options.textAlpha = 4;
    options.graphicsAlpha = 4;
    options.media = options::Paper::Letter;
    options.resolution = 75;
    viewer::PageView view;
    viewer::DocumentController document(dialogs, options, messages, runner, view);
    view.resize(1000, 800);
    view.show();
    QApplication::processEvents();
    // Loads the library once, as the program does at start-up.
    bench::untilDrawn(document, [&] { document.loadFile(doc); });
    QWidget* picture = view.findChild<QWidget*>(QStringLiteral("pagePicture"));
    if (!picture || view.picture().isNull()) {
        std::fprintf(stderr, "the page view shows no page\n");
        return 1;
    }

    const int rounds = argc > 1 ? std::max(3, atoi(argv[1])) : 9;
    std::printf("redraw of page 1 vs gs executable, median of %d runs each, alternating\n", rounds);
    for (int dpi : {75, 300}) {
        options.resolution = static_cast<qint16>(dpi);
        const QString bmp = scratch.path() + QStringLiteral("/tmp/gs-out.bmp");
        // Element 0 is the program word, which the library takes and the executable does not.
        gs::Arguments pageOne = viewer::renderArguments(options, 1);
        const QStringList args =
            (pageOne << gs::outputFileSwitch(bmp) << gs::inputFileArgument(doc)).list();
        const QStringList executableArgs = args.mid(1);
        std::vector<double> shown, complete, exe, inProcess;
        for (int i = 0; i < rounds; ++i) {
            QElapsedTimer t;
            PaintClock clock(t);
            picture->installEventFilter(&clock);
            // Between redraws the program is idle, and its worker is started ahead of need.
            // Armed after that: a paint left over from the last round is not this redraw's.
            QApplication::processEvents();
            clock.armed = true;
            t.start();
            bench::untilDrawn(document, [&] { document.redraw(); });
            complete.push_back(t.nsecsElapsed() / 1e6);
            clock.waitUntilPainted();
            shown.push_back(clock.shownMs);
            picture->removeEventFilter(&clock);

            QProcess gs;
            t.restart();
            gs.start(QStringLiteral("gs"), executableArgs);
            gs.waitForFinished(-1);
            exe.push_back(t.nsecsElapsed() / 1e6);
            QFile::remove(bmp);

            // The library's share of the redraw: the same run in this process, nothing else.
            t.restart();
            binding.run(args, {});
            inProcess.push_back(t.nsecsElapsed() / 1e6);
            QFile::remove(bmp);
        }
        const double r = median(shown), e = median(exe);
        std::printf("%4d dpi  page %dx%d  redraw to page shown %.1f ms  gs executable %.1f ms  "
                    "ratio %.2f   (redraw complete with file deleted %.1f ms = %.2f; library run "
                    "alone %.1f ms)\n",
                    dpi, view.picture().width(), view.picture().height(), r, e, r / e,
                    median(complete), median(complete) / e, median(inProcess));
        const QByteArray what = "redraw of page 1 at " + QByteArray::number(dpi) + " dpi";
        quillorn::bench::resultRow(what.constData(), r / 1000, "gs executable, same switches",
                                   e / 1000, "s");
    }

    // The window's events while a dense page is drawn at 300 dpi: the longest wait of a 10 ms
    // timer, against the timer's own interval.
    {
        options.resolution = 300;
        QElapsedTimer gapClock;
        qint64 longest = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout,
                         [&] { longest = std::max(longest, gapClock.restart()); });
        ticker.start(10);
        gapClock.start();
        bench::untilDrawn(document, [&] { document.redraw(); });
        ticker.stop();
        std::printf("longest gap between 10 ms ticks during a 300 dpi redraw: %lld ms\n",
                    static_cast<long long>(longest));
        quillorn::bench::resultRow("longest event-loop gap during a 300 dpi redraw",
                                   static_cast<double>(longest), "the timer's interval", 10.0,
                                   "ms");
    }

    // From Stop to the worker gone, on an endless document, 20 times.
    {
        const QString loop = scratch.path() + QStringLiteral("/loop.ps");
        QFile f(loop);
        if (f.open(QIODevice::WriteOnly))
            f.write("%!PS\n{} loop\n");
        f.close();
        std::vector<double> stops;
        for (int i = 0; i < 20; ++i) {
            QElapsedTimer t;
            QTimer::singleShot(200, &document, [&] {
                t.start();
                document.stop();
            });
            bench::untilDrawn(document, [&] { document.loadFile(loop); });
            stops.push_back(t.nsecsElapsed() / 1e6);
        }
        std::sort(stops.begin(), stops.end());
        std::printf("stop to worker gone, 20 tries: median %.2f ms, worst %.2f ms\n", median(stops),
                    stops.back());
        quillorn::bench::resultRow("stop to worker gone, median of 20", median(stops),
                                   "the 200 ms Ghostscript ran", 200.0, "ms");
        quillorn::bench::resultRow("stop to worker gone, worst of 20", stops.back(),
                                   "the 200 ms Ghostscript ran", 200.0, "ms");
        bench::untilDrawn(document, [&] { document.loadFile(doc); });
    }

    // F9 on a document of many pages, from the key to the page painted, against the gs
    // executable rendering that page with the same switches: once onto the next page after it
    // was rendered ahead of need, once onto a next page whose render ahead has only just started
    // (it gives way, and the page is rendered as the user asks for it).
    QString lastStatus;
    QObject::connect(&document, &viewer::DocumentController::statusChanged,
                     [&lastStatus](const QString& text) { lastStatus = text; });
    const auto executableMs = [&](const QString& file, qint32 page) {
        const QString bmp = scratch.path() + QStringLiteral("/tmp/gs-out.bmp");
        gs::Arguments args = viewer::renderArguments(options, page);
        args << gs::outputFileSwitch(bmp) << gs::inputFileArgument(file);
        QProcess gs;
        QElapsedTimer t;
        t.start();
        gs.start(QStringLiteral("gs"), args.list().mid(1));
        gs.waitForFinished(-1);
        const double ms = t.nsecsElapsed() / 1e6;
        QFile::remove(bmp);
        return ms;
    };
    for (int dpi : {75, 300}) {
        options.resolution = static_cast<qint16>(dpi);
        bench::untilDrawn(document, [&] { document.loadFile(book); });
        std::vector<double> ahead, aheadExe, notAhead, notAheadExe;
        int misses = 0, prefetchesRunning = 0;
        // Each gs executable runs once the renders ahead are done: the machine is as quiet for
        // it as for the press, and the cache then holds the next page.
        settleAhead(document);
        for (int i = 0; i < rounds; ++i) {
            ahead.push_back(untilPainted(picture, [&] { document.nextPage(); }));
            if (!lastStatus.startsWith(QLatin1String("Redrawn from the cache")))
                ++misses;
            settleAhead(document);
            aheadExe.push_back(executableMs(book, document.currentPage()));
        }
        for (int i = 0; i < rounds; ++i) {
            // Three pages on, where nothing was rendered ahead; the last page has no next one.
            const qint32 from = document.currentPage() + 3;
            dialogs.page = from < bookPages ? from : 1;
            bench::untilDrawn(document, [&] { document.goToPage(); });
            // The program turns idle once and starts rendering the next page ahead.
            QApplication::processEvents();
            if (document.isRenderingAhead())
                ++prefetchesRunning;
            notAhead.push_back(untilPainted(picture, [&] { document.nextPage(); }));
            if (!lastStatus.startsWith(QLatin1String("Redrawn, took")))
                ++misses;
            settleAhead(document);
            notAheadExe.push_back(executableMs(book, document.currentPage()));
        }
        std::printf("%4d dpi  F9 onto a page rendered ahead %.1f ms, gs executable %.1f ms; onto "
                    "a page not rendered ahead %.1f ms (its render ahead running %d of %d times), "
                    "gs executable %.1f ms; %d presses found the cache not as expected\n",
                    dpi, median(ahead), median(aheadExe), median(notAhead), prefetchesRunning,
                    rounds, median(notAheadExe), misses);
        const QByteArray at = " at " + QByteArray::number(dpi) + " dpi";
        quillorn::bench::resultRow(("F9 onto a prefetched page" + at).constData(),
                                   median(ahead) / 1000, "gs executable, same switches",
                                   median(aheadExe) / 1000, "s");
        quillorn::bench::resultRow(
            ("F9 onto a page not cached, its prefetch just started" + at).constData(),
            median(notAhead) / 1000, "gs executable, same switches", median(notAheadExe) / 1000,
            "s");
    }

    // Peak memory while a 600 dpi page is rendered, loaded and shown.
    options.resolution = 600;
    document.closeDocument();
    QApplication::processEvents();
    const qint64 rssBefore = bench::statusKb("VmRSS:");
    {
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
    }
    untilPainted(picture, [&] { document.loadFile(doc); });
    const qint64 peak = bench::statusKb("VmHWM:");
    const QImage page = view.picture();
    const qint64 bmpBytes =
        54 + static_cast<qint64>((page.width() * 24 + 31) / 32 * 4) * page.height();
    // Growth over the resident size before the redraw, which still holds heap the earlier
    // redraws freed; the whole peak includes Qt, the library and the window.
    std::printf("600 dpi page %dx%d: bitmap %.1f MB, peak growth %.1f MB = %.2f x bitmap, "
                "whole peak %.1f MB = %.2f x (picture held: %.1f MB = %.2f x)\n",
                page.width(), page.height(), bmpBytes / 1048576.0, (peak - rssBefore) / 1024.0,
                (peak - rssBefore) * 1024.0 / bmpBytes, peak / 1024.0, peak * 1024.0 / bmpBytes,
                page.sizeInBytes() / 1048576.0, static_cast<double>(page.sizeInBytes()) / bmpBytes);
    quillorn::bench::resultRow("peak memory growth showing a 600 dpi page",
                               (peak - rssBefore) / 1024.0, "the page's BMP size",
                               bmpBytes / 1048576.0, "MB");

    // Peak memory while browsing 50 pages at 300 dpi with pages rendered ahead: F9 each time the
    // next page is ready. The workers that render are processes of their own; the bitmaps live
    // in this one, the viewer's, which is what is measured: growth of its peak over the resident
    // size before. The bound is what the cache may hold (three pages, at most 256 MB) and one
    // and a half pages more: the page being loaded and the one shown.
    options.resolution = 300;
    document.closeDocument();
    QApplication::processEvents();
    const qint64 browseBefore = bench::statusKb("VmRSS:");
    {
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
    }
    untilPainted(picture, [&] { document.loadFile(book); });
    qint64 cacheMost = 0;
    int browseMisses = 0;
    for (int i = 1; i < 50; ++i) {
        settleAhead(document);
        cacheMost = std::max(cacheMost, document.cache().bytes());
        untilPainted(picture, [&] { document.nextPage(); });
        if (!lastStatus.startsWith(QLatin1String("Redrawn from the cache")))
            ++browseMisses;
    }
    const qint64 browsePeak = bench::statusKb("VmHWM:");
    const double pageMb = view.picture().sizeInBytes() / 1048576.0;
    const double cacheLimitMb = std::min(3 * pageMb, 256.0);
    const double growthMb = (browsePeak - browseBefore) / 1024.0;
    std::printf("browsing 50 pages at 300 dpi, page %dx%d (%.1f MB): peak growth %.1f MB, cache "
                "held at most %.1f MB, limit %.1f MB; %d pages were not in the cache\n",
                view.picture().width(), view.picture().height(), pageMb, growthMb,
                cacheMost / 1048576.0, cacheLimitMb, browseMisses);
    quillorn::bench::resultRow("peak memory growth of the viewer process (workers apart) browsing "
                               "50 pages at 300 dpi, prefetch on",
                               growthMb, "cache limit + 1.5 x one page's bitmap",
                               cacheLimitMb + 1.5 * pageMb, "MB");
    if (dialogs.questions != 0) {
        std::printf("unexpected: the redraw asked %d questions\n", dialogs.questions);
        return 1;
    }
    return 0;
}
