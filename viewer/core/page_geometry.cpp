#include "viewer/core/page_geometry.h"

#include "options/core/options.h"

#include <QSize>

namespace quillorn::viewer {

QRectF turnedRect(const QRectF& rect, const QSizeF& page, int quarterTurns) {
    const double w = page.width(), h = page.height();
    switch (((quarterTurns % 4) + 4) % 4) {
    case 1: // the top-left corner goes to the top-right
        return QRectF(QPointF(h - rect.bottom(), rect.left()),
                      QPointF(h - rect.top(), rect.right()));
    case 2:
        return QRectF(QPointF(w - rect.right(), h - rect.bottom()),
                      QPointF(w - rect.left(), h - rect.top()));
    case 3: // the top-left corner goes to the bottom-left
        return QRectF(QPointF(rect.top(), w - rect.right()),
                      QPointF(rect.bottom(), w - rect.left()));
    default:
        return rect;
    }
}

QRectF areaOnPicture(const QRectF& area, const QSize& picture, int resolution,
                     options::Orientation orientation, QPointF cropOffset) {
    if (resolution <= 0 || picture.isEmpty())
        return {};
    const double scale = resolution / 72.0;
    // Ghostscript's /Orientation turns the page counterclockwise.
    const int turns = -static_cast<int>(orientation);
    const bool sideways = turns % 2 != 0;
    const QSizeF drawn = QSizeF(picture) / scale;
    const QSizeF upright = sideways ? drawn.transposed() : drawn;
    const QRectF onPage = area.translated(-cropOffset);
    const QRectF turned = turnedRect(onPage, upright, turns);
    return QRectF(turned.topLeft() * scale, turned.size() * scale);
}

bool isOpenableAddress(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && ((scheme == QLatin1String("http") || scheme == QLatin1String("https"))
                                 ? !url.host().isEmpty()
                                 : scheme == QLatin1String("mailto"));
}

} // namespace quillorn::viewer
