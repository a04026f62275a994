#include "viewer/core/page_controller.h"

#include "app/core/message_log.h"
#include "app/core/services.h"
#include "gs/gsapi_binding.h"
#include "viewer/core/document_files.h"
#include "viewer/core/gs_arguments.h"
#include "viewer/core/page_number.h"
#include "viewer/core/page_surface.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>

namespace quillorn::viewer {

namespace {

// A failed step of the redraw, numbered like the binding's errors.
struct StepError {
    int code;
    QString description;
};

// The busy pointer for the length of a redraw, however it ends.
class BusyPointer {
public:
    explicit BusyPointer(WindowServices& services) : services_(services) {
        services_.SetBusy(true);
    }
    ~BusyPointer() { services_.SetBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    WindowServices& services_;
};

StepError NoTemporaryFile() {
    // Qt names no directory when the one asked for does not exist.
    QString dir = QDir::tempPath();
    if (dir.isEmpty())
        dir = qEnvironmentVariable("TMPDIR");
    return {kErrFileAccess, QStringLiteral("Cannot create a temporary file in ") + dir};
}

} // namespace

PageController::PageController(WindowServices& services, options::Options& options,
                               MessagesWindow& messages, PageSurface& surface)
    : services_(services), options_(options), messages_(messages), surface_(surface) {}

void PageController::LoadFile(const QString& strFileName) {
    // Copied first: the caller may pass our own strFile, which closing empties.
    const QString path = strFileName;
    CloseDocument();
    blnFileOpen_ = true;
    strFile_ = path;
    lngCurrentPage_ = 1;
    surface_.SetCaption(kAppTitle + QStringLiteral(" - ") + strFile_);
    surface_.SetStatus(QStringLiteral("Opened file ") + strFile_);
    Redraw();
}

void PageController::OpenDocument() {
    const QString path = services_.OpenFileDialog(QStringLiteral("Open"), OpenFilter());
    if (!path.isEmpty())
        LoadFile(path);
}

void PageController::CloseDocument() {
    blnFileOpen_ = false;
    strFile_.clear();
    lngCurrentPage_ = 0;
    surface_.SetPicture(QImage());
    surface_.SetCaption(kAppTitle);
    surface_.SetStatus(QStringLiteral("Closed file"));
}

void PageController::NextPage() {
    // Pages are not bounded, but a page number past the 32-bit range has no meaning.
    if (!blnFileOpen_ || lngCurrentPage_ == std::numeric_limits<qint32>::max())
        return;
    ++lngCurrentPage_;
    Redraw();
}

void PageController::PreviousPage() {
    if (!blnFileOpen_ || lngCurrentPage_ == std::numeric_limits<qint32>::min())
        return;
    --lngCurrentPage_;
    Redraw();
}

void PageController::GotoPage() {
    if (!blnFileOpen_)
        return;
    const QString answer =
        services_.InputBox(QStringLiteral("What page do you want to go to?"),
                           QStringLiteral("Page Number"), QString::number(lngCurrentPage_));
    const std::optional<qint16> page = PageFromAnswer(answer);
    if (!page || *page == 0)
        return;
    lngCurrentPage_ = *page;
    Redraw();
}

bool PageController::RunStep(const std::function<void()>& step) {
    for (;;) {
        int code = 0;
        QString description;
        try {
            step();
            return true;
        } catch (const StepError& e) {
            code = e.code;
            description = e.description;
        } catch (const gs::LibraryError& e) {
            code = e.Code();
            description = e.Description();
        } catch (const std::bad_alloc&) {
            code = kErrOutOfMemory;
            description = QStringLiteral("Out of memory");
        } catch (const std::exception& e) {
            code = kErrInternal;
            description = QString::fromLocal8Bit(e.what());
        }
        if (code == kErrNoPicture) {
            const int answer = services_.MsgBox(
                QStringLiteral("It looks like an error occured within the PostScript conversion "
                               "program. Would you like to take a look at the messages?"),
                mb::YesNo | mb::Information, QStringLiteral("Error in conversion"));
            if (answer == mb::Yes)
                messages_.ShowModeless();
            return true;
        }
        const int answer = services_.MsgBox(
            QStringLiteral("An unexpected error occured while redrawing: ") + description +
                QStringLiteral(" (") + QString::number(code) + QStringLiteral(")"),
            mb::AbortRetryIgnore | mb::Exclamation, QStringLiteral("Error (please report)"));
        if (answer == mb::Retry)
            continue;
        // Closing the box without a choice counts as Abort.
        return answer == mb::Ignore;
    }
}

void PageController::Redraw() {
    if (!blnFileOpen_)
        return;

    BusyPointer busy(services_);
    // The page goes into a new file in a private directory, removed however the redraw ends,
    // Abort included. A new file, since Ghostscript overwriting an existing one (even an empty
    // one) makes the file system write it back to disk at once, which costs more than the
    // whole load of the page.
    std::optional<QTemporaryDir> tempDir;
    QString tempPath;
    QString line;
    QStringList args;
    float start = 0.0f;

    const auto steps = {
        std::function<void()>([&] {
            surface_.SetPicture(QImage());
            surface_.SetPictureVisible(false);
        }),
        std::function<void()>([&] { surface_.SetWaitingText(kWaitingText); }),
        std::function<void()>([&] { surface_.SetStatus(kWaitingText); }),
        std::function<void()>([&] {
            const QString dir = QDir::tempPath();
            if (dir.isEmpty())
                throw NoTemporaryFile();
            tempDir.emplace(dir + QStringLiteral("/KMWXXXXXX"));
            if (!tempDir->isValid())
                throw NoTemporaryFile();
            tempPath = tempDir->filePath(QStringLiteral("page.bmp"));
        }),
        std::function<void()>(
            [&] { line = RenderArgumentLine(options_, lngCurrentPage_, services_); }),
        std::function<void()>(
            [&] { args = ArgumentList(line, LiteralOutputPath(tempPath), strFile_); }),
        std::function<void()>([&] { start = services_.Timer(); }),
        std::function<void()>([&] {
            // Without a file of our own Ghostscript would have nowhere to put the page.
            if (tempPath.isEmpty())
                throw NoTemporaryFile();
            gs::RunGhostscript(args);
        }),
        std::function<void()>([&] { surface_.SetWaitingText(QString()); }),
        std::function<void()>([&] {
            std::optional<QImage> page = LoadPageBitmap(tempPath, bitmapLimitMb_);
            if (!page)
                throw StepError{kErrNoPicture, QStringLiteral("Invalid picture")};
            surface_.SetPicture(*page);
        }),
        std::function<void()>([&] { surface_.SetPictureVisible(true); }),
        std::function<void()>([&] {
            if (tempPath.isEmpty() || !QFile::exists(tempPath))
                return;
            if (!QFile::remove(tempPath))
                throw StepError{kErrFileAccess, QStringLiteral("Cannot delete ") + tempPath};
        }),
        std::function<void()>([&] {
            const float end = services_.Timer();
            surface_.SetStatus(RedrawnText(ElapsedSeconds(start, end)));
        }),
    };
    for (const auto& step : steps) {
        if (!RunStep(step))
            return;
    }
}

} // namespace quillorn::viewer
