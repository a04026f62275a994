// Find in the 87 pages of bash(1) set by groff: a word found only on the last page, from Enter
// to that page shown with its hit, against the gs executable writing the whole document's text
// with its text device; a second search once the text is read; the memory the text of all pages
// takes against the size of what the text device writes. Runs in a scratch home, offscreen.
#include "bench/documents.h"
#include "bench/result_row.h"
#include "bench/silent_dialogs.h"
#include "bench/until_drawn.h"
#include "gs/worker_runner.h"
#include "viewer/core/document_controller.h"
#include "viewer/core/document_text.h"
#include "viewer/core/page_text.h"
#include "viewer/core/text_search.h"
#include "viewer/page_text_layer.h"
#include "viewer/page_view.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <utility>

using namespace quillorn;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Milliseconds of the gs executable writing the document's text to a file.
double gsTextRun(const QString& doc, const QString& out) {
    QElapsedTimer t;
    t.start();
    bench::outputOf(QStringLiteral("gs"),
                    {QStringLiteral("-q"), QStringLiteral("-dSAFER"), QStringLiteral("-dBATCH"),
                     QStringLiteral("-dNOPAUSE"), QStringLiteral("-sDEVICE=txtwrite"),
                     QStringLiteral("-dTextFormat=0"), QStringLiteral("-sOutputFile=") + out, doc});
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// The words of a page, folded to lower case.
QSet<QString> wordsOf(const viewer::PageText& page) {
    QSet<QString> words;
    QString word;
    for (const QChar c : page.text() + u' ') {
        if (c.isLetter()) {
            word += c.toLower();
        } else if (!word.isEmpty()) {
            words.insert(word);
            word.clear();
        }
    }
    return words;
}

// A word of at least six letters on the last page and on no other, from the text device's
// output of the whole document.
QString lastPageWord(const QByteArray& output) {
    QList<QByteArray> pages = output.split('\n');
    std::vector<QSet<QString>> words;
    QByteArray page;
    for (const QByteArray& line : pages) {
        page += line + '\n';
        if (line.startsWith("</page>")) {
            words.push_back(wordsOf(viewer::PageText::parse(page)));
            page.clear();
        }
    }
    if (words.empty())
        return {};
    for (const QString& word : std::as_const(words.back())) {
        if (word.size() < 6)
            continue;
        bool elsewhere = false;
        for (std::size_t i = 0; i + 1 < words.size() && !elsewhere; ++i)
            elsewhere = words[i].contains(word);
        if (!elsewhere)
            return word;
    }
    return {};
}

// Turns the event loop, sleeping while it has nothing to do, until the condition holds (or for a
// minute at most).
void until(const std::function<bool()>& done) {
    QElapsedTimer limit;
    limit.start();
    QTimer tick; // wakes the loop to look again
    tick.start(50);
    while (!done() && limit.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
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

    const QString doc = scratch.path() + QStringLiteral("/bash.ps");
    const QString gsOut = scratch.path() + QStringLiteral("/bash.txt");
    if (!writeFile(doc, bench::manualPages()))
        return 2;
    gsTextRun(doc, gsOut); // the file system's caches warm
    QFile out(gsOut);
    if (!out.open(QIODevice::ReadOnly))
        return 2;
    const QByteArray output = out.readAll();
    const QString word = lastPageWord(output);
    if (word.isEmpty()) {
        std::fprintf(stderr, "no word only on the last page\n");
        return 1;
    }

    // The default display settings (black and white), letter paper at 96 dpi.
    options::Options options;
    options.media = options::Paper::Letter;
    options.resolution = 96;
    gs::WorkerRunner runner(QStringLiteral(QUILLORN_WORKER));
    runner.prepare();
    bench::SilentDialogs dialogs;
    bench::DroppedMessages messages;
    viewer::PageView view;
    viewer::DocumentController document(dialogs, options, messages, runner, view);
    document.setPrefetch(false); // pages ahead would run beside the text in the benchmark
    viewer::DocumentText text(runner);
    viewer::TextSearch search(text);
    viewer::PageTextLayer layer(document, view, text, search, options);
    view.resize(900, 800);
    view.show();
    bench::untilDrawn(document, [&] { document.loadFile(doc); });
    const int pages = document.pageCount().value_or(0);

    const int rounds = argc > 1 ? std::max(3, atoi(argv[1])) : 5;
    std::printf("find \"%s\", only on page %d of %d, median of %d runs, alternating\n",
                qPrintable(word), pages, pages, rounds);
    std::vector<double> finds, baselines, again;
    for (int round = 0; round < rounds; ++round) {
        baselines.push_back(gsTextRun(doc, gsOut));

        bench::untilDrawn(document, [&] { document.showPage(1); });
        search.setQuery(QString());
        text.clear(); // nothing read: as a document just opened
        text.setSource(viewer::textSourceOf(document, options));
        QElapsedTimer t;
        t.start();
        search.setQuery(word);
        until([&] {
            return search.current() >= 0 && document.currentPage() == pages &&
                   !document.isRendering();
        });
        QCoreApplication::processEvents(); // the page painted with its hit
        finds.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        if (document.currentPage() != pages) {
            std::fprintf(stderr, "the hit was not shown\n");
            return 1;
        }

        // Once read, a search of a word on the page shown reads nothing again.
        search.setQuery(QString());
        t.restart();
        search.setQuery(QStringLiteral("GNU Bash"));
        until([&] { return search.current() >= 0; });
        QCoreApplication::processEvents();
        again.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    const double baseline = bench::median(baselines);
    bench::resultRow("find a word on the last page of bash(1), Enter to hit shown",
                     bench::median(finds), "gs txtwrite of the whole document", baseline, "ms");
    bench::resultRow("second search of bash(1), text read", bench::median(again),
                     "gs txtwrite of the whole document", baseline, "ms");
    bench::resultRow(
        "memory of the text of bash(1)", static_cast<double>(text.memoryBytes()) / (1 << 20),
        "size of txtwrite's output", static_cast<double>(output.size()) / (1 << 20), "MB");
    return 0;
}
