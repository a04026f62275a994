#include "viewer/core/page_layout.h"

#include <algorithm>
#include <cmath>

namespace quillorn::viewer {

QSize pagePixels(QSizeF points, double resolution) {
    const double scale = resolution / 72.0;
    return {std::max(1, static_cast<int>(std::lround(points.width() * scale))),
            std::max(1, static_cast<int>(std::lround(points.height() * scale)))};
}

PageLayout stackPages(const std::vector<QSize>& sizes, int viewWidth, int gap) {
    int widest = 0;
    for (const QSize& size : sizes)
        widest = std::max(widest, size.width());
    const int width = std::max(viewWidth, widest + 2 * gap);
    PageLayout layout;
    layout.pages.reserve(sizes.size());
    int y = gap;
    for (const QSize& size : sizes) {
        layout.pages.emplace_back(QPoint((width - size.width()) / 2, y), size);
        y += size.height() + gap;
    }
    layout.size = QSize(width, y);
    return layout;
}

int pageAt(const PageLayout& layout, int y) {
    const auto& pages = layout.pages;
    if (pages.empty())
        return -1;
    // The first page whose bottom edge is below y.
    const auto it = std::lower_bound(pages.begin(), pages.end(), y,
                                     [](const QRect& page, int at) { return page.bottom() < at; });
    if (it == pages.end())
        return static_cast<int>(pages.size()) - 1;
    return static_cast<int>(it - pages.begin());
}

int pageTopScroll(const PageLayout& layout, int index, int gap) {
    if (index < 0 || index >= static_cast<int>(layout.pages.size()))
        return 0;
    return std::max(0, layout.pages[static_cast<std::size_t>(index)].top() - gap);
}

std::pair<int, int> visiblePages(const PageLayout& layout, int y, int height) {
    const auto& pages = layout.pages;
    const int first = pageAt(layout, y);
    if (first < 0 || height <= 0 || pages[static_cast<std::size_t>(first)].top() >= y + height ||
        pages[static_cast<std::size_t>(first)].bottom() < y)
        return {0, -1};
    int last = first;
    while (last + 1 < static_cast<int>(pages.size()) &&
           pages[static_cast<std::size_t>(last) + 1].top() < y + height)
        ++last;
    return {first, last};
}

QPoint scrollAfterZoom(const PageLayout& before, const PageLayout& after, QPoint scroll,
                       QPoint anchor) {
    const QPoint point = scroll + anchor;
    const int index = pageAt(before, point.y());
    if (index < 0 || index >= static_cast<int>(after.pages.size()))
        return scroll;
    const QRect& from = before.pages[static_cast<std::size_t>(index)];
    const QRect& to = after.pages[static_cast<std::size_t>(index)];
    // The same fraction of the page across and down; the gap above a page scales with nothing.
    const double fx = double(point.x() - from.left()) / std::max(1, from.width());
    const double fy = double(point.y() - from.top()) / std::max(1, from.height());
    const QPoint moved(to.left() + static_cast<int>(std::lround(fx * to.width())),
                       to.top() + static_cast<int>(std::lround(fy * to.height())));
    return moved - anchor;
}

} // namespace quillorn::viewer
