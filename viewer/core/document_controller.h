#pragma once

#include "options/core/options.h"
#include "viewer/core/page_bitmap.h"

#include <QObject>
#include <QString>

namespace quillorn {
class Messages;
class UserDialogs;
namespace gs {
class Runner;
}
} // namespace quillorn

namespace quillorn::viewer {

class PageSurface;

inline const QString kWaitingText = QStringLiteral("Please wait, redrawing...");

// The open document and the commands that change it. Every change of document or page ends in
// one redraw, which renders the current page through Ghostscript into a temporary BMP and puts
// it on the surface.
class DocumentController : public QObject {
    Q_OBJECT
public:
    DocumentController(UserDialogs& dialogs, const options::Options& options, Messages& messages,
                       gs::Runner& runner, PageSurface& surface, QObject* parent = nullptr);

    void loadFile(QString path);
    // The open dialog; Cancel leaves everything as it was.
    void openDocument();
    void closeDocument();
    void nextPage();
    void previousPage();
    void goToPage();
    // Renders the current page; does nothing without a document. Every failure is put to the
    // user, step by step, with Abort, Retry and Ignore. The event loop keeps turning while
    // Ghostscript runs; a redraw asked for meanwhile (another page, a zoom) takes the place of
    // the running one, which is stopped.
    void redraw();
    // Stops the running render: the page view stays empty and the status says so.
    void stop();
    bool isRendering() const { return rendering_; }

    const QString& filePath() const { return filePath_; }
    bool isOpen() const { return open_; }
    qint32 currentPage() const { return currentPage_; }
    // The resolution the page on the surface was rendered at; 0 before the first page.
    std::int16_t shownResolution() const { return shownResolution_; }

    // Largest decoded page, in MB, that a redraw loads.
    void setBitmapLimitMb(int mb) { bitmapLimitMb_ = mb; }

Q_SIGNALS:
    // The first panel of the status bar.
    void statusChanged(const QString& text);
    void captionChanged(const QString& caption);
    // A render started or ended.
    void renderingChanged(bool rendering);
    // A page is shown; pageCount is 0 while the document's number of pages is not known.
    void pageShown(qint32 page, int pageCount);

private:
    // One render of the current page; false when a newer request took its place.
    void render();

    UserDialogs& dialogs_;
    const options::Options& options_;
    Messages& messages_;
    gs::Runner& runner_;
    PageSurface& surface_;

    QString filePath_;
    bool open_ = false;
    qint32 currentPage_ = 0;
    std::int16_t shownResolution_ = 0;
    int bitmapLimitMb_ = kPageAllocationLimitMb;
    bool rendering_ = false;
    bool superseded_ = false; // a newer request waits for the running render to end
};

} // namespace quillorn::viewer
