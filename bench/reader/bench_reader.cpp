// The continuous view on bash(1) set by groff (87 pages): from opening at fit width to the first
// screen drawn, against the gs executable rendering page 1 at the same resolution; the time from
// a page coming into view to drawn while paging down through the document; thumbnails of every
// page against the gs executable rendering all pages at that resolution in one run; the peak
// memory scrolled through every page at 150 dpi, against the page cache's limit. Offscreen, in a
// scratch home.
#include "bench/documents.h"
#include "bench/process_status.h"
#include "bench/result_row.h"
#include "bench/silent_dialogs.h"
#include "gs/arguments.h"
#include "gs/worker_runner.h"
#include "viewer/continuous_view.h"
#include "viewer/core/document_controller.h"
#include "viewer/core/page_bitmap.h"
#include "viewer/core/page_service.h"
#include "viewer/core/render_arguments.h"
#include "viewer/page_view.h"
#include "viewer/thumbnails_panel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>
#include <vector>

using namespace quillorn;

namespace {

// Turns the event loop until the condition holds, for at most a minute; false when it never did.
bool until(const std::function<bool()>& condition) {
    QElapsedTimer limit;
    limit.start();
    while (!condition()) {
        if (limit.elapsed() > 60000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

double gsMs(const QStringList& args) {
    QElapsedTimer t;
    t.start();
    QProcess gs;
    gs.start(QStringLiteral("gs"), args);
    gs.waitForFinished(-1);
    return t.nsecsElapsed() / 1e6;
}

// The viewer as the main window wires it: the controller drawing into a page view nobody sees,
// the continuous view over the page service showing the pages.
struct Reader {
    explicit Reader(options::Options& options, qint64 cacheBytes)
        : document(dialogs, options, messages, runner, pageView),
          service(runner, options, nullptr, cacheBytes), view(service, options) {
        runner.prepare();
        document.setPrefetch(false);
        view.setDocument(&document);
        QObject::connect(&document, &viewer::DocumentController::pageShown, &view,
                         [this](qint32 page) {
                             if (document.isRendering())
                                 view.pageDrawn(page, pageView.picture());
                         });
        view.resize(900, 1000);
        view.show();
        // The program starts its worker while it starts up: by the time a document is asked
        // for, the library is loaded.
        QElapsedTimer started;
        started.start();
        until([&] { return started.elapsed() > 1000; });
    }
    bench::SilentDialogs dialogs;
    bench::DroppedMessages messages;
    gs::WorkerRunner runner{QStringLiteral(QUILLORN_WORKER)};
    viewer::PageView pageView;
    viewer::DocumentController document;
    viewer::PageService service;
    viewer::ContinuousView view;
};

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/quillorn-bench-XXXXXX"));
    if (!scratch.isValid())
        return 2;
    bench::useScratchHome(scratch.path());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    viewer::returnFreedPicturesToSystem(); // as the viewer does
    QApplication app(argc, argv);
    const QString doc = scratch.path() + QStringLiteral("/bash.ps");
    {
        QFile f(doc);
        if (!f.open(QIODevice::WriteOnly))
            return 2;
        f.write(bench::manualPages());
    }
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    options::Options options;
    options.safer = true;
    options.colourDepth = options::ColourDepth::TrueColour;
    options.textAlpha = 4;
    options.graphicsAlpha = 4;
    options.media = options::Paper::Letter;
    const QString bmp = scratch.path() + QStringLiteral("/tmp/gs-%d.bmp");
    const auto executableArgs = [&](gs::Arguments switches) {
        return (switches << gs::outputFileSwitch(bmp) << gs::inputFileArgument(doc)).list().mid(1);
    };

    // Peak memory scrolled through every page at 150 dpi.
    {
        const std::int16_t resolution = options.resolution;
        options.resolution = 150;
        const qint64 limit = 128LL * 1024 * 1024;
        // The viewer shown without a document, its worker started: the peak counts from here.
        Reader reader(options, limit);
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
        clear.close();
        const qint64 before = bench::statusKb("VmRSS:");
        reader.document.loadFile(doc);
        until([&] { return reader.view.viewDrawn(); });
        QScrollBar* bar = reader.view.verticalScrollBar();
        while (bar->value() < bar->maximum()) {
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            until([&] { return reader.view.viewDrawn(); });
        }
        const double grownMb = double(bench::statusKb("VmHWM:") - before) / 1024;
        std::printf("scrolled through every page at 150 dpi: peak %.0f MB above the start, cache "
                    "limit %lld MB\n",
                    grownMb, static_cast<long long>(limit >> 20));
        bench::resultRow("peak memory through every page at 150 dpi, above the start", grownMb,
                         "the cache limit and 10 MB", double((limit >> 20) + 10), "MB");
        options.resolution = resolution;
    }

    // Fit width: the letter page's width across the view, gaps and scroll bar aside.
    {
        const int width = 900 - 2 * viewer::kPageGap - 20;
        options.resolution = static_cast<std::int16_t>(width * 72 / 612);
        std::vector<double> first, single, exe;
        for (int i = 0; i < rounds; ++i) {
            {
                Reader reader(options, viewer::PageService::kDefaultCacheBytes);
                QElapsedTimer t;
                t.start();
                reader.document.loadFile(doc);
                if (!until([&] { return reader.view.viewDrawn(); }))
                    return 1;
                first.push_back(t.nsecsElapsed() / 1e6);
            }
            {
                // The single page view's first page, for comparison.
                Reader reader(options, viewer::PageService::kDefaultCacheBytes);
                reader.view.hide();
                QElapsedTimer t;
                t.start();
                reader.document.loadFile(doc);
                until([&] { return !reader.document.isRendering(); });
                single.push_back(t.nsecsElapsed() / 1e6);
            }
            exe.push_back(gsMs(executableArgs(viewer::renderArguments(options, 1))));
        }
        std::printf("continuous view at fit width (%d dpi): first screen %.0f ms, single page "
                    "view %.0f ms, gs page 1 %.0f ms\n",
                    options.resolution, bench::median(first), bench::median(single),
                    bench::median(exe));
        bench::resultRow("continuous view at fit width, open to first screen drawn",
                         bench::median(first) / 1000, "gs executable, page 1",
                         bench::median(exe) / 1000, "s");

        // Paging down: from each page coming into view to it drawn.
        Reader reader(options, viewer::PageService::kDefaultCacheBytes);
        reader.document.loadFile(doc);
        until([&] { return reader.view.viewDrawn(); });
        std::vector<double> waits;
        QScrollBar* bar = reader.view.verticalScrollBar();
        while (bar->value() < bar->maximum()) {
            QKeyEvent down(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
            QElapsedTimer t;
            t.start();
            QApplication::sendEvent(&reader.view, &down);
            if (!until([&] { return reader.view.viewDrawn(); }))
                return 1;
            waits.push_back(t.nsecsElapsed() / 1e6);
        }
        std::sort(waits.begin(), waits.end());
        const auto at = [&](double q) { return waits[std::size_t(q * double(waits.size() - 1))]; };
        std::printf("PgDn through %zu screens: into view to drawn: median %.0f ms, 90%% %.0f ms, "
                    "worst %.0f ms; %zu of them at once\n",
                    waits.size(), at(0.5), at(0.9), waits.back(),
                    std::size_t(std::count_if(waits.begin(), waits.end(),
                                              [](double ms) { return ms < 5; })));
        bench::resultRow("PgDn through the document, into view to drawn, 90th percentile",
                         at(0.9) / 1000, "the 0.3 s allowed", 0.3, "s");
    }

    // Thumbnails of every page against one gs run over all of them.
    {
        std::vector<double> ours, exe;
        for (int i = 0; i < rounds; ++i) {
            Reader reader(options, viewer::PageService::kDefaultCacheBytes);
            viewer::ThumbnailsPanel panel(reader.service);
            reader.document.loadFile(doc);
            until([&] { return !reader.document.isRendering(); });
            std::set<qint32> drawn;
            QObject::connect(&reader.service, &viewer::PageService::pageReady, &panel,
                             [&](qint32 page, int resolution) {
                                 if (resolution == panel.resolution())
                                     drawn.insert(page);
                             });
            reader.view.hide(); // the thumbnails alone
            QElapsedTimer t;
            t.start();
            panel.show();
            const int pages = reader.document.pageCount().value_or(0);
            if (!until([&] { return int(drawn.size()) == pages; }))
                return 1;
            ours.push_back(t.nsecsElapsed() / 1e6);
            options::Options small = options;
            small.resolution = static_cast<std::int16_t>(panel.resolution());
            exe.push_back(gsMs(executableArgs(viewer::documentArguments(small, false))));
        }
        std::printf("thumbnails of all pages: %.0f ms, gs all pages in one run %.0f ms\n",
                    bench::median(ours), bench::median(exe));
        bench::resultRow("thumbnails of every page", bench::median(ours) / 1000,
                         "gs executable, all pages in one run", bench::median(exe) / 1000, "s");
    }

    return 0;
}
