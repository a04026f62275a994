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

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <limits>
#include <optional>

namespace quillorn::viewer {

namespace {
Failure noTemporaryFile() {
    return {FailureKind::FileAccess,
            QStringLiteral("Cannot create a temporary file in ") + qEnvironmentVariable("TMPDIR")};
}
} // namespace

DocumentController::DocumentController(UserDialogs& dialogs, const options::Options& options,
                                       Messages& messages, gs::Runner& runner, PageSurface& surface,
                                       QObject* parent)
    : QObject(parent), dialogs_(dialogs), options_(options), messages_(messages), runner_(runner),
      surface_(surface) {}

void DocumentController::loadFile(QString path) {
    // Taken by value: the caller may pass our own path, which closing empties.
    closeDocument();
    open_ = true;
    filePath_ = std::move(path);
    currentPage_ = 1;
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
    open_ = false;
    filePath_.clear();
    currentPage_ = 0;
    surface_.setPicture(QImage());
    Q_EMIT captionChanged(kAppTitle);
    Q_EMIT statusChanged(QStringLiteral("Closed file"));
}

void DocumentController::nextPage() {
    // Pages are not bounded, but a page number past the 32-bit range has no meaning.
    if (!open_ || currentPage_ == std::numeric_limits<qint32>::max())
        return;
    ++currentPage_;
    redraw();
}

void DocumentController::previousPage() {
    if (!open_ || currentPage_ == std::numeric_limits<qint32>::min())
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
    if (!page || *page == 0)
        return;
    currentPage_ = *page;
    redraw();
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
    do {
        superseded_ = false;
        render();
    } while (superseded_ && open_);
    rendering_ = false;
    Q_EMIT renderingChanged(false);
    // The next render finds a worker with the library loaded.
    runner_.prepare();
}

void DocumentController::stop() {
    if (rendering_)
        runner_.stop();
}

void DocumentController::render() {
    const BusyCursor busy(dialogs_);
    // The page goes into a new file in a private folder, removed however the redraw ends. A
    // new file, since Ghostscript overwriting an existing one (even an empty one) makes the file
    // system write it back to disk at once, which costs more than the whole load.
    std::optional<QTemporaryDir> folder;
    QString pagePath;
    QString line;
    QStringList args;
    QElapsedTimer timer;
    const qint32 page = currentPage_;
    const std::int16_t resolution = options_.resolution;

    const StepRunner runner(dialogs_, QStringLiteral("redrawing"), [this](const Failure&) {
        if (dialogs_.ask(QStringLiteral("It looks like an error occured within the PostScript "
                                        "conversion program. Would you like to take a look at "
                                        "the messages?"),
                         Buttons::YesNo, Icon::Information,
                         QStringLiteral("Error in conversion")) == Answer::Yes)
            messages_.showMessages();
        return StepRunner::NoOutputChoice::GoOn;
    });
    const StepRunner::Step steps[] = {
        [&] {
            surface_.setPicture(QImage());
            surface_.setPictureVisible(false);
        },
        [&] { surface_.setWaitingText(kWaitingText); },
        [&] { Q_EMIT statusChanged(kWaitingText); },
        [&] {
            if (tempDirectory().isEmpty())
                throw noTemporaryFile();
            folder.emplace(privateTempTemplate(QStringLiteral("KMW")));
            if (!folder->isValid())
                throw noTemporaryFile();
            pagePath = folder->filePath(QStringLiteral("page.bmp"));
        },
        [&] {
            if (options_.media == options::kCustomMedia)
                dialogs_.message(QStringLiteral("Custom paper sizes not done yet!"));
            line = renderArgumentLine(options_, page);
        },
        [&] { args = gs::argumentList(line, gs::literalOutputPath(pagePath), filePath_); },
        [&] { timer.start(); },
        [&] {
            // Without a folder of our own Ghostscript would have nowhere to put the page.
            if (pagePath.isEmpty())
                throw noTemporaryFile();
            gs::RunRequest request;
            request.args = args;
            // The header comes first: a page too large to show is refused before Ghostscript
            // has written gigabytes of it.
            request.watchdog = [&] {
                const std::optional<BitmapHeader> header = readBitmapHeader(pagePath);
                if (!header || header->decodedBytes() <= qint64(bitmapLimitMb_) * 1024 * 1024)
                    return QString();
                return QStringLiteral("The page is too large to show at %1 dots per inch "
                                      "(%2 x %3 pixels); choose a lower resolution")
                    .arg(options_.resolution)
                    .arg(header->width)
                    .arg(header->height);
            };
            const gs::RunResult result = runner_.run(request, messages_);
            switch (result.end) {
            case gs::RunResult::End::Finished:
                return;
            case gs::RunResult::End::Stopped:
                QFile::remove(pagePath);
                surface_.setWaitingText(QString());
                if (!superseded_)
                    Q_EMIT statusChanged(QStringLiteral("Redraw stopped"));
                throw Cancelled{};
            case gs::RunResult::End::Refused:
                QFile::remove(pagePath);
                throw Failure{FailureKind::Internal, result.reason};
            case gs::RunResult::End::OutOfMemory:
                throw Failure{FailureKind::OutOfMemory,
                              gs::describeEnd(result, runner_.memoryLimit()) +
                                  QStringLiteral(" while drawing page %1").arg(page)};
            case gs::RunResult::End::Crashed:
                throw Failure{FailureKind::Internal,
                              gs::describeEnd(result, runner_.memoryLimit())};
            }
        },
        [&] { surface_.setWaitingText(QString()); },
        [&] {
            const std::optional<QImage> picture = loadPageBitmap(pagePath, bitmapLimitMb_);
            if (!picture)
                throw Failure{FailureKind::NoOutput, QStringLiteral("Invalid picture")};
            shownResolution_ = resolution;
            surface_.setPicture(*picture);
            Q_EMIT pageShown(page, 0);
        },
        [&] { surface_.setPictureVisible(true); },
        [&] {
            if (pagePath.isEmpty() || !QFile::exists(pagePath))
                return;
            if (!QFile::remove(pagePath))
                throw Failure{FailureKind::FileAccess, QStringLiteral("Cannot delete ") + pagePath};
        },
        [&] {
            Q_EMIT statusChanged(QStringLiteral("Redrawn, took ") +
                                 secondsText(static_cast<double>(timer.elapsed()) / 1000.0) +
                                 QStringLiteral(" seconds"));
        },
    };
    runner.run(steps);
}

} // namespace quillorn::viewer
