#include "viewer/core/document_controller.h"

#include "base/failure.h"
#include "base/message_log.h"
#include "base/number_rule.h"
#include "base/step_runner.h"
#include "base/temp_files.h"
#include "base/user_dialogs.h"
#include "gs/arguments.h"
#include "gs/runner.h"
#include "options/core/paper.h"
#include "viewer/core/document_files.h"
#include "viewer/core/page_number.h"
#include "viewer/core/page_surface.h"
#include "viewer/core/render_arguments.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <limits>
#include <optional>
#include <sys/stat.h>

namespace quillorn::viewer {

namespace {

// Ghostscript writes page N of a run to page-N.bmp in the folder.
QString pageFile(const QString& folder, int page) {
    return folder + QStringLiteral("/page-%1.bmp").arg(page);
}
QString pagePattern(const QString& folder) {
    return gs::literalOutputPath(folder + u'/') + QStringLiteral("page-%d.bmp");
}
int pagesWritten(const QString& folder) {
    int pages = 0;
    while (QFileInfo::exists(pageFile(folder, pages + 1)))
        ++pages;
    return pages;
}

// Tells a file from the one it replaced or was before it was written again.
QByteArray fileStamp(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return QByteArray::number(static_cast<qulonglong>(info.st_ino)) + ':' +
           QByteArray::number(static_cast<qlonglong>(info.st_size)) + ':' +
           QByteArray::number(static_cast<qlonglong>(info.st_mtim.tv_sec)) + '.' +
           QByteArray::number(static_cast<qlonglong>(info.st_mtim.tv_nsec));
}

// The count run's words are no message of the document's.
struct Unheard : MessageSink {
    void addMessage(const QString&) override {}
};

// What a run in the background says is kept, piece by piece, for the log.
struct Kept : MessageSink {
    QStringList pieces;
    void addMessage(const QString& text) override { pieces << text; }
};

Failure stoppedUnexpectedly(const gs::RunResult& result, qint64 memoryLimit, qint32 page) {
    Failure failure = gs::failureOf(result, memoryLimit);
    if (result.end == gs::RunResult::End::OutOfMemory)
        failure.description += QCoreApplication::translate("quillorn::viewer::DocumentController",
                                                           " while drawing page %1")
                                   .arg(page);
    return failure;
}

// A page ahead may take this long at most: a few times what the page shown took.
qint64 aheadBudgetMs(qint64 lastRenderMs) {
    return std::max<qint64>(2000, 4 * lastRenderMs);
}

} // namespace

QString DocumentController::waitingText() {
    return tr("Please wait, redrawing...");
}

QString DocumentController::notRedrawnText() {
    return tr("Not redrawn, see File > Show Messages");
}

PageSource pageSource(bool allPages, bool cached) {
    if (allPages)
        return PageSource::AllPages;
    return cached ? PageSource::Cache : PageSource::OneRun;
}

OneRunVerdict judgeOneRun(int shipped, bool clean, std::optional<int> pageCount, qint32 page) {
    if (shipped == 1)
        return OneRunVerdict::Shown;
    // Several pages for one, or none for a page the document has: the document decides itself
    // which pages it makes, and the range missed.
    if (shipped > 1 || (shipped == 0 && clean && pageCount && page <= *pageCount))
        return OneRunVerdict::AllPages;
    return shipped == 0 && clean && page != 1 ? OneRunVerdict::Missing : OneRunVerdict::Nothing;
}

// One redraw under way: its steps and what they hand on to each other.
// The page being rendered ahead of need, and what it says meanwhile.
struct DocumentController::Ahead {
    Kept said;
    std::unique_ptr<gs::RunJob> job; // after what it writes to, so that it ends first
    QString key;
    QString folder;
    qint32 page = 0;
    // The user asked for the page: it may take as long as a page asked for.
    std::shared_ptr<bool> awaited = std::make_shared<bool>(false);
};

struct DocumentController::Redraw {
    Redraw(UserDialogs& dialogs, std::function<StepRunner::NoOutputChoice(const Failure&)> noOutput,
           qint32 page, std::int16_t resolution)
        : steps(dialogs,
                QCoreApplication::translate("quillorn::viewer::DocumentController", "redrawing"),
                std::move(noOutput)),
          busy(dialogs), page(page), resolution(resolution) {}

    StepRunner steps;
    BusyCursor busy;
    std::unique_ptr<Ahead> adopted;  // the page ahead that turned out to be the one asked for
    std::unique_ptr<gs::RunJob> job; // the Ghostscript run the redraw waits for
    // The page goes into a new file in a private folder, removed however the redraw ends. A
    // new file, since Ghostscript overwriting an existing one (even an empty one) makes the file
    // system write it back to disk at once, which costs more than the whole load.
    std::unique_ptr<QTemporaryDir> folder;
    QElapsedTimer timer;
    qint32 page;
    std::int16_t resolution;
    bool documentReady = false;
    QString said;        // what Ghostscript said in this render
    QString picturePath; // the file that holds the page
    bool withErrors = false;
    std::optional<QImage> cached; // the page, rendered ahead of need
    bool shown = false;
    Unheard unheard;
};

DocumentController::DocumentController(UserDialogs& dialogs, const options::Options& options,
                                       Messages& messages, gs::Runner& runner, PageSurface& surface,
                                       QObject* parent)
    : QObject(parent), dialogs_(dialogs), options_(options), messages_(messages), runner_(runner),
      surface_(surface) {
    reloadTimer_.setSingleShot(true);
    reloadTimer_.setInterval(300);
    connect(&reloadTimer_, &QTimer::timeout, this, &DocumentController::reloadIfChanged);
    // A file written in place changes; one replaced by a rename leaves its folder changed and
    // the watch on the old file gone.
    connect(&watcher_, &QFileSystemWatcher::fileChanged, &reloadTimer_,
            qOverload<>(&QTimer::start));
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &reloadTimer_,
            qOverload<>(&QTimer::start));
    prefetchTimer_.setSingleShot(true);
    prefetchTimer_.setInterval(0);
    connect(&prefetchTimer_, &QTimer::timeout, this, &DocumentController::prefetch);
}

DocumentController::~DocumentController() = default;

void DocumentController::loadFile(QString path) {
    // Taken by value: the caller may pass our own path, which closing empties.
    closeDocument();
    open_ = true;
    filePath_ = std::move(path);
    currentPage_ = 1;
    watchFile();
    Q_EMIT captionChanged(kAppTitle + tr(" - ") + filePath_);
    Q_EMIT statusChanged(tr("Opened file ") + filePath_);
    redraw();
}

void DocumentController::closeDocument() {
    if (redraw_ && redraw_->steps.isSuspended())
        abandonRedraw();
    else
        stop();
    redrawAgain_ = false;
    forgetPrefetched();
    open_ = false;
    filePath_.clear();
    currentPage_ = 0;
    document_ = {};
    password_.clear();
    labels_ = {};
    reloadTimer_.stop();
    if (!watcher_.files().isEmpty())
        watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty())
        watcher_.removePaths(watcher_.directories());
    surface_.setPicture(QImage());
    Q_EMIT captionChanged(kAppTitle);
    Q_EMIT statusChanged(tr("Closed file"));
    Q_EMIT pageShown(0, 0);
}

void DocumentController::nextPage() {
    // Without a known count pages are not bounded, but a page past the 32-bit range has no
    // meaning.
    if (!open_ || currentPage_ == std::numeric_limits<qint32>::max() ||
        (document_.pageCount && currentPage_ >= *document_.pageCount))
        return;
    ++currentPage_;
    redraw();
}

void DocumentController::previousPage() {
    if (!open_ || currentPage_ <= 1)
        return;
    --currentPage_;
    redraw();
}

void DocumentController::goToPage() {
    const std::optional<qint32> page = askPage();
    if (!page)
        return;
    currentPage_ = *page;
    redraw();
}

std::optional<qint32> DocumentController::askPage() {
    if (!open_)
        return std::nullopt;
    const QString answer = dialogs_.getText(
        tr("What page do you want to go to?"), tr("Page Number"),
        distinctLabel(labels_, currentPage_).value_or(QString::number(currentPage_)));
    const std::optional<qint32> page = pageFromLabelOrNumber(answer, labels_, document_.pageCount);
    if (!page)
        return std::nullopt;
    if (*page < 1 || (document_.pageCount && *page > *document_.pageCount)) {
        dialogs_.message(noPageText(*page), Icon::Information);
        return std::nullopt;
    }
    return *page;
}

void DocumentController::followPage(qint32 page) {
    if (!open_ || page < 1 || page == currentPage_)
        return;
    currentPage_ = page;
    Q_EMIT pageShown(page, document_.pageCount.value_or(0));
}

PageDocument DocumentController::pageDocument() const {
    return {.input = document_.input,
            .eps = document_.eps,
            .password = password_,
            .stamp = document_.stamp,
            .pageCount = document_.pageCount,
            .allPages = document_.allPages || document_.followsPageCount,
            .orientation = document_.orientation};
}

void DocumentController::showPage(qint32 page) {
    if (!open_ || page < 1 || page == currentPage_ ||
        (document_.pageCount && page > *document_.pageCount))
        return;
    currentPage_ = page;
    redraw();
}

void DocumentController::firstPage() {
    if (!open_ || currentPage_ == 1)
        return;
    currentPage_ = 1;
    redraw();
}

void DocumentController::lastPage() {
    if (!open_ || !document_.pageCount || currentPage_ == *document_.pageCount)
        return;
    currentPage_ = *document_.pageCount;
    redraw();
}

QString DocumentController::noPageText(qint32 page) const {
    const QString text = tr("There is no page %1 in this document").arg(page);
    if (!document_.pageCount)
        return text + u'.';
    return text + (*document_.pageCount == 1 ? tr("; it has 1 page.")
                                             : tr("; it has %1 pages.").arg(*document_.pageCount));
}

// ---- the redraw ----

void DocumentController::redraw() {
    if (!open_)
        return;
    if (redraw_) {
        // One waiting for Ghostscript goes at once; one asking the user a question ends first.
        if (!redraw_->steps.isSuspended()) {
            redrawAgain_ = true;
            return;
        }
        abandonRedraw();
    }
    startRedraw();
}

void DocumentController::startRedraw() {
    rendering_ = true;
    Q_EMIT renderingChanged(true);
    // The page asked for comes first: a page being rendered ahead gives way, unless it is that
    // page, which is further on than a new run would be.
    prefetchTimer_.stop();
    if (ahead_ && ahead_->page != currentPage_)
        ahead_.reset();
    aheadAllowed_ = true; // the user asked for a page again
    redraw_ = std::make_unique<Redraw>(
        dialogs_,
        [this](const Failure&) {
            if (dialogs_.ask(tr("It looks like an error occurred within the "
                                "PostScript conversion program. Would you like to "
                                "take a look at the messages?"),
                             Buttons::YesNo, Icon::Information, tr("Error in conversion"),
                             gs::firstErrorLine(redraw_->said)) == Answer::Yes)
                messages_.showMessages();
            return StepRunner::NoOutputChoice::GoOn;
        },
        currentPage_, options_.resolution);
    std::vector<StepRunner::Step> steps = {
        [this] { clearPage(); },
        [this] { checkRegularFile(); },
        [this] { surface_.setWaitingText(waitingText()); },
        [this] { Q_EMIT statusChanged(waitingText()); },
        [this] { readDocument(); },
        [this] { makePageFolder(); },
        [this] {
            if (options_.media == options::Paper::Custom)
                dialogs_.message(options::kCustomPaperNotDone);
        },
        [this] { redraw_->timer.start(); },
        [this] { renderPage(); },
        [this] { surface_.setWaitingText(QString()); },
        [this] { showPicture(); },
        [this] { surface_.setPictureVisible(true); },
        [this] { removePageFiles(); },
        [this] { reportRedrawn(); },
    };
    redraw_->steps.start(std::move(steps), [this](StepRunner::Outcome outcome) {
        const bool shown = outcome == StepRunner::Outcome::Completed && redraw_->shown;
        if (outcome == StepRunner::Outcome::Aborted)
            Q_EMIT statusChanged(notRedrawnText());
        // Not inside the redraw's own steps: it goes once the event loop is back.
        QMetaObject::invokeMethod(
            this, [this, shown] { redrawEnded(shown); }, Qt::QueuedConnection);
    });
}

void DocumentController::redrawEnded(bool pageShown) {
    if (redraw_ && pageShown && !redraw_->withErrors && !redraw_->cached)
        lastRenderMs_ = redraw_->timer.elapsed();
    aheadAllowed_ = pageShown && redraw_ && !redraw_->withErrors;
    redraw_.reset();
    surface_.setWaitingText(QString()); // whichever way it ended, nothing is being drawn
    rendering_ = false;
    Q_EMIT renderingChanged(false);
    if (!open_)
        return;
    if (std::exchange(redrawAgain_, false)) {
        startRedraw();
        return;
    }
    if (prefetchOn_ && aheadAllowed_)
        prefetchTimer_.start();
}

void DocumentController::abandonRedraw() {
    redraw_.reset(); // its run ends with it
    surface_.setWaitingText(QString());
    rendering_ = false;
    Q_EMIT renderingChanged(false);
}

void DocumentController::stop() {
    if (redraw_ && redraw_->job && !redraw_->job->isFinished())
        redraw_->job->stop();
}

void DocumentController::clearPage() {
    surface_.setPicture(QImage());
    surface_.setPictureVisible(false);
}

void DocumentController::readDocument() {
    const auto ready = [this] {
        redraw_->documentReady = true;
        // A document rewritten with fewer pages shows its last one.
        if (document_.pageCount && redraw_->page > *document_.pageCount)
            redraw_->page = currentPage_ = *document_.pageCount;
        Q_EMIT documentRead();
    };
    try {
        prepareDocument();
    } catch (const Failure&) {
        surface_.setWaitingText(QString()); // the box says why nothing is drawn
        throw;
    }
    if (document_.pageCount || document_.pageCountAsked || !gs::isPdf(document_.input)) {
        ready();
        return;
    }
    // Ghostscript counts a PDF's pages when nothing cheaper told.
    document_.pageCountAsked = true;
    gs::RunRequest request;
    request.args = gs::pdfPageCountArguments(document_.input, password_);
    auto said = std::make_shared<QString>();
    request.onOutput = [said](const QString& text) { *said += text; };
    runForRedraw(std::move(request), redraw_->unheard,
                 [this, said, ready](const gs::RunResult& result) {
                     // Anything but a count the page's own run says.
                     const std::optional<int> count =
                         result.succeeded() ? gs::pageCountFromOutput(*said) : std::nullopt;
                     if (count && *count > 0)
                         document_.pageCount = count;
                     ready();
                 });
}

void DocumentController::makePageFolder() {
    redraw_->folder = makePrivateFolder(QStringLiteral("KMW"));
    if (!redraw_->folder)
        throw noTemporaryFolder();
}

void DocumentController::renderPage() {
    Redraw& r = *redraw_;
    // Nothing for Ghostscript to read, or nowhere for it to put the page.
    if (!r.documentReady)
        throw Failure{
            FailureKind::NoOutput,
            QCoreApplication::translate("quillorn::viewer::DocumentController", "Cannot read ") +
                filePath_};
    if (!r.folder || !r.folder->isValid())
        throw noTemporaryFolder();
    // Page 1 of a document that counts its pages comes out right all the same.
    if (document_.followsPageCount && r.page > 1)
        document_.allPages = true;
    // Pages rendered ahead for other settings or another state of the file are of no use.
    const QString base = cacheBase();
    if (base != cachedBase_) {
        cache_.clear();
        tried_.clear();
        cachedBase_ = base;
    }
    const CachedPage* hit = nullptr;
    if (!document_.allPages && document_.stamp == fileStamp(filePath_))
        hit = cache_.find(base + QStringLiteral("\n#%1").arg(r.page));
    if (ahead_) {
        if (!hit && !document_.allPages &&
            ahead_->key == base + QStringLiteral("\n#%1").arg(r.page)) {
            awaitAhead();
            return;
        }
        ahead_.reset();
    }
    switch (pageSource(document_.allPages, hit != nullptr)) {
    case PageSource::Cache:
        r.cached = hit->picture;
        r.withErrors = hit->withErrors;
        // What Ghostscript said about the page reaches the log now that it is shown.
        messages_.addMessage(hit->messages);
        return;
    case PageSource::OneRun:
        renderOnePage();
        return;
    case PageSource::AllPages:
        renderAllPages();
        return;
    }
}

void DocumentController::awaitAhead() {
    Redraw& r = *redraw_;
    r.adopted = std::move(ahead_);
    *r.adopted->awaited = true;
    r.adopted->job->disconnect(this);
    r.job = std::move(r.adopted->job);
    awaitRun([this](const gs::RunResult& result) {
        Redraw& r = *redraw_;
        const QString said = r.adopted->said.pieces.join(QString());
        const QString folder = r.adopted->folder;
        if (result.end == gs::RunResult::End::Finished && pagesWritten(folder) == 1 &&
            gs::passwordRequest(said) == gs::PasswordRequest::None) {
            messages_.addMessage(said);
            r.said = said;
            r.picturePath = pageFile(folder, 1);
            r.withErrors = !result.succeeded();
            return;
        }
        // Whatever went wrong is found out, and told, as for any page asked for.
        renderOnePage();
    });
}

void DocumentController::renderOnePage() {
    const QString folder = redraw_->folder->path();
    runGhostscript(renderArguments(renderOptions(), redraw_->page, document_.eps),
                   pagePattern(folder), pageFile(folder, 1), [this](const gs::RunResult& result) {
                       Redraw& r = *redraw_;
                       const QString path = r.folder->path();
                       const int shipped = pagesWritten(path);
                       const bool clean =
                           result.succeeded() && gs::firstErrorLine(r.said).isEmpty();
                       switch (judgeOneRun(shipped, clean, document_.pageCount, r.page)) {
                       case OneRunVerdict::Shown:
                           r.picturePath = pageFile(path, 1);
                           r.withErrors = !result.succeeded();
                           return;
                       case OneRunVerdict::Missing:
                           // Past the last page of a document that did not say how many it
                           // has: now it is known, and the last page stays shown.
                           document_.pageCount = r.page - 1;
                           dialogs_.message(noPageText(r.page), Icon::Information);
                           currentPage_ = r.page - 1;
                           redrawAgain_ = true;
                           throw Cancelled{};
                       case OneRunVerdict::Nothing:
                           return;
                       case OneRunVerdict::AllPages:
                           document_.allPages = true;
                           renderAllPages();
                           return;
                       }
                   });
}

void DocumentController::renderAllPages() {
    const QString folder = privateFolder().filePath(QStringLiteral("pages"));
    const gs::Arguments switches = documentArguments(renderOptions(), document_.eps);
    const QStringList args = arguments(switches, pagePattern(folder));
    const auto pick = [this, folder] {
        Redraw& r = *redraw_;
        const int kept = document_.keptPages.pages();
        if (kept == 0)
            return;
        if (r.page > kept) {
            // Fewer pages than the document claimed: the last one is shown.
            dialogs_.message(noPageText(r.page), Icon::Information);
            r.page = currentPage_ = kept;
        }
        r.picturePath = pageFile(folder, r.page);
        r.withErrors = document_.keptPages.failed();
    };
    if (document_.keptPages.keptFor(args)) {
        pick();
        return;
    }
    document_.keptPages.forget();
    QDir(folder).removeRecursively();
    if (!QDir().mkpath(folder))
        throw noTemporaryFolder();
    runGhostscript(switches, pagePattern(folder), pageFile(folder, 1),
                   [this, folder, args, pick](const gs::RunResult& result) {
                       const int kept = pagesWritten(folder);
                       document_.keptPages.kept(args, kept, !result.succeeded());
                       // What a run over all pages writes is the document's true number of
                       // pages.
                       if (kept > 0)
                           document_.pageCount = kept;
                       pick();
                   });
}

void DocumentController::showPicture() {
    Redraw& r = *redraw_;
    std::optional<QImage> picture = r.cached;
    if (!picture && !r.picturePath.isEmpty())
        picture = loadPageBitmap(r.picturePath, bitmapLimitMb_);
    if (!picture)
        throw Failure{
            FailureKind::NoOutput,
            QCoreApplication::translate("quillorn::viewer::DocumentController", "Invalid picture")};
    shownResolution_ = r.resolution;
    // The run over every page turns every page as the document says they lie.
    shownOrientation_ = gs::combinedOrientation(
        document_.allPages ? document_.orientation.document : document_.orientation.forPage(r.page),
        static_cast<int>(options_.orientation));
    picture->setDevicePixelRatio(surface_.pixelRatio());
    surface_.setPicture(*picture);
    r.shown = true;
    Q_EMIT pageShown(r.page, document_.pageCount.value_or(0));
}

void DocumentController::removePageFiles() {
    if (!redraw_->folder)
        return;
    const QString folder = redraw_->folder->path();
    for (int n = pagesWritten(folder); n > 0; --n)
        if (!QFile::remove(pageFile(folder, n)))
            throw Failure{FailureKind::FileAccess,
                          QCoreApplication::translate("quillorn::viewer::DocumentController",
                                                      "Cannot delete ") +
                              pageFile(folder, n)};
}

void DocumentController::reportRedrawn() {
    const Redraw& r = *redraw_;
    if (!r.shown) {
        Q_EMIT statusChanged(notRedrawnText());
        return;
    }
    Q_EMIT statusChanged(
        r.withErrors
            ? tr("Redrawn with errors, see File > Show Messages")
            : (r.cached ? tr("Redrawn from the cache, took ") : tr("Redrawn, took ")) +
                  secondsText(static_cast<double>(r.timer.elapsed()) / 1000.0) + tr(" seconds"));
}

void DocumentController::runForRedraw(gs::RunRequest request, MessageSink& sink,
                                      std::function<void(const gs::RunResult&)> then) {
    redraw_->job = runner_.start(std::move(request), sink);
    awaitRun(std::move(then));
}

void DocumentController::awaitRun(std::function<void(const gs::RunResult&)> then) {
    Redraw& r = *redraw_;
    connect(r.job.get(), &gs::RunJob::finished, this, [this, then = std::move(then)] {
        // Copies: the rest of the step may start the next run, which takes the job's place.
        const gs::RunResult result = redraw_->job->result();
        const std::function<void(const gs::RunResult&)> rest = then;
        redraw_->steps.resume([&] {
            if (result.end == gs::RunResult::End::Stopped) {
                surface_.setWaitingText(QString());
                if (!redrawAgain_)
                    Q_EMIT statusChanged(tr("Redraw stopped"));
                throw Cancelled{};
            }
            rest(result);
        });
    });
    r.steps.suspend();
}

void DocumentController::runGhostscript(const gs::Arguments& switches, const QString& output,
                                        const QString& firstPage,
                                        const std::function<void(const gs::RunResult&)>& then) {
    redraw_->said.clear();
    gs::RunRequest request;
    // The run over every page takes the document's orientation.
    request.args = arguments(switches, output, document_.allPages ? 0 : redraw_->page);
    request.onOutput = [this](const QString& text) {
        if (redraw_ && redraw_->said.size() < (1 << 20))
            redraw_->said += text;
    };
    // The header comes first: a page too large to show is refused before Ghostscript has written
    // gigabytes of it.
    request.watchdog = [this, firstPage] {
        const std::optional<BitmapHeader> header = readBitmapHeader(firstPage);
        if (!header || header->decodedBytes() <= qint64(bitmapLimitMb_) * 1024 * 1024)
            return QString();
        return QCoreApplication::translate("quillorn::viewer::DocumentController",
                                           "The page is too large to show at %1 dots per inch "
                                           "(%2 x %3 pixels); choose a lower resolution")
            .arg(options_.resolution)
            .arg(header->width)
            .arg(header->height);
    };
    runForRedraw(std::move(request), messages_,
                 [this, switches, output, firstPage, then](const gs::RunResult& result) {
                     gs::PasswordRequest asked = gs::passwordRequest(redraw_->said);
                     // Ghostscript may die of a wrong password instead of saying so.
                     if (result.end == gs::RunResult::End::Crashed && !password_.isEmpty())
                         asked = gs::PasswordRequest::Refused;
                     else if (result.end != gs::RunResult::End::Finished)
                         throw stoppedUnexpectedly(result, runner_.memoryLimit(), currentPage_);
                     if (asked == gs::PasswordRequest::None || redrawAgain_) {
                         then(result);
                         return;
                     }
                     const QString name = QFileInfo(filePath_).fileName();
                     const QString password = gs::askPassword(dialogs_, asked, name);
                     if (password.isEmpty()) {
                         if (result.end != gs::RunResult::End::Finished) {
                             password_.clear();
                             throw Failure{
                                 FailureKind::NoOutput,
                                 QCoreApplication::translate("quillorn::viewer::DocumentController",
                                                             "The password did not work")};
                         }
                         then(result); // the usual question follows
                         return;
                     }
                     password_ = password;
                     document_.pageCountAsked = false; // the count can be had now
                     runGhostscript(switches, output, firstPage, then);
                 });
}

// ---- pages ahead of need ----

void DocumentController::setPrefetch(bool on) {
    prefetchOn_ = on;
    if (!on)
        forgetPrefetched();
}

void DocumentController::drawAhead(qint32 page) {
    if (!open_ || page == currentPage_ || page == wantedAhead_)
        return;
    wantedAhead_ = page;
    if (ahead_ && ahead_->page != page)
        ahead_.reset(); // a page next to the one shown is less likely to be wanted
    prefetchTimer_.start();
}

void DocumentController::forgetPrefetched() {
    wantedAhead_ = 0;
    prefetchTimer_.stop();
    ahead_.reset();
    cache_.clear();
    cachedBase_.clear();
    tried_.clear();
}

QString DocumentController::cacheBase() const {
    return QString::fromLatin1(document_.stamp) + u'\n' + document_.input + u'\n' +
           arguments(renderArguments(renderOptions(), 0, document_.eps), QString()).join(u'\n');
}

void DocumentController::prefetch() {
    if (!open_ || !aheadAllowed_ || rendering_ || ahead_ || runner_.isRunning() ||
        document_.input.isEmpty() || document_.allPages || document_.stamp != fileStamp(filePath_))
        return;
    const QString base = cacheBase();
    if (base != cachedBase_)
        return; // the settings changed since the page shown was drawn
    for (const qint32 page : {wantedAhead_, currentPage_ + 1, currentPage_ - 1}) {
        if (page < 1 || page == currentPage_ ||
            (document_.pageCount && page > *document_.pageCount))
            continue;
        if (page != wantedAhead_ && !prefetchOn_)
            continue;
        const QString key = base + QStringLiteral("\n#%1").arg(page);
        if (cache_.contains(key) || tried_.contains(key))
            continue;
        QString folder;
        try {
            folder = privateFolder().filePath(QStringLiteral("ahead"));
        } catch (const Failure&) {
            return;
        }
        QDir(folder).removeRecursively();
        if (!QDir().mkpath(folder))
            return;
        gs::RunRequest request;
        request.args = arguments(renderArguments(renderOptions(), page, document_.eps),
                                 pagePattern(folder), page);
        // A page too large to show is no page to keep either, and one that takes far longer
        // than the page shown is no page the user is about to read.
        QElapsedTimer clock;
        clock.start();
        auto ahead = std::make_unique<Ahead>();
        request.watchdog = [folder, limit = qint64(bitmapLimitMb_) * 1024 * 1024, clock,
                            budget = aheadBudgetMs(lastRenderMs_), awaited = ahead->awaited] {
            const std::optional<BitmapHeader> header = readBitmapHeader(pageFile(folder, 1));
            if (header && header->decodedBytes() > limit)
                return QStringLiteral("too large");
            return clock.elapsed() > budget && !*awaited ? QStringLiteral("too long") : QString();
        };
        ahead_ = std::move(ahead);
        ahead_->key = key;
        ahead_->folder = folder;
        ahead_->page = page;
        // The page ahead is the one the user most likely asks for next: it may well be waited
        // for, which it then is from a worker with the library loaded.
        ahead_->job = runner_.start(std::move(request), ahead_->said, gs::Urgency::Soon);
        connect(ahead_->job.get(), &gs::RunJob::finished, this, &DocumentController::aheadEnded);
        return;
    }
}

void DocumentController::aheadEnded() {
    const std::unique_ptr<Ahead> ahead = std::move(ahead_);
    const gs::RunResult& result = ahead->job->result();
    const QString said = ahead->said.pieces.join(QString());
    std::optional<QImage> picture;
    if (result.end == gs::RunResult::End::Finished && pagesWritten(ahead->folder) == 1 &&
        gs::passwordRequest(said) == gs::PasswordRequest::None)
        picture = loadPageBitmap(pageFile(ahead->folder, 1), bitmapLimitMb_);
    QDir(ahead->folder).removeRecursively();
    if (!picture) {
        // Silent: the error shows when the user asks for that page.
        tried_ << ahead->key;
    } else {
        picture->setDevicePixelRatio(surface_.pixelRatio());
        cache_.insert({ahead->key, *picture, said, !result.succeeded()});
    }
    prefetchTimer_.start(); // the next one, if any
}

// ---- the file ----

void DocumentController::watchFile() {
    const QFileInfo info(filePath_);
    if (info.exists() && !watcher_.files().contains(filePath_))
        watcher_.addPath(filePath_);
    const QString folder = info.absolutePath();
    if (QFileInfo(folder).isDir() && !watcher_.directories().contains(folder))
        watcher_.addPath(folder);
}

void DocumentController::reloadIfChanged() {
    if (!open_)
        return;
    if (rendering_ || runner_.isRunning()) {
        // A render reads what would be thrown away, or a conversion reads the file: the reload
        // waits for it.
        reloadTimer_.start();
        return;
    }
    watchFile();
    // A file that is gone is waited for; one as it was (its folder changed) stays as shown.
    const QByteArray stamp = fileStamp(filePath_);
    if (stamp.isEmpty() || stamp == document_.stamp || !QFileInfo(filePath_).isFile())
        return;
    forgetPrefetched();
    document_ = {}; // the page, the scroll position and the password stay
    redraw();
}

void DocumentController::checkRegularFile() const {
    // A folder, a pipe or a device would keep Ghostscript waiting or failing; links are followed.
    const QFileInfo info(filePath_);
    if (!info.isFile() || !info.isReadable())
        throw Failure{
            FailureKind::FileAccess,
            QCoreApplication::translate("quillorn::viewer::DocumentController", "Cannot read ") +
                filePath_};
}

void DocumentController::prepareDocument() {
    if (!document_.input.isEmpty())
        return;
    checkRegularFile();
    const QFileInfo info(filePath_);
    document_.stamp = fileStamp(filePath_);
    QString input = filePath_;
    if (gs::isGzip(filePath_)) {
        // The copy keeps the name without ".gz"; caption and messages keep the user's path.
        QString name = info.fileName();
        if (name.endsWith(QLatin1String(".gz"), Qt::CaseInsensitive))
            name.chop(3);
        input = privateFolder().filePath(name.isEmpty() ? QStringLiteral("document") : name);
        gs::decompressGzip(filePath_, input, decompressedLimit_);
    }
    document_.eps = gs::isEps(filePath_);
    const std::optional<int> count = gs::cheapPageCount(input);
    if (count && *count > 0)
        document_.pageCount = count;
    document_.followsPageCount = pagesFollowPageCount(input);
    document_.orientation = gs::dscOrientationOf(input);
    document_.input = input;
}

QTemporaryDir& DocumentController::privateFolder() {
    if (!document_.folder)
        document_.folder = makePrivateFolder(QStringLiteral("KMW"));
    if (!document_.folder)
        throw noTemporaryFolder();
    return *document_.folder;
}

options::Options DocumentController::renderOptions() const {
    options::Options options = options_;
    options.resolution =
        static_cast<std::int16_t>(renderResolution(options_.resolution, surface_.pixelRatio()));
    return options;
}

QStringList DocumentController::arguments(gs::Arguments switches, const QString& output,
                                          qint32 page) const {
    // A page lying as its comments say is shown upright; the user's choice turns it further.
    const int lies =
        page > 0 ? document_.orientation.forPage(page) : document_.orientation.document;
    return renderRunArguments(std::move(switches), output, password_,
                              gs::combinedOrientation(lies, static_cast<int>(options_.orientation)),
                              document_.input);
}

} // namespace quillorn::viewer
