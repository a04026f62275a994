#pragma once

#include <QSize>
#include <QSizeF>
#include <cstdint>
#include <optional>

namespace quillorn::app {

// The zoom buttons step the display resolution by this many dots per inch.
inline constexpr int kZoomStep = 9;

// The resolution after one zoom step, or nothing when the step would leave the signed 16-bit
// range or take the resolution below 1 dot per inch.
std::optional<std::int16_t> zoomIn(std::int16_t resolution);
std::optional<std::int16_t> zoomOut(std::int16_t resolution);

// The page's size in points, from a render: pixels * 72 / resolution.
QSizeF pageSizeInPoints(QSizeF pixels, double resolution);

enum class Fit { Width, Page };
// The highest resolution at which the page's width (or its width and height) fits the view, or
// nothing when no resolution of at least 1 dot per inch fits or the sizes are empty. Kept below
// the signed 16-bit range.
std::optional<std::int16_t> fitResolution(QSizeF pagePoints, QSize view, Fit fit);

} // namespace quillorn::app
