#include "viewer/core/document_controller.h"

#include "base/failure.h"
#include "base/message_log.h"
#include "base/number_rule.h"
#include "base/step_runner.h"
#include "base/temp_files.h"
#include "base/user_dialogs.h"
#include "gs/arguments.h"
#include "gs/runner.h"
#include "viewer/core/document_files.h"
#include "viewer/core/page_number.h"
#include "viewer/core/page_surface.h"
#include "viewer/core/render_arguments.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <limits>
#include <optional>
#include <sys/stat.h>

namespace quillorn::viewer {

namespace {

Failure noTemporaryFile() {
    return {FailureKind::FileAccess,
            QStringLiteral("Cannot create a temporary file in ") + qEnvironmentVariable("TMPDIR")};
}

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
    explicit Kept(QStringList& pieces) : pieces_(pieces) {}
    void addMessage(const QString& text) override { pieces_ << text; }

private:
    QStringList& pieces_;
};

} // namespace

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

DocumentController::~DocumentController() {
    // A page being rendered ahead reports to this controller: it must not outlive it.
    runner_.stopBackground();
}

void DocumentController::loadFile(QString path) {
    // Taken by value: the caller may pass our own path, which closing empties.
    closeDocument();
    open_ = true;
    filePath_ = std::move(path);
    currentPage_ = 1;
    watchFile();
    Q_EMIT captionChanged(kAppTitle + QStringLiteral(" - ") + filePath_);
    Q_EMIT statusChanged(QStringLiteral("Opened file ") + filePath_);
    redraw();
}

void DocumentController::openDocument() {
    const QString path = dialogs_.getOpenFileName(QStringLiteral("Open"), openFilter());
    if (!path.isEmpty())
        loadFile(path);
}

void DocumentController::closeDocument() {
    stop();
    forgetPrefetched();
    open_ = false;
    filePath_.clear();
    currentPage_ = 0;
    document_ = {};
    password_.clear();
    reloadTimer_.stop();
    if (!watcher_.files().isEmpty())
        watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty())
        watcher_.removePaths(watcher_.directories());
    surface_.setPicture(QImage());
    Q_EMIT captionChanged(kAppTitle);
    Q_EMIT statusChanged(QStringLiteral("Closed file"));
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
    if (!open_)
        return;
    const QString answer =
        dialogs_.getText(QStringLiteral("What page do you want to go to?"),
                         QStringLiteral("Page Number"), QString::number(currentPage_));
    const std::optional<qint16> page = pageFromAnswer(answer);
    if (!page)
        return;
    if (*page < 1 || (document_.pageCount && *page > *document_.pageCount)) {
        dialogs_.message(noPageText(*page), Icon::Information);
        return;
    }
    currentPage_ = *page;
    redraw();
}

QString DocumentController::noPageText(qint32 page) const {
    const QString text = QStringLiteral("There is no page %1 in this document").arg(page);
    if (!document_.pageCount)
        return text + u'.';
    return text + (*document_.pageCount == 1
                       ? QStringLiteral("; it has 1 page.")
                       : QStringLiteral("; it has %1 pages.").arg(*document_.pageCount));
}

void DocumentController::redraw() {
    if (!open_)
        return;
    if (rendering_) {
        // Called from the event loop of the running render: that one ends, this one follows.
        superseded_ = true;
        runner_.stop();
        return;
    }
    rendering_ = true;
    Q_EMIT renderingChanged(true);
    // The page asked for comes first: a page being rendered ahead gives way.
    prefetchTimer_.stop();
    runner_.stopBackground();
    do {
        superseded_ = false;
        render();
    } while (superseded_ && open_);
    rendering_ = false;
    Q_EMIT renderingChanged(false);
    // The next render finds a worker with the library loaded.
    runner_.prepare();
    if (open_ && prefetchOn_)
        prefetchTimer_.start();
}

// ---- pages ahead of need ----

void DocumentController::setPrefetch(bool on) {
    prefetchOn_ = on;
    if (!on)
        forgetPrefetched();
}

void DocumentController::forgetPrefetched() {
    prefetchTimer_.stop();
    runner_.stopBackground();
    cache_.clear();
    cachedBase_.clear();
    tried_.clear();
}

QString DocumentController::cacheBase() const {
    return QString::fromLatin1(document_.stamp) + u'\n' + document_.input + u'\n' +
           arguments(renderArgumentLine(renderOptions(), 0, document_.eps), QString()).join(u'\n');
}

void DocumentController::prefetch() {
    if (!open_ || rendering_ || runner_.isRunning() || runner_.isRunningInBackground() ||
        document_.input.isEmpty() || document_.allPages || document_.stamp != fileStamp(filePath_))
        return;
    const QString base = cacheBase();
    if (base != cachedBase_)
        return; // the settings changed since the page shown was drawn
    for (const qint32 page : {currentPage_ + 1, currentPage_ - 1}) {
        if (page < 1 || (document_.pageCount && page > *document_.pageCount))
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
        request.args = arguments(renderArgumentLine(renderOptions(), page, document_.eps),
                                 pagePattern(folder));
        // A page too large to show is no page to keep either.
        request.watchdog = [folder, limit = qint64(bitmapLimitMb_) * 1024 * 1024] {
            const std::optional<BitmapHeader> header = readBitmapHeader(pageFile(folder, 1));
            return header && header->decodedBytes() > limit ? QStringLiteral("too large")
                                                            : QString();
        };
        prefetchMessages_.clear();
        auto sink = std::make_shared<Kept>(prefetchMessages_);
        const qreal ratio = surface_.pixelRatio();
        const bool started = runner_.startInBackground(
            request, *sink, [this, sink, key, folder, ratio](const gs::RunResult& result) {
                std::optional<QImage> picture;
                if (result.end == gs::RunResult::End::Finished && pagesWritten(folder) == 1 &&
                    gs::passwordRequest(prefetchMessages_.join(QString())) ==
                        gs::PasswordRequest::None)
                    picture = loadPageBitmap(pageFile(folder, 1), bitmapLimitMb_);
                QDir(folder).removeRecursively();
                if (!picture) {
                    // Silent: the error shows when the user asks for that page.
                    tried_ << key;
                } else {
                    picture->setDevicePixelRatio(ratio);
                    cache_.insert(
                        {key, *picture, prefetchMessages_.join(QString()), !result.succeeded()});
                }
                prefetchMessages_.clear();
                prefetchTimer_.start(); // the next one, if any
            });
        if (!started)
            prefetchOn_ = false; // this runner cannot work in the background
        return;
    }
}

void DocumentController::stop() {
    if (rendering_)
        runner_.stop();
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
        // A render reads what would be thrown away, or a conversion has the runner: the reload
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
        throw Failure{FailureKind::FileAccess, QStringLiteral("Cannot read ") + filePath_};
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
    document_.input = input;
}

void DocumentController::countPdfPages() {
    if (document_.pageCount || document_.pageCountAsked || !gs::isPdf(document_.input))
        return;
    document_.pageCountAsked = true;
    gs::RunRequest request;
    request.args = gs::pdfPageCountArguments(document_.input, password_);
    QString said;
    request.onOutput = [&said](const QString& text) { said += text; };
    Unheard unheard;
    gs::RunResult result;
    try {
        result = runner_.run(request, unheard);
    } catch (const Failure&) {
        return; // the page's own run says what is wrong
    }
    if (result.end == gs::RunResult::End::Stopped) {
        surface_.setWaitingText(QString());
        if (!superseded_)
            Q_EMIT statusChanged(QStringLiteral("Redraw stopped"));
        throw Cancelled{};
    }
    const std::optional<int> count =
        result.succeeded() ? gs::pageCountFromOutput(said) : std::nullopt;
    if (count && *count > 0)
        document_.pageCount = count;
}

QTemporaryDir& DocumentController::privateFolder() {
    if (!document_.folder) {
        if (tempDirectory().isEmpty())
            throw noTemporaryFile();
        document_.folder =
            std::make_unique<QTemporaryDir>(privateTempTemplate(QStringLiteral("KMW")));
    }
    if (!document_.folder->isValid()) {
        document_.folder.reset();
        throw noTemporaryFile();
    }
    return *document_.folder;
}

// ---- the render ----

options::Options DocumentController::renderOptions() const {
    options::Options options = options_;
    options.resolution =
        static_cast<std::int16_t>(renderResolution(options_.resolution, surface_.pixelRatio()));
    return options;
}

QStringList DocumentController::arguments(const QString& line, const QString& output) const {
    QStringList args = gs::argumentList(line, output, document_.input);
    const QString input = args.takeLast();
    // A switch, so before the orientation's PostScript, which runs up to the input.
    if (!password_.isEmpty())
        args << QStringLiteral("-sPDFPassword=") + password_;
    return args << gs::orientationArguments(options_.orientation) << input;
}

gs::RunResult DocumentController::runGhostscript(const QString& line, const QString& output,
                                                 const QString& firstPage, QString& said) {
    for (;;) {
        said.clear();
        gs::RunRequest request;
        request.args = arguments(line, output);
        request.onOutput = [&said](const QString& text) {
            if (said.size() < (1 << 20))
                said += text;
        };
        // The header comes first: a page too large to show is refused before Ghostscript
        // has written gigabytes of it.
        request.watchdog = [&] {
            const std::optional<BitmapHeader> header = readBitmapHeader(firstPage);
            if (!header || header->decodedBytes() <= qint64(bitmapLimitMb_) * 1024 * 1024)
                return QString();
            return QStringLiteral("The page is too large to show at %1 dots per inch "
                                  "(%2 x %3 pixels); choose a lower resolution")
                .arg(options_.resolution)
                .arg(header->width)
                .arg(header->height);
        };
        gs::RunResult result = runner_.run(request, messages_);
        switch (result.end) {
        case gs::RunResult::End::Finished:
            break;
        case gs::RunResult::End::Stopped:
            surface_.setWaitingText(QString());
            if (!superseded_)
                Q_EMIT statusChanged(QStringLiteral("Redraw stopped"));
            throw Cancelled{};
        case gs::RunResult::End::Refused:
            throw Failure{FailureKind::Internal, result.reason};
        case gs::RunResult::End::OutOfMemory:
            throw Failure{FailureKind::OutOfMemory,
                          gs::describeEnd(result, runner_.memoryLimit()) +
                              QStringLiteral(" while drawing page %1").arg(currentPage_)};
        case gs::RunResult::End::Crashed:
            throw Failure{FailureKind::Internal, gs::describeEnd(result, runner_.memoryLimit())};
        }
        const gs::PasswordRequest asked = gs::passwordRequest(said);
        if (asked == gs::PasswordRequest::None || superseded_)
            return result;
        const QString name = QFileInfo(filePath_).fileName();
        const QString password = dialogs_.getPassword(
            asked == gs::PasswordRequest::Refused
                ? QStringLiteral("The password did not work. Please type the password of %1:")
                      .arg(name)
                : QStringLiteral("%1 is protected by a password. Please type it:").arg(name),
            QStringLiteral("Password"));
        if (password.isEmpty())
            return result; // the usual question follows
        password_ = password;
        document_.pageCountAsked = false; // the count can be had now
    }
}

void DocumentController::keepAllPages(QString& said) {
    const QString folder = privateFolder().filePath(QStringLiteral("pages"));
    const QString line = documentArgumentLine(renderOptions(), document_.eps);
    if (!document_.keptPagesArgs.isEmpty() &&
        document_.keptPagesArgs == arguments(line, pagePattern(folder)))
        return;
    document_.keptPagesArgs.clear();
    document_.keptPages = 0;
    QDir(folder).removeRecursively();
    if (!QDir().mkpath(folder))
        throw noTemporaryFile();
    const gs::RunResult result =
        runGhostscript(line, pagePattern(folder), pageFile(folder, 1), said);
    document_.keptPages = pagesWritten(folder);
    document_.keptPagesFailed = !result.succeeded();
    document_.keptPagesArgs = arguments(line, pagePattern(folder));
    // What a run over all pages writes is the document's true number of pages.
    if (document_.keptPages > 0)
        document_.pageCount = document_.keptPages;
}

void DocumentController::render() {
    const BusyCursor busy(dialogs_);
    // The page goes into a new file in a private folder, removed however the redraw ends. A
    // new file, since Ghostscript overwriting an existing one (even an empty one) makes the file
    // system write it back to disk at once, which costs more than the whole load.
    std::optional<QTemporaryDir> folder;
    QElapsedTimer timer;
    qint32 page = currentPage_;
    bool documentReady = false;
    QString said;        // what Ghostscript said in this render
    QString picturePath; // the file that holds the page
    bool withErrors = false;
    QString missingPage; // the document has no such page
    const std::int16_t resolution = options_.resolution;
    std::optional<QImage> cached; // the page, rendered ahead of need

    const StepRunner runner(dialogs_, QStringLiteral("redrawing"), [&](const Failure&) {
        if (!missingPage.isEmpty()) {
            dialogs_.message(missingPage, Icon::Information);
            return StepRunner::NoOutputChoice::GoOn;
        }
        if (dialogs_.ask(QStringLiteral("It looks like an error occurred within the PostScript "
                                        "conversion program. Would you like to take a look at "
                                        "the messages?"),
                         Buttons::YesNo, Icon::Information, QStringLiteral("Error in conversion"),
                         gs::firstErrorLine(said)) == Answer::Yes)
            messages_.showMessages();
        return StepRunner::NoOutputChoice::GoOn;
    });
    const StepRunner::Step steps[] = {
        [&] {
            surface_.setPicture(QImage());
            surface_.setPictureVisible(false);
        },
        [&] { checkRegularFile(); },
        [&] { surface_.setWaitingText(kWaitingText); },
        [&] { Q_EMIT statusChanged(kWaitingText); },
        [&] {
            try {
                prepareDocument();
                countPdfPages();
            } catch (const Failure&) {
                surface_.setWaitingText(QString()); // the box says why nothing is drawn
                throw;
            }
            documentReady = true;
            // A document rewritten with fewer pages shows its last one.
            if (document_.pageCount && page > *document_.pageCount)
                page = currentPage_ = *document_.pageCount;
        },
        [&] {
            if (tempDirectory().isEmpty())
                throw noTemporaryFile();
            folder.emplace(privateTempTemplate(QStringLiteral("KMW")));
            if (!folder->isValid())
                throw noTemporaryFile();
        },
        [&] {
            if (options_.media == options::kCustomMedia)
                dialogs_.message(QStringLiteral("Custom paper sizes not done yet!"));
        },
        [&] { timer.start(); },
        [&] {
            // Nothing for Ghostscript to read, or nowhere for it to put the page.
            if (!documentReady)
                throw Failure{FailureKind::NoOutput, QStringLiteral("Cannot read ") + filePath_};
            if (!folder || !folder->isValid())
                throw noTemporaryFile();
            // Page 1 of a document that counts its pages comes out right all the same.
            if (document_.followsPageCount && page > 1)
                document_.allPages = true;
            // Pages rendered ahead for other settings or another state of the file are of no use.
            const QString base = cacheBase();
            if (base != cachedBase_) {
                cache_.clear();
                tried_.clear();
                cachedBase_ = base;
            }
            if (!document_.allPages && document_.stamp == fileStamp(filePath_)) {
                if (const CachedPage* hit = cache_.find(base + QStringLiteral("\n#%1").arg(page))) {
                    cached = hit->picture;
                    withErrors = hit->withErrors;
                    // What Ghostscript said about the page reaches the log now that it is shown.
                    messages_.addMessage(hit->messages);
                    return;
                }
            }
            if (!document_.allPages) {
                const gs::RunResult result =
                    runGhostscript(renderArgumentLine(renderOptions(), page, document_.eps),
                                   pagePattern(folder->path()), pageFile(folder->path(), 1), said);
                const int shipped = pagesWritten(folder->path());
                const bool clean = result.succeeded() && gs::firstErrorLine(said).isEmpty();
                if (shipped == 1) {
                    picturePath = pageFile(folder->path(), 1);
                    withErrors = !result.succeeded();
                    return;
                }
                // Several pages for one, or none for a page the document has: the document
                // decides itself which pages it makes, and the range missed.
                if (shipped > 1 || (shipped == 0 && clean && document_.pageCount &&
                                    page <= *document_.pageCount)) {
                    document_.allPages = true;
                } else {
                    if (shipped == 0 && clean && page != 1)
                        missingPage = noPageText(page);
                    return;
                }
            }
            keepAllPages(said);
            if (document_.keptPages == 0)
                return;
            if (page > document_.keptPages) {
                // Fewer pages than the document claimed: the last one is shown.
                dialogs_.message(noPageText(page), Icon::Information);
                page = currentPage_ = document_.keptPages;
            }
            picturePath = pageFile(privateFolder().filePath(QStringLiteral("pages")), page);
            withErrors = document_.keptPagesFailed;
        },
        [&] { surface_.setWaitingText(QString()); },
        [&] {
            std::optional<QImage> picture = cached;
            if (!picture && !picturePath.isEmpty())
                picture = loadPageBitmap(picturePath, bitmapLimitMb_);
            if (!picture)
                throw Failure{FailureKind::NoOutput, QStringLiteral("Invalid picture")};
            shownResolution_ = resolution;
            picture->setDevicePixelRatio(surface_.pixelRatio());
            surface_.setPicture(*picture);
            Q_EMIT pageShown(page, document_.pageCount.value_or(0));
        },
        [&] { surface_.setPictureVisible(true); },
        [&] {
            if (!folder)
                return;
            for (int n = pagesWritten(folder->path()); n > 0; --n)
                if (!QFile::remove(pageFile(folder->path(), n)))
                    throw Failure{FailureKind::FileAccess,
                                  QStringLiteral("Cannot delete ") + pageFile(folder->path(), n)};
        },
        [&] {
            Q_EMIT statusChanged(
                withErrors ? QStringLiteral("Redrawn with errors, see File > Show Messages")
                           : (cached ? QStringLiteral("Redrawn from the cache, took ")
                                     : QStringLiteral("Redrawn, took ")) +
                                 secondsText(static_cast<double>(timer.elapsed()) / 1000.0) +
                                 QStringLiteral(" seconds"));
        },
    };
    runner.run(steps);
}

} // namespace quillorn::viewer
