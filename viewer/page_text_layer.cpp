#include "viewer/page_text_layer.h"

#include "options/core/options.h"
#include "viewer/core/document_controller.h"
#include "viewer/core/document_text.h"
#include "viewer/core/text_search.h"
#include "viewer/page_view.h"

#include <algorithm>

namespace quillorn::viewer {

PageTextLayer::PageTextLayer(DocumentController& document, PageView& view, DocumentText& text,
                             TextSearch& search, const options::Options& options, QObject* parent)
    : QObject(parent), document_(document), view_(view), text_(text), search_(search),
      options_(options) {
    connect(&document_, &DocumentController::pageShown, this, &PageTextLayer::pageShown);
    connect(&text_, &DocumentText::pageRead, this, [this](int page) {
        if (page != page_)
            return;
        if (std::exchange(selectAllPending_, false))
            selectAll();
        updateMarks(std::exchange(revealPending_, false));
    });
    connect(&text_, &DocumentText::cleared, this, [this] {
        selection_ = {};
        updateMarks();
    });
    connect(&search_, &TextSearch::hitsChanged, this, [this] {
        updateMarks();
        drawLikelyHitAhead();
    });
    connect(&search_, &TextSearch::currentChanged, this, &PageTextLayer::showCurrentHit);
    connect(&view_, &PageView::textDragged, this, &PageTextLayer::dragged);
}

void PageTextLayer::pageShown(qint32 page) {
    page_ = page;
    orientation_ = static_cast<int>(options_.orientation);
    // The continuous view tells of the page at its top as it scrolls: its selection stays.
    if (view_.isVisible()) {
        selection_ = {};
        selectionPage_ = page;
    }
    selectAllPending_ = false;
    // The document may have been looked at for the first time, or changed.
    text_.setSource(textSourceOf(document_, options_));
    search_.setStartPage(std::max(page, 1));
    if (!search_.query().isEmpty())
        text_.read(); // a search began before the document was looked at
    updateMarks(std::exchange(revealPending_, false));
}

void PageTextLayer::showCurrentHit() {
    const int current = search_.current();
    if (current < 0)
        return;
    const int page = search_.hits()[static_cast<std::size_t>(current)].page;
    if (showHit_ && showHit_(page))
        return;
    if (page != page_ || document_.currentPage() != page_) {
        revealPending_ = true;
        document_.showPage(page);
        return;
    }
    updateMarks(true);
}

void PageTextLayer::drawLikelyHitAhead() {
    // Until the pages before it are read, the first hit after the page shown is only the likely
    // next one: its page is drawn meanwhile, and is there when the hit is sure.
    if (search_.current() >= 0 || !view_.isVisible())
        return;
    for (const TextHit& hit : search_.hits()) {
        if (hit.page < page_)
            continue;
        if (hit.page > page_)
            document_.drawAhead(hit.page);
        return;
    }
}

const PageText* PageTextLayer::shownText() const {
    return page_ > 0 && !view_.picture().isNull() ? text_.page(page_) : nullptr;
}

PageGeometry PageTextLayer::geometry() const {
    return {view_.picture().deviceIndependentSize(), double(document_.shownResolution()),
            orientation_};
}

void PageTextLayer::updateMarks(bool reveal) {
    TextMarks marks;
    const PageText* text = shownText();
    if (text && document_.shownResolution() > 0) {
        const PageGeometry where = geometry();
        marks = marksOn(page_, where);
    }
    view_.setTextMarks(std::move(marks), reveal);
}

TextMarks PageTextLayer::marksOn(qint32 page, const PageGeometry& where) const {
    TextMarks marks;
    const PageText* text = text_.page(page);
    if (!text)
        return marks;
    const int current = search_.current();
    for (std::size_t i = 0; i < search_.hits().size(); ++i) {
        const TextHit& hit = search_.hits()[i];
        if (hit.page != page)
            continue;
        for (const QRectF& box : text->boxes(hit.range))
            (static_cast<int>(i) == current ? marks.current : marks.hits)
                .push_back(pictureRect(box, where));
    }
    if (page == selectionPage_)
        for (const QRectF& box : text->boxes(selection_))
            marks.selection.push_back(pictureRect(box, where));
    return marks;
}

void PageTextLayer::dragged(QPointF from, QPointF to) {
    if (!view_.picture().isNull())
        draggedOn(page_, from, to, geometry());
}

void PageTextLayer::draggedOn(qint32 page, QPointF from, QPointF to, const PageGeometry& where) {
    const PageText* text = text_.page(page);
    if (!text) {
        // The text is read on the first drag over a page: the next one selects.
        text_.setSource(textSourceOf(document_, options_));
        text_.read();
        return;
    }
    const int a = text->caretAt(pagePoint(from, where));
    const int b = text->caretAt(pagePoint(to, where));
    const TextRange selection{std::min(a, b), std::abs(a - b)};
    if (selection == selection_ && page == selectionPage_)
        return;
    selection_ = selection;
    selectionPage_ = page;
    updateMarks();
    Q_EMIT selectionChanged();
}

void PageTextLayer::selectAll() {
    const PageText* text = shownText();
    if (!text) {
        selectAllPending_ = page_ > 0;
        text_.setSource(textSourceOf(document_, options_));
        text_.read();
        return;
    }
    selection_ = {0, static_cast<int>(text->text().size())};
    selectionPage_ = page_;
    updateMarks();
    Q_EMIT selectionChanged();
}

QString PageTextLayer::selectedText() const {
    const PageText* text = text_.page(selectionPage_);
    return text ? text->textOf(selection_) : QString();
}

} // namespace quillorn::viewer
