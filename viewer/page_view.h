#pragma once

#include "viewer/core/dsc_bounding_box.h"
#include "viewer/core/page_scroll.h"
#include "viewer/core/page_surface.h"

#include <QImage>
#include <QLineF>
#include <QScrollArea>
#include <optional>
#include <vector>

class QPainter;

namespace quillorn::viewer {

class DocumentController;
class PagePicture;

// What is marked on the page's text, in the picture's logical pixels.
struct TextMarks {
    std::vector<QRectF> hits;    // what a search found
    std::vector<QRectF> current; // the hit the user is at
    std::vector<QRectF> selection;
};

// Paints the marks with the painter set to the picture's logical pixels.
void paintTextMarks(QPainter& painter, const TextMarks& marks, const QPalette& palette);

// The main window's page view: the page bitmap at its natural size in a scroll area, with the
// redraw's waiting text on the viewport behind it. The scroll offsets persist from page to page;
// the bars are enabled only while a page is shown that is larger than the viewport.
//
// Keys scroll the page (arrows, PgUp/PgDn, Space/Shift+Space, Home/End); PgDn, Space or the
// wheel turned down at the page's bottom go on to the top of the next page, PgUp, Shift+Space
// or the wheel turned up at its top back to the bottom of the previous one. Points on the page
// are in its pixels as rendered, from its top-left corner.
class PageView : public QScrollArea, public PageSurface {
    Q_OBJECT
public:
    explicit PageView(QWidget* parent = nullptr);
    ~PageView() override;

    // The document whose pages the view turns and whose bounding box it draws.
    void setDocument(DocumentController* document);

    // The page shown; a null image when the view holds none.
    QImage picture() const;

    void setPicture(const QImage& image) override;
    void setPictureVisible(bool visible) override;
    void setWaitingText(const QString& text) override;
    double pixelRatio() const override { return devicePixelRatioF(); }

    // A zoom to this resolution has begun: until its page arrives or the render ends, the page
    // shown is drawn scaled to it, its middle kept in the middle of the view.
    void showZoomPreview(int resolution);
    // The document's %%BoundingBox as a thin rectangle over the page.
    void setBoundingBoxShown(bool shown);
    // The next drag on the page measures; its line stays until the next click.
    void startMeasuring();
    // Places on the page shown that lead somewhere, in its pixels: the pointer becomes a hand
    // over them, and a click on one tells which.
    void setLinkAreas(QList<QRectF> areas);
    // Marks over the page's text; reveal scrolls the current hit into the view.
    void setTextMarks(TextMarks marks, bool reveal);
    // The page is drawn with its colours inverted (for reading in the dark); picture() and what
    // is copied stay as rendered.
    void setColoursInverted(bool inverted);

Q_SIGNALS:
    // A single PostScript, EPS or PDF file was dropped on the view.
    void fileDropped(const QString& path);
    // The pointer moved over the page shown, or left it.
    void pointerMoved(QPointF pagePoint);
    void pointerLeft();
    // A measuring drag between two points of the page: while it goes on, and at its end.
    void measured(QPointF from, QPointF to);
    // The click after a measure took its line away.
    void measureCleared();
    // Ctrl and the wheel: steps > 0 zoom in, < 0 out.
    void zoomRequested(int steps);
    // A click on the link area of that index.
    void linkClicked(int index);
    // A drag over the page that does not measure, for a text selection: from its press (to the
    // same point at the press) to where the pointer is.
    void textDragged(QPointF from, QPointF to);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    enum class Measure { Off, Armed, Dragging, Shown };

    void updateScrollBars();
    // Puts the page, or the zoom's preview, with what is drawn over it, on the picture.
    void showPage();
    void scroll(ScrollMotion motion);
    void turnPage(PageTurn turn);
    // Once the turned-to page is there, the view moves to its top or bottom.
    void moveToPageEdge();
    void pageArrived();
    void renderEnded();
    bool handleMouse(QEvent* event);
    void setMeasure(Measure state);

    PagePicture* picture_;
    DocumentController* document_ = nullptr;
    QString waitingText_;
    QImage page_; // as the document put it; null while it redraws
    bool pageVisible_ = true;
    QImage previewPage_; // the page a zoom's preview scales, while previewScale_ > 0
    double previewScale_ = 0;
    bool boxShown_ = false;
    std::optional<BoundingBox> box_;
    bool cropped_ = false;           // the page is the box (an EPS picture)
    bool atNewDocument_ = false;     // the next page shown is a new document's first
    PageTurn turn_ = PageTurn::None; // asked for and not yet ended
    bool turnedPageShown_ = false;
    Measure measure_ = Measure::Off;
    QLineF measureLine_;
    int zoomAngle_ = 0; // wheel angle not yet a whole zoom step
    QList<QRectF> linkAreas_;
    int pressedLink_ = -1; // the link the left button went down on
    // A drag for a text selection goes on from there.
    std::optional<QPointF> textDragFrom_;
};

} // namespace quillorn::viewer
