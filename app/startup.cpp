#include "app/startup.h"

#include "app/core/command_line.h"
#include "app/core/print_job.h"
#include "app/main_window.h"
#include "base/settings_store.h"
#include "base/temp_files.h"
#include "base/user_dialogs.h"
#include "convert/convert_dialog.h"
#include "options/core/options_store.h"

namespace quillorn::app {

Startup::Startup(UserDialogs& dialogs, QStringList arguments, int stdinFd, StartupHooks hooks)
    : dialogs_(dialogs), arguments_(std::move(arguments)), stdinFd_(stdinFd),
      hooks_(std::move(hooks)), messages_(dialogs) {}

Startup::~Startup() = default;

std::optional<int> Startup::run() {
    // Folders and files that earlier runs left behind when they were killed.
    sweepStaleTemporaries();
    if (const std::optional<gs::Revision> revision = binding_.revision())
        messages_.setProductName(revision->product);
    runner_.prepare();

    const SavedPrintJob job = savePrintJob(stdinFd_);
    if (!job.error.isEmpty()) {
        dialogs_.message(
            QStringLiteral("An unexpected error occured while saving the print job: ") + job.error,
            Icon::Critical, QStringLiteral("Error (please report)"));
        return 1;
    }

    const StartRequest request = decideRoad(!job.path.isEmpty(), joinCommandLine(arguments_));
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
            dialogs_.message(QStringLiteral("Cannot read the file to convert: no path follows "
                                            "/CONVERT:"),
                             Icon::Critical);
            return 1;
        }
        convertAlone(request.argument);
        messages_.unload();
        return 0;
    case Road::View:
        return showMainWindow(request.argument);
    case Road::Invalid:
        dialogs_.message(QStringLiteral("Invalid command line: ") + request.commandLine);
        break;
    case Road::Interactive:
        break;
    }
    return showMainWindow({});
}

std::optional<int> Startup::showMainWindow(const QString& document) {
    window_ = std::make_unique<MainWindow>(dialogs_, options_, messages_, binding_, runner_);
    if (hooks_.mainWindowCreated)
        hooks_.mainWindowCreated(*window_);
    if (!window_->start())
        return 0;
    if (!document.isNull())
        window_->loadFile(document);
    return std::nullopt;
}

void Startup::convertAlone(const QString& path, const QString& proposalBase) {
    options_ = options::readOptions(SettingsStore());
    convert::ConvertDialog::run(
        path, {dialogs_, options_, messages_, runner_, {}, nullptr, proposalBase});
}

} // namespace quillorn::app
