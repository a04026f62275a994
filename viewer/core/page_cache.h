#pragma once

#include <QImage>
#include <QString>
#include <list>

namespace quillorn::viewer {

// A page rendered ahead of need, with what Ghostscript said while rendering it.
struct CachedPage {
    QString key; // the document as it was on disk, the page and every switch of the render
    QImage picture;
    QString messages;
    bool withErrors = false;
};

// The pages rendered ahead of need: at most a few pages and a few hundred megabytes, the least
// recently used going first. The key holds everything that changes the picture, so a stale
// page can never match; clear() when the document or a setting changed all the same.
class PageCache {
public:
    explicit PageCache(int maxPages = 3, qint64 maxBytes = 256LL * 1024 * 1024)
        : maxPages_(maxPages), maxBytes_(maxBytes) {}

    // The page under the key, now the most recently used; null when there is none.
    const CachedPage* find(const QString& key);
    bool contains(const QString& key) const;
    void insert(CachedPage page);
    // Lets go of the least recently used pages until a picture of coming bytes fits: done
    // before the picture is loaded, the cache and the new one never take more than the bound.
    void makeRoom(qint64 coming);
    void clear() { pages_.clear(); }

    int size() const { return static_cast<int>(pages_.size()); }
    qint64 bytes() const;

private:
    int maxPages_;
    qint64 maxBytes_;
    std::list<CachedPage> pages_; // most recently used first
};

} // namespace quillorn::viewer
