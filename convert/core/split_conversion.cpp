#include "convert/core/split_conversion.h"

#include "base/message_log.h"
#include "base/number_rule.h"
#include "convert/core/formats.h"
#include "convert/core/output_files.h"
#include "gs/document_info.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
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

// One worker of a split run: its pages, its private folder and what it said.
struct SplitConversion::Worker final : MessageSink {
    PageRange pages;
    std::unique_ptr<OutputStaging> staging;
    QStringList said; // piece by piece, for the log once all have ended
    int reached = 0;  // pages of its range reached
    std::unique_ptr<PageLines> lines;

    void addMessage(const QString& text) override { said << text; }
};

SplitConversion::SplitConversion(const ConvertSettings& settings, QStringList args,
                                 OutputStaging& staging, ConversionContext context)
    : settings_(settings), args_(std::move(args)), staging_(staging), context_(std::move(context)) {
}

SplitConversion::~SplitConversion() {
    if (progressShown_ && context_.progress)
        context_.progress->finished();
}

PageRange selectedPages(const InputChoices& choices, int pageCount) {
    return {std::max(1, choices.firstPage),
            choices.lastPage > 0 ? std::min(choices.lastPage, pageCount) : pageCount};
}

void SplitConversion::start() {
    pageCount_ = gs::cheapPageCount(settings_.inputFile);
    if (!pageCount_ && workersFor() > 1 && gs::isPdf(settings_.inputFile)) {
        countPages();
        return;
    }
    const int workers = workersFor();
    showProgress();
    if (workers > 1)
        runSplit(splitRanges(selectedPages(choices_, *pageCount_).size(), workers));
    else
        runWhole();
}

void SplitConversion::showProgress() {
    if (!context_.progress)
        return;
    std::optional<int> pages;
    if (pageCount_)
        pages = std::max(0, selectedPages(choices_, *pageCount_).size());
    context_.progress->started(pages, [this] { stop(); });
    progressShown_ = true;
}

void SplitConversion::stop() {
    stopped_ = true;
    if (job_)
        job_->stop();
}

int SplitConversion::workersFor() const {
    gs::Runner& runner = context_.runner;
    if (!canSplit(settings_) || !runner.runsTogether())
        return 1;
    const qint64 perWorker = workerMemory(parseLeadingNumber(settings_.resolution));
    int most = workers_ > 0
                   ? workers_
                   : splitWorkers(std::numeric_limits<int>::max(), QThread::idealThreadCount(),
                                  availableMemory(), perWorker);
    if (mostWorkers_ > 0)
        most = std::min(most, mostWorkers_);
    if (most < 2)
        return 1;
    // Before a PDF's pages are counted: whether counting them is worth it.
    if (!pageCount_)
        return gs::isPdf(settings_.inputFile) ? most : 1;
    return splitWorkers(selectedPages(choices_, *pageCount_).size(), most, 0, 0);
}

// A PDF's pages as Ghostscript counts them (its page tree), in one short run.
void SplitConversion::countPages() {
    struct Said : MessageSink {
        void addMessage(const QString&) override {}
    };
    auto said = std::make_shared<QString>();
    auto unheard = std::make_shared<Said>();
    gs::RunRequest request;
    request.args = gs::pdfPageCountArguments(QFileInfo(settings_.inputFile).absoluteFilePath(),
                                             choices_.password);
    request.onOutput = [said](const QString& text) { *said += text; };
    job_ = context_.runner.start(std::move(request), *unheard);
    connect(job_.get(), &gs::RunJob::finished, this, [this, said, unheard] {
        const gs::RunResult result = job_->result();
        if (stopped_) {
            gs::RunResult stopped;
            stopped.end = gs::RunResult::End::Stopped;
            return end(stopped);
        }
        if (result.succeeded())
            pageCount_ = gs::pageCountFromOutput(*said);
        const int workers = pageCount_ ? workersFor() : 1;
        showProgress();
        if (workers > 1)
            runSplit(splitRanges(selectedPages(choices_, *pageCount_).size(), workers));
        else
            runWhole();
    });
}

void SplitConversion::end(gs::RunResult result) {
    result_ = std::move(result);
    if (progressShown_ && context_.progress)
        context_.progress->finished();
    progressShown_ = false;
    Q_EMIT finished();
}

void SplitConversion::runWhole() {
    struct Pages {
        std::function<void(int)> reach;
        std::unique_ptr<PageLines> lines;
    };
    auto pages = std::make_shared<Pages>();
    // A PDF says its pages by their number in the document, from the first page asked for on.
    const int skipped = std::max(0, choices_.firstPage - 1);
    pages->reach = [this](int page) {
        if (page > reached_ && context_.progress)
            context_.progress->pageReached(reached_ = page);
    };
    pages->lines = std::make_unique<PageLines>(
        [reach = pages->reach, skipped](int page) { reach(page - skipped); });
    gs::RunRequest request;
    request.args = args_;
    request.output = staging_.ghostscriptOutput();
    request.onOutput = [this, pages](const QString& text) {
        keep(output_, text);
        pages->lines->feed(text);
    };
    // Pages written so far, for documents that do not say which page they are at.
    request.watchdog = [this, pages] {
        pages->reach(staging_.filesWritten());
        return QString();
    };
    job_ = context_.runner.start(std::move(request), context_.messages);
    connect(job_.get(), &gs::RunJob::finished, this, [this] {
        const gs::RunResult result = job_->result();
        if (stopped_ && result.end != gs::RunResult::End::Stopped) {
            gs::RunResult stopped;
            stopped.end = gs::RunResult::End::Stopped;
            return end(stopped);
        }
        end(result);
    });
}

void SplitConversion::runSplit(const std::vector<PageRange>& ranges) {
    split_.clear();
    astray_ = false;
    const auto update = [this] {
        int sum = 0;
        for (const std::unique_ptr<Worker>& worker : split_)
            sum += worker->reached;
        if (sum > reached_ && context_.progress)
            context_.progress->pageReached(reached_ = sum);
    };
    std::vector<gs::RunRequest> requests;
    std::vector<MessageSink*> sinks;
    // The ranges count from the first page asked for; the workers' from the document's first.
    const int skipped = std::max(0, choices_.firstPage - 1);
    for (const PageRange& range : ranges) {
        auto& w = *split_.emplace_back(std::make_unique<Worker>());
        w.pages = {range.first + skipped, range.last + skipped};
        w.staging = std::make_unique<OutputStaging>(settings_.output, true);
        w.lines = std::make_unique<PageLines>([&w, update](int page) {
            w.reached = std::clamp(page - w.pages.first + 1, w.reached, w.pages.size());
            update();
        });
        gs::RunRequest request;
        // The switches go before the output and the input: Ghostscript reads its arguments in
        // order. The last worker goes on to the document's end, so a document with more pages
        // than counted shows up as a range that did not come out as asked.
        request.args = args_;
        request.args.insert(request.args.size() - 2,
                            QStringLiteral("-dFirstPage=%1").arg(w.pages.first));
        if (&range != &ranges.back())
            request.args.insert(request.args.size() - 2,
                                QStringLiteral("-dLastPage=%1").arg(w.pages.last));
        request.output = w.staging->ghostscriptOutput();
        request.onOutput = [&w](const QString& text) { w.lines->feed(text); };
        request.watchdog = [this, &w, update] {
            const int written = w.staging->filesWritten();
            w.reached = std::clamp(written, w.reached, w.pages.size());
            update();
            astray_ = astray_ || written > w.pages.size();
            return astray_ ? QCoreApplication::translate(
                                 "quillorn::convert", "The document does not keep to page ranges")
                           : QString();
        };
        requests.push_back(std::move(request));
        sinks.push_back(&w);
    }
    job_ = context_.runner.start(std::move(requests), std::move(sinks));
    connect(job_.get(), &gs::RunJob::finished, this, &SplitConversion::splitEnded);
}

void SplitConversion::splitEnded() {
    const std::vector<gs::RunResult> results = job_->results();
    bool stopped = stopped_;
    bool asAsked = !astray_;
    for (size_t i = 0; i < results.size(); ++i) {
        stopped = stopped || results[i].end == gs::RunResult::End::Stopped;
        asAsked = asAsked && results[i].succeeded() &&
                  split_[i]->staging->filesWritten() == split_[i]->pages.size();
    }
    // What went wrong is for one run to say; the workers' pages and words go.
    if (!stopped && !asAsked) {
        split_.clear();
        reached_ = 0;
        runWhole();
        return;
    }
    for (const std::unique_ptr<Worker>& worker : split_)
        for (const QString& piece : worker->said) {
            context_.messages.addMessage(piece);
            keep(output_, piece);
        }
    if (stopped) {
        split_.clear();
        gs::RunResult result;
        result.end = gs::RunResult::End::Stopped;
        return end(result);
    }
    // The last worker ran the document's end: its code is the one a single run ends with.
    gs::RunResult result = results.back();
    result.pages = 0;
    // A run's files are numbered from 1 at the first page asked for.
    const int skipped = std::max(0, choices_.firstPage - 1);
    for (size_t i = 0; i < split_.size(); ++i) {
        const Worker& worker = *split_[i];
        const int first = worker.pages.first - skipped;
        const QStringList taken = staging_.takePages(*worker.staging, first);
        if (settings_.format == kFormatTiff)
            for (qsizetype page = 0; page < taken.size(); ++page)
                setTiffPageIndex(taken[page], first - 1 + static_cast<int>(page));
        result.pages =
            result.pages < 0 || results[i].pages < 0 ? -1 : result.pages + results[i].pages;
    }
    const int last = split_.back()->pages.last - skipped;
    split_.clear();
    if (context_.progress && last > reached_)
        context_.progress->pageReached(last);
    end(result);
}

} // namespace quillorn::convert
