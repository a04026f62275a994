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
#include <utility>

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

bool isSupersampled(int resolution, const options::Options& options) {
    return resolution < kSupersampleBelow && (options.textAlpha > 1 || options.graphicsAlpha > 1);
}

struct PageService::Run {
    std::vector<Request> requests; // pages first..last, in order
    std::vector<bool> delivered;
    std::unique_ptr<gs::RunJob> job;
    QString prefix;            // the run's n-th page goes to prefix + n + ".bmp"
    bool supersampled = false; // its pages are scaled down to the resolution asked for
    Said said;

    QString file(std::size_t index) const {
        return prefix + QString::number(index + 1) + QStringLiteral(".bmp");
    }
    bool batch() const { return requests.size() > 1; }
};

PageService::PageService(gs::Runner& runner, const options::Options& options, QObject* parent,
                         qint64 cacheBytes)
    : QObject(parent), runner_(runner), options_(options),
      workers_(runner.runsTogether() ? std::max(1, QThread::idealThreadCount()) : 1),
      cache_(kNoPageBound, cacheBytes) {
    harvestTimer_.setInterval(100);
    connect(&harvestTimer_, &QTimer::timeout, this, &PageService::harvest);
}

PageService::~PageService() = default;

void PageService::setDocument(PageDocument document) {
    if (document == document_)
        return;
    qCDebug(lcPages) << "page service: document" << document.input;
    queue_.clear();
    runs_.clear(); // their runs end with their jobs
    answers_.clear();
    cache_.clear();
    document_ = std::move(document);
    Q_EMIT documentChanged();
}

QStringList PageService::runArguments(qint32 first, qint32 last, int resolution,
                                      const QString& output) const {
    options::Options options = options_;
    options.resolution = static_cast<std::int16_t>(std::clamp(resolution, 1, 32767));
    if (isSupersampled(resolution, options_)) {
        options.resolution = static_cast<std::int16_t>(resolution * kSupersample);
        options.textAlpha = options.graphicsAlpha = 1;
    }
    gs::Arguments switches = documentArguments(options, document_.eps);
    switches << QStringLiteral("-dFirstPage=%1").arg(first)
             << QStringLiteral("-dLastPage=%1").arg(last);
    // A page lying as its comments say is shown upright; the user's choice turns it further.
    const int lies =
        first == last ? document_.orientation.forPage(first) : document_.orientation.document;
    return renderRunArguments(std::move(switches), output, document_.password,
                              gs::combinedOrientation(lies, static_cast<int>(options_.orientation)),
                              document_.input);
}

QString PageService::keyOf(qint32 page, int resolution) const {
    // Every switch but the output, and the file as it was looked at.
    return QString::fromLatin1(document_.stamp) + u'\n' +
           runArguments(page, page, resolution, QString()).join(u'\n');
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
        for (Request& running : run->requests) {
            if (running.key == key) {
                running.wanted = true;
                running.priority = std::min(running.priority, priority);
                return;
            }
        }
    }
    const auto queued = std::find_if(queue_.begin(), queue_.end(),
                                     [&key](const Request& r) { return r.key == key; });
    if (queued != queue_.end())
        queued->priority = std::min(queued->priority, priority);
    else
        queue_.push_back({page, resolution, priority, key});
    if (priority == PagePriority::Visible) {
        schedule();
        return;
    }
    // Background pages are asked for many at once: they are shared out among the workers once
    // all are in the queue.
    if (!scheduling_) {
        scheduling_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                scheduling_ = false;
                schedule();
            },
            Qt::QueuedConnection);
    }
}

void PageService::cancel(qint32 page, int resolution) {
    // Whatever the settings were when it was asked for.
    const auto same = [page, resolution](const Request& r) {
        return r.page == page && r.resolution == resolution;
    };
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(), same), queue_.end());
    for (const auto& run : runs_)
        for (Request& running : run->requests)
            if (same(running))
                running.wanted = false; // it may still end in the cache
    answers_.erase(std::remove_if(answers_.begin(), answers_.end(),
                                  [page, resolution](const Answer& a) {
                                      return a.page == page && a.resolution == resolution;
                                  }),
                   answers_.end());
}

void PageService::cancelAll(PagePriority priority) {
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                                [priority](const Request& r) { return r.priority == priority; }),
                 queue_.end());
    for (const auto& run : runs_) {
        for (Request& running : run->requests) {
            if (running.priority == priority) {
                running.wanted = false;
                answers_.erase(std::remove_if(answers_.begin(), answers_.end(),
                                              [&running](const Answer& a) {
                                                  return a.page == running.page &&
                                                         a.resolution == running.resolution;
                                              }),
                               answers_.end());
            }
        }
    }
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
            continue; // the queue changed: what gave way waits in it again
        }
        Request request = std::move(*next);
        queue_.erase(next);
        start(takeBatch(std::move(request)));
    }
}

std::vector<PageService::Request> PageService::takeBatch(Request first) {
    std::vector<Request> batch;
    const PagePriority priority = first.priority;
    const int resolution = first.resolution;
    batch.push_back(std::move(first));
    // A page in view or next to it goes alone: it is wanted now.
    if (priority < PagePriority::Thumbnail)
        return batch;
    const auto alike = [&](const Request& r) {
        return r.priority == priority && r.resolution == resolution;
    };
    const auto waiting = std::count_if(queue_.begin(), queue_.end(), alike) + 1;
    const auto free = std::max(1, workers_ - running());
    const auto share = (waiting + free - 1) / free;
    while (static_cast<qsizetype>(batch.size()) < share) {
        const qint32 page = batch.back().page + 1;
        const auto it = std::find_if(queue_.begin(), queue_.end(),
                                     [&](const Request& r) { return alike(r) && r.page == page; });
        if (it == queue_.end())
            break;
        batch.push_back(std::move(*it));
        queue_.erase(it);
    }
    return batch;
}

bool PageService::makeRoom() {
    const auto least = [](const std::unique_ptr<Run>& run) {
        PagePriority most = PagePriority::Search;
        bool wanted = false;
        for (const Request& r : run->requests) {
            if (r.wanted) {
                wanted = true;
                most = std::min(most, r.priority);
            }
        }
        return std::pair(wanted, most);
    };
    // A run nobody waits for goes first, then the least urgent background run.
    auto victim = std::find_if(runs_.begin(), runs_.end(),
                               [&](const auto& run) { return !least(run).first; });
    if (victim == runs_.end())
        victim = std::max_element(runs_.begin(), runs_.end(), [&](const auto& a, const auto& b) {
            return least(a).second < least(b).second;
        });
    if (victim == runs_.end() || least(*victim) == std::pair(true, PagePriority::Visible))
        return false;
    Run& run = **victim;
    qCDebug(lcPages) << "page service: pages from" << run.requests.front().page
                     << "give way to a visible page";
    // What it has finished is kept; the rest waits again.
    for (std::size_t i = 0; i < run.requests.size(); ++i)
        if (!run.delivered[i] && !deliver(run, i, false) && run.requests[i].wanted)
            queue_.push_back(std::move(run.requests[i]));
    const std::unique_ptr<Run> stopped = std::move(*victim);
    runs_.erase(victim);
    stopped->job.reset(); // the run ends with its job
    for (std::size_t n = 0; n <= stopped->requests.size(); ++n)
        QFile::remove(stopped->file(n));
    return true;
}

void PageService::start(std::vector<Request> requests) {
    if (!folder_)
        folder_ = makePrivateFolder(QStringLiteral("KMW"));
    if (!folder_ || !folder_->isValid()) {
        for (const Request& request : requests)
            if (request.wanted)
                Q_EMIT pageFailed(request.page, request.resolution);
        return;
    }
    auto run = std::make_unique<Run>();
    run->prefix = folder_->filePath(QStringLiteral("p%1-").arg(++serial_));
    const Request& first = requests.front();
    gs::RunRequest job;
    job.args = runArguments(first.page, requests.back().page, first.resolution,
                            gs::literalOutputPath(run->prefix) + QStringLiteral("%d.bmp"));
    // A page too large to show is no page to draw.
    job.watchdog = [path = run->file(0)] {
        const std::optional<BitmapHeader> header = readBitmapHeader(path);
        if (header && header->decodedBytes() > qint64(kPageAllocationLimitMb) * 1024 * 1024)
            return QStringLiteral("too large");
        return QString();
    };
    const gs::Urgency urgency =
        first.priority == PagePriority::Visible ? gs::Urgency::Now : gs::Urgency::Whenever;
    qCDebug(lcPages) << "page service: draws pages" << first.page << "to" << requests.back().page
                     << "at" << first.resolution << "dpi, priority"
                     << static_cast<int>(first.priority);
    run->supersampled = isSupersampled(first.resolution, options_);
    run->delivered.assign(requests.size(), false);
    run->requests = std::move(requests);
    run->job = runner_.start(std::move(job), run->said, urgency);
    Run* started = run.get();
    connect(run->job.get(), &gs::RunJob::finished, this, [this, started] { runEnded(started); });
    if (run->batch())
        harvestTimer_.start();
    runs_.push_back(std::move(run));
}

bool PageService::deliver(Run& run, std::size_t index, bool ended) {
    // Ghostscript has closed a page's file once it has begun the next one.
    const bool complete = ended || QFileInfo::exists(run.file(index + 1));
    std::optional<QImage> picture;
    if (complete && QFileInfo::exists(run.file(index))) {
        if (const std::optional<BitmapHeader> header = readBitmapHeader(run.file(index))) {
            const int scale = run.supersampled ? kSupersample * kSupersample : 1;
            cache_.makeRoom(header->decodedBytes() / scale);
        }
        picture = loadPageBitmap(run.file(index));
    }
    if (!picture)
        return false;
    QFile::remove(run.file(index));
    run.delivered[index] = true;
    const Request& request = run.requests[index];
    if (run.supersampled) {
        const QSize size = picture->size();
        *picture = picture->scaled(std::max(1, qRound(size.width() / double(kSupersample))),
                                   std::max(1, qRound(size.height() / double(kSupersample))),
                                   Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    cache_.insert({request.key, *picture, run.said.text, false});
    answer(request, *picture);
    return true;
}

void PageService::answer(const Request& request, const QImage& picture) {
    if (!request.wanted)
        return;
    answers_.push_back({request.page, request.resolution, picture});
    if (answers_.size() == 1)
        QMetaObject::invokeMethod(this, &PageService::flushAnswers, Qt::QueuedConnection);
}

void PageService::flushAnswers() {
    const std::vector<Answer> answers = std::exchange(answers_, {});
    for (const Answer& a : answers)
        Q_EMIT pageReady(a.page, a.resolution, a.picture);
}

void PageService::harvest() {
    bool batches = false;
    for (std::size_t r = 0; r < runs_.size(); ++r) {
        Run& run = *runs_[r];
        if (!run.batch())
            continue;
        batches = true;
        for (std::size_t i = 0; i < run.requests.size(); ++i) {
            if (run.delivered[i])
                continue;
            if (!deliver(run, i, false))
                break;
        }
    }
    if (!batches)
        harvestTimer_.stop();
}

void PageService::runEnded(Run* ended) {
    const auto it = std::find_if(runs_.begin(), runs_.end(),
                                 [ended](const auto& run) { return run.get() == ended; });
    if (it == runs_.end())
        return;
    const std::unique_ptr<Run> run = std::move(*it);
    runs_.erase(it);
    const gs::RunResult& result = run->job->result();
    // The pages asked for, and no more: more mean that the range missed.
    const bool usable = result.end == gs::RunResult::End::Finished &&
                        !QFileInfo::exists(run->file(run->requests.size())) &&
                        gs::passwordRequest(run->said.text) == gs::PasswordRequest::None;
    for (std::size_t i = 0; i < run->requests.size(); ++i) {
        if (run->delivered[i] || (usable && deliver(*run, i, true)))
            continue;
        const Request& request = run->requests[i];
        qCDebug(lcPages) << "page service: page" << request.page << "not drawn";
        if (request.wanted)
            Q_EMIT pageFailed(request.page, request.resolution);
    }
    for (std::size_t n = 0; n <= run->requests.size(); ++n)
        QFile::remove(run->file(n));
    schedule();
}

} // namespace quillorn::viewer
