#pragma once

#include "convert/core/conversion.h"
#include "gs/runner.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace quillorn::convert {

class OutputStaging;

// Pages first to last of a document, counted from 1.
struct PageRange {
    int first = 1;
    int last = 1;
    int size() const { return last - first + 1; }
    bool operator==(const PageRange&) const = default;
};

// How many workers convert a document of pageCount pages at once: one per core, no more than
// the available memory holds at memoryPerWorker bytes each (0: no bound), none without a page;
// 1, a single run, for documents of fewer than 4 pages.
int splitWorkers(int pageCount, int cores, qint64 availableMemory, qint64 memoryPerWorker);
// What one worker of a conversion at this resolution needs at most, as far as it can be known
// before the document is read: Ghostscript and one large page's picture.
qint64 workerMemory(double resolution);

// The pages shared into contiguous ranges, as even as can be, the earlier ones the larger.
std::vector<PageRange> splitRanges(int pageCount, int workers);

// The pages of a document of pageCount pages that are chosen (all by default); of size 0 or less
// when none of them are.
PageRange selectedPages(const InputChoices& choices, int pageCount);

// True for the raster conversions that write each page to a file of its own (BMP, JPEG, PCX,
// PNG, PNM, PSD, and TIFF with a page placeholder): those whose pages workers can share.
bool canSplit(const ConvertSettings& settings);

// The memory this machine can still give without swapping, in bytes.
qint64 availableMemory();

// The run step of a conversion. A raster conversion of one file per page, of a document whose
// pages are known cheaply (or, for a PDF, by a short run of Ghostscript), is shared among as many
// workers as splitWorkers allows, each converting its range of pages into a private folder of
// its own; when every worker has written exactly its pages they move into the staging with
// their final numbers, the same files one run writes. A document that does not keep to page
// ranges (shows no page or several for one asked for), and a split run that fails, are converted
// again in one run, which is also what every other conversion gets. The progress counts the pages
// of all workers, its Cancel and stop() end them all, and the message log gets each worker's
// output together, in page order, once all have ended. It answers with finished() from the
// event loop.
class SplitConversion : public QObject {
    Q_OBJECT
public:
    // args: the whole argument list as the library takes it, ending in the output and the input.
    SplitConversion(const ConvertSettings& settings, QStringList args, OutputStaging& staging,
                    ConversionContext context);
    ~SplitConversion() override;

    // The workers for a document that can be split; by default as many as splitWorkers allows
    // on this machine for the runner's memory limit.
    void setWorkers(int workers) { workers_ = workers; }
    // At most this many workers, whatever the machine allows (0: no such bound).
    void setMostWorkers(int workers) { mostWorkers_ = workers; }
    // The pages to convert and a PDF's password; the switches are in the argument list already.
    void setInputChoices(InputChoices choices) { choices_ = std::move(choices); }

    // Runs Ghostscript and leaves the pages it wrote in the staging.
    void start();
    void stop();
    // Once finished: how the run ended, and what it said (up to 1 MB).
    const gs::RunResult& result() const { return result_; }
    const QString& output() const { return output_; }

Q_SIGNALS:
    void finished();

private:
    struct Worker;
    // The workers this document gets, its pages once known.
    int workersFor() const;
    void countPages();
    // The progress's start: the pages asked for, where known.
    void showProgress();
    void runSplit(const std::vector<PageRange>& ranges);
    void splitEnded();
    void runWhole();
    void end(gs::RunResult result);

    ConvertSettings settings_;
    QStringList args_;
    OutputStaging& staging_;
    ConversionContext context_;
    int workers_ = 0;
    int mostWorkers_ = 0;
    InputChoices choices_;
    std::optional<int> pageCount_;
    std::unique_ptr<gs::RunJob> job_;
    std::vector<std::unique_ptr<Worker>> split_; // the workers of a split run
    int reached_ = 0;                            // pages reached, for the progress
    bool astray_ = false;                        // a worker wrote more pages than its range holds
    bool stopped_ = false;
    bool progressShown_ = false;
    QString output_;
    gs::RunResult result_;
};

} // namespace quillorn::convert
