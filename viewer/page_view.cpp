#include "viewer/page_view.h"

#include "gs/document_info.h"
#include "viewer/core/document_controller.h"
#include "viewer/core/document_files.h"
#include "viewer/core/page_geometry.h"

#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <utility>

namespace quillorn::viewer {

namespace {
// What is drawn over the page: the bounding box and the measuring line.
const QColor kOverlayColour(Qt::red);
// The hits of a search, and the one the user is at.
const QColor kHitColour(255, 240, 120);
const QColor kCurrentHitColour(255, 170, 60);
// One notch of a mouse wheel, in eighths of a degree.
constexpr int kWheelNotch = 120;

// The keys that move through the page, and their moves; a key with other modifiers is not one.
struct ScrollKey {
    int key;
    Qt::KeyboardModifiers modifiers;
    ScrollMotion motion;
};
const ScrollKey kScrollKeys[] = {
    {Qt::Key_Up, Qt::NoModifier, ScrollMotion::LineUp},
    {Qt::Key_Down, Qt::NoModifier, ScrollMotion::LineDown},
    {Qt::Key_PageUp, Qt::NoModifier, ScrollMotion::PageUp},
    {Qt::Key_PageDown, Qt::NoModifier, ScrollMotion::PageDown},
    {Qt::Key_Space, Qt::ShiftModifier, ScrollMotion::PageUp},
    {Qt::Key_Space, Qt::NoModifier, ScrollMotion::PageDown},
    {Qt::Key_Home, Qt::NoModifier, ScrollMotion::Top},
    {Qt::Key_End, Qt::NoModifier, ScrollMotion::Bottom},
};

QAbstractSlider::SliderAction sliderAction(ScrollMotion motion) {
    switch (motion) {
    case ScrollMotion::LineUp:
    case ScrollMotion::WheelUp:
        return QAbstractSlider::SliderSingleStepSub;
    case ScrollMotion::LineDown:
    case ScrollMotion::WheelDown:
        return QAbstractSlider::SliderSingleStepAdd;
    case ScrollMotion::PageUp:
        return QAbstractSlider::SliderPageStepSub;
    case ScrollMotion::PageDown:
        return QAbstractSlider::SliderPageStepAdd;
    case ScrollMotion::Top:
        return QAbstractSlider::SliderToMinimum;
    case ScrollMotion::Bottom:
        return QAbstractSlider::SliderToMaximum;
    }
    return QAbstractSlider::SliderNoAction;
}
} // namespace

void paintTextMarks(QPainter& painter, const TextMarks& marks, const QPalette& palette) {
    // Over the page's ink: the text stays readable under the colour.
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    const std::pair<const std::vector<QRectF>*, QColor> layers[] = {
        {&marks.hits, kHitColour},
        {&marks.current, kCurrentHitColour},
        {&marks.selection, palette.color(QPalette::Highlight).lighter(150)}};
    for (const auto& [rects, colour] : layers) {
        painter.setBrush(colour);
        for (const QRectF& rect : *rects)
            painter.drawRect(rect);
    }
    painter.restore();
}

// The page bitmap at its natural size, or scaled while a zoom's preview shows, with the
// bounding box and the measuring line over it. Only the exposed part is painted, so scrolling a
// large page costs no copy of it.
class PagePicture : public QWidget {
public:
    explicit PagePicture(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
    }

    // Takes the image's size at the scale; a null image clears the picture and keeps the size,
    // so the offsets stay for the next page.
    void setImage(const QImage& image, double scale) {
        image_ = image;
        scale_ = scale;
        if (!image_.isNull())
            resize((image_.deviceIndependentSize() * scale_).toSize());
        prepareDrawn();
    }
    const QImage& image() const { return image_; }

    void setInverted(bool inverted) {
        if (inverted == inverted_)
            return;
        inverted_ = inverted;
        prepareDrawn();
    }

    // In the page's pixels; an empty box or line draws nothing.
    void setOverlay(const QRect& box, const QLineF& line) {
        if (box == box_ && line == line_)
            return;
        box_ = box;
        line_ = line;
        update();
    }

    QPointF pagePoint(QPointF point) const { return point / scale_; }
    double scale() const { return scale_; }

    void setMarks(TextMarks marks) {
        marks_ = std::move(marks);
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        if (image_.isNull()) {
            painter.fillRect(event->rect(), palette().window());
            return;
        }
        const QRectF exposed = QRectF(event->rect()) & QRectF(rect());
        const double toImage = image_.devicePixelRatio() / scale_;
        painter.drawImage(exposed, drawn_,
                          QRectF(exposed.topLeft() * toImage, exposed.size() * toImage));
        painter.scale(scale_, scale_);
        paintTextMarks(painter, marks_, palette());
        if (box_.isNull() && line_.isNull())
            return;
        QPen pen(kOverlayColour, 1);
        pen.setCosmetic(true);
        painter.setPen(pen);
        if (!box_.isNull())
            painter.drawRect(box_);
        if (!line_.isNull())
            painter.drawLine(line_);
    }

private:
    // What is painted: the image, or a copy with its colours inverted (indexed images invert
    // their indices, not their colours, so the copy is in true colour).
    void prepareDrawn() {
        drawn_ = image_;
        if (inverted_ && !image_.isNull()) {
            drawn_ = image_.convertToFormat(QImage::Format_RGB32);
            drawn_.invertPixels();
            drawn_.setDevicePixelRatio(image_.devicePixelRatio());
        }
        update();
    }

    QImage image_;
    QImage drawn_;
    bool inverted_ = false;
    double scale_ = 1;
    QRect box_;
    QLineF line_;
    TextMarks marks_;
};

PageView::PageView(QWidget* parent) : QScrollArea(parent), picture_(new PagePicture(this)) {
    setObjectName(QStringLiteral("pageView"));
    picture_->setObjectName(QStringLiteral("pagePicture"));
    picture_->resize(0, 0);
    picture_->installEventFilter(this);
    setWidget(picture_);
    setWidgetResizable(false);
    // The page in the middle of a neutral ground, a thin frame around it.
    setAlignment(Qt::AlignCenter);
    viewport()->setBackgroundRole(QPalette::Mid);
    viewport()->setAutoFillBackground(true);
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
    // A turned-to page may get its size only once it is shown.
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, &PageView::moveToPageEdge);
    updateScrollBars();
}

PageView::~PageView() = default;

void PageView::setDocument(DocumentController* document) {
    document_ = document;
    connect(document_, &DocumentController::pageShown, this, &PageView::pageArrived);
    connect(document_, &DocumentController::renderingChanged, this, [this](bool rendering) {
        if (!rendering)
            renderEnded();
    });
}

QImage PageView::picture() const {
    return page_;
}

void PageView::updateScrollBars() {
    const bool shown = !picture_->image().isNull();
    horizontalScrollBar()->setEnabled(shown && horizontalScrollBar()->maximum() > 0);
    verticalScrollBar()->setEnabled(shown && verticalScrollBar()->maximum() > 0);
}

void PageView::showPage() {
    const bool preview = previewScale_ > 0;
    const QImage& page = preview ? previewPage_ : page_;
    picture_->setImage(page, preview ? previewScale_ : 1.0);
    picture_->setVisible(preview || (pageVisible_ && !page.isNull()));
    // The box in points from the page's lower-left corner, in pixels from its top-left one.
    QRect box;
    const int resolution = document_ ? document_->shownResolution() : 0;
    if (boxShown_ && box_ && !page.isNull() && resolution > 0) {
        // On the page as the document draws it (an EPS picture's page is its box), turned as
        // the page was drawn.
        const int turns = document_->shownOrientation();
        const QSizeF drawn = page.deviceIndependentSize() * 72.0 / resolution;
        const double height = turns % 2 != 0 ? drawn.width() : drawn.height();
        const double dx = cropped_ ? box_->llx : 0, dy = cropped_ ? box_->lly : 0;
        const QRectF area(QPointF(box_->llx - dx, height - (box_->ury - dy)),
                          QPointF(box_->urx - dx, height - (box_->lly - dy)));
        const QRectF on = areaOnPicture(area, page.deviceIndependentSize().toSize(), resolution,
                                        static_cast<options::Orientation>(((turns % 4) + 4) % 4));
        const QPoint topLeft(qRound(on.left()), qRound(on.top()));
        const QPoint bottomRight(qRound(on.right()), qRound(on.bottom()));
        box = QRect(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y()));
    }
    picture_->setOverlay(
        box, measure_ == Measure::Off || measure_ == Measure::Armed ? QLineF() : measureLine_);
    updateScrollBars();
    viewport()->update();
}

void PageView::setPicture(const QImage& image) {
    page_ = image;
    if (!image.isNull()) {
        // The zoom's page is here; a measure on the page before it means nothing on this one.
        previewScale_ = 0;
        previewPage_ = QImage();
        if (measure_ == Measure::Shown || measure_ == Measure::Dragging)
            measure_ = Measure::Off;
    }
    showPage();
}

void PageView::setPictureVisible(bool visible) {
    pageVisible_ = visible;
    showPage();
}

void PageView::setWaitingText(const QString& text) {
    if (text == waitingText_)
        return;
    waitingText_ = text;
    viewport()->update();
}

void PageView::showZoomPreview(int resolution) {
    const int shownResolution = document_ ? document_->shownResolution() : 0;
    const bool previewing = previewScale_ > 0;
    if (!document_ || !document_->isOpen() || shownResolution <= 0 || resolution <= 0)
        return;
    if (!previewing && (page_.isNull() || !pageVisible_))
        return; // no page on the view: the redraw shows its waiting text
    const double scale = double(resolution) / shownResolution;
    const double factor = scale / (previewing ? previewScale_ : 1.0);
    const QPointF middle(horizontalScrollBar()->value() + viewport()->width() / 2.0,
                         verticalScrollBar()->value() + viewport()->height() / 2.0);
    if (!previewing)
        previewPage_ = page_;
    previewScale_ = scale;
    showPage();
    horizontalScrollBar()->setValue(qRound(middle.x() * factor - viewport()->width() / 2.0));
    verticalScrollBar()->setValue(qRound(middle.y() * factor - viewport()->height() / 2.0));
}

void PageView::setBoundingBoxShown(bool shown) {
    boxShown_ = shown;
    showPage();
}

void PageView::setColoursInverted(bool inverted) {
    picture_->setInverted(inverted);
}

void PageView::startMeasuring() {
    setMeasure(Measure::Armed);
}

void PageView::setTextMarks(TextMarks marks, bool reveal) {
    QRectF current;
    for (const QRectF& rect : marks.current)
        current = current.united(rect);
    picture_->setMarks(std::move(marks));
    if (!reveal || current.isEmpty())
        return;
    const QPointF middle = current.center() * picture_->scale();
    ensureVisible(qRound(middle.x()), qRound(middle.y()), qRound(current.width() / 2) + 50,
                  qRound(current.height() / 2) + 50);
}

void PageView::setMeasure(Measure state) {
    measure_ = state;
    picture_->setCursor(state == Measure::Armed || state == Measure::Dragging ? Qt::CrossCursor
                                                                              : Qt::ArrowCursor);
    showPage();
}

void PageView::pageArrived() {
    if (!document_->isOpen()) {
        // Closed: the next document opens at its top left, not where this one was.
        box_.reset();
        atNewDocument_ = true;
        showPage();
        return;
    }
    box_ = documentBoundingBox(document_->filePath());
    // An EPS picture is cropped to its box: the box is the page, from its corner.
    cropped_ = gs::isEps(document_->filePath());
    if (std::exchange(atNewDocument_, false)) {
        horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
        verticalScrollBar()->setValue(verticalScrollBar()->minimum());
    }
    showPage();
    // The pointer left in place is now over another page, or the same at another resolution.
    if (picture_->underMouse())
        Q_EMIT pointerMoved(picture_->pagePoint(picture_->mapFromGlobal(QCursor::pos())));
    turnedPageShown_ = true;
    moveToPageEdge();
}

void PageView::renderEnded() {
    // A zoom that brought no page (stopped or failed) leaves the view as any redraw does.
    if (previewScale_ > 0) {
        previewScale_ = 0;
        previewPage_ = QImage();
        showPage();
    }
    moveToPageEdge();
    turn_ = PageTurn::None;
    turnedPageShown_ = false;
}

void PageView::moveToPageEdge() {
    if (turn_ == PageTurn::None || !turnedPageShown_)
        return;
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(turn_ == PageTurn::Next ? bar->minimum() : bar->maximum());
}

void PageView::turnPage(PageTurn turn) {
    // One turn at a time: keys and wheel turns that arrive while the page renders are spent.
    if (!document_ || !document_->isOpen() || turn_ != PageTurn::None)
        return;
    if (turn == PageTurn::Previous && document_->currentPage() <= 1)
        return;
    const qint32 before = document_->currentPage();
    turn_ = turn;
    turnedPageShown_ = false;
    if (turn == PageTurn::Next)
        document_->nextPage();
    else
        document_->previousPage();
    // Refused by the document: nothing to wait for.
    if (!document_->isRendering() && document_->currentPage() == before)
        turn_ = PageTurn::None;
}

void PageView::scroll(ScrollMotion motion) {
    QScrollBar* bar = verticalScrollBar();
    const PageTurn turn = pageTurn(bar->value(), bar->minimum(), bar->maximum(), motion);
    if (turn != PageTurn::None)
        turnPage(turn);
    else
        bar->triggerAction(sliderAction(motion));
}

void PageView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    for (const ScrollKey& key : kScrollKeys) {
        if (event->key() == key.key && modifiers == key.modifiers) {
            scroll(key.motion);
            event->accept();
            return;
        }
    }
    QScrollArea::keyPressEvent(event); // left and right, and what the view does not take
}

void PageView::wheelEvent(QWheelEvent* event) {
    const int angle = event->angleDelta().y();
    if (event->modifiers() == Qt::ControlModifier) {
        zoomAngle_ += angle;
        const int steps = zoomAngle_ / kWheelNotch;
        zoomAngle_ -= steps * kWheelNotch;
        if (steps != 0)
            Q_EMIT zoomRequested(steps);
        event->accept();
        return;
    }
    if (event->modifiers() == Qt::NoModifier && angle != 0 && event->angleDelta().x() == 0) {
        QScrollBar* bar = verticalScrollBar();
        const PageTurn turn = pageTurn(bar->value(), bar->minimum(), bar->maximum(),
                                       angle < 0 ? ScrollMotion::WheelDown : ScrollMotion::WheelUp);
        if (turn != PageTurn::None) {
            turnPage(turn);
            event->accept();
            return;
        }
    }
    QScrollArea::wheelEvent(event);
}

bool PageView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == picture_ && handleMouse(event))
        return true;
    return QScrollArea::eventFilter(watched, event);
}

// The pointer over the picture: its place on the page, and the measuring drag.
bool PageView::handleMouse(QEvent* event) {
    if (event->type() == QEvent::Leave) {
        Q_EMIT pointerLeft();
        return false;
    }
    if (event->type() != QEvent::MouseMove && event->type() != QEvent::MouseButtonPress &&
        event->type() != QEvent::MouseButtonRelease)
        return false;
    if (picture_->image().isNull())
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPointF point = picture_->pagePoint(mouse->position());
    const bool left = mouse->button() == Qt::LeftButton;
    const auto link = std::find_if(linkAreas_.cbegin(), linkAreas_.cend(),
                                   [&](const QRectF& area) { return area.contains(point); });
    const int overLink = measure_ == Measure::Off && link != linkAreas_.cend()
                             ? static_cast<int>(link - linkAreas_.cbegin())
                             : -1;
    if (overLink >= 0)
        picture_->setCursor(Qt::PointingHandCursor);
    else
        picture_->unsetCursor();
    if (left && event->type() == QEvent::MouseButtonPress)
        pressedLink_ = overLink;
    if (left && event->type() == QEvent::MouseButtonRelease && overLink >= 0 &&
        overLink == std::exchange(pressedLink_, -1)) {
        Q_EMIT linkClicked(overLink);
        return true;
    }
    switch (event->type()) {
    case QEvent::MouseMove:
        if (measure_ == Measure::Dragging) {
            measureLine_.setP2(point);
            showPage();
            Q_EMIT measured(measureLine_.p1(), measureLine_.p2());
        }
        if (textDragFrom_)
            Q_EMIT textDragged(*textDragFrom_, point);
        Q_EMIT pointerMoved(point);
        return false;
    case QEvent::MouseButtonPress:
        if (left && measure_ == Measure::Armed) {
            measureLine_ = QLineF(point, point);
            setMeasure(Measure::Dragging);
            Q_EMIT measured(point, point);
            return true;
        }
        if (measure_ == Measure::Shown) {
            setMeasure(Measure::Off);
            Q_EMIT measureCleared();
        }
        if (left) {
            textDragFrom_ = point;
            Q_EMIT textDragged(point, point);
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (left && measure_ == Measure::Dragging) {
            measureLine_.setP2(point);
            setMeasure(Measure::Shown);
            Q_EMIT measured(measureLine_.p1(), measureLine_.p2());
            return true;
        }
        if (left)
            textDragFrom_.reset();
        return false;
    default:
        return false;
    }
}

void PageView::setLinkAreas(QList<QRectF> areas) {
    linkAreas_ = std::move(areas);
    pressedLink_ = -1;
    picture_->unsetCursor();
}

void PageView::paintEvent(QPaintEvent* event) {
    QScrollArea::paintEvent(event);
    if (picture_->isVisible() && !picture_->image().isNull()) {
        QPainter frame(viewport());
        frame.setPen(palette().color(QPalette::Shadow));
        frame.drawRect(picture_->geometry().adjusted(-1, -1, 0, 0));
    }
    // A zoom's preview stands where the waiting text would.
    if (waitingText_.isEmpty() || previewScale_ > 0)
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
