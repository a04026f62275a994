#include "convert/core/split_conversion.h"

#include "base/message_log.h"
#include "base/number_rule.h"
#include "convert/core/formats.h"
#include "convert/core/output_files.h"
#include "gs/document_info.h"

#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <memory>
#include <unistd.h>

namespace quillorn::convert {

namespace {

constexpr int kLeastPages = 4;
constexpr qsizetype kOutputKept = 1 << 20;

void keep(QString& output, const QString& text) {
    if (output.size() < kOutputKept)
        output += text;
}

// The "Page N" lines Ghostscript writes before each page of a PDF, from output that arrives in
// pieces.
class PageLines {
public:
    explicit PageLines(std::function<void(int)> reached) : reached_(std::move(reached)) {}
    void feed(const QString& text) {
        static const QRegularExpression pageLine(QStringLiteral("^Page (\\d+)$"));
        line_ += text;
        for (qsizetype end; (end = line_.indexOf(u'\n')) >= 0; line_.remove(0, end + 1)) {
            const QRegularExpressionMatch m = pageLine.match(line_.left(end));
            if (m.hasMatch())
                reached_(m.captured(1).toInt());
        }
    }

private:
    std::function<void(int)> reached_;
    QString line_;
};

// Ghostscript's TIFF pages record their place in the run (PageNumber: the pages shipped before
// them). A worker's run starts at its range, so each of its pages gets its place in the
// document, as one run gives it.
void setTiffPageIndex(const QString& path, int index) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return;
    const QByteArray header = file.read(8);
    const bool little = header.startsWith("II*");
    if (header.size() < 8 || (!little && !header.startsWith("MM\0*")))
        return;
    const auto number = [little](const QByteArray& bytes, qsizetype at, qsizetype size) {
        if (bytes.size() < at + size)
            return quint32{0};
        const char* p = bytes.constData() + at;
        if (size == 2)
            return quint32{little ? qFromLittleEndian<quint16>(p) : qFromBigEndian<quint16>(p)};
        return little ? qFromLittleEndian<quint32>(p) : qFromBigEndian<quint32>(p);
    };
    const quint32 directory = number(header, 4, 4);
    if (!file.seek(directory))
        return;
    const quint32 entries = number(file.read(2), 0, 2);
    constexpr quint32 kPageNumber = 297, kShort = 3;
    for (quint32 i = 0; i < entries; ++i) {
        const QByteArray entry = file.read(12);
        if (entry.size() < 12)
            return;
        if (number(entry, 0, 2) != kPageNumber || number(entry, 2, 2) != kShort ||
            number(entry, 4, 4) != 2)
            continue;
        std::array<char, 2> value{};
        if (little)
            qToLittleEndian<quint16>(static_cast<quint16>(index), value.data());
        else
            qToBigEndian<quint16>(static_cast<quint16>(index), value.data());
        if (file.seek(directory + 2 + 12 * i + 8))
            file.write(value.data(), 2);
        return;
    }
}

// Ends the progress whichever way the run ends.
class ProgressEnd {
public:
    explicit ProgressEnd(ConversionProgress* progress) : progress_(progress) {}
    ~ProgressEnd() {
        if (progress_)
            progress_->finished();
    }
    ProgressEnd(const ProgressEnd&) = delete;
    ProgressEnd& operator=(const ProgressEnd&) = delete;

private:
    ConversionProgress* progress_;
};

// One worker of a split run: its pages, its private folder and what it said.
struct Worker final : MessageSink {
    PageRange pages;
    std::unique_ptr<OutputStaging> staging;
    QStringList said; // piece by piece, for the log once all have ended
    int reached = 0;  // pages of its range reached
    std::unique_ptr<PageLines> lines;

    void addMessage(const QString& text) override { said << text; }
};

} // namespace

qint64 workerMemory(double resolution) {
    // What one worker holds at most for a page: Ghostscript itself and its fonts, and the
    // page's picture at the resolution, 4 bytes a pixel, for paper up to 11 x 17 inches.
    constexpr qint64 kGhostscript = 256LL * 1024 * 1024;
    const double dots = std::clamp(resolution, 1.0, 32767.0);
    return kGhostscript + static_cast<qint64>(11 * dots * 17 * dots * 4);
}

int splitWorkers(int pageCount, int cores, qint64 availableMemory, qint64 memoryPerWorker) {
    if (pageCount < kLeastPages)
        return 1;
    qint64 workers = std::min(cores, pageCount);
    if (memoryPerWorker > 0)
        workers = std::min(workers, availableMemory / memoryPerWorker);
    return static_cast<int>(std::max<qint64>(1, workers));
}

std::vector<PageRange> splitRanges(int pageCount, int workers) {
    std::vector<PageRange> ranges;
    workers = std::clamp(workers, 1, std::max(1, pageCount));
    int first = 1;
    for (int i = 0; i < workers; ++i) {
        const int size = pageCount / workers + (i < pageCount % workers ? 1 : 0);
        ranges.push_back({first, first + size - 1});
        first += size;
    }
    return ranges;
}

bool canSplit(const ConvertSettings& settings) {
    return writesOnePagePerFile(settings.format) ||
           (settings.format == kFormatTiff && OutputPattern(settings.output).hasPlaceholder());
}

qint64 availableMemory() {
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (meminfo.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : meminfo.readAll().split('\n')) {
            if (!line.startsWith("MemAvailable:"))
                continue;
            bool ok = false;
            const qint64 kb = line.mid(13).trimmed().split(' ').value(0).toLongLong(&ok);
            if (ok)
                return kb * 1024;
        }
    }
    const long pages = ::sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? static_cast<qint64>(pages) * pageSize : 0;
}

SplitConversion::SplitConversion(const ConvertSettings& settings, QStringList args,
                                 OutputStaging& staging, const ConversionContext& context)
    : settings_(settings), args_(std::move(args)), staging_(staging), context_(context) {}

gs::RunResult SplitConversion::run(QString& output) {
    std::optional<int> pageCount = gs::cheapPageCount(settings_.inputFile);
    const int workers = workersFor(pageCount);
    if (context_.progress)
        context_.progress->started(pageCount, [this] { context_.runner.stop(); });
    const ProgressEnd end(context_.progress);
    if (workers > 1)
        if (std::optional<gs::RunResult> result =
                runSplit(splitRanges(*pageCount, workers), output))
            return *result;
    return runWhole(output);
}

int SplitConversion::workersFor(std::optional<int>& pageCount) const {
    gs::Runner& runner = context_.runner;
    if (!canSplit(settings_) || !runner.runsTogether())
        return 1;
    const qint64 perWorker = workerMemory(parseLeadingNumber(settings_.resolution));
    const int most = workers_ > 0
                         ? workers_
                         : splitWorkers(std::numeric_limits<int>::max(),
                                        QThread::idealThreadCount(), availableMemory(), perWorker);
    if (most < 2)
        return 1;
    if (!pageCount && gs::isPdf(settings_.inputFile))
        pageCount = gs::ghostscriptPageCount(runner, settings_.inputFile);
    return pageCount ? splitWorkers(*pageCount, most, 0, 0) : 1;
}

gs::RunResult SplitConversion::runWhole(QString& output) {
    int reached = 0;
    const auto reach = [&](int page) {
        if (page > reached && context_.progress)
            context_.progress->pageReached(reached = page);
    };
    PageLines lines(reach);
    gs::RunRequest request;
    request.args = args_;
    request.output = staging_.ghostscriptOutput();
    request.onOutput = [&](const QString& text) {
        keep(output, text);
        lines.feed(text);
    };
    // Pages written so far, for documents that do not say which page they are at.
    request.watchdog = [&] {
        reach(staging_.filesWritten());
        return QString();
    };
    return context_.runner.run(request, context_.messages);
}

std::optional<gs::RunResult> SplitConversion::runSplit(const std::vector<PageRange>& ranges,
                                                       QString& output) {
    std::vector<std::unique_ptr<Worker>> workers;
    int total = 0;
    const auto update = [&] {
        int sum = 0;
        for (const std::unique_ptr<Worker>& worker : workers)
            sum += worker->reached;
        if (sum > total && context_.progress)
            context_.progress->pageReached(total = sum);
    };
    bool astray = false; // a worker wrote more pages than its range holds
    std::vector<gs::RunRequest> requests;
    std::vector<MessageSink*> sinks;
    for (const PageRange& range : ranges) {
        auto& w = *workers.emplace_back(std::make_unique<Worker>());
        w.pages = range;
        w.staging = std::make_unique<OutputStaging>(settings_.output, true);
        w.lines = std::make_unique<PageLines>([&w, &update](int page) {
            w.reached = std::clamp(page - w.pages.first + 1, w.reached, w.pages.size());
            update();
        });
        gs::RunRequest request;
        // The switches go before the output and the input: Ghostscript reads its arguments in
        // order. The last worker goes on to the document's end, so a document with more pages
        // than counted shows up as a range that did not come out as asked.
        request.args = args_;
        request.args.insert(request.args.size() - 2,
                            QStringLiteral("-dFirstPage=%1").arg(range.first));
        if (&range != &ranges.back())
            request.args.insert(request.args.size() - 2,
                                QStringLiteral("-dLastPage=%1").arg(range.last));
        request.output = w.staging->ghostscriptOutput();
        request.onOutput = [&w](const QString& text) { w.lines->feed(text); };
        request.watchdog = [&w, &update, &astray] {
            const int written = w.staging->filesWritten();
            w.reached = std::clamp(written, w.reached, w.pages.size());
            update();
            astray = astray || written > w.pages.size();
            return astray ? QStringLiteral("The document does not keep to page ranges") : QString();
        };
        requests.push_back(std::move(request));
        sinks.push_back(&w);
    }

    const std::vector<gs::RunResult> results = context_.runner.runTogether(requests, sinks);
    bool stopped = false;
    bool asAsked = !astray;
    for (size_t i = 0; i < results.size(); ++i) {
        stopped = stopped || results[i].end == gs::RunResult::End::Stopped;
        asAsked = asAsked && results[i].succeeded() &&
                  workers[i]->staging->filesWritten() == workers[i]->pages.size();
    }
    // What went wrong is for one run to say; the workers' pages and words go.
    if (!stopped && !asAsked)
        return std::nullopt;
    for (const std::unique_ptr<Worker>& worker : workers)
        for (const QString& piece : worker->said) {
            context_.messages.addMessage(piece);
            keep(output, piece);
        }
    if (stopped) {
        gs::RunResult result;
        result.end = gs::RunResult::End::Stopped;
        return result;
    }
    // The last worker ran the document's end: its code is the one a single run ends with.
    gs::RunResult result = results.back();
    result.pages = 0;
    for (size_t i = 0; i < workers.size(); ++i) {
        const Worker& worker = *workers[i];
        const QStringList taken = staging_.takePages(*worker.staging, worker.pages.first);
        if (settings_.format == kFormatTiff)
            for (qsizetype page = 0; page < taken.size(); ++page)
                setTiffPageIndex(taken[page], worker.pages.first - 1 + static_cast<int>(page));
        result.pages =
            result.pages < 0 || results[i].pages < 0 ? -1 : result.pages + results[i].pages;
    }
    if (context_.progress && ranges.back().last > total)
        context_.progress->pageReached(ranges.back().last);
    return result;
}

} // namespace quillorn::convert
