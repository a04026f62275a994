#pragma once

#include "base/user_dialogs.h"

#include <QString>
#include <QStringList>
#include <functional>

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
};

// Everything but the download and the presence test: the real directories and desktop.
GhostscriptCheckSetup defaultGhostscriptCheckSetup();

// What start-up does after the check.
enum class CheckOutcome {
    GoOn, // the library loads, or the user declined the download
    Quit, // the program ends here: a library was copied or a download was started or failed
};

// Makes sure the Ghostscript library can be loaded.
CheckOutcome checkGhostscript(UserDialogs& dialogs, const GhostscriptCheckSetup& setup);

} // namespace quillorn::system
