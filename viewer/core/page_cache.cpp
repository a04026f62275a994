#include "viewer/core/page_cache.h"

#include "viewer/core/logging.h"

#include <algorithm>

namespace quillorn::viewer {

const CachedPage* PageCache::find(const QString& key) {
    const auto it = std::find_if(pages_.begin(), pages_.end(),
                                 [&key](const CachedPage& page) { return page.key == key; });
    if (it == pages_.end()) {
        qCDebug(lcPages) << "cache miss" << key;
        return nullptr;
    }
    qCDebug(lcPages) << "cache hit" << key;
    pages_.splice(pages_.begin(), pages_, it);
    return &pages_.front();
}

bool PageCache::contains(const QString& key) const {
    return std::any_of(pages_.begin(), pages_.end(),
                       [&key](const CachedPage& page) { return page.key == key; });
}

void PageCache::insert(CachedPage page) {
    if (page.picture.sizeInBytes() > maxBytes_) {
        qCDebug(lcPages) << "not cached, larger than the cache:" << page.key;
        return;
    }
    qCDebug(lcPages) << "cached" << page.key << page.picture.sizeInBytes() << "bytes";
    pages_.remove_if([&page](const CachedPage& kept) { return kept.key == page.key; });
    pages_.push_front(std::move(page));
    while (static_cast<int>(pages_.size()) > maxPages_ || bytes() > maxBytes_) {
        qCDebug(lcPages) << "cache lets go of" << pages_.back().key;
        pages_.pop_back();
    }
}

void PageCache::makeRoom(qint64 coming) {
    if (coming > maxBytes_)
        return; // it will not be cached
    while (!pages_.empty() && bytes() + coming > maxBytes_)
        pages_.pop_back();
}

qint64 PageCache::bytes() const {
    qint64 total = 0;
    for (const CachedPage& page : pages_)
        total += page.picture.sizeInBytes();
    return total;
}

} // namespace quillorn::viewer
