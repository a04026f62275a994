#pragma once

#include <QImage>
#include <QString>

namespace quillorn::viewer {

// What the document controller changes on the view that shows the page.
class PageSurface {
public:
    virtual ~PageSurface() = default;
    // The page picture; a null image clears it. The scroll bars follow the change.
    virtual void setPicture(const QImage& image) = 0;
    virtual void setPictureVisible(bool visible) = 0;
    // Text on the viewport behind the picture; the empty text clears it.
    virtual void setWaitingText(const QString& text) = 0;
    // Device pixels to a logical pixel where the view is shown: pages are drawn that much finer.
    virtual double pixelRatio() const { return 1.0; }
};

} // namespace quillorn::viewer
