#pragma once

#include "gs/arguments.h"
#include "gs/document_info.h"
#include "gs/dsc_orientation.h"
#include "options/core/options.h"
#include "viewer/core/page_bitmap.h"
#include "viewer/core/page_cache.h"
#include "viewer/core/page_labels.h"
#include "viewer/core/page_service.h"

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

namespace quillorn {
class Messages;
class MessageSink;
class UserDialogs;
namespace gs {
class Runner;
class RunJob;
struct RunRequest;
struct RunResult;
} // namespace gs
} // namespace quillorn

namespace quillorn::viewer {

class PageSurface;

// Where the page a redraw shows comes from.
enum class PageSource {
    Cache,   // rendered ahead of need, for the file and the switches as they are
    OneRun,  // a run of Ghostscript over that page alone
    AllPages // the run over every page, kept: Ghostscript's page range cannot be trusted
};
PageSource pageSource(bool allPages, bool cached);

// What a run over one page tells, from the pages it shipped.
enum class OneRunVerdict {
    Shown,    // one page: it is the picture
    Missing,  // none, cleanly, for a page past the document's end
    Nothing,  // none, and Ghostscript says why (or it is page 1): the usual question follows
    AllPages, // several, or none for a page the document says it has: the range missed
};
OneRunVerdict judgeOneRun(int shipped, bool clean, std::optional<int> pageCount, qint32 page);

// The pages of the run over every page, in the document's private folder.
class KeptPages {
public:
    // True when the pages there came from a run with these arguments.
    bool keptFor(const QStringList& args) const { return !args_.isEmpty() && args_ == args; }
    void forget() { *this = {}; }
    void kept(QStringList args, int pages, bool failed) {
        args_ = std::move(args);
        pages_ = pages;
        failed_ = failed;
    }
    int pages() const { return pages_; }
    bool failed() const { return failed_; }

private:
    QStringList args_;
    int pages_ = 0;
    bool failed_ = false;
};

// The open document and the commands that change it. Every change of document or page ends in
// one redraw, which renders the current page through Ghostscript into a temporary BMP and puts
// it on the surface. A document that changes on disk is redrawn by itself.
// A redraw is a request answered later: its Ghostscript runs are jobs whose end it hears of, so
// the event loop is never held. A redraw asked for while one runs takes its place.
class DocumentController : public QObject {
    Q_OBJECT
public:
    // What the page view and the status bar say while a page is drawn, and when none was.
    static QString waitingText();
    static QString notRedrawnText();

    DocumentController(UserDialogs& dialogs, const options::Options& options, Messages& messages,
                       gs::Runner& runner, PageSurface& surface, QObject* parent = nullptr);
    ~DocumentController() override;

    void loadFile(QString path);
    void closeDocument();
    // Does nothing on the last page, once the number of pages is known.
    void nextPage();
    // Does nothing on page 1.
    void previousPage();
    // Refuses, with a message, a page the document does not have. A page's label names it too.
    void goToPage();
    // Shows the page (an outline entry's, a link's, a hit's); nothing without a document, for
    // the page shown or one it does not have.
    void showPage(qint32 page);
    // The names the document gives its pages, for Go To.
    void setPageLabels(PageLabels labels) { labels_ = std::move(labels); }
    // The page the user asks for, as goToPage() asks; nothing when refused or not given.
    std::optional<qint32> askPage();
    // Another view shows this page now: it becomes the current page, told by pageShown(), without
    // a redraw.
    void followPage(qint32 page);
    // What the pages are made from, once a redraw has read the document; no input before.
    PageDocument pageDocument() const;
    // Page 1; the last page once the number of pages is known (nothing before).
    void firstPage();
    void lastPage();
    // Renders the current page; does nothing without a document. Every failure is put to the
    // user, step by step, with Abort, Retry and Ignore. A redraw asked for meanwhile (another
    // page, a zoom) takes the place of the running one.
    void redraw();
    // Stops the running render: the page view stays empty and the status says so.
    void stop();
    bool isRendering() const { return rendering_; }

    const QString& filePath() const { return filePath_; }
    bool isOpen() const { return open_; }
    qint32 currentPage() const { return currentPage_; }
    // The resolution the page on the surface was rendered at; 0 before the first page.
    std::int16_t shownResolution() const { return shownResolution_; }
    // The page device orientation (quarter turns counter-clockwise) the page on the surface was
    // drawn in: the document's own for the page, turned further by the user's choice.
    int shownOrientation() const { return shownOrientation_; }
    // The PDF's password, once the user gave one that works.
    const QString& password() const { return password_; }
    // The document's number of pages; nothing while it is not known.
    std::optional<int> pageCount() const { return document_.pageCount; }
    // What Ghostscript reads for the document (decompressed), once it was looked at; empty before.
    const QString& input() const { return document_.input; }
    // The file as it was looked at.
    const QByteArray& stamp() const { return document_.stamp; }
    bool isEps() const { return document_.eps; }
    // Whether a run over some pages gives those pages: not for a document that decides itself
    // which pages it makes.
    bool pageRangesWork() const { return !document_.allPages && !document_.followsPageCount; }

    // Largest decoded page, in MB, that a redraw loads.
    void setBitmapLimitMb(int mb) { bitmapLimitMb_ = mb; }
    // Largest size a compressed document may have once decompressed.
    void setDecompressedLimit(qint64 bytes) { decompressedLimit_ = bytes; }
    // Whether the pages next to the one shown are rendered ahead of need while the program is
    // idle (on by default).
    void setPrefetch(bool on);
    // A page the user is about to ask for, a search's hit say: it is drawn ahead of need first,
    // whether the pages next to the one shown are or not.
    void drawAhead(qint32 page);
    const PageCache& cache() const { return cache_; }
    // True while a page is being rendered ahead of need.
    bool isRenderingAhead() const { return ahead_ != nullptr; }

Q_SIGNALS:
    // The first panel of the status bar.
    void statusChanged(const QString& text);
    void captionChanged(const QString& caption);
    // A render started or ended.
    void renderingChanged(bool rendering);
    // A page is shown; pageCount is 0 while the document's number of pages is not known. Page 0
    // when the document was closed.
    void pageShown(qint32 page, int pageCount);
    // A redraw has read the document: pageDocument() tells what it learned.
    void documentRead();

private:
    // What a redraw learns about the file once and keeps until the file changes.
    struct Document {
        QString input; // what Ghostscript reads; empty until the file was looked at
        bool eps = false;
        std::optional<int> pageCount;
        bool pageCountAsked = false;
        // Ghostscript's page range cannot be trusted for this document: its pages come from one
        // run over all of them, kept in the private folder.
        bool allPages = false;
        bool followsPageCount = false;  // its pages depend on the pages shipped before them
        gs::DscOrientation orientation; // how its comments say its pages lie
        KeptPages keptPages;
        QByteArray stamp; // the file as it was looked at: inode, size, time
        std::unique_ptr<QTemporaryDir> folder;
    };
    struct Redraw;

    // The steps of a redraw, in order.
    void startRedraw();
    void clearPage();
    void showWaiting();
    void readDocument();
    void makePageFolder();
    void renderPage();
    void renderOnePage();
    void renderAllPages();
    void showPicture();
    void removePageFiles();
    void reportRedrawn();
    // The redraw has ended one way or another: the next one, or pages ahead.
    void redrawEnded(bool pageShown);
    // Ends the redraw under way at once, while it waits for Ghostscript.
    void abandonRedraw();

    // The page being rendered ahead is the one asked for: the redraw waits for it.
    void awaitAhead();
    // The redraw waits for its job; then gets its result as the rest of the running step.
    void awaitRun(std::function<void(const gs::RunResult&)> then);
    // Starts a run for the redraw; then gets its result as the rest of the running step.
    void runForRedraw(gs::RunRequest request, MessageSink& sink,
                      std::function<void(const gs::RunResult&)> then);
    // Runs Ghostscript with the switches into an output; asks for the password as long as a PDF
    // wants one and the user gives one. then gets the run's result; a stopped run ends the redraw
    // quietly, a run that did not end by itself is a failure of the step.
    void runGhostscript(const gs::Arguments& switches, const QString& output,
                        const QString& firstPage,
                        const std::function<void(const gs::RunResult&)>& then);

    // Throws Failure (FileAccess) for anything but a readable regular file.
    void checkRegularFile() const;
    // Looks at the file once: a regular one, decompressed when compressed, its pages counted where
    // that is cheap. Throws Failure (FileAccess) for anything but a readable regular file.
    void prepareDocument();
    // The document's private folder, made on first use.
    QTemporaryDir& privateFolder();
    // The options for a render on this surface: the resolution follows the device pixels.
    options::Options renderOptions() const;
    // The argument list of the switches and an output, with the password and the orientation
    // (page's as the document says it lies, turned by the user's; 0 for the document's).
    QStringList arguments(gs::Arguments switches, const QString& output, qint32 page = 0) const;
    QString noPageText(qint32 page) const;

    void watchFile();
    void reloadIfChanged();

    // What the cache's keys of the document as it stands begin with: the file as it was looked
    // at and every switch of a render but the page.
    QString cacheBase() const;
    // Renders the next page not yet cached (the following one, then the previous one) in the
    // background; nothing while a render runs or there is none to do.
    void prefetch();
    void aheadEnded();
    void forgetPrefetched();

    UserDialogs& dialogs_;
    const options::Options& options_;
    Messages& messages_;
    gs::Runner& runner_;
    PageSurface& surface_;

    QString filePath_;
    bool open_ = false;
    qint32 currentPage_ = 0;
    std::int16_t shownResolution_ = 0;
    int shownOrientation_ = 0;
    Document document_;
    QString password_; // the PDF's password, once the user gave one that works
    PageLabels labels_;
    int bitmapLimitMb_ = kPageAllocationLimitMb;
    qint64 decompressedLimit_ = gs::kDecompressedLimit;
    bool rendering_ = false;
    std::unique_ptr<Redraw> redraw_;
    bool redrawAgain_ = false; // a newer request waits for the running redraw to end
    qint64 lastRenderMs_ = 0;  // how long the last page shown took
    QFileSystemWatcher watcher_;
    PageCache cache_;
    QString cachedBase_; // the base the cached pages were rendered for
    QStringList tried_;  // pages rendered ahead that failed: not tried again
    struct Ahead;
    std::unique_ptr<Ahead> ahead_; // the page being rendered ahead of need
    QTimer prefetchTimer_;         // the program is idle once the event loop has nothing else to do
    bool prefetchOn_ = true;
    qint32 wantedAhead_ = 0; // drawAhead()'s page; 0 for none
    // Pages ahead follow only a redraw that showed its page: after a stop, a failure or an
    // exhausted memory the document is not run again until the user asks for a page.
    bool aheadAllowed_ = false;
    QTimer reloadTimer_; // writers save in steps: the reload waits until they are done
};

} // namespace quillorn::viewer
