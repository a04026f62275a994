#include "viewer/core/text_search.h"

#include "viewer/core/document_text.h"

#include <algorithm>

namespace quillorn::viewer {

TextSearch::TextSearch(DocumentText& text, QObject* parent) : QObject(parent), text_(text) {
    connect(&text_, &DocumentText::pageRead, this, [this](int page) {
        if (query_.isEmpty())
            return;
        searchPage(page);
        pickFirst();
    });
    connect(&text_, &DocumentText::completed, this, &TextSearch::pickFirst);
    connect(&text_, &DocumentText::cleared, this, [this] {
        hits_.clear();
        current_ = -1;
        Q_EMIT hitsChanged();
    });
}

void TextSearch::setQuery(const QString& text, Qt::CaseSensitivity cs) {
    query_ = text.trimmed().isEmpty() ? QString() : text;
    cs_ = cs;
    hits_.clear();
    current_ = -1;
    if (!query_.isEmpty()) {
        // Pages read from an earlier search are searched at once; the rest as they come.
        for (int page = 1; page <= text_.pageCount(); ++page)
            searchPage(page);
        text_.read();
    }
    Q_EMIT hitsChanged();
    pickFirst();
}

void TextSearch::searchPage(int page) {
    const PageText* text = text_.page(page);
    if (!text)
        return;
    std::vector<TextHit> found;
    for (const TextRange& range : text->find(query_, cs_))
        found.push_back({page, range});
    if (found.empty())
        return;
    // Pages come in any order: the page's hits go where the page is.
    const auto at = std::lower_bound(hits_.begin(), hits_.end(), page,
                                     [](const TextHit& hit, int p) { return hit.page < p; });
    const auto index = static_cast<int>(at - hits_.begin());
    hits_.insert(at, found.begin(), found.end());
    if (current_ >= index)
        current_ += static_cast<int>(found.size());
    Q_EMIT hitsChanged();
}

void TextSearch::pickFirst() {
    if (current_ >= 0 || hits_.empty())
        return;
    const auto at = std::find_if(hits_.begin(), hits_.end(),
                                 [this](const TextHit& hit) { return hit.page >= startPage_; });
    if (at != hits_.end()) {
        // A page before it, not read yet, may still bring an earlier hit after the start page:
        // only a hit whose pages from the start page on are all read is sure to be the first.
        for (int page = startPage_; page < at->page; ++page)
            if (!text_.page(page))
                return;
        current_ = static_cast<int>(at - hits_.begin());
    } else if (text_.isComplete()) {
        current_ = 0;
    } else {
        return;
    }
    Q_EMIT currentChanged();
}

std::vector<TextRange> TextSearch::hitsOn(int page) const {
    std::vector<TextRange> ranges;
    for (const TextHit& hit : hits_)
        if (hit.page == page)
            ranges.push_back(hit.range);
    return ranges;
}

void TextSearch::next() {
    if (hits_.empty())
        return;
    current_ = current_ < 0 ? 0 : (current_ + 1) % static_cast<int>(hits_.size());
    Q_EMIT currentChanged();
}

void TextSearch::previous() {
    if (hits_.empty())
        return;
    const int size = static_cast<int>(hits_.size());
    current_ = current_ <= 0 ? size - 1 : current_ - 1;
    Q_EMIT currentChanged();
}

} // namespace quillorn::viewer
