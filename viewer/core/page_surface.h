#pragma once

#include <QImage>
#include <QString>

namespace quillorn::viewer {

// What the document commands change on the window that shows the page. No events are serviced
// while Ghostscript runs, so whatever the user must see before a run is painted at once.
class PageSurface {
public:
    virtual ~PageSurface() = default;
    // The page picture; a null image clears it. The scroll bars follow the change.
    virtual void SetPicture(const QImage& image) = 0;
    virtual void SetPictureVisible(bool visible) = 0;
    // Text on the viewport behind the picture, painted at once; the empty text clears it.
    virtual void SetWaitingText(const QString& text) = 0;
    // Panel 1 of the status bar, painted at once.
    virtual void SetStatus(const QString& text) = 0;
    virtual void SetCaption(const QString& caption) = 0;
};

} // namespace quillorn::viewer
