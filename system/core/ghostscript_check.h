#pragma once

#include "app/core/services.h"

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
QStringList DefaultLibrarySearchDirectories();

// The first directory holding a libgs.so.N gives the library; within one directory the highest
// version wins.
InstalledLibrary FindInstalledLibrary(const QStringList& directories);

// The name the copy gets in the private directory: one the binding always tries there.
inline const QString kPrivateLibraryName = QStringLiteral("libgs.so");

// Copies the library into the directory (created when missing) as kPrivateLibraryName,
// replacing an earlier copy. The empty text on success, otherwise the reason.
QString CopyLibrary(const QString& source, const QString& directory);

struct GhostscriptCheckSetup {
    QStringList searchDirectories = DefaultLibrarySearchDirectories();
    QString privateDirectory;  // the binding's private library directory
    QString downloadUrl;       // the Ghostscript archive
    QString downloadDirectory; // where the archive goes
    QString archiveName;
    // True when the library loads and answers (the binding's revision call).
    std::function<bool()> libraryLoads;
    // DownloadFile with the window's services and dialog.
    std::function<bool(const QString& title, const QString& url, const QString& directory,
                       const QString& fileName)>
        download;
    // Hands a file to the desktop's default application.
    std::function<bool(const QString& path)> openFile;
};

// Everything but the download: the real binding, directories and desktop.
GhostscriptCheckSetup DefaultGhostscriptCheckSetup();

// Makes sure the Ghostscript library can be loaded. Returns when it can, or when the user
// declines the download; in every other case ends the program through services.EndProgram.
void CheckGhostscript(WindowServices& services, const GhostscriptCheckSetup& setup);

} // namespace quillorn::system
