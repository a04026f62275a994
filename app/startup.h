#pragma once

#include "app/messages_window.h"
#include "gs/api.h"
#include "gs/worker_runner.h"
#include "options/core/options.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace quillorn {
class UserDialogs;
}

namespace quillorn::app {

class MainWindow;

struct StartupHooks {
    // Runs once the main window exists, before its start-up.
    std::function<void(MainWindow&)> mainWindowCreated;
};

// The program's start and what it owns for the whole run: the options, the Ghostscript binding,
// the message log and the main window. The start takes one of four roads, decided in this
// order: a print job on standard input, "/CONVERT:", "/VIEW:", or nothing.
class Startup {
public:
    // arguments are the program's arguments after its own name and Qt's options.
    Startup(UserDialogs& dialogs, QStringList arguments, int stdinFd, StartupHooks hooks = {});
    ~Startup();
    Startup(const Startup&) = delete;
    Startup& operator=(const Startup&) = delete;

    // Takes the road. Returns the exit code when the program is done; nothing when the main
    // window is open and the program runs as long as it is.
    std::optional<int> run();

    MainWindow* mainWindow() const { return window_.get(); }
    MessagesWindow& messages() { return messages_; }
    const options::Options& options() const { return options_; }

private:
    std::optional<int> showMainWindow(const QString& document);
    // The conversion dialog without the main window, with the user's stored options read (never
    // written), so that these conversions honour "Safer", the paper size and fixed media.
    // proposalBase: what the output names are proposed from, when not the input's own name.
    void convertAlone(const QString& path, const QString& proposalBase = {});

    UserDialogs& dialogs_;
    QStringList arguments_;
    int stdinFd_;
    StartupHooks hooks_;
    options::Options options_;
    gs::Binding binding_;
    gs::WorkerRunner runner_;
    MessagesWindow messages_;
    std::unique_ptr<MainWindow> window_;
};

} // namespace quillorn::app
