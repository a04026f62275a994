#include "app/startup.h"

#include "app/core/print_job.h"
#include "app/core/termination_signals.h"
#include "app/core/view_settings.h"
#include "app/main_window.h"
#include "base/settings_store.h"
#include "base/temp_files.h"
#include "base/user_dialogs.h"
#include "convert/convert_dialog.h"
#include "options/core/options_store.h"
#include "options/core/paper.h"

#include <QApplication>
#include <QCoreApplication>
#include <cstdio>

namespace quillorn::app {

namespace {
void printOut(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}
} // namespace

Startup::Startup(UserDialogs& dialogs, QByteArrayList arguments, int stdinFd, StartupHooks hooks)
    : dialogs_(dialogs), arguments_(std::move(arguments)), stdinFd_(stdinFd),
      hooks_(std::move(hooks)), messages_(dialogs) {
    ending_.setInterval(20);
    QObject::connect(&ending_, &QTimer::timeout, &ending_, [this] { endStep(); });
}

Startup::~Startup() = default;

std::optional<int> Startup::run() {
    noSplash_ = takeNoSplash(arguments_);
    if (const StartRequest info = decideRoad(false, arguments_);
        info.road == Road::Help || info.road == Road::Version) {
        printOut(info.road == Road::Help ? usageText() : versionLine());
        return 0;
    }
    signals_ = std::make_unique<TerminationSignals>();
    QObject::connect(signals_.get(), &TerminationSignals::received, signals_.get(), [this] {
        endStep();
        ending_.start();
    });
    // Folders and files that earlier runs left behind when they were killed.
    sweepStaleTemporaries();
    if (const QString note = setAsideOversizedStore(SettingsStore::userFileName()); !note.isEmpty())
        dialogs_.message(note, Icon::Warning);
    if (const std::optional<gs::Revision> revision = binding_.revision())
        messages_.setProductName(revision->product);
    runner_.prepare();

    const SavedPrintJob job = savePrintJob(stdinFd_, signals_->pendingFd());
    if (job.stopped)
        return 0;
    if (!job.error.isEmpty()) {
        dialogs_.message(
            QCoreApplication::translate(
                "quillorn::app", "An unexpected error occurred while saving the print job: ") +
                job.error,
            Icon::Critical, QCoreApplication::translate("quillorn::app", "Error (please report)"));
        return 1;
    }

    const StartRequest request = decideRoad(!job.path.isEmpty(), arguments_, namesFile);
    switch (request.road) {
    case Road::PrintJob: {
        const TempFileGuard guard(job.path);
        // Its output belongs with the user's documents, not beside the temporary job.
        convertAlone(job.path, printJobProposal(job.path));
        messages_.unload();
        return 0;
    }
    case Road::Convert:
        // An empty path would propose an output named only by its ending, in whatever folder
        // the program was started from.
        if (request.argument.trimmed().isEmpty()) {
            dialogs_.message(
                QCoreApplication::translate("quillorn::app",
                                            "Cannot read the file to convert: no path follows "
                                            "/CONVERT:"),
                Icon::Critical);
            return 1;
        }
        convertAlone(openablePaths_.openable(request.rawArgument),
                     OpenablePaths::outputBase(request.rawArgument));
        messages_.unload();
        return 0;
    case Road::View:
        return showMainWindow(request);
    case Road::Invalid:
        dialogs_.message(QCoreApplication::translate("quillorn::app", "Invalid command line: ") +
                         request.commandLine);
        break;
    case Road::Help:
    case Road::Version:
    case Road::Interactive:
        break;
    }
    return showMainWindow({});
}

std::optional<int> Startup::showMainWindow(const StartRequest& request) {
    window_ = std::make_unique<MainWindow>(dialogs_, options_, messages_, binding_, runner_);
    if (hooks_.mainWindowCreated)
        hooks_.mainWindowCreated(*window_);
    if (noSplash_)
        window_->leaveOutSplash();
    // The document is opened while the splash shows: its first page is drawn meanwhile.
    if (!window_->start())
        return 0;
    if (request.road == Road::View)
        window_->loadFile(openablePaths_.openable(request.rawArgument),
                          OpenablePaths::outputBase(request.rawArgument));
    // A signal that came during the start has closed the window already, before the event loop.
    if (ending_.isActive() && !window_->isVisible())
        return 0;
    return std::nullopt;
}

void Startup::convertAlone(const QString& path, const QString& proposalBase) {
    options_ = options::readOptions(SettingsStore(), options::systemDefaultMedia());
    convert::ConvertDialog::run(
        path, {dialogs_, options_, messages_, runner_, {}, nullptr, proposalBase});
}

void Startup::endStep() {
    runner_.stop();
    if (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        return;
    }
    // Each dialog answers as Cancel or Escape would: Abort, No, Cancel.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
        return;
    }
    // Nothing waits inside the main window: it closes at once, and its runs end with it. What
    // it cannot save is said on standard error, since nobody may be there to answer a box.
    if (window_ && window_->isVisible()) {
        window_->setEndingBySignal();
        window_->close();
    }
}

} // namespace quillorn::app
