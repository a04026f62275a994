#include "app/status_bar.h"

#include "app/core/page_units.h"

#include <QLabel>

namespace quillorn::app {

namespace {
QString measureHint() {
    return StatusBar::tr("Measure: drag from one point of the page to another");
}
QString noPage() {
    return StatusBar::tr("Current Pos");
}
} // namespace

StatusBar::StatusBar(QWidget* parent)
    : QStatusBar(parent), status_(new QLabel(tr("Status"), this)),
      position_(new QLabel(noPage(), this)), pageIndicator_(noPage()) {
    status_->setObjectName(QStringLiteral("statusText"));
    position_->setObjectName(QStringLiteral("positionText"));
    addWidget(status_, 1);
    addWidget(position_);
}

void StatusBar::setStatus(const QString& text) {
    status_->setText(text);
    Q_EMIT statusShown(text);
}

QString StatusBar::status() const {
    return status_->text();
}

void StatusBar::showPage(qint32 page, int pageCount) {
    page_ = page, pageCount_ = pageCount;
    const std::optional<QString> label = viewer::distinctLabel(labels_, page);
    if (page == 0)
        pageIndicator_ = noPage();
    else if (label && pageCount > 0)
        pageIndicator_ = tr("Page %1 (%2 of %3)").arg(*label).arg(page).arg(pageCount);
    else if (label)
        pageIndicator_ = tr("Page %1 (%2)").arg(*label).arg(page);
    else if (pageCount > 0)
        pageIndicator_ = tr("Page %1 of %2").arg(page).arg(pageCount);
    else
        pageIndicator_ = tr("Page %1").arg(page);
    showPosition();
}

void StatusBar::setPageLabels(viewer::PageLabels labels) {
    labels_ = std::move(labels);
    showPage(page_, pageCount_);
}

void StatusBar::setPointer(std::optional<QPointF> pointer) {
    pointer_ = pointer;
    showPosition();
}

void StatusBar::setScale(options::Units units, int resolution) {
    units_ = units;
    resolution_ = resolution;
    showPosition();
}

// The one place that decides the second panel.
void StatusBar::showPosition() {
    position_->setText(pointer_ && resolution_ > 0 ? positionText(*pointer_, units_, resolution_)
                                                   : pageIndicator_);
}

void StatusBar::startMeasure() {
    if (status_->text() != measureHint() && status_->text() != measureText_)
        beforeMeasure_ = status_->text();
    setStatus(measureHint());
}

void StatusBar::showMeasure(const QString& distance) {
    measureText_ = distance;
    setStatus(measureText_);
}

void StatusBar::endMeasure() {
    if (status_->text() == measureText_)
        setStatus(beforeMeasure_);
    measureText_.clear();
}

} // namespace quillorn::app
