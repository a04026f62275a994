#pragma once

#include "gs/document_info.h"
#include "options/core/options.h"
#include "viewer/core/page_bitmap.h"
#include "viewer/core/page_cache.h"

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <optional>

namespace quillorn {
class Messages;
class UserDialogs;
namespace gs {
class Runner;
struct RunResult;
} // namespace gs
} // namespace quillorn

namespace quillorn::viewer {

class PageSurface;

inline const QString kWaitingText = QStringLiteral("Please wait, redrawing...");

// The open document and the commands that change it. Every change of document or page ends in
// one redraw, which renders the current page through Ghostscript into a temporary BMP and puts
// it on the surface. A document that changes on disk is redrawn by itself.
class DocumentController : public QObject {
    Q_OBJECT
public:
    DocumentController(UserDialogs& dialogs, const options::Options& options, Messages& messages,
                       gs::Runner& runner, PageSurface& surface, QObject* parent = nullptr);
    ~DocumentController() override;

    void loadFile(QString path);
    // The open dialog; Cancel leaves everything as it was.
    void openDocument();
    void closeDocument();
    // Does nothing on the last page, once the number of pages is known.
    void nextPage();
    // Does nothing on page 1.
    void previousPage();
    // Refuses, with a message, a page the document does not have.
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
    // The document's number of pages; nothing while it is not known.
    std::optional<int> pageCount() const { return document_.pageCount; }

    // Largest decoded page, in MB, that a redraw loads.
    void setBitmapLimitMb(int mb) { bitmapLimitMb_ = mb; }
    // Largest size a compressed document may have once decompressed.
    void setDecompressedLimit(qint64 bytes) { decompressedLimit_ = bytes; }
    // Whether the pages next to the one shown are rendered ahead of need while the program is
    // idle (on by default, where the runner can run in the background).
    void setPrefetch(bool on);
    const PageCache& cache() const { return cache_; }

Q_SIGNALS:
    // The first panel of the status bar.
    void statusChanged(const QString& text);
    void captionChanged(const QString& caption);
    // A render started or ended.
    void renderingChanged(bool rendering);
    // A page is shown; pageCount is 0 while the document's number of pages is not known. Page 0
    // when the document was closed.
    void pageShown(qint32 page, int pageCount);

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
        bool followsPageCount = false; // its pages depend on the pages shipped before them
        QStringList keptPagesArgs;     // the run that wrote the kept pages; empty: none kept
        int keptPages = 0;
        bool keptPagesFailed = false;
        QByteArray stamp; // the file as it was looked at: inode, size, time
        std::unique_ptr<QTemporaryDir> folder;
    };

    // One render of the current page.
    void render();
    // Throws Failure (FileAccess) for anything but a readable regular file.
    void checkRegularFile() const;
    // Looks at the file once: a regular one, decompressed when compressed, its pages counted where
    // that is cheap. Throws Failure (FileAccess) for anything but a readable regular file.
    void prepareDocument();
    // Asks Ghostscript how many pages a PDF has, when nothing cheaper told.
    void countPdfPages();
    // The document's private folder, made on first use.
    QTemporaryDir& privateFolder();
    // The options for a render on this surface: the resolution follows the device pixels.
    options::Options renderOptions() const;
    // The argument list for a line and an output, with the password and the orientation.
    QStringList arguments(const QString& line, const QString& output) const;
    // Runs Ghostscript; asks for the password as long as a PDF wants one and the user gives
    // one. Throws Cancelled when stopped and Failure when the run did not end by itself.
    gs::RunResult runGhostscript(const QString& line, const QString& output,
                                 const QString& firstPage, QString& said);
    // Renders every page into the private folder unless the same run already did.
    void keepAllPages(QString& said);
    QString noPageText(qint32 page) const;

    void watchFile();
    void reloadIfChanged();

    // What the cache's keys of the document as it stands begin with: the file as it was looked
    // at and every switch of a render but the page.
    QString cacheBase() const;
    // Renders the next page not yet cached (the following one, then the previous one) in the
    // background; nothing while a render runs or there is none to do.
    void prefetch();
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
    Document document_;
    QString password_; // the PDF's password, once the user gave one that works
    int bitmapLimitMb_ = kPageAllocationLimitMb;
    qint64 decompressedLimit_ = gs::kDecompressedLimit;
    bool rendering_ = false;
    bool superseded_ = false; // a newer request waits for the running render to end
    QFileSystemWatcher watcher_;
    PageCache cache_;
    QString cachedBase_;           // the base the cached pages were rendered for
    QStringList tried_;            // pages rendered ahead that failed: not tried again
    QStringList prefetchMessages_; // what the running prefetch said, for when its page is shown
    QTimer prefetchTimer_;         // the program is idle once the event loop has nothing else to do
    bool prefetchOn_ = true;
    QTimer reloadTimer_; // writers save in steps: the reload waits until they are done
};

} // namespace quillorn::viewer
