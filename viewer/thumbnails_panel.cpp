#include "viewer/thumbnails_panel.h"

#include "viewer/core/page_layout.h"
#include "viewer/core/page_service.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace quillorn::viewer {

namespace {

// A letter page until the first thumbnail tells the document's size.
constexpr double kPlaceholderAspect = 792.0 / 612.0;

QPixmap placeholder(QSize size, double ratio) {
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setPen(Qt::gray);
    painter.drawRect(QRect(QPoint(0, 0), size).adjusted(0, 0, -1, -1));
    return pixmap;
}

} // namespace

ThumbnailsPanel::ThumbnailsPanel(PageService& service, QWidget* parent)
    : QListWidget(parent), service_(service) {
    setObjectName(QStringLiteral("thumbnailsPanel"));
    setViewMode(QListView::IconMode);
    setFlow(QListView::TopToBottom);
    setWrapping(false);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(false);
    setSpacing(6);
    setIconSize(QSize(kWidth, static_cast<int>(kWidth * kPlaceholderAspect)));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMinimumWidth(kWidth + 40);
    connect(&service_, &PageService::documentChanged, this, &ThumbnailsPanel::readDocument);
    connect(&service_, &PageService::pageReady, this, &ThumbnailsPanel::pageReady);
    connect(this, &QListWidget::itemClicked, this,
            [this](const QListWidgetItem* item) { Q_EMIT pageChosen(row(item) + 1); });
    readDocument();
}

void ThumbnailsPanel::readDocument() {
    clear();
    const PageDocument& document = service_.document();
    const int pages = document.pageCount.value_or(0);
    // A letter page's width to kWidth pixels, finer on a screen with more device pixels.
    resolution_ =
        std::max(1, static_cast<int>(std::lround(kWidth * 72.0 / 612.0 * devicePixelRatioF())));
    const QPixmap blank = placeholder(iconSize(), devicePixelRatioF());
    for (int page = 1; page <= pages; ++page)
        addItem(new QListWidgetItem(QIcon(blank), QString::number(page))); // the list owns it
    if (current_ >= 1 && current_ <= pages)
        showCurrentPage(current_);
    requestPages();
}

void ThumbnailsPanel::requestPages() {
    if (!isVisible())
        return;
    // The current page first, then in order.
    if (current_ >= 1)
        service_.request(current_, resolution_, PagePriority::Thumbnail);
    for (int page = 1; page <= count(); ++page) {
        if (const std::optional<QImage> picture = service_.cached(page, resolution_))
            pageReady(page, resolution_, *picture);
        else
            service_.request(page, resolution_, PagePriority::Thumbnail);
    }
}

void ThumbnailsPanel::pageReady(qint32 page, int resolution, const QImage& picture) {
    if (resolution != resolution_ || page < 1 || page > count())
        return;
    QImage small = picture.scaledToWidth(
        std::max(1, static_cast<int>(std::lround(kWidth * devicePixelRatioF()))),
        Qt::SmoothTransformation);
    small.setDevicePixelRatio(devicePixelRatioF());
    if (page == 1)
        setIconSize(small.deviceIndependentSize().toSize());
    item(page - 1)->setIcon(QIcon(QPixmap::fromImage(small)));
}

void ThumbnailsPanel::showCurrentPage(qint32 page) {
    current_ = page;
    if (page < 1 || page > count())
        return;
    setCurrentRow(page - 1);
    scrollToItem(item(page - 1));
}

void ThumbnailsPanel::showEvent(QShowEvent* event) {
    QListWidget::showEvent(event);
    requestPages();
}

void ThumbnailsPanel::hideEvent(QHideEvent* event) {
    QListWidget::hideEvent(event);
    service_.cancelAll(PagePriority::Thumbnail);
}

} // namespace quillorn::viewer
