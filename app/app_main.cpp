#include "app/app_main.h"

#include "app/core/command_line.h"
#include "app/core/print_job.h"
#include "app/core/services.h"
#include "app/core/settings_store.h"
#include "app/core/temp_file.h"
#include "app/frmMain.h"
#include "app/messages_host.h"
#include "convert/frmConvert.h"
#include "options/core/options.h"
#include "options/core/options_store.h"

namespace quillorn::app {

namespace {
std::unique_ptr<frmMain> ShowMainWindow(WindowServices& services, MessagesHost& messages,
                                        const MainHooks& hooks) {
    auto window = std::make_unique<frmMain>(services, messages);
    if (hooks.mainWindowCreated)
        hooks.mainWindowCreated(*window);
    window->Form_Load();
    return window;
}
} // namespace

void StandaloneConversion(const QString& path, WindowServices& services, MessagesHost& messages) {
    {
        const SettingsStore store;
        options::TheOptions() = options::ReadStoredOptions(store);
    }
    convert::ConvertDialog(
        path, convert::ConvertContext{services, options::TheOptions(), messages, {}, {}, nullptr});
}

std::unique_ptr<frmMain> Main(const QStringList& arguments, int stdinFd, WindowServices& services,
                              MessagesHost& messages, const MainHooks& hooks) {
    const SavedPrintJob job = SavePrintJob(stdinFd);
    if (!job.error.isEmpty()) {
        services.MsgBox(QStringLiteral("An unexpected error occured while saving the print job: ") +
                            job.error,
                        mb::OkOnly | mb::Critical, QStringLiteral("Error (please report)"));
        services.EndProgram(1);
    }

    const StartRequest request = DecideRoad(!job.path.isEmpty(), JoinCommandLine(arguments));
    switch (request.road) {
    case Road::PrintJob: {
        TempFileGuard guard(job.path);
        StandaloneConversion(job.path, services, messages);
    }
        messages.Unload();
        services.EndProgram(0);
        return nullptr; // not reached
    case Road::Convert:
        StandaloneConversion(request.argument, services, messages);
        messages.Unload();
        return nullptr;
    case Road::View: {
        auto window = ShowMainWindow(services, messages, hooks);
        window->LoadFile(request.argument);
        return window;
    }
    case Road::Invalid:
        services.MsgBox(QStringLiteral("Invalid command line: ") + request.commandLine, mb::OkOnly);
        return ShowMainWindow(services, messages, hooks);
    case Road::Interactive:
        break;
    }
    return ShowMainWindow(services, messages, hooks);
}

} // namespace quillorn::app
