#pragma once

#include <QRect>
#include <QSize>

namespace quillorn::viewer {

// Where the viewport and the two scroll bars go in the page view's area: the viewport fills it
// less the bars' thickness, the vertical bar on its right, the horizontal bar below it. Sizes
// never go below zero, however small the area.
struct ViewportLayout {
    QRect container;
    QRect verScroll;
    QRect horScroll;
};
ViewportLayout LayoutViewport(QSize area, int verScrollWidth, int horScrollHeight);

// Scroll maxima and enabled states for a page shown in a viewport. A maximum below zero (page
// smaller than the viewport) is kept as zero; the bar is enabled exactly when the page is larger.
struct ScrollRanges {
    int horMaximum = 0;
    int verMaximum = 0;
    bool horEnabled = false;
    bool verEnabled = false;
};
ScrollRanges RangesFor(QSize page, QSize viewport);

} // namespace quillorn::viewer
