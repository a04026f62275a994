#pragma once

#include "gs/dsc_orientation.h"
#include "options/core/options.h"
#include "viewer/core/page_cache.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

namespace quillorn::gs {
class Runner;
}

namespace quillorn::viewer {

// What a request is for, most urgent first: the queue runs them in this order.
enum class PagePriority { Visible, Neighbour, Thumbnail, Search };

// What the pages of a document are made from, as the document controller learned it.
struct PageDocument {
    QString input; // what Ghostscript reads; empty for no document
    bool eps = false;
    QString password;
    QByteArray stamp; // the file as it was looked at
    std::optional<int> pageCount;
    // Ghostscript's page range cannot be trusted: pages come only from a run over all of them.
    bool allPages = false;
    gs::DscOrientation orientation; // how its comments say its pages lie
    friend bool operator==(const PageDocument&, const PageDocument&) = default;
};

// Ghostscript's anti-aliasing makes a small picture many times as slow as the same page without
// it: a picture below kSupersampleBelow dots per inch is drawn kSupersample times as fine without
// it and scaled down smoothly, which makes it as smooth.
constexpr int kSupersampleBelow = 36;
constexpr int kSupersample = 3;
bool isSupersampled(int resolution, const options::Options& options);

// Pages of one document drawn on request, off the window's thread: a request for a page at a
// resolution (with the render settings as the options hold them) is answered later by
// pageReady() or pageFailed(). Requests wait in a queue ordered by priority, and run up to one
// worker per core; a visible page never waits behind background work, which gives way. A
// cancelled request is never answered. The pictures are kept in one cache bounded in bytes.
class PageService : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kDefaultCacheBytes = 256LL * 1024 * 1024;

    PageService(gs::Runner& runner, const options::Options& options, QObject* parent = nullptr,
                qint64 cacheBytes = kDefaultCacheBytes);
    ~PageService() override;

    // Another document, or the same changed: everything queued, running or cached goes.
    void setDocument(PageDocument document);
    const PageDocument& document() const { return document_; }

    // The page as drawn for the settings as they are now, when the cache holds it.
    std::optional<QImage> cached(qint32 page, int resolution);
    // Asks for the page; a request already there takes the higher priority. Nothing for a page
    // in the cache (see cached()) or without a document.
    void request(qint32 page, int resolution, PagePriority priority);
    // The request is not answered: taken off the queue, or its run's answer only cached.
    void cancel(qint32 page, int resolution);
    // Every request of that priority.
    void cancelAll(PagePriority priority);
    // A picture of the page drawn elsewhere for the same settings: kept as if drawn here.
    void offer(qint32 page, int resolution, const QImage& picture);

    // Nothing queued, running, or still to be answered.
    bool isIdle() const { return queue_.empty() && runs_.empty() && answers_.empty(); }
    int queued() const { return static_cast<int>(queue_.size()); }
    int running() const { return static_cast<int>(runs_.size()); }
    int workers() const { return workers_; }
    const PageCache& cache() const { return cache_; }

Q_SIGNALS:
    // setDocument() took another document.
    void documentChanged();
    void pageReady(qint32 page, int resolution, const QImage& picture);
    void pageFailed(qint32 page, int resolution);

private:
    struct Request {
        qint32 page = 0;
        int resolution = 0;
        PagePriority priority = PagePriority::Visible;
        QString key;
        bool wanted = true;
    };
    struct Run;

    QStringList runArguments(qint32 first, qint32 last, int resolution,
                             const QString& output) const;
    QString keyOf(qint32 page, int resolution) const;
    // Starts what the workers have room for, most urgent first; a visible request without a
    // free worker takes the place of the least urgent background run.
    void schedule();
    // Thumbnails and search go in runs over a range of pages, the queue's share of a worker.
    std::vector<Request> takeBatch(Request first);
    bool makeRoom();
    void start(std::vector<Request> requests);
    // Pages of a range that Ghostscript has finished (the next one begun) are answered at once.
    void harvest();
    // Answers the page, once its file is complete; false when there was none to load.
    bool deliver(Run& run, std::size_t index, bool ended);
    void runEnded(Run* ended);
    // Pages are answered from the event loop, never from inside the service's own steps.
    void answer(const Request& request, const QImage& picture);
    void flushAnswers();

    gs::Runner& runner_;
    const options::Options& options_;
    PageDocument document_;
    int workers_ = 1;
    std::vector<Request> queue_; // in the order asked
    std::vector<std::unique_ptr<Run>> runs_;
    PageCache cache_;
    std::unique_ptr<QTemporaryDir> folder_;
    int serial_ = 0;
    QTimer harvestTimer_;
    bool scheduling_ = false; // a schedule() is on its way from the event loop
    struct Answer {
        qint32 page;
        int resolution;
        QImage picture;
    };
    std::vector<Answer> answers_;
};

} // namespace quillorn::viewer
