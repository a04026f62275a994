#include "app/core/zoom.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillorn::app {

namespace {
std::optional<std::int16_t> step(std::int16_t resolution, int delta) {
    const int next = int(resolution) + delta;
    if (next < 1 || next > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(next);
}
} // namespace

std::optional<std::int16_t> zoomIn(std::int16_t resolution) {
    return step(resolution, kZoomStep);
}

std::optional<std::int16_t> zoomOut(std::int16_t resolution) {
    return step(resolution, -kZoomStep);
}

QSizeF pageSizeInPoints(QSizeF pixels, double resolution) {
    return resolution > 0 ? pixels * 72.0 / resolution : QSizeF();
}

std::optional<std::int16_t> fitResolution(QSizeF pagePoints, QSize view, Fit fit) {
    if (pagePoints.isEmpty() || view.isEmpty())
        return std::nullopt;
    double dpi = view.width() * 72.0 / pagePoints.width();
    if (fit == Fit::Page)
        dpi = std::min(dpi, view.height() * 72.0 / pagePoints.height());
    // A hair below a whole number is that number: 72 / 200 * 200 is not always 72.
    const double whole = std::floor(dpi + 1e-9);
    if (whole < 1)
        return std::nullopt;
    return static_cast<std::int16_t>(
        std::min<double>(whole, std::numeric_limits<std::int16_t>::max()));
}

} // namespace quillorn::app
