#pragma once

#include "base/user_dialogs.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace quillorn::system {

// A Ghostscript library installed where the system loader does not look.
struct InstalledLibrary {
    QString path;    // empty when none was found
    QString version; // from the file name: "10.0.0" for libgs.so.10.0.0
};

// /usr/local/lib, /usr/local/lib64, /opt/ghostscript/lib and ~/.local/lib.
QStringList defaultLibrarySearchDirectories();

// The first directory holding a libgs.so.N gives the library; within one directory the highest
// version wins.
InstalledLibrary findInstalledLibrary(const QStringList& directories);

// The name the copy gets in the private directory: one the binding always tries there.
inline const QString kPrivateLibraryName = QStringLiteral("libgs.so");

// Copies the library into the directory (created when missing) as kPrivateLibraryName,
// replacing an earlier copy. The empty text on success, otherwise the reason.
QString copyLibrary(const QString& source, const QString& directory);

// What the package manager answered.
struct InstallResult {
    bool ok = false;
    QString error; // why nothing was installed; empty when ok
};

// The user's side of the wait for the package manager: a window saying what is being waited for,
// with a Cancel button.
class InstallView {
public:
    virtual ~InstallView() = default;
    // Shown until hideWaiting. It may return at once, or only after hideWaiting (a modal
    // window); the check goes on after both. cancel ends the wait; the check then goes on as
    // after a failed installation.
    virtual void showWaiting(const QString& package, std::function<void()> cancel) = 0;
    virtual void hideWaiting() = 0;
};

struct GhostscriptCheckSetup {
    QStringList searchDirectories = defaultLibrarySearchDirectories();
    QString privateDirectory;  // the binding's private library directory
    QString downloadUrl;       // the Ghostscript archive
    QString downloadDirectory; // where the archive goes
    QString archiveName;
    // True when the library loads and answers (the binding's revision call).
    std::function<bool()> libraryLoads;
    // downloadFile with the window's dialogs: the path of the file saved, or the empty text.
    std::function<QString(const QString& title, const QString& url, const QString& directory,
                          const QString& fileName)>
        download;
    // Hands a file to the desktop's default application.
    std::function<bool(const QString& path)> openFile;
    // Asks the package manager to install the packages; done gets its answer once, later from the
    // event loop. Empty: the check offers no installation through the package manager.
    std::function<void(const QStringList& packages, std::function<void(const InstallResult&)> done)>
        installPackages;
    // What shows the wait for installPackages; none shows nothing.
    std::shared_ptr<InstallView> installView;
};

// Everything but the download, the presence test and the waiting window: the real directories,
// desktop and package manager.
GhostscriptCheckSetup defaultGhostscriptCheckSetup();

// What start-up does after the check.
enum class CheckOutcome {
    GoOn, // the library loads, or the user declined the download
    Quit, // the program ends here: a library was copied or a download was started or failed
};

// Makes sure the Ghostscript library can be loaded. When it cannot and no installed copy is found,
// the package manager is asked to install kGhostscriptPackage; where it cannot, the user is told
// the command that does, and the download is offered. done gets the outcome once: before this
// returns, or later from the event loop while the package manager works. dialogs must live
// until then.
void checkGhostscript(UserDialogs& dialogs, const GhostscriptCheckSetup& setup,
                      std::function<void(CheckOutcome)> done);

// The same for a start-up that needs the outcome at once: the setup's installView must be modal
// (return from showWaiting only after hideWaiting), as the window's is.
CheckOutcome checkGhostscript(UserDialogs& dialogs, const GhostscriptCheckSetup& setup);

} // namespace quillorn::system
