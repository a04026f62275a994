#pragma once

#include "app/core/command_line.h"
#include "app/messages_window.h"
#include "gs/api.h"
#include "gs/worker_runner.h"
#include "options/core/options.h"

#include <QByteArrayList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

namespace quillorn {
class UserDialogs;
}

namespace quillorn::app {

class MainWindow;
class TerminationSignals;

struct StartupHooks {
    // Runs once the main window exists, before its start-up.
    std::function<void(MainWindow&)> mainWindowCreated;
};

// The program's start and what it owns for the whole run: the options, the Ghostscript binding,
// the message log and the main window. The start takes one of the roads decideRoad() names:
// "--help" and "--version" print and end ("--no-splash" anywhere only leaves the splash out);
// then a print job on standard input, "/CONVERT:",
// "/VIEW:" or a file, or nothing.
// SIGTERM, SIGINT and SIGHUP end the run as Exit does: the run in progress is stopped, every
// dialog is closed as Cancel (or Escape) would close it, and the main window closes with its
// usual shutdown.
class Startup {
public:
    // arguments are the program's arguments after its own name and Qt's options, as the bytes
    // the system passed.
    Startup(UserDialogs& dialogs, QByteArrayList arguments, int stdinFd, StartupHooks hooks = {});
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
    std::optional<int> showMainWindow(const StartRequest& request);
    // The conversion dialog without the main window, with the user's stored options read (never
    // written), so that these conversions honour "Safer", the paper size and fixed media.
    // proposalBase: what the output names are proposed from, when not the input's own name.
    void convertAlone(const QString& path, const QString& proposalBase = {});
    // One step of the end a termination signal asked for; repeated until the program has ended.
    void endStep();

    UserDialogs& dialogs_;
    QByteArrayList arguments_;
    int stdinFd_;
    StartupHooks hooks_;
    bool noSplash_ = false; // "--no-splash" was given
    options::Options options_;
    gs::Binding binding_;
    gs::WorkerRunner runner_;
    MessagesWindow messages_;
    OpenablePaths openablePaths_;
    std::unique_ptr<TerminationSignals> signals_;
    QTimer ending_;
    // Last, so it goes first: its shutdown still uses the runner and the messages window.
    std::unique_ptr<MainWindow> window_;
};

} // namespace quillorn::app
