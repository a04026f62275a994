#include "viewer/page_widgets.h"

#include <QFont>
#include <QPaintEvent>
#include <QPainter>

namespace quillorn::viewer {

PageContainer::PageContainer(QWidget* parent) : QWidget(parent) {
    QFont waitingFont(QStringLiteral("Comic Sans MS"));
    waitingFont.setPointSizeF(21.75);
    waitingFont.setBold(true);
    setFont(waitingFont);
}

void PageContainer::SetWaitingText(const QString& text) {
    if (text == waitingText_)
        return;
    waitingText_ = text;
    update();
}

void PageContainer::paintEvent(QPaintEvent*) {
    if (waitingText_.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, waitingText_);
}

PagePicture::PagePicture(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PagePicture::SetImage(const QImage& image) {
    image_ = image;
    if (!image_.isNull())
        resize(image_.size());
    update();
    emit pictureChanged();
}

void PagePicture::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (image_.isNull()) {
        painter.fillRect(event->rect(), palette().window());
        return;
    }
    const QRect exposed = event->rect() & image_.rect();
    painter.drawImage(exposed, image_, exposed);
}

} // namespace quillorn::viewer
