#include "viewer/core/page_service.h"

#include "base/message_log.h"
#include "base/temp_files.h"
#include "gs/runner.h"
#include "viewer/core/logging.h"
#include "viewer/core/page_bitmap.h"
#include "viewer/core/render_arguments.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <limits>

namespace quillorn::viewer {

namespace {

// The cache is bounded by bytes alone: a count would throw out pages still on screen.
constexpr int kNoPageBound = std::numeric_limits<int>::max();

// What a page's run says is kept with its picture, for the log.
struct Said : MessageSink {
    QString text;
    void addMessage(const QString& piece) override {
        if (text.size() < (1 << 20))
            text += piece;
    }
};

} // namespace

struct PageService::Run {
    Request request;
    std::unique_ptr<gs::RunJob> job;
    QString prefix; // page n of the run goes to prefix + n + ".bmp"
    Said said;

    QString file(int n) const { return prefix + QString::number(n) + QStringLiteral(".bmp"); }
};

PageService::PageService(gs::Runner& runner, const options::Options& options, QObject* parent,
                         qint64 cacheBytes)
    : QObject(parent), runner_(runner), options_(options),
      workers_(runner.runsTogether() ? std::max(1, QThread::idealThreadCount()) : 1),
      cache_(kNoPageBound, cacheBytes) {}

PageService::~PageService() = default;

void PageService::setDocument(PageDocument document) {
    if (document == document_)
        return;
    qCDebug(lcPages) << "page service: document" << document.input;
    queue_.clear();
    runs_.clear(); // their runs end with their jobs
    cache_.clear();
    document_ = std::move(document);
    Q_EMIT documentChanged();
}

QStringList PageService::runArguments(qint32 page, int resolution, const QString& output) const {
    options::Options options = options_;
    options.resolution = static_cast<std::int16_t>(std::clamp(resolution, 1, 32767));
    return renderRunArguments(renderArguments(options, page, document_.eps), output,
                              document_.password, options_.orientation, document_.input);
}

QString PageService::keyOf(qint32 page, int resolution) const {
    // Every switch but the output, and the file as it was looked at.
    return QString::fromLatin1(document_.stamp) + u'\n' +
           runArguments(page, resolution, QString()).join(u'\n');
}

std::optional<QImage> PageService::cached(qint32 page, int resolution) {
    if (document_.input.isEmpty())
        return std::nullopt;
    const CachedPage* hit = cache_.find(keyOf(page, resolution));
    if (!hit)
        return std::nullopt;
    return hit->picture;
}

void PageService::request(qint32 page, int resolution, PagePriority priority) {
    if (document_.input.isEmpty() || page < 1 ||
        (document_.pageCount && page > *document_.pageCount))
        return;
    const QString key = keyOf(page, resolution);
    if (cache_.contains(key))
        return;
    for (const auto& run : runs_) {
        if (run->request.key == key) {
            run->request.wanted = true;
            run->request.priority = std::min(run->request.priority, priority);
            return;
        }
    }
    const auto queued = std::find_if(queue_.begin(), queue_.end(),
                                     [&key](const Request& r) { return r.key == key; });
    if (queued != queue_.end())
        queued->priority = std::min(queued->priority, priority);
    else
        queue_.push_back({page, resolution, priority, key});
    schedule();
}

void PageService::cancel(qint32 page, int resolution) {
    // Whatever the settings were when it was asked for.
    const auto same = [page, resolution](const Request& r) {
        return r.page == page && r.resolution == resolution;
    };
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(), same), queue_.end());
    for (const auto& run : runs_)
        if (same(run->request))
            run->request.wanted = false; // it may still end in the cache
}

void PageService::cancelAll(PagePriority priority) {
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                                [priority](const Request& r) { return r.priority == priority; }),
                 queue_.end());
    for (const auto& run : runs_)
        if (run->request.priority == priority)
            run->request.wanted = false;
}

void PageService::offer(qint32 page, int resolution, const QImage& picture) {
    if (document_.input.isEmpty() || picture.isNull())
        return;
    const QString key = keyOf(page, resolution);
    cache_.insert({key, picture, QString(), false});
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                                [&key](const Request& r) { return r.key == key; }),
                 queue_.end());
}

void PageService::schedule() {
    while (!queue_.empty()) {
        // The most urgent, the earliest asked among equals.
        const auto next =
            std::min_element(queue_.begin(), queue_.end(), [](const Request& a, const Request& b) {
                return a.priority < b.priority;
            });
        if (running() >= workers_) {
            if (next->priority != PagePriority::Visible || !makeRoom())
                return;
            continue; // the queue changed: the one given way waits in it again
        }
        Request request = std::move(*next);
        queue_.erase(next);
        start(std::move(request));
    }
}

bool PageService::makeRoom() {
    // A run nobody waits for goes first, then the least urgent background run.
    auto victim = std::find_if(runs_.begin(), runs_.end(),
                               [](const auto& run) { return !run->request.wanted; });
    if (victim == runs_.end())
        victim = std::max_element(runs_.begin(), runs_.end(), [](const auto& a, const auto& b) {
            return a->request.priority < b->request.priority;
        });
    if (victim == runs_.end() ||
        ((*victim)->request.wanted && (*victim)->request.priority == PagePriority::Visible))
        return false;
    qCDebug(lcPages) << "page service: page" << (*victim)->request.page
                     << "gives way to a visible page";
    Request given = std::move((*victim)->request);
    runs_.erase(victim); // the run ends with its job
    if (given.wanted)
        queue_.push_back(std::move(given));
    return true;
}

void PageService::start(Request request) {
    if (!folder_)
        folder_ = makePrivateFolder(QStringLiteral("KMW"));
    if (!folder_ || !folder_->isValid()) {
        if (request.wanted)
            Q_EMIT pageFailed(request.page, request.resolution);
        return;
    }
    auto run = std::make_unique<Run>();
    run->prefix = folder_->filePath(QStringLiteral("p%1-").arg(++serial_));
    gs::RunRequest job;
    job.args = runArguments(request.page, request.resolution,
                            gs::literalOutputPath(run->prefix) + QStringLiteral("%d.bmp"));
    // A page too large to show is no page to draw.
    job.watchdog = [first = run->file(1)] {
        const std::optional<BitmapHeader> header = readBitmapHeader(first);
        if (header && header->decodedBytes() > qint64(kPageAllocationLimitMb) * 1024 * 1024)
            return QStringLiteral("too large");
        return QString();
    };
    const gs::Urgency urgency =
        request.priority == PagePriority::Visible ? gs::Urgency::Now : gs::Urgency::Whenever;
    qCDebug(lcPages) << "page service: draws page" << request.page << "at" << request.resolution
                     << "dpi, priority" << static_cast<int>(request.priority);
    run->request = std::move(request);
    run->job = runner_.start(std::move(job), run->said, urgency);
    Run* started = run.get();
    connect(run->job.get(), &gs::RunJob::finished, this, [this, started] { runEnded(started); });
    runs_.push_back(std::move(run));
}

void PageService::runEnded(Run* ended) {
    const auto it = std::find_if(runs_.begin(), runs_.end(),
                                 [ended](const auto& run) { return run.get() == ended; });
    if (it == runs_.end())
        return;
    const std::unique_ptr<Run> run = std::move(*it);
    runs_.erase(it);
    const gs::RunResult& result = run->job->result();
    // One page, and only one: several mean that the range missed.
    std::optional<QImage> picture;
    if (result.end == gs::RunResult::End::Finished && QFileInfo::exists(run->file(1)) &&
        !QFileInfo::exists(run->file(2)) &&
        gs::passwordRequest(run->said.text) == gs::PasswordRequest::None)
        picture = loadPageBitmap(run->file(1));
    for (int n = 1; QFile::remove(run->file(n)); ++n) {
    }
    const Request& request = run->request;
    if (picture) {
        cache_.insert({request.key, *picture, run->said.text, !result.succeeded()});
        if (request.wanted)
            Q_EMIT pageReady(request.page, request.resolution, *picture);
    } else {
        qCDebug(lcPages) << "page service: page" << request.page << "not drawn";
        if (request.wanted)
            Q_EMIT pageFailed(request.page, request.resolution);
    }
    schedule();
}

} // namespace quillorn::viewer
