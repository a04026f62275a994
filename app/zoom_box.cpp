#include "app/zoom_box.h"

#include "app/core/zoom_percent.h"

#include <QLineEdit>
#include <QScreen>

namespace quillorn::app {

ZoomBox::ZoomBox(QWidget* parent) : QComboBox(parent) {
    setObjectName(QStringLiteral("zoomBox"));
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setToolTip(tr("Zoom: type a percentage and press Return"));
    for (const int percent : {50, 75, 100, 125, 150, 200, 300, 400})
        addItem(QStringLiteral("%1%").arg(percent));
    setMinimumContentsLength(5);
    lineEdit()->clear();
    connect(lineEdit(), &QLineEdit::returnPressed, this, [this] { choose(lineEdit()->text()); });
    connect(this, &QComboBox::textActivated, this, &ZoomBox::choose);
}

double ZoomBox::screenDpi() const {
    const QScreen* s = screen();
    return s ? s->logicalDotsPerInch() : 96.0;
}

void ZoomBox::showResolution(int resolution) {
    shown_ = resolution;
    lineEdit()->setText(resolution > 0
                            ? QStringLiteral("%1%").arg(zoomPercent(resolution, screenDpi()))
                            : QString());
}

void ZoomBox::choose(const QString& text) {
    const std::optional<std::int16_t> resolution = resolutionForPercent(text, screenDpi());
    if (!resolution) {
        showResolution(shown_); // what was typed is no zoom: the one in force stays
        return;
    }
    Q_EMIT resolutionChosen(*resolution);
}

} // namespace quillorn::app
