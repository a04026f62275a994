#include "viewer/core/scroll_geometry.h"

#include <algorithm>

namespace quillorn::viewer {

ViewportLayout LayoutViewport(QSize area, int verScrollWidth, int horScrollHeight) {
    const int width = std::max(0, area.width() - verScrollWidth);
    const int height = std::max(0, area.height() - horScrollHeight);
    ViewportLayout layout;
    layout.container = QRect(0, 0, width, height);
    layout.verScroll = QRect(width, 0, verScrollWidth, height);
    layout.horScroll = QRect(0, height, width, horScrollHeight);
    return layout;
}

ScrollRanges RangesFor(QSize page, QSize viewport) {
    ScrollRanges ranges;
    ranges.horMaximum = std::max(0, page.width() - viewport.width());
    ranges.verMaximum = std::max(0, page.height() - viewport.height());
    ranges.horEnabled = page.width() > viewport.width();
    ranges.verEnabled = page.height() > viewport.height();
    return ranges;
}

} // namespace quillorn::viewer
