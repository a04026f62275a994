#include "viewer/page_view.h"

#include "viewer/core/document_files.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

namespace quillorn::viewer {

// The page bitmap at its natural size. Only the exposed part is painted, so scrolling a large
// page costs no copy of it.
class PagePicture : public QWidget {
public:
    explicit PagePicture(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    // Takes the image's size (in logical pixels: a page drawn for a finer screen is no larger);
    // a null image clears the picture and keeps the size, so the offsets stay for the next page.
    void setImage(const QImage& image) {
        image_ = image;
        if (!image_.isNull())
            resize(image_.deviceIndependentSize().toSize());
        update();
    }
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        if (image_.isNull()) {
            painter.fillRect(event->rect(), palette().window());
            return;
        }
        const QRect exposed = event->rect() & rect();
        const qreal ratio = image_.devicePixelRatio();
        painter.drawImage(
            QRectF(exposed), image_,
            QRectF(QPointF(exposed.topLeft()) * ratio, QSizeF(exposed.size()) * ratio));
    }

private:
    QImage image_;
};

PageView::PageView(QWidget* parent) : QScrollArea(parent), picture_(new PagePicture(this)) {
    setObjectName(QStringLiteral("pageView"));
    picture_->setObjectName(QStringLiteral("pagePicture"));
    picture_->resize(0, 0);
    setWidget(picture_);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);

    QFont waitingFont(QStringLiteral("Comic Sans MS"));
    waitingFont.setPointSizeF(21.75);
    waitingFont.setBold(true);
    viewport()->setFont(waitingFont);

    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
        connect(bar, &QScrollBar::rangeChanged, this, &PageView::updateScrollBars);
    updateScrollBars();
}

PageView::~PageView() = default;

QImage PageView::picture() const {
    return picture_->image();
}

void PageView::updateScrollBars() {
    const bool shown = !picture_->image().isNull();
    horizontalScrollBar()->setEnabled(shown && horizontalScrollBar()->maximum() > 0);
    verticalScrollBar()->setEnabled(shown && verticalScrollBar()->maximum() > 0);
}

void PageView::setPicture(const QImage& image) {
    picture_->setImage(image);
    updateScrollBars();
}

void PageView::setPictureVisible(bool visible) {
    picture_->setVisible(visible);
}

void PageView::setWaitingText(const QString& text) {
    if (text == waitingText_)
        return;
    waitingText_ = text;
    viewport()->update();
}

void PageView::paintEvent(QPaintEvent* event) {
    QScrollArea::paintEvent(event);
    if (waitingText_.isEmpty())
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(viewport()->rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     waitingText_);
}

void PageView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && droppedDocument(event->mimeData()->urls()))
        event->acceptProposedAction();
}

void PageView::dropEvent(QDropEvent* event) {
    const std::optional<QString> path =
        event->mimeData()->hasUrls() ? droppedDocument(event->mimeData()->urls()) : std::nullopt;
    if (!path)
        return;
    event->acceptProposedAction();
    Q_EMIT fileDropped(*path);
}

} // namespace quillorn::viewer
