#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QSizeF>
#include <vector>

namespace quillorn::viewer {

// Space between pages, and around them, in logical pixels.
inline constexpr int kPageGap = 10;

// Pages stacked one under the other, each centred, in logical pixels from the top-left corner of
// the whole strip. The strip is at least as wide as the view.
struct PageLayout {
    std::vector<QRect> pages; // page i+1 at index i
    QSize size;               // the strip, gaps around included
};

// A page of that many points at resolution dots per inch, in logical pixels (at least 1 x 1).
QSize pagePixels(QSizeF points, double resolution);

// The pages of these sizes in a view viewWidth wide.
PageLayout stackPages(const std::vector<QSize>& sizes, int viewWidth, int gap = kPageGap);

// The index of the page at height y of the strip: the one that covers y, or in a gap the one
// below it (the last one below the last page); -1 without pages.
int pageAt(const PageLayout& layout, int y);

// The scroll position at which the page of that index shows its top, the gap above it included.
int pageTopScroll(const PageLayout& layout, int index, int gap = kPageGap);

// The first and last index of the pages that a view from height y, height high, shows at least
// a pixel of; {0, -1} for none.
std::pair<int, int> visiblePages(const PageLayout& layout, int y, int height);

// Where the view scrolls to after a zoom from one layout to another so that the point of the
// pages under anchor (in the view, from its top-left corner) stays under it.
QPoint scrollAfterZoom(const PageLayout& before, const PageLayout& after, QPoint scroll,
                       QPoint anchor);

} // namespace quillorn::viewer
