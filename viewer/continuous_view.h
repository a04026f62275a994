#pragma once

#include "options/core/options.h"
#include "viewer/core/page_layout.h"
#include "viewer/core/page_text.h"
#include "viewer/page_view.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <functional>
#include <optional>
#include <set>
#include <vector>

namespace quillorn::viewer {

class DocumentController;
class PageService;

// Every page of the document one under the other, scrolled by the pixel. A page is drawn through
// the page service when it comes into view (its neighbours just after), with a placeholder of
// its size until then; a page that leaves the view before it was drawn is not drawn. Sizes come
// from the pages drawn: one not drawn yet is as large as the first one drawn, or before any as
// the EPS picture's box or the paper.
class ContinuousView : public QAbstractScrollArea {
    Q_OBJECT
public:
    ContinuousView(PageService& service, const options::Options& options,
                   QWidget* parent = nullptr);
    ~ContinuousView() override;

    void setDocument(DocumentController* document);
    // True when the document's pages can be shown this way: its number of pages is known and
    // Ghostscript's page range works for it.
    bool canShow() const;

    // The page at the top of the view (its first line, or below a gap the page after it).
    qint32 pageAtTop() const { return topPage_; }
    void scrollToPage(qint32 page);
    // The resolution or another setting changed: the pages are drawn again, the point under the
    // pointer staying where it is after a zoom by the wheel, else the view's middle.
    void refresh();
    // A picture of the page the document controller drew for the same settings.
    void pageDrawn(qint32 page, const QImage& picture);
    // Where page 1 is in the pages as laid out now (for tests and the benchmark).
    const PageLayout& layout() const { return layout_; }
    // True when every page in view is drawn.
    bool viewDrawn();

    // What is marked on a page's text, for the page as it lies in the view.
    using MarksOf = std::function<TextMarks(qint32 page, const PageGeometry& where)>;
    void setTextMarks(MarksOf marks) { marksOf_ = std::move(marks); }
    // The marks changed: the pages in view are painted again.
    void updateTextMarks() { viewport()->update(); }
    // Brings the current hit, on that page, into the middle of the view.
    void revealCurrentHit(qint32 page);

    // Where a page's links lie, for the page as it lies in the view; the pointer is a hand over
    // them and a click follows one.
    using LinksOf = std::function<QList<QRectF>(qint32 page, const PageGeometry& where)>;
    void setLinks(LinksOf links) { linksOf_ = std::move(links); }

Q_SIGNALS:
    // The page at the top changed, by scrolling or a jump; the document follows it.
    void pageAtTopChanged(qint32 page);
    // Ctrl and the wheel: steps > 0 zoom in, < 0 out.
    void zoomRequested(int steps);
    // A click on the link of that index on the page.
    void linkClicked(qint32 page, int index);
    // A drag with the left button from a point of a page (not a link) to another, both in the
    // page's picture as it lies in the view.
    void textDragged(qint32 page, QPointF from, QPointF to,
                     const quillorn::viewer::PageGeometry& where);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The document as the controller knows it now; pages and sizes are set up again when it
    // changed.
    void readDocument();
    int pageCount() const;
    int renderResolution() const;
    QSizeF pagePoints(int index) const;
    // Lays the pages out again, the point under anchor staying put.
    void relayout(QPoint anchor);
    void updateScrollBars();
    void requestPages();
    void forgetRequests();
    void followTop();
    void setTopPage(qint32 page);
    void pageReady(qint32 page, int resolution, const QImage& picture);
    QPoint scrollPosition() const;
    PageGeometry geometryOf(int index) const;
    // The page and the index of its link under a point of the viewport; page 0 for none.
    std::pair<qint32, int> linkAt(QPoint point) const;
    // The page under a point of the viewport (0 for none), and the point on it.
    std::pair<qint32, QPointF> pageUnder(QPoint point) const;

    PageService& service_;
    const options::Options& options_;
    DocumentController* document_ = nullptr;
    std::vector<QSizeF> measured_; // points of each page drawn; empty size when none yet
    QSizeF firstDrawn_;            // the first page drawn, for those not drawn yet
    options::Orientation measuredTurned_ = options::Orientation::Portrait; // as they were drawn
    PageLayout layout_;
    int layoutResolution_ = 0;   // the render resolution of the layout
    std::set<qint32> requested_; // pages asked for at layoutResolution_
    std::optional<qint32> goTo_; // a page to show at the top once the pages are laid out
    qint32 topPage_ = 0;
    bool following_ = false;           // the document is told of the page at the top
    int zoomAngle_ = 0;                // wheel angle not yet a whole zoom step
    std::optional<QPoint> zoomAnchor_; // where the pointer was at the last Ctrl+wheel
    MarksOf marksOf_;
    LinksOf linksOf_;
    std::pair<qint32, int> pressedLink_{0, -1};
    std::pair<qint32, QPointF> dragStart_{0, QPointF()}; // page 0: no drag over text
};

} // namespace quillorn::viewer
