#include "viewer/continuous_view.h"

#include "options/core/options.h"
#include "options/core/paper.h"
#include "viewer/core/document_controller.h"
#include "viewer/core/dsc_bounding_box.h"
#include "viewer/core/logging.h"
#include "viewer/core/page_service.h"
#include "viewer/core/render_arguments.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <utility>

namespace quillorn::viewer {

namespace {

// Pages below and above the view drawn ahead of need.
constexpr int kNeighboursBelow = 2;
constexpr int kNeighboursAbove = 1;

bool sideways(options::Orientation orientation) {
    return orientation == options::Orientation::Landscape ||
           orientation == options::Orientation::Seascape;
}

} // namespace

ContinuousView::ContinuousView(PageService& service, const options::Options& options,
                               QWidget* parent)
    : QAbstractScrollArea(parent), service_(service), options_(options) {
    setObjectName(QStringLiteral("continuousView"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    viewport()->setMouseTracking(true); // the pointer shows where links are
    verticalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setSingleStep(20);
    connect(&service_, &PageService::pageReady, this, &ContinuousView::pageReady);
}

ContinuousView::~ContinuousView() = default;

void ContinuousView::setDocument(DocumentController* document) {
    document_ = document;
    connect(document_, &DocumentController::documentRead, this, &ContinuousView::readDocument);
    // A page the controller did not bring after all is asked for here.
    connect(document_, &DocumentController::renderingChanged, this, [this](bool rendering) {
        if (!rendering)
            requestPages();
    });
    connect(document_, &DocumentController::pageShown, this, [this](qint32 page) {
        if (page == 0) { // closed
            readDocument();
            return;
        }
        // A password given since the document was read, or a count learned.
        if (document_->pageDocument() != service_.document())
            readDocument();
    });
}

bool ContinuousView::canShow() const {
    const PageDocument document = document_ ? document_->pageDocument() : PageDocument();
    return !document.input.isEmpty() && document.pageCount && *document.pageCount > 0 &&
           !document.allPages;
}

void ContinuousView::readDocument() {
    PageDocument document = canShow() ? document_->pageDocument() : PageDocument();
    const bool same =
        document.input == service_.document().input && document.stamp == service_.document().stamp;
    service_.setDocument(document);
    if (same && layoutResolution_ > 0 &&
        static_cast<int>(measured_.size()) == document.pageCount.value_or(0)) {
        requestPages();
        return;
    }
    requested_.clear();
    measured_.assign(static_cast<std::size_t>(document.pageCount.value_or(0)), QSizeF());
    firstDrawn_ = QSizeF();
    measuredTurned_ = options_.orientation;
    layoutResolution_ = 0;
    layout_ = {};
    topPage_ = 0;
    if (document_ && document_->isOpen())
        goTo_ = document_->currentPage();
    relayout(QPoint());
}

int ContinuousView::pageCount() const {
    return static_cast<int>(measured_.size());
}

int ContinuousView::renderResolution() const {
    return viewer::renderResolution(options_.resolution, devicePixelRatioF());
}

QSizeF ContinuousView::pagePoints(int index) const {
    const QSizeF& drawn = measured_[static_cast<std::size_t>(index)];
    if (!drawn.isEmpty())
        return drawn;
    if (!firstDrawn_.isEmpty())
        return firstDrawn_;
    QSizeF paper;
    const PageDocument& document = service_.document();
    if (const auto box = document.eps ? documentBoundingBox(document.input) : std::nullopt)
        paper = QSizeF(box->urx - box->llx, box->ury - box->lly);
    else
        paper = options::mediaSizePoints(options_.media);
    if (paper.isEmpty())
        paper = QSizeF(612, 792);
    return sideways(options_.orientation) ? paper.transposed() : paper;
}

void ContinuousView::relayout(QPoint anchor) {
    const PageLayout before = layout_;
    const QPoint scroll = scrollPosition();
    std::vector<QSize> sizes;
    sizes.reserve(measured_.size());
    for (int i = 0; i < pageCount(); ++i)
        sizes.push_back(pagePixels(pagePoints(i), options_.resolution));
    layout_ = stackPages(sizes, viewport()->width());
    const int resolution = renderResolution();
    if (resolution != layoutResolution_) {
        forgetRequests();
        layoutResolution_ = resolution;
    }
    updateScrollBars();
    if (goTo_ && !layout_.pages.empty()) {
        const qint32 page = std::clamp<qint32>(*std::exchange(goTo_, std::nullopt), 1, pageCount());
        horizontalScrollBar()->setValue((layout_.size.width() - viewport()->width()) / 2);
        verticalScrollBar()->setValue(pageTopScroll(layout_, page - 1));
    } else if (!before.pages.empty()) {
        const QPoint to = scrollAfterZoom(before, layout_, scroll, anchor);
        horizontalScrollBar()->setValue(to.x());
        verticalScrollBar()->setValue(to.y());
    }
    followTop();
    requestPages();
    viewport()->update();
}

void ContinuousView::updateScrollBars() {
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, layout_.size.width() - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setRange(0, std::max(0, layout_.size.height() - view.height()));
    verticalScrollBar()->setPageStep(view.height());
}

QPoint ContinuousView::scrollPosition() const {
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void ContinuousView::scrollToPage(qint32 page) {
    if (layout_.pages.empty()) {
        goTo_ = page;
        return;
    }
    page = std::clamp<qint32>(page, 1, pageCount());
    verticalScrollBar()->setValue(pageTopScroll(layout_, page - 1));
    // At the end of the pages the bar cannot bring the page to the top; it is the one meant.
    if (topPage_ != page)
        setTopPage(page);
}

void ContinuousView::setTopPage(qint32 page) {
    topPage_ = page;
    following_ = true;
    if (document_)
        document_->followPage(page);
    following_ = false;
    Q_EMIT pageAtTopChanged(page);
}

void ContinuousView::refresh() {
    // Sizes in points hold at any resolution, not in another orientation.
    if (options_.orientation != measuredTurned_) {
        std::fill(measured_.begin(), measured_.end(), QSizeF());
        firstDrawn_ = QSizeF();
        measuredTurned_ = options_.orientation;
    }
    forgetRequests();
    relayout(std::exchange(zoomAnchor_, std::nullopt)
                 .value_or(QPoint(viewport()->width() / 2, viewport()->height() / 2)));
}

void ContinuousView::pageDrawn(qint32 page, const QImage& picture) {
    // While the controller follows this view, the page it tells of is no page it drew.
    if (following_ || picture.isNull() || page < 1 || page > pageCount())
        return;
    service_.offer(page, renderResolution(), picture);
    pageReady(page, renderResolution(), picture);
}

void ContinuousView::pageReady(qint32 page, int resolution, const QImage& picture) {
    if (resolution != layoutResolution_ || page < 1 || page > pageCount())
        return;
    const QSizeF points = QSizeF(picture.size()) * 72.0 / resolution;
    QSizeF& known = measured_[static_cast<std::size_t>(page - 1)];
    const bool first = firstDrawn_.isEmpty();
    if (first)
        firstDrawn_ = points;
    const QSize shown = layout_.pages[static_cast<std::size_t>(page - 1)].size();
    known = points;
    if (first || pagePixels(points, options_.resolution) != shown) {
        relayout(QPoint());
        return;
    }
    requestPages(); // the neighbours, once the view is drawn
    viewport()->update();
}

bool ContinuousView::viewDrawn() {
    const auto [first, last] =
        visiblePages(layout_, verticalScrollBar()->value(), viewport()->height());
    if (first > last)
        return false;
    for (int i = first; i <= last; ++i)
        if (!service_.cached(i + 1, layoutResolution_))
            return false;
    return true;
}

void ContinuousView::requestPages() {
    if (!isVisible() || layout_.pages.empty())
        return;
    const auto [first, last] =
        visiblePages(layout_, verticalScrollBar()->value(), viewport()->height());
    if (first > last)
        return;
    std::set<qint32> wanted;
    for (int i = first; i <= last; ++i)
        wanted.insert(i + 1);
    // The pages around the view once those in it are drawn: they would only slow them down.
    const qint32 drawing =
        document_ && document_->isRendering() ? document_->currentPage() : qint32(0);
    bool allDrawn = drawing == 0;
    for (const qint32 page : wanted)
        allDrawn = allDrawn && service_.cached(page, layoutResolution_).has_value();
    std::set<qint32> neighbours;
    for (int i = last + 1; allDrawn && i <= last + kNeighboursBelow && i < pageCount(); ++i)
        neighbours.insert(i + 1);
    for (int i = first - 1; allDrawn && i >= first - kNeighboursAbove && i >= 0; --i)
        neighbours.insert(i + 1);
    // Pages that left the view are not drawn for it.
    for (const qint32 page : requested_)
        if (!wanted.contains(page) && !neighbours.contains(page))
            service_.cancel(page, layoutResolution_);
    requested_.clear();
    // The page the controller is drawing arrives through pageDrawn().
    for (const qint32 page : wanted) {
        requested_.insert(page);
        if (page != drawing)
            service_.request(page, layoutResolution_, PagePriority::Visible);
    }
    for (const qint32 page : neighbours) {
        requested_.insert(page);
        if (page != drawing)
            service_.request(page, layoutResolution_, PagePriority::Neighbour);
    }
}

void ContinuousView::forgetRequests() {
    for (const qint32 page : requested_)
        service_.cancel(page, layoutResolution_);
    requested_.clear();
}

void ContinuousView::followTop() {
    if (layout_.pages.empty())
        return;
    const qint32 top = pageAt(layout_, verticalScrollBar()->value()) + 1;
    if (top != topPage_)
        setTopPage(top);
}

void ContinuousView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QPoint scroll = scrollPosition();
    // Narrower than the view: the pages stay in its middle.
    const QPoint origin(-scroll.x(), -scroll.y());
    const auto [first, last] = visiblePages(layout_, scroll.y(), viewport()->height());
    for (int i = first; i <= last; ++i) {
        const QRect rect = layout_.pages[static_cast<std::size_t>(i)].translated(origin);
        if (!rect.intersects(event->rect()))
            continue;
        painter.fillRect(rect, Qt::white);
        if (const std::optional<QImage> picture = service_.cached(i + 1, layoutResolution_)) {
            painter.drawImage(rect, *picture);
            if (marksOf_) {
                painter.save();
                painter.translate(rect.topLeft());
                paintTextMarks(painter, marksOf_(i + 1, geometryOf(i)), palette());
                painter.restore();
            }
        }
        painter.setPen(palette().color(QPalette::Shadow));
        painter.drawRect(rect.adjusted(-1, -1, 0, 0));
    }
}

PageGeometry ContinuousView::geometryOf(int index) const {
    // The layout gives each page its size at the chosen resolution, in logical pixels.
    return {QSizeF(layout_.pages[static_cast<std::size_t>(index)].size()),
            double(options_.resolution), static_cast<int>(options_.orientation)};
}

void ContinuousView::revealCurrentHit(qint32 page) {
    if (layout_.pages.empty() || !marksOf_ || page < 1 || page > pageCount()) {
        scrollToPage(page);
        return;
    }
    QRectF hit;
    for (const QRectF& rect : marksOf_(page, geometryOf(page - 1)).current)
        hit = hit.united(rect);
    if (hit.isEmpty()) { // the page's text is not read yet
        scrollToPage(page);
        return;
    }
    const QRectF inStrip =
        hit.translated(layout_.pages[static_cast<std::size_t>(page - 1)].topLeft());
    const QRect view(scrollPosition(), viewport()->size());
    // A hit already in view stays where it is, as the page view keeps it.
    if (!QRectF(view).contains(inStrip)) {
        horizontalScrollBar()->setValue(qRound(inStrip.center().x()) - view.width() / 2);
        verticalScrollBar()->setValue(qRound(inStrip.center().y()) - view.height() / 2);
    }
    viewport()->update();
}

std::pair<qint32, QPointF> ContinuousView::pageUnder(QPoint point) const {
    const QPoint inStrip = point + scrollPosition();
    const auto [first, last] = visiblePages(layout_, scrollPosition().y(), viewport()->height());
    for (int i = first; i <= last; ++i) {
        const QRect& rect = layout_.pages[static_cast<std::size_t>(i)];
        if (rect.contains(inStrip))
            return {i + 1, QPointF(inStrip - rect.topLeft())};
    }
    return {0, QPointF()};
}

std::pair<qint32, int> ContinuousView::linkAt(QPoint point) const {
    const auto [page, onPage] = pageUnder(point);
    if (!linksOf_ || page == 0)
        return {0, -1};
    const QList<QRectF> links = linksOf_(page, geometryOf(page - 1));
    for (qsizetype n = 0; n < links.size(); ++n)
        if (links[n].contains(onPage))
            return {page, static_cast<int>(n)};
    return {0, -1};
}

void ContinuousView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (linkAt(point).first > 0)
        viewport()->setCursor(Qt::PointingHandCursor);
    else
        viewport()->unsetCursor();
    if (dragStart_.first > 0 && (event->buttons() & Qt::LeftButton)) {
        // Past the page's edge the drag goes on along it.
        const QRect page = layout_.pages[static_cast<std::size_t>(dragStart_.first - 1)];
        const QPointF to = QPointF(point + scrollPosition() - page.topLeft());
        Q_EMIT textDragged(dragStart_.first, dragStart_.second, to,
                           geometryOf(dragStart_.first - 1));
    }
    QAbstractScrollArea::mouseMoveEvent(event);
}

void ContinuousView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressedLink_ = linkAt(event->position().toPoint());
        dragStart_ = pressedLink_.first > 0 ? std::pair(qint32(0), QPointF())
                                            : pageUnder(event->position().toPoint());
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void ContinuousView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        dragStart_ = {0, QPointF()};
    // Pressed and let go over the same link.
    const std::pair<qint32, int> link = linkAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && link.first > 0 &&
        link == std::exchange(pressedLink_, {0, -1})) {
        Q_EMIT linkClicked(link.first, link.second);
        return;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void ContinuousView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    relayout(QPoint());
}

void ContinuousView::scrollContentsBy(int, int) {
    followTop();
    requestPages();
    viewport()->update();
}

void ContinuousView::keyPressEvent(QKeyEvent* event) {
    QScrollBar* bar = verticalScrollBar();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Space:
        bar->triggerAction(shift ? QAbstractSlider::SliderPageStepSub
                                 : QAbstractSlider::SliderPageStepAdd);
        return;
    case Qt::Key_Home:
        bar->setValue(bar->minimum());
        return;
    case Qt::Key_End:
        bar->setValue(bar->maximum());
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void ContinuousView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    zoomAngle_ += event->angleDelta().y();
    const int steps = zoomAngle_ / QWheelEvent::DefaultDeltasPerStep;
    zoomAngle_ -= steps * QWheelEvent::DefaultDeltasPerStep;
    event->accept();
    if (steps == 0)
        return;
    zoomAnchor_ = event->position().toPoint();
    Q_EMIT zoomRequested(steps);
    zoomAnchor_.reset(); // a zoom that could go no further
}

void ContinuousView::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    requestPages();
}

void ContinuousView::hideEvent(QHideEvent* event) {
    QAbstractScrollArea::hideEvent(event);
    forgetRequests();
}

} // namespace quillorn::viewer
