#pragma once

#include <QStringList>
#include <functional>
#include <memory>

class QWidget;

namespace quillorn {
class MessagesHost;
class WindowServices;
} // namespace quillorn

namespace quillorn::app {

class frmMain;

struct MainHooks {
    // Runs once the main window exists, before its start-up.
    std::function<void(frmMain&)> mainWindowCreated;
};

// The program's start: a print job on stdinFd, "/CONVERT:", "/VIEW:" or nothing, decided in that
// order. arguments are the program's arguments after its own name and Qt's options. Returns the
// main window when one was shown (the program then runs as long as it is open), otherwise null
// when the program is done. A print job ends the program through services.EndProgram.
std::unique_ptr<frmMain> Main(const QStringList& arguments, int stdinFd, WindowServices& services,
                              MessagesHost& messages, const MainHooks& hooks = {});

// The conversion dialog without the main window, with the user's stored options read (never
// written), so that these conversions honour "Safer", the paper size and fixed media.
void StandaloneConversion(const QString& path, WindowServices& services, MessagesHost& messages);

} // namespace quillorn::app
