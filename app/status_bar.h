#pragma once

#include "options/core/options.h"
#include "viewer/core/page_labels.h"

#include <QPointF>
#include <QStatusBar>
#include <optional>

class QLabel;

namespace quillorn::app {

// The main window's status bar: what the program is doing in the first panel, and in the second
// the pointer's place on the page or, off the page, which page is shown. A measure takes the
// first panel until the next click on the page, and gives it back unless something else took
// it meanwhile.
class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);

    void setStatus(const QString& text);
    QString status() const;

    // The page shown, and of how many when that is known; page 0: none.
    void showPage(qint32 page, int pageCount);
    // The names the document gives its pages: "Page iv (4 of 120)".
    void setPageLabels(viewer::PageLabels labels);
    // The pointer over the page, in its pixels; nothing when it left the page.
    void setPointer(std::optional<QPointF> pointer);
    // How the pointer's place is told: the units chosen and the resolution the page was drawn at.
    void setScale(options::Units units, int resolution);

    void startMeasure();
    void showMeasure(const QString& distance);
    void endMeasure();

Q_SIGNALS:
    // Every text the first panel shows, in order.
    void statusShown(const QString& text);

private:
    void showPosition();

    QLabel* status_;
    QLabel* position_;
    QString pageIndicator_;
    qint32 page_ = 0;
    int pageCount_ = 0;
    viewer::PageLabels labels_;
    std::optional<QPointF> pointer_;
    options::Units units_ = options::Units::Pixels;
    int resolution_ = 0;
    QString beforeMeasure_;
    QString measureText_;
};

} // namespace quillorn::app
