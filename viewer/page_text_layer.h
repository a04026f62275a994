#pragma once

#include "viewer/core/page_text.h"
#include "viewer/page_view.h"

#include <QObject>
#include <QString>
#include <functional>

namespace quillorn {
namespace options {
struct Options;
}
namespace viewer {

class DocumentController;
class DocumentText;
class PageView;
class TextSearch;

// The text of the page a single page view shows: the search's hits marked on it, a hit on
// another page turned to, and the selection a drag over the text makes.
class PageTextLayer : public QObject {
    Q_OBJECT
public:
    PageTextLayer(DocumentController& document, PageView& view, DocumentText& text,
                  TextSearch& search, const options::Options& options, QObject* parent = nullptr);
    // Shows the current hit, on that page, in another view of the pages; false when that view
    // is not in use and the page view shows it.
    void setHitShower(std::function<bool(qint32)> show) { showHit_ = std::move(show); }
    // The search's hits on a page lying as given, for another view of the pages, and the
    // selection when it is on that page.
    TextMarks marksOn(qint32 page, const PageGeometry& where) const;
    // A drag over a page of another view of the pages, in the page's picture as it lies there:
    // the text between its ends is selected.
    void draggedOn(qint32 page, QPointF from, QPointF to, const PageGeometry& where);

    // The whole text of the page shown (once it is read).
    void selectAll();
    bool hasSelection() const { return !selection_.isEmpty(); }
    QString selectedText() const;

Q_SIGNALS:
    // Another stretch of text is selected: the views of the pages paint it.
    void selectionChanged();

private:
    void pageShown(qint32 page);
    void showCurrentHit();
    void drawLikelyHitAhead();
    void dragged(QPointF from, QPointF to);
    // Puts the marks of the page shown on the view.
    void updateMarks(bool reveal = false);
    PageGeometry geometry() const;
    const PageText* shownText() const;

    DocumentController& document_;
    PageView& view_;
    DocumentText& text_;
    TextSearch& search_;
    const options::Options& options_;
    qint32 page_ = 0;     // shown
    int orientation_ = 0; // the page shown was rendered in
    TextRange selection_;
    qint32 selectionPage_ = 0;      // the page the selection is on
    bool revealPending_ = false;    // the current hit is on a page being turned to
    bool selectAllPending_ = false; // asked for before the page's text was read
    std::function<bool(qint32)> showHit_;
};

} // namespace viewer
} // namespace quillorn
