#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QUrl>
#include <cstdint>

namespace quillorn::options {
enum class Orientation : std::int32_t;
}

namespace quillorn::viewer {

// A rectangle on a page of this size (y down from the top-left corner), once the page is turned
// clockwise by quarter turns (negative ones turn it the other way).
QRectF turnedRect(const QRectF& rect, const QSizeF& page, int quarterTurns);

// Where an area of a page, in points from the top-left corner of the page as drawn upright, lies
// on its picture: the picture's size in pixels and its resolution, the orientation it was drawn
// in, and for an EPS picture cropped to its bounding box the offset of that box's top-left corner
// from the page's, in points.
QRectF areaOnPicture(const QRectF& area, const QSize& picture, int resolution,
                     options::Orientation orientation, QPointF cropOffset = {});

// Whether a link's address may go to the desktop's browser or mail program: http, https and
// mailto; a file or a script is never opened from a document.
bool isOpenableAddress(const QUrl& url);

} // namespace quillorn::viewer
