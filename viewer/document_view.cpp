#include "viewer/document_view.h"

#include "viewer/core/document_files.h"
#include "viewer/core/scroll_geometry.h"
#include "viewer/page_widgets.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

namespace quillorn::viewer {

DocumentView::DocumentView(WindowServices& services, options::Options& options,
                           MessagesWindow& messages, QWidget* parent)
    : QWidget(parent), picContainer(new PageContainer(this)),
      picDisplay(new PagePicture(picContainer)), horScroll(new QScrollBar(Qt::Horizontal, this)),
      verScroll(new QScrollBar(Qt::Vertical, this)),
      controller_(services, options, messages, *this) {
    picContainer->setObjectName(QStringLiteral("picContainer"));
    picDisplay->setObjectName(QStringLiteral("picDisplay"));
    horScroll->setObjectName(QStringLiteral("horScroll"));
    verScroll->setObjectName(QStringLiteral("verScroll"));
    picContainer->setAutoFillBackground(true);
    picDisplay->move(0, 0);
    picDisplay->resize(0, 0);
    horScroll->setRange(0, 0);
    verScroll->setRange(0, 0);
    horScroll->setSingleStep(20);
    verScroll->setSingleStep(20);
    horScroll->setEnabled(false);
    verScroll->setEnabled(false);
    setAcceptDrops(true);
    // The wheel over the page moves the bars, whether or not Qt passes it up from there.
    picContainer->installEventFilter(this);
    picDisplay->installEventFilter(this);
    ConnectHandlers();
}

DocumentView::~DocumentView() = default;

void DocumentView::ConnectHandlers() {
    connect(picDisplay, &PagePicture::pictureChanged, this, &DocumentView::picDisplay_Change);
    connect(horScroll, &QScrollBar::valueChanged, this, &DocumentView::horScroll_Change);
    connect(horScroll, &QScrollBar::sliderMoved, this, &DocumentView::horScroll_Scroll);
    connect(verScroll, &QScrollBar::valueChanged, this, &DocumentView::verScroll_Change);
    connect(verScroll, &QScrollBar::sliderMoved, this, &DocumentView::verScroll_Scroll);
}

void DocumentView::LoadFile(const QString& strFileName) {
    controller_.LoadFile(strFileName);
}
void DocumentView::OpenDocument() {
    controller_.OpenDocument();
}
void DocumentView::CloseDocument() {
    controller_.CloseDocument();
}
void DocumentView::NextPage() {
    controller_.NextPage();
}
void DocumentView::PreviousPage() {
    controller_.PreviousPage();
}
void DocumentView::GotoPage() {
    controller_.GotoPage();
}
void DocumentView::Redraw() {
    controller_.Redraw();
}

QImage DocumentView::Picture() const {
    return picDisplay->Image();
}

void DocumentView::Form_Resize() {
    if (window()->isMinimized())
        return;
    const ViewportLayout layout =
        LayoutViewport(size(), verScroll->sizeHint().width(), horScroll->sizeHint().height());
    picContainer->setGeometry(layout.container);
    verScroll->setGeometry(layout.verScroll);
    horScroll->setGeometry(layout.horScroll);
    picDisplay_Change();
}

void DocumentView::picDisplay_Change() {
    if (picDisplay->Image().isNull()) {
        horScroll->setEnabled(false);
        verScroll->setEnabled(false);
        return;
    }
    const ScrollRanges ranges = RangesFor(picDisplay->size(), picContainer->size());
    // Narrowing the range clamps the value, and the change handler moves the page with it.
    horScroll->setRange(0, ranges.horMaximum);
    verScroll->setRange(0, ranges.verMaximum);
    horScroll->setPageStep(std::max(1, picContainer->width()));
    verScroll->setPageStep(std::max(1, picContainer->height()));
    horScroll->setEnabled(ranges.horEnabled);
    verScroll->setEnabled(ranges.verEnabled);
}

void DocumentView::horScroll_Change(int value) {
    picDisplay->move(-value, picDisplay->y());
}
void DocumentView::horScroll_Scroll(int value) {
    horScroll_Change(value);
}
void DocumentView::verScroll_Change(int value) {
    picDisplay->move(picDisplay->x(), -value);
}
void DocumentView::verScroll_Scroll(int value) {
    verScroll_Change(value);
}

void DocumentView::resizeEvent(QResizeEvent*) {
    Form_Resize();
}

void DocumentView::showEvent(QShowEvent*) {
    QWidget* top = window();
    if (top != this && top != watchedWindow_) {
        if (watchedWindow_)
            watchedWindow_->removeEventFilter(this);
        watchedWindow_ = top;
        top->installEventFilter(this);
    }
}

bool DocumentView::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == picContainer || watched == picDisplay) && event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    if (watched == watchedWindow_ && event->type() == QEvent::WindowStateChange &&
        !watchedWindow_->isMinimized())
        Form_Resize();
    return QWidget::eventFilter(watched, event);
}

void DocumentView::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    const int lines = QApplication::wheelScrollLines();
    const auto scroll = [lines](QScrollBar* bar, int angle) {
        if (angle == 0 || !bar->isEnabled())
            return false;
        const qint64 step = static_cast<qint64>(angle) * lines * bar->singleStep() / 120;
        const qint64 target =
            std::clamp<qint64>(bar->value() - step, bar->minimum(), bar->maximum());
        bar->setValue(static_cast<int>(target));
        return true;
    };
    const bool moved = scroll(verScroll, delta.y()) | scroll(horScroll, delta.x());
    event->setAccepted(moved);
}

void DocumentView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && DroppedDocument(event->mimeData()->urls()))
        event->acceptProposedAction();
}

void DocumentView::dropEvent(QDropEvent* event) {
    const std::optional<QString> path =
        event->mimeData()->hasUrls() ? DroppedDocument(event->mimeData()->urls()) : std::nullopt;
    if (!path)
        return;
    event->acceptProposedAction();
    LoadFile(*path);
}

void DocumentView::SetPicture(const QImage& image) {
    picDisplay->SetImage(image);
}

void DocumentView::SetPictureVisible(bool visible) {
    picDisplay->setVisible(visible);
    // The page is on screen as soon as it is there, before the file is deleted.
    if (visible && !picDisplay->Image().isNull())
        picDisplay->repaint();
}

void DocumentView::SetWaitingText(const QString& text) {
    picContainer->SetWaitingText(text);
    if (!text.isEmpty())
        picContainer->repaint();
}

void DocumentView::SetStatus(const QString& text) {
    emit statusText(text);
}

void DocumentView::SetCaption(const QString& caption) {
    emit captionChanged(caption);
}

} // namespace quillorn::viewer
