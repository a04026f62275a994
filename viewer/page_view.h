#pragma once

#include "viewer/core/page_surface.h"

#include <QImage>
#include <QScrollArea>

namespace quillorn::viewer {

class PagePicture;

// The main window's page view: the page bitmap at its natural size in a scroll area, with the
// redraw's waiting text on the viewport behind it. The scroll offsets persist from page to page;
// the bars are enabled only while a page is shown that is larger than the viewport.
class PageView : public QScrollArea, public PageSurface {
    Q_OBJECT
public:
    explicit PageView(QWidget* parent = nullptr);
    ~PageView() override;

    // The page shown; a null image when the view holds none.
    QImage picture() const;

    void setPicture(const QImage& image) override;
    void setPictureVisible(bool visible) override;
    void setWaitingText(const QString& text) override;
    double pixelRatio() const override { return devicePixelRatioF(); }

Q_SIGNALS:
    // A single PostScript, EPS or PDF file was dropped on the view.
    void fileDropped(const QString& path);

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void updateScrollBars();

    PagePicture* picture_;
    QString waitingText_;
};

} // namespace quillorn::viewer
